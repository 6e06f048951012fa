#include "ListedStations.h"

#include "NodeText.h"

namespace ListedStations {

namespace {

ListedStation::Kind kindOf(const QString& call)
{
    if (call.startsWith(QLatin1Char('*')))
        return ListedStation::Kind::Conference;
    if (call.endsWith(QLatin1String("-L")))
        return ListedStation::Kind::Link;
    if (call.endsWith(QLatin1String("-R")))
        return ListedStation::Kind::Repeater;
    return ListedStation::Kind::User;
}

// Four dotted decimal numbers and nothing else: the forms inet_aton also takes ("1.2.3", "0x7f.1") are
// no listed address.
QHostAddress addressOf(const QByteArray& text)
{
    const QList<QByteArray> parts = text.split('.');
    if (parts.size() != 4)
        return {};
    for (const QByteArray& part : parts) {
        if (part.isEmpty() || part.size() > 3)
            return {};
        for (const char c : part) {
            if (c < '0' || c > '9')
                return {};
        }
        if (part.toInt() > 255)
            return {};
    }
    const QHostAddress address(QString::fromLatin1(text));
    return usableAddress(address) ? address : QHostAddress();
}

} // namespace

bool usableAddress(const QHostAddress& address)
{
    if (address.protocol() != QAbstractSocket::IPv4Protocol)
        return false;
    const quint32 ip = address.toIPv4Address();
    return ip != 0 && ip != 0xFFFFFFFFu && (ip >> 28) != 0xE && (ip >> 28) != 0xF;
}

std::optional<std::vector<ListedStation>> parse(const QByteArray& reply)
{
    if (reply.size() > MaxReplyBytes || !reply.startsWith("@@@\n"))
        return std::nullopt;
    qsizetype at = 4;
    const auto nextLine = [&reply, &at]() -> std::optional<QByteArray> {
        const qsizetype end = reply.indexOf('\n', at);
        if (end < 0 || end - at > MaxLineBytes)
            return std::nullopt;
        QByteArray line = reply.mid(at, end - at);
        at = end + 1;
        if (line.endsWith('\r'))
            line.chop(1);
        return line;
    };
    const auto countLine = nextLine();
    if (!countLine)
        return std::nullopt;
    bool ok = false;
    const int count = countLine->trimmed().toInt(&ok);
    if (!ok || count < 0 || count > MaxStations)
        return std::nullopt;
    std::vector<ListedStation> stations;
    stations.reserve(static_cast<std::size_t>(std::min(count, 4096)));
    for (int i = 0; i < count; ++i) {
        const auto call = nextLine();
        const auto data = nextLine();
        const auto node = nextLine();
        const auto address = nextLine();
        if (!call || !data || !node || !address)
            return std::nullopt;
        ListedStation station;
        station.callsign = NodeText::callFromWire(call->trimmed()).toUpper();
        if (station.callsign.isEmpty())
            continue; // the server's own greeting
        QByteArray description = *data;
        const qsizetype bracket = description.lastIndexOf('[');
        if (bracket >= 0 && description.endsWith(']')) {
            const QByteArray state = description.mid(bracket + 1);
            station.status = state.startsWith("BUSY") ? ListedStation::Status::Busy : ListedStation::Status::On;
            description.truncate(bracket);
        }
        station.description = NodeText::nameFromWire(description.trimmed()).left(MaxDescriptionChars);
        station.node = node->trimmed().toInt();
        station.address = addressOf(address->trimmed());
        station.kind = kindOf(station.callsign);
        stations.push_back(std::move(station));
    }
    if (!reply.mid(at).startsWith("+++"))
        return std::nullopt;
    return stations;
}

} // namespace ListedStations
