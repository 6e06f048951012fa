#include "speech/VoiceMarkup.h"

#include "speech/Voice.h"

#include <QRegularExpression>
#include <algorithm>

namespace VoiceMarkup {

namespace {

// Long enough for "&#x10FFFF;", short enough that a lone "&" in chat never swallows a sentence.
constexpr qsizetype longestEntity = 10;

bool looksLikeMarkup(const QString& text)
{
    for (QChar c : text) {
        if (!c.isSpace())
            return c == u'<';
    }
    return false;
}

std::optional<int> volumeLevel(const QString& tag)
{
    static const QRegularExpression volumeTag(
        QStringLiteral(R"re(^\s*volume\b.*\blevel\s*=\s*(?:"([^"]*)"|'([^']*)'|([^\s/"']+)))re"),
        QRegularExpression::CaseInsensitiveOption | QRegularExpression::DotMatchesEverythingOption);
    const QRegularExpressionMatch match = volumeTag.match(tag);
    if (!match.hasMatch())
        return std::nullopt;
    const QString value = match.captured(1) + match.captured(2) + match.captured(3);
    bool ok = false;
    const double level = value.trimmed().toDouble(&ok);
    if (!ok || level != level)
        return std::nullopt;
    return static_cast<int>(std::clamp(level, 0.0, 100.0));
}

std::optional<char32_t> numericEntity(QStringView digits)
{
    bool ok = false;
    const bool hex = digits.startsWith(u'x') || digits.startsWith(u'X');
    const uint value = hex ? digits.mid(1).toUInt(&ok, 16) : digits.toUInt(&ok, 10);
    const bool surrogate = value >= 0xD800 && value <= 0xDFFF;
    if (!ok || value == 0 || surrogate || value > 0x10FFFF)
        return std::nullopt;
    return char32_t(value);
}

std::optional<QString> decodeEntity(QStringView name)
{
    if (name == u"amp")
        return QStringLiteral("&");
    if (name == u"lt")
        return QStringLiteral("<");
    if (name == u"gt")
        return QStringLiteral(">");
    if (name == u"quot")
        return QStringLiteral("\"");
    if (name == u"apos")
        return QStringLiteral("'");
    if (name.startsWith(u'#')) {
        if (const auto code = numericEntity(name.mid(1)))
            return QString::fromUcs4(&*code, 1);
    }
    return std::nullopt;
}

class MarkupReader
{
public:
    explicit MarkupReader(const QString& text)
        : m_text(text)
    {
    }

    void read()
    {
        while (m_pos < m_text.size()) {
            const QChar c = m_text.at(m_pos);
            if (c == u'<' && readTag())
                continue;
            if (c == u'&' && readEntity())
                continue;
            m_plain += c;
            ++m_pos;
        }
    }

    QString plain() const { return m_plain; }
    std::optional<int> volume() const { return m_volume; }

private:
    // A "<" with no ">" after it, or with another "<" first, is an ordinary character.
    bool readTag()
    {
        const qsizetype end = m_text.indexOf(u'>', m_pos + 1);
        if (end < 0)
            return false;
        const QString tag = m_text.mid(m_pos + 1, end - m_pos - 1);
        if (tag.contains(u'<'))
            return false;
        if (!m_volume)
            m_volume = volumeLevel(tag);
        m_pos = end + 1;
        return true;
    }

    bool readEntity()
    {
        const qsizetype end = m_text.indexOf(u';', m_pos + 1);
        if (end < 0 || end - m_pos > longestEntity)
            return false;
        const auto decoded = decodeEntity(QStringView(m_text).mid(m_pos + 1, end - m_pos - 1));
        if (!decoded)
            return false;
        m_plain += *decoded;
        m_pos = end + 1;
        return true;
    }

    const QString& m_text;
    qsizetype m_pos = 0;
    QString m_plain;
    std::optional<int> m_volume;
};

} // namespace

QString escape(const QString& text)
{
    QString escaped;
    escaped.reserve(text.size());
    for (QChar c : text) {
        if (c == u'&')
            escaped += QStringLiteral("&amp;");
        else if (c == u'<')
            escaped += QStringLiteral("&lt;");
        else if (c == u'>')
            escaped += QStringLiteral("&gt;");
        else
            escaped += c;
    }
    return escaped;
}

SpeechRequest interpret(const QString& text, int flags)
{
    SpeechRequest request;
    request.async = (flags & SpeakFlags::Async) != 0;
    request.purge = (flags & SpeakFlags::PurgeBeforeSpeak) != 0;
    request.speakPunctuation = (flags & SpeakFlags::SpeakPunctuation) != 0;
    if ((flags & SpeakFlags::IsNotXml) || !looksLikeMarkup(text)) {
        request.text = text;
        return request;
    }
    MarkupReader reader(text);
    reader.read();
    request.text = reader.plain();
    request.volume = reader.volume();
    return request;
}

} // namespace VoiceMarkup
