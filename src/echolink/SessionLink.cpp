#include "echolink/SessionLink.h"

SessionLink::SessionLink(EchoLinkSession& session, QObject* parent)
    : EchoLinkSession(parent)
    , m_session(&session)
{
    connect(&session, &EchoLinkSession::OnClosing, this, &EchoLinkSession::OnClosing);
    connect(&session, &EchoLinkSession::OnTX, this, &EchoLinkSession::OnTX);
    connect(&session, &EchoLinkSession::OnConnected, this, &EchoLinkSession::OnConnected);
    connect(&session, &EchoLinkSession::OnDisconnected, this, &EchoLinkSession::OnDisconnected);
    connect(&session, &EchoLinkSession::OnStationListReceived, this, &EchoLinkSession::OnStationListReceived);
    connect(&session, &EchoLinkSession::OnChatTextReceived, this, &EchoLinkSession::OnChatTextReceived);
    connect(&session, &EchoLinkSession::OnStationTextReceived, this, &EchoLinkSession::OnStationTextReceived);
    connect(&session, &EchoLinkSession::OnAlarm, this, &EchoLinkSession::OnAlarm);
    connect(&session, &EchoLinkSession::OnLinkStatusChange, this, &EchoLinkSession::OnLinkStatusChange);
    connect(&session, &EchoLinkSession::OnProtocolError, this, &EchoLinkSession::OnProtocolError);
}

void SessionLink::release()
{
    if (m_session)
        disconnect(m_session, nullptr, this, nullptr);
    m_session = nullptr;
}

void SessionLink::Connect1(const QString& station, bool wait)
{
    if (m_session)
        m_session->Connect1(station, wait);
}

void SessionLink::setEchoLinkExePath(const QString& path)
{
    if (m_session)
        m_session->setEchoLinkExePath(path);
}

void SessionLink::Disconnect1(const QString& station)
{
    if (m_session)
        m_session->Disconnect1(station);
}

void SessionLink::DisconnectAll()
{
    if (m_session)
        m_session->DisconnectAll();
}

void SessionLink::Transmit(bool on)
{
    if (m_session)
        m_session->Transmit(on);
}

void SessionLink::SendChatText(const QString& text)
{
    if (m_session)
        m_session->SendChatText(text);
}

void SessionLink::RefreshStationList(bool wait)
{
    if (m_session)
        m_session->RefreshStationList(wait);
}

void SessionLink::Reset()
{
    if (m_session)
        m_session->Reset();
}

void SessionLink::Shutdown()
{
    if (m_session)
        m_session->Shutdown();
}

void SessionLink::Quit()
{
    if (m_session)
        m_session->Quit();
}

bool SessionLink::Receiving()
{
    return m_session && m_session->Receiving();
}

bool SessionLink::Transmitting()
{
    return m_session && m_session->Transmitting();
}

QString SessionLink::SystemConfigCallsign()
{
    return m_session ? m_session->SystemConfigCallsign() : QString();
}

QString SessionLink::AlarmLogText()
{
    return m_session ? m_session->AlarmLogText() : QString();
}

QList<StationDirectory::Entry> SessionLink::StationList()
{
    return m_session ? m_session->StationList() : QList<StationDirectory::Entry> {};
}
