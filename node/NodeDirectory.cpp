#include "NodeDirectory.h"

#include "NodeText.h"

#include <QDateTime>
#include <QPointer>
#include <QTcpSocket>
#include <QTimer>

namespace {

constexpr quint16 DirectoryPort = 5200;
const QByteArray Version = QByteArrayLiteral("2.6");

} // namespace

struct NodeDirectory::Command
{
    quint64 id = 0;
    QByteArray request;
    int maxReply = 0;
    int server = 0;
    QByteArray reply;
    bool overflow = false;
    std::unique_ptr<QTcpSocket> socket;
    std::unique_ptr<QTimer> deadline;
};

NodeDirectory::NodeDirectory(Settings settings, QObject* parent)
    : QObject(parent)
    , settings_(std::move(settings))
{
}

NodeDirectory::~NodeDirectory() = default;

void NodeDirectory::login(Presence presence)
{
    presence_ = presence;
    const QString time = QDateTime::currentDateTime().toString(QStringLiteral("HH:mm"));
    QByteArray status;
    switch (presence) {
    case Presence::On:
        status = "ONLINE" + Version + "(" + time.toLatin1() + ")";
        break;
    case Presence::Busy:
        status = "BUSY" + Version + "(" + time.toLatin1() + ")";
        break;
    case Presence::Off:
        status = "OFF-V" + Version;
        break;
    }
    const QByteArray request = "l" + settings_.callsign.toUpper().toLatin1() + "\xac\xac"
        + settings_.password.toLatin1() + "\r" + status + "\r" + settings_.location.left(27) + "\r";
    login_.reset();
    run(login_, request, MaxLoginReplyBytes, 0);
}

void NodeDirectory::fetchList()
{
    if (list_)
        return;
    run(list_, QByteArrayLiteral("s"), ListedStations::MaxReplyBytes, 0);
}

const ListedStation* NodeDirectory::find(const QString& key) const
{
    const bool byNode = NodeText::isNodeNumber(key);
    const int node = byNode ? key.toInt() : 0;
    for (const ListedStation& station : stations_) {
        if (byNode ? station.node == node : station.callsign == key)
            return &station;
    }
    return nullptr;
}

void NodeDirectory::run(std::unique_ptr<Command>& slot, QByteArray request, int maxReply, int server)
{
    if (server >= settings_.servers.size()) {
        slot.reset();
        return;
    }
    slot = std::make_unique<Command>();
    Command* command = slot.get();
    command->id = ++lastCommand_;
    const quint64 id = command->id;
    command->request = std::move(request);
    command->maxReply = maxReply;
    command->server = server;
    command->socket = std::make_unique<QTcpSocket>();
    command->deadline = std::make_unique<QTimer>();
    command->deadline->setSingleShot(true);
    QTcpSocket* socket = command->socket.get();
    std::unique_ptr<Command>* where = &slot;
    connect(socket, &QTcpSocket::connected, this, [socket, command] { socket->write(command->request); });
    connect(socket, &QTcpSocket::readyRead, this, [socket, command] {
        const QByteArray got = socket->read(command->maxReply + 1 - command->reply.size());
        command->reply += got;
        if (command->reply.size() > command->maxReply) {
            command->overflow = true;
            socket->abort();
        }
    });
    // Finishing deletes the socket: never from inside its own signal.
    const auto finishLater = [this, where, id](bool reached) {
        QTimer::singleShot(0, this, [this, where, id, reached] {
            if (*where && (*where)->id == id)
                finished(*where, reached);
        });
    };
    connect(socket, &QTcpSocket::disconnected, this, [finishLater] { finishLater(true); });
    connect(socket, &QTcpSocket::errorOccurred, this, [finishLater, command](QAbstractSocket::SocketError error) {
        if (error == QAbstractSocket::RemoteHostClosedError)
            return; // the reply is complete; disconnected follows
        finishLater(!command->reply.isEmpty() || command->overflow);
    });
    connect(command->deadline.get(), &QTimer::timeout, this, [finishLater] { finishLater(false); });
    command->deadline->start(CommandTimeoutMs);

    QString host = settings_.servers.at(server);
    quint16 port = DirectoryPort;
    if (const qsizetype colon = host.lastIndexOf(QLatin1Char(':')); colon > 0) {
        port = static_cast<quint16>(host.mid(colon + 1).toUInt());
        host.truncate(colon);
    }
    if (!settings_.bind.isNull())
        socket->bind(settings_.bind);
    socket->connectToHost(host, port);
}

void NodeDirectory::finished(std::unique_ptr<Command>& slot, bool reached)
{
    if (!slot)
        return;
    const bool isLogin = &slot == &login_;
    std::unique_ptr<Command> command = std::move(slot);
    command->socket->disconnect(this);
    command->socket->abort();
    command->deadline->stop();
    const int next = command->server + 1;
    if (isLogin) {
        const QByteArray& reply = command->reply;
        if (reached && reply.startsWith("OK")) {
            if (loginDone)
                loginDone(presence_, Outcome::Done);
            return;
        }
        if (reached && reply.contains("PASSWORD")) {
            if (loginDone)
                loginDone(presence_, Outcome::Refused);
            return;
        }
        if (next < settings_.servers.size())
            return run(login_, command->request, command->maxReply, next);
        if (loginDone)
            loginDone(presence_, Outcome::Unreachable);
        return;
    }
    auto parsed = command->overflow ? std::nullopt : ListedStations::parse(command->reply);
    if (parsed) {
        stations_ = std::move(*parsed);
        if (listDone)
            listDone(Outcome::Done);
        return;
    }
    if (next < settings_.servers.size())
        return run(list_, command->request, command->maxReply, next);
    if (listDone)
        listDone(Outcome::Unreachable);
}
