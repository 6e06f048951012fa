#pragma once

#include <QByteArray>
#include <QLockFile>
#include <QString>
#include <map>
#include <memory>
#include <sigc++/sigc++.h>

namespace Async {
class FdWatch;
}

// The per-user automation socket, served from the library's event loop: the same path, folder checks and
// lock as the stand-in, so Corvane cannot tell the two apart and the two never serve at once.
class LocalServer : public sigc::trackable
{
public:
    LocalServer();
    ~LocalServer();
    LocalServer(const LocalServer&) = delete;
    LocalServer& operator=(const LocalServer&) = delete;

    // Claims the socket; false with the reason when the folder is not private or it is already served.
    bool listen(QString* error);
    void send(int client, const QByteArray& line);
    // Writes out what is queued, waiting at most this long (for the last answers before the node ends).
    void drain(int timeoutMs);
    void close();

    sigc::signal<void, int, const QByteArray&> lineReceived;
    sigc::signal<void, int> clientLeft;

private:
    struct Client;

    void accept();
    void readFrom(int client);
    void writeTo(int client);
    void drop(int client);

    int listenFd_ = -1;
    std::unique_ptr<Async::FdWatch> listenWatch_;
    std::unique_ptr<QLockFile> lock_;
    std::map<int, std::unique_ptr<Client>> clients_;
    int lastClient_ = 0;
};
