#pragma once

#include "AlarmWatch.h"
#include "NodeCalls.h"
#include "NodeConfig.h"
#include "DirectoryClient.h"

#include <QJsonArray>
#include <QObject>
#include <QSet>
#include <QString>
#include <QTimer>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

class AudioInput;
class AudioOutput;
class Conference;
class NodeServer;

// The EchoLink node: answers Corvane's calls on its socket as the stand-in does, and works the network
// through the directory (login, station list) and the conference of QSOs. All on one Qt event loop.
class EchoLinkNode : public QObject
{
public:
    // How long a waited-for station list may take, within the session's own call limit.
    static constexpr int ListTimeoutMs = 4000;
    // After Shutdown, time left for the session to say Quit before the node ends anyway.
    static constexpr int ClosingGraceMs = 3000;
    static constexpr int OfflineWaitMs = 1500;

    // A node that cannot work (its configuration or ports are unusable) still serves the socket and fails
    // every call with that reason, so that Corvane shows and speaks it.
    EchoLinkNode(NodeServer& server, std::optional<NodeConfig> config, QString problem, bool verbose);
    ~EchoLinkNode() override;

    bool start(QString* error);
    // Goes offline within a bounded wait, then calls finished.
    void finish();
    std::function<void()> finished;

private:
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

    void handleLine(int client, const QByteArray& line);
    void handleCall(int client, const NodeCalls::Call& call);
    void answer(const Waiter& waiter, const QJsonValue& value = {});
    void refuse(const Waiter& waiter, const QString& error);
    void raise(const QString& name, const QJsonArray& args = {});
    void note(const QString& text) const;

    void connect1(const Waiter& waiter, const QString& station, bool wait);
    void tryConnect(const ConnectRequest& request, bool listRefreshed);
    void disconnect1(const Waiter& waiter, const QString& station);
    void disconnectAll();
    void transmit(const Waiter& waiter, bool on);
    void refreshStationList(const Waiter& waiter, bool wait);
    void stationList(const Waiter& waiter);
    void reset(const Waiter& waiter);
    void shutdown(const Waiter& waiter);

    void login();
    void statusChanged(DirectoryClient::Status status);
    void loginTrouble(bool refused);
    void listDone(bool received);
    void requestList();
    void updatePresence();
    const StationEntry* findStation(const QString& key) const;
    void goOffline(std::function<void()> then);
    QString directoryTrouble() const;
    void watchAlarms();
    void callFailed(const QString& call, const QString& reason);
    void connected(const QString& call, const QString& name, const QString& address);

    NodeServer& server_;
    std::optional<NodeConfig> config_;
    QString problem_;
    bool verbose_;
    QSet<int> sessions_;

    std::unique_ptr<DirectoryClient> directory_;
    std::unique_ptr<AudioInput> microphone_;
    std::unique_ptr<AudioOutput> speaker_;
    std::unique_ptr<Conference> conference_;
    QString audioProblem_;
    std::vector<Waiter> listWaiters_;
    std::vector<ConnectRequest> connectWaiters_;
    std::vector<ConnectRequest> calling_; // answered when the station answers (or not)
    QTimer listTimer_;
    QTimer offlineTimer_;
    QTimer graceTimer_;
    std::function<void()> whenOffline_;
    bool loggedIn_ = false;
    bool loginRefused_ = false;
    bool unreachable_ = false;
    bool linkUp_ = false;
    bool transmitting_ = false;
    bool shuttingDown_ = false;
    bool finishing_ = false;
    DirectoryClient::Status presence_ = DirectoryClient::Status::Offline;
    AlarmWatch alarms_;
};
