#include "StationList.h"

namespace {

// The description of a station sitting in a conference, as the directory writes it.
constexpr QLatin1StringView InConference("In Conference ");

} // namespace

QString StationEntry::conference() const
{
    if (!description.startsWith(InConference, Qt::CaseInsensitive))
        return {};
    const QString rest = description.mid(InConference.size()).trimmed();
    const qsizetype end = rest.indexOf(QLatin1Char('*'), 1);
    if (!rest.startsWith(QLatin1Char('*')) || end < 2)
        return {};
    return rest.left(end + 1);
}

StationKind StationEntry::kindOf(const QString& callsign)
{
    if (callsign.size() > 2 && callsign.startsWith(QLatin1Char('*')) && callsign.endsWith(QLatin1Char('*')))
        return StationKind::Conference;
    if (callsign.endsWith(QLatin1String("-L"), Qt::CaseInsensitive))
        return StationKind::Link;
    if (callsign.endsWith(QLatin1String("-R"), Qt::CaseInsensitive))
        return StationKind::Repeater;
    return StationKind::Station;
}

QString StationEntry::statusText(StationStatus status)
{
    switch (status) {
    case StationStatus::Online:
        return QStringLiteral("on");
    case StationStatus::Busy:
        return QStringLiteral("busy");
    case StationStatus::InConference:
        return QStringLiteral("in conference");
    case StationStatus::Unknown:
        break;
    }
    return QStringLiteral("unknown");
}

StationList::StationList(QVector<StationEntry> entries, QStringList serverMessage)
    : m_message(std::move(serverMessage))
{
    m_entries.reserve(entries.size());
    for (StationEntry& entry : entries) {
        const QString key = entry.callsign.toUpper();
        if (m_byCallsign.contains(key) || m_byId.contains(entry.id))
            continue;
        m_byCallsign.insert(key, m_entries.size());
        m_byId.insert(entry.id, m_entries.size());
        m_entries.append(std::move(entry));
    }
}

const StationEntry* StationList::findCallsign(const QString& callsign) const
{
    const auto it = m_byCallsign.constFind(callsign.trimmed().toUpper());
    return it == m_byCallsign.cend() ? nullptr : &m_entries.at(*it);
}

const StationEntry* StationList::findId(int id) const
{
    const auto it = m_byId.constFind(id);
    return it == m_byId.cend() ? nullptr : &m_entries.at(*it);
}

const StationEntry* StationList::find(const QString& key) const
{
    const QString trimmed = key.trimmed();
    bool number = !trimmed.isEmpty() && trimmed.size() <= 7;
    for (const QChar c : trimmed)
        number = number && c >= QLatin1Char('0') && c <= QLatin1Char('9');
    return number ? findId(trimmed.toInt()) : findCallsign(trimmed);
}

bool StationList::isListedAt(const QString& callsign, const QHostAddress& from) const
{
    const StationEntry* entry = findCallsign(callsign);
    bool ipv4 = false;
    const quint32 address = from.toIPv4Address(&ipv4);
    return entry && ipv4 && entry->address.toIPv4Address() == address;
}

QVector<StationEntry> StationList::ofKind(StationKind kind) const
{
    QVector<StationEntry> result;
    for (const StationEntry& entry : m_entries) {
        if (entry.kind() == kind)
            result.append(entry);
    }
    return result;
}

namespace StationAddress {

std::optional<QHostAddress> parse(QByteArrayView text)
{
    if (text.size() < 7 || text.size() > 15)
        return std::nullopt;
    quint32 value = 0;
    int octets = 0;
    qsizetype i = 0;
    while (i <= text.size()) {
        const qsizetype start = i;
        int octet = 0;
        while (i < text.size() && text.at(i) >= '0' && text.at(i) <= '9' && i - start < 4) {
            octet = octet * 10 + (text.at(i) - '0');
            ++i;
        }
        const qsizetype digits = i - start;
        if (digits == 0 || digits > 3 || octet > 255 || (digits > 1 && text.at(start) == '0'))
            return std::nullopt;
        value = (value << 8) | static_cast<quint32>(octet);
        ++octets;
        if (i == text.size())
            break;
        if (text.at(i) != '.' || octets == 4)
            return std::nullopt;
        ++i;
    }
    if (octets != 4)
        return std::nullopt;
    const QHostAddress address(value);
    if (!isCallable(address))
        return std::nullopt;
    return address;
}

bool isCallable(const QHostAddress& address)
{
    bool ipv4 = false;
    const quint32 value = address.toIPv4Address(&ipv4);
    if (!ipv4)
        return false;
    const quint32 first = value >> 24;
    // 0/8 is "this network"; 224/4 multicast; 240/4 reserved, the broadcast address among them.
    return first != 0 && first < 224;
}

} // namespace StationAddress
