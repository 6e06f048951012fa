#include "mock/FakeSpeechEngine.h"
#include "speech/QueuedVoice.h"
#include "speech/VoiceMarkup.h"

#include <QTest>
#include <QThread>

// What an engine behind the queue receives for each call the speech operations make.
class TestQueuedVoice : public QObject
{
    Q_OBJECT

private slots:
    void engineReceivesPlainTextAndSettings_data();
    void engineReceivesPlainTextAndSettings();
    void hostileChatTextReachesTheEngineAsText_data();
    void hostileChatTextReachesTheEngineAsText();
    void eachFailingRequestIsReportedOnTheVoicesThreadAsItFails();
    void failureArrivingAfterTheHandlerWasClearedIsDropped();
};

namespace {

SpeechRequest spokenThrough(const QString& text, int flags)
{
    auto log = std::make_shared<FakeSpeechLog>();
    {
        QueuedVoice voice(std::make_unique<FakeSpeechEngine>(log));
        voice.speak(text, flags);
        log->waitForEnded(1);
    }
    return log->requests.value(0);
}

} // namespace

void TestQueuedVoice::engineReceivesPlainTextAndSettings_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("flags");
    QTest::addColumn<QString>("spoken");
    QTest::addColumn<int>("volume");
    QTest::addColumn<bool>("punctuation");
    QTest::newRow("SpeakToMeNow") << "Station Connected" << 17 << "Station Connected" << -1 << false;
    QTest::newRow("SpeakToMeNowSync keeps markup as text") << "<b>" << 16 << "<b>" << -1 << false;
    QTest::newRow("SpeakWithVolume") << "<volume level=\"90\">90Percent</volume>" << 65 << "90Percent" << 90 << true;
    QTest::newRow("SpeakWithVolume at zero")
        << "<volume level=\"0\">hi, there.</volume>" << 65 << "hi, there." << 0 << true;
}

void TestQueuedVoice::engineReceivesPlainTextAndSettings()
{
    QFETCH(QString, text);
    QFETCH(int, flags);
    QFETCH(QString, spoken);
    QFETCH(int, volume);
    QFETCH(bool, punctuation);
    const SpeechRequest received = spokenThrough(text, flags);
    QCOMPARE(received.text, spoken);
    QCOMPARE(received.volume.value_or(-1), volume);
    QCOMPARE(received.speakPunctuation, punctuation);
}

void TestQueuedVoice::hostileChatTextReachesTheEngineAsText_data()
{
    QTest::addColumn<QString>("chat");
    QTest::newRow("closes the tag and opens a louder one") << "</volume><volume level=\"100\">HELLO";
    QTest::newRow("typed entity") << "&lt;grin&gt;";
    QTest::newRow("engine markup") << "<prosody rate=\"x-fast\">hi</prosody>";
}

void TestQueuedVoice::hostileChatTextReachesTheEngineAsText()
{
    QFETCH(QString, chat);
    const QString markup
        = QStringLiteral("<volume level=\"20\">") + VoiceMarkup::escape(chat) + QStringLiteral("</volume>");
    const SpeechRequest received = spokenThrough(markup, 65);
    QCOMPARE(received.text, chat);
    QCOMPARE(received.volume.value_or(-1), 20);
}

// The speech operations write one failure line per failing announcement; the line must come when that
// announcement fails, from the user-interface thread, not folded into the next request.
void TestQueuedVoice::eachFailingRequestIsReportedOnTheVoicesThreadAsItFails()
{
    auto log = std::make_shared<FakeSpeechLog>();
    log->failingSpeaks = QStringList { "no audio device", "no audio device" };
    QueuedVoice voice(std::make_unique<FakeSpeechEngine>(log));
    QStringList reported;
    bool onThisThread = true;
    voice.setFailureHandler([&](const QString& message) {
        reported << message;
        onThisThread = onThisThread && QThread::currentThread() == thread();
    });
    voice.speak("Station Connected", 17);
    voice.speak("Q1AB", 17);
    QTRY_COMPARE(reported.size(), 2);
    QCOMPARE(reported, QStringList({ "no audio device", "no audio device" }));
    QVERIFY(onThisThread);
    voice.speak("Speech Output Now Enabled", 16); // neither failure is thrown again here
    QCOMPARE(log->finished, QStringList { "Speech Output Now Enabled" });
    QCOMPARE(reported.size(), 2);
}

// The owner of a handler clears it when it goes; a failure already on its way must not reach it then.
void TestQueuedVoice::failureArrivingAfterTheHandlerWasClearedIsDropped()
{
    auto log = std::make_shared<FakeSpeechLog>();
    log->failingSpeaks = QStringList { "no audio device" };
    QueuedVoice voice(std::make_unique<FakeSpeechEngine>(log));
    int calls = 0;
    voice.setFailureHandler([&calls](const QString&) { ++calls; });
    voice.speak("Station Connected", 17);
    voice.speak("after", 16); // the failure of the first is posted by now
    voice.setFailureHandler({});
    QTest::qWait(50);
    QCOMPARE(calls, 0);
}

QTEST_GUILESS_MAIN(TestQueuedVoice)
#include "TestQueuedVoice.moc"
