#include "DirectoryClient.h"

#include "platform/Clock.h"

#include <QTcpSocket>

namespace {

constexpr qsizetype ReadChunkBytes = 64 * 1024;

} // namespace

DirectoryClient::DirectoryClient(Settings settings, Clock& clock, QObject* parent)
    : QObject(parent)
    , m_settings(std::move(settings))
    , m_clock(clock)
    , m_callsign(m_settings.login.callsign.trimmed().toUpper())
{
    m_settings.servers.removeAll(QString());
    const auto timer = [this](int ms, void (DirectoryClient::*handler)()) {
        auto made = std::make_unique<Timer>(m_clock, qMax(ms, 1));
        connect(made.get(), &Timer::timeout, this, handler);
        return made;
    };
    m_connectTimer = timer(m_settings.connectTimeoutMs, &DirectoryClient::connectTimedOut);
    m_replyTimer = std::make_unique<Timer>(m_clock, qMax(m_settings.replyTimeoutMs, 1));
    connect(m_replyTimer.get(), &Timer::timeout, this, [this] {
        replyTimedOut(QStringLiteral("The EchoLink directory took longer than %1 seconds to answer")
                          .arg(m_settings.replyTimeoutMs / 1000));
    });
    m_stallTimer = std::make_unique<Timer>(m_clock, qMax(m_settings.stallTimeoutMs, 1));
    connect(m_stallTimer.get(), &Timer::timeout, this, [this] {
        replyTimedOut(QStringLiteral("The EchoLink directory stopped answering for %1 seconds")
                          .arg(m_settings.stallTimeoutMs / 1000));
    });
    m_retryTimer = std::make_unique<Timer>(m_clock, FirstRetryMs);
    connect(m_retryTimer.get(), &Timer::timeout, this, [this] {
        m_retryTimer->stop();
        if (m_wanted != Status::Offline) {
            m_statusWanted = true;
            startNext();
        }
    });
    m_registrationTimer = std::make_unique<Timer>(m_clock, RegistrationRefreshMs);
    connect(m_registrationTimer.get(), &Timer::timeout, this, [this] {
        if (m_wanted != Status::Offline && !m_retryTimer->isActive()) {
            m_statusWanted = true;
            startNext();
        }
    });
    m_settings.listRefreshSeconds = qBound(0, m_settings.listRefreshSeconds, 24 * 60 * 60);
    m_listTimer = std::make_unique<Timer>(m_clock, qMax(m_settings.listRefreshSeconds, 1) * 1000);
    connect(m_listTimer.get(), &Timer::timeout, this, [this] { refresh(); });
}

DirectoryClient::~DirectoryClient()
{
    dropSocket();
}

void DirectoryClient::setStatus(Status wanted)
{
    // The same status again changes nothing: retries and renewals run on their own timers.
    if (wanted == m_wanted)
        return;
    m_wanted = wanted;
    m_retryTimer->stop();
    m_retryMs = FirstRetryMs;
    if (wanted == Status::Offline) {
        m_listWanted = false;
        // Nothing to sign off from unless logged in or on the way.
        m_statusWanted = m_confirmed != Status::Offline || m_job == Job::Status;
    } else {
        m_statusWanted = true;
    }
    updateTimers();
    startNext();
}

bool DirectoryClient::refresh()
{
    if (m_wanted == Status::Offline)
        return false;
    if (!isRefreshing()) {
        m_listWanted = true;
        startNext();
    }
    return true;
}

void DirectoryClient::updateTimers()
{
    const bool on = m_wanted != Status::Offline && m_confirmed != Status::Offline;
    if (on && !m_registrationTimer->isActive())
        m_registrationTimer->start();
    else if (!on)
        m_registrationTimer->stop();
    if (on && m_settings.listRefreshSeconds > 0 && !m_listTimer->isActive())
        m_listTimer->start();
    else if (!on || m_settings.listRefreshSeconds <= 0)
        m_listTimer->stop();
}

void DirectoryClient::startNext()
{
    if (m_job != Job::None)
        return;
    if (m_settings.servers.isEmpty()) {
        if (m_statusWanted || m_listWanted) {
            m_statusWanted = m_listWanted = false;
            m_lastError = QStringLiteral("No EchoLink directory server is configured");
            Q_EMIT loginFailed(m_lastError);
        }
        return;
    }
    if (m_statusWanted) {
        m_statusWanted = false;
        m_job = Job::Status;
        m_jobStatus = m_wanted;
        m_loginReply.clear();
    } else if (m_listWanted && m_confirmed != Status::Offline) {
        // A fetch waits for the login: the directory lists only to stations that are logged in.
        m_listWanted = false;
        m_job = Job::List;
        m_parser.emplace(m_settings.limits);
    } else {
        return;
    }
    m_serversTried = 0;
    m_replyBytes = 0;
    connectToServer();
}

QString DirectoryClient::serverName() const
{
    return m_settings.servers.value(m_server);
}

void DirectoryClient::connectToServer()
{
    dropSocket();
    m_server %= m_settings.servers.size();
    ++m_serversTried;
    m_connected = false;
    auto* socket = new QTcpSocket(this);
    m_socket = socket;
    socket->setReadBufferSize(ReadChunkBytes);
    connect(socket, &QTcpSocket::connected, this, &DirectoryClient::connected);
    connect(socket, &QTcpSocket::readyRead, this, &DirectoryClient::readReply);
    connect(socket, &QTcpSocket::disconnected, this, &DirectoryClient::closed);
    connect(socket, &QTcpSocket::errorOccurred, this, &DirectoryClient::socketError);
    if (!m_settings.bindAddress.isNull())
        socket->bind(m_settings.bindAddress);
    m_connectTimer->start();
    socket->connectToHost(serverName(), m_settings.port);
}

void DirectoryClient::dropSocket()
{
    m_connectTimer->stop();
    m_replyTimer->stop();
    m_stallTimer->stop();
    if (QTcpSocket* socket = m_socket) {
        m_socket = nullptr;
        disconnect(socket, nullptr, this, nullptr);
        socket->abort();
        socket->deleteLater();
    }
}

void DirectoryClient::connected()
{
    m_connectTimer->stop();
    m_connected = true;
    const QByteArray command = m_job == Job::Status
        ? DirectoryProtocol::loginRequest(m_settings.login, m_jobStatus, m_clock.now().toLocalTime().time())
        : DirectoryProtocol::listRequest();
    if (command.isEmpty()) {
        dropSocket();
        m_statusWanted = false;
        endJob();
        m_lastError = QStringLiteral("The callsign \"%1\" cannot log in to the EchoLink directory").arg(m_callsign);
        Q_EMIT loginFailed(m_lastError);
        return;
    }
    m_replyTimer->start();
    m_stallTimer->start();
    m_socket->write(command);
}

void DirectoryClient::readReply()
{
    while (m_socket && m_socket->bytesAvailable() > 0) {
        const QByteArray bytes = m_socket->read(ReadChunkBytes);
        if (bytes.isEmpty())
            break;
        m_replyBytes += bytes.size();
        m_stallTimer->start();
        if (m_job == Job::Status) {
            m_loginReply += bytes.left(DirectoryProtocol::MaxLoginReplyBytes - m_loginReply.size());
            const auto reply = DirectoryProtocol::parseLoginReply(m_loginReply, false);
            if (reply.kind != DirectoryProtocol::LoginReply::Incomplete)
                return finishStatus(reply);
        } else if (m_job == Job::List) {
            if (m_parser->feed(bytes) != DirectoryProtocol::ListParser::State::Reading)
                return finishList();
        }
    }
}

void DirectoryClient::closed()
{
    if (!m_connected)
        return; // a refused connection: socketError tries the next server
    readReply();
    if (m_job == Job::Status)
        finishStatus(DirectoryProtocol::parseLoginReply(m_loginReply, true));
    else if (m_job == Job::List) {
        m_parser->finish();
        finishList();
    }
}

void DirectoryClient::socketError()
{
    if (!m_socket)
        return;
    if (m_connected) {
        // The server closing after its answer is the normal end; closed() judges what arrived.
        if (m_socket->error() == QAbstractSocket::RemoteHostClosedError)
            return;
        return failJob(QStringLiteral("The connection to the EchoLink directory %1 failed: %2")
                           .arg(serverName(), m_socket->errorString()));
    }
    const QString reason = m_socket->errorString();
    m_lastError = QStringLiteral("No EchoLink directory server could be reached (%1: %2)").arg(serverName(), reason);
    ++m_server;
    if (m_serversTried < m_settings.servers.size())
        return connectToServer();
    failJob(m_lastError);
}

void DirectoryClient::connectTimedOut()
{
    m_connectTimer->stop();
    if (!m_socket || m_connected)
        return;
    m_lastError = QStringLiteral("No EchoLink directory server could be reached (%1: no answer within %2 seconds)")
                      .arg(serverName())
                      .arg(m_settings.connectTimeoutMs / 1000);
    ++m_server;
    if (m_serversTried < m_settings.servers.size())
        return connectToServer();
    failJob(m_lastError);
}

void DirectoryClient::replyTimedOut(const QString& reason)
{
    if (m_job == Job::None)
        return;
    // The next attempt goes to another server, if there is one.
    ++m_server;
    failJob(reason);
}

void DirectoryClient::endJob()
{
    dropSocket();
    m_job = Job::None;
    m_parser.reset();
    m_loginReply.clear();
    m_replyBytes = 0;
}

void DirectoryClient::failJob(const QString& reason)
{
    const Job job = m_job;
    const Status status = m_jobStatus;
    endJob();
    m_lastError = reason;
    if (job == Job::Status) {
        if (status == Status::Offline) {
            // Signing off is best effort: the directory forgets a silent station by itself.
            setConfirmed(Status::Offline);
        } else {
            scheduleRetry(m_retryMs);
            m_retryMs = qMin(m_retryMs * 2, LongestRetryMs);
        }
        Q_EMIT loginFailed(reason);
        failWaitingList(reason);
    } else if (job == Job::List) {
        Q_EMIT listFailed(reason);
    }
    startNext();
}

// A fetch waiting for a login that did not come ends now, so whoever asked is not left waiting.
void DirectoryClient::failWaitingList(const QString& reason)
{
    if (!m_listWanted || m_confirmed != Status::Offline)
        return;
    m_listWanted = false;
    Q_EMIT listFailed(reason);
}

void DirectoryClient::scheduleRetry(int delayMs)
{
    if (m_wanted == Status::Offline)
        return;
    m_retryTimer->setInterval(delayMs);
    m_retryTimer->start();
}

void DirectoryClient::finishStatus(const DirectoryProtocol::LoginReply& reply)
{
    using Reply = DirectoryProtocol::LoginReply;
    if (reply.kind == Reply::NoReply) {
        ++m_server;
        return failJob(
            QStringLiteral("The EchoLink directory %1 closed the connection without an answer").arg(serverName()));
    }
    const Status status = m_jobStatus;
    endJob();
    if (reply.kind == Reply::Accepted) {
        m_refused = false;
        m_retryMs = FirstRetryMs;
        setConfirmed(status);
        // A fetch asked for before the login can go now.
        if (status != Status::Offline && m_stations.isEmpty() && m_listTime.isNull())
            m_listWanted = true;
    } else {
        const bool first = !m_refused;
        m_refused = true;
        // A server that echoes the password back must not get it into a message.
        QString said = reply.text;
        if (!m_settings.login.password.isEmpty())
            said.replace(m_settings.login.password, QStringLiteral("…"));
        m_lastError = reply.incorrectPassword
            ? QStringLiteral("The EchoLink directory refused the login of %1: incorrect password").arg(m_callsign)
            : QStringLiteral("The EchoLink directory refused the login of %1: %2").arg(m_callsign, said);
        setConfirmed(Status::Offline);
        // The directory will say the same until the account changes: ask again only now and then.
        scheduleRetry(LongestRetryMs);
        m_retryMs = LongestRetryMs;
        if (first)
            Q_EMIT loginRefused(m_lastError);
        failWaitingList(m_lastError);
    }
    startNext();
}

void DirectoryClient::finishList()
{
    using State = DirectoryProtocol::ListParser::State;
    const State state = m_parser->state();
    if (state == State::Done) {
        StationList list = m_parser->list();
        m_skipped = m_parser->skipped();
        endJob();
        m_stations = std::move(list);
        m_listTime = m_clock.now();
        Q_EMIT stationListUpdated();
    } else {
        const QString error = m_parser->error();
        failJob(error);
        return;
    }
    startNext();
}

void DirectoryClient::setConfirmed(Status status)
{
    const bool changed = status != m_confirmed;
    m_confirmed = status;
    updateTimers();
    if (changed)
        Q_EMIT statusChanged(status);
}
