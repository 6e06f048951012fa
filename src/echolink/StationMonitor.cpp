// The station list, the alarm-log monitor, the talker display and the alarm event.
#include "echolink/StationMonitor.h"

#include "chat/Panes.h"
#include "echolink/AlarmLogParse.h"
#include "echolink/EchoLinkSession.h"
#include "echolink/StationRoster.h"
#include "echolink/StationTextSplit.h"
#include "echolink/TransmitControl.h"
#include "platform/EventLoop.h"
#include "platform/Platform.h"
#include "speech/Announcer.h"
#include "speech/OptionBoxes.h"
#include "speech/Phonetics.h"

StationMonitor::StationMonitor(const StationMonitorParts& parts, QObject* parent)
    : QObject(parent)
    , m_parts(parts)
{
}

void StationMonitor::elEchoLinkSessionStationListReceived()
{
    letPendingMessagesRun();
    if (!m_firstListReceived) {
        m_parts.view.bringToFront();
        m_firstListReceived = true;
    } else if (!m_parts.options.notBringToFront()) {
        letPendingMessagesRun();
        m_parts.view.raiseWindow();
    }
    watchAlarmLog();
}

// The whole log is read however long it is, so its length keeps growing and every new entry is found.
QString StationMonitor::readAlarmLog()
{
    try {
        return m_parts.session.AlarmLogText();
    } catch (const EchoLinkError&) {
        // A log that cannot be read counts as an empty one, as a closed log window does.
        return QString();
    }
}

void StationMonitor::watchAlarmLog()
{
    const AlarmLog::Look look
        = AlarmLog::look({ m_alarmLogLength, readAlarmLog(), m_alarmMsgAnnounce, m_parts.transmit.notTransmitting() });
    m_alarmLogLength = look.newLength;
    if (!look.parsed)
        return;

    const AlarmLog::Speller spell = [](const QString& call) { return Phonetics::strToPhonetics(call); };
    QStringList said = look.utterances(spell);
    // The new-alarm words come before the pane line, the entries after it.
    if (look.sayNewAlarm)
        m_parts.announcer.SpeakWithVolume(said.takeFirst());
    m_parts.panes.AppendChatLine(look.paneLine);
    for (const QString& text : said)
        m_parts.announcer.SpeakWithVolume(text);
    m_lastAlarmText = look.lastAlarmText(spell, m_lastAlarmText);
}

void StationMonitor::elEchoLinkSessionStationTextReceived(const QString& text)
{
    StationMonitorView& view = m_parts.view;
    view.clearTalker();
    // Slot 0 takes the text when no station is counted; a count past the arrays keeps to the last slot.
    m_parts.roster.setStationText(m_parts.roster.topSlot(), text);

    const StationText::Split split = StationText::split(text);
    if (split.hasTalker) {
        view.showTalker(split.talkingNowCaption());
        view.showStatusTalker(split.statusText());
    } else {
        view.showStatusTalker(QString());
    }
    m_parts.panes.clearStationPane();
    for (const QString& line : split.paneLines())
        m_parts.panes.AppendStationLine(line);
    view.showStationPaneEnd();
}

void StationMonitor::elEchoLinkSessionAlarm(const QString&, int)
{
    m_parts.platform.beep();
    m_parts.panes.AppendChatLine(QStringLiteral("> Alarm received"));
}
