#pragma once

#include "chat/CommandTable.h"

#include <QString>

class Announcer;
class AwayReply;
class EchoLinkSession;
class MemoryPanel;
class OptionBoxes;
class Panes;
class StationRoster;

// What the command decoder needs of the window and of the subsystems beyond the chat.
class CommandView
{
public:
    enum class Box
    {
        Away, // cbCheckAway
        Speak, // SpeakCheckBox
        ButtonAnnounce, // ButtonAnnounceCheckBox
        KeySpeak, // KeySpeakCheckBox
    };

    virtual ~CommandView() = default;
    virtual void clearChatLine() = 0;
    virtual bool boxChecked(Box box) const = 0;
    // Gives a box a state; a box whose state changes runs its click behaviour as a click would.
    virtual void setBoxChecked(Box box, bool checked) = 0;
    virtual QString absentText() const = 0;
    virtual void setAbsentText(const QString& text) = 0;
    // The chat pane's text colour, 0x00BBGGRR.
    virtual void setChatTextColor(quint32 bgr) = 0;
    // The chat pane's text colour from before remote commands were switched on.
    virtual quint32 chatTextColorBeforeRemote() const = 0;
    virtual void setAlarmMsgAnnounce(bool on) = 0;
    virtual void setTimerBell(bool on) = 0;
    // The next station list raises the window again, as after start-up.
    virtual void awaitFirstStationList() = 0;
    // Writes the settings file; true when it was written (the save reports either outcome itself).
    virtual bool saveSettings() = 0;
};

struct CommandParts
{
    StationRoster& roster;
    EchoLinkSession& session;
    Announcer& announcer;
    OptionBoxes& options;
    Panes& panes;
    MemoryPanel& memories;
    AwayReply& away;
    CommandView& view;
};

// Commands typed in the chat line with "/" or received in chat with "." while remote commands are enabled.
// The codes, their order and their conditions are the command table's; this carries out what it decodes.
class CommandDecoder
{
public:
    explicit CommandDecoder(const CommandParts& parts);

    bool remoteEnabled() const { return m_remoteEnabled; }
    void setRemoteEnabled(bool on) { m_remoteEnabled = on; }

    // Empties the chat line whatever the text, then runs the command it holds, if any.
    void CmdDecode(const QString& commandText);

private:
    void perform(const Commands::Decoded& command);
    void performSwitch(Commands::Action action);
    void setBox(CommandView::Box box, bool checked);
    void speak(const QString& words);
    void setAwayMessage(const Commands::Decoded& command);
    void sendButtonList();
    void resetEchoLink(const QString& words);
    void saveSettings(const QString& words);

    CommandParts m_parts;
    bool m_remoteEnabled = false;
};
