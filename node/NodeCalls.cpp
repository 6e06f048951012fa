#include "NodeCalls.h"

#include "echolink/EchoLinkWire.h"

#include <QJsonObject>

namespace NodeCalls {

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
    const EchoLinkWire::OperationRow* row = EchoLinkWire::findOperation(op);
    if (!row)
        return Refusal { id, QStringLiteral("Unknown operation %1").arg(op.left(64)) };
    const QJsonArray args = message->value(QLatin1String("args")).toArray();
    if (!EchoLinkWire::matches(args, row->arguments))
        return Refusal { id, QStringLiteral("%1 takes %2").arg(op, EchoLinkWire::describe(row->arguments)) };
    return Call { id, row->operation, op, args };
}

} // namespace NodeCalls
