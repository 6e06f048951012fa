#include "chat/ChatLog.h"
#include "app/IniFile.h"
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
        for (const ChatLogRecord& r : form.chatLog().records())
            titles << r.title;
        return titles;
    }

private slots:
    void echoLinkAlreadyRunningAttachesAtTheFirstCheck()
    {
        FormFixture f;
        f.form->FormCreate();
        QVERIFY(f.platform.started.isEmpty());
        QCOMPARE(f.clock.sleeps(), (std::vector<int> { 7000 })); // the wait happens even so
        QCOMPARE(f.form->windowTitle(), QStringLiteral("Corvane - Q9ZZZ Version 1.4.7.3"));
        QCOMPARE(f.form->state.MyCallsign, QStringLiteral("Q9ZZZ"));
        QVERIFY(f.form->keyPreview());
        QVERIFY(!f.form->TxTimer->isActive());
        QVERIFY(f.form->TxTimeFill->isHidden());
        QCOMPARE(f.form->TrackBarVolume->value(), -70);
        QCOMPARE(f.form->state.VolumeLevel, -70);
        QVERIFY(f.form->StartUpTimer->isActive());
        QCOMPARE(f.form->StartUpTimer->interval(), 4000);
        QCOMPARE(logTitles(*f.form), QStringList { "Log Started" });
        QVERIFY(QFile::exists(f.documentsFile(QStringLiteral("ChatLog.txt"))));
    }

    void noQsoDisconnectsAllAndShowsTheIdleColour()
    {
        FormFixture f;
        f.form->FormCreate();
        QVERIFY(f.session.calls.contains(QStringLiteral("DisconnectAll()")));
        QCOMPARE(f.form->windowColor(), WindowColors::Idle);
        QVERIFY(f.form->btnLastConnect->isEnabled());
        QVERIFY(f.form->btnDisconnect->isEnabled());
        QVERIFY(!f.form->btnDisconnectLast->isEnabled());
        QVERIFY(!f.form->state.IsConnected);
        QCOMPARE(f.form->state.ConnectionCount, 0);
    }

    void runningQsoIsDetectedAndAnnouncedAtTheCreationVolume()
    {
        FormFixture f;
        f.session.receiving = true;
        f.form->FormCreate();
        QCOMPARE(f.form->windowColor(), WindowColors::Qso);
        QVERIFY(f.form->state.IsConnected);
        QCOMPARE(f.form->state.ConnectionCount, 1);
        QVERIFY(f.form->state.StationCalls[1].isEmpty());
        QVERIFY(!f.form->btnLastConnect->isEnabled());
        QVERIFY(!f.form->btnDisconnectLast->isEnabled());
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
        f.form->FormCreate();
        QCOMPARE(f.platform.started, QStringList { QStringLiteral("/opt/programfiles/Halvorn/EchoLink/EchoLink.exe") });
        QCOMPARE(f.clock.sleeps(), (std::vector<int> { 7000, 5000, 5000 }));
        QCOMPARE(f.form->state.StartRetryCount, 2);
        QVERIFY(f.form->windowTitle().endsWith(QStringLiteral("Version 1.4.7.3")));
    }

    void echoLinkThatNeverComesIsGivenUpAfterTwentyTwoSeconds()
    {
        FormFixture f;
        f.platform.processAnswers = { false };
        f.form->FormCreate();
        QCOMPARE(f.clock.totalSlept(), 22000);
        QCOMPARE(f.platform.processChecks, 4); // one before the launch, three while waiting
        QCOMPARE(logTitles(*f.form),
                 (QStringList { "Log Started", "Unable to start up EchoLink in 15 seconds - Log Closed" }));
        QCOMPARE(f.form->chatLog().records().back().description, QStringLiteral("EchoLink Already Running?"));
        QCOMPARE(f.voice.texts(),
                 QStringList { QStringLiteral("Unable to start Echo Link. Please close Corvane Using Task Manager.") });
        QCOMPARE(f.form->windowTitle(), QStringLiteral("Corvane"));
        QCOMPARE(f.form->windowColor(), WindowColors::Waiting);
        QVERIFY(!f.form->keyPreview());
        QVERIFY(!f.form->StartUpTimer->isActive());
        QVERIFY(f.form->TxTimer->isActive());
        QVERIFY(f.session.calls.isEmpty());
        f.clock.advance(60000);
        QVERIFY(!f.form->state.SettingsLoaded);
        QVERIFY(!f.form->state.EchoLinkAttached);
    }

    void failingAttachIsReportedAndEndsTheStartUp()
    {
        FormFixture f;
        f.session.failNext[QStringLiteral("SystemConfig.Callsign")] = QStringLiteral("EchoLink is not answering");
        f.form->guarded([&] { f.form->FormCreate(); });
        QCOMPARE(f.lastChatLine(), QStringLiteral(">Application Exception EchoLink is not answering"));
        QCOMPARE(f.voice.spoken.constLast(),
                 (FakeVoice::Request { QStringLiteral("EchoLink is not answeringApplication Exception "), 1 }));
        QVERIFY(!f.form->StartUpTimer->isActive());
        QCOMPARE(f.form->windowTitle(), QStringLiteral("Corvane"));
        f.clock.advance(10000);
        QVERIFY(!f.form->state.SettingsLoaded);
    }

    void emptyCallsignLeavesTwoBlanksInTheCaption()
    {
        FormFixture f;
        f.session.callsign.clear();
        f.form->FormCreate();
        QCOMPARE(f.form->windowTitle(), QStringLiteral("Corvane -  Version 1.4.7.3"));
    }

    void startUpTimerCompletesTheStartFourSecondsLater()
    {
        FormFixture f;
        f.form->FormCreate();
        f.clock.advance(3999);
        QVERIFY(!f.form->state.SettingsLoaded);
        f.clock.advance(1);
        QVERIFY(f.form->state.SettingsLoaded);
        QVERIFY(f.form->state.EchoLinkAttached);
        QVERIFY(!f.form->StartUpTimer->isActive());
        QCOMPARE(f.session.callsOf(QStringLiteral("RefreshStationList")), QStringList { "RefreshStationList(true)" });
        QVERIFY(f.form->redtChat->toPlainText().contains(QStringLiteral("Corvane.ini File Location: ")
                                                         + f.documentsFile(QStringLiteral("Corvane.ini"))));
    }

    void failingStationListRequestLeavesTheStartIncomplete()
    {
        FormFixture f;
        f.form->FormCreate();
        f.session.failNext[QStringLiteral("RefreshStationList")] = QStringLiteral("busy");
        f.clock.advance(4000);
        QCOMPARE(f.lastChatLine(), QStringLiteral(">Application Exception busy"));
        QVERIFY(!f.form->state.SettingsLoaded);
        QVERIFY(!f.form->state.EchoLinkAttached);
    }
};

QTEST_MAIN(TestStartUp)
#include "TestStartUp.moc"
