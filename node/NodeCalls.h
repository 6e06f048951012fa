#pragma once

#include <QByteArray>
#include <QJsonArray>
#include <QString>
#include <variant>

// What a client of the node's socket asks: one protocol line judged before any of it is acted on.
namespace NodeCalls {

struct Call
{
    qint64 id = 0;
    QString op;
    QJsonArray args; // already checked against the operation's signature
};

struct Refusal
{
    qint64 id = 0; // 0 when the line carried no usable id
    QString error;
};

std::variant<Call, Refusal> parse(const QByteArray& line);

} // namespace NodeCalls
