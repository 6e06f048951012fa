#pragma once

#include <QString>
#include <optional>

// One utterance as a backend sees it once the speak flags and the volume tag have been read: plain
// text only, so no engine ever gets markup built from text that came from outside.
struct SpeechRequest
{
    QString text;
    std::optional<int> volume; // 0..100; empty means the engine's own (the user's) volume
    bool purge = false; // cut off what is speaking and drop what is queued, then speak this
    bool async = true; // false: the caller waits until this text has been spoken
    bool speakPunctuation = false;

    bool operator==(const SpeechRequest&) const = default;
};
