// The EchoLink datagrams: what we build reads back, what other stations send is understood, and hostile
// bytes (truncated, lengths past the end, wrong marks) are refused without reading past the datagram.
#include "EchoLinkPackets.h"

#include <QTest>

using namespace EchoLinkPackets;

class TestEchoLinkPackets : public QObject
{
    Q_OBJECT

private slots:
    void audioRoundTrip();
    void audioRefused_data();
    void audioRefused();
    void textRoundTrip_data();
    void textRoundTrip();
    void textFromOtherStations_data();
    void textFromOtherStations();
    void descriptionRoundTrip_data();
    void descriptionRoundTrip();
    void byeIsRecognised();
    void controlRefused_data();
    void controlRefused();
    void itemsPastTheirSubpacketAreNotRead();
};

namespace {

QByteArray gsmPayload()
{
    QByteArray payload(GsmPayloadBytes, '\0');
    for (int i = 0; i < payload.size(); ++i)
        payload[i] = static_cast<char>(i * 7);
    return payload;
}

} // namespace

void TestEchoLinkPackets::audioRoundTrip()
{
    const QByteArray datagram = buildAudio(0xBEEF, PayloadGsm, gsmPayload());
    QCOMPARE(datagram.size(), 144); // 12-byte header and four 33-byte frames
    QCOMPARE(static_cast<quint8>(datagram.at(0)), AudioMark);
    const auto audio = parseAudio(datagram);
    QVERIFY(audio);
    QCOMPARE(audio->sequence, quint16(0xBEEF));
    QCOMPARE(audio->payloadType, PayloadGsm);
    QCOMPARE(audio->payload, gsmPayload());
}

void TestEchoLinkPackets::audioRefused_data()
{
    QTest::addColumn<QByteArray>("datagram");
    const QByteArray good = buildAudio(1, PayloadGsm, gsmPayload());
    QTest::newRow("empty") << QByteArray();
    QTest::newRow("header only") << good.left(12);
    QTest::newRow("three frames") << good.left(12 + 3 * 33);
    QTest::newRow("one byte short") << good.left(good.size() - 1);
    QTest::newRow("not the audio mark") << (QByteArray("\x80") + good.mid(1));
    QTest::newRow("unknown payload type") << buildAudio(1, 0x08, gsmPayload());
    QTest::newRow("speex without data") << buildAudio(1, PayloadSpeex, {});
    QTest::newRow("chat") << buildChat("Q1AB", "hi");
}

void TestEchoLinkPackets::audioRefused()
{
    QFETCH(QByteArray, datagram);
    QVERIFY(!parseAudio(datagram));
}

void TestEchoLinkPackets::textRoundTrip_data()
{
    QTest::addColumn<QByteArray>("datagram");
    QTest::addColumn<int>("kind");
    QTest::addColumn<QByteArray>("body");
    QTest::newRow("chat") << buildChat("Q1AB", "Gr\xfc\xdf"
                                               "e 73")
                          << int(TextKind::Chat) << QByteArray("Q1AB>Gr\xfc\xdf"
                                                               "e 73\r\n");
    QTest::newRow("400 characters") << buildChat("Q1AB", QByteArray(400, 'x')) << int(TextKind::Chat)
                                    << ("Q1AB>" + QByteArray(400, 'x') + "\r\n");
    QTest::newRow("info, line feeds as CR") << buildInfo("Q1AB test\nLoopback") << int(TextKind::Info)
                                            << QByteArray("Q1AB test\rLoopback");
    QTest::newRow("huge chat is cut") << buildChat("Q1AB", QByteArray(10000, 'y')) << int(TextKind::Chat)
                                      << ("Q1AB>" + QByteArray(MaxTextBytes - 5, 'y'));
}

void TestEchoLinkPackets::textRoundTrip()
{
    QFETCH(QByteArray, datagram);
    QFETCH(int, kind);
    QFETCH(QByteArray, body);
    const auto text = parseText(datagram);
    QVERIFY(text);
    QCOMPARE(int(text->kind), kind);
    QCOMPARE(text->body, body);
}

void TestEchoLinkPackets::textFromOtherStations_data()
{
    QTest::addColumn<QByteArray>("datagram");
    QTest::addColumn<bool>("accepted");
    QTest::addColumn<QByteArray>("body");
    QTest::newRow("other first letter") << QByteArray("xNDATAQ1AB>hi\r\n", 16) << true << QByteArray("Q1AB>hi\r\n");
    QTest::newRow("no terminating NUL") << QByteArray("oNDATAQ1AB>hi") << true << QByteArray("Q1AB>hi");
    QTest::newRow("trailing bytes after NUL are not text")
        << QByteArray("oNDATAQ1AB>hi\0INCORRECT PASSWORD", 32) << true << QByteArray("Q1AB>hi");
    QTest::newRow("mark only") << QByteArray("oNDATA") << false << QByteArray();
    QTest::newRow("wrong mark") << QByteArray("oNDAT_Q1AB>hi") << false << QByteArray();
    QTest::newRow("empty") << QByteArray() << false << QByteArray();
}

void TestEchoLinkPackets::textFromOtherStations()
{
    QFETCH(QByteArray, datagram);
    QFETCH(bool, accepted);
    QFETCH(QByteArray, body);
    const auto text = parseText(datagram);
    QCOMPARE(bool(text), accepted);
    if (text)
        QCOMPARE(text->body, body);
}

void TestEchoLinkPackets::descriptionRoundTrip_data()
{
    QTest::addColumn<QByteArray>("callsign");
    QTest::addColumn<QByteArray>("name");
    QTest::addColumn<QByteArray>("privateItem");
    QTest::addColumn<QByteArray>("expectedCall");
    QTest::addColumn<QByteArray>("expectedName");
    QTest::newRow("short") << QByteArray("Q1AB") << QByteArray("Ann") << QByteArray() << QByteArray("Q1AB")
                           << QByteArray("Ann");
    QTest::newRow("full name, Windows-1252")
        << QByteArray("Q2BB-L") << QByteArray("\x93Jos\xe9\x94 da Silva") << QByteArray("SPEEX")
        << QByteArray("Q2BB-L") << QByteArray("\x93Jos\xe9\x94 da Silva");
    QTest::newRow("conference") << QByteArray("*TEST*") << QByteArray("A conference") << QByteArray()
                                << QByteArray("*TEST*") << QByteArray("A conference");
    QTest::newRow("lower case call") << QByteArray("q3cc") << QByteArray("Cy") << QByteArray() << QByteArray("Q3CC")
                                     << QByteArray("Cy");
    QTest::newRow("long name is bounded") << QByteArray("Q1AB") << QByteArray(400, 'n') << QByteArray()
                                          << QByteArray("Q1AB") << QByteArray(MaxItemBytes - 15, 'n');
}

void TestEchoLinkPackets::descriptionRoundTrip()
{
    QFETCH(QByteArray, callsign);
    QFETCH(QByteArray, name);
    QFETCH(QByteArray, privateItem);
    QFETCH(QByteArray, expectedCall);
    QFETCH(QByteArray, expectedName);
    const QByteArray datagram = buildDescription(callsign, name, privateItem);
    QCOMPARE(datagram.size() % 4, 0);
    const Control control = parseControl(datagram);
    QCOMPARE(int(control.kind), int(ControlKind::Description));
    QCOMPARE(control.description.callsign, expectedCall);
    QCOMPARE(control.description.name, expectedName);
    QCOMPARE(control.description.privateItem, privateItem);
}

void TestEchoLinkPackets::byeIsRecognised()
{
    const QByteArray bye = buildBye();
    QCOMPARE(bye.size() % 4, 0);
    QCOMPARE(int(parseControl(bye).kind), int(ControlKind::Bye));
    // A BYE behind a description still ends the QSO.
    const QByteArray description = buildDescription("Q1AB", "Ann");
    QCOMPARE(int(parseControl(description + bye.mid(8)).kind), int(ControlKind::Bye));
}

void TestEchoLinkPackets::controlRefused_data()
{
    QTest::addColumn<QByteArray>("datagram");
    const QByteArray description = buildDescription("Q1AB", "Ann");
    QTest::newRow("empty") << QByteArray();
    QTest::newRow("three bytes") << description.left(3);
    QTest::newRow("report only") << description.left(8);
    QTest::newRow("no report first") << description.mid(8);
    QTest::newRow("padding bit") << (QByteArray("\xE0") + description.mid(1));
    QTest::newRow("version 2") << (QByteArray("\x80") + description.mid(1));
    // The 12-byte datagram whose SDES length runs past its end.
    QTest::newRow("SDES length past the end") << QByteArray("\xC0\xC9\x00\x01\x00\x00\x00\x00\xC1\xCA\xFF\xFF", 12);
    QTest::newRow("truncated SDES") << description.left(description.size() - 4);
    QTest::newRow("audio") << buildAudio(1, PayloadGsm, gsmPayload());
}

void TestEchoLinkPackets::controlRefused()
{
    QFETCH(QByteArray, datagram);
    QCOMPARE(int(parseControl(datagram).kind), int(ControlKind::Invalid));
}

void TestEchoLinkPackets::itemsPastTheirSubpacketAreNotRead()
{
    // A NAME item whose length reaches past its subpacket, into bytes that follow it in the datagram.
    QByteArray datagram("\xC0\xC9\x00\x01\x00\x00\x00\x00"
                        "\xC1\xCA\x00\x02\x00\x00\x00\x00"
                        "\x02\x40Q1",
                        20);
    datagram += QByteArray("AB Mallory and more bytes beyond", 32);
    const Control control = parseControl(datagram);
    QCOMPARE(int(control.kind), int(ControlKind::Description));
    QVERIFY(control.description.callsign.isEmpty());
    QVERIFY(control.description.name.isEmpty());
}

QTEST_GUILESS_MAIN(TestEchoLinkPackets)
#include "TestEchoLinkPackets.moc"
