#include "speech/QueuedVoice.h"

#include "speech/VoiceMarkup.h"

QueuedVoice::QueuedVoice(std::unique_ptr<SpeechEngine> engine, std::chrono::milliseconds blockingBound)
    : m_queue(std::move(engine), blockingBound)
{
}

void QueuedVoice::speak(const QString& text, int flags)
{
    m_queue.submit(VoiceMarkup::interpret(text, flags));
}
