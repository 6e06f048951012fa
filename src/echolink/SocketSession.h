#pragma once

#include "echolink/EchoLinkSession.h"

#include <QByteArray>
#include <QJsonArray>
#include <QJsonObject>
#include <QJsonValue>
#include <QString>
#include <deque>
#include <optional>

class QLocalSocket;

// The EchoLink session over the automation socket of the running EchoLink (the stand-in on Linux).
// It attaches on the first operation and again on the first operation after the connection was lost.
// Every operation waits for its answer, so it behaves like a synchronous automation call: a server
// that is missing, gone or silent becomes an EchoLinkError, never a hang. Events that arrive, also
// while an operation waits, are queued and each is emitted from the event loop, in arrival order.
class SocketSession : public EchoLinkSession
{
    Q_OBJECT
public:
    static constexpr int DefaultCallTimeoutMs = 5000;
    static constexpr int DefaultConnectWaitTimeoutMs = 30000;

    explicit SocketSession(QObject* parent = nullptr);
    ~SocketSession() override;

    // Where to attach; EchoLinkWire::serverPath() unless set.
    void setServerPath(const QString& path);
    // How long an operation waits for its answer; Connect1 with wait has its own, longer limit.
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

private:
    QJsonValue invoke(const QString& op, const QJsonArray& args, int timeoutMs);
    QJsonValue invoke(const QString& op, const QJsonArray& args = {});
    void ensureAttached();
    void attach();
    void detach();
    void send(const QByteArray& line);
    QJsonObject awaitReply(qint64 id, const QString& op, int timeoutMs);
    void readAvailable();
    void takeMessage(const QByteArray& line);
    void queueEvent(const QJsonObject& event);
    void deliverNextEvent();
    void emitEvent(const QString& name, const QJsonArray& args);

    QLocalSocket* socket_;
    QString serverPath_;
    int callTimeoutMs_ = DefaultCallTimeoutMs;
    int connectWaitTimeoutMs_ = DefaultConnectWaitTimeoutMs;
    qint64 lastId_ = 0;
    QByteArray incoming_;
    qint64 awaitedId_ = 0;
    std::optional<QJsonObject> reply_;
    std::deque<QJsonObject> events_;
};
