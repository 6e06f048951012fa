// The index of a chat log file: it finds exactly the records that reading the file line by line finds, reads them
// back as that reading gives them, and follows the file as it grows, is shortened, replaced or removed.
#include "chat/ChatLogIndex.h"

#include <QtTest>
#include <cstdio>
#include <sys/stat.h>

Q_DECLARE_METATYPE(ChatLogIndex::Change)

namespace {

using Change = ChatLogIndex::Change;

void writeLogFile(const QString& path, const QByteArray& bytes, QIODevice::OpenMode mode = QIODevice::Truncate)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | mode));
    QCOMPARE(file.write(bytes), bytes.size());
}

std::vector<ChatLogRecord> everyRecord(const ChatLogIndex& index, bool* complete = nullptr)
{
    return index.read(0, index.recordCount(), complete);
}

std::vector<std::uint32_t> numbersOf(const std::vector<ChatLogRecord>& records, LogSeverity severity)
{
    std::vector<std::uint32_t> numbers;
    for (std::size_t i = 0; i < records.size(); ++i) {
        if (records[i].severity == severity)
            numbers.push_back(static_cast<std::uint32_t>(i));
    }
    return numbers;
}

// The index against reading the whole file at once: the same records, the same errors and warnings.
void compareWithWholeFile(const ChatLogIndex& index, const QByteArray& bytes)
{
    const std::vector<ChatLogRecord> expected = ChatLogFormat::parseFile(bytes).records;
    bool complete = false;
    QCOMPARE(everyRecord(index, &complete), expected);
    QVERIFY(complete);
    QCOMPARE(index.errorRecords(), numbersOf(expected, LogSeverity::Error));
    QCOMPARE(index.warningRecords(), numbersOf(expected, LogSeverity::Warning));
    QCOMPARE(index.indexedBytes(), bytes.size());
}

} // namespace

class TestChatLogIndex : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void build_findsTheRecordsLineByLineReadingFinds_data();
    void build_findsTheRecordsLineByLineReadingFinds();
    void growth_acrossEverySplitPoint_givesTheWholeFilesRecords_data();
    void growth_acrossEverySplitPoint_givesTheWholeFilesRecords();
    void changedFile_isReportedAndIndexedAgain_data();
    void changedFile_isReportedAndIndexedAgain();
    void missingThenCreatedFile_isIndexedOnceItAppears();
    void unreadableName_isReportedWithoutBlocking();
    void readAfterTheFileShrank_givesEmptyRecordsNotACrash();
    void longLines_areReadWhole();

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    QString path() const { return m_dir->filePath("ChatLog.txt"); }
};

void TestChatLogIndex::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
}

void TestChatLogIndex::build_findsTheRecordsLineByLineReadingFinds_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("empty") << QByteArray();
    QTest::newRow("canonical") << QByteArray("[1]Information>a>b\r\n[2]Error>c>d\r\n[3]Warning>e>f\r\n");
    QTest::newRow("lines that are no records")
        << QByteArray("no bracket\r\n[no close\r\n]before[\r\n\r\n[1]Warning>t>d\r\n");
    QTest::newRow("LF, lone CR and LF CR line ends") << QByteArray("[1]Error>a>b\n[2]Error>c\r[3]Warning\n\r[4]x>y>z");
    QTest::newRow("severity names near the known ones")
        << QByteArray("[1]Errors>a>b\r\n[2]error>a>b\r\n[3]Warning>\r\n[4]Error\r\n[5]WarningWarning>x\r\n"
                      "[6] Error>x\r\n[7]Err\r\n");
    QTest::newRow("bracket inside the time and the title") << QByteArray("x[[1]]Error>[a]>>b>c\r\n");
    QTest::newRow("Windows-1252 records") << QByteArray("[1]Information>Connect>Jos\xE9 Q1AB\r\n"
                                                        "[2]Error>c>\x80\x93quoted\x94\r\n[\xE9]Warning>\x81>\x9D\r\n");
    QTest::newRow("Windows-1252 and UTF-8 lines")
        << QByteArray("[1]Information>a>caf\xE9\r\n[2]Information>b>caf\xC3\xA9\r\n");
    QTest::newRow("byte-order mark and NUL bytes")
        << QByteArray("\xEF\xBB\xBF[1]Error>a>b\r\n[2\0]Warning>\0>x\r\n", 34);
    QTest::newRow("torn tail: a record") << QByteArray("[1]Information>a>b\r\n[2]Error>c>d");
    QTest::newRow("torn tail: inside the time") << QByteArray("[1]Information>a>b\r\n[10:00:0");
    QTest::newRow("torn tail: inside the severity") << QByteArray("[1]Information>a>b\r\n[2]Erro");
    QTest::newRow("torn tail: inside a UTF-8 character") << QByteArray("[1]Information>a>\xE6\x97\xA5\xE6\x97");
    QTest::newRow("torn tail: Windows-1252 record") << QByteArray("[1]Error>a>caf\xE9");
    QTest::newRow("torn tail: CR of a CR LF") << QByteArray("[1]Warning>a>b\r");
}

void TestChatLogIndex::build_findsTheRecordsLineByLineReadingFinds()
{
    QFETCH(QByteArray, bytes);
    writeLogFile(path(), bytes);
    const ChatLogIndex index = ChatLogIndex::build(path());
    compareWithWholeFile(index, bytes);
    QVERIFY(index.error().isEmpty());
}

void TestChatLogIndex::growth_acrossEverySplitPoint_givesTheWholeFilesRecords_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("records and fragments")
        << QByteArray("[1]Information>a>b\r\n[2]Error>c>d\r\njunk\n[3]Warning>e>f\r[4]Err");
    QTest::newRow("Windows-1252 and UTF-8") << QByteArray("[1]Error>caf\xE9>x\r\n[\xC3\xA9]Warning>\xE6\x97\xA5>y\r\n");
}

void TestChatLogIndex::growth_acrossEverySplitPoint_givesTheWholeFilesRecords()
{
    QFETCH(QByteArray, bytes);
    // Another program (or this one) writes the file in two pieces; the index reads the first, then catches up.
    for (qsizetype split = 0; split <= bytes.size(); ++split) {
        writeLogFile(path(), bytes.first(split));
        ChatLogIndex index = ChatLogIndex::build(path());
        writeLogFile(path(), bytes.sliced(split), QIODevice::Append);
        const Change change = index.refresh();
        QVERIFY2(change == (split == bytes.size() ? Change::None : Change::Grew), qPrintable(QString::number(split)));
        compareWithWholeFile(index, bytes);
        QCOMPARE(index.refresh(), Change::None);
    }
}

void TestChatLogIndex::changedFile_isReportedAndIndexedAgain_data()
{
    QTest::addColumn<QString>("how");
    QTest::addColumn<QByteArray>("after");
    QTest::addColumn<Change>("change");
    const QByteArray other = "[9]Error>other>file\r\n";
    QTest::newRow("shortened") << "shortened" << QByteArray("[1]Information>a>b\r\n") << Change::Shortened;
    QTest::newRow("emptied") << "shortened" << QByteArray() << Change::Shortened;
    QTest::newRow("replaced, shorter") << "replaced" << other << Change::Replaced;
    QTest::newRow("replaced, longer") << "replaced" << other.repeated(10) << Change::Replaced;
    QTest::newRow("first line rewritten in place")
        << "shortened" << QByteArray("[1]Information>A>b\r\n[2]Error>c>d\r\n[3]Warning>e>f\r\nmore\r\n")
        << Change::Replaced;
    QTest::newRow("removed") << "removed" << QByteArray() << Change::Removed;
    QTest::newRow("a folder in its place") << "folder" << QByteArray() << Change::Unreadable;
}

void TestChatLogIndex::changedFile_isReportedAndIndexedAgain()
{
    QFETCH(QString, how);
    QFETCH(QByteArray, after);
    QFETCH(Change, change);
    writeLogFile(path(), "[1]Information>a>b\r\n[2]Error>c>d\r\n[3]Warning>e>f\r\n");
    ChatLogIndex index = ChatLogIndex::build(path());
    QCOMPARE(index.recordCount(), std::size_t(3));

    if (how == "shortened") {
        writeLogFile(path(), after);
    } else if (how == "replaced") {
        writeLogFile(path() + ".new", after);
        QCOMPARE(std::rename(qPrintable(path() + ".new"), qPrintable(path())), 0);
    } else {
        QVERIFY(QFile::remove(path()));
        if (how == "folder")
            QVERIFY(QDir().mkdir(path()));
    }
    QCOMPARE(index.refresh(), change);
    compareWithWholeFile(index, after);
    QCOMPARE(index.error().isEmpty(), change != Change::Unreadable);
    if (how == "removed" || how == "folder")
        return;
    // From then on it follows the new file as it grows.
    writeLogFile(path(), "[10]Warning>new>entry\r\n", QIODevice::Append);
    QCOMPARE(index.refresh(), Change::Grew);
    compareWithWholeFile(index, after + "[10]Warning>new>entry\r\n");
}

void TestChatLogIndex::missingThenCreatedFile_isIndexedOnceItAppears()
{
    ChatLogIndex index = ChatLogIndex::build(path());
    QCOMPARE(index.recordCount(), std::size_t(0));
    QCOMPARE(index.refresh(), Change::None);
    writeLogFile(path(), "[1]Information>Log Started>Corvane Startup\r\n");
    QCOMPARE(index.refresh(), Change::Grew);
    QCOMPARE(index.recordCount(), std::size_t(1));
    QVERIFY(QFile::remove(path()));
    QCOMPARE(index.refresh(), Change::Removed);
    QCOMPARE(index.recordCount(), std::size_t(0));
    QCOMPARE(index.refresh(), Change::None);
}

void TestChatLogIndex::unreadableName_isReportedWithoutBlocking()
{
    QCOMPARE(::mkfifo(QFile::encodeName(path()).constData(), 0600), 0);
    ChatLogIndex index(path());
    QCOMPARE(index.refresh(), Change::Unreadable);
    QCOMPARE(index.recordCount(), std::size_t(0));
    QVERIFY(!index.error().isEmpty());
    // Said once, not on every look; said again after the file was readable in between.
    QCOMPARE(index.refresh(), Change::None);
    QVERIFY(!index.error().isEmpty());
    QVERIFY(QFile::remove(path()));
    writeLogFile(path(), "[1]Error>a>b\r\n");
    QCOMPARE(index.refresh(), Change::Grew);
    QVERIFY(index.error().isEmpty());
    QVERIFY(QFile::remove(path()));
    QVERIFY(QDir().mkdir(path()));
    QCOMPARE(index.refresh(), Change::Unreadable);
}

void TestChatLogIndex::readAfterTheFileShrank_givesEmptyRecordsNotACrash()
{
    QByteArray bytes;
    for (int i = 0; i < 600; ++i)
        bytes += QStringLiteral("[%1]Information>RxText>Q1AB>line %1\r\n").arg(i).toUtf8();
    writeLogFile(path(), bytes);
    const ChatLogIndex index = ChatLogIndex::build(path());
    writeLogFile(path(), bytes.first(bytes.size() / 2));
    bool complete = true;
    const std::vector<ChatLogRecord> records = everyRecord(index, &complete);
    QVERIFY(!complete);
    QCOMPARE(records.size(), std::size_t(600));
    QCOMPARE(records.front().description, QString("Q1AB>line 0"));
    QCOMPARE(records.back(), ChatLogRecord());
}

void TestChatLogIndex::longLines_areReadWhole()
{
    // Records larger than one read of a block, and a line that is no record between them.
    const QByteArray big(3 << 20, 'x');
    const QByteArray bytes = "[1]Information>a>" + big + "\r\n" + big + "\n[2]Error>b>" + big + "\r\n[3]Warning>c>d";
    writeLogFile(path(), bytes);
    const ChatLogIndex index = ChatLogIndex::build(path());
    compareWithWholeFile(index, bytes);
    QCOMPARE(index.read(1, 5).size(), std::size_t(2));
    QCOMPARE(index.read(1, 1).front().description.size(), big.size());
}

QTEST_GUILESS_MAIN(TestChatLogIndex)
#include "TestChatLogIndex.moc"
