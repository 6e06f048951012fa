// Chat log reading on arbitrary bytes: a whole file as loaded at start, single lines, and the promise that a
// record read from any file is written back in a form that reads back as the same record.
#include "chat/ChatLogFormat.h"

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
    // The loader's verdict decides between appending and replacing the file: it must match the bytes exactly.
    require(file.canonical == (rewritten == bytes));
}

void checkFields(const QString& text)
{
    const QString field = ChatLogFormat::sanitizedField(text);
    require(ChatLogFormat::sanitizedField(field) == field);
    const ChatLogRecord record { QStringLiteral("10:00:00"), field, field, LogSeverity::Warning };
    const auto file = ChatLogFormat::parseFile(ChatLogFormat::formatLine(record));
    require(file.records.size() == 1);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    checkWholeFile(bytes);
    const QString text = ChatLogFormat::decodeFile(bytes);
    (void)ChatLogFormat::parseLine(text);
    (void)ChatLogFormat::isCanonicalLine(text);
    checkFields(text);
    return 0;
}
