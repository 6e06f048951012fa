#pragma once

#include "echolink/StationDirectory.h"

#include <QList>

// The station directory the stand-in serves, so that the directory can be practised without an account:
// stations, links, repeaters and conferences, on, busy and in conference.
QList<StationDirectory::Entry> demoDirectory();
