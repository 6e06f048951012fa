#pragma once

#include "ControlCommand.h"
#include "echolink/EchoLinkWire.h"

#include <QHash>
#include <QJsonArray>
#include <QObject>
#include <QSet>
#include <QStringList>
#include <functional>
#include <optional>

// What the stand-in knows and does, without any socket: it takes one protocol line from a client,
// answers it and raises events. The server carries the lines; tests and the fuzzer call it directly.
class StandInStation : public QObject
{
    Q_OBJECT
public:
    using Task = std::function<void()>;
    using Scheduler = std::function<void(int delayMs, Task task)>;

    // EchoLink takes a moment to reach a station; a connection appears this long after the request.
    static constexpr int ConnectDelayMs = 300;
    static constexpr int StationListDelayMs = 150;
    // After Shutdown or close, time left for the session to say Quit before the stand-in ends anyway.
    static constexpr int ClosingGraceMs = 3000;

    struct Station
    {
        QString call;
        QString name;
        QString address;
    };

    struct Outcome
    {
        bool ok = true;
        QString text;
    };

    explicit StandInStation(QObject* parent = nullptr);

    // Runs delayed work; a timer on the event loop unless replaced (the fuzzer runs it at once).
    void setScheduler(Scheduler scheduler);
    void setCallsign(const QString& callsign);

    void handleLine(int client, const QByteArray& line);
    void clientLeft(int client);
    Outcome execute(const ControlCommand::Command& command);

    // How EchoLink would describe a station it reaches; nullopt when it would not find it.
    static std::optional<Station> lookUp(const QString& station);

    QList<Station> connectedStations() const { return connected_; }
    QString alarmLog() const { return alarmLog_; }
    QStringList callLog() const { return calls_; }
    bool transmitting() const { return transmitting_; }
    bool receiving() const { return receiving_; }

signals:
    void send(int client, const QByteArray& line);
    // The stand-in should end: at once, or after the grace time when nobody says Quit.
    void finishRequested(int delayMs);
    // A line for the verbose log.
    void note(const QString& text);

private:
    struct Call
    {
        int client;
        qint64 id;
        QString op;
        QJsonArray args;
    };
    using Handler = void (StandInStation::*)(const Call&);

    void handleCall(int client, qint64 id, const QString& op, const QJsonArray& args);
    void handleControl(int client, qint64 id, const QString& command);
    void answer(const Call& call, const QJsonValue& value = {});
    void refuse(int client, qint64 id, const QString& error);
    void raise(EchoLinkWire::Event event, const QJsonArray& args = {});
    void record(const Call& call);

    void connect1(const Call& call);
    void disconnect1(const Call& call);
    void disconnectAll(const Call& call);
    void transmit(const Call& call);
    void sendChatText(const Call& call);
    void refreshStationList(const Call& call);
    void reset(const Call& call);
    void shutdown(const Call& call);
    void quit(const Call& call);
    void readReceiving(const Call& call);
    void readTransmitting(const Call& call);
    void readCallsign(const Call& call);
    void readAlarmLog(const Call& call);
    void readStationList(const Call& call);

    void stationConnects(const Station& station);
    void stationLeaves(const QString& call);
    void appendAlarmLog(const QString& text);
    void setTransmitting(bool on);
    bool isBusyWith(const QString& call) const;

    Scheduler schedule_;
    QString callsign_;
    QSet<int> sessions_;
    QList<Station> connected_;
    QSet<QString> connecting_;
    QString alarmLog_;
    QStringList calls_;
    QHash<QString, QStringList> failures_;
    bool transmitting_ = false;
    bool receiving_ = false;
};
