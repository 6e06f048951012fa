#pragma once

#include "speech/SpeechEngine.h"

#include <QtGlobal>
#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <utility>

// speech-dispatcher, the user's own speech service: the voice, rate and output module the user chose
// there are left as they are. Messages go in as plain text at message priority and the service queues
// them, so speak() returns once a message is accepted; a blocking request then waits for the end or
// cancel event of its own message. Two connections keep the user's punctuation setting untouched: one
// as configured, one that speaks all punctuation (messages of one priority share the service's queue,
// so order holds across both). Purge cancels only what our own connections sent.
class SpeechdEngine : public SpeechEngine
{
public:
    static constexpr std::chrono::milliseconds defaultConnectBound { 3000 };
    // Once the service has let one blocking wait run out (its output module died and no end events
    // come), later waits give up after this much until the service is heard from again.
    static constexpr std::chrono::milliseconds stalledWaitBound { 1500 };

    // How long a blocking request may wait when this many characters are still to be spoken before it
    // ends: generous for slow voices, yet a dead output module costs seconds, not the whole bound.
    static std::chrono::milliseconds speakingAllowance(qsizetype characters);

    explicit SpeechdEngine(std::chrono::milliseconds connectBound = defaultConnectBound);
    ~SpeechdEngine() override;

    void open() override;
    void close() override;
    void speak(const SpeechRequest& request, const CutOff& cutOff) override;
    void waitUntilSpoken(Deadline deadline, const CutOff& cutOff) override;
    void purge() override;
    void wake() override;

    // Our volume 0..100 on the service's scale -100..100.
    static int serviceVolume(int level);
    // The service's lowest volume is still clearly audible, so a request at volume 0 is never sent: it
    // is complete, and silent, without reaching the service.
    static bool isSilent(const SpeechRequest& request);

    // Called on the connection's reader thread for the events of our messages.
    void onMessageEvent(std::size_t messageId, bool finished);

private:
    struct Channel; // one connection to the service

    Channel& channelFor(const SpeechRequest& request);
    void connect(Channel& channel, const char* name, bool allPunctuation);
    void disconnect(Channel& channel);
    void setVolume(Channel& channel, int volume);

    const std::chrono::milliseconds m_connectBound;
    std::unique_ptr<Channel> m_plain;
    std::unique_ptr<Channel> m_punctuated;
    std::mutex m_mutex;
    std::condition_variable m_event;
    std::deque<std::pair<std::size_t, qsizetype>> m_unfinished; // message id, characters
    std::size_t m_lastSent = 0;
    std::size_t m_highestFinished = 0;
    bool m_stalled = false;
};
