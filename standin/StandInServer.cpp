#include "StandInServer.h"

#include "StandInStation.h"
#include "echolink/EchoLinkWire.h"

#include <QCoreApplication>
#include <QLocalServer>
#include <QLocalSocket>
#include <QTimer>

StandInServer::StandInServer(StandInStation* station, QObject* parent)
    : QObject(parent)
    , station_(station)
    , server_(new QLocalServer(this))
{
    server_->setSocketOptions(QLocalServer::UserAccessOption);
    connect(server_, &QLocalServer::newConnection, this, &StandInServer::accept);
    connect(station_, &StandInStation::send, this, &StandInServer::deliver);
    connect(station_, &StandInStation::finishRequested, this, &StandInServer::finishAfter);
}

StandInServer::~StandInServer()
{
    server_->close();
}

bool StandInServer::listen(QString* error)
{
    lock_ = EchoLinkWire::claimServerPlace(error);
    if (!lock_)
        return false;
    const QString path = EchoLinkWire::serverPath();
    QLocalServer::removeServer(path);
    if (!server_->listen(path)) {
        *error = QStringLiteral("Cannot listen on %1: %2").arg(path, server_->errorString());
        return false;
    }
    return true;
}

void StandInServer::accept()
{
    while (QLocalSocket* socket = server_->nextPendingConnection()) {
        const int client = ++lastClient_;
        clients_.insert(client, socket);
        connect(socket, &QLocalSocket::readyRead, this, [this, client] { readFrom(client); });
        connect(socket, &QLocalSocket::disconnected, this, [this, client] { forget(client); });
    }
}

void StandInServer::readFrom(int client)
{
    QLocalSocket* socket = clients_.value(client);
    if (!socket)
        return;
    // Work on a copy: answering may end the client and with it its buffer.
    QByteArray buffer = incoming_.take(client) + socket->readAll();
    qsizetype start = 0;
    for (qsizetype end; (end = buffer.indexOf('\n', start)) >= 0; start = end + 1) {
        station_->handleLine(client, buffer.mid(start, end - start));
        if (!clients_.contains(client))
            return;
    }
    buffer.remove(0, start);
    if (buffer.size() > EchoLinkWire::MaxLineBytes) {
        qWarning("EchoLink stand-in: dropping a client that sent a line longer than %d bytes",
                 EchoLinkWire::MaxLineBytes);
        socket->abort();
        return;
    }
    incoming_.insert(client, buffer);
}

void StandInServer::forget(int client)
{
    QLocalSocket* socket = clients_.take(client);
    incoming_.remove(client);
    station_->clientLeft(client);
    if (socket)
        socket->deleteLater();
}

void StandInServer::deliver(int client, const QByteArray& line)
{
    QLocalSocket* socket = clients_.value(client);
    if (!socket || socket->state() != QLocalSocket::ConnectedState)
        return;
    socket->write(line);
    socket->flush();
}

void StandInServer::finishAfter(int delayMs)
{
    if (delayMs <= 0) {
        finish();
        return;
    }
    QTimer::singleShot(delayMs, this, &StandInServer::finish);
}

void StandInServer::finish()
{
    if (finishing_)
        return;
    finishing_ = true;
    for (QLocalSocket* socket : std::as_const(clients_)) {
        if (socket->state() == QLocalSocket::ConnectedState && socket->bytesToWrite() > 0)
            socket->waitForBytesWritten(1000);
    }
    server_->close();
    QCoreApplication::exit(0);
}
