#include "chat/ChatLine.h"

#include "chat/ChatJournal.h"
#include "chat/CommandDecoder.h"
#include "chat/Panes.h"
#include "echolink/EchoLinkSession.h"
#include "echolink/StationRoster.h"
#include "echolink/TransmitControl.h"
#include "platform/Clock.h"
#include "platform/EventLoop.h"
#include "platform/TimerTable.h"
#include "speech/Announcer.h"
#include "speech/OptionBoxes.h"

ChatLine::ChatLine(const ChatLineParts& parts, QObject* parent)
    : QObject(parent)
    , m_parts(parts)
    , m_timerClearText(Timers::make(TimerId::TimerClearText, parts.clock, this))
{
    // Every Tx/Rx press that keys or unkeys clears the line a moment later.
    connect(&parts.transmit, &TransmitControl::txRxPressed, m_timerClearText, [this] { m_timerClearText->start(); });
}

void ChatLine::sendChat(const QString& text)
{
    const QString line = m_parts.roster.myCallsign() + QStringLiteral("> ") + text;
    m_parts.panes.AppendChatLine(line);
    m_parts.session.SendChatText(text);
    m_parts.journal.addLogEntry(QStringLiteral("TxText"), line);
    letPendingMessagesRun();
    m_parts.view.clearChatLine();
}

void ChatLine::connectTo(const QString& text)
{
    m_parts.panes.AppendChatLine(m_parts.roster.myCallsign() + QStringLiteral(">Connecting To: ") + text);
    // Set first: the connected event can arrive before the call returns.
    m_connectRequest = text;
    try {
        m_parts.session.Connect1(text.toUpper(), true);
    } catch (const EchoLinkError& e) {
        m_connectRequest.clear();
        m_parts.panes.AppendChatLine(QStringLiteral(">") + e.message());
        m_parts.view.clearChatLine();
        m_parts.announcer.SpeakToMeNow(e.message());
        m_parts.view.focusChatLine();
    }
}

bool ChatLine::holdsOperatorText() const
{
    const QString text = m_parts.view.chatLineText();
    return !text.isEmpty() && text != m_connectRequest;
}

void ChatLine::edtChatKeyPress(const QString& key)
{
    const QString text = m_parts.view.chatLineText();
    const bool connected = m_parts.roster.isConnected();
    if (key == u"\r") {
        if (text.startsWith(QLatin1Char('/'))) {
            m_parts.commands.CmdDecode(text);
            return;
        }
        if (connected) {
            sendChat(text);
        } else if (text.startsWith(QLatin1Char('.'))) {
            m_parts.announcer.SpeakToMeNow(QStringLiteral("Invalid call sign. You started call with a full stop"));
            m_parts.view.clearChatLine();
            return;
        } else if (!text.isEmpty()) {
            connectTo(text);
        }
    }

    // Common tail for every key that was not a command or a refused call.
    if (!text.isEmpty() && !m_parts.roster.isConnected())
        m_parts.view.showConnectionState(ConnectionState::ConnectRequestTyped);
    if (key == u" " && text.isEmpty() && m_parts.roster.isConnected())
        m_parts.view.pressTransmit();
    if (m_parts.options.keyboardSpeak()) {
        const bool spaceInQso = key == u" " && m_parts.roster.isConnected();
        if (!spaceInQso || !text.isEmpty())
            KeyBoardSpeak(key);
    }
}

void ChatLine::elEchoLinkSessionChatTextReceived(const QString& text)
{
    m_parts.journal.addLogEntry(QStringLiteral("RxText"), text);
    const qsizetype p = text.indexOf(QLatin1Char('>')) + 1;
    const QString sender = text.left(p);
    const QString message = text.mid(p);
    m_parts.panes.AppendChatLine(timeOfDayText(m_parts.clock) + QLatin1Char(' ') + sender + QLatin1Char(' ') + message);
    m_lastChatText = message;
    if (m_parts.options.speakMessage())
        m_parts.announcer.SpeakWithVolume(message);
    if (m_parts.commands.remoteEnabled() && message.startsWith(QLatin1Char('.')))
        m_parts.commands.CmdDecode(message.toUpper());
}

void ChatLine::btnChatClearClick()
{
    m_parts.panes.clearBothPanes();
}

void ChatLine::TimerClearTextTimer()
{
    m_timerClearText->stop();
    m_parts.view.clearChatLine();
}

void ChatLine::Button2Click()
{
    m_parts.view.showChatLog();
}

void ChatLine::KeyBoardSpeak(const QString& key)
{
    if (m_keyEcho)
        m_keyEcho(key);
}
