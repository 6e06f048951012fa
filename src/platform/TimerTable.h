#pragma once

#include "platform/Clock.h"

#include <array>
#include <string_view>

// The controllers' timers.
enum class TimerId
{
    StartUpTimer,
    Timer1,
    TimerClearText,
    TxTimer,
    DisconnectTimer,
    ShutDownTimer,
    ShutdownTimer2,
    TimerCheckBoxTimeOut,
    TimerF9TimeOut,
};

// One timer: its name and its handler as the operators' documentation gives them, the interval it runs at,
// and who starts it. The window wires each timer's ticks to its handler inside the one exception guard.
struct TimerRow
{
    TimerId id;
    std::string_view name;
    int intervalMs;
    std::string_view handler;
    std::string_view startedBy;
};

namespace Timers {

// clang-format off
inline constexpr std::array<TimerRow, 9> Table { {
    { TimerId::StartUpTimer,         "StartUpTimer",         4000,   "StartUp::StartUpTimerTimer",
      "StartUp::FormCreate, once EchoLink is attached: the settings are read when it runs out" },
    { TimerId::Timer1,               "Timer1",               5000,   "AwayReply::Timer1Timer",
      "AwayReply::stationConnected, while away: the away reply goes out when it runs out" },
    { TimerId::TimerClearText,       "TimerClearText",       300,    "ChatLine::TimerClearTextTimer",
      "ChatLine, on every Tx/Rx press that keys or unkeys" },
    { TimerId::TxTimer,              "TxTimer",              1800,   "TransmitControl::TxTimerTimer",
      "TransmitControl, at its creation and when it keys the transmitter: one tick of the transmit time bar" },
    { TimerId::DisconnectTimer,      "DisconnectTimer",      7000,   "ConnectionControl::DisconnectTimerTimer",
      "ConnectionControl, when a station beyond the maximum connects" },
    { TimerId::ShutDownTimer,        "ShutDownTimer",        18000,  "ShutDown::ShutDownTimerTimer",
      "ShutDown::startCountDown, on F12: the count-down to the power-off" },
    { TimerId::ShutdownTimer2,       "ShutdownTimer2",       2000,   "ShutDown::ShutdownTimer2Timer",
      "ShutDown::ShutDownTimerTimer: the power-off follows the spoken warning" },
    { TimerId::TimerCheckBoxTimeOut, "TimerCheckBoxTimeOut", 10000,  "KeyboardMap::TimerCheckBoxTimeOutTimer",
      "KeyboardMap, on F5 to F8: the focus goes home when it runs out" },
    { TimerId::TimerF9TimeOut,       "TimerF9TimeOut",       600000, "KeyboardMap::TimerF9TimeOutTimer",
      "KeyboardMap, on F9 switching remote commands on: they switch off when it runs out" },
} };
// clang-format on

constexpr const TimerRow& row(TimerId id)
{
    return Table[static_cast<size_t>(id)];
}

constexpr int intervalMs(TimerId id)
{
    return row(id).intervalMs;
}

// The rows are in the order of TimerId, so row() finds each by its place.
constexpr bool inOrder()
{
    for (size_t i = 0; i < Table.size(); ++i) {
        if (Table[i].id != static_cast<TimerId>(i))
            return false;
    }
    return true;
}
static_assert(inOrder());

// A stopped timer at the row's interval, owned by parent.
inline Timer* make(TimerId id, Clock& clock, QObject* parent)
{
    return new Timer(clock, intervalMs(id), parent);
}

} // namespace Timers
