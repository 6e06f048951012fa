#pragma once
// The chat log's text format: one record per line,
//   "[" time "]" severity ">" title ">" description CR LF
// A ">" inside the title is written doubled so that the first single ">" after the severity ends the title; the
// description is written as it is. Records are written in UTF-8. Each line is read on its own: as UTF-8 when it is
// valid UTF-8, else as Windows-1252, the code page of a log carried over from a Windows machine. So a log that
// holds old Windows-1252 records and new UTF-8 ones reads right throughout, and every byte of a line has a
// character that shows it.

#include <QByteArray>
#include <QByteArrayView>
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

// One record as a file line, CR LF included, in UTF-8. Fields are written as given: callers that
// take text from outside pass it through sanitizedField() first, so that a record always stays one line.
QByteArray formatLine(const ChatLogRecord& record);

// One line without its line end. Returns nothing for a line the log drops: no "[", or no "]" after it.
std::optional<ChatLogRecord> parseLine(QStringView line);

// True when formatLine(*parseLine(line)) gives back exactly line + CR LF, i.e. rewriting the file would not
// change this line. Fast enough to run on every line of a large log while it loads.
bool isCanonicalLine(QStringView line);

// A field as the file can hold it: every line break (CR LF, a lone CR or a lone LF) becomes one blank, every other
// control character but the tab becomes a blank too (a NUL or an escape from a station must not reach the file or
// the tools that show it), and text that UTF-8 cannot carry (a lone surrogate) becomes what reading the file back
// would give.
QString sanitizedField(const QString& text);

// A description as the file can hold it: sanitizedField(), and a blank in front of a leading ">". The reader pairs
// the ">" after the title with a ">" that follows it, so no description read from a file can begin with one; a
// received text such as ">hi" would otherwise come back as part of the title, with an empty description.
QString sanitizedDescription(const QString& text);

// One line's bytes, without its line end, as the log reads them: UTF-8 when valid, else Windows-1252; a byte-order
// mark is kept as a character. A line of UTF-8 text that ends inside a character, as a full disk or a crash leaves
// the last line, reads as UTF-8 with the cut character shown as U+FFFD; it must hold at least one whole character
// beyond ASCII to count as UTF-8, because a Windows-1252 line ending in a letter such as "é" looks the same.
// wasUtf8 reports which reading was taken.
QString decodeLine(QByteArrayView bytes, bool* wasUtf8 = nullptr);

// A whole file's bytes as text, each line read as decodeLine() reads it, line ends kept as they are. hadErrors
// reports a line that is not valid UTF-8, which a record written back would not reproduce.
QString decodeFile(const QByteArray& bytes, bool* hadErrors = nullptr);

// A whole log file as read at start. canonical is true when writing its records out gives exactly the bytes read:
// every line kept, known severity names, CR LF after every line, all of it UTF-8.
struct ParsedFile
{
    std::vector<ChatLogRecord> records;
    bool canonical = true;
};
ParsedFile parseFile(const QByteArray& bytes);

} // namespace ChatLogFormat
