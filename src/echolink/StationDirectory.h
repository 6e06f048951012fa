#pragma once

#include <QJsonArray>
#include <QJsonValue>
#include <QList>
#include <QString>
#include <optional>

// The EchoLink directory as the station list operation carries it: one JSON object per station,
//   {"callsign":"Q1AB-L","description":"Elm Falls 146.52","status":"on","node":123456,"kind":"link"}
// Text in it comes from other stations and is cleaned on the way in (see fromJson).
namespace StationDirectory {

enum class Kind
{
    Station,
    Link, // callsign ends in -L
    Repeater, // callsign ends in -R
    Conference, // *NAME*
};

struct Entry
{
    QString callsign;
    QString description; // the name or location the station gives
    QString status; // "on", "busy", or what the directory says ("in conference *NAME*")
    int node = 0; // the node number; 0 when not known
    Kind kind = Kind::Station;

    bool operator==(const Entry&) const = default;
};

// Longest texts kept of an entry; the directory's own fields are far shorter.
constexpr int MaxCallsignChars = 32;
constexpr int MaxTextChars = 120;
// Node numbers have at most seven digits.
constexpr int MaxNode = 9999999;

// "station", "link", "repeater", "conference": the names on the wire.
QString kindName(Kind kind);
std::optional<Kind> kindFromName(const QString& name);
// The kind a callsign is written as: *NAME* a conference, -L a link, -R a repeater.
Kind kindOfCallsign(const QString& callsign);

QJsonArray toJson(const QList<Entry>& entries);
// Whether the value is a station list: an array of objects, each with the five fields of their types.
bool isStationList(const QJsonValue& value);
// The entries of a station list; nullopt (with the reason) when it is not one. Texts lose their control
// characters (each becomes a space) and are cut to their limits.
std::optional<QList<Entry>> fromJson(const QJsonValue& value, QString* error = nullptr);

} // namespace StationDirectory
