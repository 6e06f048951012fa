#include "chat/ChatLogFormat.h"

#include "platform/TextEncoding.h"

#include <algorithm>

namespace ChatLogFormat {

namespace {

const QString errorName = QStringLiteral("Error");
const QString warningName = QStringLiteral("Warning");
const QString informationName = QStringLiteral("Information");

// Where the title ends: the first ">" that is not one half of a ">>" pair, or -1. Pairs are stepped over whole,
// so ">>>" is a doubled ">" in the title followed by the separator.
qsizetype findTitleEnd(QStringView text, bool* titleHasPairs)
{
    *titleHasPairs = false;
    const qsizetype size = text.size();
    for (qsizetype i = 0; i < size; ++i) {
        if (text[i] != u'>')
            continue;
        if (i + 1 < size && text[i + 1] == u'>') {
            *titleHasPairs = true;
            ++i;
            continue;
        }
        return i;
    }
    return -1;
}

QString undoubled(QStringView rawTitle, bool hasPairs)
{
    QString title = rawTitle.toString();
    if (hasPairs)
        title.replace(QStringLiteral(">>"), QStringLiteral(">"));
    return title;
}

bool isKnownSeverityName(QStringView name)
{
    return name == errorName || name == warningName || name == informationName;
}

// The reading rules in one pass. With canonical set, also reports whether a rewrite would give the line back
// unchanged: it starts with "[", names a known severity and has both ">" separators.
std::optional<ChatLogRecord> parse(QStringView line, bool* canonical)
{
    *canonical = false;
    const qsizetype open = line.indexOf(u'[');
    if (open < 0)
        return std::nullopt;
    const QStringView afterOpen = line.sliced(open + 1);
    const qsizetype close = afterOpen.indexOf(u']');
    if (close < 0)
        return std::nullopt;

    ChatLogRecord record;
    record.time = afterOpen.first(close).toString();
    const QStringView afterTime = afterOpen.sliced(close + 1);
    const qsizetype severityEnd = afterTime.indexOf(u'>');
    const QStringView name = severityEnd < 0 ? afterTime : afterTime.first(severityEnd);
    record.severity = severityFromName(name);
    if (severityEnd < 0)
        return record;

    const QStringView titleAndDescription = afterTime.sliced(severityEnd + 1);
    bool hasPairs = false;
    const qsizetype titleEnd = findTitleEnd(titleAndDescription, &hasPairs);
    if (titleEnd < 0) {
        record.title = undoubled(titleAndDescription, hasPairs);
        return record;
    }
    record.title = undoubled(titleAndDescription.first(titleEnd), hasPairs);
    record.description = titleAndDescription.sliced(titleEnd + 1).toString();
    *canonical = open == 0 && isKnownSeverityName(name);
    return record;
}

void replaceLineBreaks(QString& text)
{
    if (!text.contains(u'\r') && !text.contains(u'\n'))
        return;
    text.replace(QStringLiteral("\r\n"), QStringLiteral(" "));
    text.replace(u'\r', u' ');
    text.replace(u'\n', u' ');
}

void blankControlCharacters(QString& text)
{
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c != u'\t' && c.category() == QChar::Other_Control)
            text[i] = u' ';
    }
}

// Where a UTF-8 character that the end of the bytes cut short begins, or -1 when the bytes do not end inside one.
qsizetype cutCharacterStart(QByteArrayView bytes)
{
    const qsizetype size = bytes.size();
    for (qsizetype back = 1; back <= 3 && back <= size; ++back) {
        const auto byte = static_cast<unsigned char>(bytes[size - back]);
        if ((byte & 0xC0) == 0x80)
            continue; // a continuation byte: the lead byte is further back
        const qsizetype length = byte >= 0xF0 ? 4 : byte >= 0xE0 ? 3 : byte >= 0xC2 ? 2 : 1;
        return length > back ? size - back : -1;
    }
    return -1;
}

bool isAscii(const QString& text)
{
    for (QChar c : text) {
        if (c.unicode() >= 0x80)
            return false;
    }
    return true;
}

bool isAscii(QByteArrayView bytes)
{
    for (char byte : bytes) {
        if (static_cast<unsigned char>(byte) >= 0x80)
            return false;
    }
    return true;
}

} // namespace

QString severityName(LogSeverity severity)
{
    switch (severity) {
    case LogSeverity::Error:
        return errorName;
    case LogSeverity::Warning:
        return warningName;
    case LogSeverity::Information:
        break;
    }
    return informationName;
}

LogSeverity severityFromName(QStringView name)
{
    if (name == errorName)
        return LogSeverity::Error;
    if (name == warningName)
        return LogSeverity::Warning;
    return LogSeverity::Information;
}

QByteArray formatLine(const ChatLogRecord& record)
{
    QString title = record.title;
    title.replace(u'>', QStringLiteral(">>"));
    QString line;
    line.reserve(record.time.size() + title.size() + record.description.size() + 20);
    line += u'[';
    line += record.time;
    line += u']';
    line += severityName(record.severity);
    line += u'>';
    line += title;
    line += u'>';
    line += record.description;
    line += QStringLiteral("\r\n");
    return line.toUtf8();
}

std::optional<ChatLogRecord> parseLine(QStringView line)
{
    bool canonical = false;
    return parse(line, &canonical);
}

bool isCanonicalLine(QStringView line)
{
    bool canonical = false;
    parse(line, &canonical);
    return canonical && !line.contains(u'\r') && !line.contains(u'\n');
}

QString sanitizedField(const QString& text)
{
    QString field = text;
    replaceLineBreaks(field);
    blankControlCharacters(field);
    if (isAscii(field))
        return field;
    // Decoded as the reader decodes a line: QString::fromUtf8 would drop a leading byte-order mark that the file
    // keeps, so the field would lose a character on every pass and never settle.
    return TextEncoding::decodeUtf8(field.toUtf8()).value_or(field);
}

QString sanitizedDescription(const QString& text)
{
    QString description = sanitizedField(text);
    if (description.startsWith(u'>'))
        description.prepend(u' ');
    return description;
}

QString decodeLine(QByteArrayView bytes, bool* wasUtf8)
{
    std::optional<QString> text = TextEncoding::decodeUtf8(bytes);
    if (!text) {
        const qsizetype cut = cutCharacterStart(bytes);
        const QByteArrayView whole = bytes.first(std::max<qsizetype>(cut, 0));
        if (cut > 0 && !isAscii(whole) && (text = TextEncoding::decodeUtf8(whole)))
            *text += QChar::ReplacementCharacter;
    }
    if (wasUtf8)
        *wasUtf8 = text.has_value();
    return text ? std::move(*text) : TextEncoding::decodeWindows1252(bytes);
}

QString decodeFile(const QByteArray& bytes, bool* hadErrors)
{
    // Almost every log is UTF-8 throughout: one pass over the whole file.
    if (std::optional<QString> text = TextEncoding::decodeUtf8(bytes)) {
        if (hadErrors)
            *hadErrors = false;
        return std::move(*text);
    }
    if (hadErrors)
        *hadErrors = true;
    // CR and LF are the same single bytes in both readings and never part of a UTF-8 character, so the lines can
    // be cut before they are decoded.
    QString text;
    text.reserve(bytes.size());
    const qsizetype size = bytes.size();
    qsizetype start = 0;
    while (start < size) {
        qsizetype end = start;
        while (end < size && bytes[end] != '\r' && bytes[end] != '\n')
            ++end;
        text += decodeLine(QByteArrayView(bytes).sliced(start, end - start));
        if (end < size)
            text += QLatin1Char(bytes[end]);
        start = end + 1;
    }
    return text;
}

ParsedFile parseFile(const QByteArray& bytes)
{
    ParsedFile file;
    bool decodeErrors = false;
    const QString text = decodeFile(bytes, &decodeErrors);
    file.canonical = !decodeErrors;
    const QStringView rest(text);
    qsizetype start = 0;
    while (start < rest.size()) {
        qsizetype end = start;
        while (end < rest.size() && rest[end] != u'\r' && rest[end] != u'\n')
            ++end;
        const bool endsWithCrLf = end + 1 < rest.size() && rest[end] == u'\r' && rest[end + 1] == u'\n';
        bool lineCanonical = false;
        if (auto record = parse(rest.sliced(start, end - start), &lineCanonical))
            file.records.push_back(std::move(*record));
        file.canonical = file.canonical && lineCanonical && endsWithCrLf;
        start = end + (endsWithCrLf ? 2 : 1);
    }
    return file;
}

} // namespace ChatLogFormat
