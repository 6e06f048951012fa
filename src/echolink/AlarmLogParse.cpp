#include "echolink/AlarmLogParse.h"

namespace AlarmLog {

namespace {

// The new part is read from two characters before its first colon, where the first time token begins. A
// colon among the first three characters leaves the text as it is.
void cutBeforeFirstColon(QString& text)
{
    const qsizetype colon = text.indexOf(u':');
    if (colon > 2)
        text.remove(0, colon - 2);
}

// The token before the first space; without a space there is no token.
QString tokenBeforeSpace(const QString& text)
{
    const qsizetype space = text.indexOf(u' ');
    return space < 0 ? QString() : text.left(space);
}

// Everything up to and including the first space goes; without a space nothing does.
void dropThroughFirstSpace(QString& text)
{
    text.remove(0, text.indexOf(u' ') + 1);
}

// The callsign and state of the entry text starts with (its time token already dropped).
Entry readEntry(const QString& text)
{
    const qsizetype space = text.indexOf(u' ');
    return Entry { tokenBeforeSpace(text), stateSuffix(QStringView(text).mid(space + 1, 2)) };
}

// Entries after the first: each starts two characters before the next colon; its time is not read.
void readFurtherEntries(QString& text, QList<Entry>& entries)
{
    while (entries.size() < MaxEntries && text.contains(u':')) {
        cutBeforeFirstColon(text);
        dropThroughFirstSpace(text);
        entries.append(readEntry(text));
        text.remove(0, entries.last().callsign.size());
    }
}

QString spoken(const Entry& entry, const Speller& spell)
{
    return spell(entry.callsign) + entry.suffix;
}

} // namespace

QString stateSuffix(QStringView code)
{
    const QStringView twoCharacters = code.left(2);
    if (twoCharacters == u"on")
        return QStringLiteral(" on");
    if (twoCharacters == u"of")
        return QStringLiteral(" off");
    if (twoCharacters == u"bu")
        return QStringLiteral(" busy");
    return twoCharacters.toString();
}

Look look(const Input& input)
{
    Look result;
    const qsizetype length = input.text.size();
    result.newLength = length;
    if (length <= input.previousLength || !input.announce)
        return result;

    result.parsed = true;
    result.speak = input.notTransmitting;
    result.sayNewAlarm = length > NewAlarmMinLength && input.notTransmitting;

    QString text = input.text.right(qMin(length - input.previousLength, TailLength));
    cutBeforeFirstColon(text);
    result.paneLine = text;

    result.timeText = tokenBeforeSpace(text).left(TimeLength);
    dropThroughFirstSpace(text);
    result.entries.append(readEntry(text));
    text.remove(0, result.entries.first().callsign.size());
    readFurtherEntries(text, result.entries);
    return result;
}

QStringList Look::utterances(const Speller& spell) const
{
    QStringList said;
    if (sayNewAlarm)
        said.append(NewAlarmWords);
    if (!parsed || !speak)
        return said;
    said.append(timeText);
    for (const Entry& entry : entries)
        said.append(spoken(entry, spell));
    said.removeAll(QString());
    return said;
}

QString Look::lastAlarmText(const Speller& spell, const QString& previous) const
{
    if (!parsed)
        return previous;
    QStringList said;
    for (const Entry& entry : entries)
        said.append(spoken(entry, spell));
    return said.join(u' ');
}

} // namespace AlarmLog
