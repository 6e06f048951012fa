#include "mock/FakeSpeechEngine.h"
#include "speech/SpeechQueue.h"
#include "speech/Voice.h"

#include <QTest>
#include <mutex>
#include <thread>

using namespace std::chrono_literals;

Q_DECLARE_METATYPE(SpeechKind)

// Our own queue in front of an engine: order, purge, blocking with its bound, and failures, watched
// through a fake engine that can hold an utterance "speaking" until the test lets it end.
class TestSpeechQueue : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void requestsAreSpokenInTheOrderMade();
    void purgeCutsOffCurrentAndDropsQueued_data();
    void purgeCutsOffCurrentAndDropsQueued();
    void purgeNeverCutsOrDropsAStationEvent();
    void echoNeverHoldsTheCaller();
    void cancellingEchoSaysNothingAndSparesEvents();
    void echoMadeBackToBackReachesTheEngineAsOneText();
    void anEventEndsTheGatheringOfEcho();
    void joinedTextsKeepAPause_data();
    void joinedTextsKeepAPause();
    void requestsAfterAPurgeQueueBehindIt();
    void emptyRequestPurgesNothing();
    void blockingRequestReturnsAfterItsOwnText();
    void blockingWaitIsBounded_data();
    void blockingWaitIsBounded();
    void failureOfABlockingRequestIsThrown();
    void failureOfAnAsyncRequestIsReportedOnceAtTheNextCall();
    void eachFailingAsyncRequestReachesTheListenerAsItFails();
    void blockingRequestFailingAfterItsWaitRanOutReachesTheListener();
    void engineThatCannotOpenFailsConstruction();

private:
    static SpeechRequest async(const QString& text, bool purge = false, SpeechKind kind = SpeechKind::Event);
    static SpeechRequest blocking(const QString& text);
    std::unique_ptr<SpeechQueue> makeQueue(std::chrono::milliseconds bound = 5s);

    std::shared_ptr<FakeSpeechLog> m_log;
};

SpeechRequest TestSpeechQueue::async(const QString& text, bool purge, SpeechKind kind)
{
    SpeechRequest request;
    request.text = text;
    request.purge = purge;
    request.kind = kind;
    return request;
}

SpeechRequest TestSpeechQueue::blocking(const QString& text)
{
    SpeechRequest request;
    request.text = text;
    request.async = false;
    return request;
}

std::unique_ptr<SpeechQueue> TestSpeechQueue::makeQueue(std::chrono::milliseconds bound)
{
    return std::make_unique<SpeechQueue>(std::make_unique<FakeSpeechEngine>(m_log), bound);
}

void TestSpeechQueue::init()
{
    m_log = std::make_shared<FakeSpeechLog>();
}

void TestSpeechQueue::requestsAreSpokenInTheOrderMade()
{
    auto queue = makeQueue();
    for (const char* text : { "one", "two", "three", "four" })
        queue->submit(async(QString::fromLatin1(text)));
    QVERIFY(m_log->waitForEnded(4));
    QCOMPARE(m_log->finished, QStringList({ "one", "two", "three", "four" }));
}

void TestSpeechQueue::purgeCutsOffCurrentAndDropsQueued_data()
{
    QTest::addColumn<SpeechKind>("kind");
    QTest::newRow("echo") << SpeechKind::Echo;
    QTest::newRow("answers to keys") << SpeechKind::Answer;
}

// What the operator's keys asked for, the next key may cut.
void TestSpeechQueue::purgeCutsOffCurrentAndDropsQueued()
{
    QFETCH(SpeechKind, kind);
    m_log->holdUtterances = true;
    auto queue = std::make_unique<SpeechQueue>(std::make_unique<FakeSpeechEngine>(m_log), 5s, 0ms);
    queue->submit(async("speaking", false, kind));
    QVERIFY(m_log->waitForStarted(1));
    queue->submit(async("queued 1", false, kind));
    queue->submit(async("queued 2", false, kind));
    queue->submit(async("Delete", true, kind));
    QVERIFY(m_log->waitForStarted(2));
    m_log->release();
    QVERIFY(m_log->waitForEnded(2));
    QCOMPARE(m_log->startedTexts(), QStringList({ "speaking", "Delete" }));
    QCOMPARE(m_log->cutOff, QStringList({ "speaking" }));
    QCOMPARE(m_log->finished, QStringList({ "Delete" }));
    QCOMPARE(m_log->purges, 1);
}

// A key never cuts what the operator did not ask for: a chat being read, or an arriving station.
void TestSpeechQueue::purgeNeverCutsOrDropsAStationEvent()
{
    m_log->holdUtterances = true;
    auto queue = std::make_unique<SpeechQueue>(std::make_unique<FakeSpeechEngine>(m_log), 5s, 0ms);
    queue->submit(async("chat being read"));
    QVERIFY(m_log->waitForStarted(1));
    queue->submit(async("T", false, SpeechKind::Echo));
    queue->submit(async("arriving callsign", true)); // callsigns purge, as events they cut only echo
    queue->submit(async("Delete", true, SpeechKind::Echo));
    for (int i = 0; i < 3; ++i)
        m_log->release();
    QVERIFY(m_log->waitForEnded(3));
    QCOMPARE(m_log->finished, QStringList({ "chat being read", "arriving callsign", "Delete" }));
    QVERIFY(m_log->cutOff.isEmpty());
}

// The screen reader speaks for the key: our answers give way, the station's chat stays.
void TestSpeechQueue::cancellingEchoSaysNothingAndSparesEvents()
{
    m_log->holdUtterances = true;
    auto queue = std::make_unique<SpeechQueue>(std::make_unique<FakeSpeechEngine>(m_log), 5s, 0ms);
    queue->submit(async("help sentence one", false, SpeechKind::Answer));
    QVERIFY(m_log->waitForStarted(1));
    queue->submit(async("help sentence two", false, SpeechKind::Answer));
    queue->submit(async("chat from the station"));
    queue->purgeEcho();
    m_log->release();
    QVERIFY(m_log->waitForEnded(2));
    QCOMPARE(m_log->cutOff, QStringList({ "help sentence one" }));
    QCOMPARE(m_log->finished, QStringList({ "chat from the station" }));
    // The service's own echo is cancelled once the chat ahead of the purge has been handed over.
    QTRY_COMPARE(
        [this] {
            std::lock_guard lock(m_log->mutex);
            return m_log->purges;
        }(),
        1);
}

// Backspace's deleted character is made "blocking"; as echo it must not hold the window.
void TestSpeechQueue::echoNeverHoldsTheCaller()
{
    m_log->holdUtterances = true;
    m_log->neverFinishBlocking = true;
    auto queue = makeQueue(5s);
    SpeechRequest deleted = blocking("b");
    deleted.kind = SpeechKind::Echo;
    const auto before = std::chrono::steady_clock::now();
    queue->submit(deleted);
    QVERIFY(std::chrono::steady_clock::now() - before < 1s);
    QVERIFY(m_log->waitForStarted(1));
    m_log->release();
}

// A speech service lets a newer echo cut an older one, so "Delete" and the deleted character go as one.
void TestSpeechQueue::echoMadeBackToBackReachesTheEngineAsOneText()
{
    auto queue = makeQueue();
    queue->submit(async("Delete", true, SpeechKind::Echo));
    SpeechRequest deleted = blocking("b");
    deleted.kind = SpeechKind::Echo;
    queue->submit(deleted);
    QVERIFY(m_log->waitForEnded(1));
    QCOMPARE(m_log->finished, QStringList({ "Delete, b" }));
    QCOMPARE(m_log->requests.constFirst().purge, true);
    QCOMPARE(m_log->requests.constFirst().kind, SpeechKind::Echo);
    QCOMPARE(m_log->purges, 1);
}

void TestSpeechQueue::anEventEndsTheGatheringOfEcho()
{
    auto queue = makeQueue();
    queue->submit(async("re con", false, SpeechKind::Echo));
    queue->submit(async("T"));
    queue->submit(async("Disconnect All", false, SpeechKind::Echo));
    QVERIFY(m_log->waitForEnded(3));
    QCOMPARE(m_log->finished, QStringList({ "re con", "T", "Disconnect All" }));
}

void TestSpeechQueue::joinedTextsKeepAPause_data()
{
    QTest::addColumn<QString>("before");
    QTest::addColumn<QString>("after");
    QTest::addColumn<QString>("joined");
    QTest::newRow("words") << "Delete"
                           << "b"
                           << "Delete, b";
    QTest::newRow("a sentence that ends") << "If you are lost. "
                                          << "Function Keys. "
                                          << "If you are lost. Function Keys. ";
    QTest::newRow("a typed comma") << ","
                                   << "Comma"
                                   << ", Comma";
    QTest::newRow("a space before") << " "
                                    << "T R"
                                    << "T R";
}

void TestSpeechQueue::joinedTextsKeepAPause()
{
    QFETCH(QString, before);
    QFETCH(QString, after);
    QFETCH(QString, joined);
    QCOMPARE(SpeechQueue::joined(before, after), joined);
}

void TestSpeechQueue::requestsAfterAPurgeQueueBehindIt()
{
    auto queue = makeQueue();
    queue->submit(async("old"));
    queue->submit(async("focus", true));
    queue->submit(blocking("then this"));
    QVERIFY(m_log->finished.endsWith("then this"));
    QVERIFY(m_log->finished.contains("focus"));
    QCOMPARE(m_log->finished.indexOf("focus") + 1, m_log->finished.indexOf("then this"));
}

void TestSpeechQueue::emptyRequestPurgesNothing()
{
    m_log->holdUtterances = true;
    auto queue = makeQueue();
    queue->submit(async("speaking"));
    QVERIFY(m_log->waitForStarted(1));
    queue->submit(async("", true));
    queue->submit(blocking(""));
    m_log->release();
    QVERIFY(m_log->waitForEnded(1));
    QCOMPARE(m_log->finished, QStringList({ "speaking" }));
    QCOMPARE(m_log->purges, 0);
    QCOMPARE(m_log->startedTexts().size(), 1);
}

void TestSpeechQueue::blockingRequestReturnsAfterItsOwnText()
{
    m_log->holdUtterances = true;
    auto queue = makeQueue();
    queue->submit(async("Delete", true));
    std::thread listener([log = m_log] {
        log->waitForStarted(1);
        log->release();
        log->waitForStarted(2);
        log->release();
    });
    queue->submit(blocking("a"));
    const QStringList finishedOnReturn = m_log->finished;
    listener.join();
    QCOMPARE(finishedOnReturn, QStringList({ "Delete", "a" }));
}

void TestSpeechQueue::blockingWaitIsBounded_data()
{
    QTest::addColumn<bool>("stuckSpeaking");
    QTest::newRow("engine never finishes speaking") << true;
    QTest::newRow("end of speech never reported") << false;
}

// A service whose audio died must not freeze the window: the call returns after the bound, and the
// queue still shuts down with the utterance stuck.
void TestSpeechQueue::blockingWaitIsBounded()
{
    QFETCH(bool, stuckSpeaking);
    m_log->holdUtterances = stuckSpeaking;
    m_log->neverFinishBlocking = !stuckSpeaking;
    auto queue = makeQueue(50ms);
    queue->submit(blocking("closing"));
    QCOMPARE(m_log->startedTexts(), QStringList({ "closing" }));
    queue.reset();
}

void TestSpeechQueue::failureOfABlockingRequestIsThrown()
{
    m_log->failNextSpeak = "audio device gone";
    auto queue = makeQueue();
    QVERIFY_THROWS_EXCEPTION(VoiceError, queue->submit(blocking("a")));
    queue->submit(blocking("b"));
    QCOMPARE(m_log->finished, QStringList({ "b" }));
}

void TestSpeechQueue::failureOfAnAsyncRequestIsReportedOnceAtTheNextCall()
{
    m_log->failNextSpeak = "audio device gone";
    auto queue = makeQueue();
    queue->submit(async("lost"));
    QString reported;
    try {
        queue->submit(blocking("next"));
    } catch (const VoiceError& error) {
        reported = error.message();
    }
    QCOMPARE(reported, QStringLiteral("audio device gone"));
    QCOMPARE(m_log->finished, QStringList({ "next" }));
    queue->submit(blocking("after"));
    QCOMPARE(m_log->finished, QStringList({ "next", "after" }));
}

// Collects what the listener hears, from the worker thread.
struct HeardFailures
{
    std::mutex mutex;
    QStringList messages;

    SpeechQueue::FailureListener listener()
    {
        return [this](const QString& message) {
            std::lock_guard lock(mutex);
            messages << message;
        };
    }
    QStringList taken()
    {
        std::lock_guard lock(mutex);
        return messages;
    }
};

void TestSpeechQueue::eachFailingAsyncRequestReachesTheListenerAsItFails()
{
    m_log->failingSpeaks = QStringList { "audio device gone", "audio device still gone" };
    auto queue = makeQueue();
    HeardFailures heard;
    queue->setFailureListener(heard.listener());
    queue->submit(async("first"));
    QTRY_COMPARE(heard.taken(), QStringList { "audio device gone" }); // before any further request
    queue->submit(async("second"));
    queue->submit(async("third"));
    QVERIFY(m_log->waitForEnded(1));
    QTRY_COMPARE(heard.taken(), QStringList({ "audio device gone", "audio device still gone" }));
    queue->submit(blocking("fourth")); // nothing is held back for the next caller
    QCOMPARE(m_log->finished, QStringList({ "third", "fourth" }));
}

void TestSpeechQueue::blockingRequestFailingAfterItsWaitRanOutReachesTheListener()
{
    m_log->holdUtterances = true;
    auto queue = makeQueue(50ms);
    HeardFailures heard;
    queue->setFailureListener(heard.listener());
    queue->submit(async("stuck"));
    QVERIFY(m_log->waitForStarted(1));
    {
        std::lock_guard lock(m_log->mutex);
        m_log->failingSpeaks = QStringList { "late failure" };
    }
    queue->submit(blocking("closing")); // returns after its bound, "closing" still queued
    QVERIFY(heard.taken().isEmpty());
    m_log->release();
    QTRY_COMPARE(heard.taken(), QStringList { "late failure" });
}

void TestSpeechQueue::engineThatCannotOpenFailsConstruction()
{
    m_log->failOpen = "no engine";
    try {
        makeQueue();
        QFAIL("construction should have failed");
    } catch (const VoiceError& error) {
        QCOMPARE(error.message(), QStringLiteral("no engine"));
    }
}

QTEST_GUILESS_MAIN(TestSpeechQueue)
#include "TestSpeechQueue.moc"
