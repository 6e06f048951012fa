// Chat log costs: one entry on a small and a large log (against a plain append of the same bytes, and against
// rewriting the whole file as an entry once did), and decoding or indexing a large log against reading it raw.
#include "chat/ChatLog.h"
#include "chat/ChatLogViewer.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QSaveFile>
#include <QStringDecoder>
#include <QTableView>
#include <QTemporaryDir>
#include <cstdio>
#include <functional>
#include <unistd.h>

namespace {

constexpr int entriesTimed = 300;

ChatLogRecord sampleRecord(int i)
{
    return { QStringLiteral("10:%1:%2").arg(i / 60 % 60, 2, 10, QLatin1Char('0')).arg(i % 60, 2, 10, QLatin1Char('0')),
             QStringLiteral("RxText"),
             QStringLiteral("Q%1AB>hello there, this is a chat line number %2").arg(i % 10).arg(i) };
}

void writeLog(const QString& path, int records)
{
    QFile file(path);
    file.open(QIODevice::WriteOnly | QIODevice::Truncate);
    QByteArray chunk;
    for (int i = 0; i < records; ++i) {
        chunk += ChatLogFormat::formatLine(sampleRecord(i));
        if (chunk.size() > (1 << 20)) {
            file.write(chunk);
            chunk.clear();
        }
    }
    file.write(chunk);
}

double microsecondsEach(int count, const std::function<void(int)>& step)
{
    QElapsedTimer timer;
    timer.start();
    for (int i = 0; i < count; ++i)
        step(i);
    return static_cast<double>(timer.nsecsElapsed()) / 1000.0 / count;
}

double logEntryCost(const QString& path, int existing, bool sync)
{
    writeLog(path, existing);
    ChatLog log;
    log.setFileName(path);
    log.setAutoSave(true);
    log.setSyncToDisk(sync);
    return microsecondsEach(entriesTimed, [&](int i) {
        const ChatLogRecord record = sampleRecord(i);
        log.add(record.time, record.title, record.description);
    });
}

double plainAppendCost(const QString& path, int existing, bool sync)
{
    writeLog(path, existing);
    QFile file(path);
    file.open(QIODevice::WriteOnly | QIODevice::Append);
    return microsecondsEach(entriesTimed, [&](int i) {
        file.write(ChatLogFormat::formatLine(sampleRecord(i)));
        file.flush();
        if (sync)
            ::fdatasync(file.handle());
    });
}

double fullRewriteCost(const QString& path, int existing)
{
    std::vector<ChatLogRecord> records;
    for (int i = 0; i < existing; ++i)
        records.push_back(sampleRecord(i));
    return microsecondsEach(10, [&](int i) {
        records.push_back(sampleRecord(i));
        QFile file(path);
        file.open(QIODevice::WriteOnly | QIODevice::Truncate);
        QByteArray all;
        for (const ChatLogRecord& record : records)
            all += ChatLogFormat::formatLine(record);
        file.write(all);
    });
}

double millisecondsFor(int repeats, const std::function<void()>& work)
{
    return microsecondsEach(repeats, [&](int) { work(); }) / 1000.0;
}

void entryCosts(const QTemporaryDir& dir)
{
    const QString path = dir.filePath("ChatLog.txt");
    std::printf("One entry (microseconds, mean of %d)\n", entriesTimed);
    std::printf("  %-10s %12s %12s %14s %14s\n", "records", "log", "log+sync", "plain append", "append+sync");
    double small = 0, large = 0, largePlain = 0, largeSync = 0, largePlainSync = 0;
    for (int existing : { 1000, 200000 }) {
        const double log = logEntryCost(path, existing, false);
        const double logSync = logEntryCost(path, existing, true);
        const double plain = plainAppendCost(path, existing, false);
        const double plainSync = plainAppendCost(path, existing, true);
        std::printf("  %-10d %12.1f %12.1f %14.1f %14.1f\n", existing, log, logSync, plain, plainSync);
        (existing == 1000 ? small : large) = log;
        if (existing == 200000) {
            largePlain = plain;
            largeSync = logSync;
            largePlainSync = plainSync;
        }
    }
    std::printf("  ratio 200000/1000 records: %.2f (target <= 1.5)\n", large / small);
    std::printf("  log / plain append at 200000: %.2f without sync, %.2f with sync (target <= 2)\n", large / largePlain,
                largeSync / largePlainSync);
    std::printf("  whole-file rewrite per entry at 200000 (the old way): %.0f microseconds\n\n",
                fullRewriteCost(path, 200000));
}

void loadCosts(const QTemporaryDir& dir)
{
    const QString path = dir.filePath("Load.txt");
    writeLog(path, 200000);
    const double raw = millisecondsFor(5, [&] {
        QFile file(path);
        file.open(QIODevice::ReadOnly);
        volatile qsizetype size = file.readAll().size();
        (void)size;
    });
    const double rawLines = millisecondsFor(5, [&] {
        QFile file(path);
        file.open(QIODevice::ReadOnly);
        QStringDecoder decoder(QStringDecoder::System);
        const QString text = decoder.decode(file.readAll());
        volatile qsizetype lines = text.split(QStringLiteral("\r\n")).size();
        (void)lines;
    });
    const double load = millisecondsFor(5, [&] {
        ChatLog log;
        log.setFileName(path);
        volatile std::size_t count = log.records().size();
        (void)count;
    });
    const double index = millisecondsFor(5, [&] { ChatLogIndex::build(path); });
    std::printf("Reading 200000 records (%lld bytes), milliseconds\n", static_cast<long long>(QFile(path).size()));
    std::printf("  raw bytes %.1f, raw text lines %.1f, every record decoded %.1f, index %.1f\n", raw, rawLines, load,
                index);
    std::printf("  index / raw bytes: %.2f (target <= 10)\n", index / raw);
}

void viewerOpenCost()
{
    ChatLog log;
    const ChatLogRecord record = sampleRecord(1);
    for (int i = 0; i < 1'000'000; ++i)
        log.add(record.time, record.title, record.description, i % 100 ? LogSeverity::Information : LogSeverity::Error);
    QElapsedTimer timer;
    timer.start();
    ChatLogViewer viewer(log, QStringLiteral("ChatLog"));
    viewer.show();
    QApplication::processEvents();
    const double open = static_cast<double>(timer.nsecsElapsed()) / 1e6;
    timer.restart();
    viewer.table()->scrollToBottom();
    QApplication::processEvents();
    const double scroll = static_cast<double>(timer.nsecsElapsed()) / 1e6;
    timer.restart();
    viewer.setSeverityFilter(LogSeverity::Error);
    QApplication::processEvents();
    const double filter = static_cast<double>(timer.nsecsElapsed()) / 1e6;
    std::printf("\nViewer over 1000000 records, milliseconds\n");
    std::printf("  open and show %.1f, scroll to the end %.1f, filter to errors %.1f\n", open, scroll, filter);
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QTemporaryDir dir;
    std::printf("Folder: %s\n\n", qPrintable(dir.path()));
    entryCosts(dir);
    loadCosts(dir);
    viewerOpenCost();
    return 0;
}
