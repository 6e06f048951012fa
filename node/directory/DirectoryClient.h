#pragma once

#include "DirectoryProtocol.h"
#include "StationList.h"

#include <QDateTime>
#include <QHostAddress>
#include <QObject>
#include <QPointer>
#include <QStringList>
#include <memory>
#include <optional>

class Clock;
class QTcpSocket;
class Timer;

// The node's link to the EchoLink directory: logs in with the station's status, keeps the registration
// fresh, and fetches the station list on a timer and on request.
//
// Every command is one short TCP connection to port 5200 of a directory server; the servers are tried in
// turn when one cannot be reached. One command at a time: a status change waits for the command in flight,
// and at most one list fetch is in flight or waiting. Every reply is bounded in bytes, entries and time (a
// stalled or endless reply is cut off and reported). A failed login is retried with a growing delay, up to
// five minutes; a refused login (the directory's own answer, never anything a station sends) is reported
// once and retried only at the longest delay. All timers run on the given Clock, so tests drive them with
// a VirtualClock. The password goes nowhere but into the login command on the directory connection.
// Signals are emitted from inside socket handlers: a slot may call any method, but must not delete the
// client directly (deleteLater() is fine).
//
// Typical use:
//   DirectoryClient directory(settings, clock);
//   connect(&directory, &DirectoryClient::stationListUpdated, ...);   // then directory.stations()
//   directory.setStatus(DirectoryProtocol::Status::Online);          // log in; Busy during a QSO
//   directory.refresh();                                            // an unknown caller: fetch the list now
//   directory.setStatus(DirectoryProtocol::Status::Offline);         // sign off before quitting
class DirectoryClient : public QObject
{
    Q_OBJECT
public:
    using Status = DirectoryProtocol::Status;

    static constexpr int RegistrationRefreshMs = 5 * 60 * 1000;
    static constexpr int FirstRetryMs = 5 * 1000;
    static constexpr int LongestRetryMs = 5 * 60 * 1000;

    struct Settings
    {
        QStringList servers { QStringLiteral("servers.echolink.org") }; // tried in turn
        quint16 port = DirectoryProtocol::Port;
        DirectoryProtocol::Login login;
        QHostAddress bindAddress; // null: any
        int listRefreshSeconds = 60; // 0: only on request
        DirectoryProtocol::ListLimits limits;
        int connectTimeoutMs = 10 * 1000; // per server
        int replyTimeoutMs = 60 * 1000; // connected to last byte, per command
        int stallTimeoutMs = 20 * 1000; // the longest silence within a reply
    };

    DirectoryClient(Settings settings, Clock& clock, QObject* parent = nullptr);
    ~DirectoryClient() override;

    // The status to hold in the directory. Online or Busy logs in (and keeps the registration fresh);
    // Offline signs off, once logged in, and stops every timer.
    void setStatus(Status wanted);
    Status wantedStatus() const { return m_wanted; }
    // The status the directory last confirmed.
    Status status() const { return m_confirmed; }
    bool isLoggedIn() const { return m_confirmed != Status::Offline; }
    bool isLoginRefused() const { return m_refused; }

    // Fetches the station list now. False (and nothing happens) while the station does not want to be
    // logged in; true when a fetch started, waits for the login, or is already under way: one of
    // stationListUpdated() or listFailed() follows.
    bool refresh();
    bool isRefreshing() const { return m_listWanted || m_job == Job::List; }

    // The last complete list, and when it arrived (null before the first).
    const StationList& stations() const { return m_stations; }
    QDateTime listTime() const { return m_listTime; }
    // Records the last list carried that were left out as malformed (bad address, node number, callsign).
    qsizetype skippedEntries() const { return m_skipped; }
    // Bytes of the reply being read (0 between commands).
    qsizetype replyBytes() const { return m_replyBytes; }
    // The wait before the next login attempt after a failure.
    int retryDelayMs() const { return m_retryMs; }
    QString lastError() const { return m_lastError; }

Q_SIGNALS:
    void statusChanged(DirectoryProtocol::Status status);
    // The directory refused the login; `reason` is a sentence for the operator (password never in it).
    void loginRefused(const QString& reason);
    // A login or status change did not get through (no server, time-out, no answer); retried later.
    void loginFailed(const QString& reason);
    void stationListUpdated();
    void listFailed(const QString& reason);

private:
    enum class Job
    {
        None,
        Status,
        List
    };

    void startNext();
    void connectToServer();
    void connected();
    void readReply();
    void closed();
    void socketError();
    void connectTimedOut();
    void replyTimedOut(const QString& reason);
    void finishStatus(const DirectoryProtocol::LoginReply& reply);
    void finishList();
    void failJob(const QString& reason);
    void dropSocket();
    void endJob();
    void scheduleRetry(int delayMs);
    void failWaitingList(const QString& reason);
    void updateTimers();
    void setConfirmed(Status status);
    QString serverName() const;

    Settings m_settings;
    Clock& m_clock;
    QString m_callsign;

    Status m_wanted = Status::Offline;
    Status m_confirmed = Status::Offline;
    bool m_statusWanted = false; // a status command waits
    bool m_listWanted = false; // a list fetch waits
    bool m_refused = false;

    Job m_job = Job::None;
    Status m_jobStatus = Status::Offline;
    QPointer<QTcpSocket> m_socket;
    bool m_connected = false;
    int m_server = 0;
    int m_serversTried = 0;
    QByteArray m_loginReply;
    std::optional<DirectoryProtocol::ListParser> m_parser;
    qsizetype m_replyBytes = 0;

    StationList m_stations;
    QDateTime m_listTime;
    qsizetype m_skipped = 0;
    QString m_lastError;
    int m_retryMs = FirstRetryMs;

    std::unique_ptr<Timer> m_connectTimer;
    std::unique_ptr<Timer> m_replyTimer;
    std::unique_ptr<Timer> m_stallTimer;
    std::unique_ptr<Timer> m_retryTimer;
    std::unique_ptr<Timer> m_registrationTimer;
    std::unique_ptr<Timer> m_listTimer;
};
