// The node against an EchoLink station nobody here wrote: a small station on Debian's EchoLink library
// (echolib-peer) at 127.0.0.5, listed in the fake directory. Calls both ways, chat and station information
// with Windows-1252 text and long lines, audio both ways, hang-ups from each side, a refused and a cancelled
// call after which the node still works. Loopback only.
#include "EchoLibPeer.h"
#include "NodeHarness.h"
#include "NodeText.h"
#include "WavFile.h"

using namespace NodeHarness;

namespace {

const Station ann { "Q1AAA", "annpass", "Ann", "127.0.0.1", "" };

QByteArray chatBody(QByteArray hex)
{
    QByteArray body = QByteArray::fromHex(hex);
    while (body.endsWith('\n') || body.endsWith('\r'))
        body.chop(1);
    return body;
}

} // namespace

class TestNodeInterop : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void nodeCallsTheStation_data();
    void nodeCallsTheStation();
    void stationCallsTheNode();
    void chatAndInformationBothWays();
    void audioBothWays();
    void refusedCallIsSaidAndTheNodeStillAnswers();
    void cancelledCallLeavesTheNodeAnswering();
    void unansweredCallLeavesTheNodeAnswering();
    void conferenceRelaysAudioAndChat();

private:
    void start(bool refuse = false);

    std::unique_ptr<QTemporaryDir> dir_;
    std::unique_ptr<Directory> directory_;
    std::unique_ptr<NodeProcess> node_;
    std::unique_ptr<Peer> peer_;
    QString peerRecord_;
};

void TestNodeInterop::init()
{
    dir_ = scratchFolder();
    peerRecord_ = dir_->filePath(QStringLiteral("peer.wav"));
    node_ = std::make_unique<NodeProcess>(dir_->filePath(QStringLiteral("a")), ann);
    node_->writeConfig(writeTestTone(dir_->filePath(QStringLiteral("tone.wav"))));
}

void TestNodeInterop::cleanup()
{
    peer_.reset();
    node_->stop();
    if (QTest::currentTestFailed())
        qWarning("node:\n%s", node_->log().constData());
    node_.reset();
    directory_.reset();
    dir_.reset();
}

void TestNodeInterop::start(bool refuse)
{
    // The station is listed at its address (node 100001); Q9GONE is listed where nobody answers.
    directory_ = std::make_unique<Directory>(QStringList { QStringLiteral("--listed"), QStringLiteral("Q5PEER,127.0.0.5,ON"),
                                                           QStringLiteral("--listed"), QStringLiteral("Q9GONE,127.0.0.9,ON"),
                                                           QStringLiteral("--listed"), QStringLiteral("Q6PEER,127.0.0.6,ON") });
    peer_ = std::make_unique<Peer>(peerRecord_, refuse);
    node_->start();
    node_->awaitLogin();
}

void TestNodeInterop::nodeCallsTheStation_data()
{
    QTest::addColumn<QString>("station");
    QTest::newRow("by callsign") << "q5peer";
    QTest::newRow("by node number") << "100001";
}

void TestNodeInterop::nodeCallsTheStation()
{
    QFETCH(QString, station);
    start();
    QSignalSpy connected(node_->session.get(), &EchoLinkSession::OnConnected);
    QSignalSpy disconnected(node_->session.get(), &EchoLinkSession::OnDisconnected);
    node_->session->Connect1(station, true);
    QTRY_COMPARE_WITH_TIMEOUT(connected.count(), 1, 1000);
    // The full name, decoded once.
    QCOMPARE(connected.at(0), (QVariantList { "Q5PEER", QStringLiteral("“José” da Silva"), "127.0.0.5" }));
    QCOMPARE(peer_->waitFor("incoming").value_or("none"), QByteArray("Q1AAA"));
    QVERIFY(peer_->waitFor("connected").value_or("none").startsWith("Q1AAA"));
    node_->session->Disconnect1(QStringLiteral("Q5PEER"));
    QVERIFY(peer_->waitFor("disconnected"));
    QTRY_COMPARE_WITH_TIMEOUT(disconnected.count(), 1, 1000);
}

void TestNodeInterop::stationCallsTheNode()
{
    start();
    QSignalSpy connected(node_->session.get(), &EchoLinkSession::OnConnected);
    QSignalSpy disconnected(node_->session.get(), &EchoLinkSession::OnDisconnected);
    peer_->send("call 127.0.0.1");
    QTRY_COMPARE_WITH_TIMEOUT(connected.count(), 1, 5000);
    QCOMPARE(connected.at(0), (QVariantList { "Q5PEER", QStringLiteral("“José” da Silva"), "127.0.0.5" }));
    QVERIFY(peer_->waitFor("connected").value_or("none").startsWith("Q1AAA"));
    // Its hang-up ends the QSO here at once.
    peer_->send("hangup");
    QTRY_COMPARE_WITH_TIMEOUT(disconnected.count(), 1, 2000);
    QCOMPARE(disconnected.at(0).at(0).toString(), QStringLiteral("Q5PEER"));
    // And it can call again straight away.
    peer_->send("call 127.0.0.1");
    QTRY_COMPARE_WITH_TIMEOUT(connected.count(), 2, 5000);
}

void TestNodeInterop::chatAndInformationBothWays()
{
    start();
    QSignalSpy chat(node_->session.get(), &EchoLinkSession::OnChatTextReceived);
    QSignalSpy info(node_->session.get(), &EchoLinkSession::OnStationTextReceived);
    node_->session->Connect1(QStringLiteral("Q5PEER"), true);
    QCOMPARE(QByteArray::fromHex(peer_->waitFor("info").value_or("")), QByteArray("Q1AAA test station\nLoopback only"));
    QTRY_VERIFY_WITH_TIMEOUT(!info.isEmpty(), 2000);
    QCOMPARE(info.last().at(0).toString(), QStringLiteral("Peer station"));

    const QString line = QStringLiteral("Grüße – “José” ") + QString(400, QLatin1Char('x'));
    node_->session->SendChatText(line);
    QCOMPARE(chatBody(peer_->waitFor("chat").value_or("")), "Q1AAA>" + NodeText::toWindows1252(line));
    peer_->chat(NodeText::toWindows1252(line));
    QTRY_COMPARE_WITH_TIMEOUT(chat.count(), 1, 2000);
    QCOMPARE(chat.at(0).at(0).toString(), QStringLiteral("Q5PEER>") + line);
}

void TestNodeInterop::audioBothWays()
{
    start();
    node_->session->Connect1(QStringLiteral("Q5PEER"), true);
    QVERIFY(peer_->waitFor("connected"));
    // The node's microphone file (700 Hz) to the station.
    node_->session->Transmit(true);
    QVERIFY(peer_->waitFor("receiving 1", 2000));
    QTest::qWait(2300);
    node_->session->Transmit(false);
    // The station's 1000 Hz tone to the node.
    peer_->send("tx");
    QTRY_VERIFY_WITH_TIMEOUT(node_->session->Receiving(), 2000);
    QVERIFY(peer_->waitFor("sent", 4000));
    QTRY_VERIFY_WITH_TIMEOUT(!node_->session->Receiving(), 3000);
    peer_->quit();
    node_->stop();

    QString error;
    const auto atPeer = WavFile::read(peerRecord_, &error);
    QVERIFY2(atPeer, qPrintable(error));
    const double peerShare = shareOfEnergy(*atPeer, 700);
    QVERIFY2(atPeer->size() >= 15000 && peerShare > 0.9,
             qPrintable(QStringLiteral("%1 samples, share %2").arg(atPeer->size()).arg(peerShare)));
    const auto atNode = WavFile::read(node_->outputWav(), &error);
    QVERIFY2(atNode, qPrintable(error));
    const double nodeShare = shareOfEnergy(*atNode, 1000);
    QVERIFY2(atNode->size() >= 15000 && nodeShare > 0.9,
             qPrintable(QStringLiteral("%1 samples, share %2").arg(atNode->size()).arg(nodeShare)));
}

void TestNodeInterop::refusedCallIsSaidAndTheNodeStillAnswers()
{
    start(true);
    QCOMPARE(errorOf([this] { node_->session->Connect1(QStringLiteral("Q5PEER"), true); }),
             QStringLiteral("Station Q5PEER refused the connection"));
    QCOMPARE(node_->session->SystemConfigCallsign(), QStringLiteral("Q1AAA"));
}

void TestNodeInterop::cancelledCallLeavesTheNodeAnswering()
{
    start();
    QSignalSpy connected(node_->session.get(), &EchoLinkSession::OnConnected);
    node_->session->Connect1(QStringLiteral("Q9GONE"), false);
    node_->session->Disconnect1(QStringLiteral("Q9GONE"));
    node_->session->Connect1(QStringLiteral("Q9GONE"), false);
    node_->session->DisconnectAll();
    peer_->send("call 127.0.0.1");
    QTRY_COMPARE_WITH_TIMEOUT(connected.count(), 1, 5000);
    QCOMPARE(connected.at(0).at(0).toString(), QStringLiteral("Q5PEER"));
}

void TestNodeInterop::unansweredCallLeavesTheNodeAnswering()
{
    start();
    QSignalSpy connected(node_->session.get(), &EchoLinkSession::OnConnected);
    QCOMPARE(errorOf([this] { node_->session->Connect1(QStringLiteral("Q9GONE"), true); }),
             QStringLiteral("Station Q9GONE did not answer"));
    // Not waited for: it fails on its own, and the node goes on.
    node_->session->Connect1(QStringLiteral("Q9GONE"), false);
    QTest::qWait(3500);
    QCOMPARE(node_->session->SystemConfigCallsign(), QStringLiteral("Q1AAA"));
    peer_->send("call 127.0.0.1");
    QTRY_COMPARE_WITH_TIMEOUT(connected.count(), 1, 5000);
}

void TestNodeInterop::conferenceRelaysAudioAndChat()
{
    start();
    const QString secondRecord = dir_->filePath(QStringLiteral("second.wav"));
    Peer second(secondRecord, false, QStringLiteral("Q6PEER"), QStringLiteral("127.0.0.6"));
    QSignalSpy connected(node_->session.get(), &EchoLinkSession::OnConnected);
    QSignalSpy chat(node_->session.get(), &EchoLinkSession::OnChatTextReceived);
    peer_->send("call 127.0.0.1");
    QVERIFY(peer_->waitFor("connected"));
    second.send("call 127.0.0.1");
    QVERIFY(second.waitFor("connected"));
    QTRY_COMPARE_WITH_TIMEOUT(connected.count(), 2, 2000);
    // The node's information now lists who is connected.
    std::optional<QByteArray> info;
    while ((info = second.waitFor("info", 2000)) && !QByteArray::fromHex(*info).contains("Connected stations")) {
    }
    QVERIFY(info);
    QVERIFY(QByteArray::fromHex(*info).contains("Q5PEER"));

    // A chat line from one station reaches the other under its sender's callsign, and Corvane.
    peer_->chat("Gr\xfc\xdf"
                "e an alle");
    QCOMPARE(chatBody(second.waitFor("chat").value_or("")), QByteArray("Q5PEER>Gr\xfc\xdf"
                                                                         "e an alle"));
    QTRY_COMPARE_WITH_TIMEOUT(chat.count(), 1, 1000);
    QCOMPARE(chat.at(0).at(0).toString(), QStringLiteral("Q5PEER>Grüße an alle"));
    // Corvane's chat goes to both.
    node_->session->SendChatText(QStringLiteral("73 to all"));
    QCOMPARE(chatBody(peer_->waitFor("chat").value_or("")), QByteArray("Q1AAA>73 to all"));
    QCOMPARE(chatBody(second.waitFor("chat").value_or("")), QByteArray("Q1AAA>73 to all"));

    // The talking station is heard by the other station and by the speaker.
    peer_->send("tx");
    QVERIFY(second.waitFor("receiving 1", 2000));
    QVERIFY(peer_->waitFor("sent", 4000));
    QVERIFY(second.waitFor("receiving 0", 3000));
    second.quit();
    node_->stop();
    QString error;
    const auto atSecond = WavFile::read(secondRecord, &error);
    QVERIFY2(atSecond, qPrintable(error));
    const double share = shareOfEnergy(*atSecond, 1000);
    QVERIFY2(atSecond->size() >= 15000 && share > 0.9,
             qPrintable(QStringLiteral("%1 samples, share %2").arg(atSecond->size()).arg(share)));
    const auto atNode = WavFile::read(node_->outputWav(), &error);
    QVERIFY2(atNode && shareOfEnergy(*atNode, 1000) > 0.9, qPrintable(error));
}

QTEST_GUILESS_MAIN(TestNodeInterop)
#include "TestNodeInterop.moc"
