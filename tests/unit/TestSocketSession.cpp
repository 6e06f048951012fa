#include "echolink/EchoLinkWire.h"
#include "echolink/SocketSession.h"

#include <QElapsedTimer>
#include <QJsonObject>
#include <QLocalServer>
#include <QLocalSocket>
#include <QProcess>
#include <QSemaphore>
#include <QSet>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <functional>
#include <memory>

namespace {

const QString notRunning = "EchoLink is not running or its automation server is not available";
const QString closed = "EchoLink closed the automation connection";

// An automation server that misbehaves on purpose, on its own thread so that it keeps running while the
// session under test blocks in a call. A scripted one greets each client with raw bytes and answers each
// call with the raw bytes its script makes of it.
class MisbehavingServer : public QThread
{
public:
    enum class Manner
    {
        Silent,
        HangsUpOnFirstCall,
        Scripted
    };
    using Script = std::function<QByteArray(const QJsonObject& call)>;

    MisbehavingServer(const QString& path, Manner manner)
        : path_(path)
        , manner_(manner)
    {
    }
    MisbehavingServer(const QString& path, Script script, QByteArray greeting = {})
        : path_(path)
        , manner_(Manner::Scripted)
        , script_(std::move(script))
        , greeting_(std::move(greeting))
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
            if (!greeting_.isEmpty())
                socket->write(greeting_);
            QObject::connect(socket, &QLocalSocket::readyRead, [socket, this] { answer(socket); });
        });
        ready_.release();
        exec();
    }

private:
    void answer(QLocalSocket* socket)
    {
        if (manner_ != Manner::Scripted) {
            socket->readAll();
            if (manner_ == Manner::HangsUpOnFirstCall)
                socket->abort();
            return;
        }
        while (socket->canReadLine()) {
            const auto call = EchoLinkWire::decode(socket->readLine());
            if (call)
                socket->write(script_(*call));
        }
        socket->flush();
    }

    QString path_;
    Manner manner_;
    Script script_;
    QByteArray greeting_;
    QSemaphore ready_;
    bool listening_ = false;
};

qint64 idOf(const QJsonObject& call)
{
    return call.value("id").toInteger();
}

// A raw answer line with the call's id put in place of ID.
QByteArray withId(QByteArray line, const QJsonObject& call)
{
    return line.replace("ID", QByteArray::number(idOf(call)));
}

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

    void firstReplyAnswersTheCallAndRepeatsAreDropped()
    {
        QTemporaryDir folder;
        MisbehavingServer server(folder.path() + "/echolink.sock", [](const QJsonObject& call) {
            const qint64 id = idOf(call);
            if (id == 1) // the right answer and a repeat in one piece
                return EchoLinkWire::encode(EchoLinkWire::reply(id, "Q1AB"))
                    + EchoLinkWire::encode(EchoLinkWire::reply(id, "DUPLICATE"));
            // a repeat of the first answer, late, ahead of the right one
            return EchoLinkWire::encode(EchoLinkWire::reply(1, "DUPLICATE"))
                + EchoLinkWire::encode(EchoLinkWire::reply(id, "Q2CD"));
        });
        QVERIFY(server.startListening());
        SocketSession session;
        session.setServerPath(folder.path() + "/echolink.sock");
        QCOMPARE(session.SystemConfigCallsign(), "Q1AB");
        QCOMPARE(session.SystemConfigCallsign(), "Q2CD");
    }

    void malformedAnswerFailsTheCallAtOnce_data()
    {
        QTest::addColumn<QByteArray>("answer");
        QTest::addColumn<QString>("reason");
        QTest::newRow("not UTF-8") << QByteArray("{\"id\":ID,\"ok\":true,\"value\":\"Q\xff\"}\n") << "not valid UTF-8";
        QTest::newRow("not JSON") << QByteArray("Receiving: yes\n") << "not JSON";
        QTest::newRow("a list") << QByteArray("[ID,true]\n") << "not a JSON object";
        QTest::newRow("mistyped value") << QByteArray("{\"id\":ID,\"ok\":true,\"value\":\"yes\"}\n")
                                        << "Receiving answers with true/false";
        QTest::newRow("no value") << QByteArray("{\"id\":ID,\"ok\":true}\n") << "Receiving answers with true/false";
        QTest::newRow("ok not a flag") << QByteArray("{\"id\":ID,\"ok\":1,\"value\":true}\n") << "\"ok\"";
        QTest::newRow("error not text") << QByteArray("{\"id\":ID,\"ok\":false,\"error\":7}\n") << "not text";
        QTest::newRow("id as text") << QByteArray("{\"id\":\"ID\",\"ok\":true,\"value\":true}\n")
                                    << "id is not a whole number";
        QTest::newRow("neither event nor reply") << QByteArray("{\"ok\":true}\n") << "neither an event nor a reply";
    }
    void malformedAnswerFailsTheCallAtOnce()
    {
        QFETCH(QByteArray, answer);
        QFETCH(QString, reason);
        QTemporaryDir folder;
        MisbehavingServer server(folder.path() + "/echolink.sock",
                                 [answer](const QJsonObject& call) { return withId(answer, call); });
        QVERIFY(server.startListening());
        SocketSession session;
        session.setServerPath(folder.path() + "/echolink.sock");
        session.setCallTimeout(20000);
        QElapsedTimer clock;
        clock.start();
        const QString error = errorOf([&] { session.Receiving(); });
        QVERIFY2(clock.elapsed() < 5000, "reported at once, not at the time-out");
        QVERIFY2(error.startsWith("EchoLink sent a malformed answer to Receiving: "), qPrintable(error));
        QVERIFY2(error.contains(reason), qPrintable(error));
    }

    void malformedEventsAreReportedAndNeverRaised_data()
    {
        QTest::addColumn<QByteArray>("event");
        QTest::newRow("connected without arguments") << QByteArray("{\"event\":\"OnConnected\",\"args\":[]}");
        QTest::newRow("connected with a number")
            << QByteArray("{\"event\":\"OnConnected\",\"args\":[\"Q1AB\",7,\"1.2.3.4\"]}");
        QTest::newRow("connected without a list") << QByteArray("{\"event\":\"OnConnected\",\"args\":\"Q1AB\"}");
        QTest::newRow("connected with a fourth")
            << QByteArray("{\"event\":\"OnConnected\",\"args\":[\"a\",\"b\",\"c\",\"d\"]}");
        QTest::newRow("alarm status as text") << QByteArray("{\"event\":\"OnAlarm\",\"args\":[\"Q1AB\",\"on\"]}");
        QTest::newRow("alarm status with a fraction") << QByteArray("{\"event\":\"OnAlarm\",\"args\":[\"Q1AB\",1.5]}");
        QTest::newRow("alarm status beyond 16 bits") << QByteArray("{\"event\":\"OnAlarm\",\"args\":[\"Q1AB\",70000]}");
        QTest::newRow("transmit flag as text") << QByteArray("{\"event\":\"OnTX\",\"args\":[\"true\"]}");
        QTest::newRow("chat without text") << QByteArray("{\"event\":\"OnChatTextReceived\"}");
        QTest::newRow("unknown event") << QByteArray("{\"event\":\"OnDance\",\"args\":[]}");
        QTest::newRow("event name a number") << QByteArray("{\"event\":7,\"args\":[]}");
        QTest::newRow("a line that is not UTF-8") << QByteArray("\xff\xfe\xfd");
    }
    // The malformed message follows the answer of a call, so no call waits for it.
    void malformedEventsAreReportedAndNeverRaised()
    {
        QFETCH(QByteArray, event);
        QTemporaryDir folder;
        MisbehavingServer server(folder.path() + "/echolink.sock", [event](const QJsonObject& call) {
            return EchoLinkWire::encode(EchoLinkWire::reply(idOf(call), false)) + event + '\n'
                + EchoLinkWire::encode(EchoLinkWire::event("OnChatTextReceived", { "after" }));
        });
        QVERIFY(server.startListening());
        SocketSession session;
        session.setServerPath(folder.path() + "/echolink.sock");
        QSignalSpy problems(&session, &EchoLinkSession::OnProtocolError);
        QSignalSpy chat(&session, &EchoLinkSession::OnChatTextReceived);
        std::vector<std::unique_ptr<QSignalSpy>> others;
        others.emplace_back(new QSignalSpy(&session, &EchoLinkSession::OnConnected));
        others.emplace_back(new QSignalSpy(&session, &EchoLinkSession::OnAlarm));
        others.emplace_back(new QSignalSpy(&session, &EchoLinkSession::OnTX));
        QCOMPARE(session.Receiving(), false);
        QCOMPARE(problems.size(), 0); // never from inside the call
        QTRY_COMPARE(chat.size(), 1);
        QCOMPARE(chat.first().first().toString(), "after");
        QCOMPARE(problems.size(), 1);
        QVERIFY2(problems.first().first().toString().startsWith("EchoLink sent a malformed "),
                 qPrintable(problems.first().first().toString()));
        for (const auto& spy : others)
            QCOMPARE(spy->size(), 0);
    }

    void eventsOfEveryKindArriveWithTheirArguments()
    {
        QTemporaryDir folder;
        QByteArray events;
        for (const EchoLinkWire::EventRow& entry : EchoLinkWire::events()) {
            QJsonArray args;
            for (const EchoLinkWire::Type type : entry.parameters)
                args.append(type == EchoLinkWire::Type::Text       ? QJsonValue("x")
                                : type == EchoLinkWire::Type::Flag ? QJsonValue(true)
                                                                   : QJsonValue(65535));
            events += EchoLinkWire::encode(EchoLinkWire::event(entry.event, args));
        }
        MisbehavingServer server(folder.path() + "/echolink.sock", [events](const QJsonObject& call) {
            return EchoLinkWire::encode(EchoLinkWire::reply(idOf(call), QJsonValue())) + events;
        });
        QVERIFY(server.startListening());
        SocketSession session;
        session.setServerPath(folder.path() + "/echolink.sock");
        QSignalSpy problems(&session, &EchoLinkSession::OnProtocolError);
        QSignalSpy alarm(&session, &EchoLinkSession::OnAlarm);
        QSignalSpy linkStatus(&session, &EchoLinkSession::OnLinkStatusChange);
        session.Reset();
        QTRY_COMPARE(linkStatus.size(), 1);
        QCOMPARE(problems.size(), 0);
        QCOMPARE(alarm.size(), 1);
        QCOMPARE(alarm.first().at(1).toInt(), 65535);
    }

    void standInIsStartedWhenNoneAnswers()
    {
        qputenv("ECHOLINK_STANDIN_CALLSIGN", "Q5NEW");
        SocketSession session;
        session.setEchoLinkExePath(standInPath());
        session.setCallTimeout(20000);
        const QString callsign = session.SystemConfigCallsign();
        qunsetenv("ECHOLINK_STANDIN_CALLSIGN");
        QCOMPARE(callsign, "Q5NEW");
        QVERIFY(serverAnswers());
        session.Quit(); // the one the session started ends, as a started EchoLink would
        QTRY_VERIFY_WITH_TIMEOUT(!serverAnswers(), 10000);
    }

    void startingEchoLinkIsBoundedByTheCallsTimeout_data()
    {
        QTest::addColumn<QString>("program");
        QTest::addColumn<QString>("reason");
        QTest::newRow("program missing") << "/nonexistent/Halvorn/EchoLink/EchoLink.exe"
                                         << "could not be started";
        QTest::newRow("program that never serves") << "never-serves"
                                                   << "was started, but did not answer within 0.4 seconds";
    }
    void startingEchoLinkIsBoundedByTheCallsTimeout()
    {
        QFETCH(QString, program);
        QFETCH(QString, reason);
        QTemporaryDir bin;
        if (program == "never-serves") {
            program = bin.filePath("EchoLink.exe");
            QFile script(program);
            QVERIFY(script.open(QIODevice::WriteOnly));
            script.write("#!/bin/sh\nsleep 3\n");
            script.close();
            QVERIFY(script.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
        }
        SocketSession session;
        session.setEchoLinkExePath(program);
        session.setCallTimeout(400);
        QElapsedTimer clock;
        clock.start();
        const QString error = errorOf([&] { session.SystemConfigCallsign(); });
        QVERIFY(clock.elapsed() < 3000);
        QVERIFY2(error.startsWith(notRunning), qPrintable(error));
        QVERIFY2(error.contains(reason), qPrintable(error));
    }

    // Once attached, a lost EchoLink is an error and never a new EchoLink: Corvane's own close after
    // EchoLink has gone must not start it again.
    void echoLinkLostAfterAttachingIsNotStartedAgain()
    {
        startStandIn();
        SocketSession session;
        session.setEchoLinkExePath(standInPath());
        session.SystemConfigCallsign();
        standIn_->kill();
        QVERIFY(standIn_->waitForFinished(10000));
        const QString error = errorOf([&] { session.DisconnectAll(); });
        QVERIFY2(error == closed || error == notRunning, qPrintable(error));
        QCOMPARE(errorOf([&] { session.Shutdown(); }), notRunning);
        QVERIFY(!serverAnswers());
    }

    void alarmLogIsAppendedReadAndCleared()
    {
        startStandIn();
        SocketSession session;
        QCOMPARE(session.AlarmLogText(), "");
        QCOMPARE(send("alarmlog \"12:34 Q1AB-R is on\\r\\n\""), "ok");
        QCOMPARE(send("alarmlog 12:35 Q2CD-L is off\\r\\n"), "ok");
        QCOMPARE(session.AlarmLogText(), "12:34 Q1AB-R is on\r\n12:35 Q2CD-L is off\r\n");
        QCOMPARE(send("alarmlog-clear"), "ok");
        QCOMPARE(session.AlarmLogText(), "");
        QCOMPARE(send("alarmlog 12:36 Q3EF is on"), "ok");
        QCOMPARE(session.AlarmLogText(), "12:36 Q3EF is on");
    }

    // The stand-in's demo directory arrives as entries of every kind; a refusal carries its reason.
    void stationListArrivesWholeAndItsRefusalIsAnError()
    {
        startStandIn();
        SocketSession session;
        const QList<StationDirectory::Entry> entries = session.StationList();
        QVERIFY(entries.size() >= 30);
        QSet<StationDirectory::Kind> kinds;
        for (const StationDirectory::Entry& entry : entries) {
            kinds.insert(entry.kind);
            QCOMPARE(entry.kind, StationDirectory::kindOfCallsign(entry.callsign));
            QVERIFY(entry.node > 0);
        }
        QCOMPARE(kinds.size(), 4);
        QCOMPARE(send("fail StationList The directory is being fetched"), "ok");
        QCOMPARE(errorOf([&] { session.StationList(); }), "The directory is being fetched");
        QCOMPARE(session.StationList(), entries);
    }

    void malformedStationListFailsTheCall()
    {
        QTemporaryDir folder;
        MisbehavingServer server(folder.path() + "/echolink.sock", [](const QJsonObject& call) {
            return withId("{\"id\":ID,\"ok\":true,\"value\":[{\"callsign\":\"Q1AB\",\"kind\":\"station\"}]}\n", call);
        });
        QVERIFY(server.startListening());
        SocketSession session;
        session.setServerPath(folder.path() + "/echolink.sock");
        const QString error = errorOf([&] { session.StationList(); });
        QVERIFY2(error.startsWith("EchoLink sent a malformed answer to StationList: "), qPrintable(error));
        QVERIFY2(error.contains("a station list"), qPrintable(error));
    }

    void unreadableAlarmLogReadsAsEmpty()
    {
        startStandIn();
        SocketSession session;
        QCOMPARE(send("alarmlog 12:34 Q1AB-R is on"), "ok");
        QCOMPARE(send("fail AlarmLogText The alarm log window is closed"), "ok");
        QCOMPARE(session.AlarmLogText(), "");
        QCOMPARE(session.AlarmLogText(), "12:34 Q1AB-R is on");
        standIn_->kill();
        QVERIFY(standIn_->waitForFinished(10000));
        QCOMPARE(session.AlarmLogText(), "");
    }

    void socketFolderThatIsNotPrivateIsNeverConnected_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("reason");
        QTest::newRow("link to a live server's folder") << "link"
                                                        << "is a symbolic link, not a folder";
        QTest::newRow("dangling link") << "dangling"
                                       << "is a symbolic link, not a folder";
        QTest::newRow("folder open to others") << "open"
                                               << "is open to other users (mode 0755)";
    }
    void socketFolderThatIsNotPrivateIsNeverConnected()
    {
        QFETCH(QString, kind);
        QFETCH(QString, reason);
        QTemporaryDir real;
        MisbehavingServer server(real.path() + "/echolink.sock", [](const QJsonObject& call) {
            return EchoLinkWire::encode(EchoLinkWire::reply(idOf(call), "Q6BAD"));
        });
        QVERIFY(server.startListening());
        QTemporaryDir elsewhere;
        QString folder = real.path();
        if (kind == "open")
            QVERIFY(QFile::setPermissions(folder,
                                          QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ReadGroup
                                              | QFile::ExeGroup | QFile::ReadOther | QFile::ExeOther));
        else {
            folder = elsewhere.filePath("corvane");
            QVERIFY(QFile::link(kind == "link" ? real.path() : elsewhere.filePath("gone"), folder));
        }
        SocketSession session;
        session.setServerPath(folder + "/echolink.sock");
        const QString error = errorOf([&] { session.SystemConfigCallsign(); });
        QVERIFY2(error.startsWith("EchoLink's automation socket is not private ("), qPrintable(error));
        QVERIFY2(error.contains(reason), qPrintable(error));
        QVERIFY(!session.isAttached());
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
