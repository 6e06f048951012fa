// Corvane beside a screen reader, through the real widgets: focus and key echo are left to the screen
// reader until the operator takes them back, station events are still spoken, the chat pane says so once,
// and what a screen reader reads of the volume bar and the transmit time matches what Corvane says.
#include "speech/KeyMap.h"
#include "util/FormFixture.h"

#include <QAccessible>
#include <QCheckBox>
#include <QLineEdit>
#include <QProgressBar>
#include <QSlider>
#include <QTest>

class TestScreenReaderSharing : public QObject
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
    static QStringList textsOf(const FormFixture& f, SpeechKind kind)
    {
        QStringList texts;
        for (const FakeVoice::Request& r : f.voice.spoken) {
            if (r.kind == kind)
                texts << r.text;
        }
        return texts;
    }
    static int notesInChatPane(const FormFixture& f)
    {
        return f.chatLines().filter(QString::fromUtf8(TmainForm::ScreenReaderNote)).size();
    }
    static QAccessibleInterface* accessible(FormFixture& f, const QString& name)
    {
        return QAccessible::queryAccessibleInterface(f.widget(name));
    }

private slots:
    void focusAndKeyEchoAreLeftToTheScreenReader_data()
    {
        QTest::addColumn<bool>("screenReader");
        QTest::newRow("screen reader found") << true;
        QTest::newRow("none found") << false;
    }

    void focusAndKeyEchoAreLeftToTheScreenReader()
    {
        QFETCH(bool, screenReader);
        FormFixture f(screenReader);
        ready(f);
        f.widget<QCheckBox>(QStringLiteral("KeySpeakCheckBox"))->setChecked(true);
        chatLine(f)->setFocus();
        f.voice.spoken.clear();

        f.widget(QStringLiteral("TrackBarVolume"))->setFocus(Qt::TabFocusReason);
        f.widget(QStringLiteral("cbCheckAway"))->setFocus(Qt::TabFocusReason);
        chatLine(f)->setFocus(Qt::TabFocusReason);
        QTest::keyClicks(chatLine(f), QStringLiteral("ab,"));
        QTest::keyClick(chatLine(f), Qt::Key_Backspace);
        const QStringList echo = textsOf(f, SpeechKind::Echo);
        if (screenReader) {
            QCOMPARE(echo, QStringList());
        } else {
            QVERIFY(echo.contains(QStringLiteral("Speech Volume Control. Up, Down, Arrow Keys To Change")));
            QVERIFY(echo.contains(QStringLiteral("Comma")));
            QVERIFY(echo.contains(QStringLiteral("Delete")));
        }

        // What happens without the operator asking is spoken whatever runs beside Corvane. (An empty chat
        // line, so that the connect adds no word about kept text.)
        chatLine(f)->clear();
        f.voice.spoken.clear();
        f.session.raiseChatTextReceived(QStringLiteral("Q2CD>good morning"));
        f.session.raiseConnected(QStringLiteral("Q3EF"), QStringLiteral("Bo"), QStringLiteral("10.0.0.3"));
        QCOMPARE(textsOf(f, SpeechKind::Event).size(), 2);
        QVERIFY(textsOf(f, SpeechKind::Event).constFirst().contains(QStringLiteral("good morning")));
        QCOMPARE(notesInChatPane(f), screenReader ? 1 : 0);
    }

    // The operator moving on cuts Corvane's answer short, so the screen reader is not held up behind it.
    void theNextKeyCutsAnAnswerWhenTheScreenReaderSpeaksForIt()
    {
        FormFixture f(true);
        ready(f);
        QTest::keyClick(chatLine(f), Qt::Key_F1);
        QCOMPARE(textsOf(f, SpeechKind::Answer).size(), 8);
        QCOMPARE(f.voice.echoCancels, 0);
        f.widget(QStringLiteral("TrackBarVolume"))->setFocus(Qt::TabFocusReason);
        QCOMPARE(f.voice.echoCancels, 1);
        QCOMPARE(textsOf(f, SpeechKind::Echo), QStringList());
    }

    // F6, F7 and F8 give Corvane its own echo back for the session, beside the screen reader's.
    void aSpeechOptionKeyTakesTheEchoBack_data()
    {
        QTest::addColumn<int>("key");
        QTest::addColumn<bool>("takesBack");
        QTest::newRow("F6") << int(Qt::Key_F6) << true;
        QTest::newRow("F7") << int(Qt::Key_F7) << true;
        QTest::newRow("F8") << int(Qt::Key_F8) << true;
        QTest::newRow("F5, the away box") << int(Qt::Key_F5) << false;
    }

    void aSpeechOptionKeyTakesTheEchoBack()
    {
        QFETCH(int, key);
        QFETCH(bool, takesBack);
        FormFixture f(true);
        ready(f);
        QTest::keyClick(chatLine(f), Qt::Key(key));
        f.clock.advance(KeyMap::CheckBoxTimeOutMs); // the focus goes home
        f.voice.spoken.clear();
        f.widget(QStringLiteral("TrackBarVolume"))->setFocus(Qt::TabFocusReason);
        QCOMPARE(textsOf(f, SpeechKind::Echo)
                     .contains(QStringLiteral("Speech Volume Control. Up, Down, Arrow Keys To Change")),
                 takesBack);
        QVERIFY(f.form->announcer().echoLeftToScreenReader() != takesBack);
    }

    // The bar runs -100..0 on screen; a screen reader reads and sets the volume Corvane says.
    void volumeBarIsReadAsTheVolumeCorvaneSays_data()
    {
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("volume");
        QTest::newRow("Up, louder") << int(Qt::Key_Up) << 90;
        QTest::newRow("Down, softer") << int(Qt::Key_Down) << 70;
    }

    void volumeBarIsReadAsTheVolumeCorvaneSays()
    {
        QFETCH(int, key);
        QFETCH(int, volume);
        FormFixture f;
        ready(f);
        auto* bar = f.widget<QSlider>(QStringLiteral("TrackBarVolume"));
        bar->setValue(-80);
        QAccessibleInterface* read = accessible(f, QStringLiteral("TrackBarVolume"));
        QVERIFY(read && read->valueInterface());
        QCOMPARE(read->role(), QAccessible::Slider);
        QCOMPARE(read->valueInterface()->currentValue().toInt(), 80);
        QCOMPARE(read->valueInterface()->minimumValue().toInt(), 0);
        QCOMPARE(read->valueInterface()->maximumValue().toInt(), 100);

        bar->setFocus();
        f.voice.spoken.clear();
        QTest::keyClick(bar, Qt::Key(key));
        QCOMPARE(read->valueInterface()->currentValue().toInt(), volume);
        QVERIFY(f.voice.texts().constLast().contains(QStringLiteral("%1Percent").arg(volume)));

        read->valueInterface()->setCurrentValue(30);
        QCOMPARE(bar->value(), -30);
    }

    // Read as text when asked, never as a progress bar announcing itself every few seconds.
    void transmitTimeIsReadAsSecondsLeft()
    {
        FormFixture f;
        ready(f);
        f.session.raiseConnected(QStringLiteral("Q1AB"), QStringLiteral("Jo"), QStringLiteral("10.0.0.1"));
        f.widget<QPushButton>(QStringLiteral("bTxRx"))->click();
        QAccessibleInterface* read = accessible(f, QStringLiteral("TxTimeFill"));
        QVERIFY(read);
        QCOMPARE(read->role(), QAccessible::StaticText);
        QCOMPARE(read->text(QAccessible::Name), QStringLiteral("Transmit time: 180 seconds left"));
        QVERIFY(read->valueInterface());
        QCOMPARE(read->valueInterface()->maximumValue().toInt(), 180);
        f.clock.advance(1800);
        QCOMPARE(read->text(QAccessible::Name), QStringLiteral("Transmit time: 178 seconds left"));
        QCOMPARE(read->valueInterface()->currentValue().toInt(), 178);
        f.clock.advance(1800 * 94);
        QCOMPARE(read->text(QAccessible::Name), QStringLiteral("Transmit time: 9 seconds left"));
    }
};

QTEST_MAIN(TestScreenReaderSharing)
#include "TestScreenReaderSharing.moc"
