#include "StandInStation.h"

#include "DemoDirectory.h"
#include "echolink/EchoLinkWire.h"

#include <QJsonObject>
#include <QPointer>
#include <QRegularExpression>
#include <QTimer>
#include <algorithm>

using EchoLinkWire::Event;

namespace {

// Kept bounded so a long session (or a runaway test) cannot grow the stand-in without end.
constexpr qsizetype MaxAlarmLogChars = 256 * 1024;
constexpr qsizetype MaxCallLogLines = 10000;

QString argumentText(const QJsonValue& value)
{
    if (value.isBool())
        return value.toBool() ? QStringLiteral("true") : QStringLiteral("false");
    if (value.isDouble())
        return QString::number(value.toDouble());
    return ControlCommand::quoteArgument(value.toString());
}

quint32 stableHash(const QString& text)
{
    quint32 hash = 2166136261u;
    for (const QChar c : text)
        hash = (hash ^ c.unicode()) * 16777619u;
    return hash;
}

const char* const people[] = { "Jo Smith",  "Ann Lee",    "Sam Ortiz", "Mia Chen",  "Raj Patel",
                               "Lena Berg", "Tom Okafor", "Eva Novak", "Ian Walsh", "Rosa Diaz" };
const char* const towns[] = { "Mesa", "Elm Falls", "Port Ardon", "Hollin", "Crestby", "Lake Verran" };

template<std::size_t N> QString pick(const char* const (&list)[N], quint32 hash)
{
    return QString::fromLatin1(list[hash % N]);
}

QString nameFor(const QString& call, quint32 hash)
{
    if (call.startsWith(QLatin1Char('*')))
        return pick(towns, hash) + QStringLiteral(" Conference");
    if (call.endsWith(QLatin1String("-R")))
        return pick(towns, hash) + QStringLiteral(" Repeater");
    if (call.endsWith(QLatin1String("-L")))
        return pick(towns, hash) + QStringLiteral(" Link");
    if (call.front().isDigit() && call.back().isDigit())
        return pick(towns, hash) + QStringLiteral(" Node");
    return pick(people, hash);
}

QString addressFor(quint32 hash)
{
    return QStringLiteral("10.%1.%2.%3").arg((hash >> 16) & 0xFF).arg((hash >> 8) & 0xFF).arg(1 + hash % 254);
}

} // namespace

StandInStation::StandInStation(QObject* parent)
    : QObject(parent)
    , schedule_([this](int delayMs, Task task) { QTimer::singleShot(delayMs, this, std::move(task)); })
    , callsign_(QStringLiteral("Q9ZZZ"))
{
}

void StandInStation::setScheduler(Scheduler scheduler)
{
    schedule_ = std::move(scheduler);
}

void StandInStation::setCallsign(const QString& callsign)
{
    callsign_ = callsign;
}

std::optional<StandInStation::Station> StandInStation::lookUp(const QString& station)
{
    static const QRegularExpression plausible(
        QStringLiteral("^(?:"
                       "(?=[A-Z0-9]*[0-9])(?=[A-Z0-9]*[A-Z])[A-Z0-9]{3,10}(?:-[RL])?"
                       "|[0-9]{1,7}"
                       "|\\*[A-Z0-9-]{1,12}\\*"
                       ")$"));
    const QString call = station.trimmed().toUpper();
    if (!plausible.match(call).hasMatch())
        return std::nullopt;
    const quint32 hash = stableHash(call);
    return Station { call, nameFor(call, hash), addressFor(hash) };
}

void StandInStation::handleLine(int client, const QByteArray& line)
{
    QString error;
    const auto message = EchoLinkWire::decode(line, &error);
    if (!message) {
        refuse(client, 0, QStringLiteral("Malformed message: %1").arg(error));
        return;
    }
    const QJsonValue id = message->value(QLatin1String("id"));
    if (!id.isDouble()) {
        refuse(client, 0, QStringLiteral("Malformed message: no id"));
        return;
    }
    const QJsonValue op = message->value(QLatin1String("op"));
    const QJsonValue control = message->value(QLatin1String("control"));
    if (op.isString())
        handleCall(client, id.toInteger(), op.toString(), message->value(QLatin1String("args")).toArray());
    else if (control.isString())
        handleControl(client, id.toInteger(), control.toString());
    else
        refuse(client, id.toInteger(), QStringLiteral("Malformed message: neither an operation nor a command"));
}

void StandInStation::clientLeft(int client)
{
    sessions_.remove(client);
}

void StandInStation::handleCall(int client, qint64 id, const QString& op, const QJsonArray& args)
{
    using EchoLinkWire::Operation;
    static const QHash<Operation, Handler> handlers {
        { Operation::Connect1, &StandInStation::connect1 },
        { Operation::Disconnect1, &StandInStation::disconnect1 },
        { Operation::DisconnectAll, &StandInStation::disconnectAll },
        { Operation::Transmit, &StandInStation::transmit },
        { Operation::SendChatText, &StandInStation::sendChatText },
        { Operation::RefreshStationList, &StandInStation::refreshStationList },
        { Operation::Reset, &StandInStation::reset },
        { Operation::Shutdown, &StandInStation::shutdown },
        { Operation::Quit, &StandInStation::quit },
        { Operation::Receiving, &StandInStation::readReceiving },
        { Operation::Transmitting, &StandInStation::readTransmitting },
        { Operation::SystemConfigCallsign, &StandInStation::readCallsign },
        { Operation::AlarmLogText, &StandInStation::readAlarmLog },
        { Operation::StationList, &StandInStation::readStationList },
    };
    // A client that calls operations is a session: from now on it hears every event.
    sessions_.insert(client);
    const EchoLinkWire::OperationRow* entry = EchoLinkWire::findOperation(op);
    if (!entry) {
        refuse(client, id, QStringLiteral("Unknown operation %1").arg(op.left(80)));
        return;
    }
    if (!EchoLinkWire::matches(args, entry->arguments)) {
        refuse(client, id, QStringLiteral("%1 takes %2").arg(op, EchoLinkWire::describe(entry->arguments)));
        return;
    }
    const Call call { client, id, op, args };
    record(call);
    QStringList& planned = failures_[op];
    if (!planned.isEmpty()) {
        refuse(client, id, planned.takeFirst());
        return;
    }
    (this->*handlers.value(entry->operation))(call);
}

void StandInStation::handleControl(int client, qint64 id, const QString& command)
{
    QString error;
    const auto parsed = ControlCommand::parse(command, &error);
    if (!parsed) {
        refuse(client, id, error);
        return;
    }
    const Outcome outcome = execute(*parsed);
    if (outcome.ok)
        emit send(client, EchoLinkWire::encode(EchoLinkWire::reply(id, outcome.text)));
    else
        refuse(client, id, outcome.text);
}

StandInStation::Outcome StandInStation::execute(const ControlCommand::Command& command)
{
    using ControlCommand::Verb;
    const QStringList& texts = command.texts;
    switch (command.verb) {
    case Verb::Connect:
        stationConnects({ texts.at(0), texts.at(1), texts.at(2) });
        break;
    case Verb::Disconnect:
        stationLeaves(texts.at(0));
        break;
    case Verb::Chat:
        raise(Event::OnChatTextReceived, { texts.at(0) });
        break;
    case Verb::StationText:
        raise(Event::OnStationTextReceived, { texts.at(0) });
        break;
    case Verb::Alarm:
        raise(Event::OnAlarm, { texts.at(0), command.status });
        break;
    case Verb::AlarmLog:
        appendAlarmLog(texts.at(0));
        break;
    case Verb::AlarmLogClear:
        alarmLog_.clear();
        break;
    case Verb::StationList:
        raise(Event::OnStationListReceived);
        break;
    case Verb::Tx:
        setTransmitting(command.on);
        break;
    case Verb::Rx:
        receiving_ = command.on;
        break;
    case Verb::Link:
        raise(Event::OnLinkStatusChange, { command.on });
        break;
    case Verb::Fail:
        failures_[texts.at(0)].append(texts.at(1));
        break;
    case Verb::Calls:
        return { true, calls_.join(QLatin1Char('\n')) };
    case Verb::Close:
        raise(Event::OnClosing);
        emit finishRequested(ClosingGraceMs);
        break;
    }
    return { true, QStringLiteral("ok") };
}

void StandInStation::answer(const Call& call, const QJsonValue& value)
{
    emit send(call.client, EchoLinkWire::encode(EchoLinkWire::reply(call.id, value)));
}

void StandInStation::refuse(int client, qint64 id, const QString& error)
{
    emit note(QStringLiteral("refused: %1").arg(error));
    emit send(client, EchoLinkWire::encode(EchoLinkWire::failure(id, error)));
}

void StandInStation::raise(EchoLinkWire::Event event, const QJsonArray& args)
{
    emit note(QStringLiteral("event %1").arg(EchoLinkWire::rowOf(event).name));
    const QByteArray line = EchoLinkWire::encode(EchoLinkWire::event(event, args));
    for (const int client : std::as_const(sessions_))
        emit send(client, line);
}

void StandInStation::record(const Call& call)
{
    QString line = call.op;
    for (const QJsonValue& value : call.args)
        line += QLatin1Char(' ') + argumentText(value);
    emit note(QStringLiteral("call %1").arg(line));
    calls_.append(line);
    if (calls_.size() > MaxCallLogLines)
        calls_.removeFirst();
}

void StandInStation::connect1(const Call& call)
{
    const QString requested = call.args.at(0).toString();
    const bool wait = call.args.at(1).toBool();
    if (requested.trimmed().isEmpty())
        return refuse(call.client, call.id, QStringLiteral("No station specified"));
    const auto station = lookUp(requested);
    if (!station)
        return refuse(call.client, call.id, QStringLiteral("Station %1 not found").arg(requested.trimmed()));
    if (isBusyWith(station->call))
        return refuse(call.client, call.id, QStringLiteral("Already connected to %1").arg(station->call));
    connecting_.insert(station->call);
    if (!wait)
        answer(call);
    schedule_(ConnectDelayMs, [this, call, wait, station = *station] {
        connecting_.remove(station.call);
        stationConnects(station);
        if (wait)
            answer(call);
    });
}

void StandInStation::disconnect1(const Call& call)
{
    const QString requested = call.args.at(0).toString().trimmed();
    for (const Station& station : std::as_const(connected_)) {
        if (station.call.compare(requested, Qt::CaseInsensitive) == 0) {
            stationLeaves(station.call);
            break;
        }
    }
    answer(call);
}

void StandInStation::disconnectAll(const Call& call)
{
    while (!connected_.isEmpty())
        stationLeaves(connected_.last().call);
    answer(call);
}

void StandInStation::transmit(const Call& call)
{
    setTransmitting(call.args.at(0).toBool());
    answer(call);
}

void StandInStation::sendChatText(const Call& call)
{
    answer(call);
}

void StandInStation::refreshStationList(const Call& call)
{
    const bool wait = call.args.at(0).toBool();
    if (!wait)
        answer(call);
    schedule_(StationListDelayMs, [this, call, wait] {
        raise(Event::OnStationListReceived);
        if (wait)
            answer(call);
    });
}

void StandInStation::reset(const Call& call)
{
    answer(call);
    schedule_(StationListDelayMs, [this] { raise(Event::OnStationListReceived); });
}

void StandInStation::shutdown(const Call& call)
{
    raise(Event::OnClosing);
    answer(call);
    emit finishRequested(ClosingGraceMs);
}

void StandInStation::quit(const Call& call)
{
    answer(call);
    emit finishRequested(0);
}

void StandInStation::readReceiving(const Call& call)
{
    answer(call, receiving_);
}

void StandInStation::readTransmitting(const Call& call)
{
    answer(call, transmitting_);
}

void StandInStation::readCallsign(const Call& call)
{
    answer(call, callsign_);
}

void StandInStation::readAlarmLog(const Call& call)
{
    answer(call, alarmLog_);
}

void StandInStation::readStationList(const Call& call)
{
    static const QJsonArray directory = StationDirectory::toJson(demoDirectory());
    answer(call, directory);
}

void StandInStation::stationConnects(const Station& station)
{
    connected_.append(station);
    raise(Event::OnConnected, { station.call, station.name, station.address });
}

void StandInStation::stationLeaves(const QString& call)
{
    for (qsizetype i = connected_.size() - 1; i >= 0; --i) {
        if (connected_.at(i).call == call) {
            connected_.removeAt(i);
            break;
        }
    }
    raise(Event::OnDisconnected, { call });
}

void StandInStation::appendAlarmLog(const QString& text)
{
    alarmLog_ += text;
    if (alarmLog_.size() <= MaxAlarmLogChars)
        return;
    // Drop the oldest entries, whole lines where possible, as a log window that scrolls off would.
    qsizetype cut = alarmLog_.size() - MaxAlarmLogChars;
    const qsizetype lineEnd = alarmLog_.indexOf(QLatin1Char('\n'), cut);
    if (lineEnd >= 0)
        cut = lineEnd + 1;
    alarmLog_.remove(0, cut);
}

void StandInStation::setTransmitting(bool on)
{
    transmitting_ = on;
    raise(Event::OnTX, { on });
}

bool StandInStation::isBusyWith(const QString& call) const
{
    if (connecting_.contains(call))
        return true;
    return std::any_of(connected_.cbegin(), connected_.cend(),
                       [&call](const Station& station) { return station.call == call; });
}
