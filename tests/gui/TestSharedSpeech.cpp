// Corvane sharing a real speech-dispatcher with a screen reader. Each test starts its own service (own
// socket, configuration and log; a stand-in output module that takes a real voice's time and logs when
// each text begins and ends) and a second client that speaks as a screen reader does. The module's log
// and the second client's notifications are the evidence: a text that began and has no end was cut off.
#include "app/MainForm.h"
#include "mock/FakePlatform.h"
#include "mock/FakeSession.h"
#include "platform/Clock.h"
#include "speech/QueuedVoice.h"
#include "speech/SpeechdEngine.h"
#include "util/SpeechServer.h"
#include "util/SsipClient.h"

#include <QCheckBox>
#include <QDialog>
#include <QDir>
#include <QLineEdit>
#include <QSlider>
#include <QTemporaryDir>
#include <QTest>

namespace {

constexpr int SpeechWaitMs = 30000;
// About four seconds at the module's pace: long enough for keys, Tabs and events to arrive meanwhile.
const QString ReaderSentence
    = QStringLiteral("screen reader describing the window title and the list of controls of the main window");

struct SharedSpeech
{
    SpeechServer server;
    QTemporaryDir home;
    FakeSession session;
    FakePlatform platform;
    FakePowerControl power;
    VirtualClock clock;
    std::unique_ptr<Voice> voice;
    std::unique_ptr<TmainForm> form;
    SsipClient reader;

    // With a screen reader found, the operator has taken Corvane's own echo back (F8), as one who wants
    // Corvane's key echo beside the screen reader's does.
    explicit SharedSpeech(bool screenReader)
    {
        qputenv("SPEECHD_ADDRESS", server.address());
        auto engine = std::make_unique<SpeechdEngine>();
        engine->setScreenReaderRunning(screenReader);
        voice = std::make_unique<QueuedVoice>(std::move(engine));
        platform.documents = home.path() + QStringLiteral("/Documents");
        QDir().mkpath(platform.documents);
        form = std::make_unique<TmainForm>(
            MainFormServices { &session, voice.get(), &clock, &platform, &power, [](QDialog&) {}, screenReader });
        form->startUp().FormCreate();
        form->show();
        clock.advance(4000);
        if (screenReader) {
            chatLine()->setFocus(Qt::OtherFocusReason);
            QTest::keyClick(chatLine(), Qt::Key_F8);
        }
        reader.open(server.socketPath());
    }

    template<class W = QWidget> W* widget(const char* name) const { return form->findChild<W*>(QLatin1String(name)); }
    QLineEdit* chatLine() const { return widget<QLineEdit>("edtChat"); }
    void keyEchoOn() const { widget<QCheckBox>("KeySpeakCheckBox")->setChecked(true); }
    void typeIntoChatLine(const QString& text) const
    {
        chatLine()->setFocus(Qt::OtherFocusReason);
        for (QChar c : text)
            QTest::keyClick(chatLine(), c.toLatin1());
    }
    // The screen reader starts speaking; returns its message once the module has begun it.
    int readerSpeaks()
    {
        const int id = reader.say(ReaderSentence);
        reader.waitFor(id, 701, 10000);
        return id;
    }
    // Waits until Corvane's own speech so far has been said: the module's log has stood still a while.
    void quiet() const
    {
        int still = 0;
        auto last = server.lines().size();
        for (int waited = 0; waited < 20000 && still < 1500; waited += 100) {
            QTest::qWait(100);
            const auto now = server.lines().size();
            still = now == last ? still + 100 : 0;
            last = now;
        }
    }
};

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
            QSKIP("speech-dispatcher with its generic module is not installed");
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

    // The deleted character's echo does not wait for speech: the key returns while the screen reader is
    // still speaking, and the keys after it are handled at once.
    void backspaceReturnsToTheEventLoopAtOnce_data() { modes(); }
    void backspaceReturnsToTheEventLoopAtOnce()
    {
        QFETCH(bool, screenReader);
        SharedSpeech s(screenReader);
        s.keyEchoOn();
        s.quiet();
        s.typeIntoChatLine(QStringLiteral("ab"));
        const int reader = s.readerSpeaks();
        QTest::keyClick(s.chatLine(), Qt::Key_Backspace);
        s.typeIntoChatLine(QStringLiteral("c"));
        QCOMPARE(s.chatLine()->text(), QStringLiteral("ac"));
        s.reader.poll();
        QCOMPARE(s.reader.waitForOutcome(reader, 0), std::nullopt); // still speaking when the keys were done
        QCOMPARE(s.reader.waitForOutcome(reader, SpeechWaitMs), std::optional<int>(702));
    }
};

QTEST_MAIN(TestSharedSpeech)
#include "TestSharedSpeech.moc"
