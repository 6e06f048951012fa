#pragma once

#include <QByteArray>
#include <QJsonArray>
#include <QJsonObject>
#include <QString>

#include <optional>

// The line protocol between Corvane and the EchoLink stand-in: one JSON object per line (UTF-8, LF).
//   call    {"id":N,"op":"Connect1","args":["Q1AB",true]}
//   reply   {"id":N,"ok":true,"value":...}   or   {"id":N,"ok":false,"error":"text"}
//   event   {"event":"OnConnected","args":["Q1AB","Name","1.2.3.4"]}
//   control {"id":N,"control":"connect Q1AB Jo 1.2.3.4"}   (the stand-in's --send commands)
namespace EchoLinkWire {

// Longest line either side accepts; a longer one is refused and the connection dropped.
constexpr int MaxLineBytes = 1 << 20;

// Where the stand-in listens: a socket in a user-only folder under XDG_RUNTIME_DIR
// (or a user-only folder in the temporary directory when that is not set).
QString serverPath();
// Creates the socket's folder with owner-only access; false when it cannot be made private.
bool prepareServerFolder(QString* error);
// The folder that holds the socket.
QString serverFolder();
// Whether a socket's folder exists, is ours and closed to others; a client checks it before it trusts
// whatever listens there.
bool checkServerFolder(const QString& folder, QString* error);

QByteArray encode(const QJsonObject& message);
// Parses one line; nullopt (with the reason) when it is not a JSON object.
std::optional<QJsonObject> decode(const QByteArray& line, QString* error = nullptr);

QJsonObject call(qint64 id, const QString& op, const QJsonArray& args);
QJsonObject reply(qint64 id, const QJsonValue& value);
QJsonObject failure(qint64 id, const QString& error);
QJsonObject event(const QString& name, const QJsonArray& args);
QJsonObject control(qint64 id, const QString& command);

// Text escapes of the test hooks: \\ \r \n \t.
QString escapeText(const QString& text);
QString unescapeText(const QString& text);

} // namespace EchoLinkWire
