#include "NodeCalls.h"

#include "echolink/EchoLinkWire.h"

#include <QJsonObject>
#include <QStringList>

namespace NodeCalls {

namespace {

struct Signature
{
    const char* op;
    const char* args; // s = text, b = flag
};

// The operations and properties Corvane calls, as the stand-in answers them.
const Signature signatures[] = {
    { "Connect1", "sb" },    { "Disconnect1", "s" },        { "DisconnectAll", "" }, { "Transmit", "b" },
    { "SendChatText", "s" }, { "RefreshStationList", "b" }, { "Reset", "" },         { "Shutdown", "" },
    { "Quit", "" },          { "Receiving", "" },           { "Transmitting", "" },  { "SystemConfig.Callsign", "" },
    { "AlarmLogText", "" },
};

const Signature* signatureOf(const QString& op)
{
    for (const Signature& signature : signatures) {
        if (op == QLatin1String(signature.op))
            return &signature;
    }
    return nullptr;
}

bool argumentsMatch(const QJsonArray& args, const char* expected)
{
    const qsizetype count = static_cast<qsizetype>(qstrlen(expected));
    if (args.size() != count)
        return false;
    for (qsizetype i = 0; i < count; ++i) {
        const bool text = expected[i] == 's';
        if (text ? !args.at(i).isString() : !args.at(i).isBool())
            return false;
    }
    return true;
}

QString describe(const char* expected)
{
    QStringList parts;
    for (const char* kind = expected; *kind; ++kind)
        parts.append(*kind == 's' ? QStringLiteral("text") : QStringLiteral("true/false"));
    return parts.isEmpty() ? QStringLiteral("no arguments") : parts.join(QStringLiteral(", "));
}

} // namespace

std::variant<Call, Refusal> parse(const QByteArray& line)
{
    QString error;
    const auto message = EchoLinkWire::decode(line, &error);
    if (!message)
        return Refusal { 0, QStringLiteral("Malformed message: %1").arg(error) };
    const QJsonValue idValue = message->value(QLatin1String("id"));
    if (!idValue.isDouble())
        return Refusal { 0, QStringLiteral("Malformed message: no id") };
    const qint64 id = idValue.toInteger();
    if (message->contains(QLatin1String("control")))
        return Refusal { id, QStringLiteral("The EchoLink node takes no test commands") };
    const QJsonValue opValue = message->value(QLatin1String("op"));
    if (!opValue.isString())
        return Refusal { id, QStringLiteral("Malformed message: neither an operation nor a command") };
    const QString op = opValue.toString();
    const Signature* signature = signatureOf(op);
    if (!signature)
        return Refusal { id, QStringLiteral("Unknown operation %1").arg(op.left(64)) };
    const QJsonArray args = message->value(QLatin1String("args")).toArray();
    if (!argumentsMatch(args, signature->args))
        return Refusal { id, QStringLiteral("%1 takes %2").arg(op, describe(signature->args)) };
    return Call { id, op, args };
}

} // namespace NodeCalls
