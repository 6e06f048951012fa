#include "speech/SpeechQueue.h"
#include "speech/Voice.h"
#include "mock/FakeSpeechEngine.h"

#include <QTest>
#include <mutex>
#include <thread>

using namespace std::chrono_literals;

// Our own queue in front of an engine: order, purge, blocking with its bound, and failures, watched
// through a fake engine that can hold an utterance "speaking" until the test lets it end.
class TestSpeechQueue : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void requestsAreSpokenInTheOrderMade();
    void purgeCutsOffCurrentAndDropsQueued();
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
    static SpeechRequest async(const QString& text, bool purge = false);
    static SpeechRequest blocking(const QString& text);
    std::unique_ptr<SpeechQueue> makeQueue(std::chrono::milliseconds bound = 5s);

    std::shared_ptr<FakeSpeechLog> m_log;
};

SpeechRequest TestSpeechQueue::async(const QString& text, bool purge)
{
    SpeechRequest request;
    request.text = text;
    request.purge = purge;
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

void TestSpeechQueue::purgeCutsOffCurrentAndDropsQueued()
{
    m_log->holdUtterances = true;
    auto queue = makeQueue();
    queue->submit(async("speaking"));
    QVERIFY(m_log->waitForStarted(1));
    queue->submit(async("queued 1"));
    queue->submit(async("queued 2"));
    queue->submit(async("Delete", true));
    QVERIFY(m_log->waitForStarted(2));
    m_log->release();
    QVERIFY(m_log->waitForEnded(2));
    QCOMPARE(m_log->startedTexts(), QStringList({ "speaking", "Delete" }));
    QCOMPARE(m_log->cutOff, QStringList({ "speaking" }));
    QCOMPARE(m_log->finished, QStringList({ "Delete" }));
    QCOMPARE(m_log->purges, 1);
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
