#pragma once
// The chat command language as data. Local commands begin with "/" and are typed by the operator; remote
// commands begin with "." and arrive as chat from a connected station. A command is its code: the first 3 or 4
// characters of the text, compared in upper case; what follows is its argument or is ignored. The rows are
// tested in their fixed order and the first whose code matches and whose condition holds acts. A code whose
// condition fails leaves the command ignored, as does text that matches no code.
//
// Decoding is pure: the controller that owns the check boxes, the memory buttons and the session carries out
// the action it returns.

#include <QString>
#include <QStringList>
#include <vector>

namespace Commands {

enum class Family
{
    Local, // "/": typed in the chat line
    Remote, // ".": received from a station while remote commands are enabled
};

enum class Condition
{
    Any,
    Connected, // IsConnected
    NotConnected, // not IsConnected
};

enum class Argument
{
    None, // whatever follows the code is ignored
    Callsign, // the upper-cased text from its 5th character on, untrimmed, line breaks made blanks
    Text, // the text as received from its 4th character on, untrimmed
    ConnectedCall, // the station that connected last, line breaks made blanks
};

enum class Action
{
    None, // nothing matched or the condition failed: the command is ignored
    StoreButton, // StoreCallButton(button, argument)
    AlarmsOn, // AlarmMsgAnnounce := true
    AlarmsOff, // AlarmMsgAnnounce := false
    TimerBellOn, // TimerBell := true
    TimerBellOff, // TimerBell := false
    SetAwayMessage, // edtAbsent := argument, then speak `spoken` + the new away message
    AwayOn, // set cbCheckAway checked (its click behaviour only on a change), then AwayActive := true
    AwayOff, // as AwayOn, unchecked, AwayActive := false
    SpeakMessagesOn, // SpeakCheckBox checked, SpeakMessage := true
    SpeakMessagesOff, // SpeakCheckBox unchecked, SpeakMessage := false
    ButtonAnnounceOn, // ButtonAnnounceCheckBox checked, ButtonAnnounce := true
    ButtonAnnounceOff, // ButtonAnnounceCheckBox unchecked, ButtonAnnounce := false
    KeySpeakOn, // KeySpeakCheckBox checked, KeyboardSpeak := true
    KeySpeakOff, // KeySpeakCheckBox unchecked, KeyboardSpeak := false
    RemoteOff, // RemoteEnabled := false, chat pane text black; the remote time-out keeps running
    SendButtonList, // MemoryButtons::listText as chat, then shown in the chat pane
    ResetEchoLink, // speak `spoken` first, then FirstListReceived := false, then EchoLink Reset
    SaveSettings, // SaveSettings; then, only when the file was written, `spoken` with purge
};

struct Row
{
    QString code; // 3 or 4 characters, upper case
    Family family;
    Condition condition;
    Action action;
    int button = 0; // 1 to 40 for the memory-button codes, else 0
    Argument argument = Argument::None;
    // Fixed words the command itself says with SpeakToMeNow (for SetAwayMessage, before the new away
    // message). Empty when it says nothing of its own: check boxes speak through their click behaviour,
    // StoreCallButton through its confirmation, SaveSettings through its own report.
    QString spoken;
};

// Every command in the order it is tested.
const std::vector<Row>& table();

struct Context
{
    bool isConnected = false; // IsConnected
    QString connectedCall; // ConnectedCall: the argument of "/C01" to "/C40"
};

struct Decoded
{
    Action action = Action::None;
    int button = 0; // 1 to 40 for StoreButton, else 0
    QString argument;
    QString spoken; // the matching row's spoken words
    QString code; // the matching row's code; empty when ignored
};

// Decodes one command of the given family. Rows of the other family never match, so received text cannot
// reach a local command.
Decoded decode(const QString& commandText, Family family, const Context& context);

// Upper case as commands compare it: only the ASCII letters a to z change, so the length is kept.
QString asciiUpper(const QString& text);

} // namespace Commands

namespace MemoryButtons {

constexpr int Count = 40;
// The caption of a button that was never programmed.
inline const QString DefaultCaption = QStringLiteral("NO CALL");

// A caption as a button holds it: every line break (CR LF, a lone CR or LF, and the other characters that
// break a line: VT, FF, NEL, U+2028, U+2029) becomes one blank, so a caption, the memory list and the
// settings file each stay one line per button. Nothing else changes.
QString sanitizedCaption(const QString& text);

// The memory list sent back for ".LB": "Call Button List For Station " + own callsign, then "B01 = " to
// "B40 = " each followed by the caption of that button, every line ended by a single CR (no LF). Captions
// beyond the fortieth are ignored; a missing one is DefaultCaption; line breaks in captions (and in the own
// callsign) become blanks, so the list always has exactly 41 lines.
QString listText(const QString& myCallsign, const QStringList& captions);

// The spoken confirmation of a store: " Added to button 0 7" for buttons 1 to 9, " Added to button 29" from 10.
QString storeConfirmation(int button);

// The text to give a push button so that it shows the caption literally: "&" is doubled, so it never
// becomes a keyboard shortcut.
QString buttonText(const QString& caption);

// The name a screen reader gives button n: "Q1AB, memory 3" (the caption without surrounding blanks);
// "memory 3" when the caption is blank.
QString accessibleName(const QString& caption, int button);

} // namespace MemoryButtons
