#include "echolink/EchoLinkWire.h"
#include "echolink/SocketSession.h"

#include <QLocalServer>
#include <QLocalSocket>
#include <QProcess>
#include <QSemaphore>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <memory>

namespace {

const QString notRunning = "EchoLink is not running or its automation server is not available";
const QString closed = "EchoLink closed the automation connection";

// An automation server that misbehaves on purpose, on its own thread so that it keeps running while the
// session under test blocks in a call.
class MisbehavingServer : public QThread
{
public:
    enum class Manner
    {
        Silent,
        HangsUpOnFirstCall
    };

    MisbehavingServer(const QString& path, Manner manner)
        : path_(path)
        , manner_(manner)
    {
    }
    ~MisbehavingServer() override
    {
        quit();
        wait();
    }
    bool startListening()
    {
        start();
        ready_.acquire();
        return listening_;
    }

protected:
    void run() override
    {
        QLocalServer server;
        listening_ = server.listen(path_);
        QObject::connect(&server, &QLocalServer::newConnection, [&server, this] {
            QLocalSocket* socket = server.nextPendingConnection();
            QObject::connect(socket, &QLocalSocket::readyRead, [socket, this] {
                socket->readAll();
                if (manner_ == Manner::HangsUpOnFirstCall)
                    socket->abort();
            });
        });
        ready_.release();
        exec();
    }

private:
    QString path_;
    Manner manner_;
    QSemaphore ready_;
    bool listening_ = false;
};

QString errorOf(const std::function<void()>& operation)
{
    try {
        operation();
    } catch (const EchoLinkError& error) {
        return error.message();
    }
    return {};
}

} // namespace

class TestSocketSession : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<QProcess> standIn_;

    QString standInPath() const { return qEnvironmentVariable("CORVANE_STANDIN"); }

    bool serverAnswers() const
    {
        QLocalSocket probe;
        probe.connectToServer(EchoLinkWire::serverPath());
        return probe.waitForConnected(1000);
    }

    // The stand-in inherits this test's private XDG_RUNTIME_DIR and so listens where the session looks.
    void startStandIn(const QStringList& environment = {})
    {
        standIn_ = std::make_unique<QProcess>();
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        for (const QString& setting : environment)
            env.insert(setting.section('=', 0, 0), setting.section('=', 1));
        standIn_->setProcessEnvironment(env);
        standIn_->setProcessChannelMode(QProcess::ForwardedErrorChannel);
        standIn_->start(standInPath(), {});
        QVERIFY2(standIn_->waitForStarted(10000), qPrintable(standIn_->errorString()));
        QTRY_VERIFY_WITH_TIMEOUT(serverAnswers(), 20000);
    }

    QString send(const QString& command, int* exitCode = nullptr)
    {
        QProcess sender;
        sender.start(standInPath(), { "--send", command });
        if (!sender.waitForFinished(20000))
            return "(no answer)";
        if (exitCode)
            *exitCode = sender.exitCode();
        return QString::fromLocal8Bit(sender.readAllStandardOutput()).trimmed();
    }

    static QByteArray exchange(QLocalSocket& socket, const QByteArray& line)
    {
        socket.write(line);
        socket.flush();
        while (!socket.canReadLine()) {
            if (!socket.waitForReadyRead(10000))
                return {};
        }
        return socket.readLine();
    }

private slots:
    void initTestCase() { QVERIFY2(QFileInfo(standInPath()).isExecutable(), "CORVANE_STANDIN names the stand-in"); }

    void cleanup()
    {
        if (standIn_) {
            standIn_->kill();
            standIn_->waitForFinished(10000);
            standIn_.reset();
        }
    }

    void readsTheOwnCallsign()
    {
        startStandIn({ "ECHOLINK_STANDIN_CALLSIGN=Q7TST" });
        SocketSession session;
        QCOMPARE(session.SystemConfigCallsign(), "Q7TST");
        QVERIFY(session.isAttached());
        QCOMPARE(session.Transmitting(), false);
        QCOMPARE(session.Receiving(), false);
    }

    void connectedEventArrivesThroughTheEventLoop()
    {
        startStandIn();
        SocketSession session;
        QSignalSpy connected(&session, &EchoLinkSession::OnConnected);
        session.Connect1("Q1AB", true);
        QCOMPARE(connected.size(), 0); // never from inside the call
        QTRY_COMPARE(connected.size(), 1);
        QCOMPARE(connected.first().at(0).toString(), "Q1AB");
        QVERIFY(!connected.first().at(1).toString().isEmpty());
        QCOMPARE(connected.first().at(2).toString().count('.'), 3);
    }

    void failedConnectCarriesEchoLinksMessage_data()
    {
        QTest::addColumn<QString>("station");
        QTest::addColumn<QString>("message");
        QTest::newRow("not a callsign") << "NO CALL"
                                        << "Station NO CALL not found";
        QTest::newRow("nothing") << ""
                                 << "No station specified";
    }
    void failedConnectCarriesEchoLinksMessage()
    {
        QFETCH(QString, station);
        QFETCH(QString, message);
        startStandIn();
        SocketSession session;
        QCOMPARE(errorOf([&] { session.Connect1(station, true); }), message);
    }

    void plannedFailureFailsTheNextCallOnly()
    {
        startStandIn();
        SocketSession session;
        QCOMPARE(send("fail Transmit Cannot transmit while receiving"), "ok");
        QCOMPARE(errorOf([&] { session.Transmit(true); }), "Cannot transmit while receiving");
        session.Transmit(true);
        QVERIFY(session.Transmitting());
    }

    void sentCommandsBecomeEventsInOrder()
    {
        startStandIn();
        SocketSession session;
        session.SystemConfigCallsign(); // attaches: from here on events flow
        QStringList heard;
        connect(&session, &EchoLinkSession::OnConnected, this,
                [&heard](const QString& call, const QString& name, const QString& address) {
                    heard << "connected " + call + "|" + name + "|" + address;
                });
        connect(&session, &EchoLinkSession::OnChatTextReceived, this,
                [&heard](const QString& text) { heard << "chat " + text; });
        connect(&session, &EchoLinkSession::OnAlarm, this, [&heard](const QString& station, int status) {
            heard << "alarm " + station + " " + QString::number(status);
        });
        connect(&session, &EchoLinkSession::OnLinkStatusChange, this,
                [&heard](bool on) { heard << QString("link %1").arg(on); });
        connect(&session, &EchoLinkSession::OnDisconnected, this,
                [&heard](const QString& call) { heard << "disconnected " + call; });
        QCOMPARE(send("connect Q2CD \"Ann Lee\" 10.1.2.3"), "ok");
        QCOMPARE(send("chat Q2CD>hello\\tthere"), "ok");
        QCOMPARE(send("alarm Q3EF -1"), "ok");
        QCOMPARE(send("link off"), "ok");
        QCOMPARE(send("disconnect Q2CD"), "ok");
        QTRY_COMPARE(heard.size(), 5);
        QCOMPARE(heard,
                 QStringList({ "connected Q2CD|Ann Lee|10.1.2.3", "chat Q2CD>hello\tthere", "alarm Q3EF -1", "link 0",
                               "disconnected Q2CD" }));
    }

    void callsListsEveryOperationInOrder()
    {
        startStandIn();
        SocketSession session;
        session.SystemConfigCallsign();
        session.DisconnectAll();
        session.SendChatText("Good evening all");
        QCOMPARE(send("alarmlog \"12:34 Q1AB-R on\\r\\n\""), "ok");
        QCOMPARE(session.AlarmLogText(), "12:34 Q1AB-R on\r\n");
        QCOMPARE(send("calls"),
                 "SystemConfig.Callsign\nDisconnectAll\nSendChatText \"Good evening all\"\nAlarmLogText");
    }

    void sendWithoutStandInFails()
    {
        int exitCode = 0;
        send("calls", &exitCode);
        QCOMPARE(exitCode, 1);
    }

    void malformedInputIsAnsweredAndTheConnectionStays()
    {
        startStandIn();
        QLocalSocket socket;
        socket.connectToServer(EchoLinkWire::serverPath());
        QVERIFY(socket.waitForConnected(5000));
        const auto answer = [&socket](const QByteArray& line) { return *EchoLinkWire::decode(exchange(socket, line)); };
        QJsonObject reply = answer("this is not JSON\n");
        QCOMPARE(reply.value("ok").toBool(true), false);
        QVERIFY(reply.value("error").toString().startsWith("Malformed message"));
        reply = answer("{\"id\":5,\"op\":\"Dance\",\"args\":[]}"
                       "\n");
        QCOMPARE(reply.value("id").toInt(), 5);
        QCOMPARE(reply.value("error").toString(), "Unknown operation Dance");
        reply = answer("{\"id\":6,\"op\":\"Transmit\",\"args\":[\"yes\"]}"
                       "\n");
        QCOMPARE(reply.value("ok").toBool(true), false);
        reply = answer("{\"id\":7,\"op\":\"Receiving\",\"args\":[]}"
                       "\n");
        QCOMPARE(reply, EchoLinkWire::reply(7, false));
    }

    void killedStandInBecomesAnErrorAndALaterOneIsAttached()
    {
        startStandIn();
        SocketSession session;
        session.setCallTimeout(60000);
        session.SystemConfigCallsign();
        standIn_->kill();
        QVERIFY(standIn_->waitForFinished(10000));
        const QString error = errorOf([&] { session.Transmitting(); });
        QVERIFY2(error == closed || error == notRunning, qPrintable(error));
        startStandIn({ "ECHOLINK_STANDIN_CALLSIGN=Q8NEW" });
        QCOMPARE(session.SystemConfigCallsign(), "Q8NEW");
    }

    void closeEndsTheStandInAfterQuit()
    {
        startStandIn();
        SocketSession session;
        QSignalSpy closing(&session, &EchoLinkSession::OnClosing);
        session.SystemConfigCallsign();
        QCOMPARE(send("close"), "ok");
        QTRY_COMPARE(closing.size(), 1);
        session.Quit();
        QVERIFY(standIn_->waitForFinished(10000));
        QCOMPARE(standIn_->exitCode(), 0);
    }

    void secondStandInRefusesToStart()
    {
        startStandIn();
        QProcess second;
        second.start(standInPath(), {});
        QVERIFY(second.waitForFinished(20000));
        QCOMPARE(second.exitCode(), 1);
        QVERIFY(QString::fromLocal8Bit(second.readAllStandardError()).contains("already running"));
        QVERIFY(serverAnswers());
    }

    void serverThatHangsUpDuringACallIsAnError()
    {
        QTemporaryDir folder;
        MisbehavingServer server(folder.path() + "/echolink.sock", MisbehavingServer::Manner::HangsUpOnFirstCall);
        QVERIFY(server.startListening());
        SocketSession session;
        session.setServerPath(folder.path() + "/echolink.sock");
        session.setCallTimeout(60000);
        QCOMPARE(errorOf([&] { session.Reset(); }), closed);
    }

    void silentServerIsAnErrorAfterTheTimeout()
    {
        QTemporaryDir folder;
        MisbehavingServer server(folder.path() + "/echolink.sock", MisbehavingServer::Manner::Silent);
        QVERIFY(server.startListening());
        SocketSession session;
        session.setServerPath(folder.path() + "/echolink.sock");
        session.setCallTimeout(200);
        session.setConnectWaitTimeout(300);
        QCOMPARE(errorOf([&] { session.Receiving(); }), "EchoLink did not answer Receiving within 0.2 seconds");
        QCOMPARE(errorOf([&] { session.Connect1("Q1AB", true); }),
                 "EchoLink did not answer Connect1 within 0.3 seconds");
    }

    void missingServerIsAnError()
    {
        QTemporaryDir folder;
        SocketSession session;
        session.setServerPath(folder.path() + "/echolink.sock");
        QCOMPARE(errorOf([&] { session.DisconnectAll(); }), notRunning);
        QVERIFY(!session.isAttached());
    }
};

QTEST_GUILESS_MAIN(TestSocketSession)
#include "TestSocketSession.moc"
