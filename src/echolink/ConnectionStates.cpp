// The one table of what the connection buttons and the window colour show at each moment.
#include "echolink/ConnectionStates.h"

#include "platform/WindowColors.h"

#include <array>
#include <stdexcept>

namespace ConnectionStates {
namespace {

constexpr Switch K = Switch::Keep;
constexpr Switch On = Switch::On;
constexpr Switch Off = Switch::Off;
constexpr std::optional<quint32> Unchanged;

using S = ConnectionState;
// clang-format off
const std::array Looks {
    //    state                   window colour          Tx/Rx  Disc.All  Disc.Last  ReConnect
    Look { S::StartingUp,          WindowColors::Waiting, K,     K,        K,         K   },
    Look { S::Attaching,           Unchanged,             K,     K,        K,         Off },
    Look { S::QsoDetected,         WindowColors::Qso,     On,    On,       Off,       K   },
    Look { S::Ready,               WindowColors::Idle,    On,    On,       Off,       On  },
    Look { S::ConnectRequestTyped, Unchanged,             K,     K,        K,         On  },
    Look { S::Connecting,          Unchanged,             K,     On,       K,         Off },
    Look { S::ConnectRefused,      Unchanged,             K,     On,       K,         On  },
    Look { S::FirstStation,        WindowColors::Qso,     On,    On,       K,         Off },
    Look { S::FurtherStation,      Unchanged,             On,    On,       On,        Off },
    Look { S::OneStationLeft,      Unchanged,             K,     K,        Off,       K   },
    Look { S::LastStationLeft,     WindowColors::Idle,    Off,   Off,      Off,       On  },
    Look { S::Transmitting,        WindowColors::Transmit, K,    K,        K,         K   },
    Look { S::Receiving,           WindowColors::Qso,     K,     K,        K,         K   },
    Look { S::LinkUp,              WindowColors::Idle,    K,     K,        K,         Off },
    Look { S::LinkDown,            WindowColors::Waiting, K,     K,        K,         Off },
};
// clang-format on

} // namespace

const Look& look(ConnectionState state)
{
    for (const Look& row : Looks) {
        if (row.state == state)
            return row;
    }
    throw std::logic_error("connection state without a row");
}

} // namespace ConnectionStates

void ConnectionStateView::showConnectionState(ConnectionState state)
{
    using ConnectionStates::Switch;
    const ConnectionStates::Look& row = ConnectionStates::look(state);
    if (row.windowColor)
        setWindowColor(*row.windowColor);
    auto set = [this](Button button, Switch to) {
        if (to != Switch::Keep)
            setButtonEnabled(button, to == Switch::On);
    };
    set(Button::TxRx, row.txRx);
    set(Button::DisconnectAll, row.disconnectAll);
    set(Button::DisconnectLast, row.disconnectLast);
    set(Button::ReConnect, row.reConnect);
}
