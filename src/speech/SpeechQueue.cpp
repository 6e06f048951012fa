#include "speech/SpeechQueue.h"

#include "speech/Voice.h"

#include <exception>
#include <utility>

SpeechQueue::SpeechQueue(std::unique_ptr<SpeechEngine> engine, std::chrono::milliseconds blockingBound)
    : m_engine(std::move(engine))
    , m_blockingBound(blockingBound)
{
    startWorker();
}

SpeechQueue::~SpeechQueue()
{
    stopWorker();
}

void SpeechQueue::startWorker()
{
    m_worker = std::thread([this] { run(); });
    std::unique_lock lock(m_mutex);
    m_ticketDone.wait(lock, [this] { return m_opened; });
    if (!m_openFailure)
        return;
    const QString failure = *m_openFailure;
    lock.unlock();
    stopWorker();
    throw VoiceError(failure);
}

void SpeechQueue::stopWorker()
{
    {
        std::lock_guard lock(m_mutex);
        m_stopping = true;
        dropQueuedAndCurrent();
    }
    m_workerWake.notify_all();
    if (m_worker.joinable())
        m_worker.join();
}

void SpeechQueue::submit(const SpeechRequest& request)
{
    if (request.text.isEmpty())
        return;
    auto ticket = std::make_shared<Ticket>();
    ticket->request = request;
    ticket->deadline = std::chrono::steady_clock::now() + m_blockingBound;

    std::unique_lock lock(m_mutex);
    if (request.purge)
        dropQueuedAndCurrent();
    m_queued.push_back(ticket);
    m_workerWake.notify_all();
    if (!request.async)
        waitFor(ticket, lock);
    const std::optional<QString> earlierFailure = std::exchange(m_earlierFailure, std::nullopt);
    if (ticket->failure)
        throw VoiceError(*ticket->failure);
    if (earlierFailure)
        throw VoiceError(*earlierFailure);
}

void SpeechQueue::setFailureListener(FailureListener listener)
{
    std::lock_guard lock(m_mutex);
    m_failureListener = std::move(listener);
}

// Whether the failure of a blocking request is thrown here or goes to the listener is settled under the
// lock: the waiter stops waiting either with the ticket done, or before the worker finishes it.
void SpeechQueue::waitFor(const TicketPtr& ticket, std::unique_lock<std::mutex>& lock)
{
    ticket->waitedFor = true;
    m_ticketDone.wait_until(lock, ticket->deadline, [&] { return ticket->done; });
    ticket->waitedFor = false;
}

// Caller holds m_mutex.
void SpeechQueue::dropQueuedAndCurrent()
{
    for (const TicketPtr& queued : m_queued) {
        queued->cutOff = true;
        queued->done = true;
    }
    m_queued.clear();
    if (m_current) {
        m_current->cutOff = true;
        m_engine->wake();
    }
    m_ticketDone.notify_all();
}

namespace {

// The worker must never die of an engine's exception: every failure becomes a message.
template<typename Action> std::optional<QString> failureOf(Action action)
{
    try {
        action();
    } catch (const VoiceError& error) {
        return error.message();
    } catch (const std::exception& error) {
        return QString::fromLocal8Bit(error.what());
    }
    return std::nullopt;
}

} // namespace

void SpeechQueue::run()
{
    const std::optional<QString> openFailure = failureOf([this] { m_engine->open(); });
    std::unique_lock lock(m_mutex);
    m_openFailure = openFailure;
    m_opened = true;
    m_ticketDone.notify_all();
    if (m_openFailure)
        return;

    while (true) {
        m_workerWake.wait(lock, [this] { return m_stopping || !m_queued.empty(); });
        if (m_stopping)
            break;
        m_current = m_queued.front();
        m_queued.pop_front();
        const TicketPtr ticket = m_current;
        lock.unlock();
        const std::optional<QString> failure = failureOf([&] { process(*ticket); });
        lock.lock();
        const std::optional<QString> unheard = finish(ticket, failure);
        if (unheard && m_failureListener) {
            const FailureListener listener = m_failureListener;
            lock.unlock();
            listener(*unheard);
            lock.lock();
        }
    }
    lock.unlock();
    failureOf([this] { m_engine->close(); });
}

void SpeechQueue::process(Ticket& ticket)
{
    if (ticket.request.purge)
        m_engine->purge();
    if (ticket.cutOff)
        return;
    m_engine->speak(ticket.request, ticket.cutOff);
    if (!ticket.request.async && !ticket.cutOff)
        m_engine->waitUntilSpoken(ticket.deadline, ticket.cutOff);
}

// Caller holds m_mutex. A failure of a request nobody waits for goes to the listener, or without one
// is kept for the next caller to report.
std::optional<QString> SpeechQueue::finish(const TicketPtr& ticket, std::optional<QString> failure)
{
    m_current.reset();
    ticket->done = true;
    ticket->failure = failure;
    m_ticketDone.notify_all();
    if (!failure || ticket->waitedFor)
        return std::nullopt;
    if (!m_failureListener)
        m_earlierFailure = failure;
    return failure;
}
