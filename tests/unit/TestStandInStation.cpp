#include "StandInStation.h"
#include "echolink/EchoLinkWire.h"

#include <QSignalSpy>
#include <QTest>

namespace {

constexpr int Session = 1;
constexpr int Control = 2;

// Drives the station as its clients would, holding delayed work until the test lets it run.
class Harness
{
public:
    Harness()
    {
        station.setScheduler([this](int, StandInStation::Task task) { pending.push_back(std::move(task)); });
        QObject::connect(&station, &StandInStation::send, [this](int client, const QByteArray& line) {
            sent[client].append(*EchoLinkWire::decode(line));
        });
    }

    void call(const QString& op, const QJsonArray& args = {}, qint64 id = 1)
    {
        station.handleLine(Session, EchoLinkWire::encode(EchoLinkWire::call(id, op, args)));
    }
    void control(const QString& command)
    {
        station.handleLine(Control, EchoLinkWire::encode(EchoLinkWire::control(9, command)));
    }
    void runPending()
    {
        while (!pending.empty()) {
            auto task = std::move(pending.front());
            pending.erase(pending.begin());
            task();
        }
    }
    // What a client received, in order: "reply", "failure: text" or the event's name.
    QStringList heard(int client) const
    {
        QStringList names;
        for (const QJsonObject& message : sent.value(client)) {
            if (message.contains("event"))
                names.append(message.value("event").toString());
            else if (message.value("ok").toBool())
                names.append("reply");
            else
                names.append("failure: " + message.value("error").toString());
        }
        return names;
    }
    QJsonObject last(int client) const { return sent.value(client).last(); }

    StandInStation station;
    std::vector<StandInStation::Task> pending;
    QHash<int, QList<QJsonObject>> sent;
};

} // namespace

class TestStandInStation : public QObject
{
    Q_OBJECT

private slots:
    void stationsAreFoundWhenPlausible_data()
    {
        QTest::addColumn<QString>("station");
        QTest::addColumn<QString>("outcome");
        QTest::newRow("callsign") << "Q1AB"
                                  << "Q1AB";
        QTest::newRow("lower case is upper-cased") << "q1ab"
                                                   << "Q1AB";
        QTest::newRow("repeater") << "Q2CD-R"
                                  << "Q2CD-R";
        QTest::newRow("link") << "Q2CD-L"
                              << "Q2CD-L";
        QTest::newRow("node number") << "123456"
                                     << "123456";
        QTest::newRow("conference") << "*LAKEVIEW*"
                                    << "*LAKEVIEW*";
        QTest::newRow("blanks around") << " Q1AB "
                                       << "Q1AB";
        QTest::newRow("two words") << "NO CALL"
                                   << "Station NO CALL not found";
        QTest::newRow("letters only") << "NOCALL"
                                      << "Station NOCALL not found";
        QTest::newRow("other suffix") << "Q1AB-X"
                                      << "Station Q1AB-X not found";
        QTest::newRow("node number too long") << "12345678"
                                              << "Station 12345678 not found";
        QTest::newRow("empty") << ""
                               << "No station specified";
        QTest::newRow("blanks") << "   "
                                << "No station specified";
    }
    void stationsAreFoundWhenPlausible()
    {
        QFETCH(QString, station);
        QFETCH(QString, outcome);
        Harness harness;
        harness.call("Connect1", { station, true });
        harness.runPending();
        const QJsonObject answer = harness.last(Session);
        if (answer.value("ok").toBool()) {
            QCOMPARE(harness.heard(Session), QStringList({ "OnConnected", "reply" }));
            QCOMPARE(harness.sent[Session].first().value("args").toArray().first().toString(), outcome);
        } else {
            QCOMPARE(answer.value("error").toString(), outcome);
        }
    }

    void connectWithWaitAnswersAfterTheConnection()
    {
        Harness harness;
        harness.call("Connect1", { "Q1AB", true });
        QVERIFY(harness.heard(Session).isEmpty());
        harness.runPending();
        QCOMPARE(harness.heard(Session), QStringList({ "OnConnected", "reply" }));
    }

    void connectWithoutWaitAnswersAtOnce()
    {
        Harness harness;
        harness.call("Connect1", { "Q1AB", false });
        QCOMPARE(harness.heard(Session), QStringList { "reply" });
        harness.runPending();
        QCOMPARE(harness.heard(Session), QStringList({ "reply", "OnConnected" }));
    }

    void secondConnectToTheSameStationIsRefused()
    {
        Harness harness;
        harness.call("Connect1", { "Q1AB", false });
        harness.call("Connect1", { "q1ab", false });
        QCOMPARE(harness.last(Session).value("error").toString(), "Already connected to Q1AB");
    }

    void disconnectAllReportsEveryStationBeforeItAnswers()
    {
        Harness harness;
        harness.call("RefreshStationList", { false }); // becomes a session
        harness.control("connect Q1AB Jo 1.2.3.4");
        harness.control("connect Q2CD Ann 1.2.3.5");
        harness.sent.clear();
        harness.call("DisconnectAll");
        QCOMPARE(harness.heard(Session), QStringList({ "OnDisconnected", "OnDisconnected", "reply" }));
        QVERIFY(harness.station.connectedStations().isEmpty());
    }

    void eventsReachSessionsButNotControlClients()
    {
        Harness harness;
        harness.control("chat before anyone listens");
        harness.call("Receiving");
        harness.control("chat hello");
        QCOMPARE(harness.heard(Session), QStringList({ "reply", "OnChatTextReceived" }));
        QCOMPARE(harness.heard(Control), QStringList({ "reply", "reply" }));
    }

    void callsAreRecordedWithTheirArguments()
    {
        Harness harness;
        harness.call("SystemConfig.Callsign");
        harness.call("Connect1", { "Q1AB", true });
        harness.call("SendChatText", { "Q1AB Sorry too many connections " });
        harness.call("Transmit", { "wrong" });
        harness.control("calls");
        QCOMPARE(harness.last(Control).value("value").toString(),
                 "SystemConfig.Callsign\nConnect1 Q1AB true\nSendChatText \"Q1AB Sorry too many connections \"");
    }

    void malformedLinesAreAnsweredWithAReason_data()
    {
        QTest::addColumn<QByteArray>("line");
        QTest::addColumn<QString>("reason");
        QTest::newRow("not JSON") << QByteArray("Connect1 Q1AB") << "Malformed message: not JSON";
        QTest::newRow("no id") << QByteArray("{\"op\":\"Reset\",\"args\":[]}") << "Malformed message: no id";
        QTest::newRow("neither") << QByteArray("{\"id\":3}") << "neither an operation nor a command";
        QTest::newRow("unknown operation")
            << QByteArray("{\"id\":3,\"op\":\"Dance\",\"args\":[]}") << "Unknown operation Dance";
        QTest::newRow("missing argument")
            << QByteArray("{\"id\":3,\"op\":\"Connect1\",\"args\":[\"Q1AB\"]}") << "Connect1 takes text, true/false";
        QTest::newRow("wrong type") << QByteArray("{\"id\":3,\"op\":\"Transmit\",\"args\":[\"yes\"]}")
                                    << "Transmit takes true/false";
        QTest::newRow("bad control") << QByteArray("{\"id\":3,\"control\":\"dance\"}") << "unknown command";
    }
    void malformedLinesAreAnsweredWithAReason()
    {
        QFETCH(QByteArray, line);
        QFETCH(QString, reason);
        Harness harness;
        harness.station.handleLine(Session, line);
        const QJsonObject answer = harness.last(Session);
        QCOMPARE(answer.value("ok").toBool(), false);
        QVERIFY2(answer.value("error").toString().contains(reason), qPrintable(answer.value("error").toString()));
    }

    void shutdownAnnouncesClosingAndEndsAfterAGrace()
    {
        Harness harness;
        QSignalSpy finish(&harness.station, &StandInStation::finishRequested);
        harness.call("Shutdown");
        QCOMPARE(harness.heard(Session), QStringList({ "OnClosing", "reply" }));
        QCOMPARE(finish.size(), 1);
        QCOMPARE(finish.first().first().toInt(), StandInStation::ClosingGraceMs);
        harness.call("Quit");
        QCOMPARE(finish.last().first().toInt(), 0);
    }
};

QTEST_GUILESS_MAIN(TestStandInStation)
#include "TestStandInStation.moc"
