#pragma once
// The alarm-log monitor's reading of EchoLink's "Alarm Log" text at each station list: whether the log grew,
// which part of it is new, what the chat pane shows and what is announced.
//
// An entry, as read here, is a time token (from two characters before its first ":" up to the next space), a
// space, a callsign token (up to the next space), a space and a state word of which only the first two
// characters count. Entries may be laid out in any lines: the reading moves by colons and spaces only. Where a
// space is missing the token is empty and the state code is the first two characters left.
//
// The log is measured whole, however long it gets; only the newest TailLength characters of what was added are
// shown and read, so the cost of a look does not grow with the log.

#include <QList>
#include <QString>
#include <QStringList>
#include <QStringView>
#include <functional>

namespace AlarmLog {

// Of a longer new part only this many characters, the newest, are shown and read.
constexpr qsizetype TailLength = 108;
// At most this many entries of the new part are announced; more are shown in the pane only.
constexpr int MaxEntries = 4;
// The time of the first entry is announced with at most this many characters.
constexpr qsizetype TimeLength = 5;
// "New Alarm Received" is said only for a log longer than this.
constexpr qsizetype NewAlarmMinLength = 9;

inline const QString NewAlarmWords = QStringLiteral("New Alarm Received");

// Spells a callsign for the voice (the phonetic alphabet in production).
using Speller = std::function<QString(const QString&)>;

struct Input
{
    qsizetype previousLength = 0; // AlarmLogLength: the length at the last look
    QString text; // the whole alarm-log text now; empty when EchoLink's window cannot be read
    bool announce = true; // AlarmMsgAnnounce: when off, the log is only measured
    bool notTransmitting = true; // NotTransmitting: while EchoLink transmits, nothing is spoken
};

struct Entry
{
    QString callsign; // as written in the log; the caller spells it
    QString suffix; // " on", " off", " busy", or the two characters of a state this reading does not know

    friend bool operator==(const Entry&, const Entry&) = default;
};

struct Look
{
    qsizetype newLength = 0; // the next AlarmLogLength: always the length of the text read
    bool parsed = false; // the log grew while announcements are on: the pane line and entries below apply
    bool sayNewAlarm = false; // NewAlarmWords is said before anything else
    bool speak = false; // the time and entries are said (EchoLink is not transmitting)
    QString paneLine; // written to the chat pane as one AppendChatLine; may hold line breaks
    QString timeText; // the first entry's time token cut to TimeLength
    QList<Entry> entries; // one to MaxEntries when parsed; the first is always there, tokens possibly empty

    // Each text said through SpeakWithVolume, in order: the new-alarm words, the first entry's time, then every
    // entry as its spelled callsign followed by its suffix. Empty texts, which would say nothing, are left out.
    QStringList utterances(const Speller& spell) const;

    // The next LastAlarmText: the entries as spoken, joined by single blanks, whether or not they were said.
    // previous is kept when nothing was parsed.
    QString lastAlarmText(const Speller& spell, const QString& previous) const;
};

// One look at the log. Whether this is the first station list does not matter: the length at start is 0, so the
// first look reads the tail of whatever the log already holds.
Look look(const Input& input);

// The spoken suffix for a state code (its first two characters).
QString stateSuffix(QStringView code);

} // namespace AlarmLog
