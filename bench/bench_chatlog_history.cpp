// What a long chat-log history costs the running program: for logs of 0, 200,000 and 2,000,000 records, the
// resident memory of the window, the time from start to the window shown, the time to open the viewer and show its
// last page, and the time to filter it to errors; then the time to index the largest log against a plain read of
// its bytes. Each log size runs in a process of its own, so that one size's memory never counts for another.
// The logs are written to a temporary folder and removed at the end.
//
// Aims: memory at 2,000,000 records at most 20 MB above the empty log; start-up at most 0.5 s slower; the last
// page within 200 ms; the index built within 10 times the plain read.
//
// Run: bench_chatlog_history [records ...]   (default: 0 200000 2000000)
#include "util/ResidentMemory.h"
#include "app/MainForm.h"
#include "chat/ChatJournal.h"
#include "chat/ChatLog.h"
#include "chat/ChatLogIndex.h"
#include "chat/ChatLogViewer.h"
#include "mock/FakePlatform.h"
#include "mock/FakeSession.h"
#include "mock/FakeVoice.h"
#include "platform/Clock.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTableView>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <fcntl.h>
#include <unistd.h>

namespace {

// One record in a thousand is an error, so that filtering to errors has something to list.
constexpr int errorEvery = 1000;

void writeLog(const QString& path, int records)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        qFatal("cannot write %s", qPrintable(path));
    QByteArray chunk;
    for (int i = 0; i < records; ++i) {
        const ChatLogRecord record {
            QStringLiteral("%1:%2:%3 PM")
                .arg(i / 3600 % 12 + 1, 2, 10, QLatin1Char('0'))
                .arg(i / 60 % 60, 2, 10, QLatin1Char('0'))
                .arg(i % 60, 2, 10, QLatin1Char('0')),
            i % errorEvery == 0 ? QStringLiteral("Fault") : QStringLiteral("RxText"),
            QStringLiteral("Q%1AB>hello there, this is chat line number %2 of the log").arg(i % 10).arg(i),
            i % errorEvery == 0 ? LogSeverity::Error : LogSeverity::Information
        };
        chunk += ChatLogFormat::formatLine(record);
        if (chunk.size() > (1 << 20)) {
            file.write(chunk);
            chunk.clear();
        }
    }
    file.write(chunk);
}

double residentMegabytes()
{
    return static_cast<double>(residentKiB()) / 1024.0;
}

double elapsedMs(const QElapsedTimer& timer)
{
    return static_cast<double>(timer.nsecsElapsed()) / 1e6;
}

// One log size: the window on a fake EchoLink and a virtual clock (the designed waits of the start-up cost no
// time here, so what is timed is the program's own work), its documents folder holding the log.
int runWindow(int argc, char** argv, const QString& documents)
{
    QElapsedTimer sinceStart;
    sinceStart.start();
    QApplication app(argc, argv);
    FakeSession session;
    FakeVoice voice;
    FakePlatform platform;
    FakePowerControl power;
    VirtualClock clock;
    platform.documents = documents;
    TmainForm form(MainFormServices { &session, &voice, &clock, &platform, &power, [](QDialog&) {} });
    form.startUp().FormCreate();
    form.show();
    QApplication::processEvents();
    const double shown = elapsedMs(sinceStart);
    const double memoryShown = residentMegabytes();

    // The index is built beside the window; wait for it, so that the memory it keeps is counted.
    QElapsedTimer indexWait;
    indexWait.start();
    form.journal().chatLog().index();
    const double indexReady = elapsedMs(sinceStart);
    const double memoryIndexed = residentMegabytes();

    QElapsedTimer timer;
    timer.start();
    double lastPage = 0, filter = 0, memoryViewer = 0;
    QString lastRow;
    {
        ChatLogViewer viewer(form.journal().chatLog(), QStringLiteral("ChatLog"), &form);
        viewer.show();
        viewer.table()->scrollToBottom();
        viewer.table()->viewport()->grab(); // paints the rows, so each one shown is read
        lastPage = elapsedMs(timer);
        const QAbstractItemModel* model = viewer.table()->model();
        lastRow = model->index(model->rowCount() - 1, 3).data().toString();
        memoryViewer = residentMegabytes();
        timer.restart();
        viewer.setSeverityFilter(LogSeverity::Error);
        viewer.table()->viewport()->grab();
        filter = elapsedMs(timer);
    }
    QApplication::processEvents();
    const double memoryClosed = residentMegabytes();
    std::printf("%.1f %.0f %.1f %.1f %.1f %.1f %.1f %.1f\n", memoryShown, shown, memoryIndexed, indexReady,
                memoryViewer, lastPage, filter, memoryClosed);
    std::fprintf(stderr, "last row: %s\n", qPrintable(lastRow));
    return 0;
}

double bestOf(int rounds, const std::function<void()>& work)
{
    double best = 1e300;
    for (int i = 0; i < rounds; ++i) {
        QElapsedTimer timer;
        timer.start();
        work();
        best = std::min(best, elapsedMs(timer));
    }
    return best;
}

void indexAgainstRead(const QString& path)
{
    const double read = bestOf(3, [&] {
        const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
        QByteArray buffer(1 << 20, Qt::Uninitialized);
        while (::read(fd, buffer.data(), static_cast<size_t>(buffer.size())) > 0) { }
        ::close(fd);
    });
    std::size_t records = 0;
    const double index = bestOf(3, [&] {
        ChatLogIndex built = ChatLogIndex::build(path);
        records = built.recordCount();
    });
    std::printf("\nIndex of %zu records (%lld bytes), from the page cache, best of 3\n", records,
                static_cast<long long>(QFileInfo(path).size()));
    std::printf("  plain read %.1f ms, index %.1f ms: %.1f times the read (aim <= 10)\n", read, index, index / read);
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    if (argc == 3 && QByteArray(argv[1]) == "--window")
        return runWindow(1, argv, QString::fromLocal8Bit(argv[2]));

    QList<int> sizes;
    for (int i = 1; i < argc; ++i)
        sizes << QByteArray(argv[i]).toInt();
    if (sizes.isEmpty())
        sizes = { 0, 200'000, 2'000'000 };
    QTemporaryDir dir;
    std::printf("Logs in %s (removed at the end)\n", qPrintable(dir.path()));
    std::printf("%10s %8s | %9s %12s | %9s %11s | %10s %9s %11s | %10s\n", "records", "log MB", "RSS shown",
                "start->shown", "RSS index", "index ready", "RSS viewer", "last page", "errors only", "RSS closed");
    std::printf("%10s %8s | %9s %12s | %9s %11s | %10s %9s %11s | %10s\n", "", "", "MB", "ms", "MB", "ms", "MB", "ms",
                "ms", "MB");
    QString largest;
    for (int records : sizes) {
        const QString documents = dir.filePath(QStringLiteral("log%1").arg(records));
        const QString log = documents + QStringLiteral("/EchoLink/ChatLog.txt");
        writeLog(log, records);
        largest = log;
        QProcess child;
        child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        child.start(QString::fromLocal8Bit(argv[0]), { QStringLiteral("--window"), documents });
        child.waitForFinished(-1);
        const QList<QByteArray> numbers = child.readAllStandardOutput().trimmed().split(' ');
        if (numbers.size() != 8) {
            std::printf("%10d: the window's run failed\n", records);
            continue;
        }
        std::printf("%10d %8.1f | %9s %12s | %9s %11s | %10s %9s %11s | %10s\n", records,
                    static_cast<double>(QFileInfo(log).size()) / 1e6, numbers[0].constData(), numbers[1].constData(),
                    numbers[2].constData(), numbers[3].constData(), numbers[4].constData(), numbers[5].constData(),
                    numbers[6].constData(), numbers[7].constData());
        std::fflush(stdout);
    }
    if (!largest.isEmpty())
        indexAgainstRead(largest);
    return 0;
}
