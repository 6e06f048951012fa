#pragma once

#include <QString>

// The two text panes as the handlers use them. Lines are plain text: web addresses become links, nothing
// else is ever read as markup. A pane shows at most a few thousand characters of one line, so that one huge
// line from a station cannot stall the window while it is laid out; the line says where it was cut.
class Panes
{
public:
    virtual ~Panes() = default;
    // Adds a line to the chat pane and scrolls it into view.
    virtual void AppendChatLine(const QString& line) = 0;
    // Adds a line to the chat pane, moves the caret to the end and scrolls the caret into view, no further.
    virtual void AppendChatLineAtCaret(const QString& line) = 0;
    // A chat-pane line that neither moves the caret nor scrolls.
    virtual void AddChatLineQuietly(const QString& line) = 0;
    // Adds a line to the station pane and scrolls it into view.
    virtual void AppendStationLine(const QString& line) = 0;
    virtual void clearStationPane() = 0;
    virtual void clearBothPanes() = 0;
};
