#pragma once

#include <QList>
#include <QString>

// One request to the speech operations, as a rule decides it and before the window makes it: which
// operation and the exact text. Rules return lists of these so they can be tested without a voice.
enum class SpeakOp
{
    Queued, // SpeakToMeNow: after whatever is being said
    Purge, // SpeakToMeNowPurge: cuts off what is being said
    Sync, // SpeakToMeNowSync: blocks until it has been said
};

struct Utterance
{
    SpeakOp op;
    QString text;

    bool operator==(const Utterance&) const = default;
};

using Utterances = QList<Utterance>;
