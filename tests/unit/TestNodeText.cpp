// The node's plain units: texts from and to the network, the alarm log, the calls it takes, WAV files.
#include "AlarmWatch.h"
#include "NodeCalls.h"
#include "NodeText.h"
#include "WavFile.h"

#include <QTest>

class TestNodeText : public QObject
{
    Q_OBJECT

private slots:
    void windows1252RoundTrip_data();
    void windows1252RoundTrip();
    void chatFromTheWire_data();
    void chatFromTheWire();
    void stationTextKeepsLineBreaksAsCr();
    void callsignFromTheWireIsOneToken();
    void chatToTheWireIsOneLine();

    void alarmLogRecordsChangesAfterTheFirstList();
    void alarmLogStaysBounded();

    void callsAreCheckedAgainstTheirSignature_data();
    void callsAreCheckedAgainstTheirSignature();

    void wavFiles_data();
    void wavFiles();
};

void TestNodeText::windows1252RoundTrip_data()
{
    QTest::addColumn<QByteArray>("wire");
    QTest::addColumn<QString>("text");
    QTest::newRow("ascii") << QByteArray("Q1AB>hello") << "Q1AB>hello";
    QTest::newRow("latin-1 range") << QByteArray("Gr\xfc\xdf"
                                                 "e")
                                   << QStringLiteral("Grüße");
    QTest::newRow("euro and quotes") << QByteArray("\x80 \x93x\x94") << QStringLiteral("€ “x”");
    QTest::newRow("dash and ellipsis") << QByteArray("\x96\x85") << QStringLiteral("–…");
}

void TestNodeText::windows1252RoundTrip()
{
    QFETCH(QByteArray, wire);
    QFETCH(QString, text);
    QCOMPARE(NodeText::fromWindows1252(wire), text);
    QCOMPARE(NodeText::toWindows1252(text), wire);
}

void TestNodeText::chatFromTheWire_data()
{
    QTest::addColumn<QByteArray>("wire");
    QTest::addColumn<QString>("text");
    QTest::newRow("trailing CR LF") << QByteArray("Q1AB>hi\r\n") << "Q1AB>hi";
    QTest::newRow("trailing NUL and LF") << QByteArray("Q1AB>hi\n\0", 9) << "Q1AB>hi";
    QTest::newRow("inner line break") << QByteArray("Q1AB>one\r\nQ9ZZ>forged") << "Q1AB>one  Q9ZZ>forged";
    QTest::newRow("control characters") << QByteArray("Q1AB>\x07"
                                                      "be\x1b[2Jep")
                                        << "Q1AB>be[2Jep";
    QTest::newRow("holes of 1252 dropped") << QByteArray("a\x81\x8d"
                                                         "b")
                                           << "ab";
}

void TestNodeText::chatFromTheWire()
{
    QFETCH(QByteArray, wire);
    QFETCH(QString, text);
    QCOMPARE(NodeText::chatFromWire(wire), text);
}

void TestNodeText::stationTextKeepsLineBreaksAsCr()
{
    QCOMPARE(NodeText::stationTextFromWire("Conf\r\n>Q1AB Jo\r\nend\nmore\x01"),
             QStringLiteral("Conf\r>Q1AB Jo\rend\rmore"));
    // A flood is cut at the bound.
    QCOMPARE(NodeText::stationTextFromWire(QByteArray(1 << 20, 'x')).size(), NodeText::MaxStationTextChars);
    QCOMPARE(NodeText::chatFromWire(QByteArray(1 << 20, 'x')).size(), NodeText::MaxChatChars);
}

void TestNodeText::callsignFromTheWireIsOneToken()
{
    QCOMPARE(NodeText::callFromWire("q1ab-l"), QStringLiteral("Q1AB-L"));
    QCOMPARE(NodeText::callFromWire(" Q1 AB\r\n"), QStringLiteral("Q1AB"));
    QCOMPARE(NodeText::callFromWire(QByteArray(100, 'A')).size(), 15);
    QCOMPARE(NodeText::nameFromWire("Jo\r\nSmith\x01"), QStringLiteral("Jo  Smith"));
}

void TestNodeText::chatToTheWireIsOneLine()
{
    QCOMPARE(NodeText::chatToWire(QStringLiteral("one\ntwo ✓")), QByteArray("one two ?"));
}

void TestNodeText::alarmLogRecordsChangesAfterTheFirstList()
{
    using State = AlarmWatch::State;
    AlarmWatch watch({ "q2bbb", "Q3CCC", "Q2BBB" });
    const QTime at(9, 5);
    // The first list is the baseline: nothing is logged, whatever the states.
    QVERIFY(watch.update({ { "Q2BBB", State::On } }, at).isEmpty());
    QVERIFY(watch.logText().isEmpty());

    auto changes = watch.update({ { "Q2BBB", State::Busy }, { "Q3CCC", State::On }, { "Q4DDD", State::On } }, at);
    QCOMPARE(changes.size(), 2);
    QCOMPARE(changes.at(0).call, QStringLiteral("Q2BBB"));
    QCOMPARE(changes.at(1).state, State::On);
    QCOMPARE(watch.logText(), QStringLiteral("09:05 Q2BBB busy\r\n09:05 Q3CCC on\r\n"));

    // Unchanged states add nothing; a station missing from the list is off.
    QVERIFY(watch.update({ { "Q2BBB", State::Busy }, { "Q3CCC", State::On } }, QTime(10, 0)).isEmpty());
    changes = watch.update({ { "Q3CCC", State::On } }, QTime(23, 59));
    QCOMPARE(changes.size(), 1);
    QVERIFY(watch.logText().endsWith(QLatin1String("23:59 Q2BBB off\r\n")));
    QCOMPARE(AlarmWatch::statusCode(State::Off), 0);
}

void TestNodeText::alarmLogStaysBounded()
{
    using State = AlarmWatch::State;
    AlarmWatch watch({ "Q2BBB" });
    watch.update({}, QTime(1, 0));
    for (int i = 0; i < 20000; ++i)
        watch.update(i % 2 ? QHash<QString, State>() : QHash<QString, State> { { "Q2BBB", State::On } }, QTime(1, 0));
    QVERIFY(watch.logText().size() <= AlarmWatch::MaxLogChars);
    QVERIFY(watch.logText().startsWith(QLatin1String("01:00 Q2BBB "))); // whole lines only
}

void TestNodeText::callsAreCheckedAgainstTheirSignature_data()
{
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<QString>("op");
    QTest::addColumn<QString>("error");
    QTest::newRow("connect") << QByteArray(R"({"id":4,"op":"Connect1","args":["Q1AB",true]})") << "Connect1"
                             << "";
    QTest::newRow("property") << QByteArray(R"({"id":5,"op":"SystemConfig.Callsign","args":[]})")
                              << "SystemConfig.Callsign"
                              << "";
    QTest::newRow("wrong kinds") << QByteArray(R"({"id":6,"op":"Connect1","args":[true,"Q1AB"]})") << ""
                                 << "Connect1 takes text, true/false";
    QTest::newRow("missing argument") << QByteArray(R"({"id":7,"op":"Transmit","args":[]})") << ""
                                      << "Transmit takes true/false";
    QTest::newRow("unknown") << QByteArray(R"({"id":8,"op":"Format","args":[]})") << ""
                             << "Unknown operation Format";
    QTest::newRow("test hook") << QByteArray(R"({"id":9,"control":"chat hi"})") << ""
                               << "The EchoLink node takes no test commands";
    QTest::newRow("no id") << QByteArray(R"({"op":"Quit","args":[]})") << ""
                           << "Malformed message: no id";
    QTest::newRow("not json") << QByteArray("Quit") << ""
                              << "Malformed message: not JSON";
}

void TestNodeText::callsAreCheckedAgainstTheirSignature()
{
    QFETCH(QByteArray, line);
    QFETCH(QString, op);
    QFETCH(QString, error);
    const auto parsed = NodeCalls::parse(line);
    if (op.isEmpty()) {
        const auto* refusal = std::get_if<NodeCalls::Refusal>(&parsed);
        QVERIFY(refusal);
        QVERIFY2(refusal->error.startsWith(error), qPrintable(refusal->error));
    } else {
        const auto* call = std::get_if<NodeCalls::Call>(&parsed);
        QVERIFY(call);
        QCOMPARE(call->op, op);
    }
}

namespace {

QByteArray wav(int channels, int rate, const QByteArray& data, quint32 dataSize)
{
    QByteArray out = "RIFF";
    const auto put32 = [&out](quint32 v) { out.append(reinterpret_cast<const char*>(&v), 4); };
    const auto put16 = [&out](quint16 v) { out.append(reinterpret_cast<const char*>(&v), 2); };
    put32(36 + static_cast<quint32>(data.size()));
    out += "WAVE";
    out += "LIST";
    put32(3); // an odd chunk before the format, padded
    out += "abc";
    out += '\0';
    out += "fmt ";
    put32(16);
    put16(1);
    put16(static_cast<quint16>(channels));
    put32(static_cast<quint32>(rate));
    put32(static_cast<quint32>(rate * 2 * channels));
    put16(static_cast<quint16>(2 * channels));
    put16(16);
    out += "data";
    put32(dataSize);
    return out + data;
}

QByteArray samples(std::initializer_list<qint16> values)
{
    QByteArray out;
    for (const qint16 v : values)
        out.append(reinterpret_cast<const char*>(&v), 2);
    return out;
}

} // namespace

void TestNodeText::wavFiles_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<int>("count");
    QTest::addColumn<float>("first");
    QTest::addColumn<QString>("error");
    const QByteArray four = samples({ 16384, -16384, 0, 0 });
    QTest::newRow("mono") << wav(1, 8000, four, 8) << 4 << 0.5f << "";
    QTest::newRow("stereo mixed") << wav(2, 8000, four, 8) << 2 << 0.0f << "";
    QTest::newRow("unfinished size") << wav(1, 8000, four, 0) << 4 << 0.5f << "";
    QTest::newRow("size beyond the end") << wav(1, 8000, four, 1000) << 4 << 0.5f << "";
    QTest::newRow("wrong rate") << wav(1, 44100, four, 8) << 0 << 0.0f << "44100 Hz (8000 Hz wanted)";
    QTest::newRow("not wav") << QByteArray("hello") << 0 << 0.0f << "not a WAV file";
    QTest::newRow("no data") << wav(1, 8000, {}, 0).chopped(8) << 0 << 0.0f << "no audio data";
}

void TestNodeText::wavFiles()
{
    QFETCH(QByteArray, file);
    QFETCH(int, count);
    QFETCH(float, first);
    QFETCH(QString, error);
    QString problem;
    const auto parsed = WavFile::parse(file, &problem);
    if (!error.isEmpty()) {
        QVERIFY(!parsed);
        QVERIFY2(problem.startsWith(error), qPrintable(problem));
        return;
    }
    QVERIFY2(parsed, qPrintable(problem));
    QCOMPARE(int(parsed->size()), count);
    QCOMPARE(parsed->front(), first);
}

QTEST_GUILESS_MAIN(TestNodeText)
#include "TestNodeText.moc"
