#include "speech/SpeechQueue.h"

#include "speech/Voice.h"

#include <algorithm>
#include <exception>
#include <utility>

SpeechQueue::SpeechQueue(std::unique_ptr<SpeechEngine> engine, std::chrono::milliseconds blockingBound,
                         std::chrono::milliseconds gatherWindow)
    : m_engine(std::move(engine))
    , m_blockingBound(blockingBound)
    , m_gatherWindow(gatherWindow)
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
        dropQueuedAndCurrent(true);
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
    // Nothing but the closing words may hold the window while speech plays: echo never blocks.
    if (request.kind != SpeechKind::Event)
        ticket->request.async = true;
    ticket->submitted = std::chrono::steady_clock::now();
    ticket->deadline = ticket->submitted + m_blockingBound;

    std::unique_lock lock(m_mutex);
    if (request.purge)
        dropQueuedAndCurrent(false);
    m_queued.push_back(ticket);
    m_workerWake.notify_all();
    if (!ticket->request.async)
        waitFor(ticket, lock);
    const std::optional<QString> earlierFailure = std::exchange(m_earlierFailure, std::nullopt);
    if (ticket->failure)
        throw VoiceError(*ticket->failure);
    if (earlierFailure)
        throw VoiceError(*earlierFailure);
}

void SpeechQueue::purgeEcho()
{
    auto ticket = std::make_shared<Ticket>();
    ticket->request.purge = true;
    ticket->request.kind = SpeechKind::Echo;
    ticket->submitted = std::chrono::steady_clock::now();
    ticket->deadline = ticket->submitted;
    std::lock_guard lock(m_mutex);
    dropQueuedAndCurrent(false);
    m_queued.push_back(ticket);
    m_workerWake.notify_all();
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

// Caller holds m_mutex. A station event is never cut by a purge: only what the operator's keys asked for.
void SpeechQueue::dropQueuedAndCurrent(bool everything)
{
    const auto dropped
        = [everything](const TicketPtr& ticket) { return everything || ticket->request.kind != SpeechKind::Event; };
    for (const TicketPtr& queued : m_queued) {
        if (!dropped(queued))
            continue;
        queued->cutOff = true;
        queued->done = true;
    }
    std::erase_if(m_queued, dropped);
    if (m_current && dropped(m_current)) {
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

bool gathers(const SpeechRequest& request)
{
    return request.kind != SpeechKind::Event;
}

bool gathersWith(const SpeechRequest& first, const SpeechRequest& next)
{
    return gathers(next) && !next.purge && next.kind == first.kind && next.volume == first.volume
        && next.speakPunctuation == first.speakPunctuation;
}

} // namespace

QString SpeechQueue::joined(const QString& before, const QString& after)
{
    // A pause between the parts, as separate texts had; a sentence that ends already needs none.
    const QString trimmed = before.trimmed();
    if (trimmed.isEmpty())
        return after;
    const QChar last = trimmed.back();
    const bool ended = last == u'.' || last == u'!' || last == u'?' || last == u',' || last == u':' || last == u';';
    return trimmed + (ended ? QStringLiteral(" ") : QStringLiteral(", ")) + after;
}

// Caller holds m_mutex.
bool SpeechQueue::eventQueued() const
{
    return std::any_of(m_queued.begin(), m_queued.end(),
                       [](const TicketPtr& ticket) { return ticket->request.kind == SpeechKind::Event; });
}

// Caller holds m_mutex and the queue is not empty. True when the front's answers or echo should wait for
// more of the same (the lock was released meanwhile and the queue must be looked at again).
bool SpeechQueue::gatherMore(std::unique_lock<std::mutex>& lock)
{
    const TicketPtr front = m_queued.front();
    if (!gathers(front->request) || m_gatherWindow.count() <= 0 || eventQueued())
        return false;
    const auto until = front->submitted + m_gatherWindow;
    if (std::chrono::steady_clock::now() >= until)
        return false;
    m_workerWake.wait_until(
        lock, until, [&] { return m_stopping || m_queued.empty() || m_queued.front() != front || eventQueued(); });
    return true;
}

// Caller holds m_mutex and the queue is not empty. Answers and echo waiting one after another go to the
// engine as one text.
SpeechQueue::TicketPtr SpeechQueue::takeNext()
{
    TicketPtr first = m_queued.front();
    m_queued.pop_front();
    if (!gathers(first->request) || m_queued.empty() || !gathersWith(first->request, m_queued.front()->request))
        return first;
    auto merged = std::make_shared<Ticket>(); // the parts are done: nobody waits for answers or echo
    merged->request = first->request;
    merged->submitted = first->submitted;
    merged->deadline = first->deadline;
    first->done = true;
    while (!m_queued.empty() && gathersWith(merged->request, m_queued.front()->request)) {
        merged->request.text = joined(merged->request.text, m_queued.front()->request.text);
        m_queued.front()->done = true;
        m_queued.pop_front();
    }
    m_ticketDone.notify_all();
    return merged;
}

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
        if (gatherMore(lock))
            continue;
        m_current = takeNext();
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
    if (ticket.cutOff || ticket.request.text.isEmpty())
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
