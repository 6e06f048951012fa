#include "speech/ReconnectingVoice.h"

#include <utility>

ReconnectingVoice::ReconnectingVoice(std::unique_ptr<Voice> standIn, Probe probe, Opener open,
                                     std::chrono::milliseconds interval, Clock now)
    : m_standIn(std::move(standIn))
    , m_probe(std::move(probe))
    , m_open(std::move(open))
    , m_interval(interval)
    , m_now(std::move(now))
{
}

ReconnectingVoice::~ReconnectingVoice()
{
    waitForProbe();
}

void ReconnectingVoice::waitForProbe()
{
    if (m_prober.joinable())
        m_prober.join();
}

void ReconnectingVoice::speak(const QString& text, int flags)
{
    speakAs(SpeechKind::Event, text, flags);
}

void ReconnectingVoice::speakAs(SpeechKind kind, const QString& text, int flags)
{
    current().speakAs(kind, text, flags);
}

void ReconnectingVoice::cancelEcho()
{
    (m_real ? *m_real : *m_standIn).cancelEcho();
}

void ReconnectingVoice::setFailureHandler(FailureHandler handler)
{
    m_failureHandler = handler;
    m_standIn->setFailureHandler(handler);
    if (m_real)
        m_real->setFailureHandler(std::move(handler));
}

// The probe that answered is acted on here, on the caller's thread; a new one starts only when the last
// has ended and the interval has passed, so a service that stays away costs one short probe per interval.
Voice& ReconnectingVoice::current()
{
    if (m_real)
        return *m_real;
    bool answered = false;
    bool probing = false;
    {
        std::lock_guard lock(m_mutex);
        answered = std::exchange(m_answered, false);
        probing = m_probing;
    }
    if (answered) {
        waitForProbe();
        try {
            m_real = m_open();
            m_real->setFailureHandler(m_failureHandler);
            m_standIn->setFailureHandler({});
            return *m_real;
        } catch (const VoiceError&) {
            // Gone again between the probe and the opening: keep trying at the usual pace.
        }
    }
    const auto now = m_now();
    const bool due = !m_probedOnce || now - m_lastProbe >= m_interval;
    if (due && !probing && m_probe) {
        waitForProbe(); // it has ended: this only collects the thread
        m_probedOnce = true;
        m_lastProbe = now;
        {
            std::lock_guard lock(m_mutex);
            m_probing = true;
        }
        m_prober = std::thread([this] {
            const bool answers = m_probe();
            std::lock_guard lock(m_mutex);
            m_answered = answers;
            m_probing = false;
        });
    }
    return *m_standIn;
}
