#include "chat/CommandDecoder.h"

#include "chat/AwayReply.h"
#include "chat/MemoryButtons.h"
#include "chat/Panes.h"
#include "echolink/EchoLinkSession.h"
#include "echolink/StationRoster.h"
#include "platform/EventLoop.h"
#include "speech/Announcer.h"
#include "speech/OptionBoxes.h"

using Commands::Action;
using Box = CommandView::Box;

CommandDecoder::CommandDecoder(const CommandParts& parts)
    : m_parts(parts)
{
}

void CommandDecoder::CmdDecode(const QString& commandText)
{
    // Whatever the operator was typing goes, also for a received command and for text that is no command.
    m_parts.view.clearChatLine();
    // Every code begins with its family's character, so the first character picks the only table that can match.
    const auto family = commandText.startsWith(u'.') ? Commands::Family::Remote : Commands::Family::Local;
    const Commands::Context context { m_parts.roster.isConnected(), m_parts.roster.connectedCall() };
    perform(Commands::decode(commandText, family, context));
}

void CommandDecoder::perform(const Commands::Decoded& command)
{
    switch (command.action) {
    case Action::None:
        return;
    case Action::StoreButton:
        m_parts.memories.StoreCallButton(command.button, command.argument);
        return;
    case Action::AlarmsOn:
    case Action::AlarmsOff:
        m_parts.view.setAlarmMsgAnnounce(command.action == Action::AlarmsOn);
        speak(command.spoken);
        return;
    case Action::TimerBellOn:
    case Action::TimerBellOff:
        m_parts.view.setTimerBell(command.action == Action::TimerBellOn);
        speak(command.spoken);
        return;
    case Action::SetAwayMessage:
        setAwayMessage(command);
        return;
    case Action::RemoteOff:
        // The remote time-out keeps running: it still speaks and brings the colour saved at switch-on back.
        // The red goes at once, to the colour from before the switch-on: a fixed black would leave the text
        // invisible on the black or navy panes of most colour schemes.
        m_remoteEnabled = false;
        m_parts.view.setChatTextColor(m_parts.view.chatTextColorBeforeRemote());
        speak(command.spoken);
        return;
    case Action::SendButtonList:
        sendButtonList();
        return;
    case Action::ResetEchoLink:
        resetEchoLink(command.spoken);
        return;
    case Action::SaveSettings:
        saveSettings(command.spoken);
        return;
    default:
        performSwitch(command.action);
        return;
    }
}

// The option boxes: the box first (its click behaviour speaks and moves the focus, only on a change), then
// the flag, in either case.
void CommandDecoder::performSwitch(Action action)
{
    OptionBoxes& options = m_parts.options;
    switch (action) {
    case Action::AwayOn:
    case Action::AwayOff:
        setBox(Box::Away, action == Action::AwayOn);
        m_parts.away.setAwayActive(action == Action::AwayOn);
        return;
    case Action::SpeakMessagesOn:
    case Action::SpeakMessagesOff:
        setBox(Box::Speak, action == Action::SpeakMessagesOn);
        options.setSpeakMessage(action == Action::SpeakMessagesOn);
        return;
    case Action::ButtonAnnounceOn:
    case Action::ButtonAnnounceOff:
        setBox(Box::ButtonAnnounce, action == Action::ButtonAnnounceOn);
        options.setButtonAnnounce(action == Action::ButtonAnnounceOn);
        return;
    case Action::KeySpeakOn:
    case Action::KeySpeakOff:
        setBox(Box::KeySpeak, action == Action::KeySpeakOn);
        options.setKeyboardSpeak(action == Action::KeySpeakOn);
        return;
    default:
        return;
    }
}

void CommandDecoder::setBox(Box box, bool checked)
{
    if (m_parts.view.boxChecked(box) != checked)
        m_parts.view.setBoxChecked(box, checked);
}

void CommandDecoder::speak(const QString& words)
{
    if (!words.isEmpty())
        m_parts.announcer.SpeakToMeNow(words);
}

// The away message is one line like every setting, so a line break sent along becomes a blank.
void CommandDecoder::setAwayMessage(const Commands::Decoded& command)
{
    m_parts.view.setAbsentText(MemoryButtons::sanitizedCaption(command.argument));
    m_parts.announcer.SpeakToMeNow(command.spoken + m_parts.view.absentText());
}

void CommandDecoder::sendButtonList()
{
    const QString myCallsign = m_parts.roster.myCallsign();
    const QString list = MemoryButtons::listText(myCallsign, m_parts.memories.captions());
    m_parts.session.SendChatText(list);
    m_parts.panes.AppendChatLine(myCallsign + QStringLiteral("> ") + list);
    letPendingMessagesRun();
}

void CommandDecoder::resetEchoLink(const QString& words)
{
    speak(words);
    m_parts.view.awaitFirstStationList();
    m_parts.session.Reset();
}

// A save that failed has already said so; only a file really written is confirmed to the remote operator.
void CommandDecoder::saveSettings(const QString& words)
{
    if (m_parts.view.saveSettings() && !words.isEmpty())
        m_parts.announcer.SpeakToMeNowPurge(words);
}
