// The stand-in's handling of what its clients send: every input line goes to the station's dispatcher,
// with delayed work run at once so that connections, lists and answers all happen.
#include "StandInStation.h"

#include <QByteArray>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    StandInStation station;
    station.setScheduler([](int, StandInStation::Task task) { task(); });
    const QByteArray input(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    int client = 1;
    for (const QByteArray& line : input.split('\n')) {
        station.handleLine(client, line);
        client = client % 3 + 1;
    }
    station.clientLeft(1);
    return 0;
}
