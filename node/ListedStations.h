#pragma once

#include <QByteArray>
#include <QHostAddress>
#include <QString>
#include <optional>
#include <vector>

// The directory's station list as the node uses it: who is listed, in what state, at which address.
// The reply is hostile input: every line, field and the count are bounded, and an entry whose address is
// not a usable unicast IPv4 address is kept (it shows in the list and the alarm log) but cannot be called.
struct ListedStation
{
    enum class Status { On, Busy };
    enum class Kind { User, Link, Repeater, Conference };

    QString callsign;
    QString description; // without the "[ON 12:34]" at its end
    Status status = Status::On;
    int node = 0;
    QHostAddress address; // null when the listed one is unusable
    Kind kind = Kind::User;
};

namespace ListedStations {

constexpr int MaxStations = 50000;
constexpr int MaxLineBytes = 256;
constexpr int MaxDescriptionChars = 64;
constexpr int MaxReplyBytes = 8 * 1024 * 1024;

// "@@@\n" COUNT "\n", then CALL, DATA, NODE, ADDRESS one a line per station, then "+++".
// nullopt for a reply that is cut short, too large or not a list.
std::optional<std::vector<ListedStation>> parse(const QByteArray& reply);
// A unicast IPv4 address a QSO can be opened to (not 0.0.0.0, broadcast or multicast).
bool usableAddress(const QHostAddress& address);

} // namespace ListedStations
