#pragma once

#include "speech/SpeechEngine.h"

#include <QString>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>

// Our own speech queue in front of one engine, on one worker thread that owns the engine. It keeps the
// three behaviours the speech operations rely on whatever the engine: requests are spoken in the order
// made, a purging request cuts off the current one and drops the queued ones, and a blocking request
// returns once its own text has been spoken. Every wait is bounded, so a dead engine or an audio
// device that never finishes cannot freeze the window.
//
// Kinds of speech: a purge drops only answers and echo, never a station event, and only an event may
// block its caller (answers and echo never hold the window). Answers and echo made back to back (one
// key's "Delete" and the deleted character, the help's sentences) are gathered for a moment and handed
// to the engine as one text, because a speech service lets a newer echo cut an older one short.
class SpeechQueue
{
public:
    static constexpr std::chrono::milliseconds defaultBlockingBound { 30000 };
    // How long answers and echo wait for more of the same before going to the engine.
    static constexpr std::chrono::milliseconds defaultGatherWindow { 25 };
    // Hears of each request that fails after submit() has returned (an asynchronous one, or a blocking
    // one whose wait ran out), once, as it fails. Called on the worker thread.
    using FailureListener = std::function<void(const QString& message)>;

    // Opens the engine on the worker; throws VoiceError when it cannot be opened.
    explicit SpeechQueue(std::unique_ptr<SpeechEngine> engine,
                         std::chrono::milliseconds blockingBound = defaultBlockingBound,
                         std::chrono::milliseconds gatherWindow = defaultGatherWindow);

    // The text the engine gets for answers or echo gathered in this order.
    static QString joined(const QString& before, const QString& after);
    ~SpeechQueue();
    SpeechQueue(const SpeechQueue&) = delete;
    SpeechQueue& operator=(const SpeechQueue&) = delete;

    // A request without text changes nothing, not even with purge. A blocking request waits at most the
    // bound, then returns. Throws VoiceError when a blocking request fails while it is waited for. A
    // request that fails later goes to the failure listener; while none is set, the latest such failure
    // is thrown once by the next call instead (that call's request stays queued).
    void submit(const SpeechRequest& request);

    void setFailureListener(FailureListener listener);

    // A purge with nothing to say: answers and echo queued or speaking are dropped.
    void purgeEcho();

private:
    struct Ticket
    {
        SpeechRequest request;
        SpeechEngine::CutOff cutOff { false };
        bool done = false;
        bool waitedFor = false; // a blocking caller is still waiting for it
        std::optional<QString> failure;
        SpeechEngine::Deadline deadline;
        std::chrono::steady_clock::time_point submitted;
    };
    using TicketPtr = std::shared_ptr<Ticket>;

    void startWorker();
    void stopWorker();
    void run();
    void process(Ticket& ticket);
    // Returns the failure that nobody waits for, to go to the listener.
    std::optional<QString> finish(const TicketPtr& ticket, std::optional<QString> failure);
    // Purge: answers and echo only. Shut-down: everything.
    void dropQueuedAndCurrent(bool everything);
    bool eventQueued() const;
    bool gatherMore(std::unique_lock<std::mutex>& lock);
    TicketPtr takeNext();
    void waitFor(const TicketPtr& ticket, std::unique_lock<std::mutex>& lock);

    std::unique_ptr<SpeechEngine> m_engine;
    const std::chrono::milliseconds m_blockingBound;
    const std::chrono::milliseconds m_gatherWindow;
    std::mutex m_mutex;
    std::condition_variable m_workerWake;
    std::condition_variable m_ticketDone;
    std::deque<TicketPtr> m_queued;
    TicketPtr m_current;
    std::optional<QString> m_earlierFailure;
    FailureListener m_failureListener;
    std::optional<QString> m_openFailure;
    bool m_opened = false;
    bool m_stopping = false;
    std::thread m_worker;
};
