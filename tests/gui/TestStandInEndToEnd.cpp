// The window against the real stand-in through the real socket: what an operator sees and hears when
// stations arrive and chat. Time for the start-up waits is virtual; the stand-in runs for real.
#include "chat/ChatLog.h"
#include "directory/DirectoryWindow.h"
#include "echolink/SocketSession.h"
#include "speech/KeyMap.h"
#include "util/FormFixture.h"
#include "util/StandIn.h"

#include <QAccessible>
#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QTest>

class TestStandInEndToEnd : public QObject
{
    Q_OBJECT
private:
    QProcess m_standIn;

    static bool hasRecord(TmainForm& form, const QString& title, const QString& description)
    {
        for (const ChatLogRecord& r : form.journal().chatLog().records()) {
            if (r.title == title && r.description == description)
                return true;
        }
        return false;
    }

    // A started window on the stand-in whose first station list has arrived.
    struct Window
    {
        SocketSession session;
        FakeVoice voice;
        FakePlatform platform;
        VirtualClock clock;
        QTemporaryDir home;
        FakePowerControl power;
        std::unique_ptr<TmainForm> form;

        Window()
        {
            platform.documents = home.path();
            form = std::make_unique<TmainForm>(MainFormServices { &session, &voice, &clock, &platform, &power, {} });
            form->startUp().FormCreate();
            clock.advance(4000);
        }
        bool spoke(const QString& text, int flags) const
        {
            return voice.spoken.contains(FakeVoice::Request { text, flags });
        }
        QLineEdit* chatLine() const { return form->findChild<QLineEdit*>(QStringLiteral("edtChat")); }
        QString label(const char* name) const { return form->findChild<QLabel*>(QLatin1String(name))->text(); }
    };

private slots:
    void initTestCase()
    {
        QVERIFY2(!StandIn::path().isEmpty(), "CORVANE_STANDIN is not set");
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("ECHOLINK_STANDIN_CALLSIGN"), QStringLiteral("Q7XYZ"));
        m_standIn.setProcessEnvironment(env);
        m_standIn.start(StandIn::path(), {});
        QVERIFY(m_standIn.waitForStarted());
        QTRY_VERIFY_WITH_TIMEOUT(StandIn::send(QStringLiteral("calls")) != QLatin1String("<timeout>")
                                     && QProcess::execute(StandIn::path(), { "--send", "calls" }) == 0,
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
        QVERIFY(form.lifecycle().settingsLoaded());

        voice.spoken.clear();
        QVERIFY(!StandIn::send(QStringLiteral("connect Q1AB \"Jo Smith\" 10.1.2.3")).isEmpty());
        QTRY_COMPARE_WITH_TIMEOUT(form.roster().connectionCount(), 1, 10000);
        QVERIFY(voice.spoken.contains(FakeVoice::Request { QStringLiteral("Quebec One Alpha Bravo "), 19 }));
        QVERIFY(hasRecord(form, QStringLiteral("Connect"), QStringLiteral("Jo Smith Q1AB")));

        StandIn::send(QStringLiteral("chat Q1AB>hello, world"));
        QTRY_VERIFY_WITH_TIMEOUT(hasRecord(form, QStringLiteral("RxText"), QStringLiteral("Q1AB>hello, world")), 10000);
        QVERIFY(voice.spoken.contains(
            FakeVoice::Request { QStringLiteral("<volume level=\"80\">hello, world</volume>"), 65 }));

        form.findChild<QLineEdit*>(QStringLiteral("edtChat"))->setText(QStringLiteral("fine business"));
        QTest::keyClick(form.findChild<QLineEdit*>(QStringLiteral("edtChat")), Qt::Key_Return);
        QVERIFY(StandIn::send(QStringLiteral("calls")).contains(QStringLiteral("SendChatText")));
        QVERIFY(StandIn::send(QStringLiteral("calls")).contains(QStringLiteral("fine business")));
    }

    void alarmLogEntriesAreAnnouncedAtTheStationList()
    {
        StandIn::send(QStringLiteral("alarmlog-clear"));
        Window w;
        QTRY_VERIFY_WITH_TIMEOUT(w.form->stations().firstListReceived(), 10000);
        w.voice.spoken.clear();
        StandIn::send(QStringLiteral("alarmlog \"12:05 Q1AB on\\r\\n\""));
        StandIn::send(QStringLiteral("stationlist"));
        const Announcer& announcer = w.form->announcer();
        QTRY_VERIFY_WITH_TIMEOUT(w.spoke(announcer.volumeTagged(QStringLiteral("New Alarm Received")), 65), 10000);
        QVERIFY(w.spoke(announcer.volumeTagged(QStringLiteral("12:05")), 65));
        QVERIFY(w.spoke(announcer.volumeTagged(QStringLiteral("Quebec One Alpha Bravo  on")), 65));
        QCOMPARE(w.form->stations().lastAlarmText(), QStringLiteral("Quebec One Alpha Bravo  on"));
        StandIn::send(QStringLiteral("alarmlog-clear"));
    }

    void spaceKeysAndUnkeysTheTransmitter()
    {
        Window w;
        StandIn::send(QStringLiteral("connect Q2CD \"Ann Lee\" 10.1.2.4"));
        QTRY_COMPARE_WITH_TIMEOUT(w.form->roster().connectionCount(), 1, 10000);
        w.voice.spoken.clear();

        QTest::keyClick(w.chatLine(), Qt::Key_Space);
        QVERIFY(StandIn::send(QStringLiteral("calls")).trimmed().endsWith(QStringLiteral("Receiving\nTransmit true")));
        QCOMPARE(w.voice.texts(), QStringList { QStringLiteral("T") });
        QCOMPARE(w.form->windowColor(), WindowColors::Transmit);

        w.clock.advance(300);
        QTest::keyClick(w.chatLine(), Qt::Key_Space);
        QVERIFY(StandIn::send(QStringLiteral("calls")).trimmed().endsWith(QStringLiteral("Receiving\nTransmit false")));
        QCOMPARE(w.voice.texts(), (QStringList { QStringLiteral("T"), QStringLiteral("R") }));
        QCOMPARE(w.form->windowColor(), WindowColors::Qso);
        StandIn::send(QStringLiteral("disconnect Q2CD"));
    }

    void talkerIsShownInTheLabelAndTheStatusBar()
    {
        Window w;
        StandIn::send(QStringLiteral("stationtext *LAKEVIEW*\\r\\n> Q1AB Jo Smith\\r\\nQ2CD Ann Lee\\r\\n"));
        QTRY_COMPARE_WITH_TIMEOUT(w.label("lblTalkingNow"), QStringLiteral(" Station Now Talking    > Q1AB Jo Smith\r"),
                                  10000);
        QCOMPARE(w.label("StatusBarPanel1"), QStringLiteral("Q1AB Jo Smith\r"));
    }

    void helpAndKeyEchoAreHeardThroughTheWindow()
    {
        Window w;
        w.form->findChild<QCheckBox*>(QStringLiteral("KeySpeakCheckBox"))->setChecked(true);
        w.chatLine()->setFocus();
        w.voice.spoken.clear();
        QTest::keyClick(w.chatLine(), Qt::Key_F1);
        QCOMPARE(w.voice.texts(), KeyMap::helpSentences());

        w.voice.spoken.clear();
        QTest::keyClicks(w.chatLine(), QStringLiteral("a,"));
        QCOMPARE(w.voice.texts(), (QStringList { "a", ",", "Comma" }));
        QCOMPARE(w.chatLine()->text(), QStringLiteral("a,"));
    }

    // The stand-in's demo directory: Ctrl+L, part of a callsign, one match heard, Enter, and the QSO is announced.
    void aStationFoundInTheDirectoryIsConnected()
    {
        Window w;
        w.form->show();
        w.form->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(w.form.get()));
        w.chatLine()->setFocus(Qt::OtherFocusReason);
        QTest::keyClick(w.chatLine(), Qt::Key_L, Qt::ControlModifier);
        DirectoryWindow* directory = w.form->directoryWindow();
        QVERIFY(directory);
        QTRY_COMPARE(QApplication::activeWindow(), directory);
        QVERIFY2(directory->matchCount() >= 30, qPrintable(w.voice.texts().join('|')));
        w.voice.spoken.clear();
        QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("q1abd"));
        QCOMPARE(w.voice.texts().mid(w.voice.texts().size() - 2),
                 (QStringList { "1 match", "Quebec One Alpha Bravo Delta. Sam Reed, Elm Falls. busy" }));
        w.voice.spoken.clear();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        QTRY_COMPARE_WITH_TIMEOUT(w.form->roster().connectionCount(), 1, 10000);
        QVERIFY(StandIn::send(QStringLiteral("calls")).contains(QStringLiteral("Connect1 Q1ABD")));
        QVERIFY2(w.voice.texts().join('|').contains(QStringLiteral("Quebec One Alpha Bravo Delta")),
                 qPrintable(w.voice.texts().join('|')));
        QVERIFY(!directory->isVisible());
    }

    void tabFromTheChatLineSaysEachControlThenTheMemories()
    {
        Window w;
        w.form->show();
        w.form->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(w.form.get()));
        w.chatLine()->setFocus(Qt::OtherFocusReason);
        QStringList heard;
        for (int i = 0; i < 6; ++i) {
            w.voice.spoken.clear();
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            heard << w.voice.texts().join(QLatin1Char('|'));
        }
        // Not connected, Disconnect Last is disabled and skipped; a memory says its callsign, then its number.
        QCOMPARE(heard.mid(0, 4), (QStringList { "re con", "Disconnect All", "T R",
                                                 "Speech Volume Control. Up, Down, Arrow Keys To Change" }));
        QVERIFY2(heard.at(4).endsWith(QStringLiteral("|b1")), qPrintable(heard.at(4)));
        QVERIFY2(heard.at(5).endsWith(QStringLiteral("|b2")), qPrintable(heard.at(5)));
        QCOMPARE(QApplication::focusWidget()->objectName(), QStringLiteral("bCall2"));
    }

    void bothClocksShowTheirTimeInYellow()
    {
        Window w;
        const QDateTime now = w.clock.now();
        for (const char* name : { "ClockUniversalTime", "ClockLocalTime" }) {
            auto* clock = w.form->findChild<QLabel*>(QLatin1String(name));
            QCOMPARE(clock->palette().color(QPalette::WindowText), QColor(Qt::yellow));
            QCOMPARE(clock->palette().color(QPalette::Window), QColor(Qt::black));
            QAccessibleInterface* read = QAccessible::queryAccessibleInterface(clock);
            QVERIFY(read);
            const QString text = read->text(QAccessible::Name);
            QVERIFY2(text.contains(now.toUTC().toString(QStringLiteral("yyyy"))), qPrintable(text));
            QVERIFY2(text.contains(QLatin1Char(':')), qPrintable(text));
        }
    }
};

QTEST_MAIN(TestStandInEndToEnd)
#include "TestStandInEndToEnd.moc"
