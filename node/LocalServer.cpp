#include "LocalServer.h"

#include "echolink/EchoLinkWire.h"

#include <AsyncApplication.h>
#include <AsyncFdWatch.h>
#include <QFile>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace {

// A client that does not read its events cannot make the node hold more than this for it.
constexpr qsizetype MaxQueuedBytes = 4 * 1024 * 1024;

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

struct LocalServer::Client
{
    int fd = -1;
    Async::FdWatch reading;
    Async::FdWatch writing;
    QByteArray incoming;
    QByteArray outgoing;
    bool closed = false;

    explicit Client(int socket)
        : fd(socket)
        , reading(socket, Async::FdWatch::FD_WATCH_RD)
        , writing(socket, Async::FdWatch::FD_WATCH_WR)
    {
        writing.setEnabled(false);
    }
    ~Client() { ::close(fd); }
};

LocalServer::LocalServer() = default;

LocalServer::~LocalServer()
{
    close();
}

bool LocalServer::listen(QString* error)
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
    listenWatch_ = std::make_unique<Async::FdWatch>(listenFd_, Async::FdWatch::FD_WATCH_RD);
    listenWatch_->activity.connect([this](Async::FdWatch*) { accept(); });
    return true;
}

void LocalServer::accept()
{
    for (int fd; (fd = ::accept(listenFd_, nullptr, nullptr)) >= 0;) {
        setNonBlocking(fd);
        const int id = ++lastClient_;
        auto client = std::make_unique<Client>(fd);
        client->reading.activity.connect([this, id](Async::FdWatch*) { readFrom(id); });
        client->writing.activity.connect([this, id](Async::FdWatch*) { writeTo(id); });
        clients_.emplace(id, std::move(client));
    }
}

void LocalServer::readFrom(int id)
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

void LocalServer::send(int id, const QByteArray& line)
{
    const auto found = clients_.find(id);
    if (found == clients_.end() || found->second->closed)
        return;
    Client& client = *found->second;
    if (client.outgoing.size() + line.size() > MaxQueuedBytes) {
        drop(id);
        return;
    }
    client.outgoing += line;
    writeTo(id);
}

void LocalServer::writeTo(int id)
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
    }
    client.writing.setEnabled(!client.outgoing.isEmpty());
}

void LocalServer::drop(int id)
{
    const auto found = clients_.find(id);
    if (found == clients_.end() || found->second->closed)
        return;
    found->second->closed = true;
    found->second->reading.setEnabled(false);
    found->second->writing.setEnabled(false);
    clientLeft(id);
    // Its watches may be the ones whose handler runs now; they go once the loop is back.
    Async::Application::app().runTask([this, id] { clients_.erase(id); });
}

void LocalServer::drain(int timeoutMs)
{
    for (auto& [id, client] : clients_) {
        for (int waited = 0; !client->closed && !client->outgoing.isEmpty() && waited < timeoutMs; waited += 10) {
            pollfd watch { client->fd, POLLOUT, 0 };
            ::poll(&watch, 1, 10);
            writeTo(id);
        }
    }
}

void LocalServer::close()
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
