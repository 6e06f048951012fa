#pragma once

#include <QObject>
#include <QString>

class Announcer;
class ChatJournal;
class Clock;
class ConnectionView;
class EchoLinkSession;
class OptionBoxes;
class Panes;
class StationRoster;
class Timer;
class TransmitControl;

struct ConnectionParts
{
    StationRoster& roster;
    EchoLinkSession& session;
    Announcer& announcer;
    OptionBoxes& options;
    Panes& panes;
    ChatJournal& journal;
    TransmitControl& transmit;
    Clock& clock;
    ConnectionView& view;
};

// Stations connecting and leaving, and the operator's connect and disconnect requests.
class ConnectionControl : public QObject
{
    Q_OBJECT
public:
    explicit ConnectionControl(const ConnectionParts& parts, QObject* parent = nullptr);

    Timer& disconnectTimer() { return *m_disconnectTimer; }

    void elEchoLinkSessionConnected(const QString& call, const QString& name, const QString& address);
    void elEchoLinkSessionDisconnected(const QString& call);
    void DoConnect(const QString& callsign);
    void btnLastConnectClick();
    void btnDisconnectClick();
    void btnDisconnectLastClick();
    void DisconnectTimerTimer();

signals:
    // A station connected and was announced; the away reply counts its five seconds from here.
    void stationConnected();

private:
    void refuseBeyondMaximum(const QString& call, const QString& name);
    // True when the operator's chat line and the focus were left as they were.
    bool showArrival(const QString& call, const QString& name, const QString& address);
    void conferenceMemberLeft(const QString& call);
    void lastStationLeft(const QString& call);
    QString timeText() const;

    ConnectionParts m_parts;
    Timer* m_disconnectTimer;
};
