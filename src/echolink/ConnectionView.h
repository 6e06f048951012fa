#pragma once

#include <QString>

// What the connection handlers show: the count, the connection and look-up labels, the button states,
// the window colour and where the focus goes.
class ConnectionView
{
public:
    enum class Button
    {
        TxRx,
        DisconnectAll,
        DisconnectLast,
        ReConnect
    };

    virtual ~ConnectionView() = default;
    virtual void showStationCount(const QString& count) = 0;
    virtual void showConnectionInfo(const QString& info) = 0;
    // The look-up link's address path: "/db/" and the station's callsign, or "/db/" alone.
    virtual void showLookUpPath(const QString& path) = 0;
    virtual void setWindowColor(quint32 bgr) = 0;
    virtual void setButtonEnabled(Button button, bool enabled) = 0;
    virtual void enableMemoryButtons() = 0;
    virtual void focusButton(Button button) = 0;
    virtual void focusChatLine() = 0;
    virtual QString chatLineText() const = 0;
    // The operator is writing in the chat line: it holds text other than the connect request made from it.
    virtual bool chatLineInUse() const = 0;
    // What the keyboard focus is on, as a screen reader names it.
    virtual QString focusedControlName() const = 0;
    virtual void clearChatLine() = 0;
    // Restores a minimised window, raises and activates it.
    virtual void bringToFront() = 0;
    // The talking-now label goes back to its scheme's colour and empty text.
    virtual void clearTalker() = 0;
    // The status bar's talker panel empties.
    virtual void clearStatusTalker() = 0;
};
