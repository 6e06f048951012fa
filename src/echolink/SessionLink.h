#pragma once

#include "echolink/EchoLinkSession.h"

// The window's hold on EchoLink: forwards every operation and event to and from the real session until
// it is released by the close sequence. After that no event arrives, and an operation that a late timer
// tick or a second close still asks for does nothing and reads as "nothing there", never touching a
// session that is shutting down.
class SessionLink : public EchoLinkSession
{
    Q_OBJECT
public:
    explicit SessionLink(EchoLinkSession& session, QObject* parent = nullptr);

    void release();
    bool isReleased() const { return m_session == nullptr; }

    void setEchoLinkExePath(const QString& path) override;
    void Connect1(const QString& station, bool wait) override;
    void Disconnect1(const QString& station) override;
    void DisconnectAll() override;
    void Transmit(bool on) override;
    void SendChatText(const QString& text) override;
    void RefreshStationList(bool wait) override;
    void Reset() override;
    void Shutdown() override;
    void Quit() override;
    bool Receiving() override;
    bool Transmitting() override;
    QString SystemConfigCallsign() override;
    QString AlarmLogText() override;
    QList<StationDirectory::Entry> StationList() override;

private:
    EchoLinkSession* m_session;
};
