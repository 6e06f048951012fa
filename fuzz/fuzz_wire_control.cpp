// The stand-in's control commands (the --send test hooks), parsed and carried out.
#include "ControlCommand.h"
#include "StandInStation.h"

#include <QString>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QString line = QString::fromUtf8(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    QString error;
    const auto command = ControlCommand::parse(line, &error);
    if (command) {
        StandInStation station;
        station.execute(*command);
    } else if (error.isEmpty()) {
        std::abort(); // a refusal always says why
    }
    if (const auto arguments = ControlCommand::splitArguments(line, &error)) {
        // Each argument quoted and read back must come out as it went in.
        for (const QString& argument : *arguments) {
            const auto back = ControlCommand::splitArguments(ControlCommand::quoteArgument(argument), &error);
            if (!back || back->size() != 1 || back->first() != argument)
                std::abort();
        }
    }
    return 0;
}
