#pragma once

#include <QString>
#include <QStringList>
#include <optional>

// The test hooks of the stand-in: one command line as `EchoLink.exe --send "<command>"` hands it over.
//   connect <call> <name> <address>   disconnect <call>   chat <text>   stationtext <text>
//   alarm <station> <status>   alarmlog <text>   alarmlog-clear   stationlist   tx|rx|link on|off
//   fail <operation> <message>   calls   close
// Arguments are separated by blanks; an argument with blanks is put in double quotes (\" inside).
// The trailing text of chat, stationtext, alarmlog and fail is the rest of the line as typed, or one
// quoted argument. Everywhere \\ \r \n \t stand for a backslash, carriage return, line feed and tab.
namespace ControlCommand {

enum class Verb
{
    Connect,
    Disconnect,
    Chat,
    StationText,
    Alarm,
    AlarmLog,
    AlarmLogClear,
    StationList,
    Tx,
    Rx,
    Link,
    Fail,
    Calls,
    Close,
};

struct Command
{
    Verb verb = Verb::Calls;
    // connect: call, name, address; disconnect: call; chat, stationtext, alarmlog: the text;
    // alarm: the station; fail: the operation (as the session names it) and the message.
    QStringList texts;
    bool on = false; // tx, rx, link
    int status = 0; // alarm
};

// The session operations and properties as they travel on the wire, in the order of the interface.
const QStringList& operationNames();

std::optional<Command> parse(const QString& line, QString* error);

// Splits arguments as the commands do: blanks separate, quotes group, escapes are resolved.
std::optional<QStringList> splitArguments(const QString& text, QString* error);
// The inverse for one argument: bare when it can stand alone, otherwise quoted.
QString quoteArgument(const QString& text);

} // namespace ControlCommand
