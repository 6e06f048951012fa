// The node against SvxLink's EchoLink module (Debian's svxlink-server) on loopback: SvxLink at 127.0.0.4
// logs in to the fake directory as Q4SVX-L, with its radio side on SvxLink's UDP audio device (its
// transmitter sends what it would put on the air, 16-bit samples at 16 kHz, to a port this test reads) and its DTMF commands taken
// from a pseudo-terminal. Calls both ways, station information and chat, audio both ways, hang-ups from
// each side, and chat relayed by SvxLink between the node and a library station.
#include "NodeHarness.h"
#include "NodeText.h"
#include "SvxLinkProcess.h"
#include "WavFile.h"
#ifdef CORVANE_ECHOLIB_PEER_PROGRAM
#include "EchoLibPeer.h"
#endif

#include <QNetworkDatagram>
#include <QUdpSocket>
#include <QtEndian>

using namespace NodeHarness;

namespace {

const Station ann { "Q1AAA", "annpass", "Ann", "127.0.0.1", "" };

// The share of the energy at one frequency, summed over short windows (Goertzel on each): SvxLink's jitter
// buffer may drop or repeat a block, which breaks the tone's phase between windows but not within one.
// The window holds whole cycles of the tone.
double windowedShare(const std::vector<float>& samples, double hertz, double rate, int window)
{
    double total = 0;
    double tone = 0;
    const double k = 2 * std::cos(2 * M_PI * hertz / rate);
    for (std::size_t start = 0; start + window <= samples.size(); start += window) {
        double s1 = 0;
        double s2 = 0;
        for (int i = 0; i < window; ++i) {
            const double x = samples[start + i];
            total += x * x;
            const double s = x + k * s1 - s2;
            s2 = s1;
            s1 = s;
        }
        tone += 2 * (s1 * s1 + s2 * s2 - k * s1 * s2) / window;
    }
    return total > 0 ? tone / total : 0;
}

} // namespace

class TestNodeSvxLink : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void nodeCallsSvxLink();
    void svxLinkCallsTheNodeByNumber();
    void audioFromTheNodeGoesOnAir();
    void audioFromTheAirReachesTheNode();
#ifdef CORVANE_ECHOLIB_PEER_PROGRAM
    void chatRelayedBySvxLinkKeepsItsSender();
#endif

private:
    std::unique_ptr<QTemporaryDir> dir_;
    std::unique_ptr<Directory> directory_;
    std::unique_ptr<SvxLink> svx_;
    std::unique_ptr<NodeProcess> node_;
};

void TestNodeSvxLink::init()
{
    dir_ = scratchFolder();
    directory_ = std::make_unique<Directory>(QStringList { QStringLiteral("--listed"), QStringLiteral("Q5PEER,127.0.0.5,ON") });
    svx_ = std::make_unique<SvxLink>(dir_->filePath(QStringLiteral("svx")));
    node_ = std::make_unique<NodeProcess>(dir_->filePath(QStringLiteral("a")), ann);
    node_->writeConfig(writeTestTone(dir_->filePath(QStringLiteral("tone.wav"))));
    node_->start();
    node_->awaitLogin();
}

void TestNodeSvxLink::cleanup()
{
    node_->stop();
    if (QTest::currentTestFailed()) {
        qWarning("node:\n%s", node_->log().right(6000).constData());
        qWarning("svxlink:\n%s", svx_->output().right(6000).constData());
    }
    node_.reset();
    svx_.reset();
    directory_.reset();
    dir_.reset();
}

void TestNodeSvxLink::nodeCallsSvxLink()
{
    QSignalSpy connected(node_->session.get(), &EchoLinkSession::OnConnected);
    QSignalSpy disconnected(node_->session.get(), &EchoLinkSession::OnDisconnected);
    QSignalSpy info(node_->session.get(), &EchoLinkSession::OnStationTextReceived);
    node_->session->Connect1(QStringLiteral("Q4SVX-L"), true);
    QTRY_COMPARE_WITH_TIMEOUT(connected.count(), 1, 2000);
    QCOMPARE(connected.at(0).at(0).toString(), QStringLiteral("Q4SVX-L"));
    QCOMPARE(connected.at(0).at(2).toString(), QStringLiteral("127.0.0.4"));
    QTRY_VERIFY_WITH_TIMEOUT(!info.isEmpty(), 3000);
    // SvxLink's information lists the stations in its QSOs, this node among them.
    QTRY_VERIFY_WITH_TIMEOUT(info.last().at(0).toString().contains(QLatin1String("Q1AAA")), 3000);
    QVERIFY(info.last().at(0).toString().contains(QLatin1String("Q4SVX-L")));

    // Chat with accents and a 400-character line reaches SvxLink as sent.
    const QString line = QStringLiteral("Grüße ") + QString(400, QLatin1Char('y'));
    node_->session->SendChatText(line);
    QVERIFY(svx_->waitFor("EchoLink chat message received from Q1AAA"));
    QVERIFY(svx_->waitFor(NodeText::toWindows1252(line)));

    // SvxLink hangs up when its EchoLink module is left ("#" on the radio side).
    svx_->dtmf("#");
    QTRY_COMPARE_WITH_TIMEOUT(disconnected.count(), 1, 5000);
    QCOMPARE(disconnected.at(0).at(0).toString(), QStringLiteral("Q4SVX-L"));
}

void TestNodeSvxLink::svxLinkCallsTheNodeByNumber()
{
    QSignalSpy connected(node_->session.get(), &EchoLinkSession::OnConnected);
    QSignalSpy disconnected(node_->session.get(), &EchoLinkSession::OnDisconnected);
    // Q5PEER is listed first (node 100001), SvxLink logs in next (100002), the node last (100003).
    svx_->dtmf("2#");
    svx_->dtmf("100003#");
    QTRY_COMPARE_WITH_TIMEOUT(connected.count(), 1, 8000);
    QCOMPARE(connected.at(0).at(0).toString(), QStringLiteral("Q4SVX-L"));
    // The node hangs up.
    node_->session->Disconnect1(QStringLiteral("Q4SVX-L"));
    QVERIFY(svx_->waitFor("DISCONNECTED"));
    QCOMPARE(node_->session->SystemConfigCallsign(), QStringLiteral("Q1AAA"));
}

void TestNodeSvxLink::audioFromTheNodeGoesOnAir()
{
    QUdpSocket air;
    QVERIFY(air.bind(QHostAddress::LocalHost, SvxLink::TxPort));
    node_->session->Connect1(QStringLiteral("Q4SVX-L"), true);
    // What SvxLink transmits before the QSO's audio (its own announcements) is not counted.
    QTest::qWait(1500);
    while (air.hasPendingDatagrams())
        air.receiveDatagram();
    node_->session->Transmit(true);
    std::vector<float> samples;
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < 2500) {
        air.waitForReadyRead(20);
        while (air.hasPendingDatagrams()) {
            const QByteArray data = air.receiveDatagram().data();
            // SvxLink's UDP audio device carries two interleaved 16-bit channels; the transmitter is the first.
            for (qsizetype i = 0; i + 3 < data.size(); i += 4)
                samples.push_back(qFromLittleEndian<qint16>(data.constData() + i) / 32768.0f);
        }
    }
    node_->session->Transmit(false);
    const double share = windowedShare(samples, 700, 16000, 320); // 20 ms, fourteen cycles
    qInfo("SvxLink transmitted %zu samples, 700 Hz share %.3f", samples.size(), share);
    QVERIFY2(samples.size() > 16000 && share > 0.9, qPrintable(QString::number(share)));
}

void TestNodeSvxLink::audioFromTheAirReachesTheNode()
{
    node_->session->Connect1(QStringLiteral("Q4SVX-L"), true);
    QTest::qWait(1500); // SvxLink's own announcements on connect
    // A 1000 Hz tone on SvxLink's receiver for two seconds, in 20 ms blocks, as its UDP device takes them.
    QUdpSocket radio;
    QElapsedTimer timer;
    timer.start();
    for (int block = 0; block < 100; ++block) {
        QByteArray data(320 * 4, '\0');
        for (int i = 0; i < 320; ++i) {
            const int n = block * 320 + i;
            qToLittleEndian<qint16>(static_cast<qint16>(0.5 * 32767 * std::sin(2 * M_PI * 1000 * n / 16000.0)),
                                    data.data() + 4 * i);
        }
        radio.writeDatagram(data, QHostAddress::LocalHost, SvxLink::RxPort);
        while (timer.elapsed() < (block + 1) * 20)
            QTest::qWait(2);
    }
    QTRY_VERIFY_WITH_TIMEOUT(!node_->session->Receiving(), 3000);
    node_->stop();
    QString error;
    const auto received = WavFile::read(node_->outputWav(), &error);
    QVERIFY2(received, qPrintable(error));
    const double share = windowedShare(*received, 1000, 8000, 160);
    qInfo("the node received %zu samples from SvxLink, 1000 Hz share %.3f", received->size(), share);
    QVERIFY2(received->size() > 12000 && share > 0.9, qPrintable(QString::number(share)));
}

#ifdef CORVANE_ECHOLIB_PEER_PROGRAM
void TestNodeSvxLink::chatRelayedBySvxLinkKeepsItsSender()
{
    // SvxLink with two QSOs, this node and a library station, relays chat between them, each line under its
    // own callsign before the sender's: "Q4SVX-L>Q5PEER>text". The node shows it as it came.
    Peer peer(dir_->filePath(QStringLiteral("peer.wav")));
    QSignalSpy chat(node_->session.get(), &EchoLinkSession::OnChatTextReceived);
    node_->session->Connect1(QStringLiteral("Q4SVX-L"), true);
    peer.send("call 127.0.0.4");
    QVERIFY(peer.waitFor("connected"));
    peer.chat(NodeText::toWindows1252(QStringLiteral("Grüße from the peer")));
    QTRY_COMPARE_WITH_TIMEOUT(chat.count(), 1, 3000);
    QCOMPARE(chat.at(0).at(0).toString(), QStringLiteral("Q4SVX-L>Q5PEER>Grüße from the peer"));
    node_->session->SendChatText(QStringLiteral("73 from Ann"));
    std::optional<QByteArray> line;
    while ((line = peer.waitFor("chat", 3000)) && !QByteArray::fromHex(*line).contains("73 from Ann")) {
    }
    QVERIFY(line);
    QVERIFY(QByteArray::fromHex(*line).startsWith("Q4SVX-L>Q1AAA>73 from Ann"));
}
#endif

QTEST_GUILESS_MAIN(TestNodeSvxLink)
#include "TestNodeSvxLink.moc"
