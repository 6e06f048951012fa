#pragma once

#include <QtGlobal>
#include <optional>

// The moments at which the four connection buttons and the window colour change. Each has one row in the
// table of ConnectionStates.cpp; a row switches only the buttons and the colour that the moment decides.
enum class ConnectionState
{
    StartingUp, // the window is made and EchoLink not yet attached
    Attaching, // EchoLink is being attached
    QsoDetected, // a QSO was already running when Corvane attached
    Ready, // attached with no QSO running
    ConnectRequestTyped, // a callsign or node number is being typed while no station is connected
    Connecting, // a connect request was handed to EchoLink
    ConnectRefused, // EchoLink refused the connect request
    FirstStation, // the first station connected
    FurtherStation, // a second or later station joined the conference
    OneStationLeft, // a conference member left and one station remains
    LastStationLeft, // the last station left
    Transmitting, // the transmitter is keyed
    Receiving, // the transmitter is unkeyed, the QSO goes on
    LinkUp, // EchoLink's link came up
    LinkDown, // EchoLink's link went down
};

// The view that shows a connection state: the four buttons and the window colour.
class ConnectionStateView
{
public:
    enum class Button
    {
        TxRx,
        DisconnectAll,
        DisconnectLast,
        ReConnect
    };

    virtual ~ConnectionStateView() = default;
    // The window's colour as a 0x00BBGGRR value.
    virtual void setWindowColor(quint32 bgr) = 0;
    virtual void setButtonEnabled(Button button, bool enabled) = 0;

    // Switches the buttons and the colour as the state's row says.
    void showConnectionState(ConnectionState state);
};

namespace ConnectionStates {

// A button is switched on, off or left as it is.
enum class Switch : quint8
{
    Keep,
    On,
    Off
};

struct Look
{
    ConnectionState state;
    std::optional<quint32> windowColor;
    Switch txRx;
    Switch disconnectAll;
    Switch disconnectLast;
    Switch reConnect;
};

// The row of a state.
const Look& look(ConnectionState state);

} // namespace ConnectionStates
