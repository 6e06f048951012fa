#include "speech/Phonetics.h"

#include <array>

namespace Phonetics {

namespace {

const std::array<const char*, 26> letterWords = {
    "Alpha",  "Bravo", "Charlie", "Delta",  "Echo",     "Foxtrot", "Gulf",   "Hotel",  "India",
    "Juliet", "Kilo",  "Lima",    "Mike",   "November", "Oscar",   "Papa",   "Quebec", "Romeo",
    "Sierra", "Tango", "Uniform", "Victor", "Whisky",   "X-ray",   "Yankee", "Zulu",
};

const std::array<const char*, 10> digitWords = {
    "Zero", "One", "Two", "Three", "Four", "Five", "Six", "Seven", "Eight", "Nine",
};

// Only a to z are folded: other letters have no word whatever their case.
char16_t asciiUpper(char16_t c)
{
    return (c >= u'a' && c <= u'z') ? char16_t(c - u'a' + u'A') : c;
}

QString wordFor(char16_t c)
{
    if (c >= u'A' && c <= u'Z')
        return QString::fromLatin1(letterWords[c - u'A']);
    if (c >= u'0' && c <= u'9')
        return QString::fromLatin1(digitWords[c - u'0']);
    if (c == u'*' || c == u'-' || c == u' ')
        return QString(QChar(c));
    return untranslatable;
}

QString withoutOwnCallsign(const QString& msg, const QString& myCallsign)
{
    QString result = msg;
    if (!myCallsign.isEmpty())
        result.remove(myCallsign, Qt::CaseInsensitive);
    return result;
}

// "*Q1AB*" spelled is "* Quebec ... * ": the leading star becomes the word, later stars full stops.
QString withConferenceWords(const QString& spelled)
{
    if (!spelled.startsWith(u'*'))
        return spelled;
    return QStringLiteral("Conference. ") + spelled.mid(1).replace(u'*', QStringLiteral(". "));
}

} // namespace

QString phonetics(const QString& oneChar)
{
    if (oneChar.size() != 1)
        return untranslatable;
    return wordFor(asciiUpper(oneChar.at(0).unicode()));
}

QString strToPhonetics(const QString& text)
{
    QString result;
    for (QChar c : text) {
        result += wordFor(asciiUpper(c.unicode()));
        result += u' ';
    }
    return result;
}

QString callSignSpeechText(const QString& msg, const QString& myCallsign)
{
    const bool startsLikeOwn = msg.left(5) == myCallsign.left(5);
    QString result = startsLikeOwn ? withoutOwnCallsign(msg, myCallsign) : strToPhonetics(msg);
    result = withConferenceWords(result);
    result.replace(QStringLiteral("- Romeo"), QStringLiteral(", Repeater"), Qt::CaseInsensitive);
    result.replace(QStringLiteral("- Lima"), QStringLiteral(", Link, Station"), Qt::CaseInsensitive);
    return result;
}

} // namespace Phonetics
