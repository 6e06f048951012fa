// The node facing hostile stations and a hostile directory, on loopback: junk and truncated datagrams,
// lengths past the end, calls from unlisted and spoofed callsigns, floods of chat and of calls, endless,
// huge and stalled lists, listed stations without a usable address, and a standard error nobody reads.
// The node must survive, answer within a second, say nothing for what it drops and stay bounded in memory.
#include "EchoLinkPackets.h"
#include "NodeHarness.h"
#include "NodeText.h"

#include <QNetworkDatagram>
#include <QRandomGenerator>
#include <QUdpSocket>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace NodeHarness;
using namespace EchoLinkPackets;

namespace {

// AddressSanitizer keeps freed memory in quarantine: resident memory says nothing about the node there.
#if defined(__SANITIZE_ADDRESS__)
constexpr bool memoryIsMeasurable = false;
#else
constexpr bool memoryIsMeasurable = true;
#endif

const Station ann { "Q1AAA", "annpass", "Ann", "127.0.0.1", "" };
const QString node = QStringLiteral("127.0.0.1");

// A station made of two bare sockets, to send whatever a test likes from a chosen loopback address.
class RawStation
{
public:
    explicit RawStation(const QString& address)
    {
        QVERIFY(audio_.bind(QHostAddress(address), 5198));
        QVERIFY(control_.bind(QHostAddress(address), 5199));
    }
    void toAudio(const QByteArray& datagram) { audio_.writeDatagram(datagram, QHostAddress(node), 5198); }
    void toControl(const QByteArray& datagram) { control_.writeDatagram(datagram, QHostAddress(node), 5199); }
    void call(const QByteArray& callsign, const QByteArray& name) { toControl(buildDescription(callsign, name)); }

    // The kinds of control packets that came back within `ms`.
    QList<ControlKind> heard(int ms)
    {
        QList<ControlKind> kinds;
        QElapsedTimer timer;
        timer.start();
        while (timer.elapsed() < ms) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
            control_.waitForReadyRead(20);
            while (control_.hasPendingDatagrams())
                kinds << parseControl(control_.receiveDatagram().data()).kind;
            while (audio_.hasPendingDatagrams())
                audio_.receiveDatagram();
        }
        return kinds;
    }

private:
    QUdpSocket audio_;
    QUdpSocket control_;
};

// Answers within a second, whatever came before.
bool answersQuickly(NodeProcess& process)
{
    QElapsedTimer timer;
    timer.start();
    try {
        if (process.session->SystemConfigCallsign() != QLatin1String("Q1AAA"))
            return false;
    } catch (const EchoLinkError&) {
        return false;
    }
    return timer.elapsed() < 1000;
}

} // namespace

class TestNodeHostile : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void junkFromAnyoneIsDroppedQuietly();
    void callsFromTheWrongPlaceAreRefused_data();
    void callsFromTheWrongPlaceAreRefused();
    void listedStationGetsInOnceAndFloodsAreThinned();
    void unreadStandardErrorNeverStopsTheNode();
    void hostileDirectory_data();
    void hostileDirectory();
    void stationsWithoutUsableAddressesAreNotFound();

private:
    void start(const QStringList& directoryArguments = {}, bool awaitLogin = true);

    std::unique_ptr<QTemporaryDir> dir_;
    std::unique_ptr<Directory> directory_;
    std::unique_ptr<NodeProcess> node_;
};

void TestNodeHostile::init()
{
    dir_ = scratchFolder();
    node_ = std::make_unique<NodeProcess>(dir_->filePath(QStringLiteral("a")), ann);
    node_->writeConfig(writeTestTone(dir_->filePath(QStringLiteral("tone.wav"))));
}

void TestNodeHostile::cleanup()
{
    node_->stop();
    if (QTest::currentTestFailed())
        qWarning("node:\n%s", node_->log().right(8000).constData());
    node_.reset();
    directory_.reset();
    dir_.reset();
}

void TestNodeHostile::start(const QStringList& directoryArguments, bool awaitLogin)
{
    directory_ = std::make_unique<Directory>(QStringList { QStringLiteral("--listed"), QStringLiteral("Q6HOST,127.0.0.6,ON") }
                                             + directoryArguments);
    node_->start();
    if (awaitLogin)
        node_->awaitLogin();
}

void TestNodeHostile::junkFromAnyoneIsDroppedQuietly()
{
    start();
    QSignalSpy connected(node_->session.get(), &EchoLinkSession::OnConnected);
    QSignalSpy chat(node_->session.get(), &EchoLinkSession::OnChatTextReceived);
    RawStation stranger(QStringLiteral("127.0.0.7"));
    const QByteArray sdes = buildDescription("Q7ZZZ", "Mallory");
    auto* random = QRandomGenerator::global();
    for (int i = 0; i < 2000; ++i) {
        // The 12-byte datagram whose SDES length runs past its end, truncations, and noise.
        stranger.toControl(QByteArray("\xC0\xC9\x00\x01\x00\x00\x00\x00\xC1\xCA\xFF\xFF", 12));
        stranger.toControl(sdes.left(random->bounded(sdes.size())));
        QByteArray noise(random->bounded(1, 600), '\0');
        for (char& c : noise)
            c = static_cast<char>(random->bounded(256));
        stranger.toControl(noise);
        stranger.toAudio(noise);
        stranger.toAudio(buildChat("Q6HOST", "INCORRECT PASSWORD"));
        stranger.toAudio(buildAudio(static_cast<quint16>(i), PayloadGsm, QByteArray(GsmPayloadBytes, '\x55')));
    }
    QVERIFY(stranger.heard(300).isEmpty());
    QVERIFY(answersQuickly(*node_));
    QCOMPARE(connected.count(), 0);
    QCOMPARE(chat.count(), 0);
    QVERIFY(!node_->session->Receiving());
}

void TestNodeHostile::callsFromTheWrongPlaceAreRefused_data()
{
    QTest::addColumn<QString>("from");
    QTest::addColumn<QByteArray>("callsign");
    QTest::newRow("unlisted callsign") << "127.0.0.7" << QByteArray("Q7ZZZ");
    QTest::newRow("listed callsign at another address") << "127.0.0.7" << QByteArray("Q6HOST");
    QTest::newRow("no callsign") << "127.0.0.7" << QByteArray();
}

void TestNodeHostile::callsFromTheWrongPlaceAreRefused()
{
    QFETCH(QString, from);
    QFETCH(QByteArray, callsign);
    start();
    QSignalSpy connected(node_->session.get(), &EchoLinkSession::OnConnected);
    RawStation caller(from);
    caller.call(callsign, "Mallory");
    // After at most one new list, a BYE and nothing else.
    const QList<ControlKind> heard = caller.heard(1500);
    QCOMPARE(heard, QList<ControlKind> { ControlKind::Bye });
    QCOMPARE(connected.count(), 0);
    QVERIFY(answersQuickly(*node_));
}

void TestNodeHostile::listedStationGetsInOnceAndFloodsAreThinned()
{
    start();
    QSignalSpy connected(node_->session.get(), &EchoLinkSession::OnConnected);
    QSignalSpy disconnected(node_->session.get(), &EchoLinkSession::OnDisconnected);
    QSignalSpy chat(node_->session.get(), &EchoLinkSession::OnChatTextReceived);
    RawStation host(QStringLiteral("127.0.0.6"));
    const QByteArray name = NodeText::toWindows1252(QStringLiteral("Zoë Ünal-Smith"));
    host.call("Q6HOST", name);
    QVERIFY(host.heard(500).contains(ControlKind::Description));
    QTRY_COMPARE_WITH_TIMEOUT(connected.count(), 1, 1000);
    QCOMPARE(connected.at(0), (QVariantList { "Q6HOST", QStringLiteral("Zoë Ünal-Smith"), "127.0.0.6" }));

    // A second "Q6HOST" elsewhere is refused, and speaks no chat in its name.
    RawStation copy(QStringLiteral("127.0.0.7"));
    copy.call("Q6HOST", "Copy");
    copy.toAudio(buildChat("Q6HOST", "I am the real one"));
    QCOMPARE(copy.heard(1500), QList<ControlKind> { ControlKind::Bye });
    QCOMPARE(connected.count(), 1);

    // Its chat may not speak for this node; a line claiming no sender is put under its callsign.
    host.toAudio(buildChatLine("Q1AAA>the node says so"));
    host.toAudio(buildChatLine("no sender"));
    QTRY_COMPARE_WITH_TIMEOUT(chat.count(), 2, 1000);
    QCOMPARE(chat.at(0).at(0).toString(), QStringLiteral("Q6HOST>Q1AAA>the node says so"));
    QCOMPARE(chat.at(1).at(0).toString(), QStringLiteral("Q6HOST>no sender"));
    chat.clear();

    // Ten thousand chats at once: a few pass, the rest is left out and said once.
    const qint64 before = node_->residentKiB();
    for (int i = 0; i < 10000; ++i)
        host.toAudio(buildChat("Q6HOST", "flood " + QByteArray::number(i)));
    QTest::qWait(300);
    QVERIFY(answersQuickly(*node_));
    QTRY_VERIFY_WITH_TIMEOUT(chat.count() >= 2, 1000);
    int notices = 0;
    for (const QList<QVariant>& args : chat)
        notices += args.at(0).toString().contains(QLatin1String("left out"));
    QCOMPARE(notices, 1);
    QVERIFY2(chat.count() <= 20, qPrintable(QString::number(chat.count())));

    // Five thousand leave-and-call-again cycles: a few announcements, not ten thousand.
    for (int i = 0; i < 5000; ++i) {
        host.toControl(buildBye());
        host.call("Q6HOST", name);
    }
    QTest::qWait(500);
    QVERIFY(answersQuickly(*node_));
    QVERIFY2(connected.count() <= 8, qPrintable(QString::number(connected.count())));
    QVERIFY(disconnected.count() <= connected.count());
    const qint64 after = node_->residentKiB();
    qInfo("resident memory %lld KiB before the floods, %lld KiB after", before, after);
    QVERIFY(!memoryIsMeasurable || after - before < 20 * 1024);
}

void TestNodeHostile::unreadStandardErrorNeverStopsTheNode()
{
    // Standard error is a pipe that nobody reads; every call the node takes writes a line to it.
    const QString fifo = dir_->filePath(QStringLiteral("errors.fifo"));
    QCOMPARE(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    const int reader = ::open(QFile::encodeName(fifo).constData(), O_RDONLY | O_NONBLOCK);
    QVERIFY(reader >= 0);
    node_->sendErrorsTo(fifo);
    start({}, false);
    QElapsedTimer timer;
    timer.start();
    for (int i = 0; i < 3000; ++i)
        QVERIFY(!node_->session->Transmitting());
    qInfo("3000 calls answered in %lld ms with standard error unread", timer.elapsed());
    QVERIFY(answersQuickly(*node_));
    ::close(reader);
}

void TestNodeHostile::hostileDirectory_data()
{
    QTest::addColumn<QString>("mode");
    QTest::newRow("endless list") << "endless";
    QTest::newRow("huge list") << "huge";
    QTest::newRow("stalled list") << "stall";
}

void TestNodeHostile::hostileDirectory()
{
    QFETCH(QString, mode);
    start({ QStringLiteral("--hostile"), mode }, false);
    QElapsedTimer timer;
    timer.start();
    const QString error = errorOf([this] { node_->session->RefreshStationList(true); });
    QVERIFY2(timer.elapsed() < 6000, qPrintable(QString::number(timer.elapsed())));
    QVERIFY2(error.contains(QLatin1String("did not send the station list")), qPrintable(error));
    QVERIFY(answersQuickly(*node_));
    const qint64 memory = node_->residentKiB();
    qInfo("%s: resident memory %lld KiB", qPrintable(mode), memory);
    QVERIFY(!memoryIsMeasurable || memory < 100 * 1024);
}

void TestNodeHostile::stationsWithoutUsableAddressesAreNotFound()
{
    start({ QStringLiteral("--hostile"), QStringLiteral("bad-addresses") });
    for (const char* call : { "Q9BCAST", "Q9ANY", "Q9MCAST", "Q9NAME", "Q9SHORT", "Q9BIG" }) {
        const QString station = QString::fromLatin1(call);
        QCOMPARE(errorOf([this, &station] { node_->session->Connect1(station, true); }),
                 QStringLiteral("Station %1 not found").arg(station));
    }
    QVERIFY(answersQuickly(*node_));
}

QTEST_GUILESS_MAIN(TestNodeHostile)
#include "TestNodeHostile.moc"
