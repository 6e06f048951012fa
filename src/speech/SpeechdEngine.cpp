#include "speech/SpeechdEngine.h"

#include "speech/Voice.h"

#include <algorithm>
#include <csignal>
#include <cstdlib>
#include <libspeechd.h>
#include <map>
#include <memory>
#include <thread>

namespace {

// libspeechd's callbacks carry no user pointer, only the client id of the connection.
std::mutex registryMutex;
std::map<int, SpeechdEngine*> enginesByClient;

void onFinished(size_t messageId, size_t clientId, SPDNotificationType)
{
    std::lock_guard lock(registryMutex);
    const auto found = enginesByClient.find(static_cast<int>(clientId));
    if (found != enginesByClient.end())
        found->second->onMessageEvent(static_cast<int>(clientId), messageId, true);
}

void onBegun(size_t messageId, size_t clientId, SPDNotificationType)
{
    std::lock_guard lock(registryMutex);
    const auto found = enginesByClient.find(static_cast<int>(clientId));
    if (found != enginesByClient.end())
        found->second->onMessageEvent(static_cast<int>(clientId), messageId, false);
}

// A service that died leaves a closed socket; writing to it must give an error, not end the program.
// Blocking SIGPIPE in this thread turns it into EPIPE here (threads started later inherit the mask).
void ignoreBrokenPipeInThisThread()
{
    sigset_t pipe;
    sigemptyset(&pipe);
    sigaddset(&pipe, SIGPIPE);
    pthread_sigmask(SIG_BLOCK, &pipe, nullptr);
}

constexpr std::size_t maxTrackedMessages = 1000;

struct ConnectAttempt
{
    std::mutex mutex;
    std::condition_variable finished;
    bool done = false;
    bool abandoned = false;
    SPDConnection* connection = nullptr;
    std::string error;
};

// Opening may autospawn the service, which can take long or hang on a broken installation; the attempt
// runs on its own thread and is abandoned after the bound (a late connection is closed by that thread).
SPDConnection* openBounded(const char* name, std::chrono::milliseconds bound)
{
    auto attempt = std::make_shared<ConnectAttempt>();
    std::thread([attempt, name] {
        ignoreBrokenPipeInThisThread();
        char* error = nullptr;
        SPDConnection* connection = spd_open2("corvane", name, nullptr, SPD_MODE_THREADED, nullptr, 1, &error);
        std::lock_guard lock(attempt->mutex);
        if (error) {
            attempt->error = error;
            std::free(error);
        }
        if (attempt->abandoned && connection)
            spd_close(connection);
        else
            attempt->connection = connection;
        attempt->done = true;
        attempt->finished.notify_all();
    }).detach();

    std::unique_lock lock(attempt->mutex);
    if (!attempt->finished.wait_for(lock, bound, [&] { return attempt->done; })) {
        attempt->abandoned = true;
        throw VoiceError(
            QStringLiteral("speech-dispatcher did not answer within %1 seconds.").arg(bound.count() / 1000.0));
    }
    if (!attempt->connection)
        throw VoiceError(QStringLiteral("Cannot connect to speech-dispatcher: %1")
                             .arg(QString::fromLocal8Bit(attempt->error.c_str())));
    return attempt->connection;
}

} // namespace

struct SpeechdEngine::Channel
{
    SPDConnection* connection = nullptr;
    int clientId = -1;
    int configuredVolume = 100;
    int currentVolume = 100;
};

SpeechdEngine::SpeechdEngine(std::chrono::milliseconds connectBound)
    : m_connectBound(connectBound)
    , m_plain(std::make_unique<Channel>())
    , m_punctuated(std::make_unique<Channel>())
    , m_echo(std::make_unique<Channel>())
    , m_echoPunctuated(std::make_unique<Channel>())
{
}

SpeechdEngine::~SpeechdEngine()
{
    close();
}

int SpeechdEngine::serviceVolume(int level)
{
    return std::clamp(level, 0, 100) * 2 - 100;
}

bool SpeechdEngine::answers(std::chrono::milliseconds bound)
{
    try {
        spd_close(openBounded("probe", bound));
        return true;
    } catch (const VoiceError&) {
        return false;
    }
}

int SpeechdEngine::priorityOf(SpeechKind kind, bool screenReaderRunning)
{
    if (kind != SpeechKind::Echo)
        return SPD_MESSAGE;
    return screenReaderRunning ? SPD_NOTIFICATION : SPD_TEXT;
}

void SpeechdEngine::open()
{
    ignoreBrokenPipeInThisThread();
    connect(*m_plain, "main", false, false);
}

void SpeechdEngine::close()
{
    for (Channel* channel : { m_plain.get(), m_punctuated.get(), m_echo.get(), m_echoPunctuated.get() })
        disconnect(*channel);
}

void SpeechdEngine::connect(Channel& channel, const char* name, bool allPunctuation, bool echo)
{
    SPDConnection* connection = openBounded(name, m_connectBound);
    connection->callback_begin = onBegun;
    connection->callback_end = onFinished;
    connection->callback_cancel = onFinished;
    spd_set_notification_on(connection, SPD_BEGIN);
    spd_set_notification_on(connection, SPD_END);
    spd_set_notification_on(connection, SPD_CANCEL);
    spd_set_data_mode(connection, SPD_DATA_TEXT);
    if (allPunctuation)
        spd_set_punctuation(connection, SPD_PUNCT_ALL);
    const int volume = spd_get_volume(connection);
    channel.configuredVolume = (volume >= -100 && volume <= 100) ? volume : 100;
    channel.currentVolume = channel.configuredVolume;
    channel.clientId = spd_get_client_id(connection);
    channel.connection = connection;
    if (echo) {
        std::lock_guard lock(m_mutex);
        m_echoClients[allPunctuation ? 1 : 0] = channel.clientId;
    }
    std::lock_guard lock(registryMutex);
    enginesByClient[channel.clientId] = this;
}

void SpeechdEngine::disconnect(Channel& channel)
{
    if (!channel.connection)
        return;
    {
        std::lock_guard lock(registryMutex);
        enginesByClient.erase(channel.clientId);
    }
    spd_close(channel.connection);
    {
        std::lock_guard lock(m_mutex);
        for (int& echoClient : m_echoClients) {
            if (echoClient == channel.clientId)
                echoClient = -1;
        }
    }
    channel = Channel {};
}

SpeechdEngine::Channel& SpeechdEngine::channelFor(const SpeechRequest& request)
{
    const bool echo = request.kind != SpeechKind::Event;
    const bool all = request.speakPunctuation;
    Channel& channel = echo ? (all ? *m_echoPunctuated : *m_echo) : (all ? *m_punctuated : *m_plain);
    if (!channel.connection) {
        const char* name = echo ? (all ? "echo-punctuation" : "echo") : (all ? "punctuation" : "main");
        connect(channel, name, all, echo);
    }
    return channel;
}

void SpeechdEngine::setVolume(Channel& channel, int volume)
{
    if (volume == channel.currentVolume)
        return;
    spd_set_volume(channel.connection, volume);
    channel.currentVolume = volume;
}

bool SpeechdEngine::isSilent(const SpeechRequest& request)
{
    return request.volume && *request.volume <= 0;
}

void SpeechdEngine::speak(const SpeechRequest& request, const CutOff&)
{
    if (isSilent(request))
        return;
    Channel& channel = channelFor(request);
    setVolume(channel, request.volume ? serviceVolume(*request.volume) : channel.configuredVolume);
    const int messageId
        = spd_say(channel.connection, static_cast<SPDPriority>(priorityOf(request.kind, m_screenReaderRunning)),
                  request.text.toUtf8().constData());
    if (messageId < 0) {
        // The service went away; the next request connects again.
        disconnect(channel);
        throw VoiceError(QStringLiteral("speech-dispatcher did not accept the text."));
    }
    // Only events are ever waited for; the order of their ends is what a blocking request relies on.
    if (request.kind != SpeechKind::Event)
        return;
    std::lock_guard lock(m_mutex);
    m_lastSent = static_cast<std::size_t>(messageId);
    m_unfinished.emplace_back(m_lastSent, request.text.size());
    if (m_unfinished.size() > maxTrackedMessages) // a service that never reports must not make us grow
        m_unfinished.pop_front();
}

std::chrono::milliseconds SpeechdEngine::speakingAllowance(qsizetype characters)
{
    constexpr std::chrono::milliseconds base { 4000 };
    constexpr std::chrono::milliseconds perCharacter { 150 };
    return base + perCharacter * characters;
}

void SpeechdEngine::waitUntilSpoken(Deadline deadline, const CutOff& cutOff)
{
    std::unique_lock lock(m_mutex);
    qsizetype unspoken = 0;
    for (const auto& message : m_unfinished)
        unspoken += message.second;
    const auto now = std::chrono::steady_clock::now();
    deadline = std::min(deadline, now + (m_stalled ? stalledWaitBound : speakingAllowance(unspoken)));
    const std::size_t awaited = m_lastSent;
    const bool spoken = m_event.wait_until(lock, deadline, [&] { return cutOff || m_highestFinished >= awaited; });
    if (!spoken)
        m_stalled = true;
}

// Message ids grow and one priority is spoken in order, so any later event ending means ours has too.
// Echo goes at another priority and may end before earlier events: its ends say nothing.
void SpeechdEngine::onMessageEvent(int clientId, std::size_t messageId, bool finished)
{
    {
        std::lock_guard lock(m_mutex);
        if (!finished || clientId == m_echoClients[0] || clientId == m_echoClients[1])
            return;
        m_stalled = false;
        m_highestFinished = std::max(m_highestFinished, messageId);
        while (!m_unfinished.empty() && m_unfinished.front().first <= messageId)
            m_unfinished.pop_front();
    }
    m_event.notify_all();
}

// A key cuts its own echo and answers, never a station event: only the echo connections are cancelled.
void SpeechdEngine::purge()
{
    for (Channel* channel : { m_echo.get(), m_echoPunctuated.get() }) {
        if (channel->connection)
            spd_cancel(channel->connection);
    }
}

void SpeechdEngine::wake()
{
    {
        std::lock_guard lock(m_mutex);
    }
    m_event.notify_all();
}
