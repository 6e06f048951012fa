#include "mock/FakeVoice.h"
#include "speech/NoVoice.h"
#include "speech/ReconnectingVoice.h"

#include <QTest>
#include <atomic>
#include <condition_variable>
#include <mutex>

using namespace std::chrono_literals;

// Speech that could not start at all comes back once the speech service answers: later requests ask
// again, at most once per interval, in the background, and the first request after an answer goes to the
// real voice. Time is a test clock; the probe and the opener are fakes.
class TestReconnectingVoice : public QObject
{
    Q_OBJECT

    struct Rig
    {
        std::atomic<int> probes { 0 };
        std::atomic<bool> answers { false };
        int opened = 0;
        bool openFails = false;
        FakeVoice* real = nullptr;
        std::chrono::steady_clock::time_point now {};
        std::unique_ptr<ReconnectingVoice> voice;

        Rig()
        {
            voice = std::make_unique<ReconnectingVoice>(
                std::make_unique<NoVoice>(QStringLiteral("speech-dispatcher is not running")),
                [this] {
                    ++probes;
                    return answers.load();
                },
                [this]() -> std::unique_ptr<Voice> {
                    ++opened;
                    if (openFails)
                        throw VoiceError(QStringLiteral("gone again"));
                    auto made = std::make_unique<FakeVoice>();
                    real = made.get();
                    return made;
                },
                5000ms, [this] { return now; });
        }
        // One request; true when it went to the real voice.
        bool request(const QString& text)
        {
            try {
                voice->speakAs(SpeechKind::Event, text, 17);
            } catch (const VoiceError&) {
                voice->waitForProbe();
                return false;
            }
            voice->waitForProbe();
            return true;
        }
    };

private slots:
    void laterRequestsAskAgainAtMostOncePerInterval()
    {
        Rig rig;
        QVERIFY(!rig.request("one"));
        QCOMPARE(rig.probes.load(), 1);
        rig.now += 4999ms;
        QVERIFY(!rig.request("two"));
        QVERIFY(!rig.request("three"));
        QCOMPARE(rig.probes.load(), 1);
        rig.now += 1ms;
        QVERIFY(!rig.request("four"));
        QCOMPARE(rig.probes.load(), 2);
        QCOMPARE(rig.opened, 0);
    }

    void theFirstRequestAfterAnAnswerIsSpokenByTheService()
    {
        Rig rig;
        QVERIFY(!rig.request("one"));
        rig.answers = true;
        rig.now += 5s;
        QVERIFY(!rig.request("two")); // asks; the answer comes after this request
        QVERIFY(rig.request("Speech Output Now Enabled"));
        QVERIFY(rig.voice->reconnected());
        QCOMPARE(rig.real->texts(), QStringList { "Speech Output Now Enabled" });
        rig.now += 1h;
        QVERIFY(rig.request("later"));
        QCOMPARE(rig.opened, 1);
        QCOMPARE(rig.probes.load(), 2);
    }

    void aServiceGoneAgainBeforeOpeningIsAskedAgainLater()
    {
        Rig rig;
        rig.answers = true;
        rig.openFails = true;
        QVERIFY(!rig.request("one"));
        QVERIFY(!rig.request("two"));
        QCOMPARE(rig.opened, 1);
        rig.openFails = false;
        rig.now += 5s;
        QVERIFY(!rig.request("three"));
        QVERIFY(rig.request("four"));
    }

    void theFailureHandlerFollowsTheVoiceInUse()
    {
        Rig rig;
        QStringList heard;
        rig.voice->setFailureHandler([&](const QString& message) { heard << message; });
        rig.answers = true;
        QVERIFY(!rig.request("one"));
        QVERIFY(rig.request("two"));
        rig.real->failInBackground(QStringLiteral("output module died"));
        QCOMPARE(heard, QStringList { "output module died" });
    }

    // A slow probe never holds the window: requests meanwhile go to the stand-in at once.
    void aProbeInFlightNeverHoldsTheCaller()
    {
        struct Gate
        {
            std::mutex mutex;
            std::condition_variable opened;
            bool open = false;
            std::atomic<int> probes { 0 };
            ~Gate() { letThrough(); }
            void letThrough()
            {
                {
                    std::lock_guard lock(mutex);
                    open = true;
                }
                opened.notify_all();
            }
            bool wait()
            {
                ++probes;
                std::unique_lock lock(mutex);
                opened.wait(lock, [this] { return open; });
                return false;
            }
        } gate;
        ReconnectingVoice voice(
            std::make_unique<NoVoice>(QStringLiteral("not yet"), NoVoice::Reports::Once), [&] { return gate.wait(); },
            []() -> std::unique_ptr<Voice> { return nullptr; }, 0ms);
        struct LetThroughFirst // a failing check must not leave the voice waiting for its probe
        {
            Gate& gate;
            ~LetThroughFirst() { gate.letThrough(); }
        } letThroughFirst { gate };
        QVERIFY_THROWS_EXCEPTION(VoiceError, voice.speak("first", 17));
        QTRY_COMPARE(gate.probes.load(), 1);
        for (int i = 0; i < 5; ++i)
            voice.speak("while asking", 17); // the stand-in said once why it is silent; no second probe
        QCOMPARE(gate.probes.load(), 1);
        gate.letThrough();
        voice.waitForProbe();
    }
};

QTEST_GUILESS_MAIN(TestReconnectingVoice)
#include "TestReconnectingVoice.moc"
