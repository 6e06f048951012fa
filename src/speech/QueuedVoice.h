#pragma once

#include "speech/SpeechQueue.h"
#include "speech/Voice.h"

#include <QObject>
#include <chrono>
#include <memory>

// A voice whose engine sits behind our own queue: the flags and the volume tag are read here, the
// engine only ever sees plain text. Create it on the user-interface thread: failures of asynchronous
// requests are handed to the failure handler there.
class QueuedVoice : public Voice
{
public:
    // Throws VoiceError when the engine cannot be opened.
    explicit QueuedVoice(std::unique_ptr<SpeechEngine> engine,
                         std::chrono::milliseconds blockingBound = SpeechQueue::defaultBlockingBound,
                         std::chrono::milliseconds gatherWindow = SpeechQueue::defaultGatherWindow);

    void speak(const QString& text, int flags) override;
    void speakAs(SpeechKind kind, const QString& text, int flags) override;
    void setFailureHandler(FailureHandler handler) override;
    void cancelEcho() override;

private:
    // Receives the failures posted from the worker; declared before the queue, so that the worker has
    // stopped before it goes. Calls still posted when it goes are dropped with it.
    std::unique_ptr<QObject> m_homeThread;
    FailureHandler m_failureHandler; // used on the home thread only
    SpeechQueue m_queue;
};
