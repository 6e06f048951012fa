// The window against the real stand-in through the real socket: what an operator sees and hears when
// stations arrive and chat. Time for the start-up waits is virtual; the stand-in runs for real.
#include "chat/ChatLog.h"
#include "echolink/SocketSession.h"
#include "util/FormFixture.h"

#include <QLineEdit>
#include <QProcess>
#include <QTest>

class TestStandInEndToEnd : public QObject
{
    Q_OBJECT
private:
    QProcess m_standIn;

    static QString standInPath() { return qEnvironmentVariable("CORVANE_STANDIN"); }

    static QString send(const QString& command)
    {
        QProcess p;
        p.start(standInPath(), { QStringLiteral("--send"), command });
        if (!p.waitForFinished(10000))
            return QStringLiteral("<timeout>");
        return QString::fromUtf8(p.readAllStandardOutput());
    }

    static bool hasRecord(TmainForm& form, const QString& title, const QString& description)
    {
        for (const ChatLogRecord& r : form.journal().chatLog().records()) {
            if (r.title == title && r.description == description)
                return true;
        }
        return false;
    }

private slots:
    void initTestCase()
    {
        QVERIFY2(!standInPath().isEmpty(), "CORVANE_STANDIN is not set");
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("ECHOLINK_STANDIN_CALLSIGN"), QStringLiteral("Q7XYZ"));
        m_standIn.setProcessEnvironment(env);
        m_standIn.start(standInPath(), {});
        QVERIFY(m_standIn.waitForStarted());
        QTRY_VERIFY_WITH_TIMEOUT(send(QStringLiteral("calls")) != QLatin1String("<timeout>")
                                     && QProcess::execute(standInPath(), { "--send", "calls" }) == 0,
                                 10000);
    }

    void cleanupTestCase()
    {
        m_standIn.kill();
        m_standIn.waitForFinished();
    }

    void stationsChatAndRepliesFlowThroughTheWindow()
    {
        SocketSession session;
        FakeVoice voice;
        FakePlatform platform;
        VirtualClock clock;
        QTemporaryDir home;
        platform.documents = home.path();
        FakePowerControl power;
        TmainForm form(MainFormServices { &session, &voice, &clock, &platform, &power, {} });
        form.startUp().FormCreate();
        QCOMPARE(form.windowTitle(), QStringLiteral("Corvane - Q7XYZ Version 1.4.7.3"));
        clock.advance(4000);
        QVERIFY(form.startUp().settingsLoaded());

        voice.spoken.clear();
        QVERIFY(!send(QStringLiteral("connect Q1AB \"Jo Smith\" 10.1.2.3")).isEmpty());
        QTRY_COMPARE_WITH_TIMEOUT(form.roster().connectionCount(), 1, 10000);
        QVERIFY(voice.spoken.contains(FakeVoice::Request { QStringLiteral("Quebec One Alpha Bravo "), 19 }));
        QVERIFY(hasRecord(form, QStringLiteral("Connect"), QStringLiteral("Jo Smith Q1AB")));

        send(QStringLiteral("chat Q1AB>hello, world"));
        QTRY_VERIFY_WITH_TIMEOUT(hasRecord(form, QStringLiteral("RxText"), QStringLiteral("Q1AB>hello, world")), 10000);
        QVERIFY(voice.spoken.contains(
            FakeVoice::Request { QStringLiteral("<volume level=\"80\">hello, world</volume>"), 65 }));

        form.findChild<QLineEdit*>(QStringLiteral("edtChat"))->setText(QStringLiteral("fine business"));
        QTest::keyClick(form.findChild<QLineEdit*>(QStringLiteral("edtChat")), Qt::Key_Return);
        QVERIFY(send(QStringLiteral("calls")).contains(QStringLiteral("SendChatText")));
        QVERIFY(send(QStringLiteral("calls")).contains(QStringLiteral("fine business")));
    }
};

QTEST_MAIN(TestStandInEndToEnd)
#include "TestStandInEndToEnd.moc"
