#pragma once

#include "echolink/EchoLinkSession.h"
#include "echolink/EchoLinkWire.h"

#include <QByteArray>
#include <QDeadlineTimer>
#include <QJsonArray>
#include <QJsonValue>
#include <QString>
#include <deque>
#include <optional>

class QLocalSocket;

// The EchoLink session over the automation socket of the running EchoLink (the stand-in on Linux).
// It attaches on the first operation and again on the first operation after the connection was lost.
// When nobody serves this user's socket at the first attach, it starts EchoLink's program itself (when
// it has been told where that is) and waits for it within the call's time limit.
// Every operation waits for its answer, so it behaves like a synchronous automation call: a server
// that is missing, gone, silent or talking nonsense becomes an EchoLinkError, never a hang. Events that
// arrive, also while an operation waits, are queued and each is emitted from the event loop, in arrival
// order; a malformed message that answers no call is reported the same way, as OnProtocolError.
class SocketSession : public EchoLinkSession
{
    Q_OBJECT
public:
    static constexpr int DefaultCallTimeoutMs = 5000;
    static constexpr int DefaultConnectWaitTimeoutMs = 30000;
    // How often a freshly started EchoLink is tried until its server answers.
    static constexpr int StartPollMs = 25;

    explicit SocketSession(QObject* parent = nullptr);
    ~SocketSession() override;

    // Where to attach; EchoLinkWire::serverPath() unless set. EchoLink is only ever started for the
    // default place, since that is where a started one listens.
    void setServerPath(const QString& path);
    void setEchoLinkExePath(const QString& path) override;
    // How long an operation waits (to attach, and for its answer); Connect1 with wait has its own limit.
    void setCallTimeout(int milliseconds);
    void setConnectWaitTimeout(int milliseconds);
    bool isAttached() const;

    void Connect1(const QString& station, bool wait) override;
    void Disconnect1(const QString& station) override;
    void DisconnectAll() override;
    void Transmit(bool on) override;
    void SendChatText(const QString& text) override;
    void RefreshStationList(bool wait) override;
    void Reset() override;
    void Shutdown() override;
    void Quit() override;
    bool Receiving() override;
    bool Transmitting() override;
    QString SystemConfigCallsign() override;
    QString AlarmLogText() override;
    QList<StationDirectory::Entry> StationList() override;

private:
    // The call that waits for its reply: the first well-formed reply with its id answers it, and a
    // malformed message that arrives first fails it at once.
    struct PendingCall
    {
        qint64 id = 0;
        EchoLinkWire::Operation operation;
        std::optional<EchoLinkWire::Reply> reply;
        std::optional<QString> problem;
    };
    // What the event loop hands on: an event, or the report of a malformed message.
    struct Delivery
    {
        std::optional<EchoLinkWire::IncomingEvent> event;
        QString problem;
    };

    QJsonValue invoke(EchoLinkWire::Operation operation, const QJsonArray& args = {});
    int timeoutFor(EchoLinkWire::Operation operation, const QJsonArray& args) const;
    void ensureAttached(const QDeadlineTimer& deadline, int timeoutMs);
    void attach(const QDeadlineTimer& deadline, int timeoutMs);
    bool connectOnce(const QDeadlineTimer& deadline);
    bool mayStartEchoLink() const;
    void startEchoLink();
    void detach();
    void send(const QByteArray& line);
    EchoLinkWire::Reply awaitReply(const QDeadlineTimer& deadline, int timeoutMs);
    void readAvailable();
    void takeMessage(const QByteArray& line);
    void takeReply(const QJsonObject& message);
    void malformed(const QString& reason);
    void queueDelivery(Delivery delivery);
    void deliverNext();

    QLocalSocket* socket_;
    QString serverPath_;
    QString echoLinkExePath_;
    int callTimeoutMs_ = DefaultCallTimeoutMs;
    int connectWaitTimeoutMs_ = DefaultConnectWaitTimeoutMs;
    qint64 lastId_ = 0;
    QByteArray incoming_;
    std::optional<PendingCall> pending_;
    std::deque<Delivery> deliveries_;
    bool everAttached_ = false;
};
