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
