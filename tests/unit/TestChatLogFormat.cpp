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
    void sanitizedField_writesControlCharactersOtherThanTabAsBlanks_data();
    void sanitizedField_writesControlCharactersOtherThanTabAsBlanks();
    void sanitizedDescription_readsBackAsWritten_data();
    void sanitizedDescription_readsBackAsWritten();
    void parseFile_reportsWhetherARewriteWouldChangeTheFile_data();
    void parseFile_reportsWhetherARewriteWouldChangeTheFile();
    void decodeLine_readsUtf8ElseWindows1252_data();
    void decodeLine_readsUtf8ElseWindows1252();
    void parseFile_readsEachLineInItsOwnEncoding();
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
    QTest::newRow("UTF-8") << "08:00:00" << LogSeverity::Information << "Connect"
                           << "Jos\u00e9 Q1AB" << QByteArray("[08:00:00]Information>Connect>Jos\xc3\xa9 Q1AB\r\n");
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
        << QString(QChar(0xD800)) << QString::fromUtf8(QString(QChar(0xD800)).toUtf8());
    // A line read back keeps a leading byte-order mark as a character, so the field keeps it too.
    QTest::newRow("leading byte-order mark kept") << QString(QChar(0xFEFF)) + "hi" << QString(QChar(0xFEFF)) + "hi";
    QTest::newRow("two leading byte-order marks kept")
        << QString(QChar(0xFEFF)) + QChar(0xFEFF) + "\r\nhi" << QString(QChar(0xFEFF)) + QChar(0xFEFF) + " hi";
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

void TestChatLogFormat::sanitizedField_writesControlCharactersOtherThanTabAsBlanks_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("field");

    QTest::newRow("NUL") << QString::fromUtf8("a\0b", 3) << "a b";
    QTest::newRow("escape sequence") << "\x1b[2Jhi"
                                     << " [2Jhi";
    QTest::newRow("bell, backspace, form feed, DEL") << "a\a\b\f\x7f"
                                                     << "a    ";
    QTest::newRow("C1 controls") << "a\u0085b\u009bc"
                                 << "a b c";
    QTest::newRow("tab kept") << "a\tb"
                              << "a\tb";
    QTest::newRow("CR LF still one blank") << QString::fromUtf8("a\r\n\0b", 5) << "a  b";
    QTest::newRow("letters beyond ASCII kept") << "caf\u00e9 \u20ac"
                                               << "caf\u00e9 \u20ac";
}

void TestChatLogFormat::sanitizedField_writesControlCharactersOtherThanTabAsBlanks()
{
    QFETCH(QString, text);
    QFETCH(QString, field);
    QCOMPARE(sanitizedField(text), field);
    const QByteArray line = formatLine({ QStringLiteral("10:00:00"), QStringLiteral("RxText"), sanitizedField(text) });
    for (char byte : line.chopped(2))
        QVERIFY2(byte == '\t' || static_cast<unsigned char>(byte) >= 0x20, "a control byte reached the file");
}

void TestChatLogFormat::sanitizedDescription_readsBackAsWritten_data()
{
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("description");

    QTest::newRow("received chat") << "RxText"
                                   << "Q1AB>hi"
                                   << "Q1AB>hi";
    QTest::newRow("text starting with >") << "RxText"
                                          << ">hi"
                                          << " >hi";
    QTest::newRow("sent chat without a callsign") << "TxText"
                                                  << "> hi"
                                                  << " > hi";
    QTest::newRow("only >") << "RxText"
                            << ">>"
                            << " >>";
    QTest::newRow("title ending in >") << "a>"
                                       << ">b"
                                       << " >b";
    QTest::newRow("line break then >") << "RxText"
                                       << "\n>x"
                                       << " >x";
}

void TestChatLogFormat::sanitizedDescription_readsBackAsWritten()
{
    QFETCH(QString, title);
    QFETCH(QString, text);
    QFETCH(QString, description);
    QCOMPARE(sanitizedDescription(text), description);
    const ChatLogRecord record { QStringLiteral("10:00:00"), title, sanitizedDescription(text) };
    const auto back = parseLine(QString::fromUtf8(formatLine(record)).chopped(2));
    QVERIFY(back.has_value());
    QCOMPARE(*back, record);
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
    QTest::newRow("Windows-1252 text") << QByteArray("[a]Information>b>caf\xe9\r\n") << 1 << false;
    QTest::newRow("torn UTF-8 character") << QByteArray("[a]Information>b>c\r\n\xe3") << 1 << false;
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

void TestChatLogFormat::decodeLine_readsUtf8ElseWindows1252_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("utf8");

    QTest::newRow("ASCII") << QByteArray("[1]Information>a>b") << "[1]Information>a>b" << true;
    QTest::newRow("UTF-8") << QByteArray("caf\xc3\xa9 \xe2\x82\xac") << "caf\u00e9 \u20ac" << true;
    QTest::newRow("Windows-1252 letter") << QByteArray("caf\xe9") << "caf\u00e9" << false;
    QTest::newRow("Windows-1252 punctuation")
        << QByteArray("\x80 \x93q\x94 \x85 \x99") << "\u20ac \u201cq\u201d \u2026 \u2122" << false;
    QTest::newRow("unassigned bytes keep their number")
        << QByteArray("\x81\x8d\x8f\x90\x9d") << "\u0081\u008d\u008f\u0090\u009d" << false;
    QTest::newRow("Latin-1 half") << QByteArray("\xa0\xc4\xff") << "\u00a0\u00c4\u00ff" << false;
    QTest::newRow("UTF-8 and a stray byte") << QByteArray("\xc3\xa9 \xe9 x") << "\u00c3\u00a9 \u00e9 x" << false;
    QTest::newRow("UTF-8 cut inside its last character")
        << QByteArray("Q1AB>\xe6\x97\xa5\xe6\x9c\xac\xe6\x97") << "Q1AB>\u65e5\u672c\ufffd" << true;
    QTest::newRow("a cut lead byte alone is Windows-1252") << QByteArray("\xe3") << "\u00e3" << false;
    QTest::newRow("Windows-1252 line ending in a lead byte") << QByteArray("voil\xe0") << "voil\u00e0" << false;
    QTest::newRow("byte-order mark kept") << QByteArray("\xef\xbb\xbf[") << QString(QChar(0xFEFF)) + "[" << true;
    QTest::newRow("empty") << QByteArray() << "" << true;
}

void TestChatLogFormat::decodeLine_readsUtf8ElseWindows1252()
{
    QFETCH(QByteArray, bytes);
    bool utf8 = false;
    QTEST(decodeLine(bytes, &utf8), "text");
    QTEST(utf8, "utf8");
}

void TestChatLogFormat::parseFile_readsEachLineInItsOwnEncoding()
{
    const auto file = parseFile("[1]Information>RxText>Q1AB>caf\xe9\r\n"
                                "[2]Information>RxText>Q1AB>caf\xc3\xa9\r\n"
                                "[3]Information>RxText>Q1AB>\x93hi\x94\n"
                                "[4]Information>RxText>Q1AB>\xe6\x97\xa5\xe6\x97");
    QCOMPARE(file.records.size(), std::size_t(4));
    QCOMPARE(file.records[0].description, QStringLiteral("Q1AB>caf\u00e9"));
    QCOMPARE(file.records[1].description, QStringLiteral("Q1AB>caf\u00e9"));
    QCOMPARE(file.records[2].description, QStringLiteral("Q1AB>\u201chi\u201d"));
    QCOMPARE(file.records[3].description, QStringLiteral("Q1AB>\u65e5\ufffd"));
}

QTEST_GUILESS_MAIN(TestChatLogFormat)
#include "TestChatLogFormat.moc"
