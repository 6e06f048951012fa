#pragma once

#include <QString>
#include <optional>

// Who may cut a text short and whether it gives way to another program's speech (a screen reader
// sharing the speech service). Decided by the announcer; the voices only carry it out.
enum class SpeechKind
{
    // Station events and anything else the operator did not ask for: arrivals, departures, received
    // chat, alarms, transmit cues, errors. Never cut by a key, never dropped; queued behind whatever
    // is being said.
    Event,
    // Answers to the operator's own keys (read-backs, help, confirmations): the next key may cut them
    // short, but they wait for another program's speech rather than being dropped.
    Answer,
    // What a screen reader says as well: focus announcements, key echo, option hints. The next key
    // cuts it; it is dropped whenever anything else is being said, so nothing is heard twice.
    Echo,
};

// One utterance as a backend sees it once the speak flags and the volume tag have been read: plain
// text only, so no engine ever gets markup built from text that came from outside.
struct SpeechRequest
{
    QString text;
    std::optional<int> volume; // 0..100; empty means the engine's own (the user's) volume
    bool purge = false; // cut off the answers and echo speaking or queued (never an event), then speak this
    bool async = true; // false: the caller waits until this text has been spoken
    bool speakPunctuation = false;
    SpeechKind kind = SpeechKind::Event;

    bool operator==(const SpeechRequest&) const = default;
};
