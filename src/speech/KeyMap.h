#pragma once

#include "platform/TimerTable.h"

#include <QString>
#include <QStringList>
#include <Qt>

// The window-level function-key map: every key-down reaches it before the focused control. It decides
// which action a key stands for and whether the key is consumed (the focused control then does not see
// its key-down; the character a consumed letter key types still reaches an edit line). Carrying out the
// action is the window's part.
namespace KeyMap {

enum class KeyAction
{
    None,
    SpeakHelp, // F1: HelpSentences, each queued, in order
    SpeakStationInfo, // F2 with message speaking on: beep, StationInfoIntro, then the station pane's text
    BackspaceFeedback, // see KeyNames::backspaceFeedback
    SpeakConference, // F3 while connected: the callsigns of all connected stations
    SpeakLastStation, // F3 otherwise: the last station and LastStationSuffix, nothing when there is none
    SpeakLastTexts, // F4: the last chat text, then the last alarm text, each only when not empty
    OptionAway, // F5 to F8: the option key for that check box (see optionKey)
    OptionSpeak,
    OptionButtonAnnounce,
    OptionKeySpeak,
    ToggleRemoteCommands, // F9
    NextColorScheme, // F10 while not connected
    ToggleShutDown, // F12
    OpenAccountSetup, // Ctrl+O: the EchoLink account and audio set-up
    DisconnectAll, // Ctrl+D
    ReConnect, // Alt+R
    SpeakTime, // Alt+T: TimeIntro followed by the local time of day
    OpenDirectory, // Ctrl+L: the station directory
};

// What the window knows at the moment of the key-down.
struct KeyContext
{
    bool isConnected = false;
    bool speakMessage = true;
    bool volumeBarHasFocus = false;
};

struct KeyOutcome
{
    KeyAction action = KeyAction::None;
    bool consumed = false;

    bool operator==(const KeyOutcome&) const = default;
};

// qtKey is a Qt::Key; modifiers are the keyboard state at the moment of the call (Ctrl and Alt matter
// only for D, R, T, L and O; Shift never matters). L and O are consumed only with Ctrl alone, so that they
// type as ever. An auto-repeated key-down gives the same outcome again.
KeyOutcome keyDown(int qtKey, Qt::KeyboardModifiers modifiers, const KeyContext& context);

// The check box an option key moves the focus to and the sentence it says after the box's own
// announcement.
struct OptionKey
{
    QString checkBox; // object name
    QString sentence;
};
OptionKey optionKey(KeyAction action);

// F5 to F8 go back to the home control this long after the last of them; F9's remote commands switch
// themselves off after ten minutes; F12 counts down this long before the computer is switched off.
constexpr int CheckBoxTimeOutMs = Timers::intervalMs(TimerId::TimerCheckBoxTimeOut);
constexpr int RemoteTimeOutMs = Timers::intervalMs(TimerId::TimerF9TimeOut);
constexpr int ShutDownCountDownMs = Timers::intervalMs(TimerId::ShutDownTimer);

// The chat pane's text is red (0x00BBGGRR) while remote commands are enabled.
constexpr quint32 RemoteChatColor = 0x0000FF;

// F1.
const QStringList& helpSentences();

inline const QString StationInfoIntro = QStringLiteral("Station Info BackSpace will cancel. ");
inline const QString LastStationSuffix = QStringLiteral("Was the Last connected Station");
inline const QString AwaySentence = QStringLiteral("Away Tick. Space To Toggle");
inline const QString SpeakSentence = QStringLiteral("Speak Tick. Space To Toggle");
inline const QString ButtonSpeakSentence = QStringLiteral("Button Speak Tick. Space To Toggle");
inline const QString KeySpeakSentence = QStringLiteral("Key Speak Tick. Space To Toggle");
inline const QString RemoteEnabledText = QStringLiteral("Remote Commands Enabled");
inline const QString RemoteDisabledText = QStringLiteral("Remote Commands Disabled");
inline const QString RemoteTimeOutText = QStringLiteral("Remote Time Out, Remote Commands Disabled");
inline const QString ShutDownWarning = QStringLiteral("Shuting down Computer, Press Function 12 to cancel");
// The count-down is 18 seconds; the warning has always said 15.
inline const QString ShutDownSeconds = QStringLiteral("You Have 15 seconds");
inline const QString ShutDownCancelled = QStringLiteral("Cancelled Shut Down");
inline const QString TimeIntro = QStringLiteral("The time is ");

} // namespace KeyMap
