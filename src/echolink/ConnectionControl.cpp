// Connection control: the record of connected stations and the operator's connect and disconnect requests.
#include "echolink/ConnectionControl.h"

#include "chat/ChatJournal.h"
#include "chat/ChatLine.h"
#include "chat/Panes.h"
#include "echolink/ConnectionView.h"
#include "echolink/EchoLinkSession.h"
#include "echolink/StationRoster.h"
#include "echolink/TransmitControl.h"
#include "platform/Clock.h"
#include "platform/EventLoop.h"
#include "platform/TimerTable.h"
#include "speech/Announcer.h"
#include "speech/OptionBoxes.h"

using Button = ConnectionView::Button;

ConnectionControl::ConnectionControl(const ConnectionParts& parts, QObject* parent)
    : QObject(parent)
    , m_parts(parts)
    , m_disconnectTimer(Timers::make(TimerId::DisconnectTimer, parts.clock, this))
{
}

QString ConnectionControl::timeText() const
{
    return timeOfDayText(m_parts.clock);
}

void ConnectionControl::refuseBeyondMaximum(const QString& call, const QString& name)
{
    m_parts.panes.AppendChatLine(
        timeText() + QStringLiteral(">Connection To: ") + name + QLatin1Char(' ') + call
        + QStringLiteral(". Will be disconnected in 5 Seconds, Exceeded Maximum number of stations."));
    m_parts.session.SendChatText(call
                                 + QStringLiteral(" Sorry too many connections, Disconnecting, Please try Later. "));
    letPendingMessagesRun();
    m_disconnectTimer->start();
}

bool ConnectionControl::showArrival(const QString& call, const QString& name, const QString& address)
{
    StationRoster& roster = m_parts.roster;
    ConnectionView& view = m_parts.view;
    view.showConnectionInfo(QString());
    roster.setConnectedCall(call);
    if (roster.connectionCount() == 1) {
        roster.setConferenceCalls(call);
        view.showConnectionInfo(call + QLatin1Char(' ') + name + QLatin1Char(' ') + address);
    } else {
        view.showConnectionInfo(roster.conferenceInfo(QStringLiteral(" + ")));
    }
    view.showLookUpPath(QStringLiteral("/db/") + call);

    view.showConnectionState(roster.connectionCount() < 2 ? ConnectionState::FirstStation
                                                          : ConnectionState::FurtherStation);
    // An operator in the middle of a chat line keeps it and the focus: the next Space typed must not key the
    // transmitter, on Tx/Rx or in an emptied line.
    const bool keysKept = m_parts.chatLine.holdsOperatorText();
    if (!keysKept)
        view.focusButton(Button::TxRx);
    roster.setConnected(true);
    if (!keysKept)
        view.clearChatLine();
    return keysKept;
}

void ConnectionControl::elEchoLinkSessionConnected(const QString& call, const QString& name, const QString& address)
{
    StationRoster& roster = m_parts.roster;
    roster.countArrival();
    letPendingMessagesRun();
    m_parts.view.showStationCount(QString::number(roster.connectionCount()));

    if (roster.connectionCount() > MaxStations)
        refuseBeyondMaximum(call, name);
    roster.storeArrival(call, name);
    const bool keysKept = showArrival(call, name, address);

    m_parts.panes.AppendChatLine(timeText() + QStringLiteral(">Connected To: ") + name + QLatin1Char(' ') + call);
    m_parts.journal.addLogEntry(QStringLiteral("Connect"), name + QLatin1Char(' ') + call);

    emit stationConnected();
    letPendingMessagesRun();
    m_parts.view.bringToFront();

    m_parts.announcer.SpeakCallSign(roster.connectedCall());
    if (keysKept)
        m_parts.announcer.SpeakToMeNow(QStringLiteral("Your text is kept. Keys stay in ")
                                       + m_parts.view.focusedControlName());
    m_parts.transmit.setNotTransmitting(true);
}

void ConnectionControl::elEchoLinkSessionDisconnected(const QString& call)
{
    m_parts.roster.countDeparture();
    m_parts.view.showStationCount(QString::number(m_parts.roster.connectionCount()));
    if (m_parts.roster.connectionCount() > 0)
        conferenceMemberLeft(call);
    else
        lastStationLeft(call);
}

void ConnectionControl::conferenceMemberLeft(const QString& call)
{
    StationRoster& roster = m_parts.roster;
    if (roster.connectionCount() < 2)
        m_parts.view.showConnectionState(ConnectionState::OneStationLeft);
    m_parts.announcer.SpeakCallSign(call);
    m_parts.announcer.SpeakToMeNow(QStringLiteral(" has disconnected from conference"));
    m_parts.panes.AppendChatLine(timeText() + QLatin1Char('>') + call
                                 + QStringLiteral(" Disconnected From Conference."));
    m_parts.view.showConnectionInfo(roster.conferenceInfo(QStringLiteral(" - ")));
    m_parts.panes.clearStationPane();
    m_parts.panes.AppendStationLine(roster.stationText(roster.topSlot()));
}

void ConnectionControl::lastStationLeft(const QString& call)
{
    ConnectionView& view = m_parts.view;
    m_parts.roster.lastStationLeft(call);
    view.showStationCount(QStringLiteral("0"));
    view.showConnectionInfo(call + QStringLiteral(" Disconnected ") + timeText());
    m_parts.transmit.stopTransmitBar();
    view.showLookUpPath(QStringLiteral("/db/"));
    m_parts.announcer.SpeakCallSign(call);
    m_parts.announcer.SpeakToMeNow(QStringLiteral(" Disconnected At  ") + timeText());
    view.showConnectionState(ConnectionState::LastStationLeft);
    view.enableMemoryButtons();
    view.focusButton(Button::ReConnect);
    m_parts.panes.clearStationPane();
    m_parts.panes.AppendChatLine(timeText() + QStringLiteral(">Disconnected From: ") + call);
    view.clearStatusTalker();
    m_parts.journal.addLogEntry(QStringLiteral("Disconnect"), call);
    m_parts.transmit.setNotTransmitting(true);
}

void ConnectionControl::DoConnect(const QString& callsign)
{
    ConnectionView& view = m_parts.view;
    if (m_parts.options.buttonAnnounce())
        m_parts.announcer.SpeakToMeNow(QStringLiteral("Connecting"));
    view.showConnectionState(ConnectionState::Connecting);
    m_parts.panes.AppendChatLine(m_parts.roster.myCallsign() + QStringLiteral(">Connecting To: ") + callsign);
    try {
        m_parts.session.Connect1(callsign.toUpper(), true);
    } catch (const EchoLinkError& e) {
        m_parts.panes.AppendChatLine(QStringLiteral(">") + e.message());
        view.clearChatLine();
        m_parts.announcer.SpeakToMeNow(e.message());
        view.showConnectionState(ConnectionState::ConnectRefused);
        view.enableMemoryButtons();
        view.focusChatLine();
    }
}

void ConnectionControl::btnLastConnectClick()
{
    const QString typed = m_parts.view.chatLineText();
    if (!typed.isEmpty()) {
        try {
            m_parts.session.Connect1(typed.toUpper(), true);
        } catch (const EchoLinkError& e) {
            m_parts.panes.AddChatLineQuietly(QStringLiteral(">ReConnect [chat text call] ") + e.message());
            m_parts.announcer.SpeakToMeNow(QStringLiteral("ReConnect ") + e.message());
        }
        m_parts.view.clearChatLine();
        return;
    }
    const QString last = m_parts.roster.lastStation();
    if (last.isEmpty())
        return;
    try {
        m_parts.session.Connect1(last, true);
    } catch (const EchoLinkError& e) {
        m_parts.panes.AppendChatLine(QStringLiteral(">ReConnect ") + e.message());
        m_parts.announcer.SpeakToMeNow(QStringLiteral("ReConnect ") + e.message());
    }
}

void ConnectionControl::btnDisconnectLastClick()
{
    m_parts.session.Disconnect1(m_parts.roster.stationCall(m_parts.roster.topSlot()));
}

void ConnectionControl::DisconnectTimerTimer()
{
    m_disconnectTimer->stop();
    m_parts.session.Disconnect1(m_parts.roster.stationCall(m_parts.roster.topSlot()));
    for (const QString& call : m_parts.roster.takeStationsBeyondLastSlot())
        m_parts.session.Disconnect1(call);
}

void ConnectionControl::btnDisconnectClick()
{
    m_parts.session.DisconnectAll();
    letPendingMessagesRun();
    m_parts.roster.clear();
    m_parts.transmit.stopTransmitBar();
    m_parts.view.showLookUpPath(QStringLiteral("/db/"));
    m_parts.view.clearTalker();
}
