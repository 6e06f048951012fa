#include "speech/KeyboardMap.h"

#include "app/Lifecycle.h"
#include "app/Settings.h"
#include "app/ShutDown.h"
#include "chat/ChatLine.h"
#include "chat/CommandDecoder.h"
#include "echolink/ConnectionControl.h"
#include "echolink/StationMonitor.h"
#include "echolink/StationRoster.h"
#include "platform/Clock.h"
#include "platform/EventLoop.h"
#include "platform/Platform.h"
#include "platform/TimerTable.h"
#include "speech/Announcer.h"
#include "speech/ColorSchemes.h"
#include "speech/DisplaySettings.h"
#include "speech/OptionBoxes.h"

using KeyMap::KeyAction;

KeyboardMap::KeyboardMap(const KeyboardMapParts& parts, QObject* parent)
    : QObject(parent)
    , m_parts(parts)
    , m_timerCheckBoxTimeOut(Timers::make(TimerId::TimerCheckBoxTimeOut, parts.clock, this))
    , m_timerF9TimeOut(Timers::make(TimerId::TimerF9TimeOut, parts.clock, this))
{
}

bool KeyboardMap::FormKeyDown(int qtKey, Qt::KeyboardModifiers modifiers, Focus focus)
{
    KeyMap::KeyContext context;
    context.isConnected = m_parts.roster.isConnected();
    context.speakMessage = m_parts.options.speakMessage();
    context.volumeBarHasFocus = focus == Focus::VolumeBar;
    const KeyMap::KeyOutcome outcome = KeyMap::keyDown(qtKey, modifiers, context);
    run(outcome.action, focus);
    return outcome.consumed;
}

void KeyboardMap::run(KeyAction action, Focus focus)
{
    switch (action) {
    case KeyAction::None:
        return;
    case KeyAction::SpeakHelp:
        return speakHelp();
    case KeyAction::SpeakStationInfo:
        return speakStationInfo();
    case KeyAction::BackspaceFeedback:
        return backspaceFeedback(focus);
    case KeyAction::SpeakConference:
        return m_parts.announcer.SpeakCallSign(m_parts.roster.conferenceCalls(), SpeechKind::Answer);
    case KeyAction::SpeakLastStation:
        return speakLastStation();
    case KeyAction::SpeakLastTexts:
        return speakLastTexts();
    case KeyAction::OptionAway:
    case KeyAction::OptionSpeak:
    case KeyAction::OptionButtonAnnounce:
    case KeyAction::OptionKeySpeak:
        return optionKey(action);
    case KeyAction::ToggleRemoteCommands:
        return toggleRemoteCommands();
    case KeyAction::NextColorScheme:
        return nextColorScheme();
    case KeyAction::ToggleShutDown:
        return toggleShutDown();
    case KeyAction::OpenAccountSetup:
        return m_parts.view.openAccountSetup();
    case KeyAction::DisconnectAll:
        return m_parts.connections.btnDisconnectClick();
    case KeyAction::ReConnect:
        return m_parts.connections.btnLastConnectClick();
    case KeyAction::SpeakTime:
        return speakTime();
    case KeyAction::OpenDirectory:
        return m_parts.view.openDirectory();
    }
}

void KeyboardMap::FormKeyUp()
{
    m_chatTextAtKeyUp = m_parts.view.chatLineText();
    m_absentTextAtKeyUp = m_parts.view.absentLineText();
}

void KeyboardMap::speakHelp()
{
    for (const QString& sentence : KeyMap::helpSentences())
        m_parts.announcer.SpeakToMeNow(sentence, SpeechKind::Answer);
}

void KeyboardMap::speakStationInfo()
{
    m_parts.platform.beep();
    m_parts.announcer.SpeakToMeNow(KeyMap::StationInfoIntro, SpeechKind::Answer);
    m_parts.announcer.SpeakStationInfo(m_parts.view.stationPaneText(), SpeechKind::Answer);
}

void KeyboardMap::speakLastStation()
{
    const QString last = m_parts.roster.lastStation();
    if (last.isEmpty())
        return;
    m_parts.announcer.SpeakCallSign(last, SpeechKind::Answer);
    m_parts.announcer.SpeakToMeNow(KeyMap::LastStationSuffix, SpeechKind::Answer);
}

void KeyboardMap::speakLastTexts()
{
    // The speech operations skip empty texts themselves.
    m_parts.announcer.SpeakToMeNow(m_parts.chatLine.lastChatText(), SpeechKind::Answer);
    m_parts.announcer.SpeakToMeNow(m_parts.stations.lastAlarmText(), SpeechKind::Answer);
}

// The box announces itself on gaining the focus (which purges what was being said); the key's sentence
// follows. Each press gives the operator ten more seconds to toggle the box with Space. The speech
// options' keys (F6, F7, F8) also take back Corvane's own echo from a screen reader.
void KeyboardMap::optionKey(KeyAction action)
{
    const KeyMap::OptionKey key = KeyMap::optionKey(action);
    if (action != KeyAction::OptionAway)
        m_parts.announcer.leaveEchoToScreenReader(false);
    m_timerCheckBoxTimeOut->stop();
    m_parts.view.focusControl(key.checkBox);
    m_parts.announcer.SpeakToMeNow(key.sentence, SpeechKind::Echo);
    m_timerCheckBoxTimeOut->start();
}

void KeyboardMap::TimerCheckBoxTimeOutTimer()
{
    m_timerCheckBoxTimeOut->stop();
    m_parts.view.focusHomeControl();
}

void KeyboardMap::toggleRemoteCommands()
{
    KeyboardMapView& view = m_parts.view;
    CommandDecoder& commands = m_parts.commands;
    if (commands.remoteEnabled()) {
        commands.setRemoteEnabled(false);
        m_parts.announcer.SpeakToMeNow(KeyMap::RemoteDisabledText, SpeechKind::Answer);
        view.setChatPaneTextColor(commands.chatColorBeforeRemote());
        m_timerF9TimeOut->stop();
        return;
    }
    commands.setRemoteEnabled(true);
    commands.setChatColorBeforeRemote(view.chatPaneTextColor());
    m_parts.announcer.SpeakToMeNow(KeyMap::RemoteEnabledText, SpeechKind::Answer);
    view.setChatPaneTextColor(KeyMap::RemoteChatColor);
    m_timerF9TimeOut->start();
}

// Ten minutes after F9 enabled them, however much they were used since.
void KeyboardMap::TimerF9TimeOutTimer()
{
    m_timerF9TimeOut->stop();
    m_parts.commands.setRemoteEnabled(false);
    m_parts.announcer.SpeakToMeNow(KeyMap::RemoteTimeOutText);
    m_parts.view.setChatPaneTextColor(m_parts.commands.chatColorBeforeRemote());
}

// The number is saved with the other settings; nothing is said.
void KeyboardMap::nextColorScheme()
{
    DisplaySettings& display = m_parts.display;
    display.setColorSetNumber(ColorSchemes::nextSchemeNumber(display.colorSetNumber()));
    display.ApplyColorScheme();
    display.takeTalkingNowColor();
    // The new colours are painted before the focus moves.
    letPendingMessagesRun();
    m_parts.view.focusChatLine();
}

// The count-down is longer than the warning says; what its end does belongs to the shut-down.
void KeyboardMap::toggleShutDown()
{
    if (m_parts.lifecycle.shutdownPending()) {
        m_parts.announcer.SpeakToMeNow(KeyMap::ShutDownCancelled);
        m_parts.shutDown.cancelCountDown();
        return;
    }
    m_parts.settings.SaveSettings();
    letPendingMessagesRun();
    m_parts.shutDown.startCountDown();
    m_parts.announcer.SpeakToMeNow(KeyMap::ShutDownWarning);
    m_parts.announcer.SpeakToMeNow(KeyMap::ShutDownSeconds);
}

void KeyboardMap::speakTime()
{
    m_parts.announcer.SpeakToMeNow(KeyMap::TimeIntro + timeOfDayText(m_parts.clock), SpeechKind::Answer);
}

namespace {
KeyNames::BackspaceFocus backspaceFocus(KeyboardMap::Focus focus)
{
    switch (focus) {
    case KeyboardMap::Focus::ChatLine:
        return KeyNames::BackspaceFocus::ChatLine;
    case KeyboardMap::Focus::AbsentLine:
        return KeyNames::BackspaceFocus::AbsentLine;
    case KeyboardMap::Focus::TextPane:
        return KeyNames::BackspaceFocus::TextPane;
    default:
        return KeyNames::BackspaceFocus::Other;
    }
}
} // namespace

// At key-down, before the edit line removes the character: the character is the last one of the line as
// it stood at the previous key release, wherever the caret is.
void KeyboardMap::backspaceFeedback(Focus focus)
{
    const QString& textAtKeyUp = focus == Focus::AbsentLine ? m_absentTextAtKeyUp : m_chatTextAtKeyUp;
    const KeyNames::BackspaceFeedback feedback = KeyNames::backspaceFeedback(
        backspaceFocus(focus), textAtKeyUp, m_parts.options.keyboardSpeak(), m_parts.options.speakMessage());
    if (focus == Focus::ChatLine)
        m_chatDeletedChar = feedback.deletedChar;
    else if (focus == Focus::AbsentLine)
        m_absentDeletedChar = feedback.deletedChar;
    say(feedback.speech);
}

void KeyboardMap::KeyBoardSpeak(const QString& key, Focus focus)
{
    bool nothingDeleted = false;
    if (focus == Focus::ChatLine)
        nothingDeleted = m_chatDeletedChar.isEmpty();
    else if (focus == Focus::AbsentLine)
        nothingDeleted = m_absentDeletedChar.isEmpty();
    say(KeyNames::KeyBoardSpeak(key, nothingDeleted));
}

// Key echo and the Backspace feedback: echo, which never holds the window, not even for the deleted
// character that the operation says to wait for.
void KeyboardMap::say(const Utterances& speech)
{
    Announcer& announcer = m_parts.announcer;
    for (const Utterance& u : speech) {
        switch (u.op) {
        case SpeakOp::Queued:
            announcer.SpeakToMeNow(u.text, SpeechKind::Echo);
            break;
        case SpeakOp::Purge:
            announcer.SpeakToMeNowPurge(u.text, SpeechKind::Echo);
            break;
        case SpeakOp::Sync:
            announcer.SpeakToMeNowSync(u.text, SpeechKind::Echo);
            break;
        }
    }
}
