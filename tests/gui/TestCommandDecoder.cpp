// The command language through the window: typed "/" lines and received "." chat, each code with its
// connection condition met and not met, what it changes and what it says.
#include "chat/ChatLog.h"
#include "chat/CommandDecoder.h"
#include "chat/MemoryButtons.h"
#include "echolink/StationMonitor.h"
#include "echolink/TransmitControl.h"
#include "speech/KeyboardMap.h"
#include "speech/OptionBoxes.h"
#include "speech/Phonetics.h"
#include "util/FormFixture.h"

#include <QCheckBox>
#include <QFile>
#include <QLineEdit>
#include <QTest>

class TestCommandDecoder : public QObject
{
    Q_OBJECT
private:
    static QString flag(bool on) { return on ? QStringLiteral("1") : QStringLiteral("0"); }
    static QCheckBox* box(FormFixture& f, const char* name) { return f.widget<QCheckBox>(QString::fromLatin1(name)); }
    static QLineEdit* chatLine(FormFixture& f) { return f.widget<QLineEdit>(QStringLiteral("edtChat")); }
    static QString iniPath(FormFixture& f) { return f.documentsFile(QStringLiteral("Corvane.ini")); }

    static const char* boxFor(const QString& probe)
    {
        if (probe == QLatin1String("away"))
            return "cbCheckAway";
        if (probe == QLatin1String("speak"))
            return "SpeakCheckBox";
        if (probe == QLatin1String("button"))
            return "ButtonAnnounceCheckBox";
        if (probe == QLatin1String("key"))
            return "KeySpeakCheckBox";
        return nullptr;
    }

    // One piece of state as a short text: a switch is its flag then its box ("10": flag on, box off).
    static QString probe(FormFixture& f, const QString& what)
    {
        TmainForm& form = *f.form;
        if (what == QLatin1String("alarm"))
            return flag(form.stations().alarmMsgAnnounce());
        if (what == QLatin1String("bell"))
            return flag(form.transmit().timerBell());
        if (what == QLatin1String("away"))
            return flag(form.away().awayActive()) + flag(box(f, "cbCheckAway")->isChecked());
        if (what == QLatin1String("speak"))
            return flag(form.options().speakMessage()) + flag(box(f, "SpeakCheckBox")->isChecked());
        if (what == QLatin1String("button"))
            return flag(form.options().buttonAnnounce()) + flag(box(f, "ButtonAnnounceCheckBox")->isChecked());
        if (what == QLatin1String("key"))
            return flag(form.options().keyboardSpeak()) + flag(box(f, "KeySpeakCheckBox")->isChecked());
        if (what == QLatin1String("absent"))
            return f.widget<QLineEdit>(QStringLiteral("edtAbsent"))->text();
        if (what == QLatin1String("remote"))
            return flag(form.commands().remoteEnabled());
        if (what == QLatin1String("reset"))
            return QString::number(f.session.callsOf(QStringLiteral("Reset")).size())
                + flag(form.stations().firstListReceived());
        if (what == QLatin1String("saved"))
            return flag(QFile::exists(iniPath(f)));
        // "memories": every button no longer showing NO CALL, as "n=caption".
        QStringList programmed;
        for (int n = 1; n <= MemoryButtons::Count; ++n) {
            if (form.memories().caption(n) != MemoryButtons::DefaultCaption)
                programmed << QStringLiteral("%1=%2").arg(n).arg(form.memories().caption(n));
        }
        return programmed.join(u',');
    }

    static void prepare(FormFixture& f, const QString& what, const QString& initial)
    {
        TmainForm& form = *f.form;
        const bool on = initial.startsWith(u'1');
        if (const char* name = boxFor(what)) {
            box(f, name)->setChecked(on);
            if (what == QLatin1String("away"))
                form.away().setAwayActive(on);
        } else if (what == QLatin1String("alarm")) {
            form.stations().setAlarmMsgAnnounce(on);
        } else if (what == QLatin1String("bell")) {
            form.transmit().setTimerBell(on);
        } else if (what == QLatin1String("absent")) {
            f.widget<QLineEdit>(QStringLiteral("edtAbsent"))->setText(initial);
        } else if (what == QLatin1String("reset")) {
            form.stations().setFirstListReceived(true);
        }
    }

    // What was said, without the received messages read out by SpeakWithVolume.
    static QStringList commandSpeech(FormFixture& f)
    {
        QStringList said;
        for (const QString& text : f.voice.texts()) {
            if (!text.startsWith(QLatin1String("<volume")))
                said << text;
        }
        return said;
    }

    static void run(FormFixture& f, const QString& command)
    {
        if (command.startsWith(u'.')) {
            f.session.raiseChatTextReceived(QStringLiteral("Q2CD>") + command);
            return;
        }
        chatLine(f)->setText(command);
        QTest::keyClick(chatLine(f), Qt::Key_Return);
    }

    static void startWithRemoteOn(FormFixture& f, bool connected)
    {
        f.startUp();
        if (connected)
            f.session.raiseConnected(QStringLiteral("Q2CD"), QStringLiteral("Ann"), QStringLiteral("10.0.0.2"));
        f.form->commands().setRemoteEnabled(true);
    }

    static QString store(const QString& callsign, int button) { return callsign + u'|' + QString::number(button); }

    static void addRow(const char* name, const QString& command, bool connected, const QString& what,
                       const QString& before, const QString& after, const QStringList& spoken)
    {
        QTest::newRow(name) << command << connected << what << before << after << spoken;
    }

    static QStringList storeSpeech(const QString& callsign, int button)
    {
        return { Phonetics::callSignSpeechText(callsign, QStringLiteral("Q9ZZZ")),
                 MemoryButtons::storeConfirmation(button) };
    }

private slots:
    void everyCodeActsOnlyUnderItsCondition_data()
    {
        QTest::addColumn<QString>("command");
        QTest::addColumn<bool>("connected");
        QTest::addColumn<QString>("what");
        QTest::addColumn<QString>("before");
        QTest::addColumn<QString>("after");
        QTest::addColumn<QStringList>("spoken");
        const QStringList silent;
        const QString away = QStringLiteral("Back at six");

        addRow("/A1 idle", "/A1", false, "alarm", "0", "1", { "Alarm Messages On" });
        addRow("/A1 in a QSO", "/A1", true, "alarm", "0", "1", { "Alarm Messages On" });
        addRow("/a1 lower case, extra text", "/a1 please", false, "alarm", "0", "1", { "Alarm Messages On" });
        addRow("/A0", "/A0", true, "alarm", "1", "0", { "Alarm Messages Off" });
        addRow("/T1", "/T1", false, "bell", "0", "1", { "Timer Bell On" });
        addRow("/t0 in a QSO", "/t0", true, "bell", "1", "0", { "Timer Bell Off" });
        addRow("/AM keeps case and blank", "/am Back Soon", false, "absent", away, " Back Soon",
               { "The Away Message Reads  Back Soon" });
        addRow("/AM in a QSO", "/AM Back Soon", true, "absent", away, away, silent);
        addRow("/AM line break", "/AM a\nb", false, "absent", away, " a b", { "The Away Message Reads  a b" });
        addRow("/B12 with blank", "/B12 q3ef", false, "memories", "", "12= Q3EF", storeSpeech(" Q3EF", 12));
        addRow("/B12 without blank", "/b12q3ef", false, "memories", "", "12=Q3EF", storeSpeech("Q3EF", 12));
        // Nothing to spell: only the confirmation is heard.
        addRow("/B07 empty", "/B07", false, "memories", "", "7=", { MemoryButtons::storeConfirmation(7) });
        addRow("/B12 in a QSO", "/B12 Q3EF", true, "memories", "", "", silent);
        addRow("/B00", "/B00 Q3EF", false, "memories", "", "", silent);
        addRow("/B41", "/B41 Q3EF", false, "memories", "", "", silent);
        addRow("/B4 one digit", "/B4 Q3EF", false, "memories", "", "", silent);
        addRow("/C12 in a QSO", "/C12", true, "memories", "", "12=Q2CD", storeSpeech("Q2CD", 12));
        addRow("/C07 idle", "/C07", false, "memories", "", "", silent);
        addRow("/RE idle", "/RE", false, "reset", "01", "10",
               { " Reseting Echo Link Wait for the Station Update Message" });
        addRow("/RE in a QSO", "/re", true, "reset", "01", "01", silent);
        addRow("/SS idle", "/SS", false, "saved", "0", "1", { "Options saved" });
        addRow("/SS in a QSO", "/SS", true, "saved", "0", "0", silent);
        addRow("/XY unknown", "/XY", false, "memories", "", "", silent);
        addRow("/ alone", "/", false, "memories", "", "", silent);

        addRow(".A1 silent", ".A1", true, "alarm", "0", "1", silent);
        addRow(".a1 lower case", ".a1 now", true, "alarm", "0", "1", silent);
        addRow(".A1 idle", ".A1", false, "alarm", "0", "0", silent);
        addRow(".A0", ".A0", true, "alarm", "1", "0", silent);
        addRow(".AT unchecked", ".AT", true, "away", "00", "11", { "Away Message Active " + DefaultAbsentMessage });
        addRow(".AT already checked", ".AT", true, "away", "11", "11", silent);
        addRow(".AT idle", ".AT", false, "away", "00", "00", silent);
        addRow(".AF checked", ".AF", true, "away", "11", "00", { "Away Message Off" });
        addRow(".AF already unchecked", ".AF", true, "away", "00", "00", silent);
        addRow(".AM upper case", ".am back soon", true, "absent", away, " BACK SOON",
               { "The Away Message Reads.  BACK SOON" });
        addRow(".AM idle", ".AM X", false, "absent", away, away, silent);
        addRow(".SF", ".SF", true, "speak", "11", "00", { "Speak Messages Off" });
        addRow(".ST", ".ST", true, "speak", "00", "11", { "Speak Messages Active" });
        addRow(".ST already on", ".ST", true, "speak", "11", "11", silent);
        addRow(".BF", ".BF", true, "button", "11", "00", { "Button Speak Off", "TR" });
        addRow(".BT", ".BT", true, "button", "00", "11", { "Button Speak Active" });
        addRow(".KF", ".KF", true, "key", "11", "00", { "Keyboard Speak Off" });
        addRow(".KT", ".KT", true, "key", "00", "11", { "Keyboard Speak Active" });
        addRow(".KT idle", ".KT", false, "key", "00", "00", silent);
        addRow(".QU", ".QU", true, "remote", "1", "0", { "Remote Commands Disabled." });
        addRow(".QU idle", ".QU", false, "remote", "1", "1", silent);
        addRow(".B05 with blank", ".B05 q1ab", true, "memories", "", "5= Q1AB", storeSpeech(" Q1AB", 5));
        addRow(".B05 without blank", ".B05Q1AB", true, "memories", "", "5=Q1AB", storeSpeech("Q1AB", 5));
        addRow(".B05 line break", ".B05 Q1\r\nAB", true, "memories", "", "5= Q1 AB", storeSpeech(" Q1 AB", 5));
        addRow(".B40", ".B40 Q1AB", true, "memories", "", "40= Q1AB", storeSpeech(" Q1AB", 40));
        addRow(".B05 idle", ".B05 Q1AB", false, "memories", "", "", silent);
        addRow(".B00", ".B00 Q1AB", true, "memories", "", "", silent);
        addRow(".B41", ".B41 Q1AB", true, "memories", "", "", silent);
        addRow(".C05 is local only", ".C05", true, "memories", "", "", silent);
        addRow(".SS", ".SS", true, "saved", "0", "1", { "Options saved", "Options saved to Local File By Remote Operator" });
        addRow(".SS idle", ".SS", false, "saved", "0", "0", silent);
        addRow(".RE is local only", ".RE", true, "reset", "01", "01", silent);
        addRow(".XY unknown", ".XY", true, "memories", "", "", silent);
    }
    void everyCodeActsOnlyUnderItsCondition()
    {
        QFETCH(QString, command);
        QFETCH(bool, connected);
        QFETCH(QString, what);
        QFETCH(QString, before);
        QFETCH(QString, after);
        QFETCH(QStringList, spoken);
        FormFixture f;
        startWithRemoteOn(f, connected);
        prepare(f, what, before);
        QCOMPARE(probe(f, what), before);
        f.voice.spoken.clear();
        // A received command throws away what the operator was typing.
        chatLine(f)->setText(QStringLiteral("half a sentence"));

        run(f, command);

        QCOMPARE(probe(f, what), after);
        QCOMPARE(commandSpeech(f), spoken);
        QVERIFY(chatLine(f)->text().isEmpty());
        QVERIFY(f.session.callsOf(QStringLiteral("SendChatText")).isEmpty());
    }

    void receivedCommandsNeedRemoteCommandsEnabled()
    {
        FormFixture f;
        startWithRemoteOn(f, true);
        f.form->commands().setRemoteEnabled(false);
        chatLine(f)->setText(QStringLiteral("half a sentence"));
        run(f, QStringLiteral(".B05 Q1AB"));
        QCOMPARE(probe(f, QStringLiteral("memories")), QString());
        QCOMPARE(chatLine(f)->text(), QStringLiteral("half a sentence"));
    }

    void theSaveIsReportedOnceLocallyAndTwiceRemotely()
    {
        FormFixture f;
        startWithRemoteOn(f, true);
        f.voice.spoken.clear();
        run(f, QStringLiteral(".SS"));
        QCOMPARE(f.voice.spoken.size(), 3); // the received text read out, then the two reports
        QCOMPARE(f.voice.spoken.at(1).text, QStringLiteral("Options saved"));
        // The remote report purges what is still queued.
        QCOMPARE(f.voice.spoken.at(2).text, QStringLiteral("Options saved to Local File By Remote Operator"));
        QVERIFY(f.voice.spoken.at(2).flags & 2);
        QVERIFY(!(f.voice.spoken.at(1).flags & 2));
    }

    void aFailedSaveIsNeverReportedAsSaved_data()
    {
        QTest::addColumn<QString>("command");
        QTest::addColumn<bool>("connected");
        QTest::newRow("remote") << ".SS" << true;
        QTest::newRow("local") << "/SS" << false;
    }
    void aFailedSaveIsNeverReportedAsSaved()
    {
        QFETCH(QString, command);
        QFETCH(bool, connected);
        FormFixture f;
        startWithRemoteOn(f, connected);
        // A folder where the file should be: the file cannot be written.
        QVERIFY(QDir().mkpath(iniPath(f)));
        f.voice.spoken.clear();
        run(f, command);
        QCOMPARE(commandSpeech(f), QStringList { "Options not saved" });
    }

    void theMemoryListGoesBackAsChatWithCarriageReturns()
    {
        FormFixture f;
        startWithRemoteOn(f, true);
        QString expected = QStringLiteral("Call Button List For Station Q9ZZZ\r");
        for (int n = 1; n <= 40; ++n)
            expected += QStringLiteral("B%1 = NO CALL\r").arg(n, 2, 10, QLatin1Char('0'));
        f.voice.spoken.clear();
        run(f, QStringLiteral(".lb"));
        QCOMPARE(f.session.callsOf(QStringLiteral("SendChatText")),
                 QStringList { QStringLiteral("SendChatText(") + expected + u')' });
        QVERIFY(!expected.contains(u'\n'));
        QVERIFY(f.chatLines().contains(QStringLiteral("Q9ZZZ> Call Button List For Station Q9ZZZ")));
        QCOMPARE(commandSpeech(f), QStringList());
        for (const ChatLogRecord& r : f.form->journal().chatLog().records())
            QVERIFY(!r.description.contains(QLatin1String("Call Button List")));
    }

    void theMemoryListShowsStoredCaptionsOneLineEach()
    {
        FormFixture f;
        startWithRemoteOn(f, true);
        run(f, QStringLiteral(".B03 A&B\nC"));
        run(f, QStringLiteral(".B40<b>X</b>"));
        f.session.calls.clear();
        run(f, QStringLiteral(".LB"));
        const QString sent = f.session.callsOf(QStringLiteral("SendChatText")).value(0);
        QVERIFY(sent.contains(QStringLiteral("\rB03 =  A&B C\rB04 = NO CALL\r")));
        QVERIFY(sent.endsWith(QStringLiteral("\rB40 = <B>X</B>\r)")));
        QCOMPARE(sent.count(u'\r'), 41);
    }

    void quitTurnsThePaneBlackAndLeavesTheTimeOutRunning()
    {
        FormFixture f;
        startWithRemoteOn(f, true);
        auto* pane = f.widget<QTextBrowser>(QStringLiteral("redtChat"));
        QPalette red = pane->palette();
        red.setColor(QPalette::Text, Qt::red);
        pane->setPalette(red);
        f.form->keys().f9TimeOut().start();
        run(f, QStringLiteral(".QU"));
        QVERIFY(!f.form->commands().remoteEnabled());
        QCOMPARE(pane->palette().color(QPalette::Text), QColor(Qt::black));
        QVERIFY(f.form->keys().f9TimeOut().isActive());
        // Once off, further received commands are plain chat.
        run(f, QStringLiteral(".A0"));
        QVERIFY(f.form->stations().alarmMsgAnnounce());
    }

    void resetSpeaksBeforeItResets()
    {
        FormFixture f;
        f.startUp();
        f.form->stations().setFirstListReceived(true);
        f.session.failNext[QStringLiteral("Reset")] = QStringLiteral("EchoLink is busy");
        f.voice.spoken.clear();
        run(f, QStringLiteral("/RE"));
        QCOMPARE(f.voice.texts().value(0), QStringLiteral(" Reseting Echo Link Wait for the Station Update Message"));
        QVERIFY(!f.form->stations().firstListReceived());
        // The failure of Reset reaches the one error handler.
        QVERIFY(f.chatLines().contains(QStringLiteral(">Application Exception EchoLink is busy")));
    }
};

QTEST_MAIN(TestCommandDecoder)
#include "TestCommandDecoder.moc"
