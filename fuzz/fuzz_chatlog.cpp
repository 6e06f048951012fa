// Chat log reading on arbitrary bytes: a whole file, single lines, the promise that a record read from any file is
// written back in a form that reads back as the same record, the store's promise that appending to any file keeps
// every byte it held and starts the new record on a line of its own, and the index's promise that it finds and
// reads the records that reading the whole file finds, however the file grew and when it shrinks.
#include "chat/ChatLog.h"
#include "chat/ChatLogFormat.h"
#include "chat/ChatLogIndex.h"

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

// A file written afresh is made anew rather than truncated: the file system flushes a file that was truncated to
// nothing when it is closed, which would make each input cost a disk write.
void writeFile(const QString& path, QByteArrayView bytes, QIODevice::OpenMode mode)
{
    if (mode & QIODevice::Truncate)
        QFile::remove(path);
    QFile file(path);
    require(file.open(QIODevice::WriteOnly | mode) && file.write(bytes.data(), bytes.size()) == bytes.size());
}

// The store on a file that holds the input: the input stays byte for byte, a line end is added only when the
// input ends inside a line, and the file reads back as the list the store holds.
void checkAppend(const QByteArray& bytes, const QString& text)
{
    static QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("ChatLog.txt"));
    writeFile(path, bytes, QIODevice::Truncate);
    QFile file(path);

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

void requireIndexMatches(const ChatLogIndex& index, QByteArrayView bytes)
{
    const std::vector<ChatLogRecord> expected = ChatLogFormat::parseFile(bytes.toByteArray()).records;
    bool complete = false;
    require(index.recordCount() == expected.size());
    require(index.read(0, expected.size(), &complete) == expected && complete);
    require(index.indexedBytes() == bytes.size());
    std::size_t errors = 0, warnings = 0;
    for (std::size_t i = 0; i < expected.size(); ++i) {
        if (expected[i].severity == LogSeverity::Error)
            require(errors < index.errorRecords().size() && index.errorRecords()[errors++] == i);
        else if (expected[i].severity == LogSeverity::Warning)
            require(warnings < index.warningRecords().size() && index.warningRecords()[warnings++] == i);
    }
    require(errors == index.errorRecords().size() && warnings == index.warningRecords().size());
    // A record read alone is the same as when read with its neighbours.
    if (!expected.empty())
        require(index.read(expected.size() / 2, 1) == std::vector<ChatLogRecord> { expected[expected.size() / 2] });
}

// The file written in two pieces, the index built on the first and caught up with the second; then cut short.
void checkIndex(const QByteArray& bytes)
{
    static QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Index.txt"));
    const qsizetype split = bytes.isEmpty() ? 0 : static_cast<unsigned char>(bytes[0]) % (bytes.size() + 1);
    writeFile(path, QByteArrayView(bytes).first(split), QIODevice::Truncate);
    ChatLogIndex index = ChatLogIndex::build(path);
    requireIndexMatches(index, QByteArrayView(bytes).first(split));
    writeFile(path, QByteArrayView(bytes).sliced(split), QIODevice::Append);
    const ChatLogIndex::Change grew = index.refresh();
    require(grew == (split == bytes.size() ? ChatLogIndex::Change::None : ChatLogIndex::Change::Grew));
    requireIndexMatches(index, bytes);

    const qsizetype cut = bytes.size() / 3;
    require(QFile::resize(path, cut));
    const ChatLogIndex::Change shrank = index.refresh();
    require(shrank == (cut == bytes.size() ? ChatLogIndex::Change::None : ChatLogIndex::Change::Shortened));
    requireIndexMatches(index, QByteArrayView(bytes).first(cut));
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
    checkIndex(bytes);
    return 0;
}
