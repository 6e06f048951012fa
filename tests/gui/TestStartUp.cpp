#include "app/IniFile.h"
#include "chat/ChatLog.h"
#include "util/FormFixture.h"

#include <QCheckBox>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QSlider>
#include <QTest>

class TestStartUp : public QObject
{
    Q_OBJECT
private:
    static QStringList logTitles(TmainForm& form)
    {
        QStringList titles;
        for (const ChatLogRecord& r : form.journal().chatLog().records())
            titles << r.title;
        return titles;
    }

private slots:
    void echoLinkAlreadyRunningAttachesAtTheFirstCheck()
    {
        FormFixture f;
        f.form->startUp().FormCreate();
        QVERIFY(f.platform.started.isEmpty());
        QCOMPARE(f.clock.sleeps(), (std::vector<int> { 7000 })); // the wait happens even so
        QCOMPARE(f.form->windowTitle(), QStringLiteral("Corvane - Q9ZZZ Version 1.4.7.3"));
        QCOMPARE(f.form->roster().myCallsign(), QStringLiteral("Q9ZZZ"));
        QVERIFY(f.form->keyPreview());
        QVERIFY(!f.form->transmit().txTimer().isActive());
        QVERIFY(f.widget<QProgressBar>(QStringLiteral("TxTimeFill"))->isHidden());
        QCOMPARE(f.widget<QSlider>(QStringLiteral("TrackBarVolume"))->value(), -70);
        QCOMPARE(f.form->announcer().volumeLevel(), -70);
        QVERIFY(f.form->startUp().startUpTimer().isActive());
        QCOMPARE(f.form->startUp().startUpTimer().interval(), 4000);
        QCOMPARE(logTitles(*f.form), QStringList { "Log Started" });
        QVERIFY(QFile::exists(f.documentsFile(QStringLiteral("ChatLog.txt"))));
        // A running EchoLink that does not answer is replaced by the session with this one.
        QVERIFY(f.session.echoLinkExePath.endsWith(QStringLiteral("/EchoLink/EchoLink.exe")));
    }

    void noQsoDisconnectsAllAndShowsTheIdleColour()
    {
        FormFixture f;
        f.form->startUp().FormCreate();
        QVERIFY(f.session.calls.contains(QStringLiteral("DisconnectAll()")));
        QCOMPARE(f.form->windowColor(), WindowColors::Idle);
        QVERIFY(f.widget<QPushButton>(QStringLiteral("btnLastConnect"))->isEnabled());
        QVERIFY(f.widget<QPushButton>(QStringLiteral("btnDisconnect"))->isEnabled());
        QVERIFY(!f.widget<QPushButton>(QStringLiteral("btnDisconnectLast"))->isEnabled());
        QVERIFY(!f.form->roster().isConnected());
        QCOMPARE(f.form->roster().connectionCount(), 0);
    }

    void runningQsoIsDetectedAndAnnouncedAtTheCreationVolume()
    {
        FormFixture f;
        f.session.receiving = true;
        f.form->startUp().FormCreate();
        QCOMPARE(f.form->windowColor(), WindowColors::Qso);
        QVERIFY(f.form->roster().isConnected());
        QCOMPARE(f.form->roster().connectionCount(), 1);
        QVERIFY(f.form->roster().stationCall(1).isEmpty());
        QVERIFY(!f.widget<QPushButton>(QStringLiteral("btnLastConnect"))->isEnabled());
        QVERIFY(!f.widget<QPushButton>(QStringLiteral("btnDisconnectLast"))->isEnabled());
        QVERIFY(f.session.callsOf(QStringLiteral("DisconnectAll")).isEmpty());
        const QList<FakeVoice::Request> expected {
            { QStringLiteral("<volume level=\"70\">Q S O detected.</volume>"), 65 },
            { QStringLiteral("<volume level=\"70\">Please remember to Let Corvane, Start Up Echo Link.</volume>"), 65 },
        };
        QCOMPARE(f.voice.spoken, expected);
        QCOMPARE(f.lastChatLine(), QStringLiteral(">Current QSO detected Station ID will update on next connection"));
    }

    void echoLinkStartedByUsIsFoundOnALaterCheck()
    {
        FormFixture f;
        f.platform.processAnswers = { false, false, false, true };
        f.form->startUp().FormCreate();
        QCOMPARE(f.platform.started, QStringList { QStringLiteral("/opt/programfiles/Halvorn/EchoLink/EchoLink.exe") });
        QCOMPARE(f.clock.sleeps(), (std::vector<int> { 7000, 5000, 5000 }));
        QCOMPARE(f.form->startUp().startRetryCount(), 2);
        QVERIFY(f.form->windowTitle().endsWith(QStringLiteral("Version 1.4.7.3")));
    }

    void echoLinkThatNeverComesIsGivenUpAfterTwentyTwoSeconds()
    {
        FormFixture f;
        f.platform.processAnswers = { false };
        f.form->startUp().FormCreate();
        QCOMPARE(f.clock.totalSlept(), 22000);
        QCOMPARE(f.platform.processChecks, 4); // one before the launch, three while waiting
        QCOMPARE(logTitles(*f.form),
                 (QStringList { "Log Started", "Unable to start up EchoLink in 15 seconds - Log Closed" }));
        QCOMPARE(f.form->journal().chatLog().records().back().description, QStringLiteral("EchoLink Already Running?"));
        QCOMPARE(f.voice.texts(),
                 QStringList { QStringLiteral("Unable to start Echo Link. Please close Corvane Using Task Manager.") });
        QCOMPARE(f.form->windowTitle(), QStringLiteral("Corvane"));
        QCOMPARE(f.form->windowColor(), WindowColors::Waiting);
        QVERIFY(!f.form->keyPreview());
        QVERIFY(!f.form->startUp().startUpTimer().isActive());
        QVERIFY(f.form->transmit().txTimer().isActive());
        QVERIFY(f.session.calls.isEmpty());
        f.clock.advance(60000);
        QVERIFY(!f.form->lifecycle().settingsLoaded());
        QVERIFY(!f.form->lifecycle().echoLinkAttached());
    }

    void failingAttachIsReportedAndEndsTheStartUp()
    {
        FormFixture f;
        f.session.failNext[QStringLiteral("SystemConfig.Callsign")] = QStringLiteral("EchoLink is not answering");
        f.form->guarded([&] { f.form->startUp().FormCreate(); });
        QCOMPARE(f.lastChatLine(), QStringLiteral(">Application Exception EchoLink is not answering"));
        QCOMPARE(f.voice.spoken.constLast(),
                 (FakeVoice::Request { QStringLiteral("EchoLink is not answeringApplication Exception "), 1 }));
        QVERIFY(!f.form->startUp().startUpTimer().isActive());
        QCOMPARE(f.form->windowTitle(), QStringLiteral("Corvane"));
        f.clock.advance(10000);
        QVERIFY(!f.form->lifecycle().settingsLoaded());
    }

    void emptyCallsignLeavesTwoBlanksInTheCaption()
    {
        FormFixture f;
        f.session.callsign.clear();
        f.form->startUp().FormCreate();
        QCOMPARE(f.form->windowTitle(), QStringLiteral("Corvane -  Version 1.4.7.3"));
    }

    void startUpTimerCompletesTheStartFourSecondsLater()
    {
        FormFixture f;
        f.form->startUp().FormCreate();
        f.clock.advance(3999);
        QVERIFY(!f.form->lifecycle().settingsLoaded());
        f.clock.advance(1);
        QVERIFY(f.form->lifecycle().settingsLoaded());
        QVERIFY(f.form->lifecycle().echoLinkAttached());
        QVERIFY(!f.form->startUp().startUpTimer().isActive());
        QCOMPARE(f.session.callsOf(QStringLiteral("RefreshStationList")), QStringList { "RefreshStationList(true)" });
        QVERIFY(f.widget<QTextBrowser>(QStringLiteral("redtChat"))
                    ->toPlainText()
                    .contains(QStringLiteral("Corvane.ini File Location: ")
                              + f.documentsFile(QStringLiteral("Corvane.ini"))));
    }

    void failingStationListRequestLeavesTheStartIncomplete()
    {
        FormFixture f;
        f.form->startUp().FormCreate();
        f.session.failNext[QStringLiteral("RefreshStationList")] = QStringLiteral("busy");
        f.clock.advance(4000);
        QCOMPARE(f.lastChatLine(), QStringLiteral(">Application Exception busy"));
        QVERIFY(!f.form->lifecycle().settingsLoaded());
        QVERIFY(!f.form->lifecycle().echoLinkAttached());
    }
};

QTEST_MAIN(TestStartUp)
#include "TestStartUp.moc"
