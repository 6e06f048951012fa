// Chat log reading on arbitrary bytes: a whole file as loaded at start, single lines, the promise that a record
// read from any file is written back in a form that reads back as the same record, and the store's promise that
// appending to any file keeps every byte it held and starts the new record on a line of its own.
#include "chat/ChatLog.h"
#include "chat/ChatLogFormat.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <cstddef>
#include <cstdint>
#include <cstdlib>

namespace {

void require(bool condition)
{
    if (!condition)
        std::abort();
}

void checkWholeFile(const QByteArray& bytes)
{
    const auto file = ChatLogFormat::parseFile(bytes);
    QByteArray rewritten;
    for (const ChatLogRecord& record : file.records) {
        const QByteArray line = ChatLogFormat::formatLine(record);
        const auto again = ChatLogFormat::parseFile(line);
        require(again.canonical);
        require(again.records.size() == 1 && again.records.front() == record);
        rewritten += line;
    }
    // Whether a rewrite would give back the bytes: it must match the bytes exactly.
    require(file.canonical == (rewritten == bytes));
}

void checkFields(const QString& text)
{
    const QString field = ChatLogFormat::sanitizedField(text);
    require(ChatLogFormat::sanitizedField(field) == field);
    for (QChar c : field)
        require(c == u'\t' || c.category() != QChar::Other_Control);
    // Whatever the text, the record the store makes of it reads back as that record.
    const ChatLogRecord record { QStringLiteral("10:00:00"), field, ChatLogFormat::sanitizedDescription(text),
                                 LogSeverity::Warning };
    const auto file = ChatLogFormat::parseFile(ChatLogFormat::formatLine(record));
    require(file.records.size() == 1 && file.records.front() == record);
}

// Each line decodes on its own, so decoding the lines one by one gives the text of the whole file.
void checkLineByLine(const QByteArray& bytes)
{
    QString joined;
    qsizetype start = 0;
    for (qsizetype i = 0; i <= bytes.size(); ++i) {
        if (i < bytes.size() && bytes[i] != '\r' && bytes[i] != '\n')
            continue;
        joined += ChatLogFormat::decodeLine(QByteArrayView(bytes).sliced(start, i - start));
        if (i < bytes.size())
            joined += QLatin1Char(bytes[i]);
        start = i + 1;
    }
    require(joined == ChatLogFormat::decodeFile(bytes));
}

// The store on a file that holds the input: the input stays byte for byte, a line end is added only when the
// input ends inside a line, and the file reads back as the list the store holds.
void checkAppend(const QByteArray& bytes, const QString& text)
{
    static QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("ChatLog.txt"));
    QFile file(path);
    require(file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size());
    file.close();

    ChatLog log;
    require(log.setFileName(path));
    log.setAutoSave(true);
    log.setSyncToDisk(false);
    const std::size_t loaded = log.records().size();
    require(log.add(QStringLiteral("10:00:00"), QStringLiteral("RxText"), text.left(64))
            == ChatLog::WriteStatus::Written);

    require(file.open(QIODevice::ReadOnly));
    const QByteArray after = file.readAll();
    file.close();
    const bool endsInsideALine = !bytes.isEmpty() && !bytes.endsWith('\r') && !bytes.endsWith('\n');
    const QByteArray added = ChatLogFormat::formatLine(log.records().back());
    require(after == bytes + (endsInsideALine ? QByteArray("\r\n") : QByteArray()) + added);
    require(log.records().size() == loaded + 1);

    ChatLog reloaded;
    require(reloaded.setFileName(path));
    require(reloaded.records() == log.records());
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    checkWholeFile(bytes);
    checkLineByLine(bytes);
    const QString text = ChatLogFormat::decodeFile(bytes);
    (void)ChatLogFormat::parseLine(text);
    (void)ChatLogFormat::isCanonicalLine(text);
    checkFields(text);
    checkAppend(bytes, text);
    return 0;
}
