// Closing against the real stand-in: what EchoLink is asked, what is said and what the log keeps. Each
// case runs its own stand-in, since closing ends it.
#include "chat/ChatLog.h"
#include "echolink/SocketSession.h"
#include "speech/TranscriptVoice.h"
#include "util/FormFixture.h"
#include "util/StandIn.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QTest>

class TestCloseEndToEnd : public QObject
{
    Q_OBJECT
private:
    QProcess m_standIn;

    static QString readFile(const QString& path)
    {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
    }

    // A window attached to the stand-in, started up in virtual time, speaking into a transcript.
    struct Station
    {
        QTemporaryDir home;
        SocketSession session;
        TranscriptVoice voice { home.path() + QStringLiteral("/transcript.txt") };
        FakePlatform platform;
        FakePowerControl power;
        VirtualClock clock;
        TmainForm form { MainFormServices { &session, &voice, &clock, &platform, &power, {} } };

        Station()
        {
            platform.documents = home.path();
            form.startUp().FormCreate();
            form.show();
            clock.advance(4000);
        }
        QString transcript() const { return readFile(home.path() + QStringLiteral("/transcript.txt")); }
        QString chatLog() const { return readFile(home.path() + QStringLiteral("/EchoLink/ChatLog.txt")); }
    };

private slots:
    void init()
    {
        QVERIFY2(!StandIn::path().isEmpty(), "CORVANE_STANDIN is not set");
        // --verbose: the stand-in logs every call on stderr, readable even after closing ended it.
        m_standIn.start(StandIn::path(), { QStringLiteral("--verbose") });
        QVERIFY(m_standIn.waitForStarted());
        QTRY_VERIFY_WITH_TIMEOUT(QProcess::execute(StandIn::path(), { "--send", "calls" }) == 0, 10000);
    }

    void cleanup()
    {
        m_standIn.kill();
        m_standIn.waitForFinished();
    }

    void closingTheWindowDisconnectsShutsDownSaysSoAndLogsIt()
    {
        Station s;
        QVERIFY(s.form.startUp().settingsLoaded());
        QVERIFY(s.form.close());
        // EchoLink closes itself, often already while the close sequence lets pending events run.
        const bool ended = m_standIn.state() == QProcess::NotRunning || m_standIn.waitForFinished(10000);
        const QString calls = QString::fromUtf8(m_standIn.readAllStandardError());
        QVERIFY2(ended, qPrintable(calls));
        const qsizetype disconnect = calls.indexOf(QStringLiteral("call DisconnectAll"));
        QVERIFY2(disconnect >= 0, qPrintable(calls));
        QVERIFY(calls.indexOf(QStringLiteral("call Shutdown"), disconnect) > disconnect);
        QVERIFY(s.transcript().contains(QStringLiteral("16\tCorvane  and Echo link Closing Please wait\n")));
        QVERIFY(s.chatLog().contains(QStringLiteral("Information>Log Closed>Corvane Closing")));
    }

    // EchoLink killed: no closing event, no answers. The first close ends the window all the same.
    void closingAfterEchoLinkDiedEndsCorvane()
    {
        Station s;
        QVERIFY(s.form.startUp().settingsLoaded());
        m_standIn.kill();
        QVERIFY(m_standIn.waitForFinished(10000));
        QElapsedTimer took;
        took.start();
        QVERIFY(s.form.close());
        qInfo("closing after EchoLink died took %lld ms", took.elapsed());
        QVERIFY(!s.form.isVisible());
        QVERIFY(s.chatLog().contains(QStringLiteral("Information>Log Closed>Corvane Closing")));
        QVERIFY(QFile::exists(s.home.path() + QStringLiteral("/EchoLink/Corvane.ini")));
        QVERIFY2(!s.transcript().contains(QStringLiteral("Application Exception")), qPrintable(s.transcript()));
    }

    void echoLinkClosingEndsCorvane()
    {
        Station s;
        QVERIFY(s.form.isVisible());
        StandIn::send(QStringLiteral("close"));
        QTRY_VERIFY_WITH_TIMEOUT(!s.form.isVisible(), 10000);
        QVERIFY(!s.form.startUp().echoLinkAttached());
    }
};

QTEST_MAIN(TestCloseEndToEnd)
#include "TestCloseEndToEnd.moc"
