#pragma once

#include "ListedStations.h"

#include <QHostAddress>
#include <QObject>
#include <QStringList>
#include <functional>
#include <memory>

class QTcpSocket;
class QTimer;

// The node's side of the EchoLink directory (TCP port 5200, one connection per command): logging in as
// on, busy or off, and fetching the station list. Each command tries the servers in turn and is bounded
// in bytes and in time, so a directory that stalls, lies or never ends its reply costs a few seconds and a
// few megabytes at most. A refusal of the password is recognised here, on the directory's connection, and
// nowhere else; the password goes nowhere but into the login command.
class NodeDirectory : public QObject
{
public:
    static constexpr int CommandTimeoutMs = 10000;
    static constexpr int MaxLoginReplyBytes = 1024;

    enum class Presence { On, Busy, Off };
    enum class Outcome { Done, Refused, Unreachable };

    struct Settings
    {
        QStringList servers;
        QString callsign;
        QString password;
        QByteArray location; // Windows-1252
        QHostAddress bind;
    };

    explicit NodeDirectory(Settings settings, QObject* parent = nullptr);
    ~NodeDirectory() override;

    // A later login replaces one still under way.
    void login(Presence presence);
    // Joins a fetch under way.
    void fetchList();
    bool fetching() const { return static_cast<bool>(list_); }
    const std::vector<ListedStation>& stations() const { return stations_; }
    // A station by callsign (as the directory spells it) or node number.
    const ListedStation* find(const QString& key) const;

    std::function<void(Presence, Outcome)> loginDone;
    std::function<void(Outcome)> listDone;

private:
    struct Command;
    void run(std::unique_ptr<Command>& slot, QByteArray request, int maxReply, int server);
    void finished(std::unique_ptr<Command>& slot, bool reached);

    Settings settings_;
    std::unique_ptr<Command> login_;
    std::unique_ptr<Command> list_;
    Presence presence_ = Presence::Off;
    quint64 lastCommand_ = 0;
    std::vector<ListedStation> stations_;
};
