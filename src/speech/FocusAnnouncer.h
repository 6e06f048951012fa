#pragma once

#include "speech/Utterance.h"

#include <QChar>
#include <QString>
#include <Qt>
#include <optional>

class Announcer;
class OptionBoxes;
class OptionBoxesView;

// Each control says what it is when the keyboard focus moves to it, and the Space key presses none of the
// connection buttons. Controls are known by their object names.
class FocusAnnouncer
{
public:
    FocusAnnouncer(Announcer& announcer, const OptionBoxes& options, OptionBoxesView& view);

    // Only a real move of the focus (Tab, a click, the program) announces: the window coming back to the
    // front or a popup closing hands the same control the focus again, which must stay silent.
    static bool focusReallyMoved(Qt::FocusReason reason);

    // What a control says on receiving the focus, with Button Speak on or off; nothing for a silent control.
    static std::optional<Utterance> announcement(const QString& control, bool buttonAnnounce);

    // The focus handlers of the table (edtChatEnter, btnLastConnectEnter, ... KeySpeakCheckBoxEnter).
    void controlEntered(const QString& control);

    // The connection buttons ignore Space (btnLastConnectKeyDown, btnDisconnectKeyDown,
    // btnDisconnectLastKeyDown).
    static bool spaceIsGuarded(const QString& control);

    // Any typed character sends the focus home; the box toggles on Space by itself, and its click sends the
    // focus home then. True when the character goes no further.
    bool ButtonAnnounceCheckBoxKeyPress(QChar typed);

private:
    Announcer& m_announcer;
    const OptionBoxes& m_options;
    OptionBoxesView& m_view;
};
