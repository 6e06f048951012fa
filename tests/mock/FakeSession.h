#pragma once

#include "echolink/EchoLinkSession.h"

#include <QJsonArray>
#include <QMap>
#include <QStringList>

// Records every operation as "Name(arg,arg)" and raises events on request. A failure can be armed per
// operation; properties are plain fields.
class FakeSession : public EchoLinkSession
{
public:
    QStringList calls;
    QMap<QString, QString> failNext; // operation -> message of the next call's error
    QString callsign = QStringLiteral("Q9ZZZ");
    bool transmitting = false;
    bool receiving = false;
    QString alarmLog;
    QString echoLinkExePath;

    void setEchoLinkExePath(const QString& path) override { echoLinkExePath = path; }

    void Connect1(const QString& station, bool wait) override
    {
        record(QStringLiteral("Connect1"), { station, flag(wait) });
    }
    void Disconnect1(const QString& station) override { record(QStringLiteral("Disconnect1"), { station }); }
    void DisconnectAll() override { record(QStringLiteral("DisconnectAll"), {}); }
    void Transmit(bool on) override { record(QStringLiteral("Transmit"), { flag(on) }); }
    void SendChatText(const QString& text) override { record(QStringLiteral("SendChatText"), { text }); }
    void RefreshStationList(bool wait) override { record(QStringLiteral("RefreshStationList"), { flag(wait) }); }
    void Reset() override { record(QStringLiteral("Reset"), {}); }
    void Shutdown() override { record(QStringLiteral("Shutdown"), {}); }
    void Quit() override { record(QStringLiteral("Quit"), {}); }
    bool Receiving() override
    {
        record(QStringLiteral("Receiving"), {});
        return receiving;
    }
    bool Transmitting() override
    {
        record(QStringLiteral("Transmitting"), {});
        return transmitting;
    }
    QString SystemConfigCallsign() override
    {
        record(QStringLiteral("SystemConfig.Callsign"), {});
        return callsign;
    }
    QString AlarmLogText() override
    {
        record(QStringLiteral("AlarmLogText"), {});
        return alarmLog;
    }
    QList<StationDirectory::Entry> directory;
    QList<StationDirectory::Entry> StationList() override
    {
        record(QStringLiteral("StationList"), {});
        return directory;
    }

    // EchoLink's events, raised as the real session raises them: through the signals the window is wired to.
    void raiseConnected(const QString& call, const QString& name, const QString& address)
    {
        emit OnConnected(call, name, address);
    }
    void raiseDisconnected(const QString& call) { emit OnDisconnected(call); }
    void raiseChatTextReceived(const QString& text) { emit OnChatTextReceived(text); }
    void raiseStationTextReceived(const QString& text) { emit OnStationTextReceived(text); }
    void raiseStationListReceived() { emit OnStationListReceived(); }
    void raiseAlarm(const QString& station, int status) { emit OnAlarm(station, status); }
    void raiseTX(bool on) { emit OnTX(on); }
    void raiseLinkStatusChange(bool enabled) { emit OnLinkStatusChange(enabled); }
    void raiseProtocolError(const QString& message) { emit OnProtocolError(message); }
    void raiseClosing() { emit OnClosing(); }

    // Raises an event as it would arrive on the wire: by its name, with the arguments checked against the
    // wire table. False (and nothing raised) when they do not fit it.
    bool raise(const QString& event, const QJsonArray& args = {})
    {
        const auto incoming = EchoLinkWire::readEvent(EchoLinkWire::event(event, args), nullptr);
        if (incoming)
            raiseEvent(*this, *incoming);
        return incoming.has_value();
    }

    // Calls of one operation only, without the properties read on the way.
    QStringList callsOf(const QString& op) const
    {
        QStringList result;
        for (const QString& call : calls) {
            if (call.startsWith(op + QLatin1Char('(')))
                result << call;
        }
        return result;
    }

private:
    static QString flag(bool value) { return value ? QStringLiteral("true") : QStringLiteral("false"); }
    void record(const QString& op, const QStringList& args)
    {
        calls << op + QLatin1Char('(') + args.join(QLatin1Char(',')) + QLatin1Char(')');
        if (failNext.contains(op))
            throw EchoLinkError(failNext.take(op));
    }
};
