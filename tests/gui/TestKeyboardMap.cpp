// The function-key map, the Backspace feedback and the key echo, through key events on the real widgets.
#include "chat/ChatLine.h"
#include "chat/CommandDecoder.h"
#include "speech/DisplaySettings.h"
#include "speech/KeyMap.h"
#include "speech/KeyboardMap.h"
#include "speech/OptionBoxes.h"
#include "speech/Phonetics.h"
#include "util/FormFixture.h"
#include "util/Pixels.h"

#include <QCheckBox>
#include <QFile>
#include <QLineEdit>
#include <QSlider>
#include <QTest>

using Request = FakeVoice::Request;
using Requests = QList<Request>;

namespace {
constexpr int Queued = 17;
constexpr int Purge = 19;
constexpr int Blocking = 16;
} // namespace

class TestKeyboardMap : public QObject
{
    Q_OBJECT
private:
    static void ready(FormFixture& f)
    {
        f.startUp();
        f.widget<QLineEdit>(QStringLiteral("edtChat"))->setFocus();
        f.voice.spoken.clear();
    }
    static QLineEdit* chatLine(FormFixture& f) { return f.widget<QLineEdit>(QStringLiteral("edtChat")); }
    static QWidget* focused(FormFixture& f) { return f.form->focusWidget(); }
    static QString focusName(FormFixture& f) { return focused(f) ? focused(f)->objectName() : QString(); }
    // A key pressed and released where the focus is.
    static void press(FormFixture& f, Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        QTest::keyClick(focused(f), key, modifiers);
    }
    static void setBox(FormFixture& f, const QString& name, bool checked)
    {
        f.widget<QCheckBox>(name)->setChecked(checked);
        f.widget<QLineEdit>(QStringLiteral("edtChat"))->setFocus();
        f.voice.spoken.clear();
    }
    static void connectOne(FormFixture& f, const QString& call = QStringLiteral("Q2CD"))
    {
        f.session.raiseConnected(call, QStringLiteral("Ann"), QStringLiteral("10.0.0.2"));
        f.voice.spoken.clear();
    }
    static QString callSpeech(FormFixture& f, const QString& calls)
    {
        return Phonetics::callSignSpeechText(calls, f.form->roster().myCallsign());
    }
    // Whether gaining the focus makes an option box speak; the focus announcements may not be there yet.
    static bool boxesAnnounceThemselves(FormFixture& f)
    {
        f.widget<QCheckBox>(QStringLiteral("ButtonAnnounceCheckBox"))->setFocus();
        const bool spoke = !f.voice.spoken.isEmpty();
        chatLine(f)->setFocus();
        f.voice.spoken.clear();
        return spoke;
    }

private slots:
    void f1SpeaksTheEightHelpSentencesInOrder()
    {
        FormFixture f;
        ready(f);
        press(f, Qt::Key_F1);
        Requests expected;
        for (const QString& sentence : KeyMap::helpSentences())
            expected << Request { sentence, Queued };
        QCOMPARE(f.voice.spoken, expected);
        QCOMPARE(expected.size(), 8);
        QVERIFY(chatLine(f)->text().isEmpty());
    }

    void f2ReadsTheStationPaneOnlyWithMessageSpeaking_data()
    {
        QTest::addColumn<bool>("speakMessage");
        QTest::newRow("speak on") << true;
        QTest::newRow("speak off") << false;
    }
    void f2ReadsTheStationPaneOnlyWithMessageSpeaking()
    {
        QFETCH(bool, speakMessage);
        FormFixture f;
        ready(f);
        setBox(f, QStringLiteral("SpeakCheckBox"), speakMessage);
        f.widget<QTextBrowser>(QStringLiteral("redtStation"))->setPlainText(QStringLiteral("Q1AB Jo in Leeds"));
        const int beeps = f.platform.beeps;
        press(f, Qt::Key_F2);
        if (speakMessage) {
            QCOMPARE(f.platform.beeps, beeps + 1);
            QCOMPARE(f.voice.texts(), (QStringList { KeyMap::StationInfoIntro, "Q1AB Jo in Leeds" }));
        } else {
            QCOMPARE(f.platform.beeps, beeps);
            QVERIFY(f.voice.spoken.isEmpty());
        }
    }

    void f3SpeaksTheConferenceWhileConnected()
    {
        FormFixture f;
        ready(f);
        connectOne(f, QStringLiteral("Q2CD"));
        connectOne(f, QStringLiteral("Q3EF"));
        press(f, Qt::Key_F3, Qt::ShiftModifier); // Shift makes no difference
        QCOMPARE(f.voice.spoken, (Requests { { callSpeech(f, f.form->roster().conferenceCalls()), Purge } }));
    }

    void f3SpeaksTheLastStationOrNothing_data()
    {
        QTest::addColumn<bool>("hadAStation");
        QTest::newRow("a station has left") << true;
        QTest::newRow("no station yet") << false;
    }
    void f3SpeaksTheLastStationOrNothing()
    {
        QFETCH(bool, hadAStation);
        FormFixture f;
        ready(f);
        if (hadAStation) {
            connectOne(f);
            f.session.raiseDisconnected(QStringLiteral("Q2CD"));
            chatLine(f)->setFocus();
            f.voice.spoken.clear();
        }
        press(f, Qt::Key_F3);
        if (hadAStation)
            QCOMPARE(f.voice.spoken, (Requests { { callSpeech(f, QStringLiteral("Q2CD")), Purge },
                                                 { KeyMap::LastStationSuffix, Queued } }));
        else
            QVERIFY(f.voice.spoken.isEmpty());
    }

    void f4SpeaksTheLastChatTextWhenThereIsOne()
    {
        FormFixture f;
        ready(f);
        press(f, Qt::Key_F4);
        QVERIFY(f.voice.spoken.isEmpty());
        f.session.raiseChatTextReceived(QStringLiteral("Q1AB>see you later"));
        f.voice.spoken.clear();
        press(f, Qt::Key_F4);
        QCOMPARE(f.voice.spoken, (Requests { { "see you later", Queued } }));
    }

    void optionKeysFocusTheirBoxAndSayTheirSentence_data()
    {
        QTest::addColumn<int>("key");
        QTest::addColumn<QString>("box");
        QTest::addColumn<QString>("sentence");
        QTest::newRow("F5") << int(Qt::Key_F5) << "cbCheckAway" << KeyMap::AwaySentence;
        QTest::newRow("F6") << int(Qt::Key_F6) << "SpeakCheckBox" << KeyMap::SpeakSentence;
        QTest::newRow("F7") << int(Qt::Key_F7) << "ButtonAnnounceCheckBox" << KeyMap::ButtonSpeakSentence;
        QTest::newRow("F8") << int(Qt::Key_F8) << "KeySpeakCheckBox" << KeyMap::KeySpeakSentence;
    }
    void optionKeysFocusTheirBoxAndSayTheirSentence()
    {
        QFETCH(int, key);
        QFETCH(QString, box);
        QFETCH(QString, sentence);
        FormFixture f;
        ready(f);
        press(f, Qt::Key(key));
        QCOMPARE(focusName(f), box);
        QCOMPARE(f.voice.spoken.constLast(), (Request { sentence, Queued }));
        QVERIFY(f.form->keys().checkBoxTimeOut().isActive());
        // Space toggles the box meanwhile; the check box does that itself.
        QVERIFY(chatLine(f)->text().isEmpty());
    }

    void tenSecondsAfterAnOptionKeyTheFocusGoesHome_data()
    {
        QTest::addColumn<bool>("connected");
        QTest::newRow("idle: the chat line") << false;
        QTest::newRow("in a QSO: the transmit button") << true;
    }
    void tenSecondsAfterAnOptionKeyTheFocusGoesHome()
    {
        QFETCH(bool, connected);
        FormFixture f;
        ready(f);
        if (connected)
            connectOne(f);
        chatLine(f)->setFocus();
        press(f, Qt::Key_F6);
        QCOMPARE(focusName(f), QStringLiteral("SpeakCheckBox"));
        f.clock.advance(9999);
        QCOMPARE(focusName(f), QStringLiteral("SpeakCheckBox"));
        f.clock.advance(1);
        QCOMPARE(focusName(f), connected ? QStringLiteral("bTxRx") : QStringLiteral("edtChat"));
        QVERIFY(!f.form->keys().checkBoxTimeOut().isActive());
    }

    void eachOptionKeyRestartsTheTenSeconds()
    {
        FormFixture f;
        ready(f);
        press(f, Qt::Key_F5);
        f.clock.advance(6000);
        press(f, Qt::Key_F8);
        f.clock.advance(6000);
        QCOMPARE(focusName(f), QStringLiteral("KeySpeakCheckBox"));
        f.clock.advance(4000);
        QCOMPARE(focusName(f), QStringLiteral("edtChat"));
    }

    void theBoxAnnouncesItselfBeforeTheKeysSentence_data()
    {
        QTest::addColumn<int>("key");
        QTest::addColumn<QString>("sentence");
        QTest::addColumn<bool>("buttonAnnounce");
        QTest::addColumn<int>("times");
        QTest::newRow("F5 with Button Speak on") << int(Qt::Key_F5) << KeyMap::AwaySentence << true << 2;
        QTest::newRow("F7 with Button Speak on") << int(Qt::Key_F7) << KeyMap::ButtonSpeakSentence << true << 2;
        QTest::newRow("F7 with Button Speak off") << int(Qt::Key_F7) << KeyMap::ButtonSpeakSentence << false << 2;
    }
    void theBoxAnnouncesItselfBeforeTheKeysSentence()
    {
        QFETCH(int, key);
        QFETCH(QString, sentence);
        QFETCH(bool, buttonAnnounce);
        QFETCH(int, times);
        FormFixture f;
        ready(f);
        QVERIFY(boxesAnnounceThemselves(f));
        setBox(f, QStringLiteral("ButtonAnnounceCheckBox"), buttonAnnounce);
        press(f, Qt::Key(key));
        QCOMPARE(f.voice.texts().count(sentence), times);
        // Pressed again while the box already has the focus: the key's own sentence only.
        f.voice.spoken.clear();
        press(f, Qt::Key(key));
        QCOMPARE(f.voice.texts().count(sentence), 1);
    }

    void f9TwiceEnablesThenDisablesRemoteCommands()
    {
        FormFixture f;
        ready(f);
        QPalette palette = f.widget<QTextBrowser>(QStringLiteral("redtChat"))->palette();
        palette.setColor(QPalette::Text, QColor(0x56, 0x34, 0x12));
        f.widget<QTextBrowser>(QStringLiteral("redtChat"))->setPalette(palette);
        auto chatColor = [&f] {
            return f.widget<QTextBrowser>(QStringLiteral("redtChat"))->palette().color(QPalette::Text);
        };

        press(f, Qt::Key_F9);
        QVERIFY(f.form->commands().remoteEnabled());
        QCOMPARE(f.voice.spoken, (Requests { { KeyMap::RemoteEnabledText, Queued } }));
        QCOMPARE(chatColor(), QColor(255, 0, 0));
        QVERIFY(f.form->keys().f9TimeOut().isActive());

        f.voice.spoken.clear();
        press(f, Qt::Key_F9);
        QVERIFY(!f.form->commands().remoteEnabled());
        QCOMPARE(f.voice.spoken, (Requests { { KeyMap::RemoteDisabledText, Queued } }));
        QCOMPARE(chatColor(), QColor(0x56, 0x34, 0x12));
        QVERIFY(!f.form->keys().f9TimeOut().isActive());
        QVERIFY(chatLine(f)->text().isEmpty());
    }

    void remoteCommandsTimeOutAfterTenMinutes()
    {
        FormFixture f;
        ready(f);
        const QColor before = f.widget<QTextBrowser>(QStringLiteral("redtChat"))->palette().color(QPalette::Text);
        press(f, Qt::Key_F9);
        f.voice.spoken.clear();
        f.clock.advance(KeyMap::RemoteTimeOutMs - 1);
        QVERIFY(f.form->commands().remoteEnabled());
        f.clock.advance(1);
        QVERIFY(!f.form->commands().remoteEnabled());
        QCOMPARE(f.voice.spoken, (Requests { { KeyMap::RemoteTimeOutText, Queued } }));
        QCOMPARE(f.widget<QTextBrowser>(QStringLiteral("redtChat"))->palette().color(QPalette::Text), before);
        QVERIFY(!f.form->keys().f9TimeOut().isActive());
    }

    // The red is the pane's, over the lines already there and the lines that come while it is on, and all of
    // it goes when remote commands end: by F9, by the time-out or by a received ".QU".
    void remoteRedCoversThePaneOnScreenAndLeavesWithIt_data()
    {
        QTest::addColumn<QString>("end");
        QTest::addColumn<bool>("painted");
        for (const char* end : { "F9", "time-out", ".QU" }) {
            QTest::addRow("%s, grabbed", end) << QString::fromLatin1(end) << true;
            QTest::addRow("%s, on screen", end) << QString::fromLatin1(end) << false;
        }
    }
    void remoteRedCoversThePaneOnScreenAndLeavesWithIt()
    {
        QFETCH(QString, end);
        FormFixture f;
        ready(f);
        // A station to send ".QU".
        connectOne(f, QStringLiteral("Q1AB"));
        auto* pane = f.widget<QTextBrowser>(QStringLiteral("redtChat"));
        const QColor red(255, 0, 0);
        const QColor black(0, 0, 0);
        // Grabbed afresh and as it stands on the screen, where a pane that is not repainted keeps old colours.
        QFETCH(bool, painted);
        auto shown = [painted](QWidget* w) { return painted ? Pixels::grab(w) : Pixels::onScreen(w); };
        f.session.raiseChatTextReceived(QStringLiteral("Q1AB>shown before the switch, in the scheme's black"));
        const int blackBefore = Pixels::count(shown(pane), black);
        QVERIFY2(blackBefore >= 100, qPrintable(QString::number(blackBefore)));
        QCOMPARE(Pixels::count(shown(pane), red), 0);

        press(f, Qt::Key_F9);
        f.session.raiseChatTextReceived(QStringLiteral("Q1AB>arrived while remote commands are on"));
        const QImage remote = shown(pane);
        QVERIFY2(Pixels::count(remote, red) >= blackBefore, qPrintable(QString::number(Pixels::count(remote, red))));
        QCOMPARE(Pixels::count(remote, black), 0);

        if (end == QLatin1String("F9"))
            press(f, Qt::Key_F9);
        else if (end == QLatin1String("time-out"))
            f.clock.advance(KeyMap::RemoteTimeOutMs);
        else
            f.session.raiseChatTextReceived(QStringLiteral("Q1AB>.qu"));
        QVERIFY(!f.form->commands().remoteEnabled());
        const QImage after = shown(pane);
        QCOMPARE(Pixels::count(after, red), 0);
        QVERIFY(Pixels::count(after, black) > blackBefore);
    }

    // In a dark scheme the text stays readable when a station ends remote commands with ".QU".
    void quitBringsBackTheSchemesTextColourOnADarkPane()
    {
        FormFixture f;
        f.writeSettings("[Corvane]\r\nKeyboardSpeak=FALSE\r\nColorSetNumber=1\r\n");
        f.startUp();
        connectOne(f, QStringLiteral("Q1AB"));
        auto* pane = f.widget<QTextBrowser>(QStringLiteral("redtChat"));
        press(f, Qt::Key_F9);
        f.session.raiseChatTextReceived(QStringLiteral("Q1AB>.qu"));
        QVERIFY(!f.form->commands().remoteEnabled());
        const QImage shown = Pixels::onScreen(pane);
        QCOMPARE(Pixels::dominant(shown), QColor(0, 0, 0));
        const int white = Pixels::count(shown, QColor(255, 255, 255));
        QVERIFY2(white >= 100, qPrintable(QString::number(white)));
        QCOMPARE(Pixels::count(shown, QColor(255, 0, 0)), 0);
        QVERIFY(f.form->keys().f9TimeOut().isActive());
    }

    void f9AfterAColourChangeRestoresTheColourSavedFirst()
    {
        FormFixture f;
        ready(f);
        auto* pane = f.widget<QTextBrowser>(QStringLiteral("redtChat"));
        const QColor first = pane->palette().color(QPalette::Text);
        press(f, Qt::Key_F9);
        press(f, Qt::Key_F10);
        press(f, Qt::Key_F9);
        QCOMPARE(pane->palette().color(QPalette::Text), first);
    }

    void f10StepsThroughTheSevenSchemesAndFocusesTheChatLine()
    {
        FormFixture f;
        ready(f);
        const int start = f.form->display().colorSetNumber();
        f.widget<QCheckBox>(QStringLiteral("SpeakCheckBox"))->setFocus();
        press(f, Qt::Key_F10);
        QCOMPARE(f.form->display().colorSetNumber(), (start + 1) % 7);
        QCOMPARE(focusName(f), QStringLiteral("edtChat"));
        for (int i = 0; i < 6; ++i)
            press(f, Qt::Key_F10);
        QCOMPARE(f.form->display().colorSetNumber(), start);
    }

    void f10DoesNothingWhileConnected()
    {
        FormFixture f;
        ready(f);
        connectOne(f);
        const int start = f.form->display().colorSetNumber();
        f.widget<QCheckBox>(QStringLiteral("SpeakCheckBox"))->setFocus();
        f.voice.spoken.clear();
        press(f, Qt::Key_F10);
        QCOMPARE(f.form->display().colorSetNumber(), start);
        QCOMPARE(focusName(f), QStringLiteral("SpeakCheckBox"));
    }

    void f12StartsTheCountDownAndASecondF12CancelsIt()
    {
        FormFixture f;
        ready(f);
        QFile::remove(f.documentsFile(QStringLiteral("Corvane.ini")));
        press(f, Qt::Key_F12);
        QCOMPARE(f.voice.texts(),
                 (QStringList { "Options saved", KeyMap::ShutDownWarning, KeyMap::ShutDownSeconds }));
        QVERIFY(QFile::exists(f.documentsFile(QStringLiteral("Corvane.ini"))));
        QVERIFY(f.form->shutDown().shutdownPending());
        QVERIFY(f.form->shutDown().shutDownTimer().isActive());
        QCOMPARE(f.form->shutDown().shutDownTimer().interval(), KeyMap::ShutDownCountDownMs);

        f.clock.advance(10000);
        f.voice.spoken.clear();
        press(f, Qt::Key_F12);
        QCOMPARE(f.voice.spoken, (Requests { { KeyMap::ShutDownCancelled, Queued } }));
        QVERIFY(!f.form->shutDown().shutdownPending());
        QVERIFY(!f.form->shutDown().shutDownTimer().isActive());
    }

    void altTSaysTheTimeAndAPlainTIsOnlyTyped()
    {
        FormFixture f;
        ready(f);
        setBox(f, QStringLiteral("KeySpeakCheckBox"), false);
        press(f, Qt::Key_T, Qt::AltModifier);
        QCOMPARE(f.voice.spoken, (Requests { { KeyMap::TimeIntro + f.timeText(), Queued } }));
        QVERIFY(chatLine(f)->text().isEmpty());
        f.voice.spoken.clear();
        press(f, Qt::Key_T);
        QCOMPARE(chatLine(f)->text(), QStringLiteral("t"));
        QVERIFY(f.voice.spoken.isEmpty());
    }

    void ctrlDDisconnectsAllAndAPlainDIsOnlyTyped()
    {
        FormFixture f;
        ready(f);
        connectOne(f);
        chatLine(f)->setFocus();
        f.session.calls.clear();
        press(f, Qt::Key_D);
        QCOMPARE(chatLine(f)->text(), QStringLiteral("d"));
        QVERIFY(f.session.callsOf(QStringLiteral("DisconnectAll")).isEmpty());
        press(f, Qt::Key_R, Qt::ControlModifier);
        QCOMPARE(chatLine(f)->text(), QStringLiteral("d"));
        QVERIFY(f.session.callsOf(QStringLiteral("Connect1")).isEmpty());
        press(f, Qt::Key_D, Qt::ControlModifier);
        QCOMPARE(f.session.callsOf(QStringLiteral("DisconnectAll")).size(), 1);
        QCOMPARE(chatLine(f)->text(), QStringLiteral("d"));
    }

    void altRReconnectsTheLastStation()
    {
        FormFixture f;
        ready(f);
        connectOne(f);
        f.session.raiseDisconnected(QStringLiteral("Q2CD"));
        chatLine(f)->setFocus();
        f.session.calls.clear();
        press(f, Qt::Key_R, Qt::AltModifier);
        QCOMPARE(f.session.callsOf(QStringLiteral("Connect1")).size(), 1);
        QVERIFY(f.session.callsOf(QStringLiteral("Connect1")).front().contains(QStringLiteral("Q2CD")));
        QVERIFY(chatLine(f)->text().isEmpty());
    }

    void leftAndRightStayOffTheVolumeBar()
    {
        FormFixture f;
        ready(f);
        auto* bar = f.widget<QSlider>(QStringLiteral("TrackBarVolume"));
        bar->setFocus();
        const int level = bar->value();
        press(f, Qt::Key_Left);
        press(f, Qt::Key_Right);
        QCOMPARE(bar->value(), level);
        press(f, Qt::Key_Up);
        QVERIFY(bar->value() != level);
        // Elsewhere the arrows keep their work.
        chatLine(f)->setText(QStringLiteral("ab"));
        chatLine(f)->setFocus();
        press(f, Qt::Key_Left);
        QCOMPARE(chatLine(f)->cursorPosition(), 1);
    }

    void backspaceFeedback_data()
    {
        QTest::addColumn<QString>("control");
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("keySpeak");
        QTest::addColumn<bool>("speakMessage");
        QTest::addColumn<Requests>("heard");
        QTest::newRow("chat line, echo on") << "edtChat"
                                            << "ab" << true << true
                                            << Requests { { "Delete", Purge }, { "b", Blocking }, { "\b", Purge } };
        QTest::newRow("chat line ending in a space")
            << "edtChat"
            << "a " << true << true << Requests { { "Delete", Purge }, { "Space", Blocking }, { "\b", Purge } };
        QTest::newRow("empty chat line, echo on")
            << "edtChat"
            << "" << true << true << Requests { { "\b", Purge }, { "Clear", Queued } };
        QTest::newRow("chat line, echo off") << "edtChat"
                                             << "ab" << false << true << Requests { { "Back Space", Purge } };
        QTest::newRow("chat line, speaking off") << "edtChat"
                                                 << "ab" << false << false << Requests {};
        QTest::newRow("absent line, echo on")
            << "edtAbsent"
            << "gone" << true << true << Requests { { "Delete", Purge }, { "e", Blocking }, { "\b", Purge } };
        QTest::newRow("empty absent line, echo on")
            << "edtAbsent"
            << "" << true << true << Requests { { "\b", Purge }, { "Clear", Queued } };
        QTest::newRow("station pane") << "redtStation"
                                      << "" << false << true << Requests { { "Delete", Purge } };
        QTest::newRow("chat pane, echo on") << "redtChat"
                                            << "" << true << true << Requests { { "Delete", Purge } };
        QTest::newRow("a check box") << "SpeakCheckBox"
                                     << "" << true << true << Requests { { "Back Space", Purge } };
        QTest::newRow("station pane, speaking off") << "redtStation"
                                                    << "" << false << false << Requests {};
    }
    void backspaceFeedback()
    {
        QFETCH(QString, control);
        QFETCH(QString, text);
        QFETCH(bool, keySpeak);
        QFETCH(bool, speakMessage);
        QFETCH(Requests, heard);
        FormFixture f;
        ready(f);
        setBox(f, QStringLiteral("KeySpeakCheckBox"), keySpeak);
        setBox(f, QStringLiteral("SpeakCheckBox"), speakMessage);
        QWidget* target = f.widget(control);
        target->setFocus();
        if (auto* line = qobject_cast<QLineEdit*>(target)) {
            line->setText(text);
            press(f, Qt::Key_End); // its release records the text as Backspace will find it
        }
        f.voice.spoken.clear();
        press(f, Qt::Key_Backspace);
        QCOMPARE(f.voice.spoken, heard);
        if (auto* line = qobject_cast<QLineEdit*>(target))
            QCOMPARE(line->text(), text.chopped(text.isEmpty() ? 0 : 1));
    }

    void backspaceTakesTheLastCharacterWhereverTheCaretIs()
    {
        FormFixture f;
        ready(f);
        setBox(f, QStringLiteral("KeySpeakCheckBox"), true);
        QTest::keyClicks(chatLine(f), QStringLiteral("xyz"));
        chatLine(f)->setCursorPosition(1);
        f.voice.spoken.clear();
        press(f, Qt::Key_Backspace);
        QCOMPARE(f.voice.spoken.value(1), (Request { "z", Blocking }));
        QCOMPARE(chatLine(f)->text(), QStringLiteral("yz"));
        QCOMPARE(f.form->keys().chatDeletedChar(), QStringLiteral("z"));
    }

    void keyEchoOfTypedCharacters_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<Requests>("heard");
        QTest::newRow("less than by its name only") << "<" << Requests { { "Less Than", Queued } };
        QTest::newRow("comma, then its name") << "," << Requests { { ",", Purge }, { "Comma", Queued } };
        QTest::newRow("a letter") << "a" << Requests { { "a", Purge } };
        QTest::newRow("a greater-than sign as itself") << ">" << Requests { { ">", Purge } };
        QTest::newRow("space with no QSO") << " " << Requests { { " ", Purge }, { "space", Queued } };
    }
    void keyEchoOfTypedCharacters()
    {
        QFETCH(QString, typed);
        QFETCH(Requests, heard);
        FormFixture f;
        ready(f);
        setBox(f, QStringLiteral("KeySpeakCheckBox"), true);
        QTest::keyClicks(chatLine(f), typed);
        QCOMPARE(f.voice.spoken, heard);
        QCOMPARE(chatLine(f)->text(), typed);
    }

    void keysThatTypeNothingAreNotEchoed_data()
    {
        QTest::addColumn<int>("key");
        QTest::newRow("Enter") << int(Qt::Key_Return);
        QTest::newRow("Tab") << int(Qt::Key_Tab);
        QTest::newRow("Delete") << int(Qt::Key_Delete);
        QTest::newRow("Right") << int(Qt::Key_Right);
        QTest::newRow("F11") << int(Qt::Key_F11);
    }
    void keysThatTypeNothingAreNotEchoed()
    {
        QFETCH(int, key);
        FormFixture f;
        ready(f);
        setBox(f, QStringLiteral("KeySpeakCheckBox"), true);
        press(f, Qt::Key(key));
        // Tab moves the focus on, and the next control announces itself; that is not an echo.
        QStringList heard = f.voice.texts();
        if (key == Qt::Key_Tab)
            heard.removeAll(QStringLiteral("re con"));
        QVERIFY2(heard.isEmpty(), qPrintable(heard.join(QLatin1Char('|'))));
    }

    void composedAndInputMethodCharactersAreEchoed()
    {
        FormFixture f;
        ready(f);
        setBox(f, QStringLiteral("KeySpeakCheckBox"), true);
        QTest::sendKeyEvent(QTest::Click, chatLine(f), Qt::Key_unknown, QString::fromUtf8("é"), Qt::NoModifier);
        QInputMethodEvent commit;
        commit.setCommitString(QString::fromUtf8("ß"));
        QApplication::sendEvent(chatLine(f), &commit);
        QCOMPARE(f.voice.spoken, (Requests { { QString::fromUtf8("é"), Purge }, { QString::fromUtf8("ß"), Purge } }));
        QCOMPARE(chatLine(f)->text(), QString::fromUtf8("éß"));
    }

    void aConsumedLetterIsStillEchoed()
    {
        FormFixture f;
        ready(f);
        setBox(f, QStringLiteral("KeySpeakCheckBox"), true);
        press(f, Qt::Key_R);
        QCOMPARE(f.voice.spoken, (Requests { { "r", Purge } }));
        QCOMPARE(chatLine(f)->text(), QStringLiteral("r"));
    }

    void absentLineEchoesASpaceOnlyAfterText()
    {
        FormFixture f;
        ready(f);
        setBox(f, QStringLiteral("KeySpeakCheckBox"), true);
        auto* absent = f.widget<QLineEdit>(QStringLiteral("edtAbsent"));
        absent->clear();
        absent->setFocus();
        f.voice.spoken.clear(); // the line's own announcement on arrival
        QTest::keyClicks(absent, QStringLiteral(" x "));
        QCOMPARE(f.voice.spoken,
                 (Requests { { "x", Purge }, { " ", Purge }, { "space", Queued } }));
    }

    void withoutKeyPreviewTheMapIsSilent()
    {
        FormFixture f;
        f.form->show();
        chatLine(f)->setFocus();
        press(f, Qt::Key_F1);
        QVERIFY(f.voice.spoken.isEmpty());
    }
};

QTEST_MAIN(TestKeyboardMap)
#include "TestKeyboardMap.moc"
