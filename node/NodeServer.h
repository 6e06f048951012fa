#pragma once

#include <QByteArray>
#include <QLockFile>
#include <QObject>
#include <QString>
#include <functional>
#include <map>
#include <memory>

class QSocketNotifier;

// The per-user automation socket on the node's Qt event loop: the same path, folder checks and lock as
// the stand-in, so Corvane cannot tell the two apart and the two never serve at once. What waits for a
// client is bounded: beyond EventQueueBytes, events are left out (and the client is told once, when it
// has caught up) while answers still go; only a client that reads nothing at all up to MaxQueueBytes is
// let go.
class NodeServer : public QObject
{
public:
    static constexpr qsizetype EventQueueBytes = 1024 * 1024;
    static constexpr qsizetype MaxQueueBytes = 16 * 1024 * 1024;

    NodeServer();
    ~NodeServer() override;

    // Claims the socket; clients are taken only once lineReceived is set (see serve()).
    bool listen(QString* error);
    // Takes the clients that waited while there was no lineReceived (the node's start-up, which may wait for
    // the desktop's secret store on a local event loop).
    void serve();
    void answer(int client, const QByteArray& line);
    void event(int client, const QByteArray& line);
    // Writes out what is queued, waiting at most this long (for the last answers before the node ends).
    void drain(int timeoutMs);
    void close();

    std::function<void(int client, const QByteArray& line)> lineReceived;
    std::function<void(int client)> clientLeft;
    // The line that tells a client events were left out.
    std::function<QByteArray()> thinnedNotice;

private:
    struct Client;

    void accept();
    void readFrom(int client);
    void writeTo(int client);
    void queue(int client, const QByteArray& line, bool isEvent);
    void drop(int client);

    int listenFd_ = -1;
    std::unique_ptr<QSocketNotifier> listenWatch_;
    std::unique_ptr<QLockFile> lock_;
    std::map<int, std::unique_ptr<Client>> clients_;
    int lastClient_ = 0;
};
