#include "EchoLinkNode.h"

#include "AudioEnds.h"
#include "Conference.h"
#include "NodeLog.h"
#include "NodeServer.h"
#include "NodeText.h"
#include "WireDirectory.h"
#include "echolink/EchoLinkWire.h"
#include "echolink/StationDirectory.h"
#include "platform/Clock.h"

#include <QTime>

namespace {

QHostAddress bindAddress(const NodeConfig& config)
{
    return config.bindAddress.isEmpty() ? QHostAddress() : QHostAddress(config.bindAddress);
}

} // namespace

EchoLinkNode::EchoLinkNode(NodeServer& server, std::optional<NodeConfig> config, QString problem, bool verbose)
    : server_(server)
    , config_(std::move(config))
    , problem_(std::move(problem))
    , verbose_(verbose)
    , alarms_(config_ ? config_->alarms : QStringList())
{
    server_.lineReceived = [this](int client, const QByteArray& line) { handleLine(client, line); };
    server_.clientLeft = [this](int client) { sessions_.remove(client); };
    server_.thinnedNotice = [] {
        return EchoLinkWire::encode(EchoLinkWire::event(
            QStringLiteral("OnChatTextReceived"),
            { QStringLiteral("EchoLink: more arrived than Corvane read in time; some of it was left out") }));
    };
    for (QTimer* timer : { &listTimer_, &offlineTimer_, &graceTimer_ })
        timer->setSingleShot(true);
    connect(&listTimer_, &QTimer::timeout, this, [this] {
        const QString trouble
            = loggedIn_ ? QStringLiteral("The EchoLink directory did not send the station list") : directoryTrouble();
        for (const Waiter& late : std::exchange(listWaiters_, {}))
            refuse(late, trouble);
    });
    connect(&offlineTimer_, &QTimer::timeout, this, [this] {
        if (auto then = std::exchange(whenOffline_, {}))
            then();
    });
    connect(&graceTimer_, &QTimer::timeout, this, [this] { finish(); });
}

EchoLinkNode::~EchoLinkNode()
{
    finishing_ = true; // the QSOs' last events change nothing in the directory
    conference_.reset();
    if (speaker_)
        speaker_->close();
}

bool EchoLinkNode::start(QString* error)
{
    if (!config_)
        return false;
    QString micError;
    QString speakerError;
    microphone_ = AudioInput::create(config_->audioIn, &micError);
    speaker_ = AudioOutput::create(config_->audioOut, &speakerError);
    audioProblem_ = micError;
    if (!speakerError.isEmpty())
        note(speakerError);
    if (!micError.isEmpty())
        note(micError);
    if (microphone_) {
        microphone_->block = [this](const qint16* samples) {
            if (transmitting_ && conference_)
                conference_->transmitBlock(samples);
        };
    }

    Conference::Events events;
    events.connected = [this](const QString& call, const QString& name, const QString& address) {
        connected(call, name, address);
    };
    events.disconnected = [this](const QString& call) {
        raise(QStringLiteral("OnDisconnected"), { call });
        updatePresence();
    };
    events.callFailed = [this](const QString& call, const QString& reason) { callFailed(call, reason); };
    events.chat = [this](const QString& line) { raise(QStringLiteral("OnChatTextReceived"), { line }); };
    events.stationText = [this](const QString& text) { raise(QStringLiteral("OnStationTextReceived"), { text }); };
    events.listing = [this](const QString& call, const QHostAddress& address) {
        if (!directory_ || NodeText::isNodeNumber(call) || !directory_->stations().findCallsign(call))
            return StationGate::Listing::NotListed;
        return directory_->stations().isListedAt(call, address) ? StationGate::Listing::ListedHere
                                                                : StationGate::Listing::ListedElsewhere;
    };
    events.refreshList = [this] { requestList(); };
    events.note = [this](const QString& text) { note(text); };
    Conference::Station own { NodeText::toWindows1252(config_->callsign), NodeText::toWindows1252(config_->name),
                              NodeText::toWindows1252(config_->info) };
    // A test hook: how long a call waits for an answer, shorter than the network's 20 seconds.
    bool ok = false;
    const int wait = qEnvironmentVariableIntValue("CORVANE_NODE_CONNECT_TIMEOUT_MS", &ok);
    if (ok && wait >= 100 && wait < EchoLinkQso::ConnectTimeoutMs)
        own.connectTimeoutMs = wait;
    conference_ = std::make_unique<Conference>(own, *speaker_, std::move(events));
    if (!conference_->open(bindAddress(*config_), config_->portBase, &problem_)) {
        *error = problem_;
        return false;
    }

    DirectoryClient::Settings settings;
    settings.servers = config_->servers;
    settings.login = { config_->callsign, config_->password, config_->location };
    settings.bindAddress = bindAddress(*config_);
    settings.listRefreshSeconds = config_->listRefreshSeconds;
    directory_ = std::make_unique<DirectoryClient>(settings, SystemClock::instance(), this);
    connect(directory_.get(), &DirectoryClient::statusChanged, this, &EchoLinkNode::statusChanged);
    connect(directory_.get(), &DirectoryClient::loginRefused, this, [this] { loginTrouble(true); });
    connect(directory_.get(), &DirectoryClient::loginFailed, this, [this] { loginTrouble(false); });
    connect(directory_.get(), &DirectoryClient::stationListUpdated, this, [this] { listDone(true); });
    connect(directory_.get(), &DirectoryClient::listFailed, this, [this] { listDone(false); });
    login();
    return true;
}

// ---- the socket side ------------------------------------------------------------------------------------

void EchoLinkNode::handleLine(int client, const QByteArray& line)
{
    const auto parsed = NodeCalls::parse(line);
    if (const auto* refusal = std::get_if<NodeCalls::Refusal>(&parsed)) {
        refuse({ client, refusal->id }, refusal->error);
        return;
    }
    sessions_.insert(client); // a client that calls operations hears every event from now on
    handleCall(client, std::get<NodeCalls::Call>(parsed));
}

void EchoLinkNode::handleCall(int client, const NodeCalls::Call& call)
{
    using EchoLinkWire::Operation;
    const Waiter waiter { client, call.id };
    const auto text = [&call](int i) { return call.args.at(i).toString(); };
    const auto flag = [&call](int i) { return call.args.at(i).toBool(); };
    note(QStringLiteral("call %1").arg(call.op));
    if (call.operation == Operation::Quit) {
        answer(waiter);
        return finish();
    }
    if (call.operation == Operation::Shutdown)
        return shutdown(waiter);
    if (!problem_.isEmpty() || !config_ || !conference_)
        return refuse(waiter, problem_);
    if (finishing_)
        return refuse(waiter, QStringLiteral("EchoLink is closing"));
    // Every operation of the table is answered here: without a default, the compiler names one left out.
    switch (call.operation) {
    case Operation::Connect1:
        return connect1(waiter, text(0), flag(1));
    case Operation::Disconnect1:
        return disconnect1(waiter, text(0));
    case Operation::DisconnectAll:
        disconnectAll();
        return answer(waiter);
    case Operation::Transmit:
        return transmit(waiter, flag(0));
    case Operation::SendChatText:
        conference_->sendChat(NodeText::chatToWire(text(0)));
        return answer(waiter);
    case Operation::RefreshStationList:
        return refreshStationList(waiter, flag(0));
    case Operation::Reset:
        return reset(waiter);
    case Operation::Shutdown:
    case Operation::Quit:
        return; // answered above
    case Operation::Receiving:
        return answer(waiter, conference_->receiving());
    case Operation::Transmitting:
        return answer(waiter, transmitting_);
    case Operation::SystemConfigCallsign:
        return answer(waiter, config_->callsign);
    case Operation::AlarmLogText:
        return answer(waiter, alarms_.logText());
    case Operation::StationList:
        return stationList(waiter);
    }
    refuse(waiter, QStringLiteral("The EchoLink node cannot do %1").arg(call.op));
}

void EchoLinkNode::answer(const Waiter& waiter, const QJsonValue& value)
{
    server_.answer(waiter.client, EchoLinkWire::encode(EchoLinkWire::reply(waiter.id, value)));
}

void EchoLinkNode::refuse(const Waiter& waiter, const QString& error)
{
    note(QStringLiteral("refused: %1").arg(error));
    server_.answer(waiter.client, EchoLinkWire::encode(EchoLinkWire::failure(waiter.id, error)));
}

void EchoLinkNode::raise(const QString& name, const QJsonArray& args)
{
    note(QStringLiteral("event %1").arg(name));
    const QByteArray line = EchoLinkWire::encode(EchoLinkWire::event(name, args));
    for (const int client : std::as_const(sessions_))
        server_.event(client, line);
}

void EchoLinkNode::note(const QString& text) const
{
    if (!verbose_)
        return;
    QString safe = text.left(1000);
    if (config_ && !config_->password.isEmpty())
        safe.replace(config_->password, QStringLiteral("********"));
    NodeLog::line(safe);
}

// ---- operations -----------------------------------------------------------------------------------------

void EchoLinkNode::connect1(const Waiter& waiter, const QString& station, bool wait)
{
    const QString key = NodeText::stationKey(station);
    if (key.isEmpty())
        return refuse(waiter, QStringLiteral("No station specified"));
    if (conference_->has(key))
        return refuse(waiter, QStringLiteral("Already connected to %1").arg(key));
    tryConnect({ waiter, key, wait }, false);
}

void EchoLinkNode::tryConnect(const ConnectRequest& request, bool listRefreshed)
{
    const StationEntry* station = findStation(request.key);
    if (!station) {
        if (listRefreshed)
            return refuse(request.waiter, QStringLiteral("Station %1 not found").arg(request.key));
        if (!loggedIn_)
            return refuse(request.waiter, directoryTrouble());
        // A station that logged in since the last list is in the next one.
        connectWaiters_.push_back(request);
        return requestList();
    }
    const QString call = station->callsign;
    if (conference_->has(call))
        return refuse(request.waiter, QStringLiteral("Already connected to %1").arg(call));
    if (station->status == StationStatus::Busy && station->kind() != StationKind::Conference)
        return refuse(request.waiter, QStringLiteral("Station %1 is busy").arg(call));
    if (conference_->hasAddress(station->address))
        return refuse(request.waiter,
                      QStringLiteral("Already connected to the station at %1").arg(station->address.toString()));
    if (calling_.size() + static_cast<std::size_t>(conference_->connectedCount()) >= Conference::MaxStations)
        return refuse(request.waiter, QStringLiteral("Too many connections"));
    conference_->call(call, station->address, station->description);
    calling_.push_back({ request.waiter, call, request.wait });
    if (!request.wait)
        answer(request.waiter);
}

void EchoLinkNode::connected(const QString& call, const QString& name, const QString& address)
{
    raise(QStringLiteral("OnConnected"), { call, name, address });
    for (auto it = calling_.begin(); it != calling_.end();) {
        if (it->key == call) {
            if (it->wait)
                answer(it->waiter);
            it = calling_.erase(it);
        } else {
            ++it;
        }
    }
    updatePresence();
}

void EchoLinkNode::callFailed(const QString& call, const QString& reason)
{
    note(reason);
    for (auto it = calling_.begin(); it != calling_.end();) {
        if (it->key == call) {
            if (it->wait)
                refuse(it->waiter, reason);
            it = calling_.erase(it);
        } else {
            ++it;
        }
    }
}

void EchoLinkNode::disconnect1(const Waiter& waiter, const QString& station)
{
    conference_->hangUp(NodeText::stationKey(station));
    answer(waiter);
}

void EchoLinkNode::disconnectAll()
{
    if (conference_)
        conference_->hangUpAll();
}

void EchoLinkNode::transmit(const Waiter& waiter, bool on)
{
    if (on && !transmitting_) {
        QString error = audioProblem_;
        if (!microphone_ && error.isEmpty())
            error = QStringLiteral("No microphone is set up");
        if (!error.isEmpty() || !microphone_->start(&error))
            return refuse(waiter, error);
    } else if (!on && transmitting_) {
        microphone_->stop();
        conference_->endTransmit();
    }
    transmitting_ = on;
    raise(QStringLiteral("OnTX"), { on });
    answer(waiter);
}

void EchoLinkNode::refreshStationList(const Waiter& waiter, bool wait)
{
    if (!loggedIn_ && (loginRefused_ || unreachable_))
        return refuse(waiter, directoryTrouble());
    if (!wait) {
        answer(waiter);
        return requestList();
    }
    listWaiters_.push_back(waiter);
    listTimer_.start(ListTimeoutMs);
    requestList();
}

void EchoLinkNode::stationList(const Waiter& waiter)
{
    // Before the first list there is nothing true to show: the reason the list is not there yet is.
    if (directory_->listTime().isNull())
        return refuse(waiter, loggedIn_ ? QStringLiteral("The EchoLink directory has not sent the station list yet")
                                        : directoryTrouble());
    answer(waiter, StationDirectory::toJson(WireDirectory::entriesOf(directory_->stations())));
}

void EchoLinkNode::reset(const Waiter& waiter)
{
    disconnectAll();
    for (const Waiter& listWaiter : std::exchange(listWaiters_, {}))
        refuse(listWaiter, QStringLiteral("EchoLink was reset"));
    for (const ConnectRequest& request : std::exchange(connectWaiters_, {}))
        refuse(request.waiter, QStringLiteral("EchoLink was reset"));
    login();
    requestList();
    answer(waiter);
}

void EchoLinkNode::shutdown(const Waiter& waiter)
{
    if (shuttingDown_ || finishing_)
        return answer(waiter);
    shuttingDown_ = true;
    disconnectAll();
    const auto closing = [this, waiter] {
        raise(QStringLiteral("OnClosing"));
        answer(waiter);
        graceTimer_.start(ClosingGraceMs);
    };
    if (!directory_ || !loggedIn_)
        return closing();
    goOffline(closing);
}

void EchoLinkNode::finish()
{
    if (finishing_)
        return;
    finishing_ = true;
    disconnectAll();
    const auto done = [this] {
        if (microphone_)
            microphone_->stop();
        if (speaker_)
            speaker_->close();
        server_.drain(500);
        if (finished)
            finished();
    };
    if (!directory_ || !loggedIn_)
        return done();
    goOffline(done);
}

void EchoLinkNode::goOffline(std::function<void()> then)
{
    if (auto before = std::exchange(whenOffline_, {})) {
        whenOffline_ = [before, then] {
            before();
            then();
        };
    } else {
        whenOffline_ = std::move(then);
    }
    presence_ = DirectoryClient::Status::Offline;
    directory_->setStatus(DirectoryClient::Status::Offline);
    // Bounded: a directory that does not answer must not keep the operator waiting.
    offlineTimer_.start(OfflineWaitMs);
}

// ---- the directory --------------------------------------------------------------------------------------

void EchoLinkNode::login()
{
    presence_ = conference_ && conference_->connectedCount() > 0 ? DirectoryClient::Status::Busy
                                                                 : DirectoryClient::Status::Online;
    directory_->setStatus(presence_);
}

const StationEntry* EchoLinkNode::findStation(const QString& key) const
{
    return directory_->stations().find(key);
}

void EchoLinkNode::updatePresence()
{
    // An EchoLink station in a QSO shows as busy in the directory.
    if (finishing_ || shuttingDown_ || !directory_)
        return;
    const auto wanted
        = conference_->connectedCount() > 0 ? DirectoryClient::Status::Busy : DirectoryClient::Status::Online;
    if (wanted != presence_)
        login();
}

void EchoLinkNode::statusChanged(DirectoryClient::Status status)
{
    note(QStringLiteral("directory status %1").arg(int(status)));
    const bool up = status != DirectoryClient::Status::Offline;
    loggedIn_ = up;
    if (!up) {
        if (auto then = std::exchange(whenOffline_, {}))
            then();
    } else {
        loginRefused_ = false;
        unreachable_ = false;
    }
    if (up != linkUp_ && !finishing_) {
        linkUp_ = up;
        raise(QStringLiteral("OnLinkStatusChange"), { up });
    }
}

void EchoLinkNode::loginTrouble(bool refused)
{
    if (presence_ == DirectoryClient::Status::Offline) {
        // Signing off did not get through: the node ends all the same.
        if (auto then = std::exchange(whenOffline_, {}))
            then();
        return;
    }
    const bool fresh = !loginRefused_ && !unreachable_;
    loggedIn_ = directory_->isLoggedIn();
    loginRefused_ = refused;
    unreachable_ = !refused;
    // Said once, where Corvane shows it; calls that need the directory fail with it until a login succeeds.
    if (fresh && !finishing_)
        raise(QStringLiteral("OnStationTextReceived"), { directoryTrouble() });
    const QString trouble = directoryTrouble();
    for (const Waiter& waiter : std::exchange(listWaiters_, {}))
        refuse(waiter, trouble);
    for (const ConnectRequest& request : std::exchange(connectWaiters_, {}))
        refuse(request.waiter, trouble);
}

void EchoLinkNode::requestList()
{
    // The client fetches once the login has gone through.
    if (directory_)
        directory_->refresh();
}

void EchoLinkNode::listDone(bool received)
{
    if (received) {
        watchAlarms();
        raise(QStringLiteral("OnStationListReceived"));
        listTimer_.stop();
        for (const Waiter& waiter : std::exchange(listWaiters_, {}))
            answer(waiter);
        for (const ConnectRequest& request : std::exchange(connectWaiters_, {}))
            tryConnect(request, true);
    } else {
        const QString trouble = QStringLiteral("The EchoLink directory did not send the station list");
        for (const Waiter& waiter : std::exchange(listWaiters_, {}))
            refuse(waiter, trouble);
        for (const ConnectRequest& request : std::exchange(connectWaiters_, {}))
            refuse(request.waiter, QStringLiteral("Station %1 not found: %2").arg(request.key, trouble));
    }
    if (conference_)
        conference_->listSettled();
}

QString EchoLinkNode::directoryTrouble() const
{
    const QString call = config_ ? config_->callsign : QString();
    if (loginRefused_)
        return QStringLiteral("The EchoLink directory refused the login of %1: incorrect password").arg(call);
    if (!unreachable_)
        return QStringLiteral("Not logged in to the EchoLink directory yet");
    return QStringLiteral("No EchoLink directory server could be reached (%1)")
        .arg(config_ ? config_->servers.join(QStringLiteral(", ")) : QString());
}

void EchoLinkNode::watchAlarms()
{
    QHash<QString, AlarmWatch::State> listed;
    for (const StationEntry& station : directory_->stations().entries())
        listed.insert(station.callsign,
                      station.status == StationStatus::Busy ? AlarmWatch::State::Busy : AlarmWatch::State::On);
    for (const AlarmWatch::Change& change : alarms_.update(listed, QTime::currentTime()))
        raise(QStringLiteral("OnAlarm"), { change.call, AlarmWatch::statusCode(change.state) });
}
