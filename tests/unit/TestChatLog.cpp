// The chat log store: loading, appending, files from elsewhere kept byte for byte, and what happens when the file
// cannot be written.
#include "chat/ChatLog.h"

#include <QtTest>
#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

Q_DECLARE_METATYPE(ChatLog::WriteStatus)

namespace {

using Status = ChatLog::WriteStatus;

QByteArray readAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void writeAll(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(file.write(bytes), bytes.size());
}

void appendTo(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Append));
    QCOMPARE(file.write(bytes), bytes.size());
}

// The records from index first on, as the log appends them.
QByteArray linesOf(const ChatLog& log, std::size_t first = 0)
{
    QByteArray bytes;
    for (std::size_t i = first; i < log.records().size(); ++i)
        bytes += ChatLogFormat::formatLine(log.records()[i]);
    return bytes;
}

QByteArray lineOf(const QString& time, const QString& title, const QString& description)
{
    return ChatLogFormat::formatLine({ time, title, description, LogSeverity::Information });
}

ino_t inodeOf(const QString& path)
{
    using FileStatus = struct stat;
    FileStatus info {};
    return ::stat(QFile::encodeName(path).constData(), &info) == 0 ? info.st_ino : 0;
}

std::vector<ChatLogRecord> reloaded(const QString& path)
{
    ChatLog log;
    log.setFileName(path);
    return log.records();
}

bool runningAsRoot()
{
    return ::geteuid() == 0;
}

// Lowers the largest file size this process may write for as long as it lives, as a nearly full disk would.
class FileSizeLimit
{
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        ::getrlimit(RLIMIT_FSIZE, &m_saved);
        m_oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit = m_saved;
        limit.rlim_cur = bytes;
        m_set = ::setrlimit(RLIMIT_FSIZE, &limit) == 0;
    }
    ~FileSizeLimit()
    {
        ::setrlimit(RLIMIT_FSIZE, &m_saved);
        std::signal(SIGXFSZ, m_oldHandler);
    }
    bool isSet() const { return m_set; }

private:
    rlimit m_saved {};
    void (*m_oldHandler)(int) = nullptr;
    bool m_set = false;
};

} // namespace

class TestChatLog : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void missingFile_givesEmptyListAndCreatesNothing();
    void existingFile_isReadIntoTheList();
    void firstEntry_createsMissingFolderAndFile();
    void index_coversTheHistoryAndCatchesUpWithEntries();
    void canonicalFile_isAppendedInPlace();
    void foreignFile_isKeptByteForByteAndAppendedTo_data();
    void foreignFile_isKeptByteForByteAndAppendedTo();
    void windows1252Log_readsForDisplayAndIsNeverRewritten();
    void tornTail_newRecordStartsOnItsOwnLineAndFragmentStays_data();
    void tornTail_newRecordStartsOnItsOwnLineAndFragmentStays();
    void lineBreaksInFields_neverSplitOrForgeRecords_data();
    void lineBreaksInFields_neverSplitOrForgeRecords();
    void controlCharactersInFields_areWrittenAsBlanks();
    void writeFailure_isReportedOnceNamingTheFileAndKeepsTheEntries_data();
    void writeFailure_isReportedOnceNamingTheFileAndKeepsTheEntries();
    void afterAFailedWrite_heldRecordsAreWrittenFirstInOrderAndRecoveryIsReportedOnce();
    void fullDisk_recordsWaitAndAreWrittenInOrderWhenRoomReturns();
    void partialWrite_isTakenBackAndTheRecordWrittenWholeLater();
    void fileChangedByOthers_isLeftAsTheyLeftIt();
    void autoSaveOff_writesNothingUntilSwitchedOn();
    void unreadableFile_isReportedWithoutBlockingOrThrowing_data();
    void unreadableFile_isReportedWithoutBlockingOrThrowing();

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    QString path(const QString& name) const { return m_dir->filePath(name); }
};

void TestChatLog::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
}

void TestChatLog::missingFile_givesEmptyListAndCreatesNothing()
{
    ChatLog log;
    QCOMPARE(log.add("1", "before", "loading"), Status::Deferred);
    QVERIFY(log.setFileName(path("ChatLog.txt")));
    QVERIFY(log.records().empty());
    QCOMPARE(log.fileName(), path("ChatLog.txt"));
    QVERIFY(!QFile::exists(path("ChatLog.txt")));
}

void TestChatLog::existingFile_isReadIntoTheList()
{
    writeAll(path("ChatLog.txt"),
             "[10:00:00]Information>Log Started>Corvane Startup\r\n"
             "garbage\r\n"
             "[10:00:05]Warning>a>>b>Q1AB>hi\r\n");
    ChatLog log;
    QVERIFY(log.setFileName(path("ChatLog.txt")));
    const std::vector<ChatLogRecord> expected {
        { "10:00:00", "Log Started", "Corvane Startup", LogSeverity::Information },
        { "10:00:05", "a>b", "Q1AB>hi", LogSeverity::Warning },
    };
    QCOMPARE(log.records(), expected);
    QCOMPARE(log.pendingCount(), std::size_t(0));
}

void TestChatLog::firstEntry_createsMissingFolderAndFile()
{
    const QString file = path("Documents/EchoLink/ChatLog.txt");
    ChatLog log;
    log.setFileName(file);
    log.setAutoSave(true);
    QCOMPARE(log.add("10:00:00", "Log Started", "Corvane Startup"), Status::Written);
    QCOMPARE(readAll(file), QByteArray("[10:00:00]Information>Log Started>Corvane Startup\r\n"));
}

void TestChatLog::index_coversTheHistoryAndCatchesUpWithEntries()
{
    QByteArray history;
    for (int i = 0; i < 1000; ++i)
        history += lineOf(QString::number(i), i % 10 ? "RxText" : "Fault", "Q1AB>hi");
    history.replace("Information>Fault", "Error>Fault");
    writeAll(path("ChatLog.txt"), history + "[torn]Warn");
    ChatLog log;
    QVERIFY(log.setFileName(path("ChatLog.txt")));
    log.setAutoSave(true);
    QCOMPARE(log.pendingCount(), std::size_t(0));
    // Entries are appended while the index may still be under way; it catches up with them when asked.
    QCOMPARE(log.add("10:00:01", "RxText", "Q2CD>there"), Status::Written);
    ChatLogIndex& index = log.index();
    QVERIFY(log.indexReady());
    index.refresh();
    QCOMPARE(index.recordCount(), std::size_t(1002));
    QCOMPARE(index.errorRecords().size(), std::size_t(100));
    const std::vector<ChatLogRecord> last = index.read(1000, 2);
    QCOMPARE(last.front().time, QString("torn"));
    QCOMPARE(last.back(), (ChatLogRecord { "10:00:01", "RxText", "Q2CD>there", LogSeverity::Information }));
    QCOMPARE(log.records().size(), std::size_t(1002));
}

void TestChatLog::canonicalFile_isAppendedInPlace()
{
    const QByteArray old = "[10:00:00]Information>Log Started>Corvane Startup\r\n";
    writeAll(path("ChatLog.txt"), old);
    const ino_t inode = inodeOf(path("ChatLog.txt"));
    ChatLog log;
    log.setFileName(path("ChatLog.txt"));
    log.setAutoSave(true);
    log.add("10:00:01", "RxText", "Q1AB>hello");
    log.add("10:00:02", "Disconnect", "Q1AB");
    QCOMPARE(inodeOf(path("ChatLog.txt")), inode);
    QCOMPARE(readAll(path("ChatLog.txt")),
             old + "[10:00:01]Information>RxText>Q1AB>hello\r\n[10:00:02]Information>Disconnect>Q1AB\r\n");
}

void TestChatLog::foreignFile_isKeptByteForByteAndAppendedTo_data()
{
    QTest::addColumn<QByteArray>("old");
    QTest::newRow("LF line ends") << QByteArray("[1]Information>a>b\n[2]Information>c>d\n");
    QTest::newRow("dropped line") << QByteArray("[1]Information>a>b\r\nnot a record\r\n");
    QTest::newRow("unknown severity") << QByteArray("[1]Notice>a>b\r\n");
    QTest::newRow("no title separator") << QByteArray("[1]Information>a>>b\r\n");
    QTest::newRow("byte-order mark") << QByteArray("\xEF\xBB\xBF[1]Information>a>b\r\n");
    QTest::newRow("Windows-1252") << QByteArray("[1]Information>Connect>Jos\xE9 Q1AB\r\n[2]Information>c>\x80\r\n");
    QTest::newRow("Windows-1252 and UTF-8 lines")
        << QByteArray("[1]Information>a>caf\xE9\r\n[2]Information>b>caf\xC3\xA9\r\n");
}

void TestChatLog::foreignFile_isKeptByteForByteAndAppendedTo()
{
    QFETCH(QByteArray, old);
    writeAll(path("ChatLog.txt"), old);
    const ino_t original = inodeOf(path("ChatLog.txt"));
    ChatLog log;
    log.setFileName(path("ChatLog.txt"));
    log.setAutoSave(true);
    const std::size_t loaded = log.records().size();

    QCOMPARE(log.add("10:00:01", "RxText", "Q1AB>h\u00e9llo \u65e5\u672c"), Status::Written);
    QCOMPARE(log.add("10:00:02", "Disconnect", "Q1AB"), Status::Written);
    QCOMPARE(inodeOf(path("ChatLog.txt")), original);
    QCOMPARE(readAll(path("ChatLog.txt")), old + linesOf(log, loaded));
    QCOMPARE(reloaded(path("ChatLog.txt")), log.records());
    QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files), QStringList { "ChatLog.txt" });
}

void TestChatLog::windows1252Log_readsForDisplayAndIsNeverRewritten()
{
    const QByteArray old = "[10:00:00]Information>RxText>Q1AB>caf\xE9 \x93ok\x94\r\n";
    writeAll(path("ChatLog.txt"), old);
    ChatLog log;
    log.setFileName(path("ChatLog.txt"));
    log.setAutoSave(true);
    QCOMPARE(log.records().front().description, QStringLiteral("Q1AB>caf\u00e9 \u201cok\u201d"));

    log.add("10:00:01", "RxText", "Q2CD>caf\u00e9 \u65e5\u672c");
    QCOMPARE(readAll(path("ChatLog.txt")),
             old + "[10:00:01]Information>RxText>Q2CD>caf\xC3\xA9 \xE6\x97\xA5\xE6\x9C\xAC\r\n");
    QCOMPARE(reloaded(path("ChatLog.txt")), log.records());
}

void TestChatLog::tornTail_newRecordStartsOnItsOwnLineAndFragmentStays_data()
{
    QTest::addColumn<QByteArray>("old");
    QTest::addColumn<QByteArray>("separator");
    QTest::newRow("ends inside a UTF-8 character") << QByteArray("[1]Information>a>b\r\n\xE3") << QByteArray("\r\n");
    QTest::newRow("ends inside a record") << QByteArray("[1]Information>a>b\r\n[10:00:0") << QByteArray("\r\n");
    QTest::newRow("record cut inside a character")
        << QByteArray("[1]Information>a>\xE6\x97\xA5\xE6\x97") << QByteArray("\r\n");
    QTest::newRow("Windows-1252 record without line end")
        << QByteArray("[1]Information>a>caf\xE9") << QByteArray("\r\n");
    QTest::newRow("ends in LF") << QByteArray("[1]Information>a>b\n") << QByteArray();
    QTest::newRow("ends in CR") << QByteArray("[1]Information>a>b\r") << QByteArray();
}

void TestChatLog::tornTail_newRecordStartsOnItsOwnLineAndFragmentStays()
{
    QFETCH(QByteArray, old);
    QFETCH(QByteArray, separator);
    writeAll(path("ChatLog.txt"), old);
    ChatLog log;
    log.setFileName(path("ChatLog.txt"));
    log.setAutoSave(true);
    const std::size_t loaded = log.records().size();

    log.add("10:00:01", "Information", "Q1AB>hi");
    log.add("10:00:02", "Disconnect", "Q1AB");
    const QByteArray added = linesOf(log, loaded);
    QCOMPARE(readAll(path("ChatLog.txt")), old + separator + added);
    QVERIFY(added.startsWith("[10:00:01]"));
    QCOMPARE(reloaded(path("ChatLog.txt")), log.records());
}

void TestChatLog::lineBreaksInFields_neverSplitOrForgeRecords_data()
{
    QTest::addColumn<QString>("time");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("description");
    QTest::newRow("forged record in received chat") << "10:00:00"
                                                    << "RxText"
                                                    << "Q1AB>hi\r\n[10:00:00]Error>Forged>x";
    QTest::newRow("lone CR") << "10:00:00"
                             << "RxText"
                             << "Q1AB>a\r[1]Error>b>c";
    QTest::newRow("lone LF") << "10:00:00"
                             << "RxText"
                             << "Q1AB>a\n[1]Error>b>c";
    QTest::newRow("break in title") << "10:00:00"
                                    << "Tx\r\nText"
                                    << "x";
    QTest::newRow("break in time") << "10:00\n:00"
                                   << "TxText"
                                   << "x";
    QTest::newRow("trailing CR") << "10:00:00"
                                 << "RxText"
                                 << "Q1AB>a\r";
}

void TestChatLog::lineBreaksInFields_neverSplitOrForgeRecords()
{
    QFETCH(QString, time);
    QFETCH(QString, title);
    QFETCH(QString, description);
    ChatLog log;
    log.setFileName(path("ChatLog.txt"));
    log.setAutoSave(true);
    log.add(time, title, description);
    log.add("10:00:01", "Disconnect", "Q1AB");
    QCOMPARE(readAll(path("ChatLog.txt")).count("\r\n"), 2);

    ChatLog reloaded;
    reloaded.setFileName(path("ChatLog.txt"));
    QCOMPARE(reloaded.records(), log.records());
    QCOMPARE(reloaded.records().front().severity, LogSeverity::Information);
}

void TestChatLog::controlCharactersInFields_areWrittenAsBlanks()
{
    ChatLog log;
    log.setFileName(path("ChatLog.txt"));
    log.setAutoSave(true);
    log.add("10:00:00", QString::fromUtf8("Rx\0Text", 7), QString::fromUtf8("Q1AB>\0\x1b[2J\a\x7f\u0085\tend", 18));
    QCOMPARE(readAll(path("ChatLog.txt")), QByteArray("[10:00:00]Information>Rx Text>Q1AB>  [2J   \tend\r\n"));
}

void TestChatLog::writeFailure_isReportedOnceNamingTheFileAndKeepsTheEntries_data()
{
    QTest::addColumn<QString>("cause");
    QTest::newRow("folder path holds a regular file") << "blocked folder";
    QTest::newRow("log name is a folder") << "folder";
    QTest::newRow("read-only folder") << "read-only folder";
    QTest::newRow("full disk") << "full disk";
}

void TestChatLog::writeFailure_isReportedOnceNamingTheFileAndKeepsTheEntries()
{
    QFETCH(QString, cause);
    QString file = path("EchoLink/ChatLog.txt");
    if (cause == "blocked folder") {
        writeAll(path("EchoLink"), "a file, not a folder");
    } else if (cause == "folder") {
        QVERIFY(QDir().mkpath(file));
    } else if (cause == "read-only folder") {
        if (runningAsRoot())
            QSKIP("root writes through any permission bits");
        QVERIFY(QDir().mkpath(path("EchoLink")));
        QVERIFY(QFile::setPermissions(path("EchoLink"), QFile::ReadOwner | QFile::ExeOwner));
    } else {
        if (!QFile::exists("/dev/full"))
            QSKIP("no /dev/full on this system");
        QVERIFY(QDir().mkpath(path("EchoLink")));
        QVERIFY(QFile::link("/dev/full", file));
    }
    ChatLog log;
    log.setFileName(file);
    log.setAutoSave(true);

    QCOMPARE(log.add("10:00:00", "Log Started", "Corvane Startup"), Status::Failed);
    QVERIFY(log.writeFailing());
    QVERIFY2(log.writeError().contains(QDir::toNativeSeparators(file)), qPrintable(log.writeError()));
    QCOMPARE(log.add("10:00:01", "RxText", "Q1AB>hi"), Status::FailedAgain);
    QCOMPARE(log.writePending(), Status::FailedAgain);
    QCOMPARE(log.records().size(), std::size_t(2));
    QCOMPARE(log.pendingCount(), std::size_t(2));
    QFile::setPermissions(path("EchoLink"), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

void TestChatLog::afterAFailedWrite_heldRecordsAreWrittenFirstInOrderAndRecoveryIsReportedOnce()
{
    writeAll(path("EchoLink"), "in the way");
    const QString file = path("EchoLink/ChatLog.txt");
    ChatLog log;
    log.setFileName(file);
    log.setAutoSave(true);
    QCOMPARE(log.add("10:00:00", "Log Started", "Corvane Startup"), Status::Failed);
    QCOMPARE(log.add("10:00:01", "RxText", "Q1AB>one"), Status::FailedAgain);
    QVERIFY(QFile::remove(path("EchoLink")));

    QCOMPARE(log.add("10:00:02", "RxText", "Q1AB>two"), Status::Recovered);
    QVERIFY(!log.writeFailing());
    QVERIFY(log.writeError().isEmpty());
    QCOMPARE(log.pendingCount(), std::size_t(0));
    QCOMPARE(readAll(file), linesOf(log));
    QCOMPARE(log.add("10:00:03", "RxText", "Q1AB>three"), Status::Written);
    QCOMPARE(readAll(file), linesOf(log));

    // A second outage is reported again.
    QVERIFY(QFile::remove(file));
    QVERIFY(QDir().mkdir(file));
    QCOMPARE(log.add("10:00:04", "Disconnect", "Q1AB"), Status::Failed);
}

void TestChatLog::fullDisk_recordsWaitAndAreWrittenInOrderWhenRoomReturns()
{
    if (!QFile::exists("/dev/full"))
        QSKIP("no /dev/full on this system");
    const QString file = path("ChatLog.txt");
    ChatLog log;
    log.setFileName(file);
    log.setAutoSave(true);
    QCOMPARE(log.add("10:00:00", "Log Started", "Corvane Startup"), Status::Written);
    QVERIFY(QFile::remove(file));
    QVERIFY(QFile::link("/dev/full", file)); // every write now fails with "No space left on device"

    QCOMPARE(log.add("10:00:01", "RxText", "Q1AB>one"), Status::Failed);
    QVERIFY2(log.writeError().contains("space"), qPrintable(log.writeError()));
    for (int i = 2; i <= 100; ++i)
        QCOMPARE(log.add("10:00:02", "RxText", QStringLiteral("Q1AB>%1").arg(i)), Status::FailedAgain);
    QCOMPARE(log.pendingCount(), std::size_t(100));

    QVERIFY(QFile::remove(file)); // room again
    QCOMPARE(log.writePending(), Status::Recovered);
    QByteArray held = lineOf("10:00:01", "RxText", "Q1AB>one");
    for (int i = 2; i <= 100; ++i)
        held += lineOf("10:00:02", "RxText", QStringLiteral("Q1AB>%1").arg(i));
    QCOMPARE(readAll(file), held);
    QCOMPARE(log.writePending(), Status::Written);
}

void TestChatLog::partialWrite_isTakenBackAndTheRecordWrittenWholeLater()
{
    const QByteArray old = "[10:00:00]Information>Log Started>Corvane Startup\r\n";
    writeAll(path("ChatLog.txt"), old);
    ChatLog log;
    log.setFileName(path("ChatLog.txt"));
    log.setAutoSave(true);
    {
        // Room for ten more bytes: the record's first write is cut short, the next one refused.
        FileSizeLimit limit(static_cast<rlim_t>(old.size() + 10));
        QVERIFY(limit.isSet());
        QCOMPARE(log.add("10:00:01", "RxText", "Q1AB>" + QString(200, u'x')), Status::Failed);
        QCOMPARE(readAll(path("ChatLog.txt")), old);
    }
    QCOMPARE(log.add("10:00:02", "Disconnect", "Q1AB"), Status::Recovered);
    QCOMPARE(readAll(path("ChatLog.txt")), old + linesOf(log, 1));
    QCOMPARE(reloaded(path("ChatLog.txt")), log.records());
}

void TestChatLog::fileChangedByOthers_isLeftAsTheyLeftIt()
{
    const QString file = path("ChatLog.txt");
    ChatLog log;
    log.setFileName(file);
    log.setAutoSave(true);
    log.add("10:00:00", "Log Started", "Corvane Startup");
    log.add("10:00:01", "RxText", "Q1AB>hi");

    writeAll(file, "[x]Information>truncated by someone>\r\n");
    log.add("10:00:02", "Disconnect", "Q1AB");
    QCOMPARE(readAll(file), "[x]Information>truncated by someone>\r\n" + lineOf("10:00:02", "Disconnect", "Q1AB"));

    appendTo(file, "[y]Informa");
    const QByteArray before = readAll(file);
    log.add("10:00:03", "RxText", "Q2CD>there");
    QCOMPARE(readAll(file), before + "\r\n" + lineOf("10:00:03", "RxText", "Q2CD>there"));

    QVERIFY(QFile::remove(file));
    log.add("10:00:04", "Log Closed", "Corvane Closing");
    QCOMPARE(readAll(file), lineOf("10:00:04", "Log Closed", "Corvane Closing"));
}

void TestChatLog::autoSaveOff_writesNothingUntilSwitchedOn()
{
    ChatLog log;
    log.setFileName(path("ChatLog.txt"));
    QCOMPARE(log.add("10:00:00", "Log Started", "Corvane Startup"), Status::Deferred);
    QVERIFY(!QFile::exists(path("ChatLog.txt")));
    QCOMPARE(log.pendingCount(), std::size_t(1));
    log.setAutoSave(true);
    QCOMPARE(log.add("10:00:01", "RxText", "Q1AB>hi"), Status::Written);
    QCOMPARE(readAll(path("ChatLog.txt")), linesOf(log));
    QCOMPARE(log.records().size(), std::size_t(2));
}

void TestChatLog::unreadableFile_isReportedWithoutBlockingOrThrowing_data()
{
    QTest::addColumn<QString>("kind");
    QTest::newRow("folder") << "folder";
    QTest::newRow("named pipe") << "pipe";
}

void TestChatLog::unreadableFile_isReportedWithoutBlockingOrThrowing()
{
    QFETCH(QString, kind);
    const QString file = path("ChatLog.txt");
    if (kind == "folder")
        QVERIFY(QDir(m_dir->path()).mkdir("ChatLog.txt"));
    else
        QCOMPARE(::mkfifo(QFile::encodeName(file).constData(), 0600), 0);
    ChatLog log;
    QString error;
    QVERIFY(!log.setFileName(file, &error));
    QVERIFY2(error.contains(QDir::toNativeSeparators(file)), qPrintable(error));
    QVERIFY(log.records().empty());

    log.setAutoSave(true);
    QCOMPARE(log.add("10:00:00", "Log Started", "Corvane Startup"), Status::Failed);
    QCOMPARE(log.records().size(), std::size_t(1));
}

QTEST_GUILESS_MAIN(TestChatLog)
#include "TestChatLog.moc"
