#pragma once

#include "EchoLinkPackets.h"

#include <QByteArray>
#include <QtGlobal>
#include <functional>

// At most `perSecond` events a second on average, `burst` at once; what goes beyond is refused.
class RateLimit
{
public:
    RateLimit(double perSecond, double burst);
    bool take(qint64 nowMs);

private:
    double perMs_;
    double burst_;
    double tokens_;
    qint64 last_ = -1;
};

// One QSO with one station, as a state machine without sockets or timers of its own: the owner hands it
// what arrives and the time, and it answers with what changed. Sending goes through one function, which
// never calls back into the QSO, so no handler ever runs inside another.
//   calling out:  Connecting (our SDES every CallRetryMs) -> Connected on its SDES, or ended after
//                 ConnectTimeoutMs ("did not answer") or by its BYE ("refused the connection")
//   taking a call: Connected at once (our SDES and station information go back)
//   Connected:    our SDES every KeepAliveMs; no SDES from the station for LinkTimeoutMs ends it
//   hanging up:   BYE sent, then Disconnecting for LingerMs, in which late packets are taken and dropped
class EchoLinkQso
{
public:
    static constexpr qint64 CallRetryMs = 2000;
    static constexpr qint64 ConnectTimeoutMs = 20000;
    static constexpr qint64 KeepAliveMs = 10000;
    static constexpr qint64 LinkTimeoutMs = 50000;
    static constexpr qint64 LingerMs = 2000;
    // Receiving stays on this long after the last audio packet (a packet holds 80 ms).
    static constexpr qint64 ReceivingHoldMs = 600;

    enum class State { Connecting, Connected, Disconnecting, Disconnected };
    enum class End { None, DidNotAnswer, Refused, HungUpHere, HungUpThere, TimedOut };
    enum class Step { Nothing, Connected, Ended };
    enum class Port { Audio, Control };

    struct Own
    {
        QByteArray callsign; // Windows-1252, as sent
        QByteArray name;
        QByteArray info;
        qint64 connectTimeoutMs = ConnectTimeoutMs;
    };
    using Send = std::function<void(Port, const QByteArray&)>;

    // A call out (incoming false) or a call taken (incoming true; the station's SDES was checked already).
    EchoLinkQso(const Own& own, Send send, bool incoming, qint64 nowMs);

    State state() const { return state_; }
    End end() const { return end_; }
    bool incoming() const { return incoming_; }
    // From its SDES: raw bytes, decoded once by whoever shows them.
    const EchoLinkPackets::Description& remote() const { return remote_; }

    Step controlReceived(const EchoLinkPackets::Control& control, qint64 nowMs);
    Step tick(qint64 nowMs);
    void hangUp(qint64 nowMs);

    // Each station gets a bounded share: packets beyond it are dropped and counted (flooded() says so).
    // Nothing is taken once the QSO has ended.
    bool admitAudio(qint64 nowMs);
    bool admitText(qint64 nowMs);
    bool admitControl(qint64 nowMs);
    quint64 dropped() const { return dropped_; }
    bool live() const { return state_ == State::Connecting || state_ == State::Connected; }

    bool receiving(qint64 nowMs) const;
    void sendInfo(const QByteArray& info);
    // "CALL>message": our own chat, or another station's relayed in a conference.
    void sendChat(const QByteArray& callsign, const QByteArray& message);
    // A whole "CALL>message" line as another station wrote it.
    void sendChatLine(const QByteArray& line);
    // Audio goes only to a connected station; each gets its own sequence numbers.
    void sendAudio(quint8 payloadType, const QByteArray& payload);

private:
    void sendDescription();
    Step finish(End why, qint64 nowMs);

    Own own_;
    Send send_;
    bool incoming_;
    State state_;
    End end_ = End::None;
    EchoLinkPackets::Description remote_;
    qint64 started_;
    qint64 lastSent_;
    qint64 lastHeard_;
    qint64 endedAt_ = 0;
    qint64 lastAudio_ = -1;
    quint16 sequence_ = 0;
    quint64 dropped_ = 0;
    RateLimit audioRate_ { 40, 40 }; // 12.5 a second are sent
    RateLimit textRate_ { 5, 10 };
    RateLimit controlRate_ { 5, 10 };
};
