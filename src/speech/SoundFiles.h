#pragma once

#include <QString>

// Sounds the program ships beside its executable.
namespace SoundFiles {

// The transmit time-out warning, made at build time into the folder of the corvane executable.
QString timeoutWavPath();

} // namespace SoundFiles
