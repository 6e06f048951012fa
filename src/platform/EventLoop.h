#pragma once

#include <QString>

class Clock;

// Lets the user-interface thread process what is already queued, then goes on. Handlers that call this can
// see an EchoLink event or a timer tick run inside them; it is one function so tests can see where.
void letPendingMessagesRun();

// The time of day as pane lines, log entries and announcements write it: the locale's long time format
// without the time-zone name.
QString timeOfDayText(const Clock& clock);
