// Corvane sharing a real speech-dispatcher with a screen reader. Each test starts its own service (own
// socket, configuration and log; a stand-in output module that takes a real voice's time and logs when
// each text begins and ends) and a second client that speaks as a screen reader does. The module's log
// and the second client's notifications are the evidence: a text that began and has no end was cut off.
#include "util/SharedSpeech.h"

#include <QElapsedTimer>
#include <QTest>

namespace {
constexpr int SpeechWaitMs = 30000;
} // namespace

class TestSharedSpeech : public QObject
{
    Q_OBJECT

    static void modes()
    {
        QTest::addColumn<bool>("screenReader");
        QTest::newRow("screen reader found, own echo taken back") << true;
        QTest::newRow("no screen reader found") << false;
    }

private slots:
    void initTestCase()
    {
        if (!SpeechServer::available())
            QSKIP("speech-dispatcher with its generic module and ALSA output is not installed");
    }

    // The operator types (and deletes) while the screen reader talks and a chat arrives: the chat is heard
    // to its last word, and the screen reader is not cut either.
    void chatArrivingWhileTheScreenReaderSpeaksAndKeysAreTypedIsSpokenToItsEnd_data() { modes(); }
    void chatArrivingWhileTheScreenReaderSpeaksAndKeysAreTypedIsSpokenToItsEnd()
    {
        QFETCH(bool, screenReader);
        SharedSpeech s(screenReader);
        QVERIFY(s.server.running());
        s.keyEchoOn();
        s.quiet();
        const int reader = s.readerSpeaks();
        s.session.raiseChatTextReceived(QStringLiteral("Q2CD>the weather over the lake is fine today"));
        s.typeIntoChatLine(QStringLiteral("hello"));
        QTest::keyClick(s.chatLine(), Qt::Key_Backspace);
        QTest::keyClick(s.chatLine(), Qt::Key_Backspace);
        s.typeIntoChatLine(QStringLiteral("p"));
        QTRY_COMPARE_WITH_TIMEOUT(s.server.ended(QStringLiteral("weather over the lake is fine today")), 1,
                                  SpeechWaitMs);
        QCOMPARE(s.server.begun(QStringLiteral("weather over the lake")), 1);
        QCOMPARE(s.reader.waitForOutcome(reader, SpeechWaitMs), std::optional<int>(702));
    }

    // An arriving station's callsign purges, but only echo: Tabs and keys after it never cut it.
    void anArrivingCallsignIsNeverCancelled_data() { modes(); }
    void anArrivingCallsignIsNeverCancelled()
    {
        QFETCH(bool, screenReader);
        SharedSpeech s(screenReader);
        s.keyEchoOn();
        s.quiet();
        s.readerSpeaks();
        s.session.raiseConnected(QStringLiteral("Q2CD"), QStringLiteral("Ann"), QStringLiteral("10.0.0.2"));
        for (const char* control : { "TrackBarVolume", "cbCheckAway", "SpeakCheckBox" })
            s.widget(control)->setFocus(Qt::TabFocusReason);
        s.typeIntoChatLine(QStringLiteral("hi"));
        QTest::keyClick(s.chatLine(), Qt::Key_Backspace);
        const QString call = QStringLiteral("Quebec Two Charlie Delta");
        QTRY_COMPARE_WITH_TIMEOUT(s.server.ended(call), 1, SpeechWaitMs);
        QCOMPARE(s.server.begun(call), 1);
    }

    // While the screen reader speaks, Corvane's own focus echo gives way instead of being said after it
    // (nothing twice); with the screen reader silent the same echo is heard, so the drop is not a mute voice.
    void focusEchoIsDroppedWhileTheScreenReaderSpeaks()
    {
        SharedSpeech s(true);
        s.quiet();
        s.widget("TrackBarVolume")->setFocus(Qt::TabFocusReason);
        QTRY_COMPARE_WITH_TIMEOUT(s.server.ended(QStringLiteral("Speech Volume Control")), 1, SpeechWaitMs);

        const int reader = s.readerSpeaks();
        s.widget("cbCheckAway")->setFocus(Qt::TabFocusReason);
        QCOMPARE(s.reader.waitForOutcome(reader, SpeechWaitMs), std::optional<int>(702));
        QTest::qWait(1500); // anything queued behind the reader would have begun by now
        QCOMPARE(s.server.begun(QStringLiteral("Away Tick")), 0);
    }

    // Beside a screen reader, with its echo left to it: F1's long help gives way at the next Tab, so the
    // screen reader's description is not held up behind the rest of it.
    void theNextTabCutsTheHelpShortForTheScreenReader()
    {
        SharedSpeech s(true, false);
        s.quiet();
        s.chatLine()->setFocus(Qt::OtherFocusReason);
        QTest::keyClick(s.chatLine(), Qt::Key_F1);
        QTRY_VERIFY_WITH_TIMEOUT(s.server.begun(QStringLiteral("setup Echo Link first")) == 1, SpeechWaitMs);
        s.widget("TrackBarVolume")->setFocus(Qt::TabFocusReason);
        QTest::qWait(30);
        s.reader.cancel();
        const int reader = s.reader.say(QStringLiteral("Speech volume slider"));
        QVERIFY(s.reader.waitFor(reader, 701, 3000)); // at once, not after the eight sentences
        QCOMPARE(s.reader.waitForOutcome(reader, SpeechWaitMs), std::optional<int>(702));
        s.quiet();
        QCOMPARE(s.server.begun(QStringLiteral("Shutdown computer")), 0);
    }

    // The deleted character's echo does not wait for speech: the key is handled and the window takes the
    // next keys while the screen reader is still speaking. (Waiting for the character's speech behind the
    // screen reader held the window for seconds; the bound here is generous against a loaded machine.)
    void backspaceReturnsToTheEventLoopAtOnce_data() { modes(); }
    void backspaceReturnsToTheEventLoopAtOnce()
    {
        QFETCH(bool, screenReader);
        SharedSpeech s(screenReader);
        s.keyEchoOn();
        s.quiet();
        s.typeIntoChatLine(QStringLiteral("ab"));
        const int reader = s.readerSpeaks();
        QElapsedTimer held;
        held.start();
        QTest::keyClick(s.chatLine(), Qt::Key_Backspace);
        const qint64 heldMs = held.elapsed();
        s.typeIntoChatLine(QStringLiteral("c"));
        QCOMPARE(s.chatLine()->text(), QStringLiteral("ac"));
        QVERIFY2(heldMs < 1000, qPrintable(QStringLiteral("Backspace held the window %1 ms").arg(heldMs)));
        s.reader.poll();
        QCOMPARE(s.reader.waitForOutcome(reader, 0), std::nullopt); // still speaking when the keys were done
        QCOMPARE(s.reader.waitForOutcome(reader, SpeechWaitMs), std::optional<int>(702));
    }
};

QTEST_MAIN(TestSharedSpeech)
#include "TestSharedSpeech.moc"
