#pragma once

#include "chat/ChatLog.h"

#include <QString>

class Clock;

// The chat-log entries the handlers write: the time of day, a title and a description, at severity
// Information. Owns the chat log store for the window's lifetime.
class ChatJournal
{
public:
    explicit ChatJournal(const Clock& clock);

    // Opens the log file and reads what it holds; entries are written as they are added.
    void open(const QString& path);
    void addLogEntry(const QString& title, const QString& description);
    // The close sequence lets go of the log file; later entries are not written.
    void release() { m_released = true; }

    ChatLog& chatLog() { return m_log; }
    const ChatLog& chatLog() const { return m_log; }

private:
    const Clock& m_clock;
    ChatLog m_log;
    bool m_released = false;
};
