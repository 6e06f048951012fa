#pragma once

#include "speech/SpeechRequest.h"

#include <QString>
#include <functional>
#include <memory>
#include <stdexcept>

// What the speech operations hand to a voice: the text and the speak flags, with the values the
// speech service of the original platform gave them, so callers stay exact about queueing and blocking.
namespace SpeakFlags {
constexpr int Async = 1;
constexpr int PurgeBeforeSpeak = 2;
constexpr int IsNotXml = 16;
constexpr int SpeakPunctuation = 64;
} // namespace SpeakFlags

class VoiceError : public std::runtime_error
{
public:
    explicit VoiceError(const QString& message)
        : std::runtime_error(message.toStdString())
    {
    }
    QString message() const { return QString::fromStdString(what()); }
};

// One voice with one call. speak() interprets the flags:
//   Async (1)            return at once; without it the call blocks until this text has been spoken
//   PurgeBeforeSpeak (2) drop what is speaking and everything queued first (with speakAs: only the
//                        answers and echo; station events are never cut)
//   IsNotXml (16)        the text is plain; without it the text may carry a volume tag
//   SpeakPunctuation (64) punctuation is spoken as words
// A failure (no engine, no audio) throws VoiceError.
// A failure that is only known after speak() has returned (an asynchronous request failing in the
// background) goes to the failure handler, once for each failing request, as it fails, on the thread
// that created the voice (the user-interface thread), through its event loop. Voices that fail only
// inside speak() never call it.
class Voice
{
public:
    using FailureHandler = std::function<void(const QString& message)>;

    virtual ~Voice() = default;
    virtual void speak(const QString& text, int flags) = 0;
    // The same with the kind of speech, which decides what a purge may cut and whether the text gives
    // way to another program's speech. Voices that cannot tell kinds apart speak it as speak() does.
    virtual void speakAs(SpeechKind kind, const QString& text, int flags)
    {
        (void)kind;
        speak(text, flags);
    }
    virtual void setFailureHandler(FailureHandler handler) { (void)handler; }
    // Drops the answers and echo not yet said, as a purge does, and says nothing: the operator moved on
    // and another program (the screen reader) speaks for this key.
    virtual void cancelEcho() { }
};

// Picks the backend: CORVANE_SPEECH_TRANSCRIPT wins, then CORVANE_VOICE=speechd|espeak|none,
// else speech-dispatcher with espeak-ng in process as the fallback; while a screen reader runs there is
// no fallback (it would talk over the screen reader) and the voice says once that it has none. Without
// speech-dispatcher, later requests try it again, at most every few seconds.
std::unique_ptr<Voice> createDefaultVoice(bool screenReaderRunning = false);
