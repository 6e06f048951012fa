#include "NodeServer.h"

#include "echolink/EchoLinkWire.h"

#include <QFile>
#include <QSocketNotifier>
#include <QTimer>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace {

QString systemError()
{
    return QString::fromLocal8Bit(std::strerror(errno));
}

void setNonBlocking(int fd)
{
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) | O_NONBLOCK);
    ::fcntl(fd, F_SETFD, FD_CLOEXEC);
}

} // namespace

struct NodeServer::Client
{
    int fd = -1;
    QSocketNotifier reading;
    QSocketNotifier writing;
    QByteArray incoming;
    QByteArray outgoing;
    bool closed = false;
    bool thinned = false;

    explicit Client(int socket)
        : fd(socket)
        , reading(socket, QSocketNotifier::Read)
        , writing(socket, QSocketNotifier::Write)
    {
        writing.setEnabled(false);
    }
    ~Client() { ::close(fd); }
};

NodeServer::NodeServer() = default;

NodeServer::~NodeServer()
{
    close();
}

bool NodeServer::listen(QString* error)
{
    lock_ = EchoLinkWire::claimServerPlace(error);
    if (!lock_)
        return false;
    const QString path = EchoLinkWire::serverPath();
    const QByteArray encoded = QFile::encodeName(path);
    sockaddr_un address {};
    address.sun_family = AF_UNIX;
    if (static_cast<std::size_t>(encoded.size()) >= sizeof(address.sun_path)) {
        *error = QStringLiteral("The socket path %1 is too long").arg(path);
        return false;
    }
    std::memcpy(address.sun_path, encoded.constData(), static_cast<std::size_t>(encoded.size()));
    ::unlink(encoded.constData()); // one left by a node or stand-in that died; the lock says none runs
    listenFd_ = ::socket(AF_UNIX, SOCK_STREAM, 0);
    if (listenFd_ < 0 || ::bind(listenFd_, reinterpret_cast<sockaddr*>(&address), sizeof(address)) != 0
        || ::chmod(encoded.constData(), 0600) != 0 || ::listen(listenFd_, 8) != 0) {
        *error = QStringLiteral("Cannot listen on %1: %2").arg(path, systemError());
        return false;
    }
    setNonBlocking(listenFd_);
    listenWatch_ = std::make_unique<QSocketNotifier>(listenFd_, QSocketNotifier::Read);
    connect(listenWatch_.get(), &QSocketNotifier::activated, this, [this] { accept(); });
    return true;
}

void NodeServer::accept()
{
    // Until someone answers the lines, clients wait in the listen queue: a line read now would be lost.
    if (!lineReceived) {
        listenWatch_->setEnabled(false);
        return;
    }
    for (int fd; (fd = ::accept(listenFd_, nullptr, nullptr)) >= 0;) {
        setNonBlocking(fd);
        const int id = ++lastClient_;
        auto client = std::make_unique<Client>(fd);
        connect(&client->reading, &QSocketNotifier::activated, this, [this, id] { readFrom(id); });
        connect(&client->writing, &QSocketNotifier::activated, this, [this, id] { writeTo(id); });
        clients_.emplace(id, std::move(client));
    }
}

void NodeServer::serve()
{
    if (!listenWatch_ || !lineReceived)
        return;
    listenWatch_->setEnabled(true);
    accept();
}

void NodeServer::readFrom(int id)
{
    const auto found = clients_.find(id);
    if (found == clients_.end() || found->second->closed)
        return;
    Client& client = *found->second;
    char buffer[16384];
    const ssize_t got = ::read(client.fd, buffer, sizeof(buffer));
    if (got == 0 || (got < 0 && errno != EAGAIN && errno != EINTR)) {
        drop(id);
        return;
    }
    if (got < 0)
        return;
    client.incoming.append(buffer, got);
    qsizetype start = 0;
    QByteArray pending = std::exchange(client.incoming, {});
    for (qsizetype end; (end = pending.indexOf('\n', start)) >= 0; start = end + 1) {
        if (lineReceived)
            lineReceived(id, pending.mid(start, end - start));
        if (!clients_.count(id) || clients_.at(id)->closed)
            return;
    }
    pending.remove(0, start);
    if (pending.size() > EchoLinkWire::MaxLineBytes) {
        drop(id); // not speaking the protocol
        return;
    }
    clients_.at(id)->incoming = pending;
}

void NodeServer::answer(int client, const QByteArray& line)
{
    queue(client, line, false);
}

void NodeServer::event(int client, const QByteArray& line)
{
    queue(client, line, true);
}

void NodeServer::queue(int id, const QByteArray& line, bool isEvent)
{
    const auto found = clients_.find(id);
    if (found == clients_.end() || found->second->closed)
        return;
    Client& client = *found->second;
    if (isEvent && client.outgoing.size() + line.size() > EventQueueBytes) {
        client.thinned = true;
        return;
    }
    if (client.outgoing.size() + line.size() > MaxQueueBytes) {
        drop(id);
        return;
    }
    client.outgoing += line;
    writeTo(id);
}

void NodeServer::writeTo(int id)
{
    const auto found = clients_.find(id);
    if (found == clients_.end() || found->second->closed)
        return;
    Client& client = *found->second;
    while (!client.outgoing.isEmpty()) {
        const ssize_t sent = ::send(client.fd, client.outgoing.constData(),
                                    static_cast<std::size_t>(client.outgoing.size()), MSG_NOSIGNAL);
        if (sent < 0 && (errno == EAGAIN || errno == EINTR))
            break;
        if (sent <= 0) {
            drop(id);
            return;
        }
        client.outgoing.remove(0, sent);
        if (client.outgoing.isEmpty() && client.thinned && thinnedNotice) {
            client.thinned = false;
            client.outgoing = thinnedNotice();
        }
    }
    client.writing.setEnabled(!client.outgoing.isEmpty());
}

void NodeServer::drop(int id)
{
    const auto found = clients_.find(id);
    if (found == clients_.end() || found->second->closed)
        return;
    found->second->closed = true;
    found->second->reading.setEnabled(false);
    found->second->writing.setEnabled(false);
    if (clientLeft)
        clientLeft(id);
    // Its notifiers may be the ones whose handler runs now; they go once the loop is back.
    QTimer::singleShot(0, this, [this, id] { clients_.erase(id); });
}

void NodeServer::drain(int timeoutMs)
{
    for (auto& [id, client] : clients_) {
        for (int waited = 0; !client->closed && !client->outgoing.isEmpty() && waited < timeoutMs; waited += 10) {
            pollfd watch { client->fd, POLLOUT, 0 };
            ::poll(&watch, 1, 10);
            writeTo(id);
        }
    }
}

void NodeServer::close()
{
    clients_.clear();
    listenWatch_.reset();
    if (listenFd_ >= 0) {
        ::close(listenFd_);
        listenFd_ = -1;
        ::unlink(QFile::encodeName(EchoLinkWire::serverPath()).constData());
    }
    lock_.reset();
}
