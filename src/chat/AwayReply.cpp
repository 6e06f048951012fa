#include "chat/AwayReply.h"

#include "chat/Panes.h"
#include "echolink/EchoLinkSession.h"
#include "echolink/StationRoster.h"
#include "platform/Clock.h"
#include "platform/TimerTable.h"
#include "speech/Announcer.h"
#include "speech/OptionBoxes.h"

const QString AwayReply::ReplySuffix = QStringLiteral(" [Google for \"Corvane\"]");

AwayReply::AwayReply(const AwayReplyParts& parts, QObject* parent)
    : QObject(parent)
    , m_parts(parts)
    , m_timer1(Timers::make(TimerId::Timer1, parts.clock, this))
{
}

void AwayReply::stationConnected()
{
    // Starting a running timer would move its deadline on.
    if (!m_timer1->isActive())
        m_timer1->start();
}

void AwayReply::cbCheckAwayClick(bool checked)
{
    m_awayActive = checked;
    if (checked)
        m_parts.announcer.SpeakToMeNow(QStringLiteral("Away Message Active ") + m_parts.view.absentText(),
                                       SpeechKind::Answer);
    else
        m_parts.announcer.SpeakToMeNow(QStringLiteral("Away Message Off"), SpeechKind::Answer);
    m_parts.view.focusHomeControl();
}

QChar AwayReply::cbCheckAwayKeyPress(QChar key)
{
    return key == QChar(u' ') ? QChar() : key;
}

// The reply answers the connection, not the station's chat: it goes out even when the station has left
// meanwhile, and it is not logged.
void AwayReply::Timer1Timer()
{
    m_timer1->stop();
    if (!m_awayActive)
        return;
    const QString text = m_parts.view.absentText();
    m_parts.session.SendChatText(text + ReplySuffix);
    m_parts.panes.AppendChatLine(m_parts.roster.myCallsign() + QStringLiteral("> ") + text);
}

void AwayReply::edtAbsentKeyPress(QChar key, const QString& textBefore)
{
    if (!m_parts.options.keyboardSpeak() || !m_keyEcho)
        return;
    if (key == QChar(u' ') && textBefore.isEmpty())
        return;
    m_keyEcho(key);
}
