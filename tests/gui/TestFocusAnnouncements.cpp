// What each control says when the keyboard focus moves to it, the option boxes' confirmations, and the Space
// key on the connection buttons and the check boxes.
#include "speech/FocusAnnouncer.h"
#include "util/FormFixture.h"

#include <QApplication>
#include <QCheckBox>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>

namespace {

using Heard = QList<QPair<QString, QStringList>>; // control taking the focus, what was said meanwhile

const QString ReCon = QStringLiteral("re con");
const QString All = QStringLiteral("Disconnect All");
const QString Last = QStringLiteral("Disconnect Last");
const QString TR = QStringLiteral("T R");
const QString Volume = QStringLiteral("Speech Volume Control. Up, Down, Arrow Keys To Change");
const QString Away = QStringLiteral("Away Tick. Space To Toggle");
const QString Speak = QStringLiteral("Speak Tick. Space To Toggle");
const QString Button = QStringLiteral("Button Speak Tick. Space To Toggle");
const QString Key = QStringLiteral("Key Speak Tick. Space To Toggle");
const QString Absent = QStringLiteral("Edit Away Message Or TAB to Next Item");

// Tabs once round the window from the chat line; the memory buttons speak for themselves and are left out.
Heard tabRound(FormFixture& f)
{
    Heard heard;
    for (int i = 0; i < 80; ++i) {
        f.voice.spoken.clear();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        const QString name = QApplication::focusWidget()->objectName();
        if (!name.startsWith(QLatin1String("bCall")))
            heard.append({ name, f.voice.texts() });
        if (name == QLatin1String("edtChat"))
            break;
    }
    return heard;
}

} // namespace

class TestFocusAnnouncements : public QObject
{
    Q_OBJECT
private:
    static void prepare(FormFixture& f, bool connected, bool buttonSpeak)
    {
        f.startUp();
        QVERIFY(QTest::qWaitForWindowActive(f.form.get()));
        if (connected) {
            f.session.raiseConnected(QStringLiteral("Q1AB"), QStringLiteral("Jo"), QStringLiteral("10.0.0.1"));
            f.session.raiseConnected(QStringLiteral("Q2CD"), QStringLiteral("Al"), QStringLiteral("10.0.0.2"));
        }
        f.widget<QCheckBox>(QStringLiteral("ButtonAnnounceCheckBox"))->setChecked(buttonSpeak);
        f.widget<QLineEdit>(QStringLiteral("edtChat"))->setFocus(Qt::OtherFocusReason);
    }

private slots:
    // Whatever the settings do at the start-up timer, the first keys typed go into the chat line.
    void theChatLineHasTheFocusWhenTheWindowFirstShows_data()
    {
        QTest::addColumn<QByteArray>("settings");
        QTest::addColumn<bool>("qso");
        QTest::newRow("first start, no settings file") << QByteArray() << false;
        QTest::newRow("settings that change no box")
            << QByteArray("[Corvane]\r\nKeyboardSpeak=FALSE\r\nNotBringToFront=TRUE\r\n") << false;
        QTest::newRow("a QSO found at start-up")
            << QByteArray("[Corvane]\r\nKeyboardSpeak=FALSE\r\nNotBringToFront=TRUE\r\n") << true;
    }
    void theChatLineHasTheFocusWhenTheWindowFirstShows()
    {
        QFETCH(QByteArray, settings);
        QFETCH(bool, qso);
        FormFixture f;
        if (!settings.isEmpty())
            f.writeSettings(settings);
        f.session.receiving = qso;
        QVERIFY(f.startLikeTheProgram());
        auto* chat = f.widget<QLineEdit>(QStringLiteral("edtChat"));
        QCOMPARE(QApplication::focusWidget(), chat);
        f.clock.advance(4000);
        QVERIFY(f.form->startUp().settingsLoaded());
        QCOMPARE(QApplication::focusWidget(), chat);
        if (qso)
            return;
        // Typed at once, a callsign and Enter connect.
        QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("q1ab"));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        QCOMPARE(f.session.callsOf(QStringLiteral("Connect1")), QStringList { "Connect1(Q1AB,true)" });
    }

    // Enter presses the focused button, as a click does; Space stays guarded on the connection buttons.
    void enterPressesTheFocusedButton_data()
    {
        QTest::addColumn<QString>("button");
        QTest::addColumn<bool>("connected");
        QTest::addColumn<QString>("call");
        QTest::newRow("ReConnect") << "btnLastConnect" << false << "Connect1(Q7LAST,true)";
        QTest::newRow("Disconnect All") << "btnDisconnect" << true << "DisconnectAll()";
        QTest::newRow("Disconnect Last") << "btnDisconnectLast" << true << "Disconnect1(Q2CD)";
        QTest::newRow("Tx/Rx") << "bTxRx" << true << "Transmit(true)";
    }
    void enterPressesTheFocusedButton()
    {
        QFETCH(QString, button);
        QFETCH(bool, connected);
        QFETCH(QString, call);
        FormFixture f;
        prepare(f, connected, true);
        if (!connected) {
            // A station came and went: ReConnect calls it again.
            f.session.raiseConnected(QStringLiteral("Q7LAST"), QStringLiteral("Lu"), QStringLiteral("10.0.0.7"));
            f.session.raiseDisconnected(QStringLiteral("Q7LAST"));
            f.widget(QStringLiteral("edtChat"))->setFocus(Qt::OtherFocusReason);
        }
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        while (QApplication::focusWidget()->objectName() != button)
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        f.session.calls.clear();
        if (button != QLatin1String("bTxRx")) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Space);
            QVERIFY(f.session.calls.isEmpty());
        }
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        QVERIFY2(f.session.calls.contains(call), qPrintable(f.session.calls.join(QLatin1Char(' '))));
        // A held Enter presses once.
        f.session.calls.clear();
        QTest::keyPress(QApplication::focusWidget(), Qt::Key_Enter, Qt::KeypadModifier);
        const QStringList once = f.session.calls;
        QVERIFY(!once.isEmpty());
        QKeyEvent repeat(QEvent::KeyPress, Qt::Key_Enter, Qt::KeypadModifier, QStringLiteral("\r"), true);
        QApplication::sendEvent(QApplication::focusWidget(), &repeat);
        QTest::keyRelease(QApplication::focusWidget(), Qt::Key_Enter, Qt::KeypadModifier);
        QCOMPARE(f.session.calls, once);
    }

    // Going to another window and coming back gives the focus back to the same control: nothing is said.
    void comingBackToTheWindowSaysNothing_data()
    {
        QTest::addColumn<QString>("control");
        QTest::newRow("memory button") << "bCall3";
        QTest::newRow("Tx/Rx") << "bTxRx";
        QTest::newRow("chat line") << "edtChat";
        QTest::newRow("option box") << "SpeakCheckBox";
    }
    void comingBackToTheWindowSaysNothing()
    {
        QFETCH(QString, control);
        FormFixture f;
        prepare(f, false, true);
        f.widget(control)->setFocus(Qt::TabFocusReason);
        QVERIFY(!f.voice.spoken.isEmpty());
        QWidget other;
        other.show();
        other.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&other));
        f.voice.spoken.clear();
        f.form->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(f.form.get()));
        QCOMPARE(QApplication::focusWidget(), f.widget(control));
        QCOMPARE(f.voice.texts(), QStringList());
    }

    void tabSaysWhatEachControlIs_data()
    {
        QTest::addColumn<bool>("connected");
        QTest::addColumn<bool>("buttonSpeak");
        QTest::addColumn<Heard>("expected");
        const auto boxes = [](bool on) {
            return Heard { { "cbCheckAway", on ? QStringList { Away } : QStringList() },
                           { "SpeakCheckBox", on ? QStringList { Speak } : QStringList() },
                           { "ButtonAnnounceCheckBox", { Button } },
                           { "KeySpeakCheckBox", on ? QStringList { Key } : QStringList() },
                           { "edtAbsent", on ? QStringList { Absent } : QStringList() },
                           { "SpeechEnableCheckBox", {} },
                           { "edtChat", on ? QStringList { " " } : QStringList() } };
        };
        // Not connected, Disconnect Last is disabled and skipped.
        QTest::newRow("idle, Button Speak on")
            << false << true
            << Heard { { "btnLastConnect", { ReCon } }, { "btnDisconnect", { All } }, { "bTxRx", { TR } },
                       { "TrackBarVolume", { Volume } } } + boxes(true);
        QTest::newRow("idle, Button Speak off")
            << false << false
            << Heard { { "btnLastConnect", {} }, { "btnDisconnect", {} }, { "bTxRx", {} }, { "TrackBarVolume", {} } }
                + boxes(false);
        // Two stations connected: ReConnect is disabled and Disconnect Last enabled.
        QTest::newRow("connected, Button Speak on")
            << true << true
            << Heard { { "btnDisconnect", { All } }, { "btnDisconnectLast", { Last } }, { "bTxRx", { TR } },
                       { "TrackBarVolume", { Volume } } } + boxes(true);
        QTest::newRow("connected, Button Speak off")
            << true << false
            << Heard { { "btnDisconnect", {} }, { "btnDisconnectLast", {} }, { "bTxRx", {} },
                       { "TrackBarVolume", {} } } + boxes(false);
    }
    void tabSaysWhatEachControlIs()
    {
        QFETCH(bool, connected);
        QFETCH(bool, buttonSpeak);
        QFETCH(Heard, expected);
        FormFixture f;
        prepare(f, connected, buttonSpeak);
        QCOMPARE(tabRound(f), expected);
    }

    void checkBoxesPurgeAndTheRestQueue()
    {
        FormFixture f;
        prepare(f, false, true);
        f.voice.spoken.clear();
        f.widget(QStringLiteral("SpeakCheckBox"))->setFocus(Qt::TabFocusReason);
        f.widget(QStringLiteral("btnDisconnect"))->setFocus(Qt::TabFocusReason);
        f.widget(QStringLiteral("btnUpDown"))->setFocus(Qt::MouseFocusReason);
        QCOMPARE(f.voice.spoken, (QList<FakeVoice::Request> { { Speak, 19 }, { All, 17 }, { "Font", 19 } }));
    }

    void clearTextAndButtonSpeakAnnounceEvenWithButtonSpeakOff()
    {
        FormFixture f;
        prepare(f, false, false);
        f.voice.spoken.clear();
        f.widget(QStringLiteral("btnChatClear"))->setFocus(Qt::MouseFocusReason);
        f.widget(QStringLiteral("btnUpDown"))->setFocus(Qt::MouseFocusReason);
        f.widget(QStringLiteral("ButtonAnnounceCheckBox"))->setFocus(Qt::MouseFocusReason);
        QCOMPARE(f.voice.texts(), (QStringList { "Clear Text", Button }));
    }

    void theWindowComingBackDoesNotRepeatTheAnnouncement_data()
    {
        QTest::addColumn<int>("reason");
        QTest::newRow("window activated") << int(Qt::ActiveWindowFocusReason);
        QTest::newRow("popup closed") << int(Qt::PopupFocusReason);
    }
    void theWindowComingBackDoesNotRepeatTheAnnouncement()
    {
        QFETCH(int, reason);
        FormFixture f;
        prepare(f, false, true);
        for (const char* name : { "bTxRx", "FocusToFrontCheckBox" }) {
            QWidget* w = f.widget(QString::fromLatin1(name));
            w->setFocus(Qt::MouseFocusReason);
            f.voice.spoken.clear();
            const int beeps = f.platform.beeps;
            QFocusEvent again(QEvent::FocusIn, static_cast<Qt::FocusReason>(reason));
            QApplication::sendEvent(w, &again);
            QVERIFY2(f.voice.spoken.isEmpty(), name);
            QCOMPARE(f.platform.beeps, beeps);
        }
        QVERIFY(!FocusAnnouncer::focusReallyMoved(Qt::ActiveWindowFocusReason));
        QVERIFY(FocusAnnouncer::focusReallyMoved(Qt::BacktabFocusReason));
    }

    void buttonSpeakBoxConfirmsAndSpeaksForTheSilencedHome_data()
    {
        QTest::addColumn<bool>("connected");
        QTest::addColumn<bool>("tick");
        QTest::addColumn<QStringList>("expected");
        QTest::addColumn<QString>("home");
        QTest::newRow("off, idle") << false << false << QStringList { "Button Speak Off", " " } << "edtChat";
        QTest::newRow("off, connected") << true << false << QStringList { "Button Speak Off", "TR" } << "bTxRx";
        QTest::newRow("on, connected") << true << true << QStringList { "Button Speak Active", TR } << "bTxRx";
        QTest::newRow("on, idle") << false << true << QStringList { "Button Speak Active", " " } << "edtChat";
    }
    void buttonSpeakBoxConfirmsAndSpeaksForTheSilencedHome()
    {
        QFETCH(bool, connected);
        QFETCH(bool, tick);
        QFETCH(QStringList, expected);
        QFETCH(QString, home);
        FormFixture f;
        prepare(f, connected, !tick);
        auto* box = f.widget<QCheckBox>(QStringLiteral("ButtonAnnounceCheckBox"));
        box->setFocus(Qt::TabFocusReason);
        f.voice.spoken.clear();
        box->setChecked(tick);
        QCOMPARE(f.voice.texts(), expected);
        QCOMPARE(QApplication::focusWidget()->objectName(), home);
    }

    void speakBoxSendsTheFocusHomeWhichAnnouncesItself()
    {
        FormFixture f;
        prepare(f, true, true);
        auto* box = f.widget<QCheckBox>(QStringLiteral("SpeakCheckBox"));
        box->setFocus(Qt::TabFocusReason);
        f.voice.spoken.clear();
        box->setChecked(false);
        QCOMPARE(f.voice.texts(), (QStringList { "Speak Messages Off", TR }));
    }

    void spaceDoesNotPressTheConnectionButtons_data()
    {
        QTest::addColumn<QString>("button");
        QTest::newRow("ReConnect") << "btnLastConnect";
        QTest::newRow("Disconnect All") << "btnDisconnect";
        QTest::newRow("Disconnect Last") << "btnDisconnectLast";
    }
    void spaceDoesNotPressTheConnectionButtons()
    {
        QFETCH(QString, button);
        FormFixture f;
        prepare(f, false, true);
        auto* b = f.widget<QPushButton>(button);
        b->setEnabled(true);
        b->setFocus(Qt::TabFocusReason);
        QSignalSpy clicked(b, &QPushButton::clicked);
        f.session.calls.clear();
        QTest::keyClick(b, Qt::Key_Space);
        QCOMPARE(clicked.size(), 0);
        QVERIFY(f.session.calls.isEmpty());
        QTest::mouseClick(b, Qt::LeftButton); // the mouse still presses it
        QCOMPARE(clicked.size(), 1);
    }

    void spaceTogglesEachCheckBoxOnce_data()
    {
        QTest::addColumn<QString>("box");
        for (const char* name :
             { "cbCheckAway", "SpeakCheckBox", "ButtonAnnounceCheckBox", "KeySpeakCheckBox", "FocusToFrontCheckBox" })
            QTest::newRow(name) << QString::fromLatin1(name);
    }
    void spaceTogglesEachCheckBoxOnce()
    {
        QFETCH(QString, box);
        FormFixture f;
        prepare(f, false, true);
        auto* b = f.widget<QCheckBox>(box);
        b->setFocus(Qt::TabFocusReason);
        QSignalSpy toggled(b, &QCheckBox::toggled);
        const QString chatLine = f.widget<QLineEdit>(QStringLiteral("edtChat"))->text();
        QTest::keyClick(b, Qt::Key_Space);
        QCOMPARE(toggled.size(), 1);
        // The space goes no further: not into the chat line the focus may have gone to.
        QCOMPARE(f.widget<QLineEdit>(QStringLiteral("edtChat"))->text(), chatLine);
    }

    void theFocusedControlIsFramedWideEnoughToSee()
    {
        FormFixture f;
        prepare(f, false, true);
        auto* outline = f.form->findChild<QWidget*>(QStringLiteral("FocusOutline"));
        QVERIFY(outline);
        for (const char* name : { "bTxRx", "bCall12", "KeySpeakCheckBox" }) {
            QWidget* w = f.widget(QString::fromLatin1(name));
            w->setFocus(Qt::TabFocusReason);
            QVERIFY(outline->isVisible());
            const QRect framed(w->mapTo(f.form.get(), QPoint(0, 0)), w->size());
            QCOMPARE(outline->geometry(), framed.adjusted(-4, -4, 4, 4));
        }
    }

    void anyCharacterOnTheButtonSpeakBoxSendsTheFocusHome()
    {
        FormFixture f;
        prepare(f, true, true);
        auto* box = f.widget<QCheckBox>(QStringLiteral("ButtonAnnounceCheckBox"));
        box->setFocus(Qt::TabFocusReason);
        QTest::keyClick(box, Qt::Key_A);
        QCOMPARE(QApplication::focusWidget()->objectName(), QStringLiteral("bTxRx"));
        QVERIFY(box->isChecked());
        // Tab is no character here: it moves on.
        box->setFocus(Qt::TabFocusReason);
        QTest::keyClick(box, Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget()->objectName(), QStringLiteral("KeySpeakCheckBox"));
    }
};

QTEST_MAIN(TestFocusAnnouncements)
#include "TestFocusAnnouncements.moc"
