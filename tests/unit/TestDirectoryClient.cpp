// The directory client against the fake directory on an ephemeral loopback port: logging in, status
// changes, the list on request and on its timer, retries with back-off, and every hostile directory
// (refusal, stalls, endless and huge lists, malformed records, bad addresses). Time runs on a VirtualClock.
#include "util/ResidentMemory.h"
#include "DirectoryClient.h"
#include "platform/Clock.h"

#include <QProcess>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>
#include <QtTest>

using Status = DirectoryProtocol::Status;

namespace {

// fake-echolink-directory on 127.0.0.1 and a free port.
class FakeDirectory
{
public:
    explicit FakeDirectory(QStringList arguments)
    {
        m_process.setProgram(QStringLiteral(CORVANE_FAKE_DIRECTORY_PROGRAM));
        m_process.setArguments(QStringList { "--address", "127.0.0.1", "--port", "0", "--verbose" } + arguments);
        m_process.start();
        QRegularExpression listening(QStringLiteral("listening on 127.0.0.1 port (\\d+)"));
        for (int i = 0; i < 100 && m_port == 0 && m_process.state() != QProcess::NotRunning; ++i) {
            m_process.waitForReadyRead(100);
            m_log += m_process.readAllStandardError();
            const auto match = listening.match(QString::fromLatin1(m_log));
            if (match.hasMatch())
                m_port = static_cast<quint16>(match.captured(1).toUInt());
        }
    }
    ~FakeDirectory()
    {
        m_process.kill();
        m_process.waitForFinished(2000);
    }

    quint16 port() const { return m_port; }
    // What it logged so far ("login Q1ABC ONLINE...", "list of 2 to 127.0.0.1", ...).
    QByteArray log()
    {
        m_log += m_process.readAllStandardError();
        return m_log;
    }

private:
    QProcess m_process;
    QByteArray m_log;
    quint16 m_port = 0;
};

DirectoryClient::Settings settings(quint16 port, const QString& password = QStringLiteral("secret"))
{
    DirectoryClient::Settings settings;
    settings.servers = QStringList { QStringLiteral("127.0.0.1") };
    settings.port = port;
    settings.login = { QStringLiteral("q1abc"), password, QStringLiteral("Elm Falls") };
    return settings;
}

const QStringList Accounts { "--account", "Q1ABC=secret", "--listed", "Q2BBB,127.0.0.2,ON" };

} // namespace

class TestDirectoryClient : public QObject
{
    Q_OBJECT
private slots:
    void loginListAndStatus()
    {
        FakeDirectory fake(Accounts);
        QVERIFY(fake.port());
        VirtualClock clock;
        DirectoryClient client(settings(fake.port()), clock);
        QSignalSpy status(&client, &DirectoryClient::statusChanged);
        QSignalSpy updated(&client, &DirectoryClient::stationListUpdated);

        client.setStatus(Status::Online);
        // The first login fetches the list by itself.
        QTRY_COMPARE(updated.size(), 1);
        QCOMPARE(status.size(), 1);
        QCOMPARE(client.status(), Status::Online);
        const StationEntry* self = client.stations().findCallsign("Q1ABC");
        QVERIFY(self);
        QCOMPARE(self->description, "Elm Falls");
        QCOMPARE(self->status, StationStatus::Online);
        QCOMPARE(self->address, QHostAddress("127.0.0.1"));
        QCOMPARE(client.stations().findCallsign("Q2BBB")->address, QHostAddress("127.0.0.2"));
        QCOMPARE(client.stations().findId(self->id), self);
        QCOMPARE(client.stations().serverMessage(), QStringList { "Welcome to the test directory" });

        // Busy during a QSO; the list on request shows it.
        client.setStatus(Status::Busy);
        QTRY_COMPARE(client.status(), Status::Busy);
        QVERIFY(client.refresh());
        QTRY_COMPARE(updated.size(), 2);
        QCOMPARE(client.stations().findCallsign("Q1ABC")->status, StationStatus::Busy);

        // The list timer, in virtual time.
        clock.advance(60 * 1000);
        QTRY_COMPARE(updated.size(), 3);

        // The registration is renewed every five minutes (counted from the login, a minute ago).
        const qsizetype logins = fake.log().count("login Q1ABC");
        clock.advance(DirectoryClient::RegistrationRefreshMs - 60 * 1000);
        QTRY_VERIFY(fake.log().count("login Q1ABC") > logins);

        client.setStatus(Status::Offline);
        QTRY_COMPARE(client.status(), Status::Offline);
        QTRY_VERIFY(fake.log().contains("login Q1ABC OFF-V"));
        QVERIFY(!client.refresh());
        QVERIFY(!fake.log().contains("secret"));
    }

    // Requests while one fetch runs join it; status changes wait their turn and end in the last one.
    void oneCommandAtATime()
    {
        FakeDirectory fake(Accounts);
        VirtualClock clock;
        auto config = settings(fake.port());
        config.listRefreshSeconds = 0;
        DirectoryClient client(config, clock);
        QSignalSpy updated(&client, &DirectoryClient::stationListUpdated);
        QVERIFY(client.refresh() == false);
        client.setStatus(Status::Online);
        client.setStatus(Status::Busy);
        QVERIFY(client.refresh());
        QVERIFY(client.refresh());
        QTRY_COMPARE(client.status(), Status::Busy);
        QTRY_COMPARE(updated.size(), 1);
        QTest::qWait(200);
        QCOMPARE(updated.size(), 1);
        QCOMPARE(fake.log().count("list of"), 1);
        QVERIFY(!client.isRefreshing());
    }

    // Servers are tried in turn: one that refuses connections passes the command to the next.
    void nextServer()
    {
        FakeDirectory fake(Accounts);
        VirtualClock clock;
        auto config = settings(fake.port());
        config.servers = QStringList { "127.0.0.2", "127.0.0.1" };
        DirectoryClient client(config, clock);
        client.setStatus(Status::Online);
        QTRY_COMPARE(client.status(), Status::Online);
    }

    // No directory at all: each failure is reported and the wait grows to five minutes.
    void backOff()
    {
        QTcpServer closed;
        QVERIFY(closed.listen(QHostAddress::LocalHost));
        const quint16 port = closed.serverPort();
        closed.close();
        VirtualClock clock;
        DirectoryClient client(settings(port), clock);
        QSignalSpy failed(&client, &DirectoryClient::loginFailed);
        client.setStatus(Status::Online);
        QList<int> waits;
        for (int attempt = 1; attempt <= 8; ++attempt) {
            QTRY_COMPARE(failed.size(), attempt);
            QVERIFY(failed.last().at(0).toString().startsWith("No EchoLink directory server could be reached"));
            // The wait before the attempt just scheduled.
            const int wait = attempt == 1 ? DirectoryClient::FirstRetryMs : waits.last() * 2;
            waits.append(qMin(wait, DirectoryClient::LongestRetryMs));
            clock.advance(waits.last() - 1);
            QTest::qWait(20);
            QCOMPARE(failed.size(), attempt); // not before its time
            clock.advance(1);
        }
        QCOMPARE(waits, (QList<int> { 5000, 10000, 20000, 40000, 80000, 160000, 300000, 300000 }));
        QCOMPARE(client.status(), Status::Offline);
    }

    // A refused login is said once and asked again only every five minutes.
    void wrongPassword()
    {
        FakeDirectory fake(Accounts);
        VirtualClock clock;
        DirectoryClient client(settings(fake.port(), QStringLiteral("wrong")), clock);
        QSignalSpy refused(&client, &DirectoryClient::loginRefused);
        QSignalSpy listFailed(&client, &DirectoryClient::listFailed);
        client.setStatus(Status::Online);
        QVERIFY(client.refresh());
        QTRY_COMPARE(refused.size(), 1);
        // The fetch that waited for the login is not left hanging.
        QCOMPARE(listFailed.size(), 1);
        QVERIFY(!client.isRefreshing());
        // Asking again changes nothing until the next attempt.
        client.setStatus(Status::Online);
        QCOMPARE(refused.first().at(0).toString(),
                 "The EchoLink directory refused the login of Q1ABC: incorrect password");
        QVERIFY(client.isLoginRefused());
        QCOMPARE(client.status(), Status::Offline);
        QCOMPARE(client.retryDelayMs(), DirectoryClient::LongestRetryMs);
        clock.advance(DirectoryClient::LongestRetryMs);
        QTRY_COMPARE(fake.log().count("refused Q1ABC"), 2);
        QTest::qWait(100);
        QCOMPARE(refused.size(), 1);
        QCOMPARE(fake.log().count("list of"), 0);
    }

    // Any other answer is a refusal too, said in the directory's words but never with the password.
    void otherRefusal()
    {
        QTcpServer server;
        QVERIFY(server.listen(QHostAddress::LocalHost));
        connect(&server, &QTcpServer::newConnection, this, [&server] {
            QTcpSocket* socket = server.nextPendingConnection();
            connect(socket, &QTcpSocket::readyRead, socket, [socket] {
                socket->write("Not validated: secret\r");
                socket->disconnectFromHost();
            });
        });
        VirtualClock clock;
        DirectoryClient client(settings(server.serverPort()), clock);
        QSignalSpy refused(&client, &DirectoryClient::loginRefused);
        client.setStatus(Status::Online);
        QTRY_COMPARE(refused.size(), 1);
        QCOMPARE(refused.first().at(0).toString(),
                 QStringLiteral("The EchoLink directory refused the login of Q1ABC: Not validated: …"));
        QCOMPARE(client.status(), Status::Offline);
    }

    void hostileModeRefusesEveryLogin()
    {
        FakeDirectory fake({ "--hostile", "wrong-password" });
        VirtualClock clock;
        DirectoryClient client(settings(fake.port()), clock);
        QSignalSpy refused(&client, &DirectoryClient::loginRefused);
        client.setStatus(Status::Online);
        QTRY_COMPARE(refused.size(), 1);
    }

    // A login nobody answers is cut off after the reply time and tried again.
    void stalledLogin()
    {
        FakeDirectory fake({ "--hostile", "stall-login" });
        VirtualClock clock;
        auto config = settings(fake.port());
        DirectoryClient client(config, clock);
        QSignalSpy failed(&client, &DirectoryClient::loginFailed);
        client.setStatus(Status::Online);
        QTRY_VERIFY(fake.log().contains("left unanswered"));
        clock.advance(config.stallTimeoutMs);
        QTRY_COMPARE(failed.size(), 1);
        QCOMPARE(failed.first().at(0).toString(), "The EchoLink directory stopped answering for 20 seconds");
        QCOMPARE(client.retryDelayMs(), 2 * DirectoryClient::FirstRetryMs);
        clock.advance(DirectoryClient::FirstRetryMs);
        QTRY_COMPARE(fake.log().count("left unanswered"), 2);
    }

    // Lists that must fail: the client reports why, keeps its login, and can ask again.
    void hostileLists_data()
    {
        QTest::addColumn<QString>("mode");
        QTest::addColumn<QString>("error");
        QTest::newRow("endless") << "endless"
                                 << "The station list is larger than 4194304 bytes";
        QTest::newRow("huge") << "huge"
                              << "The station list has too many entries (1000000, at most 30000)";
        QTest::newRow("stall") << "stall"
                               << "The EchoLink directory stopped answering for 20 seconds";
    }
    void hostileLists()
    {
        QFETCH(QString, mode);
        QFETCH(QString, error);
        FakeDirectory fake({ "--hostile", mode });
        VirtualClock clock;
        auto config = settings(fake.port());
        DirectoryClient client(config, clock);
        QSignalSpy failed(&client, &DirectoryClient::listFailed);
        qsizetype mostBytes = 0;
        const qint64 residentBefore = residentKiB();
        client.setStatus(Status::Online);
        QTRY_COMPARE(client.status(), Status::Online);
        if (mode == "stall") {
            QTRY_VERIFY(client.replyBytes() > 0);
            clock.advance(config.stallTimeoutMs);
        }
        for (int i = 0; i < 400 && failed.isEmpty(); ++i) {
            mostBytes = qMax(mostBytes, client.replyBytes());
            QTest::qWait(10);
        }
        QCOMPARE(failed.size(), 1);
        QCOMPARE(failed.first().at(0).toString(), error);
        QVERIFY(mostBytes <= config.limits.maxTotalBytes);
        // Nothing of the reply is kept: the process grows by far less than the bytes it read.
        QVERIFY2(residentKiB() - residentBefore < 16 * 1024,
                 qPrintable(QString::number(residentKiB() - residentBefore)));
        QCOMPARE(client.replyBytes(), 0);
        QCOMPARE(client.status(), Status::Online);
        QVERIFY(client.stations().isEmpty());
        QVERIFY(!client.isRefreshing());
        // The next request gets its own answer.
        QVERIFY(client.refresh());
        if (mode == "stall") {
            QTRY_VERIFY(client.replyBytes() > 0);
            clock.advance(config.stallTimeoutMs);
        }
        QTRY_COMPARE(failed.size(), 2);
    }

    // A list whose reply never finishes in time is cut off even while bytes keep coming.
    void slowEndlessList()
    {
        FakeDirectory fake({ "--hostile", "endless" });
        VirtualClock clock;
        auto config = settings(fake.port());
        config.limits.maxTotalBytes = 1024 * 1024 * 1024;
        DirectoryClient client(config, clock);
        QSignalSpy failed(&client, &DirectoryClient::listFailed);
        client.setStatus(Status::Online);
        QTRY_VERIFY(client.replyBytes() > 0);
        // Bytes keep coming, so the silence limit never strikes; the limit on the whole reply does.
        for (int waited = 0; waited < config.replyTimeoutMs && failed.isEmpty(); waited += 5000) {
            QTest::qWait(10);
            clock.advance(5000);
        }
        QTRY_COMPARE(failed.size(), 1);
        QCOMPARE(failed.first().at(0).toString(), "The EchoLink directory took longer than 60 seconds to answer");
    }

    // Lists with bad records: those records are left out, the rest is used.
    void hostileRecords_data()
    {
        QTest::addColumn<QString>("mode");
        QTest::addColumn<QStringList>("listed");
        QTest::addColumn<int>("skipped");
        QTest::newRow("malformed") << "malformed" << QStringList { "Q9NOSTATUS" } << 5;
        QTest::newRow("bad addresses") << "bad-addresses" << QStringList() << 6;
        QTest::newRow("long descriptions") << "long-descriptions" << QStringList { "Q9LONG" } << 1;
    }
    void hostileRecords()
    {
        QFETCH(QString, mode);
        QFETCH(QStringList, listed);
        QFETCH(int, skipped);
        FakeDirectory fake(Accounts + QStringList { "--hostile", mode });
        VirtualClock clock;
        DirectoryClient client(settings(fake.port()), clock);
        QSignalSpy updated(&client, &DirectoryClient::stationListUpdated);
        client.setStatus(Status::Online);
        QTRY_COMPARE(updated.size(), 1);
        QStringList extra;
        for (const StationEntry& entry : client.stations().entries()) {
            QVERIFY(StationAddress::isCallable(entry.address));
            QVERIFY(entry.id > 0);
            QVERIFY(entry.description.size() <= 64);
            QVERIFY(DirectoryProtocol::isValidCallsign(entry.callsign));
            for (const QChar c : entry.description)
                QVERIFY(c.unicode() >= 0x20);
            if (entry.callsign.startsWith("Q9"))
                extra.append(entry.callsign);
        }
        QCOMPARE(extra, listed);
        QCOMPARE(client.skippedEntries(), skipped);
        QVERIFY(client.stations().findCallsign("Q1ABC"));
        QVERIFY(client.stations().findCallsign("Q2BBB"));
    }
};

QTEST_GUILESS_MAIN(TestDirectoryClient)
#include "TestDirectoryClient.moc"
