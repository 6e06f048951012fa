#pragma once

#include "speech/SpeechQueue.h"
#include "speech/Voice.h"

#include <chrono>
#include <memory>

// A voice whose engine sits behind our own queue: the flags and the volume tag are read here, the
// engine only ever sees plain text.
class QueuedVoice : public Voice
{
public:
    // Throws VoiceError when the engine cannot be opened.
    explicit QueuedVoice(std::unique_ptr<SpeechEngine> engine,
                         std::chrono::milliseconds blockingBound = SpeechQueue::defaultBlockingBound);

    void speak(const QString& text, int flags) override;

private:
    SpeechQueue m_queue;
};
