// The node's CPU per second on loopback, for one QSO and for a conference of three stations on Debian's
// EchoLink library (echolib-peer), and, where svxlink-server is installed, SvxLink's EchoLink module on the
// same exchange (its radio side on its UDP audio device): idle, and with one station talking (decoded for
// the speaker or the air, relayed to the others). For the node also Corvane transmitting to all three.
// Run: bench_node_conference   (uses 127.0.0.1, .3-.7, ports 5198-5200 and 10010-10011)
#include "node/EchoLibPeer.h"
#include "node/NodeHarness.h"
#ifdef CORVANE_SVXLINK_PROGRAM
#include "node/SvxLinkProcess.h"
#endif

#include <QCoreApplication>
#include <QNetworkDatagram>
#include <QUdpSocket>
#include <cstdio>
#include <functional>

using namespace NodeHarness;

namespace {

double cpuMsOf(qint64 pid)
{
    double total = 0;
    const QString tasks = QStringLiteral("/proc/%1/task").arg(pid);
    for (const QString& task : QDir(tasks).entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        QFile stat(tasks + QLatin1Char('/') + task + QStringLiteral("/schedstat"));
        if (stat.open(QIODevice::ReadOnly))
            total += stat.readAll().split(' ').value(0).toDouble() / 1e6;
    }
    return total;
}

// Connects one station after another to `address`, measuring `who` with one and with three stations.
void exchange(const char* who, qint64 pid, const QString& address, const QTemporaryDir& dir)
{
    std::vector<std::unique_ptr<Peer>> peers;
    const auto add = [&](int i) {
        peers.push_back(std::make_unique<Peer>(dir.filePath(QStringLiteral("%1-peer%2.wav").arg(who).arg(i)), false,
                                               QStringLiteral("Q%1PEER").arg(i), QStringLiteral("127.0.0.%1").arg(i)));
        peers.back()->send("call " + address.toLatin1());
        if (!peers.back()->waitFor("connected"))
            std::fprintf(stderr, "station %d did not connect to %s\n", i, who);
    };
    const auto measure = [&](const char* what, const std::function<void()>& during, int ms) {
        const double start = cpuMsOf(pid);
        QElapsedTimer timer;
        timer.start();
        during();
        while (timer.elapsed() < ms)
            QTest::qWait(10);
        std::printf("%-8s %-46s %6.2f ms CPU/s\n", who, what, (cpuMsOf(pid) - start) * 1000.0 / double(timer.elapsed()));
    };
    const auto talk = [&] {
        peers.front()->send("tx");
        peers.front()->waitFor("sent", 4000);
    };
    add(5);
    QTest::qWait(2000);
    measure("one QSO, idle", [] {}, 5000);
    measure("one QSO, the station talking", talk, 2200);
    add(6);
    add(7);
    QTest::qWait(2000);
    measure("three stations, idle", [] {}, 5000);
    measure("three stations, one talking, relayed to two", talk, 2200);
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QTemporaryDir dir;
    Directory directory({ QStringLiteral("--listed"), QStringLiteral("Q5PEER,127.0.0.5,ON"), QStringLiteral("--listed"),
                          QStringLiteral("Q6PEER,127.0.0.6,ON"), QStringLiteral("--listed"),
                          QStringLiteral("Q7PEER,127.0.0.7,ON") });
    {
        NodeProcess node(dir.filePath(QStringLiteral("a")), { "Q1AAA", "annpass", "Ann", "127.0.0.1", "" });
        node.writeConfig(writeTestTone(dir.filePath(QStringLiteral("tone.wav"))));
        node.start();
        node.awaitLogin();
        exchange("node", node.processId(), QStringLiteral("127.0.0.1"), dir);
        const double start = node.cpuMs();
        node.session->Transmit(true);
        QTest::qWait(2000);
        node.session->Transmit(false);
        std::printf("%-8s %-46s %6.2f ms CPU/s\n", "node", "Corvane transmitting to three", (node.cpuMs() - start) / 2);
        node.stop();
    }
#ifdef CORVANE_SVXLINK_PROGRAM
    {
        // Its transmitter's audio is read and dropped, as a radio would take it.
        QUdpSocket air;
        air.bind(QHostAddress::LocalHost, SvxLink::TxPort);
        QObject::connect(&air, &QUdpSocket::readyRead, &air, [&air] {
            while (air.hasPendingDatagrams())
                air.receiveDatagram();
        });
        SvxLink svx(dir.filePath(QStringLiteral("svx")));
        exchange("svxlink", svx.processId(), QStringLiteral("127.0.0.4"), dir);
    }
#endif
    return 0;
}
