// Commands and memory buttons against the real stand-in through the real socket: what reaches EchoLink,
// what is heard and what lands in the settings file. Time for the start-up waits is virtual.
#include "echolink/SocketSession.h"
#include "util/FormFixture.h"
#include "util/StandIn.h"

#include <QFile>
#include <QLineEdit>
#include <QProcess>
#include <QTest>

class TestCommandsEndToEnd : public QObject
{
    Q_OBJECT
private:
    QProcess m_standIn;

    // A window on the stand-in, started up, with its documents in a fresh folder.
    struct Station
    {
        SocketSession session;
        FakeVoice voice;
        FakePlatform platform;
        VirtualClock clock;
        QTemporaryDir home;
        FakePowerControl power;
        std::unique_ptr<TmainForm> form;

        Station()
        {
            platform.documents = home.path();
            form = std::make_unique<TmainForm>(MainFormServices { &session, &voice, &clock, &platform, &power, {} });
            form->startUp().FormCreate();
            clock.advance(4000);
        }
        void type(const QString& text)
        {
            auto* line = form->findChild<QLineEdit*>(QStringLiteral("edtChat"));
            line->setText(text);
            QTest::keyClick(line, Qt::Key_Return);
        }
        QByteArray settingsFile() const
        {
            QFile file(platform.documents + QStringLiteral("/EchoLink/Corvane.ini"));
            return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
        }
    };

private slots:
    void initTestCase()
    {
        QVERIFY2(!StandIn::path().isEmpty(), "CORVANE_STANDIN is not set");
        m_standIn.start(StandIn::path(), {});
        QVERIFY(m_standIn.waitForStarted());
        QTRY_VERIFY_WITH_TIMEOUT(QProcess::execute(StandIn::path(), { "--send", "calls" }) == 0, 10000);
    }

    void cleanupTestCase()
    {
        m_standIn.kill();
        m_standIn.waitForFinished();
    }

    void aTypedStoreWithNoQsoProgramsTheButtonAndConfirmsIt()
    {
        Station s;
        QVERIFY(s.form->lifecycle().settingsLoaded());
        QVERIFY(!s.form->roster().isConnected());
        s.voice.spoken.clear();
        s.type(QStringLiteral("/B12 q3ef"));
        QCOMPARE(s.form->memories().caption(12), QStringLiteral(" Q3EF"));
        QCOMPARE(s.voice.texts().constLast(), QStringLiteral(" Added to button 12"));
        QVERIFY(!StandIn::send(QStringLiteral("calls")).contains(QStringLiteral("q3ef"), Qt::CaseInsensitive));
    }

    void aTypedSaveWritesTheNewCaptionAndAwayMessage()
    {
        Station s;
        s.type(QStringLiteral("/AM Back at six"));
        s.type(QStringLiteral("/B12 q3ef"));
        s.type(QStringLiteral("/SS"));
        QCOMPARE(s.voice.texts().constLast(), QStringLiteral("Options saved"));
        const QByteArray file = s.settingsFile();
        QVERIFY(file.contains("Callsign12= Q3EF"));
        QVERIFY(file.contains("AbsentMsg= Back at six"));
    }

    void activatingAMemoryButtonAsksEchoLinkToConnectToItsCaption()
    {
        Station s;
        QCOMPARE(s.form->memories().caption(7), QStringLiteral("NO CALL"));
        s.voice.spoken.clear();
        s.form->findChild<QPushButton*>(QStringLiteral("bCall7"))->click();
        const QStringList calls = StandIn::send(QStringLiteral("calls")).split(u'\n');
        QVERIFY(!calls.filter(QStringLiteral("Connect1")).filter(QStringLiteral("NO CALL")).isEmpty());
        // The stand-in knows no such station; the refusal is reported as for any connect.
        QVERIFY(s.voice.texts().contains(QStringLiteral("Station NO CALL not found")));
    }

    void aRemoteStationReadsTheMemoryListBack()
    {
        Station s;
        s.form->memories().setCaption(3, QStringLiteral("Q1AB"));
        s.form->commands().setRemoteEnabled(true);
        QVERIFY(!StandIn::send(QStringLiteral("connect Q4RM Remo 10.1.2.4")).isEmpty());
        QTRY_COMPARE_WITH_TIMEOUT(s.form->roster().connectionCount(), 1, 10000);
        StandIn::send(QStringLiteral("chat Q4RM>.lb"));
        QTRY_VERIFY_WITH_TIMEOUT(StandIn::send(QStringLiteral("calls")).contains(QStringLiteral("Call Button List")), 10000);
        const QString calls = StandIn::send(QStringLiteral("calls"));
        QVERIFY(calls.contains(QStringLiteral("B03 = Q1AB")));
        QVERIFY(calls.contains(QStringLiteral("B40 = NO CALL")));
        StandIn::send(QStringLiteral("disconnect Q4RM"));
        QTRY_COMPARE_WITH_TIMEOUT(s.form->roster().connectionCount(), 0, 10000);
    }
};

QTEST_MAIN(TestCommandsEndToEnd)
#include "TestCommandsEndToEnd.moc"
