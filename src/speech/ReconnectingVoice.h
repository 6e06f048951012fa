#pragma once

#include "speech/Voice.h"

#include <QString>
#include <chrono>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

// A voice for a machine where the speech service could not be reached at start: requests go to the
// stand-in it was given (one that only reports why, or stays silent), and on later requests, at most
// once per interval, a background probe asks whether the service answers now. Once it does, the next
// request opens the real voice on this (the user-interface) thread and every request goes there.
// A probe never holds the caller: the request that starts one goes to the stand-in.
class ReconnectingVoice : public Voice
{
public:
    using Clock = std::function<std::chrono::steady_clock::time_point()>;
    // Background thread: true when the service answers. Must end within its own bound.
    using Probe = std::function<bool()>;
    // Caller's thread, after a probe succeeded: the real voice; throws VoiceError when it cannot open.
    using Opener = std::function<std::unique_ptr<Voice>()>;

    static constexpr std::chrono::milliseconds defaultInterval { 5000 };

    ReconnectingVoice(
        std::unique_ptr<Voice> standIn, Probe probe, Opener open, std::chrono::milliseconds interval = defaultInterval,
        Clock now = [] { return std::chrono::steady_clock::now(); });
    ~ReconnectingVoice() override;
    ReconnectingVoice(const ReconnectingVoice&) = delete;
    ReconnectingVoice& operator=(const ReconnectingVoice&) = delete;

    void speak(const QString& text, int flags) override;
    void speakAs(SpeechKind kind, const QString& text, int flags) override;
    void setFailureHandler(FailureHandler handler) override;
    void cancelEcho() override;

    // Whether the real voice has taken over.
    bool reconnected() const { return m_real != nullptr; }
    // Waits for a probe in flight (tests and shut-down).
    void waitForProbe();

private:
    Voice& current();

    std::unique_ptr<Voice> m_standIn;
    std::unique_ptr<Voice> m_real;
    Probe m_probe;
    Opener m_open;
    const std::chrono::milliseconds m_interval;
    Clock m_now;
    FailureHandler m_failureHandler;
    std::chrono::steady_clock::time_point m_lastProbe;
    bool m_probedOnce = false;

    std::mutex m_mutex;
    bool m_answered = false; // under m_mutex
    bool m_probing = false; // under m_mutex
    std::thread m_prober;
};
