#pragma once

#include <QString>
#include <QStringList>
#include <array>

// Slots 1..10 hold the connected stations as a stack; slot 11 holds a station beyond the maximum for the
// few seconds until it is disconnected; slot 0 of the texts takes station text that arrives with none counted.
constexpr int StationSlots = 12;
constexpr int MaxStations = 10;

// Who is connected: the station arrays, the count and the texts built from them. Plain data with the
// bookkeeping rules of connecting and leaving; the connection handlers decide what is shown and spoken.
class StationRoster
{
public:
    bool isConnected() const { return m_connected; }
    void setConnected(bool connected) { m_connected = connected; }

    int connectionCount() const { return m_count; }
    void setConnectionCount(int count) { m_count = count; }
    // The slot of the newest station, kept inside the arrays whatever the count says.
    int topSlot() const;

    // A station arrived: the count goes up first (the handler lets pending messages run right after).
    void countArrival() { ++m_count; }
    // Stores the newest arrival in its slot; an arrival beyond the last slot is kept apart so that the
    // disconnect timer can still send it away.
    void storeArrival(const QString& call, const QString& name);
    void countDeparture() { --m_count; }
    // The last station left: the count is 0 and the station becomes the one to reconnect to.
    void lastStationLeft(const QString& call);
    void clear();

    // The connection-information text of a conference: "CALL NAME" + separator for every slot in use;
    // rebuilds ConferenceCalls on the way.
    QString conferenceInfo(const QString& separator);
    // The stations beyond the last slot, handed over once.
    QStringList takeStationsBeyondLastSlot();

    const QString& stationCall(int slot) const { return m_calls.at(static_cast<size_t>(slot)); }
    const QString& stationName(int slot) const { return m_names.at(static_cast<size_t>(slot)); }
    const QString& stationText(int slot) const { return m_texts.at(static_cast<size_t>(slot)); }
    void setStationText(int slot, const QString& text) { m_texts.at(static_cast<size_t>(slot)) = text; }

    const QString& connectedCall() const { return m_connectedCall; }
    void setConnectedCall(const QString& call) { m_connectedCall = call; }
    const QString& conferenceCalls() const { return m_conferenceCalls; }
    void setConferenceCalls(const QString& calls) { m_conferenceCalls = calls; }
    const QString& lastStation() const { return m_lastStation; }
    void setLastStation(const QString& call) { m_lastStation = call; }
    const QString& myCallsign() const { return m_myCallsign; }
    void setMyCallsign(const QString& call) { m_myCallsign = call; }

private:
    bool m_connected = false;
    int m_count = 0;
    std::array<QString, StationSlots> m_calls;
    std::array<QString, StationSlots> m_names;
    std::array<QString, StationSlots> m_texts;
    QString m_connectedCall;
    QString m_conferenceCalls;
    QString m_lastStation;
    QString m_myCallsign;
    QStringList m_beyondLastSlot;
};
