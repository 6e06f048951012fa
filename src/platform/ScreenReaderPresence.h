#pragma once

#include <QList>
#include <QPair>
#include <QString>
#include <chrono>

// Whether a screen reader is running on the desktop, asked of the accessibility bus at start.
//
// The desktop's "screen reader enabled" flag is not enough: it stays false when the screen reader is
// started by hand. What every screen reader does is listen for focus changes, which it registers with
// the accessibility registry; without one, nobody listens for them.
namespace ScreenReaderPresence {

// One registration of the registry: the listener's bus name and the event it listens for.
using Listener = QPair<QString, QString>;

// Whether a listener hears focus changes: "focus:", "object:state-changed:focused" or any event that
// contains them ("object:state-changed", "object:"), however spelled.
bool listensForFocus(const QString& event);
// Whether these registrations (and the desktop's flag) show a screen reader.
bool screenReaderIn(const QList<Listener>& listeners, bool desktopFlag);

// Asks the session's accessibility bus, each call within the bound; false without one.
// CORVANE_SCREEN_READER=yes|no decides instead (for tests and for an operator whose reader is not seen).
bool running(std::chrono::milliseconds bound = std::chrono::milliseconds(1000));

} // namespace ScreenReaderPresence
