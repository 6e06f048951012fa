#pragma once

#include <QByteArray>
#include <QJsonArray>
#include <QJsonObject>
#include <QList>
#include <QString>
#include <memory>
#include <optional>

class QLockFile;

// The line protocol between Corvane and the EchoLink stand-in: one JSON object per line (UTF-8, LF).
//   call    {"id":N,"op":"Connect1","args":["Q1AB",true]}
//   reply   {"id":N,"ok":true,"value":...}   or   {"id":N,"ok":false,"error":"text"}
//   event   {"event":"OnConnected","args":["Q1AB","Name","1.2.3.4"]}
//   control {"id":N,"control":"connect Q1AB Jo 1.2.3.4"}   (the stand-in's --send commands)
namespace EchoLinkWire {

// What one argument, result or event parameter is on the wire.
enum class Type
{
    Nothing, // a result only: the reply's value is null or absent
    Text, // a JSON string
    Flag, // a JSON true or false
    Status, // EchoLink's 16-bit status: a whole number, read signed or unsigned (-32768 to 65535)
    StationList, // a result only: the directory's entries (see StationDirectory.h)
};

// How long a caller waits for an operation's reply.
enum class Timeout
{
    Call, // the ordinary limit
    ConnectWait, // the longer limit of a connection request whose wait flag (its last argument) is true
};

// The session's operations and properties, in the order of the session interface.
enum class Operation
{
    Connect1,
    Disconnect1,
    DisconnectAll,
    Transmit,
    SendChatText,
    RefreshStationList,
    Reset,
    Shutdown,
    Quit,
    Receiving,
    Transmitting,
    SystemConfigCallsign,
    AlarmLogText,
    StationList, // the directory as the server holds it now
};

struct OperationRow
{
    Operation operation;
    QString name; // as it travels in a call's "op"
    QList<Type> arguments;
    Type result;
    Timeout timeout;
};

// The events EchoLink raises, in the order of their dispatch numbers.
enum class Event
{
    OnClosing,
    OnTX,
    OnConnected,
    OnDisconnected,
    OnStationListReceived,
    OnChatTextReceived,
    OnStationTextReceived,
    OnAlarm,
    OnLinkStatusChange,
};

struct EventRow
{
    Event event;
    QString name;
    QList<Type> parameters;
};

// The one table of operations that the socket client, the stand-in and the fakes share.
const QList<OperationRow>& operations();
const OperationRow& rowOf(Operation operation);
// The operation of that wire name, exactly as spelt; nullptr when there is none.
const OperationRow* findOperation(const QString& name);

const QList<EventRow>& events();
const EventRow& rowOf(Event event);
const EventRow* findEvent(const QString& name);

// Whether a value is of the type; Nothing accepts null and absent values only.
bool matches(const QJsonValue& value, Type type);
// Whether the list holds exactly these types, one value for each.
bool matches(const QJsonArray& values, const QList<Type>& types);
// "text, true/false" for messages that say what was expected.
QString describe(const QList<Type>& types);

// Longest line either side accepts; a longer one is refused and the connection dropped. The station list is
// the longest message, about 100 bytes an entry: this holds the whole directory several times over.
constexpr int MaxLineBytes = 1 << 23;

// Where the stand-in listens: a socket in a user-only folder under XDG_RUNTIME_DIR
// (or a user-only folder in the temporary directory when that is not set).
QString serverPath();
// Creates the socket's folder with owner-only access; false when it cannot be made private.
bool prepareServerFolder(QString* error);
// The folder that holds the socket.
QString serverFolder();
// Claims this user's one EchoLink server place for a server (the stand-in or the node): prepares the
// socket's folder and takes its lock, so that a second server is refused instead of taking over the
// socket. The lock outlives a crash only as a stale file, which QLockFile recognises by its dead owner.
// Null, with *error saying why, when the place cannot be had.
std::unique_ptr<QLockFile> claimServerPlace(QString* error);
// Whether a socket's folder exists, is ours and closed to others; a client checks it before it trusts
// whatever listens there.
bool checkServerFolder(const QString& folder, QString* error);

QByteArray encode(const QJsonObject& message);
// Parses one line; nullopt (with the reason) when it is not valid UTF-8 or not a JSON object.
std::optional<QJsonObject> decode(const QByteArray& line, QString* error = nullptr);

// A call's id: a whole number from 1 up; nullopt when the value is anything else.
std::optional<qint64> readId(const QJsonValue& value);

// What a client reads from the server, each checked against the table so that nothing malformed
// becomes an answer or an event with empty fields.
struct Reply
{
    qint64 id = 0;
    bool ok = false;
    QJsonValue value; // ok: the result
    QString error; // not ok: the server's message, possibly empty
};
struct IncomingEvent
{
    Event event;
    QJsonArray arguments; // the parameters, of the table's types
};
// Whether the message is an event (it carries "event") rather than a reply.
bool isEvent(const QJsonObject& message);
// A reply to a call of that operation; nullopt (with the reason) when it is malformed.
std::optional<Reply> readReply(const QJsonObject& message, Operation operation, QString* error);
// An event of the table with parameters of its types; nullopt (with the reason) otherwise.
std::optional<IncomingEvent> readEvent(const QJsonObject& message, QString* error);

QJsonObject call(qint64 id, const QString& op, const QJsonArray& args);
QJsonObject call(qint64 id, Operation operation, const QJsonArray& args);
QJsonObject reply(qint64 id, const QJsonValue& value);
QJsonObject failure(qint64 id, const QString& error);
QJsonObject event(const QString& name, const QJsonArray& args);
QJsonObject event(Event event, const QJsonArray& args);
QJsonObject control(qint64 id, const QString& command);

// Text escapes of the test hooks: \\ \r \n \t.
QString escapeText(const QString& text);
QString unescapeText(const QString& text);

} // namespace EchoLinkWire
