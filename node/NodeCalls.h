#pragma once

#include "echolink/EchoLinkWire.h"

#include <QByteArray>
#include <QJsonArray>
#include <QString>
#include <variant>

// What a client of the node's socket asks: one protocol line judged before any of it is acted on, against
// the one table of operations the stand-in and Corvane's session share.
namespace NodeCalls {

struct Call
{
    qint64 id = 0;
    EchoLinkWire::Operation operation = EchoLinkWire::Operation::Quit;
    QString op; // its wire name
    QJsonArray args; // already checked against the operation's arguments
};

struct Refusal
{
    qint64 id = 0; // 0 when the line carried no usable id
    QString error;
};

std::variant<Call, Refusal> parse(const QByteArray& line);

} // namespace NodeCalls
