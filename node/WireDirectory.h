#pragma once

#include "StationList.h"
#include "echolink/StationDirectory.h"

#include <QList>

// The directory the node holds, as the station list operation hands it to Corvane.
namespace WireDirectory {

// More than the real network lists, and within one line of the socket protocol many times over.
constexpr qsizetype MaxEntries = 30000;

// "on", "busy", "in conference *NAME*" ("in conference" when the name cannot be read), "unknown".
QString statusText(const StationEntry& entry);
StationDirectory::Kind kindOf(StationKind kind);
StationDirectory::Entry entryOf(const StationEntry& entry);
// The first MaxEntries entries, in the directory's order.
QList<StationDirectory::Entry> entriesOf(const StationList& stations);

} // namespace WireDirectory
