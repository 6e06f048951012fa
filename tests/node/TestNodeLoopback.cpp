// Two EchoLink nodes (127.0.0.1 and 127.0.0.2, the same ports) and the fake directory (127.0.0.3:5200),
// each node driven through the socket session Corvane uses. Loopback only.
#include "NodeHarness.h"
#include "WavFile.h"
#include "account/AccountPassword.h"

#include <QLocalSocket>
#include <QStandardPaths>
#include <QRegularExpression>

using namespace NodeHarness;

namespace {

const Station ann { "Q1AAA", "annpass", "Ann", "127.0.0.1", "Alarms=Q2BBB" };
const Station bob { "Q2BBB", "bobpass", "Bob", "127.0.0.2", "" };

} // namespace

class TestNodeLoopback : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void connectsByCallsignBothSeeTheQso();
    void chatGoesBothWays();
    void stationInformationArrivesOnConnect();
    void unknownStationIsNotFound();
    void remoteHangUpEndsTheQso();
    void watchedStationGoesOnBusyAndOff();
    void toneFromTheMicrophoneFileArrives();
    void wrongPasswordIsSaid();
    void directoryDownIsSaid();
    void shutdownClosesAndEnds();
    void configurationOthersCanReadIsRefused();
    void cancelledCallsLeaveTheNodeAnswering();
    void stationListIsTheDirectorys();
    void everyOperationOfTheTableIsAnswered();
    void passwordComesFromTheSecretStore();

private:
    void startBoth(const QStringList& directoryArguments = {});
    void connectAnnToBob();

    std::unique_ptr<QTemporaryDir> dir_;
    std::unique_ptr<Directory> directory_;
    std::unique_ptr<NodeProcess> a_;
    std::unique_ptr<NodeProcess> b_;
    QString tone_;
};

void TestNodeLoopback::init()
{
    dir_ = scratchFolder();
    tone_ = writeTestTone(dir_->filePath(QStringLiteral("tone.wav")));
    QVERIFY(QFileInfo(tone_).size() > 0);
    a_ = std::make_unique<NodeProcess>(dir_->filePath(QStringLiteral("a")), ann);
    b_ = std::make_unique<NodeProcess>(dir_->filePath(QStringLiteral("b")), bob);
    a_->writeConfig(tone_);
    b_->writeConfig(tone_);
}

void TestNodeLoopback::cleanup()
{
    a_->stop();
    b_->stop();
    if (QTest::currentTestFailed()) {
        qWarning("node A:\n%s", a_->log().constData());
        qWarning("node B:\n%s", b_->log().constData());
    }
    a_.reset();
    b_.reset();
    directory_.reset();
    dir_.reset();
}

void TestNodeLoopback::startBoth(const QStringList& directoryArguments)
{
    directory_ = std::make_unique<Directory>(directoryArguments);
    a_->start();
    b_->start();
    a_->awaitLogin();
    b_->awaitLogin();
}

void TestNodeLoopback::connectAnnToBob()
{
    QSignalSpy bobSees(b_->session.get(), &EchoLinkSession::OnConnected);
    a_->session->Connect1(QStringLiteral("Q2BBB"), true);
    QTRY_COMPARE_WITH_TIMEOUT(bobSees.count(), 1, 5000);
}

void TestNodeLoopback::connectsByCallsignBothSeeTheQso()
{
    startBoth();
    QSignalSpy annSees(a_->session.get(), &EchoLinkSession::OnConnected);
    QSignalSpy bobSees(b_->session.get(), &EchoLinkSession::OnConnected);
    a_->session->Connect1(QStringLiteral("q2bbb"), true);
    // With wait, the answer follows the connection.
    QTRY_COMPARE_WITH_TIMEOUT(annSees.count(), 1, 1000);
    QCOMPARE(annSees.at(0), (QVariantList { "Q2BBB", "Bob", "127.0.0.2" }));
    QTRY_COMPARE_WITH_TIMEOUT(bobSees.count(), 1, 5000);
    QCOMPARE(bobSees.at(0), (QVariantList { "Q1AAA", "Ann", "127.0.0.1" }));
    QCOMPARE(errorOf([this] { a_->session->Connect1(QStringLiteral("Q2BBB"), true); }),
             QStringLiteral("Already connected to Q2BBB"));
}

void TestNodeLoopback::chatGoesBothWays()
{
    startBoth();
    connectAnnToBob();
    QSignalSpy annHears(a_->session.get(), &EchoLinkSession::OnChatTextReceived);
    QSignalSpy bobHears(b_->session.get(), &EchoLinkSession::OnChatTextReceived);
    // Beyond ASCII, through Windows-1252 on the wire.
    a_->session->SendChatText(QStringLiteral("Grüße – 73"));
    QTRY_COMPARE_WITH_TIMEOUT(bobHears.count(), 1, 3000);
    QCOMPARE(bobHears.at(0).at(0).toString(), QStringLiteral("Q1AAA>Grüße – 73"));
    b_->session->SendChatText(QStringLiteral("hello Ann"));
    QTRY_COMPARE_WITH_TIMEOUT(annHears.count(), 1, 3000);
    QCOMPARE(annHears.at(0).at(0).toString(), QStringLiteral("Q2BBB>hello Ann"));
}

void TestNodeLoopback::stationInformationArrivesOnConnect()
{
    startBoth();
    QSignalSpy annReads(a_->session.get(), &EchoLinkSession::OnStationTextReceived);
    QSignalSpy bobReads(b_->session.get(), &EchoLinkSession::OnStationTextReceived);
    connectAnnToBob();
    QTRY_VERIFY_WITH_TIMEOUT(!annReads.isEmpty(), 3000);
    QCOMPARE(annReads.last().at(0).toString(), QStringLiteral("Q2BBB test station\rLoopback only"));
    QTRY_VERIFY_WITH_TIMEOUT(!bobReads.isEmpty(), 3000);
    QCOMPARE(bobReads.last().at(0).toString(), QStringLiteral("Q1AAA test station\rLoopback only"));
}

void TestNodeLoopback::unknownStationIsNotFound()
{
    startBoth();
    QCOMPARE(errorOf([this] { a_->session->Connect1(QStringLiteral("Q9NONE"), true); }),
             QStringLiteral("Station Q9NONE not found"));
    QCOMPARE(errorOf([this] { a_->session->Connect1(QStringLiteral("  "), true); }),
             QStringLiteral("No station specified"));
}

void TestNodeLoopback::remoteHangUpEndsTheQso()
{
    startBoth();
    connectAnnToBob();
    QSignalSpy annLoses(a_->session.get(), &EchoLinkSession::OnDisconnected);
    QSignalSpy bobLoses(b_->session.get(), &EchoLinkSession::OnDisconnected);
    b_->session->Disconnect1(QStringLiteral("Q1AAA"));
    QTRY_COMPARE_WITH_TIMEOUT(bobLoses.count(), 1, 1000);
    QTRY_COMPARE_WITH_TIMEOUT(annLoses.count(), 1, 3000);
    QCOMPARE(annLoses.at(0).at(0).toString(), QStringLiteral("Q2BBB"));
    // The station can be called again.
    connectAnnToBob();
}

void TestNodeLoopback::watchedStationGoesOnBusyAndOff()
{
    directory_ = std::make_unique<Directory>();
    a_->start();
    a_->awaitLogin(); // the first list: Q2BBB is not there
    QSignalSpy alarms(a_->session.get(), &EchoLinkSession::OnAlarm);
    b_->start();
    b_->awaitLogin();
    a_->session->RefreshStationList(true);
    QTRY_COMPARE_WITH_TIMEOUT(alarms.count(), 1, 1000);
    QCOMPARE(alarms.at(0).at(0).toString(), QStringLiteral("Q2BBB"));

    // A station in a QSO shows as busy.
    QSignalSpy bobSees(b_->session.get(), &EchoLinkSession::OnConnected);
    QSignalSpy annSees(a_->session.get(), &EchoLinkSession::OnConnected);
    b_->session->Connect1(QStringLiteral("Q1AAA"), true);
    QTRY_COMPARE_WITH_TIMEOUT(annSees.count(), 1, 5000);
    QTest::qWait(300); // the busy login reaches the directory
    a_->session->RefreshStationList(true);
    b_->session->DisconnectAll();
    b_->stop();
    QTest::qWait(300);
    a_->session->RefreshStationList(true);

    const QString log = a_->session->AlarmLogText();
    static const QRegularExpression entries(
        QStringLiteral("^\\d\\d:\\d\\d Q2BBB on\\r\\n\\d\\d:\\d\\d Q2BBB busy\\r\\n\\d\\d:\\d\\d Q2BBB off\\r\\n$"));
    QVERIFY2(entries.match(log).hasMatch(), qPrintable(log));
    QTRY_COMPARE_WITH_TIMEOUT(alarms.count(), 3, 1000);
}

void TestNodeLoopback::toneFromTheMicrophoneFileArrives()
{
    startBoth();
    connectAnnToBob();
    QSignalSpy keyed(a_->session.get(), &EchoLinkSession::OnTX);
    a_->session->Transmit(true);
    QVERIFY(a_->session->Transmitting());
    QTRY_VERIFY_WITH_TIMEOUT(b_->session->Receiving(), 2000);
    QTest::qWait(2300);
    a_->session->Transmit(false);
    QTRY_COMPARE_WITH_TIMEOUT(keyed.count(), 2, 1000);
    QCOMPARE(keyed.at(0).at(0).toBool(), true);
    QTRY_VERIFY_WITH_TIMEOUT(!b_->session->Receiving(), 3000);
    b_->stop(); // the WAV file gets its final header

    QString error;
    const auto received = WavFile::read(b_->outputWav(), &error);
    QVERIFY2(received, qPrintable(error));
    // Two seconds sent; allow for the codec's frames at either end.
    QVERIFY2(received->size() >= 15000 && received->size() <= 17000, qPrintable(QString::number(received->size())));
    const double share = shareOfEnergy(*received, 700);
    qInfo("700 Hz share of the received energy: %.3f over %zu samples", share, received->size());
    QVERIFY2(share > 0.9, qPrintable(QString::number(share)));
}

void TestNodeLoopback::wrongPasswordIsSaid()
{
    directory_
        = std::make_unique<Directory>(QStringList { QStringLiteral("--account"), QStringLiteral("Q1AAA=other") });
    a_->start();
    QString error;
    QTRY_VERIFY_WITH_TIMEOUT(
        !(error = errorOf([this] { a_->session->RefreshStationList(true); })).contains(QLatin1String("yet")), 5000);
    QCOMPARE(error, QStringLiteral("The EchoLink directory refused the login of Q1AAA: incorrect password"));
    QVERIFY(!error.contains(ann.password));
    QVERIFY(errorOf([this] { a_->session->Connect1(QStringLiteral("Q2BBB"), true); }).contains("incorrect password"));
    QVERIFY(!a_->log().contains(ann.password.toUtf8()));
}

void TestNodeLoopback::directoryDownIsSaid()
{
    a_->start(); // no directory listens
    QString error;
    QTRY_VERIFY_WITH_TIMEOUT(
        !(error = errorOf([this] { a_->session->RefreshStationList(true); })).contains(QLatin1String("yet")), 5000);
    QCOMPARE(error, QStringLiteral("No EchoLink directory server could be reached (127.0.0.3)"));
    // Without a list there is none to show, and the reason is said instead.
    QCOMPARE(errorOf([this] { a_->session->StationList(); }), error);
    QCOMPARE(a_->session->SystemConfigCallsign(), QStringLiteral("Q1AAA"));
}

void TestNodeLoopback::shutdownClosesAndEnds()
{
    startBoth();
    connectAnnToBob();
    QSignalSpy closing(a_->session.get(), &EchoLinkSession::OnClosing);
    QSignalSpy bobLoses(b_->session.get(), &EchoLinkSession::OnDisconnected);
    QElapsedTimer timer;
    timer.start();
    a_->session->Shutdown();
    QVERIFY(timer.elapsed() < 3000);
    QTRY_COMPARE_WITH_TIMEOUT(closing.count(), 1, 1000);
    QTRY_COMPARE_WITH_TIMEOUT(bobLoses.count(), 1, 3000);
    a_->session->Quit();
    QVERIFY(a_->finishes(3000));
    // Offline in the directory: the other station no longer finds it.
    b_->session->RefreshStationList(true);
    QCOMPARE(errorOf([this] { b_->session->Connect1(QStringLiteral("Q1AAA"), true); }),
             QStringLiteral("Station Q1AAA not found"));
}

void TestNodeLoopback::configurationOthersCanReadIsRefused()
{
    a_->writeConfig(tone_, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadOther);
    a_->start();
    const QString error = errorOf([this] { a_->session->SystemConfigCallsign(); });
    QVERIFY2(error.contains(QLatin1String("may be read by other users")), qPrintable(error));
    QVERIFY(error.contains(QLatin1String("chmod 600")));
    QVERIFY(!error.contains(ann.password));
    // It still ends when asked.
    a_->session->Quit();
    QVERIFY(a_->finishes(3000));
}

void TestNodeLoopback::cancelledCallsLeaveTheNodeAnswering()
{
    // Q9GONE is listed ON but nobody answers at its address: the call waits until it is cancelled.
    startBoth({ QStringLiteral("--listed"), QStringLiteral("Q9GONE,127.0.0.9,ON") });
    a_->session->Connect1(QStringLiteral("Q9GONE"), false);
    a_->session->Disconnect1(QStringLiteral("Q9GONE"));
    QCOMPARE(a_->session->SystemConfigCallsign(), QStringLiteral("Q1AAA"));
    a_->session->Connect1(QStringLiteral("Q9GONE"), false);
    a_->session->DisconnectAll();
    QCOMPARE(a_->session->SystemConfigCallsign(), QStringLiteral("Q1AAA"));
    // The node still works a QSO.
    connectAnnToBob();
}

void TestNodeLoopback::stationListIsTheDirectorys()
{
    using StationDirectory::Kind;
    startBoth({ QStringLiteral("--listed"), QStringLiteral("*TESTCONF*,127.0.0.10,ON,Test conference"),
                QStringLiteral("--listed"), QStringLiteral("Q3CCC-L,127.0.0.11,BUSY,In Conference *TESTCONF*"),
                QStringLiteral("--listed"), QStringLiteral("Q4DDD-R,127.0.0.12,BUSY,Hilltop 147.00"),
                QStringLiteral("--listed"), QStringLiteral("Q5EEE,127.0.0.13,ON,Grüße <b>x</b>") });
    const QList<StationDirectory::Entry> entries = a_->session->StationList();
    QHash<QString, StationDirectory::Entry> byCall;
    for (const StationDirectory::Entry& entry : entries)
        byCall.insert(entry.callsign, entry);
    QCOMPARE(byCall.size(), 6);
    const auto check = [&byCall](const QString& call, const QString& description, const QString& status, Kind kind) {
        QVERIFY2(byCall.contains(call), qPrintable(call));
        const StationDirectory::Entry entry = byCall.value(call);
        QCOMPARE(entry.description, description);
        QCOMPARE(entry.status, status);
        QCOMPARE(entry.kind, kind);
        QVERIFY2(entry.node > 0, qPrintable(call));
    };
    check(QStringLiteral("Q2BBB"), QStringLiteral("Loopback"), QStringLiteral("on"), Kind::Station);
    check(QStringLiteral("*TESTCONF*"), QStringLiteral("Test conference"), QStringLiteral("on"), Kind::Conference);
    check(QStringLiteral("Q3CCC-L"), QStringLiteral("In Conference *TESTCONF*"),
          QStringLiteral("in conference *TESTCONF*"), Kind::Link);
    check(QStringLiteral("Q4DDD-R"), QStringLiteral("Hilltop 147.00"), QStringLiteral("busy"), Kind::Repeater);
    // Plain text as the directory sent it, decoded once; markup is no markup here.
    check(QStringLiteral("Q5EEE"), QStringLiteral("Grüße <b>x</b>"), QStringLiteral("on"), Kind::Station);
    // Node numbers are the directory's, distinct.
    QSet<int> numbers;
    for (const StationDirectory::Entry& entry : entries)
        numbers.insert(entry.node);
    QCOMPARE(numbers.size(), entries.size());
    // A station in a QSO shows as busy once the list is fetched again.
    connectAnnToBob();
    QTest::qWait(300);
    a_->session->RefreshStationList(true);
    for (const StationDirectory::Entry& entry : a_->session->StationList()) {
        if (entry.callsign == QLatin1String("Q2BBB"))
            QCOMPARE(entry.status, QStringLiteral("busy"));
    }
}

void TestNodeLoopback::everyOperationOfTheTableIsAnswered()
{
    startBoth();
    QLocalSocket socket;
    socket.connectToServer(a_->socketPath());
    QVERIFY(socket.waitForConnected(2000));
    // Quit and Shutdown end the node: they go last, Quit the very last.
    QList<EchoLinkWire::OperationRow> rows;
    for (const EchoLinkWire::OperationRow& row : EchoLinkWire::operations()) {
        if (row.operation != EchoLinkWire::Operation::Quit && row.operation != EchoLinkWire::Operation::Shutdown)
            rows.append(row);
    }
    rows.append(EchoLinkWire::rowOf(EchoLinkWire::Operation::Shutdown));
    rows.append(EchoLinkWire::rowOf(EchoLinkWire::Operation::Quit));
    qint64 id = 100;
    QByteArray pending;
    for (const EchoLinkWire::OperationRow& row : rows) {
        QJsonArray args;
        for (const EchoLinkWire::Type type : row.arguments)
            args.append(type == EchoLinkWire::Type::Flag ? QJsonValue(false) : QJsonValue(QStringLiteral("Q9NONE")));
        socket.write(EchoLinkWire::encode(EchoLinkWire::call(++id, row.operation, args)));
        QElapsedTimer waited;
        waited.start();
        std::optional<EchoLinkWire::Reply> reply;
        while (!reply && waited.elapsed() < 8000) {
            socket.waitForReadyRead(100);
            pending += socket.readAll();
            for (qsizetype end; !reply && (end = pending.indexOf('\n')) >= 0;) {
                const auto message = EchoLinkWire::decode(pending.left(end));
                pending.remove(0, end + 1);
                if (!message || EchoLinkWire::isEvent(*message))
                    continue;
                QString error;
                reply = EchoLinkWire::readReply(*message, row.operation, &error);
                QVERIFY2(reply, qPrintable(row.name + QStringLiteral(": ") + error));
            }
        }
        QVERIFY2(reply, qPrintable(row.name + QStringLiteral(" was not answered")));
        QCOMPARE(reply->id, id);
        QVERIFY2(!reply->error.startsWith(QLatin1String("Unknown operation")), qPrintable(reply->error));
        QVERIFY2(!reply->error.contains(QLatin1String("cannot do")), qPrintable(reply->error));
    }
    QVERIFY(a_->finishes(3000));
}

// The set-up kept the password in the desktop's secret store (GNOME Keyring on a session bus of the test's
// own) and took it out of the file: the node logs in with it, and the directory takes no other.
void TestNodeLoopback::passwordComesFromTheSecretStore()
{
    const QString keyring = QStandardPaths::findExecutable(QStringLiteral("gnome-keyring-daemon"));
    const QString dbus = QStandardPaths::findExecutable(QStringLiteral("dbus-daemon"));
    if (keyring.isEmpty() || dbus.isEmpty())
        QSKIP("gnome-keyring-daemon or dbus-daemon is not installed");
    const QString data = dir_->filePath(QStringLiteral("a/data"));
    QDir().mkpath(data);
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("XDG_DATA_HOME"), data);
    QProcess bus;
    bus.setProcessEnvironment(env);
    bus.start(dbus, { QStringLiteral("--session"), QStringLiteral("--nofork"), QStringLiteral("--print-address=1") });
    QVERIFY(bus.waitForReadyRead(5000));
    const QString address = QString::fromUtf8(bus.readLine().trimmed());
    env.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), address);
    QProcess daemon;
    daemon.setProcessEnvironment(env);
    daemon.start(keyring, { QStringLiteral("--foreground"), QStringLiteral("--unlock"),
                            QStringLiteral("--components=secrets") });
    daemon.write("test-keyring-password");
    daemon.closeWriteChannel();
    const auto stop = [&] {
        a_->stop();
        daemon.kill();
        daemon.waitForFinished(3000);
        bus.kill();
        bus.waitForFinished(3000);
        qunsetenv("DBUS_SESSION_BUS_ADDRESS");
    };
    qputenv("DBUS_SESSION_BUS_ADDRESS", address.toUtf8());
    qputenv("XDG_DATA_HOME", QFile::encodeName(data));
    AccountPassword::DesktopSecretStore store(5000);
    AccountPassword::Saved saved;
    for (int tries = 0; tries < 30 && saved.place != AccountPassword::Place::SecretStore; ++tries) {
        saved = AccountPassword::save(store, QStringLiteral("Q1AAA"), QStringLiteral("kept in the keyring"),
                                      a_->configPath());
        if (saved.place != AccountPassword::Place::SecretStore)
            QTest::qWait(100);
    }
    qunsetenv("XDG_DATA_HOME");
    if (saved.place != AccountPassword::Place::SecretStore) {
        stop();
        QSKIP(qPrintable(QStringLiteral("the keyring on a private bus did not take the password: ") + saved.problem));
    }
    QFile config(a_->configPath());
    QVERIFY(config.open(QIODevice::ReadOnly));
    QVERIFY(!config.readAll().contains("Password="));
    config.close();

    directory_ = std::make_unique<Directory>(
        QStringList { QStringLiteral("--account"), QStringLiteral("Q1AAA=kept in the keyring") });
    a_->sessionBus = address;
    QElapsedTimer started;
    started.start();
    a_->start();
    QCOMPARE(a_->session->SystemConfigCallsign(), QStringLiteral("Q1AAA"));
    qInfo("node answering %lld ms after its start, password from the secret store", started.elapsed());
    a_->awaitLogin();
    QVERIFY(!a_->log().contains("kept in the keyring"));
    stop();
}

QTEST_GUILESS_MAIN(TestNodeLoopback)
#include "TestNodeLoopback.moc"
