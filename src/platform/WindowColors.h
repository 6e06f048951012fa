#pragma once

#include <QtGlobal>

// Window colours as 0x00BBGGRR values, blue in the high byte; the colour schemes use the same form.
namespace WindowColors {
constexpr quint32 Waiting = 0x808080;
constexpr quint32 Idle = 0x374A42;
constexpr quint32 Qso = 0x008000;
constexpr quint32 Transmit = 0x0000FF;
} // namespace WindowColors
