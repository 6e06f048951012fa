#pragma once

#include "speech/SpeechRequest.h"

#include <atomic>
#include <chrono>

// What a speech queue drives: one engine, called only from the queue's worker thread (apart from
// wake()), so an engine that is not thread-safe needs no locks of its own. Failures throw VoiceError.
class SpeechEngine
{
public:
    using Deadline = std::chrono::steady_clock::time_point;
    // Set by the queue when the utterance being handled is cut off by a purge or by shut-down.
    using CutOff = std::atomic<bool>;

    virtual ~SpeechEngine() = default;

    // Worker thread, before anything else; throws VoiceError when the engine cannot be used.
    virtual void open() { }
    // Worker thread, last of all.
    virtual void close() { }

    // Worker thread. Hands one utterance to the engine and returns when the engine is done with it:
    // spoken or cut off for an engine that sounds by itself, accepted for one that queues by itself.
    virtual void speak(const SpeechRequest& request, const CutOff& cutOff) = 0;

    // Worker thread, after speak() of a blocking request: returns once that utterance has been spoken
    // or cut off, or at the deadline at the latest. Engines whose speak() already waits need nothing.
    virtual void waitUntilSpoken(Deadline deadline, const CutOff& cutOff)
    {
        (void)deadline;
        (void)cutOff;
    }

    // Worker thread, before a purging request: silence and drop the answers and echo the engine itself
    // still holds; station events go on (an engine that speaks one text at a time has nothing to do: the
    // queue cuts its current text through the cut-off flag when that is echo).
    virtual void purge() { }

    // Any thread: a cut-off flag has just been set; make a waiting speak() or waitUntilSpoken() notice.
    virtual void wake() { }
};
