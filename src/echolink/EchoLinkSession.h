#pragma once

#include "echolink/EchoLinkWire.h"
#include "echolink/StationDirectory.h"

#include <QObject>
#include <QString>
#include <stdexcept>

// A failed EchoLink operation; the message is shown and spoken as it stands.
class EchoLinkError : public std::runtime_error
{
public:
    explicit EchoLinkError(const QString& message)
        : std::runtime_error(message.toStdString())
    {
    }
    QString message() const { return QString::fromStdString(what()); }
};

// EchoLink's automation session: the operations Corvane calls and the events EchoLink raises.
// Every operation may throw EchoLinkError. Events are delivered on the user-interface thread
// through the event loop, never from inside an operation call.
class EchoLinkSession : public QObject
{
    Q_OBJECT
public:
    using QObject::QObject;

    // EchoLink's program file, as the start-up knows it: a session that finds no EchoLink to attach to
    // at its first attach starts this one. Sessions that cannot start anything ignore it.
    virtual void setEchoLinkExePath(const QString& path) { (void)path; }

    virtual void Connect1(const QString& station, bool wait) = 0;
    virtual void Disconnect1(const QString& station) = 0;
    virtual void DisconnectAll() = 0;
    virtual void Transmit(bool on) = 0;
    virtual void SendChatText(const QString& text) = 0;
    virtual void RefreshStationList(bool wait) = 0;
    virtual void Reset() = 0;
    virtual void Shutdown() = 0;
    virtual void Quit() = 0;
    virtual bool Receiving() = 0;
    virtual bool Transmitting() = 0;
    // SystemConfig.Callsign: the operator's own callsign.
    virtual QString SystemConfigCallsign() = 0;
    // The text of EchoLink's alarm-log window; empty when it cannot be read.
    virtual QString AlarmLogText() = 0;
    // The station directory as EchoLink holds it now. An EchoLink that keeps none refuses with the reason.
    virtual QList<StationDirectory::Entry> StationList()
    {
        throw EchoLinkError(QStringLiteral("This EchoLink keeps no station directory"));
    }

signals:
    void OnClosing();
    void OnTX(bool on);
    void OnConnected(const QString& call, const QString& name, const QString& address);
    void OnDisconnected(const QString& call);
    void OnStationListReceived();
    void OnChatTextReceived(const QString& text);
    void OnStationTextReceived(const QString& text);
    void OnAlarm(const QString& station, int status);
    void OnLinkStatusChange(bool enabled);
    // EchoLink sent something that is not a well-formed message (an event with missing or mistyped
    // arguments, a line that is not valid UTF-8 or not JSON, one that is neither an event nor a reply)
    // while no call waited for an answer. Nothing else comes of it; the message says what was wrong,
    // never the text that was sent. Delivered through the event loop, in order with the events.
    void OnProtocolError(const QString& message);
};

// Raises the session's signal for one event of the wire table, whose arguments have the table's types
// (as EchoLinkWire::readEvent gives them). The socket client and the fakes raise events through this.
void raiseEvent(EchoLinkSession& session, const EchoLinkWire::IncomingEvent& event);
