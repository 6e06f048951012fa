// What the node owes Corvane however fast the network talks: its socket is never dropped for being slow
// (events beyond the bound are left out and that is said once), and its own log never blocks it.
#include "NodeLog.h"
#include "NodeServer.h"
#include "echolink/EchoLinkWire.h"

#include <QElapsedTimer>
#include <QLocalSocket>
#include <QTemporaryDir>
#include <QTest>
#include <fcntl.h>
#include <unistd.h>

class TestNodeServer : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void slowClientIsThinnedNotDropped();
    void unreadLogNeverBlocks();
    void callDuringStartUpWaitsForTheNode();

private:
    QTemporaryDir runtime_;
};

void TestNodeServer::initTestCase()
{
    QVERIFY(runtime_.isValid());
    QFile::setPermissions(runtime_.path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtime_.path()));
}

void TestNodeServer::slowClientIsThinnedNotDropped()
{
    NodeServer server;
    QString error;
    QVERIFY2(server.listen(&error), qPrintable(error));
    int client = -1;
    bool left = false;
    server.lineReceived = [&client](int id, const QByteArray&) { client = id; };
    server.clientLeft = [&left](int) { left = true; };
    server.thinnedNotice = [] { return QByteArray("{\"event\":\"thinned\"}\n"); };

    QLocalSocket corvane;
    corvane.connectToServer(EchoLinkWire::serverPath());
    QVERIFY(corvane.waitForConnected(1000));
    corvane.write("{\"id\":1,\"op\":\"Receiving\",\"args\":[]}\n");
    corvane.flush();
    QTRY_VERIFY_WITH_TIMEOUT(client > 0, 1000);

    // Corvane reads nothing while 20 MB of events pile up; then an answer is due.
    const QByteArray event = "{\"event\":\"OnChatTextReceived\",\"args\":[\"" + QByteArray(200, 'x') + "\"]}\n";
    for (int i = 0; i < 100000; ++i)
        server.event(client, event);
    server.answer(client, "{\"id\":1,\"result\":false}\n");
    QVERIFY(!left);

    // Once it reads, it gets a bounded share of the events, the answer, and one notice.
    QByteArray received;
    QElapsedTimer timer;
    timer.start();
    while (!received.contains("thinned") && timer.elapsed() < 5000) {
        QCoreApplication::processEvents();
        corvane.waitForReadyRead(10);
        received += corvane.readAll();
    }
    QVERIFY(!left);
    QVERIFY(received.contains("\"result\":false"));
    QCOMPARE(received.count("thinned"), 1);
    QVERIFY(received.size() < NodeServer::EventQueueBytes + 64 * 1024);
}

// The node claims its socket first, then may wait for the desktop's secret store on a local event loop: a call
// Corvane sends meanwhile must reach the node once it is set up, not be read and lost.
void TestNodeServer::callDuringStartUpWaitsForTheNode()
{
    NodeServer server;
    QString error;
    QVERIFY2(server.listen(&error), qPrintable(error));
    QLocalSocket corvane;
    corvane.connectToServer(EchoLinkWire::serverPath());
    QVERIFY(corvane.waitForConnected(1000));
    corvane.write("{\"id\":1,\"op\":\"Receiving\",\"args\":[]}\n");
    corvane.flush();
    QTest::qWait(200); // the start-up's own event loop turns

    QByteArrayList lines;
    server.lineReceived = [&lines](int, const QByteArray& line) { lines.append(line); };
    server.serve();
    QTRY_COMPARE_WITH_TIMEOUT(lines.size(), 1, 1000);
    QCOMPARE(lines.at(0), QByteArray("{\"id\":1,\"op\":\"Receiving\",\"args\":[]}"));
}

void TestNodeServer::unreadLogNeverBlocks()
{
    // Standard error becomes a pipe that nobody reads.
    int pipeEnds[2];
    QCOMPARE(::pipe(pipeEnds), 0);
    const int saved = ::dup(STDERR_FILENO);
    ::dup2(pipeEnds[1], STDERR_FILENO);
    QElapsedTimer timer;
    timer.start();
    for (int i = 0; i < 20000; ++i)
        NodeLog::line(QStringLiteral("a stray datagram from 192.0.2.%1").arg(i % 256));
    const qint64 elapsed = timer.elapsed();
    const qsizetype pending = NodeLog::pendingBytes();
    ::dup2(saved, STDERR_FILENO);
    ::close(saved);
    ::close(pipeEnds[0]);
    ::close(pipeEnds[1]);
    QVERIFY2(elapsed < 2000, qPrintable(QString::number(elapsed)));
    QVERIFY(pending <= NodeLog::MaxPendingBytes);
}

QTEST_GUILESS_MAIN(TestNodeServer)
#include "TestNodeServer.moc"
