#pragma once

#include "echolink/ConnectionStates.h"

#include <array>
#include <optional>

// Records what a controller shows of the connection state: the last window colour and each button's
// last enabled state (empty while never set), so controller rules are checked without the window.
class RecordingConnectionStateView : public ConnectionStateView
{
public:
    std::optional<quint32> windowColor;
    std::array<std::optional<bool>, 4> buttons {};

    void setWindowColor(quint32 bgr) override { windowColor = bgr; }
    void setButtonEnabled(Button button, bool enabled) override { buttons.at(static_cast<size_t>(button)) = enabled; }
    std::optional<bool> enabled(Button button) const { return buttons.at(static_cast<size_t>(button)); }
};

#include "echolink/TransmitControl.h"
#include "speech/OptionBoxes.h"

// Records what transmit control shows: the connection state's colour and buttons, and the transmit bar.
class RecordingTransmitView : public TransmitView
{
public:
    std::optional<quint32> windowColor;
    std::array<std::optional<bool>, 4> buttons {};
    bool barShown = false;
    int barValue = -1;

    void setWindowColor(quint32 bgr) override { windowColor = bgr; }
    void setButtonEnabled(Button button, bool enabled) override { buttons.at(static_cast<size_t>(button)) = enabled; }
    std::optional<bool> enabled(Button button) const { return buttons.at(static_cast<size_t>(button)); }
    void showTransmitBar() override { barShown = true; }
    void setTransmitBarValue(int value) override { barValue = value; }
    void hideTransmitBar() override { barShown = false; }
};

// Counts the option boxes' requests to send the focus home.
class RecordingOptionBoxesView : public OptionBoxesView
{
public:
    int focusHomeRequests = 0;
    void focusHomeControl() override { ++focusHomeRequests; }
};
