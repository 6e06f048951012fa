// The chat log's line format: what is written, what is read back, and which files a rewrite would change.
#include "chat/ChatLogFormat.h"

#include <QtTest>

Q_DECLARE_METATYPE(LogSeverity)

using namespace ChatLogFormat;

class TestChatLogFormat : public QObject
{
    Q_OBJECT
private slots:
    void formatLine_writesOneLineWithDoubledTitleSeparators_data();
    void formatLine_writesOneLineWithDoubledTitleSeparators();
    void parseLine_followsTheReadingRules_data();
    void parseLine_followsTheReadingRules();
    void roundTrip_givesBackTheRecord_data();
    void roundTrip_givesBackTheRecord();
    void sanitizedField_keepsEveryRecordOnOneLine_data();
    void sanitizedField_keepsEveryRecordOnOneLine();
    void parseFile_reportsWhetherARewriteWouldChangeTheFile_data();
    void parseFile_reportsWhetherARewriteWouldChangeTheFile();
};

void TestChatLogFormat::formatLine_writesOneLineWithDoubledTitleSeparators_data()
{
    QTest::addColumn<QString>("time");
    QTest::addColumn<LogSeverity>("severity");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("description");
    QTest::addColumn<QByteArray>("line");

    QTest::newRow("received chat") << "12:00:01" << LogSeverity::Information << "RxText"
                                   << "Q1AB>hello there"
                                   << QByteArray("[12:00:01]Information>RxText>Q1AB>hello there\r\n");
    QTest::newRow("title separators doubled") << "1:02:03 PM" << LogSeverity::Warning << "a>b>"
                                              << "c>d" << QByteArray("[1:02:03 PM]Warning>a>>b>>>c>d\r\n");
    QTest::newRow("error, empty fields") << "" << LogSeverity::Error << ""
                                         << "" << QByteArray("[]Error>>\r\n");
    QTest::newRow("locale encoding") << "08:00:00" << LogSeverity::Information << "Connect"
                                     << "Jos\u00e9 Q1AB"
                                     << QByteArray("[08:00:00]Information>Connect>Jos\xc3\xa9 Q1AB\r\n");
}

void TestChatLogFormat::formatLine_writesOneLineWithDoubledTitleSeparators()
{
    QFETCH(QString, time);
    QFETCH(LogSeverity, severity);
    QFETCH(QString, title);
    QFETCH(QString, description);
    QFETCH(QByteArray, line);
    QCOMPARE(formatLine({ time, title, description, severity }), line);
}

void TestChatLogFormat::parseLine_followsTheReadingRules_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<bool>("kept");
    QTest::addColumn<QString>("time");
    QTest::addColumn<LogSeverity>("severity");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("description");
    const auto info = LogSeverity::Information;

    QTest::newRow("plain") << "[12:00:00]Information>Log Started>Corvane Startup" << true << "12:00:00" << info
                           << "Log Started"
                           << "Corvane Startup";
    QTest::newRow("description keeps single >") << "[t]Information>RxText>Q1AB>.a1>x" << true << "t" << info << "RxText"
                                                << "Q1AB>.a1>x";
    QTest::newRow("doubled > in title") << "[t]Warning>a>>b>c" << true << "t" << LogSeverity::Warning << "a>b"
                                        << "c";
    QTest::newRow("title ending in >") << "[t]Error>a>>>c" << true << "t" << LogSeverity::Error << "a>"
                                       << "c";
    QTest::newRow("no separator after title")
        << "[t]Error>only>>title" << true << "t" << LogSeverity::Error << "only>title"
        << "";
    QTest::newRow("no > after severity") << "[t]Warning" << true << "t" << LogSeverity::Warning << ""
                                         << "";
    QTest::newRow("unknown severity reads as Information") << "[t]Debug>x>y" << true << "t" << info << "x"
                                                           << "y";
    QTest::newRow("severity names are exact") << "[t]error>x>y" << true << "t" << info << "x"
                                              << "y";
    QTest::newRow("text before [ ignored") << "junk[t]Error>x>y" << true << "t" << LogSeverity::Error << "x"
                                           << "y";
    QTest::newRow("first ] ends the time") << "[[a]b]Error>x>y" << true << "[a" << info << "x"
                                           << "y";
    QTest::newRow("empty description") << "[t]Information>x>" << true << "t" << info << "x"
                                       << "";
    QTest::newRow("no [ dropped") << "t]Information>x>y" << false << "" << info << ""
                                  << "";
    QTest::newRow("no ] after [ dropped") << "x]y[Information>x>y" << false << "" << info << ""
                                          << "";
    QTest::newRow("empty line dropped") << "" << false << "" << info << ""
                                        << "";
}

void TestChatLogFormat::parseLine_followsTheReadingRules()
{
    QFETCH(QString, line);
    QFETCH(bool, kept);
    const auto record = parseLine(line);
    QCOMPARE(record.has_value(), kept);
    if (!kept)
        return;
    QTEST(record->time, "time");
    QTEST(record->severity, "severity");
    QTEST(record->title, "title");
    QTEST(record->description, "description");
}

void TestChatLogFormat::roundTrip_givesBackTheRecord_data()
{
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("description");
    QTest::addColumn<LogSeverity>("severity");

    QTest::newRow("plain") << "TxText"
                           << "Q1AB> hi" << LogSeverity::Information;
    QTest::newRow("> everywhere in title") << ">a>>b>"
                                           << "x" << LogSeverity::Warning;
    QTest::newRow("title of > only") << ">>>"
                                     << "d>e>" << LogSeverity::Error;
    QTest::newRow("description ends with >") << "t"
                                             << "a>" << LogSeverity::Information;
    QTest::newRow("brackets in text") << "[x]"
                                      << "]y[" << LogSeverity::Information;
    QTest::newRow("unicode") << "\u00c5\u00df"
                             << "\u65e5\u672c \U0001F4E1" << LogSeverity::Information;
}

void TestChatLogFormat::roundTrip_givesBackTheRecord()
{
    QFETCH(QString, title);
    QFETCH(QString, description);
    QFETCH(LogSeverity, severity);
    const ChatLogRecord record { QStringLiteral("23:59:59"), title, description, severity };
    const QString line = QString::fromLocal8Bit(formatLine(record)).chopped(2);
    QVERIFY(isCanonicalLine(line));
    const auto back = parseLine(line);
    QVERIFY(back.has_value());
    QCOMPARE(*back, record);
}

void TestChatLogFormat::sanitizedField_keepsEveryRecordOnOneLine_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("field");

    QTest::newRow("no line break") << "Q1AB>hello"
                                   << "Q1AB>hello";
    QTest::newRow("CR LF is one blank") << "a\r\nb"
                                        << "a b";
    QTest::newRow("lone LF") << "a\nb"
                             << "a b";
    QTest::newRow("lone CR") << "a\rb"
                             << "a b";
    QTest::newRow("LF CR is two breaks") << "a\n\rb"
                                         << "a  b";
    QTest::newRow("forged record") << "hi\r\n[12:00:00]Error>Forged>x"
                                   << "hi [12:00:00]Error>Forged>x";
    QTest::newRow("lone surrogate becomes what the file gives back")
        << QString(QChar(0xD800)) << QString::fromLocal8Bit(QString(QChar(0xD800)).toLocal8Bit());
}

void TestChatLogFormat::sanitizedField_keepsEveryRecordOnOneLine()
{
    QFETCH(QString, text);
    QFETCH(QString, field);
    QCOMPARE(sanitizedField(text), field);

    QCOMPARE(sanitizedField(field), field);
    const ChatLogRecord record { QStringLiteral("10:00:00"), QStringLiteral("RxText"), sanitizedField(text) };
    const auto file = parseFile(formatLine(record));
    QCOMPARE(file.records.size(), std::size_t(1));
    QCOMPARE(file.records.front(), record);
}

void TestChatLogFormat::parseFile_reportsWhetherARewriteWouldChangeTheFile_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("records");
    QTest::addColumn<bool>("canonical");

    QTest::newRow("empty") << QByteArray() << 0 << true;
    QTest::newRow("CR LF lines") << QByteArray("[a]Information>b>c\r\n[d]Error>e>>f>g\r\n") << 2 << true;
    QTest::newRow("LF lines") << QByteArray("[a]Information>b>c\n[d]Error>e>f\n") << 2 << false;
    QTest::newRow("CR lines") << QByteArray("[a]Information>b>c\r[d]Error>e>f\r") << 2 << false;
    QTest::newRow("mixed line ends") << QByteArray("[a]Information>b>c\r\n[d]Error>e>f\n") << 2 << false;
    QTest::newRow("last line unended") << QByteArray("[a]Information>b>c\r\n[d]Error>e>f") << 2 << false;
    QTest::newRow("dropped line") << QByteArray("[a]Information>b>c\r\nnoise\r\n") << 1 << false;
    QTest::newRow("blank line") << QByteArray("[a]Information>b>c\r\n\r\n") << 1 << false;
    QTest::newRow("unknown severity") << QByteArray("[a]Debug>b>c\r\n") << 1 << false;
    QTest::newRow("text before [") << QByteArray(" [a]Information>b>c\r\n") << 1 << false;
    QTest::newRow("missing separator") << QByteArray("[a]Information>b\r\n") << 1 << false;
    QTest::newRow("byte-order mark") << QByteArray("\xef\xbb\xbf[a]Information>b>c\r\n") << 1 << false;
    QTest::newRow("invalid UTF-8") << QByteArray("[a]Information>b>\xff\r\n") << 1 << false;
    QTest::newRow("UTF-8 text") << QByteArray("[a]Information>b>\xc3\xa9\r\n") << 1 << true;
}

void TestChatLogFormat::parseFile_reportsWhetherARewriteWouldChangeTheFile()
{
    QFETCH(QByteArray, bytes);
    const auto file = parseFile(bytes);
    QTEST(int(file.records.size()), "records");
    QTEST(file.canonical, "canonical");
    QByteArray rewritten;
    for (const ChatLogRecord& record : file.records)
        rewritten += formatLine(record);
    QCOMPARE(rewritten == bytes, file.canonical);
}

QTEST_GUILESS_MAIN(TestChatLogFormat)
#include "TestChatLogFormat.moc"
