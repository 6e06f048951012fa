#include "echolink/EchoLinkWire.h"

#include "echolink/StationDirectory.h"

#include <QDir>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonParseError>
#include <QLockFile>
#include <QStringDecoder>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

namespace EchoLinkWire {

namespace {

const char socketName[] = "echolink.sock";

QString systemError()
{
    return QString::fromLocal8Bit(std::strerror(errno));
}

// XDG_RUNTIME_DIR is only used when it is what it should be: our own folder that nobody else can write
// to, so nobody can create our socket folder in it before us.
bool isUsableRuntimeDir(const QString& runtime)
{
    struct stat info
    {
    };
    if (runtime.isEmpty() || ::stat(QFile::encodeName(runtime).constData(), &info) != 0)
        return false;
    return S_ISDIR(info.st_mode) && info.st_uid == ::getuid() && (info.st_mode & 022) == 0;
}

// Without a runtime folder, the folder in the shared temporary directory carries our user id; whoever
// made it first owns it, so it is used only after lstat shows it is ours, a real folder and private.
QString runtimeFolder()
{
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (isUsableRuntimeDir(runtime))
        return runtime + QStringLiteral("/corvane");
    return QDir::tempPath() + QStringLiteral("/corvane-%1").arg(::getuid());
}

// The folder must be a real directory (not a link someone planted) that only we can enter.
bool isPrivateFolder(const QString& folder, QString* error)
{
    struct stat info
    {
    };
    if (::lstat(QFile::encodeName(folder).constData(), &info) != 0) {
        *error = QStringLiteral("Cannot inspect %1: %2").arg(folder, systemError());
        return false;
    }
    if (S_ISLNK(info.st_mode)) {
        *error = QStringLiteral("%1 is a symbolic link, not a folder").arg(folder);
        return false;
    }
    if (!S_ISDIR(info.st_mode)) {
        *error = QStringLiteral("%1 is not a folder").arg(folder);
        return false;
    }
    if (info.st_uid != ::getuid()) {
        *error = QStringLiteral("%1 belongs to another user (user id %2)").arg(folder).arg(info.st_uid);
        return false;
    }
    if ((info.st_mode & 077) != 0) {
        *error = QStringLiteral("%1 is open to other users (mode %2)")
                     .arg(folder, QString::number(info.st_mode & 07777, 8).rightJustified(4, QLatin1Char('0')));
        return false;
    }
    return true;
}

void setError(QString* error, const QString& text)
{
    if (error)
        *error = text;
}

} // namespace

const QList<OperationRow>& operations()
{
    using enum Type;
    static const QList<OperationRow> table {
        { Operation::Connect1, "Connect1", { Text, Flag }, Nothing, Timeout::ConnectWait },
        { Operation::Disconnect1, "Disconnect1", { Text }, Nothing, Timeout::Call },
        { Operation::DisconnectAll, "DisconnectAll", {}, Nothing, Timeout::Call },
        { Operation::Transmit, "Transmit", { Flag }, Nothing, Timeout::Call },
        { Operation::SendChatText, "SendChatText", { Text }, Nothing, Timeout::Call },
        { Operation::RefreshStationList, "RefreshStationList", { Flag }, Nothing, Timeout::Call },
        { Operation::Reset, "Reset", {}, Nothing, Timeout::Call },
        { Operation::Shutdown, "Shutdown", {}, Nothing, Timeout::Call },
        { Operation::Quit, "Quit", {}, Nothing, Timeout::Call },
        { Operation::Receiving, "Receiving", {}, Flag, Timeout::Call },
        { Operation::Transmitting, "Transmitting", {}, Flag, Timeout::Call },
        { Operation::SystemConfigCallsign, "SystemConfig.Callsign", {}, Text, Timeout::Call },
        { Operation::AlarmLogText, "AlarmLogText", {}, Text, Timeout::Call },
        { Operation::StationList, "StationList", {}, StationList, Timeout::Call },
    };
    return table;
}

const OperationRow& rowOf(Operation operation)
{
    return operations().at(static_cast<qsizetype>(operation));
}

const OperationRow* findOperation(const QString& name)
{
    for (const OperationRow& entry : operations()) {
        if (entry.name == name)
            return &entry;
    }
    return nullptr;
}

const QList<EventRow>& events()
{
    using enum Type;
    static const QList<EventRow> table {
        { Event::OnClosing, "OnClosing", {} },
        { Event::OnTX, "OnTX", { Flag } },
        { Event::OnConnected, "OnConnected", { Text, Text, Text } },
        { Event::OnDisconnected, "OnDisconnected", { Text } },
        { Event::OnStationListReceived, "OnStationListReceived", {} },
        { Event::OnChatTextReceived, "OnChatTextReceived", { Text } },
        { Event::OnStationTextReceived, "OnStationTextReceived", { Text } },
        { Event::OnAlarm, "OnAlarm", { Text, Status } },
        { Event::OnLinkStatusChange, "OnLinkStatusChange", { Flag } },
    };
    return table;
}

const EventRow& rowOf(Event event)
{
    return events().at(static_cast<qsizetype>(event));
}

const EventRow* findEvent(const QString& name)
{
    for (const EventRow& entry : events()) {
        if (entry.name == name)
            return &entry;
    }
    return nullptr;
}

bool matches(const QJsonValue& value, Type type)
{
    switch (type) {
    case Type::Nothing:
        return value.isNull() || value.isUndefined();
    case Type::Text:
        return value.isString();
    case Type::Flag:
        return value.isBool();
    case Type::Status: {
        const double number = value.toDouble(0.5);
        return value.isDouble() && number == std::trunc(number) && number >= -32768 && number <= 65535;
    }
    case Type::StationList:
        return StationDirectory::isStationList(value);
    }
    return false;
}

bool matches(const QJsonArray& values, const QList<Type>& types)
{
    if (values.size() != types.size())
        return false;
    for (qsizetype i = 0; i < values.size(); ++i) {
        if (!matches(values.at(i), types.at(i)))
            return false;
    }
    return true;
}

QString describe(const QList<Type>& types)
{
    QStringList parts;
    for (const Type type : types) {
        switch (type) {
        case Type::Nothing:
            parts.append(QStringLiteral("nothing"));
            break;
        case Type::Text:
            parts.append(QStringLiteral("text"));
            break;
        case Type::Flag:
            parts.append(QStringLiteral("true/false"));
            break;
        case Type::Status:
            parts.append(QStringLiteral("a 16-bit number"));
            break;
        case Type::StationList:
            parts.append(QStringLiteral("a station list"));
            break;
        }
    }
    return parts.isEmpty() ? QStringLiteral("no arguments") : parts.join(QStringLiteral(", "));
}

QString serverFolder()
{
    return runtimeFolder();
}

QString serverPath()
{
    return runtimeFolder() + QLatin1Char('/') + QLatin1String(socketName);
}

std::unique_ptr<QLockFile> claimServerPlace(QString* error)
{
    if (!prepareServerFolder(error))
        return nullptr;
    auto lock = std::make_unique<QLockFile>(serverFolder() + QStringLiteral("/echolink.lock"));
    if (!lock->tryLock(0)) {
        *error = QStringLiteral("EchoLink (the stand-in or a node) is already running (%1)").arg(serverPath());
        return nullptr;
    }
    return lock;
}

bool prepareServerFolder(QString* error)
{
    const QString folder = runtimeFolder();
    if (::mkdir(QFile::encodeName(folder).constData(), 0700) != 0 && errno != EEXIST) {
        setError(error, QStringLiteral("Cannot create %1: %2").arg(folder, systemError()));
        return false;
    }
    QString reason;
    if (checkServerFolder(folder, &reason))
        return true;
    setError(error,
             QStringLiteral("%1; the automation socket is not placed there. Remove it, or set XDG_RUNTIME_DIR to a "
                            "private folder of your own.")
                 .arg(reason));
    return false;
}

bool checkServerFolder(const QString& folder, QString* error)
{
    QString reason;
    if (isPrivateFolder(folder, &reason))
        return true;
    setError(error, reason);
    return false;
}

QByteArray encode(const QJsonObject& message)
{
    return QJsonDocument(message).toJson(QJsonDocument::Compact) + '\n';
}

std::optional<QJsonObject> decode(const QByteArray& line, QString* error)
{
    if (line.size() > MaxLineBytes) {
        setError(error, QStringLiteral("line longer than %1 bytes").arg(MaxLineBytes));
        return std::nullopt;
    }
    QByteArray text = line;
    while (text.endsWith('\n') || text.endsWith('\r'))
        text.chop(1);
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    (void)QString(utf8(text));
    if (utf8.hasError()) {
        setError(error, QStringLiteral("not valid UTF-8"));
        return std::nullopt;
    }
    QJsonParseError parseError;
    const QJsonDocument document = QJsonDocument::fromJson(text, &parseError);
    if (parseError.error != QJsonParseError::NoError) {
        setError(error, QStringLiteral("not JSON: %1").arg(parseError.errorString()));
        return std::nullopt;
    }
    if (!document.isObject()) {
        setError(error, QStringLiteral("not a JSON object"));
        return std::nullopt;
    }
    return document.object();
}

QJsonObject call(qint64 id, const QString& op, const QJsonArray& args)
{
    return { { "id", id }, { "op", op }, { "args", args } };
}

QJsonObject call(qint64 id, Operation operation, const QJsonArray& args)
{
    return call(id, rowOf(operation).name, args);
}

QJsonObject reply(qint64 id, const QJsonValue& value)
{
    return { { "id", id }, { "ok", true }, { "value", value } };
}

QJsonObject failure(qint64 id, const QString& error)
{
    return { { "id", id }, { "ok", false }, { "error", error } };
}

QJsonObject event(const QString& name, const QJsonArray& args)
{
    return { { "event", name }, { "args", args } };
}

QJsonObject event(Event event, const QJsonArray& args)
{
    return EchoLinkWire::event(rowOf(event).name, args);
}

std::optional<qint64> readId(const QJsonValue& value)
{
    // Ids beyond 2^53 cannot travel exactly as JSON numbers.
    constexpr double largestExact = 9007199254740992.0;
    const double number = value.toDouble(0);
    if (!value.isDouble() || number != std::trunc(number) || number < 1 || number > largestExact)
        return std::nullopt;
    return static_cast<qint64>(number);
}

bool isEvent(const QJsonObject& message)
{
    return message.contains(QLatin1String("event"));
}

std::optional<Reply> readReply(const QJsonObject& message, Operation operation, QString* error)
{
    const auto id = readId(message.value(QLatin1String("id")));
    const QJsonValue ok = message.value(QLatin1String("ok"));
    const QJsonValue failureText = message.value(QLatin1String("error"));
    const OperationRow& expected = rowOf(operation);
    if (!id) {
        setError(error, QStringLiteral("the id is not a whole number from 1 up"));
        return std::nullopt;
    }
    if (!ok.isBool()) {
        setError(error, QStringLiteral("\"ok\" is not true or false"));
        return std::nullopt;
    }
    Reply reply { *id, ok.toBool(), message.value(QLatin1String("value")), {} };
    if (!reply.ok) {
        if (!failureText.isString() && !failureText.isUndefined()) {
            setError(error, QStringLiteral("the error message is not text"));
            return std::nullopt;
        }
        reply.error = failureText.toString();
        reply.value = QJsonValue();
    } else if (!matches(reply.value, expected.result)) {
        setError(error, QStringLiteral("%1 answers with %2").arg(expected.name, describe({ expected.result })));
        return std::nullopt;
    }
    return reply;
}

std::optional<IncomingEvent> readEvent(const QJsonObject& message, QString* error)
{
    const QJsonValue name = message.value(QLatin1String("event"));
    const QJsonValue arguments = message.value(QLatin1String("args"));
    const EventRow* expected = name.isString() ? findEvent(name.toString()) : nullptr;
    if (!expected) {
        setError(error,
                 name.isString() ? QStringLiteral("unknown event %1").arg(name.toString().left(80))
                                 : QStringLiteral("the event name is not text"));
        return std::nullopt;
    }
    const QJsonArray values = arguments.toArray();
    const bool noneNeeded = expected->parameters.isEmpty() && arguments.isUndefined();
    if (!noneNeeded && (!arguments.isArray() || !matches(values, expected->parameters))) {
        setError(error, QStringLiteral("%1 carries %2").arg(expected->name, describe(expected->parameters)));
        return std::nullopt;
    }
    return IncomingEvent { expected->event, values };
}

QJsonObject control(qint64 id, const QString& command)
{
    return { { "id", id }, { "control", command } };
}

QString escapeText(const QString& text)
{
    QString escaped;
    escaped.reserve(text.size());
    for (const QChar c : text) {
        switch (c.unicode()) {
        case '\\':
            escaped += QLatin1String("\\\\");
            break;
        case '\r':
            escaped += QLatin1String("\\r");
            break;
        case '\n':
            escaped += QLatin1String("\\n");
            break;
        case '\t':
            escaped += QLatin1String("\\t");
            break;
        default:
            escaped += c;
        }
    }
    return escaped;
}

QString unescapeText(const QString& text)
{
    QString plain;
    plain.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c != QLatin1Char('\\') || i + 1 == text.size()) {
            plain += c;
            continue;
        }
        switch (text.at(i + 1).unicode()) {
        case '\\':
            plain += QLatin1Char('\\');
            break;
        case 'r':
            plain += QLatin1Char('\r');
            break;
        case 'n':
            plain += QLatin1Char('\n');
            break;
        case 't':
            plain += QLatin1Char('\t');
            break;
        default: // an unknown escape stays as it was typed
            plain += c;
            continue;
        }
        ++i;
    }
    return plain;
}

} // namespace EchoLinkWire
