#pragma once

#include <QByteArray>
#include <QString>

// Texts between the network and Corvane. The network speaks Windows-1252; what arrives from a station is
// hostile: it is cleaned of control characters and bounded before it goes on.
namespace NodeText {

constexpr qsizetype MaxChatChars = 1024;
constexpr qsizetype MaxStationTextChars = 4096;

QString fromWindows1252(const QByteArray& bytes);
// Characters Windows-1252 cannot hold become '?'.
QByteArray toWindows1252(const QString& text);

// A chat message as the library hands it over ("CALL>text" and the protocol's line breaks): the trailing
// line breaks go, inner ones become blanks, so that one message stays one line.
QString chatFromWire(const QByteArray& bytes);
// A station's information: its line breaks become CR, other control characters go.
QString stationTextFromWire(const QByteArray& bytes);
// A callsign or name a station gives about itself: one short line.
QString callFromWire(const QByteArray& bytes);
QString nameFromWire(const QByteArray& bytes);
// What Corvane asks to send as chat, for the wire: one line.
QByteArray chatToWire(const QString& text);

// The text of a requested station as the directory spells it: trimmed, upper case.
QString stationKey(const QString& requested);
// A node number (1 to 7 digits) rather than a callsign.
bool isNodeNumber(const QString& key);

} // namespace NodeText
