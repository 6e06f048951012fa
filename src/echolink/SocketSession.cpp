#include "echolink/SocketSession.h"

#include "echolink/EchoLinkWire.h"

#include <QDeadlineTimer>
#include <QFileInfo>
#include <QLocalSocket>
#include <QMetaObject>
#include <utility>

namespace {

const char notRunning[] = "EchoLink is not running or its automation server is not available";
const char connectionClosed[] = "EchoLink closed the automation connection";

QString secondsText(int milliseconds)
{
    if (milliseconds % 1000 == 0)
        return QString::number(milliseconds / 1000);
    return QString::number(milliseconds / 1000.0, 'g', 3);
}

} // namespace

SocketSession::SocketSession(QObject* parent)
    : EchoLinkSession(parent)
    , socket_(new QLocalSocket(this))
    , serverPath_(EchoLinkWire::serverPath())
{
    // Events that arrive between operations are picked up here; during an operation the wait loop reads.
    connect(socket_, &QLocalSocket::readyRead, this, &SocketSession::readAvailable);
}

SocketSession::~SocketSession()
{
    socket_->disconnect(this);
    socket_->abort();
}

void SocketSession::setServerPath(const QString& path)
{
    serverPath_ = path;
    detach();
}

void SocketSession::setCallTimeout(int milliseconds)
{
    callTimeoutMs_ = milliseconds;
}

void SocketSession::setConnectWaitTimeout(int milliseconds)
{
    connectWaitTimeoutMs_ = milliseconds;
}

bool SocketSession::isAttached() const
{
    return socket_->state() == QLocalSocket::ConnectedState;
}

void SocketSession::Connect1(const QString& station, bool wait)
{
    invoke(QStringLiteral("Connect1"), { station, wait }, wait ? connectWaitTimeoutMs_ : callTimeoutMs_);
}

void SocketSession::Disconnect1(const QString& station)
{
    invoke(QStringLiteral("Disconnect1"), { station });
}

void SocketSession::DisconnectAll()
{
    invoke(QStringLiteral("DisconnectAll"));
}

void SocketSession::Transmit(bool on)
{
    invoke(QStringLiteral("Transmit"), { on });
}

void SocketSession::SendChatText(const QString& text)
{
    invoke(QStringLiteral("SendChatText"), { text });
}

void SocketSession::RefreshStationList(bool wait)
{
    invoke(QStringLiteral("RefreshStationList"), { wait });
}

void SocketSession::Reset()
{
    invoke(QStringLiteral("Reset"));
}

void SocketSession::Shutdown()
{
    invoke(QStringLiteral("Shutdown"));
}

void SocketSession::Quit()
{
    invoke(QStringLiteral("Quit"));
}

bool SocketSession::Receiving()
{
    return invoke(QStringLiteral("Receiving")).toBool();
}

bool SocketSession::Transmitting()
{
    return invoke(QStringLiteral("Transmitting")).toBool();
}

QString SocketSession::SystemConfigCallsign()
{
    return invoke(QStringLiteral("SystemConfig.Callsign")).toString();
}

QString SocketSession::AlarmLogText()
{
    return invoke(QStringLiteral("AlarmLogText")).toString();
}

QJsonValue SocketSession::invoke(const QString& op, const QJsonArray& args)
{
    return invoke(op, args, callTimeoutMs_);
}

QJsonValue SocketSession::invoke(const QString& op, const QJsonArray& args, int timeoutMs)
{
    ensureAttached();
    const qint64 id = ++lastId_;
    send(EchoLinkWire::encode(EchoLinkWire::call(id, op, args)));
    const QJsonObject answer = awaitReply(id, op, timeoutMs);
    if (!answer.value(QLatin1String("ok")).toBool()) {
        const QString error = answer.value(QLatin1String("error")).toString();
        throw EchoLinkError(error.isEmpty() ? QStringLiteral("EchoLink refused %1").arg(op) : error);
    }
    return answer.value(QLatin1String("value"));
}

void SocketSession::ensureAttached()
{
    // A server that went away while we were idle has left an end-of-stream we have not read yet.
    if (isAttached() && socket_->bytesAvailable() == 0)
        socket_->waitForReadyRead(0);
    readAvailable();
    if (!isAttached())
        attach();
}

void SocketSession::attach()
{
    detach();
    socket_->connectToServer(serverPath_);
    if (!socket_->waitForConnected(callTimeoutMs_)) {
        detach();
        throw EchoLinkError(QString::fromLatin1(notRunning));
    }
    QString reason;
    if (!EchoLinkWire::checkServerFolder(QFileInfo(serverPath_).absolutePath(), &reason)) {
        detach();
        throw EchoLinkError(QStringLiteral("EchoLink's automation socket is not private (%1)").arg(reason));
    }
}

void SocketSession::detach()
{
    socket_->abort();
    incoming_.clear();
}

void SocketSession::send(const QByteArray& line)
{
    if (socket_->write(line) != line.size()) {
        detach();
        throw EchoLinkError(QString::fromLatin1(connectionClosed));
    }
    socket_->flush();
}

QJsonObject SocketSession::awaitReply(qint64 id, const QString& op, int timeoutMs)
{
    awaitedId_ = id;
    reply_.reset();
    const QDeadlineTimer deadline(timeoutMs);
    for (;;) {
        readAvailable();
        if (reply_) {
            awaitedId_ = 0;
            return *std::exchange(reply_, std::nullopt);
        }
        if (!isAttached()) {
            detach();
            throw EchoLinkError(QString::fromLatin1(connectionClosed));
        }
        if (deadline.hasExpired()) {
            awaitedId_ = 0;
            throw EchoLinkError(
                QStringLiteral("EchoLink did not answer %1 within %2 seconds").arg(op, secondsText(timeoutMs)));
        }
        socket_->waitForReadyRead(static_cast<int>(deadline.remainingTime()));
    }
}

void SocketSession::readAvailable()
{
    if (socket_->bytesAvailable() > 0)
        incoming_ += socket_->readAll();
    qsizetype start = 0;
    for (qsizetype end; (end = incoming_.indexOf('\n', start)) >= 0; start = end + 1)
        takeMessage(incoming_.mid(start, end - start));
    incoming_.remove(0, start);
    if (incoming_.size() > EchoLinkWire::MaxLineBytes)
        detach(); // a runaway line: the peer is not speaking our protocol
}

void SocketSession::takeMessage(const QByteArray& line)
{
    const auto message = EchoLinkWire::decode(line);
    if (!message)
        return;
    if (message->contains(QLatin1String("event"))) {
        queueEvent(*message);
        return;
    }
    // Late answers to calls that already timed out carry older ids and are dropped.
    const auto id = message->value(QLatin1String("id")).toInteger();
    if (awaitedId_ != 0 && id == awaitedId_)
        reply_ = *message;
}

void SocketSession::queueEvent(const QJsonObject& event)
{
    events_.push_back(event);
    // One posted call per event, like one window message per event: a handler that lets pending
    // messages run sees the following events, still in order.
    QMetaObject::invokeMethod(this, &SocketSession::deliverNextEvent, Qt::QueuedConnection);
}

void SocketSession::deliverNextEvent()
{
    if (events_.empty())
        return;
    const QJsonObject event = events_.front();
    events_.pop_front();
    emitEvent(event.value(QLatin1String("event")).toString(), event.value(QLatin1String("args")).toArray());
}

void SocketSession::emitEvent(const QString& name, const QJsonArray& args)
{
    const auto text = [&args](int i) { return args.at(i).toString(); };
    const auto flag = [&args](int i) { return args.at(i).toBool(); };
    if (name == QLatin1String("OnClosing"))
        emit OnClosing();
    else if (name == QLatin1String("OnTX"))
        emit OnTX(flag(0));
    else if (name == QLatin1String("OnConnected"))
        emit OnConnected(text(0), text(1), text(2));
    else if (name == QLatin1String("OnDisconnected"))
        emit OnDisconnected(text(0));
    else if (name == QLatin1String("OnStationListReceived"))
        emit OnStationListReceived();
    else if (name == QLatin1String("OnChatTextReceived"))
        emit OnChatTextReceived(text(0));
    else if (name == QLatin1String("OnStationTextReceived"))
        emit OnStationTextReceived(text(0));
    else if (name == QLatin1String("OnAlarm"))
        emit OnAlarm(text(0), args.at(1).toInt());
    else if (name == QLatin1String("OnLinkStatusChange"))
        emit OnLinkStatusChange(flag(0));
}
