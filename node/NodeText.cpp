#include "NodeText.h"

#include <QRegularExpression>

namespace NodeText {

namespace {

// Windows-1252 differs from Latin-1 only in 0x80-0x9F; the five holes map to nothing and are dropped.
constexpr char16_t highTable[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178,
};

bool keepsInLine(char16_t c)
{
    return c == '\t' || (c >= 0x20 && c != 0x7F);
}

QString cleaned(const QString& text, bool keepLineBreaks, qsizetype limit)
{
    QString out;
    out.reserve(qMin(text.size(), limit));
    for (const QChar qc : text) {
        if (out.size() >= limit)
            break;
        const char16_t c = qc.unicode();
        if (keepsInLine(c))
            out += qc;
        else if (c == '\r' || c == '\n')
            out += keepLineBreaks ? qc : QLatin1Char(' ');
    }
    return out;
}

} // namespace

QString fromWindows1252(const QByteArray& bytes)
{
    QString text;
    text.reserve(bytes.size());
    for (const char b : bytes) {
        const auto byte = static_cast<unsigned char>(b);
        if (byte >= 0x80 && byte < 0xA0) {
            if (highTable[byte - 0x80] != 0)
                text += QChar(highTable[byte - 0x80]);
        } else {
            text += QChar(byte);
        }
    }
    return text;
}

QByteArray toWindows1252(const QString& text)
{
    QByteArray bytes;
    bytes.reserve(text.size());
    for (const QChar qc : text) {
        const char16_t c = qc.unicode();
        if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) {
            bytes += static_cast<char>(c);
            continue;
        }
        char mapped = '?';
        for (int i = 0; i < 32; ++i) {
            if (highTable[i] == c && c != 0)
                mapped = static_cast<char>(0x80 + i);
        }
        bytes += mapped;
    }
    return bytes;
}

QString chatFromWire(const QByteArray& bytes)
{
    QByteArray trimmed = bytes.left(MaxChatChars * 2);
    while (trimmed.endsWith('\n') || trimmed.endsWith('\r') || trimmed.endsWith('\0'))
        trimmed.chop(1);
    return cleaned(fromWindows1252(trimmed), false, MaxChatChars).trimmed();
}

QString stationTextFromWire(const QByteArray& bytes)
{
    // Line breaks arrive as CR, LF or both, depending on the sender; Corvane's station pane splits at CR.
    QString text = cleaned(fromWindows1252(bytes.left(MaxStationTextChars * 2)), true, MaxStationTextChars);
    text.replace(QLatin1String("\r\n"), QLatin1String("\r"));
    text.replace(QLatin1Char('\n'), QLatin1Char('\r'));
    return text;
}

QString callFromWire(const QByteArray& bytes)
{
    QString call;
    for (const QChar c : fromWindows1252(bytes.left(64))) {
        if (call.size() >= 15)
            break;
        if (c.unicode() > 0x20 && c.unicode() < 0x7F)
            call += c.toUpper();
    }
    return call;
}

QString nameFromWire(const QByteArray& bytes)
{
    return cleaned(fromWindows1252(bytes.left(256)), false, 64).trimmed();
}

QByteArray chatToWire(const QString& text)
{
    return toWindows1252(cleaned(text, false, MaxChatChars));
}

QString stationKey(const QString& requested)
{
    return requested.trimmed().toUpper();
}

bool isNodeNumber(const QString& key)
{
    static const QRegularExpression digits(QStringLiteral("^[0-9]{1,7}$"));
    return digits.match(key).hasMatch();
}

} // namespace NodeText
