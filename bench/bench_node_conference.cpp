// The node as a conference on loopback: three stations on Debian's EchoLink library (echolib-peer) call it,
// with the fake directory listing them. Prints the node's CPU per second: idle with three QSOs, while one
// station talks (decode for the speaker, relay to the two others), and while Corvane transmits to all three.
// Run: bench_node_conference   (uses 127.0.0.1, .3, .5-.7, ports 5198-5200)
#include "node/EchoLibPeer.h"
#include "node/NodeHarness.h"

#include <QCoreApplication>
#include <cstdio>

using namespace NodeHarness;

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QTemporaryDir dir;
    Directory directory({ QStringLiteral("--listed"), QStringLiteral("Q5PEER,127.0.0.5,ON"), QStringLiteral("--listed"),
                          QStringLiteral("Q6PEER,127.0.0.6,ON"), QStringLiteral("--listed"),
                          QStringLiteral("Q7PEER,127.0.0.7,ON") });
    NodeProcess node(dir.filePath(QStringLiteral("a")), { "Q1AAA", "annpass", "Ann", "127.0.0.1", "" });
    node.writeConfig(writeTestTone(dir.filePath(QStringLiteral("tone.wav"))));
    node.start();
    node.awaitLogin();
    std::vector<std::unique_ptr<Peer>> peers;
    for (int i = 5; i <= 7; ++i) {
        peers.push_back(std::make_unique<Peer>(dir.filePath(QStringLiteral("peer%1.wav").arg(i)), false,
                                               QStringLiteral("Q%1PEER").arg(i), QStringLiteral("127.0.0.%1").arg(i)));
        peers.back()->send("call 127.0.0.1");
        if (!peers.back()->waitFor("connected")) {
            std::fprintf(stderr, "station %d did not connect\n", i);
            return 1;
        }
    }
    QTest::qWait(500);

    double start = node.cpuMs();
    QTest::qWait(5000);
    std::printf("conference of three stations, idle: node %.2f ms CPU/s\n", (node.cpuMs() - start) / 5);

    start = node.cpuMs();
    QElapsedTimer timer;
    timer.start();
    peers.front()->send("tx");
    peers.front()->waitFor("sent", 4000);
    std::printf("one station talking (decode for the speaker, relay to two): node %.2f ms CPU/s\n",
                (node.cpuMs() - start) * 1000.0 / double(timer.elapsed()));

    QTest::qWait(1000);
    start = node.cpuMs();
    node.session->Transmit(true);
    QTest::qWait(2000);
    node.session->Transmit(false);
    std::printf("Corvane transmitting to three (encode once, send three): node %.2f ms CPU/s\n",
                (node.cpuMs() - start) / 2);
    peers.clear();
    node.stop();
    return 0;
}
