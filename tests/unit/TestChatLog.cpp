// The chat log store: loading, appending, the one-time replacement of a file a rewrite would change, and what
// happens when the file cannot be written.
#include "chat/ChatLog.h"

#include <QtTest>
#include <sys/stat.h>

namespace {

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

// What the log's full rewrite of its list gives: the file must always hold exactly this.
QByteArray rewriteOf(const ChatLog& log)
{
    QByteArray bytes;
    for (const ChatLogRecord& record : log.records())
        bytes += ChatLogFormat::formatLine(record);
    return bytes;
}

ino_t inodeOf(const QString& path)
{
    using FileStatus = struct stat;
    FileStatus info {};
    return ::stat(QFile::encodeName(path).constData(), &info) == 0 ? info.st_ino : 0;
}

} // namespace

class TestChatLog : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void missingFile_givesEmptyListAndCreatesNothing();
    void existingFile_isReadIntoTheList();
    void firstEntry_createsMissingFolderAndFile();
    void canonicalFile_isAppendedInPlace();
    void otherFile_isReplacedOnceAtomicallyThenAppended_data();
    void otherFile_isReplacedOnceAtomicallyThenAppended();
    void lineBreaksInFields_neverSplitOrForgeRecords_data();
    void lineBreaksInFields_neverSplitOrForgeRecords();
    void writeFailure_throwsNamingTheFileAndKeepsTheEntry();
    void afterAFailedWrite_theNextEntryWritesTheWholeList();
    void fileChangedByOthers_isRewrittenFromTheList();
    void autoSaveOff_writesNothingUntilSwitchedOn();
    void unreadableFile_throws();

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
    log.add("1", "before", "loading");
    log.setFileName(path("ChatLog.txt"));
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
    log.setFileName(path("ChatLog.txt"));
    const std::vector<ChatLogRecord> expected {
        { "10:00:00", "Log Started", "Corvane Startup", LogSeverity::Information },
        { "10:00:05", "a>b", "Q1AB>hi", LogSeverity::Warning },
    };
    QCOMPARE(log.records(), expected);
}

void TestChatLog::firstEntry_createsMissingFolderAndFile()
{
    const QString file = path("Documents/EchoLink/ChatLog.txt");
    ChatLog log;
    log.setFileName(file);
    log.setAutoSave(true);
    log.add("10:00:00", "Log Started", "Corvane Startup");
    QCOMPARE(readAll(file), QByteArray("[10:00:00]Information>Log Started>Corvane Startup\r\n"));
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

void TestChatLog::otherFile_isReplacedOnceAtomicallyThenAppended_data()
{
    QTest::addColumn<QByteArray>("old");
    QTest::newRow("LF line ends") << QByteArray("[1]Information>a>b\n[2]Information>c>d\n");
    QTest::newRow("dropped line") << QByteArray("[1]Information>a>b\r\nnot a record\r\n");
    QTest::newRow("no final line end") << QByteArray("[1]Information>a>b");
    QTest::newRow("unknown severity") << QByteArray("[1]Notice>a>b\r\n");
    QTest::newRow("no title separator") << QByteArray("[1]Information>a>>b\r\n");
}

void TestChatLog::otherFile_isReplacedOnceAtomicallyThenAppended()
{
    QFETCH(QByteArray, old);
    writeAll(path("ChatLog.txt"), old);
    const ino_t original = inodeOf(path("ChatLog.txt"));
    ChatLog log;
    log.setFileName(path("ChatLog.txt"));
    log.setAutoSave(true);

    log.add("10:00:01", "RxText", "Q1AB>hello");
    const ino_t replaced = inodeOf(path("ChatLog.txt"));
    QVERIFY2(replaced != original, "a rewrite goes to a new file that replaces the old one whole");
    QCOMPARE(readAll(path("ChatLog.txt")), rewriteOf(log));

    log.add("10:00:02", "Disconnect", "Q1AB");
    QCOMPARE(inodeOf(path("ChatLog.txt")), replaced);
    QCOMPARE(readAll(path("ChatLog.txt")), rewriteOf(log));
    QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files), QStringList { "ChatLog.txt" });
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

void TestChatLog::writeFailure_throwsNamingTheFileAndKeepsTheEntry()
{
    // Tests may run as root, which writes through any permission bits; a folder that is a file stops everyone.
    writeAll(path("blocker"), "a file, not a folder");
    const QString file = path("blocker/EchoLink/ChatLog.txt");
    ChatLog log;
    log.setFileName(file);
    log.setAutoSave(true);
    try {
        log.add("10:00:00", "Log Started", "Corvane Startup");
        QFAIL("writing under a regular file must fail");
    } catch (const ChatLogError& error) {
        QVERIFY2(error.message().contains(QDir::toNativeSeparators(file)), qPrintable(error.message()));
    }
    QCOMPARE(log.records().size(), std::size_t(1));
}

void TestChatLog::afterAFailedWrite_theNextEntryWritesTheWholeList()
{
    writeAll(path("EchoLink"), "in the way");
    const QString file = path("EchoLink/ChatLog.txt");
    ChatLog log;
    log.setFileName(file);
    log.setAutoSave(true);
    QVERIFY_THROWS_EXCEPTION(ChatLogError, log.add("10:00:00", "Log Started", "Corvane Startup"));
    QVERIFY(QFile::remove(path("EchoLink")));
    log.add("10:00:01", "RxText", "Q1AB>hi");
    QCOMPARE(log.records().size(), std::size_t(2));
    QCOMPARE(readAll(file), rewriteOf(log));
}

void TestChatLog::fileChangedByOthers_isRewrittenFromTheList()
{
    ChatLog log;
    log.setFileName(path("ChatLog.txt"));
    log.setAutoSave(true);
    log.add("10:00:00", "Log Started", "Corvane Startup");
    log.add("10:00:01", "RxText", "Q1AB>hi");
    writeAll(path("ChatLog.txt"), "[x]Information>truncated by someone>\r\n");
    log.add("10:00:02", "Disconnect", "Q1AB");
    QCOMPARE(readAll(path("ChatLog.txt")), rewriteOf(log));

    QVERIFY(QFile::remove(path("ChatLog.txt")));
    log.add("10:00:03", "Log Closed", "Corvane Closing");
    QCOMPARE(readAll(path("ChatLog.txt")), rewriteOf(log));
}

void TestChatLog::autoSaveOff_writesNothingUntilSwitchedOn()
{
    ChatLog log;
    log.setFileName(path("ChatLog.txt"));
    log.add("10:00:00", "Log Started", "Corvane Startup");
    QVERIFY(!QFile::exists(path("ChatLog.txt")));
    log.setAutoSave(true);
    log.add("10:00:01", "RxText", "Q1AB>hi");
    QCOMPARE(readAll(path("ChatLog.txt")), rewriteOf(log));
    QCOMPARE(log.records().size(), std::size_t(2));
}

void TestChatLog::unreadableFile_throws()
{
    QVERIFY(QDir(m_dir->path()).mkdir("ChatLog.txt"));
    ChatLog log;
    QVERIFY_THROWS_EXCEPTION(ChatLogError, log.setFileName(path("ChatLog.txt")));
    QVERIFY(log.records().empty());
}

QTEST_GUILESS_MAIN(TestChatLog)
#include "TestChatLog.moc"
