#pragma once

#include <QByteArrayView>
#include <QHash>
#include <QHostAddress>
#include <QString>
#include <QStringList>
#include <QVector>
#include <optional>

// The EchoLink directory's list of stations as plain values: what the node checks callers against and
// resolves calls with, and what a station browser shows. Copying is cheap (implicitly shared containers).
//
// A `StationEntry` is one listed station; `StationList` holds the entries in the directory's order with
// lookups by callsign (case-insensitive) and by node number. Both are built by the list parser
// (DirectoryProtocol.h), which has already checked every field, so entries are always well formed.

enum class StationKind
{
    Station, // a single operator's station
    Link, // callsign ends in "-L": a simplex radio link
    Repeater, // callsign ends in "-R": a repeater
    Conference, // "*NAME*": a conference server
};

enum class StationStatus
{
    Unknown,
    Online, // "ON": free to take a call
    Busy, // "BUSY": in a QSO, or not taking calls
    InConference, // listed ON or BUSY with the description "In Conference *NAME*"
};

struct StationEntry
{
    QString callsign; // upper case, as listed ("Q1ABC", "Q1ABC-L", "*MYCONF*")
    QString description; // name or location, decoded from Windows-1252, control characters removed
    StationStatus status = StationStatus::Unknown;
    QString since; // "HH:MM" as the directory gave it, or empty
    int id = 0; // the node number, 1 and up
    QHostAddress address; // always a usable unicast IPv4 address

    StationKind kind() const { return kindOf(callsign); }
    // The conference a station sits in ("*NAME*"), empty when none.
    QString conference() const;

    static StationKind kindOf(const QString& callsign);
    // Words for a status as the node and a browser say them: "on", "busy", "in conference", "unknown".
    static QString statusText(StationStatus status);

    friend bool operator==(const StationEntry&, const StationEntry&) = default;
};

class StationList
{
public:
    StationList() = default;
    // Entries with the same callsign or node number as an earlier one are dropped (the first stays).
    explicit StationList(QVector<StationEntry> entries, QStringList serverMessage = {});

    const QVector<StationEntry>& entries() const { return m_entries; }
    qsizetype size() const { return m_entries.size(); }
    bool isEmpty() const { return m_entries.isEmpty(); }
    // Lines the directory sent for people rather than for programs (a welcome, a notice).
    const QStringList& serverMessage() const { return m_message; }

    const StationEntry* findCallsign(const QString& callsign) const;
    const StationEntry* findId(int id) const;
    // What an operator asks for: a node number (1 to 7 digits) or a callsign as listed.
    const StationEntry* find(const QString& key) const;
    // The check for an incoming station: listed under this callsign, at exactly this address (an IPv4
    // address mapped into IPv6, as a dual-stack socket reports it, counts as the same address).
    bool isListedAt(const QString& callsign, const QHostAddress& from) const;
    // Entries of one kind, in list order.
    QVector<StationEntry> ofKind(StationKind kind) const;

private:
    QVector<StationEntry> m_entries;
    QStringList m_message;
    QHash<QString, qsizetype> m_byCallsign;
    QHash<int, qsizetype> m_byId;
};

namespace StationAddress {

// A station's address as the directory writes it: exactly four decimal octets ("192.0.2.7"), no spaces,
// no leading zeros beyond one digit of zero, each at most 255. Addresses nobody can be called at are
// refused: 0.0.0.0/8, multicast 224.0.0.0/4, the reserved 240.0.0.0/4 and the broadcast 255.255.255.255.
std::optional<QHostAddress> parse(QByteArrayView text);

// The same test for an address already parsed (an incoming packet's source, for instance).
bool isCallable(const QHostAddress& address);

} // namespace StationAddress
