#pragma once

#include "AlarmWatch.h"
#include "NodeCalls.h"
#include "NodeConfig.h"

#include <QJsonArray>
#include <QSet>
#include <QString>
#include <functional>
#include <list>
#include <memory>
#include <optional>
#include <sigc++/sigc++.h>
#include <vector>

class AudioPaths;
class LocalServer;

namespace Async {
class IpAddress;
class Timer;
} // namespace Async

namespace EchoLink {
class Directory;
class Qso;
class StationData;
} // namespace EchoLink

// The EchoLink node: answers Corvane's calls as the stand-in does, and works the network through the
// directory (login, station list) and one QSO per connected station. Runs on the library's event loop.
class Node : public sigc::trackable
{
public:
    // How long a waited-for station list may take, within the session's own call limit.
    static constexpr int ListTimeoutMs = 4000;
    // How long Connect1 waits for a station to answer, within the session's own limit.
    static constexpr int ConnectTimeoutMs = 20000;
    // After Shutdown, time left for the session to say Quit before the node ends anyway.
    static constexpr int ClosingGraceMs = 3000;
    static constexpr int OfflineWaitMs = 1500;
    static constexpr int FirstRetryMs = 5000;
    static constexpr int LastRetryMs = 5 * 60 * 1000;
    // More QSOs than this are not taken even before Corvane turns them away.
    static constexpr int MaxLinks = 32;

    // A node that cannot work (its configuration or ports are unusable) still serves the socket and fails
    // every call with that reason, so that Corvane shows and speaks it.
    Node(LocalServer& server, std::optional<NodeConfig> config, QString problem, bool verbose);
    ~Node();

    // Opens the EchoLink ports and logs in; false with the reason (the node then refuses calls with it).
    bool start(QString* error);
    void handleLine(int client, const QByteArray& line);
    void clientLeft(int client);
    // Goes offline within a bounded wait and ends the loop (a signal to end, or Quit).
    void finish();
    // A line the library wrote to the standard streams.
    void libraryMessage(const std::string& line);

    sigc::signal<void> finished;

private:
    struct Link;
    struct Waiter
    {
        int client;
        qint64 id;
    };
    struct ConnectRequest
    {
        Waiter waiter;
        QString key;
        bool wait;
    };
    using Call = NodeCalls::Call;

    void handleCall(int client, const Call& call);
    void answer(const Waiter& waiter, const QJsonValue& value = {});
    void refuse(const Waiter& waiter, const QString& error);
    void raise(const QString& name, const QJsonArray& args = {});
    void note(const QString& text) const;

    void connect1(const Waiter& waiter, const QString& station, bool wait);
    void disconnect1(const Waiter& waiter, const QString& station);
    void disconnectAll();
    void transmit(const Waiter& waiter, bool on);
    void sendChatText(const QString& text);
    void refreshStationList(const Waiter& waiter, bool wait);
    void reset(const Waiter& waiter);
    void shutdown(const Waiter& waiter);

    // Runs what waits for the directory to take the node offline, at the latest after OfflineWaitMs.
    void whenOffline(std::unique_ptr<Async::Timer>& timer, std::function<void()> then);
    void wentOffline();
    void createDirectory();
    void login();
    void directoryStatusChanged(int status);
    void directoryError(const std::string& message);
    void stationListUpdated();
    void requestList();
    void scheduleRetry();
    bool loggedIn() const;
    void updateOwnStatus();
    QString directoryTrouble() const;
    void watchAlarms();

    const EchoLink::StationData* findStation(const QString& key);
    void tryConnect(const ConnectRequest& request, bool listRefreshed);
    void startQso(const ConnectRequest& request, const EchoLink::StationData& station);
    void incomingConnection(const Async::IpAddress& ip, const std::string& call, const std::string& name,
                            const std::string& priv);
    Link& addLink(std::unique_ptr<EchoLink::Qso> qso, const QString& call);
    void linkStateChanged(Link* link, int state);
    void linkFailed(Link* link, const QString& reason);
    void linkGone(Link* link);
    void forget(Link* link);
    Link* linkFor(const QString& call);
    void receivingChanged();

    LocalServer& server_;
    std::optional<NodeConfig> config_;
    QString problem_;
    bool verbose_;
    QSet<int> sessions_;

    std::unique_ptr<EchoLink::Directory> directory_;
    std::unique_ptr<AudioPaths> audio_;
    QString audioProblem_;
    std::list<std::unique_ptr<Link>> links_;
    std::vector<Waiter> listWaiters_;
    std::vector<ConnectRequest> connectWaiters_;
    std::unique_ptr<Async::Timer> refreshTimer_;
    std::unique_ptr<Async::Timer> retryTimer_;
    std::unique_ptr<Async::Timer> offlineTimer_;
    std::unique_ptr<Async::Timer> graceTimer_;
    std::unique_ptr<Async::Timer> endTimer_;
    std::function<void()> whenOffline_;
    int retryMs_ = FirstRetryMs;
    QString lastError_;
    std::unique_ptr<Async::Timer> listTimer_;
    bool loginRefused_ = false;
    bool listAfterLogin_ = false;
    bool linkUp_ = false;
    bool transmitting_ = false;
    bool receiving_ = false;
    bool shuttingDown_ = false;
    bool finishing_ = false;
    AlarmWatch alarms_;
};
