#include "echolink/SocketSession.h"

#include <QFileInfo>
#include <QLocalSocket>
#include <QMetaObject>
#include <QProcess>
#include <QThread>
#include <algorithm>
#include <utility>

using EchoLinkWire::Operation;

namespace {

const char notRunning[] = "EchoLink is not running or its automation server is not available";
const char connectionClosed[] = "EchoLink closed the automation connection";

QString secondsText(int milliseconds)
{
    if (milliseconds % 1000 == 0)
        return QString::number(milliseconds / 1000);
    return QString::number(milliseconds / 1000.0, 'g', 3);
}

int remainingMs(const QDeadlineTimer& deadline)
{
    return static_cast<int>(std::max<qint64>(0, deadline.remainingTime()));
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

void SocketSession::setEchoLinkExePath(const QString& path)
{
    echoLinkExePath_ = path;
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
    invoke(Operation::Connect1, { station, wait });
}

void SocketSession::Disconnect1(const QString& station)
{
    invoke(Operation::Disconnect1, { station });
}

void SocketSession::DisconnectAll()
{
    invoke(Operation::DisconnectAll);
}

void SocketSession::Transmit(bool on)
{
    invoke(Operation::Transmit, { on });
}

void SocketSession::SendChatText(const QString& text)
{
    invoke(Operation::SendChatText, { text });
}

void SocketSession::RefreshStationList(bool wait)
{
    invoke(Operation::RefreshStationList, { wait });
}

void SocketSession::Reset()
{
    invoke(Operation::Reset);
}

void SocketSession::Shutdown()
{
    invoke(Operation::Shutdown);
}

void SocketSession::Quit()
{
    invoke(Operation::Quit);
}

bool SocketSession::Receiving()
{
    return invoke(Operation::Receiving).toBool();
}

bool SocketSession::Transmitting()
{
    return invoke(Operation::Transmitting).toBool();
}

QString SocketSession::SystemConfigCallsign()
{
    return invoke(Operation::SystemConfigCallsign).toString();
}

// The alarm-log window of EchoLink may be closed or unreadable; that reads as an empty log.
QString SocketSession::AlarmLogText()
{
    try {
        return invoke(Operation::AlarmLogText).toString();
    } catch (const EchoLinkError&) {
        return {};
    }
}

// The reply was checked against the table, so the list reads whole.
QList<StationDirectory::Entry> SocketSession::StationList()
{
    return StationDirectory::fromJson(invoke(Operation::StationList)).value_or(QList<StationDirectory::Entry> {});
}

int SocketSession::timeoutFor(Operation operation, const QJsonArray& args) const
{
    const bool waits = EchoLinkWire::rowOf(operation).timeout == EchoLinkWire::Timeout::ConnectWait && !args.isEmpty()
        && args.last().toBool();
    return waits ? connectWaitTimeoutMs_ : callTimeoutMs_;
}

QJsonValue SocketSession::invoke(Operation operation, const QJsonArray& args)
{
    const int timeoutMs = timeoutFor(operation, args);
    const QDeadlineTimer deadline(timeoutMs);
    ensureAttached(deadline, timeoutMs);
    const qint64 id = ++lastId_;
    pending_ = PendingCall { id, operation, std::nullopt, std::nullopt };
    send(EchoLinkWire::encode(EchoLinkWire::call(id, operation, args)));
    const EchoLinkWire::Reply reply = awaitReply(deadline, timeoutMs);
    if (!reply.ok) {
        const QString& op = EchoLinkWire::rowOf(operation).name;
        throw EchoLinkError(reply.error.isEmpty() ? QStringLiteral("EchoLink refused %1").arg(op) : reply.error);
    }
    return reply.value;
}

void SocketSession::ensureAttached(const QDeadlineTimer& deadline, int timeoutMs)
{
    // A server that went away while we were idle has left an end-of-stream we have not read yet.
    if (isAttached() && socket_->bytesAvailable() == 0)
        socket_->waitForReadyRead(0);
    readAvailable();
    if (!isAttached())
        attach(deadline, timeoutMs);
}

void SocketSession::attach(const QDeadlineTimer& deadline, int timeoutMs)
{
    detach();
    if (connectOnce(deadline))
        return;
    if (!mayStartEchoLink()) {
        detach();
        throw EchoLinkError(QString::fromLatin1(notRunning));
    }
    startEchoLink();
    while (!deadline.hasExpired()) {
        QThread::msleep(static_cast<unsigned long>(std::min(StartPollMs, remainingMs(deadline))));
        if (connectOnce(deadline))
            return;
    }
    detach();
    throw EchoLinkError(QStringLiteral("%1: EchoLink was started, but did not answer within %2 seconds")
                            .arg(QLatin1String(notRunning), secondsText(timeoutMs)));
}

// One try. The socket's folder is checked first: a socket in a folder that someone else controls is
// never connected to, whoever listens there.
bool SocketSession::connectOnce(const QDeadlineTimer& deadline)
{
    const QFileInfo folder(QFileInfo(serverPath_).absolutePath());
    QString reason;
    const bool present = folder.exists() || folder.isSymLink();
    if (present && !EchoLinkWire::checkServerFolder(folder.filePath(), &reason)) {
        detach();
        throw EchoLinkError(QStringLiteral("EchoLink's automation socket is not private (%1)").arg(reason));
    }
    socket_->connectToServer(serverPath_);
    if (socket_->waitForConnected(remainingMs(deadline))) {
        everAttached_ = true;
        return true;
    }
    const QLocalSocket::LocalSocketError error = socket_->error();
    const QString errorText = socket_->errorString();
    detach();
    const bool nobodyThere
        = error == QLocalSocket::ServerNotFoundError || error == QLocalSocket::ConnectionRefusedError;
    if (!nobodyThere)
        throw EchoLinkError(QStringLiteral("%1 (%2)").arg(QLatin1String(notRunning), errorText));
    return false;
}

// As with the automation server of the original platform, EchoLink is started by the first attach
// only: once attached, a lost EchoLink is an error, never a new EchoLink (the close of Corvane after
// EchoLink has gone must not start it again).
bool SocketSession::mayStartEchoLink() const
{
    return !everAttached_ && !echoLinkExePath_.isEmpty() && serverPath_ == EchoLinkWire::serverPath();
}

void SocketSession::startEchoLink()
{
    // Detached: EchoLink outlives this session, as it outlives Corvane.
    if (!QProcess::startDetached(echoLinkExePath_, {}, QFileInfo(echoLinkExePath_).absolutePath()))
        throw EchoLinkError(
            QStringLiteral("%1, and %2 could not be started").arg(QLatin1String(notRunning), echoLinkExePath_));
}

void SocketSession::detach()
{
    socket_->abort();
    incoming_.clear();
}

void SocketSession::send(const QByteArray& line)
{
    if (socket_->write(line) != line.size()) {
        pending_.reset();
        detach();
        throw EchoLinkError(QString::fromLatin1(connectionClosed));
    }
    socket_->flush();
}

EchoLinkWire::Reply SocketSession::awaitReply(const QDeadlineTimer& deadline, int timeoutMs)
{
    const Operation operation = pending_->operation;
    for (;;) {
        readAvailable();
        if (pending_->reply || pending_->problem) {
            PendingCall answered = *std::exchange(pending_, std::nullopt);
            if (answered.problem)
                throw EchoLinkError(*answered.problem);
            return *answered.reply;
        }
        if (!isAttached()) {
            pending_.reset();
            detach();
            throw EchoLinkError(QString::fromLatin1(connectionClosed));
        }
        if (deadline.hasExpired()) {
            pending_.reset();
            throw EchoLinkError(QStringLiteral("EchoLink did not answer %1 within %2 seconds")
                                    .arg(EchoLinkWire::rowOf(operation).name, secondsText(timeoutMs)));
        }
        socket_->waitForReadyRead(remainingMs(deadline));
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
    QString reason;
    const auto message = EchoLinkWire::decode(line, &reason);
    if (!message)
        return malformed(reason);
    if (!EchoLinkWire::isEvent(*message))
        return takeReply(*message);
    if (auto event = EchoLinkWire::readEvent(*message, &reason))
        queueDelivery({ std::move(event), {} });
    else
        queueDelivery({ std::nullopt, QStringLiteral("EchoLink sent a malformed event: %1").arg(reason) });
}

void SocketSession::takeReply(const QJsonObject& message)
{
    const auto id = EchoLinkWire::readId(message.value(QLatin1String("id")));
    if (!id)
        return malformed(message.contains(QLatin1String("id")) ? QStringLiteral("its id is not a whole number")
                                                               : QStringLiteral("neither an event nor a reply"));
    // Late answers to calls that already gave up carry older ids, and a repeated answer comes after the
    // first one: both are dropped.
    if (!pending_ || *id != pending_->id || pending_->reply || pending_->problem)
        return;
    QString reason;
    if (auto reply = EchoLinkWire::readReply(message, pending_->operation, &reason))
        pending_->reply = std::move(reply);
    else
        pending_->problem = QStringLiteral("EchoLink sent a malformed answer to %1: %2")
                                .arg(EchoLinkWire::rowOf(pending_->operation).name, reason);
}

// A message we cannot read while a call waits is taken as its answer gone wrong: the call fails now,
// rather than when its time runs out. Otherwise it is reported on its own.
void SocketSession::malformed(const QString& reason)
{
    if (pending_ && !pending_->reply && !pending_->problem) {
        pending_->problem = QStringLiteral("EchoLink sent a malformed answer to %1: %2")
                                .arg(EchoLinkWire::rowOf(pending_->operation).name, reason);
        return;
    }
    queueDelivery({ std::nullopt, QStringLiteral("EchoLink sent a malformed message: %1").arg(reason) });
}

void SocketSession::queueDelivery(Delivery delivery)
{
    deliveries_.push_back(std::move(delivery));
    // One posted call per event, like one window message per event: a handler that lets pending
    // messages run sees the following events, still in order.
    QMetaObject::invokeMethod(this, &SocketSession::deliverNext, Qt::QueuedConnection);
}

void SocketSession::deliverNext()
{
    if (deliveries_.empty())
        return;
    const Delivery delivery = std::move(deliveries_.front());
    deliveries_.pop_front();
    if (delivery.event)
        raiseEvent(*this, *delivery.event);
    else
        emit OnProtocolError(delivery.problem);
}
