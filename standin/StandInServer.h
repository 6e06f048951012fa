#pragma once

#include <QHash>
#include <QLockFile>
#include <QObject>
#include <memory>

class QLocalServer;
class QLocalSocket;
class StandInStation;

// Carries protocol lines between the station and its clients over the per-user automation socket.
class StandInServer : public QObject
{
    Q_OBJECT
public:
    explicit StandInServer(StandInStation* station, QObject* parent = nullptr);
    ~StandInServer() override;

    // Claims the socket; false (with the reason) when the folder is not private or another stand-in
    // already serves it. A socket file left behind by one that died is replaced.
    bool listen(QString* error);
    // Delivers what is still queued to the clients, closes the socket and ends the event loop.
    void finish();

private:
    void accept();
    void readFrom(int client);
    void forget(int client);
    void deliver(int client, const QByteArray& line);
    void finishAfter(int delayMs);

    StandInStation* station_;
    QLocalServer* server_;
    std::unique_ptr<QLockFile> lock_;
    QHash<int, QLocalSocket*> clients_;
    QHash<int, QByteArray> incoming_;
    int lastClient_ = 0;
    bool finishing_ = false;
};
