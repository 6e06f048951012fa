#pragma once

#include "chat/ChatLog.h"

#include <QString>
#include <functional>

class Clock;

// The chat-log entries the handlers write: the time of day, a title and a description, at severity
// Information. Owns the chat log store for the window's lifetime. A log that cannot be written never
// stops a handler: the failure is reported once (a pane line and a short sentence), the entries wait in
// memory and are written, in order, as soon as the disk takes them, and the recovery is reported too.
class ChatJournal
{
public:
    explicit ChatJournal(const Clock& clock);

    // Where failures and recoveries are reported: the pane line and the sentence to speak.
    using Reporter = std::function<void(const QString& paneLine, const QString& spoken)>;
    void setReporter(Reporter report) { m_report = std::move(report); }

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
    Reporter m_report;
    bool m_released = false;
};
