#include "Node.h"

#include "LocalServer.h"
#include "NodeAudio.h"
#include "NodeText.h"
#include "echolink/EchoLinkWire.h"

#include <AsyncApplication.h>
#include <AsyncTimer.h>
#include <EchoLinkDirectory.h>
#include <EchoLinkDispatcher.h>
#include <EchoLinkQso.h>
#include <EchoLinkStationData.h>
#include <QDateTime>
#include <QJsonObject>
#include <cstdio>

namespace {

QByteArray bytes(const std::string& text)
{
    return QByteArray(text.data(), static_cast<qsizetype>(text.size()));
}

std::string wire(const QString& text)
{
    return NodeText::toWindows1252(text).toStdString();
}

AlarmWatch::State watchState(EchoLink::StationData::Status status)
{
    switch (status) {
    case EchoLink::StationData::STAT_ONLINE:
        return AlarmWatch::State::On;
    case EchoLink::StationData::STAT_BUSY:
        return AlarmWatch::State::Busy;
    default:
        return AlarmWatch::State::Off;
    }
}

bool isConference(const QString& call)
{
    return call.startsWith(QLatin1Char('*'));
}

} // namespace

struct Node::Link
{
    std::unique_ptr<EchoLink::Qso> qso;
    QString call;
    QString address;
    QString description;
    std::optional<ConnectRequest> pending;
    std::unique_ptr<Async::Timer> timeout;
    bool announced = false;
    bool gone = false;
};

Node::Node(LocalServer& server, std::optional<NodeConfig> config, QString problem, bool verbose)
    : server_(server)
    , config_(std::move(config))
    , problem_(std::move(problem))
    , verbose_(verbose)
    , alarms_(config_ ? config_->alarms : QStringList())
{
    server_.lineReceived.connect(sigc::mem_fun(*this, &Node::handleLine));
    server_.clientLeft.connect(sigc::mem_fun(*this, &Node::clientLeft));
}

Node::~Node()
{
    links_.clear();
    audio_.reset();
    directory_.reset();
    EchoLink::Dispatcher::deleteInstance();
}

bool Node::start(QString* error)
{
    if (!config_)
        return false;
    EchoLink::Dispatcher::setPortBase(config_->portBase);
    if (!config_->bindAddress.isEmpty())
        EchoLink::Dispatcher::setBindAddr(Async::IpAddress(config_->bindAddress.toStdString()));
    EchoLink::Dispatcher* dispatcher = EchoLink::Dispatcher::instance();
    if (!dispatcher) {
        problem_ = QStringLiteral("The EchoLink node cannot open its UDP ports %1 and %2 (another EchoLink program "
                                  "may be using them)")
                       .arg(config_->portBase)
                       .arg(config_->portBase + 1);
        *error = problem_;
        return false;
    }
    dispatcher->incomingConnection.connect(sigc::mem_fun(*this, &Node::incomingConnection));

    QString micError;
    QString speakerError;
    auto microphone = Microphone::create(config_->audioIn, &micError);
    auto speaker = Speaker::create(config_->audioOut, &speakerError);
    audioProblem_ = micError;
    if (!speakerError.isEmpty())
        note(speakerError);
    if (!micError.isEmpty())
        note(micError);
    audio_ = std::make_unique<AudioPaths>(std::move(microphone), std::move(speaker));

    createDirectory();
    login();
    if (config_->listRefreshSeconds > 0) {
        refreshTimer_ = std::make_unique<Async::Timer>(config_->listRefreshSeconds * 1000, Async::Timer::TYPE_PERIODIC);
        refreshTimer_->expired.connect([this](Async::Timer*) {
            if (loggedIn())
                requestList();
        });
    }
    return true;
}

// ---- the socket side ------------------------------------------------------------------------------------

void Node::handleLine(int client, const QByteArray& line)
{
    const auto parsed = NodeCalls::parse(line);
    if (const auto* refusal = std::get_if<NodeCalls::Refusal>(&parsed)) {
        refuse({ client, refusal->id }, refusal->error);
        return;
    }
    sessions_.insert(client); // a client that calls operations hears every event from now on
    handleCall(client, std::get<NodeCalls::Call>(parsed));
}

void Node::clientLeft(int client)
{
    sessions_.remove(client);
}

void Node::handleCall(int client, const Call& call)
{
    const Waiter waiter { client, call.id };
    const QString& op = call.op;
    const auto text = [&call](int i) { return call.args.at(i).toString(); };
    const auto flag = [&call](int i) { return call.args.at(i).toBool(); };
    note(QStringLiteral("call %1").arg(op));
    if (op == QLatin1String("Quit")) {
        answer(waiter);
        finish();
        return;
    }
    if (op == QLatin1String("Shutdown"))
        return shutdown(waiter);
    if (!problem_.isEmpty() || !config_)
        return refuse(waiter, problem_);
    if (finishing_)
        return refuse(waiter, QStringLiteral("EchoLink is closing"));
    if (op == QLatin1String("Connect1"))
        return connect1(waiter, text(0), flag(1));
    if (op == QLatin1String("Disconnect1"))
        return disconnect1(waiter, text(0));
    if (op == QLatin1String("DisconnectAll")) {
        disconnectAll();
        return answer(waiter);
    }
    if (op == QLatin1String("Transmit"))
        return transmit(waiter, flag(0));
    if (op == QLatin1String("SendChatText")) {
        sendChatText(text(0));
        return answer(waiter);
    }
    if (op == QLatin1String("RefreshStationList"))
        return refreshStationList(waiter, flag(0));
    if (op == QLatin1String("Reset"))
        return reset(waiter);
    if (op == QLatin1String("Receiving"))
        return answer(waiter, receiving_);
    if (op == QLatin1String("Transmitting"))
        return answer(waiter, transmitting_);
    if (op == QLatin1String("SystemConfig.Callsign"))
        return answer(waiter, config_->callsign);
    if (op == QLatin1String("AlarmLogText"))
        return answer(waiter, alarms_.logText());
}

void Node::answer(const Waiter& waiter, const QJsonValue& value)
{
    server_.send(waiter.client, EchoLinkWire::encode(EchoLinkWire::reply(waiter.id, value)));
}

void Node::refuse(const Waiter& waiter, const QString& error)
{
    note(QStringLiteral("refused: %1").arg(error));
    server_.send(waiter.client, EchoLinkWire::encode(EchoLinkWire::failure(waiter.id, error)));
}

void Node::raise(const QString& name, const QJsonArray& args)
{
    note(QStringLiteral("event %1").arg(name));
    const QByteArray line = EchoLinkWire::encode(EchoLinkWire::event(name, args));
    for (const int client : std::as_const(sessions_))
        server_.send(client, line);
}

void Node::note(const QString& text) const
{
    if (!verbose_)
        return;
    QString safe = text;
    if (config_ && !config_->password.isEmpty())
        safe.replace(config_->password, QStringLiteral("********"));
    std::fprintf(stderr, "corvane-echolinkd: %s\n", safe.toLocal8Bit().constData());
}

// ---- operations -----------------------------------------------------------------------------------------

void Node::connect1(const Waiter& waiter, const QString& station, bool wait)
{
    const QString key = NodeText::stationKey(station);
    if (key.isEmpty())
        return refuse(waiter, QStringLiteral("No station specified"));
    if (Link* link = linkFor(key))
        return refuse(waiter, QStringLiteral("Already connected to %1").arg(link->call));
    if (static_cast<int>(links_.size()) >= MaxLinks)
        return refuse(waiter, QStringLiteral("Too many connections"));
    tryConnect({ waiter, key, wait }, false);
}

void Node::tryConnect(const ConnectRequest& request, bool listRefreshed)
{
    if (const EchoLink::StationData* station = findStation(request.key))
        return startQso(request, *station);
    if (listRefreshed)
        return refuse(request.waiter, QStringLiteral("Station %1 not found").arg(request.key));
    if (!loggedIn())
        return refuse(request.waiter, directoryTrouble());
    // A station that logged in since the last list is in the next one.
    connectWaiters_.push_back(request);
    requestList();
}

const EchoLink::StationData* Node::findStation(const QString& key)
{
    if (!directory_)
        return nullptr;
    if (NodeText::isNodeNumber(key))
        return directory_->findStation(key.toInt());
    const std::string call = key.toStdString();
    for (const auto* list :
         { &directory_->stations(), &directory_->conferences(), &directory_->links(), &directory_->repeaters() }) {
        for (const EchoLink::StationData& station : *list) {
            if (station.callsign() == call)
                return &station;
        }
    }
    return nullptr;
}

void Node::startQso(const ConnectRequest& request, const EchoLink::StationData& station)
{
    const QString call = NodeText::callFromWire(bytes(station.callsign()));
    if (Link* link = linkFor(call))
        return refuse(request.waiter, QStringLiteral("Already connected to %1").arg(link->call));
    if (station.status() == EchoLink::StationData::STAT_BUSY && !isConference(call))
        return refuse(request.waiter, QStringLiteral("Station %1 is busy").arg(call));
    auto qso = std::make_unique<EchoLink::Qso>(station.ip(), wire(config_->callsign), wire(config_->name),
                                               wire(config_->info));
    if (!qso->initOk())
        return refuse(
            request.waiter,
            QStringLiteral("Already connected to the station at %1").arg(QString::fromStdString(station.ipStr())));
    qso->setRemoteCallsign(station.callsign());
    Link& link = addLink(std::move(qso), call);
    link.description = NodeText::nameFromWire(bytes(station.description()));
    link.pending = request;
    if (!request.wait)
        answer(request.waiter);
    link.timeout = std::make_unique<Async::Timer>(ConnectTimeoutMs);
    link.timeout->expired.connect(
        [this, l = &link](Async::Timer*) { linkFailed(l, QStringLiteral("Station %1 did not answer").arg(l->call)); });
    if (!link.qso->connect())
        linkFailed(&link, QStringLiteral("Cannot send to station %1").arg(call));
}

void Node::disconnect1(const Waiter& waiter, const QString& station)
{
    if (Link* link = linkFor(NodeText::stationKey(station))) {
        if (link->pending)
            linkFailed(link, QStringLiteral("Connection to %1 cancelled").arg(link->call));
        else {
            link->qso->disconnect();
            linkGone(link);
        }
    }
    answer(waiter);
}

void Node::disconnectAll()
{
    std::vector<Link*> open;
    for (const auto& link : links_) {
        if (!link->gone)
            open.push_back(link.get());
    }
    for (auto it = open.rbegin(); it != open.rend(); ++it) {
        Link* link = *it;
        if (link->pending) {
            linkFailed(link, QStringLiteral("Connection to %1 cancelled").arg(link->call));
            continue;
        }
        link->qso->disconnect();
        linkGone(link);
    }
}

void Node::transmit(const Waiter& waiter, bool on)
{
    if (on && !transmitting_) {
        QString error = audioProblem_;
        if (!error.isEmpty() || !audio_->startTransmit(&error))
            return refuse(waiter, error);
    } else if (!on && transmitting_) {
        audio_->stopTransmit();
    }
    transmitting_ = on;
    raise(QStringLiteral("OnTX"), { on });
    answer(waiter);
}

void Node::sendChatText(const QString& text)
{
    const std::string message = NodeText::chatToWire(text).toStdString();
    for (const auto& link : links_) {
        if (!link->gone && link->announced)
            link->qso->sendChatData(message);
    }
}

void Node::refreshStationList(const Waiter& waiter, bool wait)
{
    if (!loggedIn() && (loginRefused_ || !lastError_.isEmpty()))
        return refuse(waiter, directoryTrouble());
    if (!wait) {
        answer(waiter);
        return requestList();
    }
    listWaiters_.push_back(waiter);
    if (!listTimer_) {
        listTimer_ = std::make_unique<Async::Timer>(ListTimeoutMs);
        listTimer_->expired.connect([this](Async::Timer*) {
            listTimer_->setEnable(false);
            const QString trouble = loggedIn() ? QStringLiteral("The EchoLink directory did not send the station list")
                                               : directoryTrouble();
            for (const Waiter& late : std::exchange(listWaiters_, {}))
                refuse(late, trouble);
        });
    } else {
        listTimer_->setEnable(false);
        listTimer_->setEnable(true);
    }
    requestList();
}

void Node::reset(const Waiter& waiter)
{
    disconnectAll();
    for (const Waiter& listWaiter : std::exchange(listWaiters_, {}))
        refuse(listWaiter, QStringLiteral("EchoLink was reset"));
    for (const ConnectRequest& request : std::exchange(connectWaiters_, {}))
        refuse(request.waiter, QStringLiteral("EchoLink was reset"));
    // The directory goes once the loop is back: this may run from inside one of its own handlers.
    Async::Application::app().runTask([this] {
        createDirectory();
        login();
        requestList();
    });
    answer(waiter);
}

void Node::shutdown(const Waiter& waiter)
{
    if (shuttingDown_ || finishing_)
        return answer(waiter);
    shuttingDown_ = true;
    disconnectAll();
    const auto closing = [this, waiter] {
        raise(QStringLiteral("OnClosing"));
        answer(waiter);
        graceTimer_ = std::make_unique<Async::Timer>(ClosingGraceMs);
        graceTimer_->expired.connect([this](Async::Timer*) { finish(); });
    };
    if (!directory_ || !loggedIn())
        return closing();
    whenOffline(offlineTimer_, closing);
}

void Node::finish()
{
    if (finishing_)
        return;
    finishing_ = true;
    disconnectAll();
    const auto done = [this] {
        if (audio_)
            audio_->close();
        server_.drain(500);
        finished();
    };
    if (!directory_ || !loggedIn())
        return done();
    whenOffline(endTimer_, done);
}

void Node::whenOffline(std::unique_ptr<Async::Timer>& timer, std::function<void()> then)
{
    whenOffline_ = std::move(then);
    directory_->makeOffline();
    // Bounded: a directory that does not answer must not keep the operator waiting.
    timer = std::make_unique<Async::Timer>(OfflineWaitMs);
    timer->expired.connect([this](Async::Timer*) { wentOffline(); });
}

void Node::wentOffline()
{
    if (!whenOffline_)
        return;
    Async::Application::app().runTask(std::exchange(whenOffline_, {}));
}

// ---- the directory --------------------------------------------------------------------------------------

void Node::createDirectory()
{
    std::vector<std::string> servers;
    for (const QString& server : std::as_const(config_->servers))
        servers.push_back(server.toStdString());
    const Async::IpAddress bind
        = config_->bindAddress.isEmpty() ? Async::IpAddress() : Async::IpAddress(config_->bindAddress.toStdString());
    directory_ = std::make_unique<EchoLink::Directory>(servers, config_->callsign.toStdString(),
                                                       config_->password.toStdString(), wire(config_->location), bind);
    directory_->statusChanged.connect(
        [this](EchoLink::StationData::Status status) { directoryStatusChanged(static_cast<int>(status)); });
    directory_->stationListUpdated.connect(sigc::mem_fun(*this, &Node::stationListUpdated));
    directory_->error.connect(sigc::mem_fun(*this, &Node::directoryError));
}

void Node::login()
{
    if (links_.empty())
        directory_->makeOnline();
    else
        directory_->makeBusy();
}

bool Node::loggedIn() const
{
    if (!directory_)
        return false;
    const auto status = directory_->status();
    return status == EchoLink::StationData::STAT_ONLINE || status == EchoLink::StationData::STAT_BUSY;
}

void Node::directoryStatusChanged(int status)
{
    note(QStringLiteral("directory status %1").arg(status));
    const bool up = loggedIn();
    if (!up)
        wentOffline();
    if (up) {
        lastError_.clear();
        loginRefused_ = false;
        retryMs_ = FirstRetryMs;
        if (retryTimer_)
            retryTimer_->setEnable(false);
        if (std::exchange(listAfterLogin_, false))
            requestList();
    } else if (!shuttingDown_ && !finishing_) {
        scheduleRetry(); // refused or cut off: the library does not try again by itself
    }
    if (up != linkUp_ && !finishing_) {
        linkUp_ = up;
        raise(QStringLiteral("OnLinkStatusChange"), { up });
    }
}

void Node::directoryError(const std::string& message)
{
    const bool fresh = lastError_.isEmpty();
    lastError_ = QString::fromStdString(message).left(300);
    if (fresh && !loggedIn() && !finishing_)
        raise(QStringLiteral("OnStationTextReceived"), { directoryTrouble() });
    note(QStringLiteral("directory error: %1").arg(lastError_));
    const QString trouble = directoryTrouble();
    for (const Waiter& waiter : std::exchange(listWaiters_, {}))
        refuse(waiter, trouble);
    for (const ConnectRequest& request : std::exchange(connectWaiters_, {}))
        refuse(request.waiter, QStringLiteral("Station %1 not found: %2").arg(request.key, trouble));
    if (!loggedIn() && !finishing_)
        scheduleRetry();
}

QString Node::directoryTrouble() const
{
    const QString call = config_ ? config_->callsign : QString();
    if (loginRefused_)
        return QStringLiteral("The EchoLink directory refused the login of %1: incorrect password").arg(call);
    if (lastError_.isEmpty())
        return QStringLiteral("Not logged in to the EchoLink directory yet");
    return QStringLiteral("No EchoLink directory server could be reached (%1)")
        .arg(config_ ? config_->servers.join(QStringLiteral(", ")) : QString());
}

void Node::scheduleRetry()
{
    if (!retryTimer_) {
        retryTimer_ = std::make_unique<Async::Timer>(retryMs_, Async::Timer::TYPE_ONESHOT, false);
        retryTimer_->expired.connect([this](Async::Timer*) {
            retryTimer_->setEnable(false);
            if (!loggedIn() && !finishing_ && !shuttingDown_)
                login();
        });
    }
    if (retryTimer_->isEnabled())
        return;
    note(QStringLiteral("next login in %1 s").arg(retryMs_ / 1000));
    retryTimer_->setTimeout(retryMs_);
    retryTimer_->setEnable(true);
    retryMs_ = std::min(retryMs_ * 2, LastRetryMs);
}

void Node::requestList()
{
    if (!directory_)
        return;
    // The library takes no list request before the login has gone through.
    if (!loggedIn()) {
        listAfterLogin_ = true;
        return;
    }
    directory_->getCalls();
}

void Node::libraryMessage(const std::string& line)
{
    if (line.find("INCORRECT PASSWORD") == std::string::npos || finishing_ || loginRefused_)
        return;
    loginRefused_ = true;
    // Said once, where Corvane shows it; calls that need the directory fail with it until the login succeeds.
    raise(QStringLiteral("OnStationTextReceived"), { directoryTrouble() });
    const QString trouble = directoryTrouble();
    for (const Waiter& waiter : std::exchange(listWaiters_, {}))
        refuse(waiter, trouble);
    for (const ConnectRequest& request : std::exchange(connectWaiters_, {}))
        refuse(request.waiter, trouble);
}

void Node::stationListUpdated()
{
    watchAlarms();
    raise(QStringLiteral("OnStationListReceived"));
    if (listTimer_)
        listTimer_->setEnable(false);
    for (const Waiter& waiter : std::exchange(listWaiters_, {}))
        answer(waiter);
    for (const ConnectRequest& request : std::exchange(connectWaiters_, {}))
        tryConnect(request, true);
}

void Node::watchAlarms()
{
    QHash<QString, AlarmWatch::State> listed;
    for (const auto* list :
         { &directory_->stations(), &directory_->conferences(), &directory_->links(), &directory_->repeaters() }) {
        for (const EchoLink::StationData& station : *list)
            listed.insert(NodeText::callFromWire(bytes(station.callsign())), watchState(station.status()));
    }
    for (const AlarmWatch::Change& change : alarms_.update(listed, QTime::currentTime()))
        raise(QStringLiteral("OnAlarm"), { change.call, AlarmWatch::statusCode(change.state) });
}

void Node::updateOwnStatus()
{
    // An EchoLink station in a QSO shows as busy in the directory.
    if (!directory_ || !loggedIn() || finishing_)
        return;
    bool inQso = false;
    for (const auto& link : links_)
        inQso = inQso || (!link->gone && link->announced);
    const auto wanted = inQso ? EchoLink::StationData::STAT_BUSY : EchoLink::StationData::STAT_ONLINE;
    if (directory_->status() == wanted)
        return;
    if (inQso)
        directory_->makeBusy();
    else
        directory_->makeOnline();
}

// ---- QSOs -----------------------------------------------------------------------------------------------

void Node::incomingConnection(const Async::IpAddress& ip, const std::string& call, const std::string& name,
                              const std::string& priv)
{
    if (!config_ || finishing_ || static_cast<int>(links_.size()) >= MaxLinks)
        return;
    for (const auto& link : links_) {
        if (!link->gone && link->qso->remoteIp() == ip)
            return; // the connect datagram comes again while the QSO is being set up
    }
    auto qso = std::make_unique<EchoLink::Qso>(ip, wire(config_->callsign), wire(config_->name), wire(config_->info));
    if (!qso->initOk())
        return;
    const QString remote = NodeText::callFromWire(bytes(call));
    qso->setRemoteCallsign(remote.toStdString());
    qso->setRemoteName(NodeText::nameFromWire(bytes(name)).toStdString());
    qso->setRemoteParams(priv);
    note(QStringLiteral("incoming connection from %1").arg(remote));
    Link& link = addLink(std::move(qso), remote);
    link.qso->accept();
}

Node::Link& Node::addLink(std::unique_ptr<EchoLink::Qso> qso, const QString& call)
{
    auto link = std::make_unique<Link>();
    link->qso = std::move(qso);
    link->call = call;
    link->address = QString::fromStdString(link->qso->remoteIp().toString());
    Link* raw = link.get();
    raw->qso->stateChange.connect([this, raw](EchoLink::Qso::State state) { linkStateChanged(raw, state); });
    raw->qso->chatMsgReceived.connect([this, raw](const std::string& message) {
        if (!raw->gone)
            raise(QStringLiteral("OnChatTextReceived"), { NodeText::chatFromWire(bytes(message)) });
    });
    raw->qso->infoMsgReceived.connect([this, raw](const std::string& message) {
        if (!raw->gone)
            raise(QStringLiteral("OnStationTextReceived"), { NodeText::stationTextFromWire(bytes(message)) });
    });
    raw->qso->isReceiving.connect([this](bool) { receivingChanged(); });
    audio_->add(raw->qso.get(), raw->qso.get());
    links_.push_back(std::move(link));
    return *raw;
}

void Node::linkStateChanged(Link* link, int state)
{
    if (link->gone)
        return;
    note(QStringLiteral("%1 state %2").arg(link->call).arg(state));
    if (state == EchoLink::Qso::STATE_CONNECTED && !link->announced) {
        link->announced = true;
        if (link->timeout)
            link->timeout->setEnable(false);
        QString name = NodeText::nameFromWire(bytes(link->qso->remoteName()));
        if (name.isEmpty())
            name = link->description;
        raise(QStringLiteral("OnConnected"), { link->call, name, link->address });
        if (auto pending = std::exchange(link->pending, std::nullopt); pending && pending->wait)
            answer(pending->waiter);
        updateOwnStatus();
    } else if (state == EchoLink::Qso::STATE_BYE_RECEIVED && link->pending) {
        // A BYE in answer to the call: the station is there and says no.
        linkFailed(link, QStringLiteral("Station %1 refused the connection").arg(link->call));
    } else if (state == EchoLink::Qso::STATE_DISCONNECTED) {
        if (link->pending)
            linkFailed(link, QStringLiteral("Station %1 did not answer").arg(link->call));
        else
            linkGone(link);
    }
}

void Node::linkFailed(Link* link, const QString& reason)
{
    if (link->gone)
        return;
    if (auto pending = std::exchange(link->pending, std::nullopt); pending && pending->wait)
        refuse(pending->waiter, reason);
    // Forgotten before the BYE: the library reports the disconnection from inside disconnect(), and a link
    // forgotten twice would leave the audio paths twice.
    forget(link);
    if (link->qso->currentState() != EchoLink::Qso::STATE_DISCONNECTED)
        link->qso->disconnect();
}

void Node::linkGone(Link* link)
{
    if (link->gone)
        return;
    const bool announced = link->announced;
    forget(link);
    if (announced)
        raise(QStringLiteral("OnDisconnected"), { link->call });
    updateOwnStatus();
}

void Node::forget(Link* link)
{
    link->gone = true;
    if (link->timeout)
        link->timeout->setEnable(false); // this may be its own handler; it goes with the link
    audio_->remove(link->qso.get(), link->qso.get());
    receivingChanged();
    // Never inside its own state-change handler: the QSO goes once the loop is back.
    Async::Application::app().runTask(
        [this, link] { links_.remove_if([link](const std::unique_ptr<Link>& each) { return each.get() == link; }); });
}

Node::Link* Node::linkFor(const QString& call)
{
    for (const auto& link : links_) {
        if (!link->gone && link->call.compare(call, Qt::CaseInsensitive) == 0)
            return link.get();
    }
    return nullptr;
}

void Node::receivingChanged()
{
    bool receiving = false;
    for (const auto& link : links_)
        receiving = receiving || (!link->gone && link->qso->receivingAudio());
    receiving_ = receiving;
}
