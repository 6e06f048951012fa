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

// speech-dispatcher, the user's own speech service, which it shares with the screen reader: the voice,
// rate and output module the user chose there are left as they are. speak() returns once a message is
// accepted; a blocking request then waits for the end or cancel event of its own message.
//
// Priorities, as measured against the service with a second client speaking at a screen reader's usual
// priority (message): "important" starts at once but cuts the other client mid-word and drops our own
// message in progress for good; "message" waits its turn and is never dropped; "text" waits behind a
// message already speaking but is cut as soon as another message arrives; "notification" is dropped
// when it arrives while anything is being said, and cut when anything arrives. A newer text or
// notification of ours cuts an older one, so echo is gathered per key (see SpeechQueue).
// So station events and answers go at "message" (heard in full, never lost, never cutting the screen
// reader). Echo goes at "notification" while a screen reader runs: given up whenever it speaks, so
// nothing is said twice. Without one it goes at "text": it waits for our own events instead of being
// lost behind a chat being read, and still gives way to anything new.
//
// Events and echo use separate connections, because a cancel acts on a whole connection: a purge
// cancels the echo connections only. Within each, a second connection speaks all punctuation, so the
// user's punctuation setting stays untouched (one priority shares the service's queue, so order holds).
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

    // Whether the service answers now: opens a connection (within the bound) and closes it again.
    static bool answers(std::chrono::milliseconds bound);

    // Our volume 0..100 on the service's scale -100..100.
    static int serviceVolume(int level);
    // The service's lowest volume is still clearly audible, so a request at volume 0 is never sent: it
    // is complete, and silent, without reaching the service.
    static bool isSilent(const SpeechRequest& request);

    // The service's priority for a kind of speech.
    static int priorityOf(SpeechKind kind, bool screenReaderRunning);
    // Set before the engine is opened.
    void setScreenReaderRunning(bool running) { m_screenReaderRunning = running; }

    // Called on the connection's reader thread for the events of our messages.
    void onMessageEvent(int clientId, std::size_t messageId, bool finished);

private:
    struct Channel; // one connection to the service

    Channel& channelFor(const SpeechRequest& request);
    void connect(Channel& channel, const char* name, bool allPunctuation, bool echo);
    void disconnect(Channel& channel);
    void setVolume(Channel& channel, int volume);

    const std::chrono::milliseconds m_connectBound;
    std::unique_ptr<Channel> m_plain;
    std::unique_ptr<Channel> m_punctuated;
    std::unique_ptr<Channel> m_echo;
    std::unique_ptr<Channel> m_echoPunctuated;
    int m_echoClients[2] = { -1, -1 }; // under m_mutex: their events tell nothing about our events' order
    std::mutex m_mutex;
    std::condition_variable m_event;
    std::deque<std::pair<std::size_t, qsizetype>> m_unfinished; // event message id, characters
    std::size_t m_lastSent = 0;
    std::size_t m_highestFinished = 0;
    bool m_stalled = false;
    bool m_screenReaderRunning = false;
};
