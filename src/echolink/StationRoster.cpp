#include "echolink/StationRoster.h"

#include <algorithm>
#include <utility>

int StationRoster::topSlot() const
{
    return std::clamp(m_count, 0, StationSlots - 1);
}

void StationRoster::storeArrival(const QString& call, const QString& name)
{
    if (m_count >= StationSlots) {
        m_beyondLastSlot << call;
        return;
    }
    if (m_count < 0)
        return;
    m_calls.at(static_cast<size_t>(m_count)) = call;
    m_names.at(static_cast<size_t>(m_count)) = name;
}

void StationRoster::lastStationLeft(const QString& call)
{
    m_count = 0;
    m_lastStation = call;
    m_connected = false;
}

void StationRoster::clear()
{
    m_connected = false;
    m_count = 0;
}

QString StationRoster::conferenceInfo(const QString& separator)
{
    QString info;
    m_conferenceCalls.clear();
    for (int i = 1; i <= topSlot(); ++i) {
        info += stationCall(i) + QLatin1Char(' ') + stationName(i) + separator;
        m_conferenceCalls += stationCall(i) + QLatin1Char(' ');
    }
    return info;
}

QStringList StationRoster::takeStationsBeyondLastSlot()
{
    return std::exchange(m_beyondLastSlot, {});
}
