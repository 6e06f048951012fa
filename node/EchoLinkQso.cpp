#include "EchoLinkQso.h"

#include <algorithm>

using namespace EchoLinkPackets;

RateLimit::RateLimit(double perSecond, double burst)
    : perMs_(perSecond / 1000.0)
    , burst_(burst)
    , tokens_(burst)
{
}

bool RateLimit::take(qint64 nowMs)
{
    if (last_ >= 0 && nowMs > last_)
        tokens_ = std::min(burst_, tokens_ + double(nowMs - last_) * perMs_);
    last_ = std::max(last_, nowMs);
    if (tokens_ < 1)
        return false;
    tokens_ -= 1;
    return true;
}

EchoLinkQso::EchoLinkQso(const Own& own, Send send, bool incoming, qint64 nowMs)
    : own_(own)
    , send_(std::move(send))
    , incoming_(incoming)
    , state_(incoming ? State::Connected : State::Connecting)
    , started_(nowMs)
    , lastSent_(nowMs)
    , lastHeard_(nowMs)
{
    sendDescription();
    if (incoming_)
        sendInfo(own_.info);
}

void EchoLinkQso::sendDescription()
{
    send_(Port::Control, buildDescription(own_.callsign, own_.name));
}

EchoLinkQso::Step EchoLinkQso::controlReceived(const Control& control, qint64 nowMs)
{
    if (state_ == State::Disconnected)
        return Step::Nothing;
    if (state_ == State::Disconnecting) {
        if (control.kind == ControlKind::Description)
            send_(Port::Control, buildBye()); // it has not heard ours yet
        return Step::Nothing;
    }
    if (control.kind == ControlKind::Bye) {
        if (state_ == State::Connecting)
            return finish(End::Refused, nowMs);
        return finish(End::HungUpThere, nowMs);
    }
    if (control.kind != ControlKind::Description)
        return Step::Nothing;
    lastHeard_ = nowMs;
    if (remote_.callsign.isEmpty() || !control.description.callsign.isEmpty()) {
        // The first description names the station; later ones may not rename it.
        const QByteArray call = remote_.callsign;
        remote_ = control.description;
        if (!call.isEmpty())
            remote_.callsign = call;
    }
    if (state_ == State::Connecting) {
        state_ = State::Connected;
        sendInfo(own_.info);
        return Step::Connected;
    }
    return Step::Nothing;
}

EchoLinkQso::Step EchoLinkQso::tick(qint64 nowMs)
{
    switch (state_) {
    case State::Connecting:
        if (nowMs - started_ >= own_.connectTimeoutMs)
            return finish(End::DidNotAnswer, nowMs);
        if (nowMs - lastSent_ >= CallRetryMs) {
            lastSent_ = nowMs;
            sendDescription();
        }
        return Step::Nothing;
    case State::Connected:
        if (nowMs - lastHeard_ >= LinkTimeoutMs)
            return finish(End::TimedOut, nowMs);
        if (nowMs - lastSent_ >= KeepAliveMs) {
            lastSent_ = nowMs;
            sendDescription();
        }
        return Step::Nothing;
    case State::Disconnecting:
        if (nowMs - endedAt_ >= LingerMs)
            state_ = State::Disconnected;
        return Step::Nothing;
    case State::Disconnected:
        return Step::Nothing;
    }
    return Step::Nothing;
}

void EchoLinkQso::hangUp(qint64 nowMs)
{
    if (state_ == State::Disconnecting || state_ == State::Disconnected)
        return;
    finish(End::HungUpHere, nowMs);
}

EchoLinkQso::Step EchoLinkQso::finish(End why, qint64 nowMs)
{
    end_ = why;
    // A station that said BYE or never answered needs none; the others are told.
    if (why == End::HungUpHere || why == End::DidNotAnswer || why == End::TimedOut)
        send_(Port::Control, buildBye());
    state_ = State::Disconnecting;
    endedAt_ = nowMs;
    lastAudio_ = -1;
    return Step::Ended;
}

bool EchoLinkQso::admitAudio(qint64 nowMs)
{
    // What the station sends before its SDES arrives counts: the two ports race.
    if (state_ != State::Connected && state_ != State::Connecting)
        return false;
    if (!audioRate_.take(nowMs)) {
        ++dropped_;
        return false;
    }
    lastAudio_ = nowMs;
    return true;
}

bool EchoLinkQso::admitText(qint64 nowMs)
{
    if (state_ != State::Connected && state_ != State::Connecting)
        return false;
    if (!textRate_.take(nowMs)) {
        ++dropped_;
        return false;
    }
    return true;
}

bool EchoLinkQso::admitControl(qint64 nowMs)
{
    if (!controlRate_.take(nowMs)) {
        ++dropped_;
        return false;
    }
    return true;
}

bool EchoLinkQso::receiving(qint64 nowMs) const
{
    return state_ == State::Connected && lastAudio_ >= 0 && nowMs - lastAudio_ < ReceivingHoldMs;
}

void EchoLinkQso::sendInfo(const QByteArray& info)
{
    if (state_ == State::Connected)
        send_(Port::Audio, buildInfo(info));
}

void EchoLinkQso::sendChat(const QByteArray& callsign, const QByteArray& message)
{
    if (state_ == State::Connected)
        send_(Port::Audio, buildChat(callsign, message));
}

void EchoLinkQso::sendChatLine(const QByteArray& line)
{
    if (state_ == State::Connected)
        send_(Port::Audio, buildChatLine(line));
}

void EchoLinkQso::sendAudio(quint8 payloadType, const QByteArray& payload)
{
    if (state_ == State::Connected)
        send_(Port::Audio, buildAudio(sequence_++, payloadType, payload));
}
