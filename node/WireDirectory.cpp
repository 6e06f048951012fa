#include "WireDirectory.h"

namespace WireDirectory {

QString statusText(const StationEntry& entry)
{
    if (entry.status == StationStatus::InConference && !entry.conference().isEmpty())
        return QStringLiteral("in conference ") + entry.conference();
    return StationEntry::statusText(entry.status);
}

StationDirectory::Kind kindOf(StationKind kind)
{
    switch (kind) {
    case StationKind::Station:
        break;
    case StationKind::Link:
        return StationDirectory::Kind::Link;
    case StationKind::Repeater:
        return StationDirectory::Kind::Repeater;
    case StationKind::Conference:
        return StationDirectory::Kind::Conference;
    }
    return StationDirectory::Kind::Station;
}

StationDirectory::Entry entryOf(const StationEntry& entry)
{
    return {
        entry.callsign.left(StationDirectory::MaxCallsignChars),
        entry.description.left(StationDirectory::MaxTextChars),
        statusText(entry).left(StationDirectory::MaxTextChars),
        entry.id >= 0 && entry.id <= StationDirectory::MaxNode ? entry.id : 0,
        kindOf(entry.kind()),
    };
}

QList<StationDirectory::Entry> entriesOf(const StationList& stations)
{
    QList<StationDirectory::Entry> out;
    const qsizetype count = qMin(stations.size(), MaxEntries);
    out.reserve(count);
    for (qsizetype i = 0; i < count; ++i)
        out.append(entryOf(stations.entries().at(i)));
    return out;
}

} // namespace WireDirectory
