#pragma once

#include "EchoLinkQso.h"
#include "GsmCodec.h"
#include "StationGate.h"

#include <QElapsedTimer>
#include <QHostAddress>
#include <QObject>
#include <QStringList>
#include <QTimer>
#include <functional>
#include <memory>
#include <vector>

class AudioOutput;
class QUdpSocket;

// The node's EchoLink side: its two UDP ports (PortBase for audio and text, PortBase + 1 for control)
// and one QSO per connected station. Every datagram is judged by where it comes from: a station in a QSO
// is handled by its QSO within its share of packets; a call from anyone else goes through the gate (listed
// callsign at its listed address); everything else is dropped without a word. With two or more stations
// it is a conference: the talking station's audio goes to the speaker and to every other station, each
// chat line goes to all others as "CALL>text" (as EchoLink conferences relay it; a line that claims no
// sender, this node or another station here is put under its sender's callsign), Corvane's transmit goes
// to all, and the station information lists who is connected.
class Conference : public QObject
{
public:
    static constexpr int MaxStations = 32;
    static constexpr int TickMs = 100;
    // The talking station keeps the floor this long after its last packet.
    static constexpr qint64 FloorHoldMs = 600;

    struct Station
    {
        QByteArray callsign; // Windows-1252, as sent
        QByteArray name;
        QByteArray info;
        qint64 connectTimeoutMs = EchoLinkQso::ConnectTimeoutMs;
    };

    struct Events
    {
        // A station is in a QSO with us (called or calling); name decoded once, whole.
        std::function<void(const QString& call, const QString& name, const QString& address)> connected;
        std::function<void(const QString& call)> disconnected;
        // A call of ours ended before it was answered: "did not answer", "refused the connection", "cancelled".
        std::function<void(const QString& call, const QString& reason)> callFailed;
        std::function<void(const QString& line)> chat;
        std::function<void(const QString& text)> stationText;
        std::function<StationGate::Listing(const QString& call, const QHostAddress& address)> listing;
        std::function<void()> refreshList;
        std::function<void(const QString& text)> note;
    };

    Conference(Station own, AudioOutput& output, Events events);
    ~Conference() override;

    bool open(const QHostAddress& bind, int portBase, QString* error);
    // Calls a listed station; the description is what Corvane shows when the station gives no name.
    void call(const QString& callsign, const QHostAddress& address, const QString& description);
    void hangUp(const QString& callsign);
    void hangUpAll();
    bool has(const QString& callsign) const;
    bool hasAddress(const QHostAddress& address) const;
    int connectedCount() const;
    bool receiving() const;

    // What Corvane sends: chat to every connected station, the microphone's blocks while it transmits.
    void sendChat(const QByteArray& message);
    void transmitBlock(const qint16* samples);
    void endTransmit();
    // The list came (or could not be had): calls held for it are taken or refused.
    void listSettled();

private:
    struct Link;

    void readAudioPort();
    void readControlPort();
    void controlFrom(const QHostAddress& from, const QByteArray& datagram);
    void audioFrom(Link& link, const QByteArray& datagram);
    void textFrom(Link& link, const EchoLinkPackets::Text& text);
    bool claimsOwnSender(const Link& link, const QByteArray& line) const;
    void take(const StationGate::Attempt& attempt);
    Link& add(const QHostAddress& address, bool incoming, const QString& callsign);
    void stepped(Link& link, EchoLinkQso::Step step);
    void tick();
    void membershipChanged();
    QByteArray information() const;
    void sendTo(const QHostAddress& address, EchoLinkQso::Port port, const QByteArray& datagram);
    Link* linkAt(const QHostAddress& address) const;
    Link* linkFor(const QString& callsign) const;
    qint64 now() const { return clock_.elapsed(); }

    Station own_;
    AudioOutput& output_;
    Events events_;
    std::unique_ptr<QUdpSocket> audio_;
    std::unique_ptr<QUdpSocket> control_;
    quint16 portBase_ = 0;
    std::vector<std::unique_ptr<Link>> links_;
    StationGate gate_;
    QElapsedTimer clock_;
    QTimer ticker_;
    Link* talker_ = nullptr;
    qint64 talkerLast_ = 0;
    GsmCodec encoder_;
    std::vector<qint16> transmitBuffer_;
    quint64 strays_ = 0;
    bool listing_ = false; // the information lists the stations
};
