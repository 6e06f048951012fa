#pragma once
// The chat log's text format: one record per line,
//   "[" time "]" severity ">" title ">" description CR LF
// in the locale's 8-bit encoding. A ">" inside the title is written doubled so that the first single ">" after
// the severity ends the title; the description is written as it is.

#include <QByteArray>
#include <QString>
#include <QStringView>
#include <optional>
#include <vector>

enum class LogSeverity
{
    Error = 0,
    Warning = 1,
    Information = 2
};

struct ChatLogRecord
{
    QString time;
    QString title;
    QString description;
    LogSeverity severity = LogSeverity::Information;

    friend bool operator==(const ChatLogRecord&, const ChatLogRecord&) = default;
};

namespace ChatLogFormat {

// "Error", "Warning" or "Information".
QString severityName(LogSeverity severity);

// The severity a name stands for; any name but "Error" and "Warning" reads as Information.
LogSeverity severityFromName(QStringView name);

// One record as a file line, CR LF included, in the locale encoding. Fields are written as given: callers that
// take text from outside pass it through sanitizedField() first, so that a record always stays one line.
QByteArray formatLine(const ChatLogRecord& record);

// One line without its line end. Returns nothing for a line the log drops: no "[", or no "]" after it.
std::optional<ChatLogRecord> parseLine(QStringView line);

// True when formatLine(*parseLine(line)) gives back exactly line + CR LF, i.e. rewriting the file would not
// change this line. Fast enough to run on every line of a large log while it loads.
bool isCanonicalLine(QStringView line);

// A field as the file can hold it: every line break (CR LF, a lone CR or a lone LF) becomes one blank, and text
// that the locale encoding cannot carry becomes what reading the file back would give.
QString sanitizedField(const QString& text);

// Turns a whole file's bytes into text the way the log reads them (locale encoding, a leading byte-order mark
// kept as a character). hadErrors reports bytes that do not decode, which a rewrite would not reproduce.
QString decodeFile(const QByteArray& bytes, bool* hadErrors = nullptr);

// A whole log file as read at start. canonical is true when writing records back gives exactly the bytes read:
// every line kept, known severity names, CR LF after every line, nothing that fails to decode.
struct ParsedFile
{
    std::vector<ChatLogRecord> records;
    bool canonical = true;
};
ParsedFile parseFile(const QByteArray& bytes);

} // namespace ChatLogFormat
