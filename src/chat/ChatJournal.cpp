#include "chat/ChatJournal.h"

#include "platform/EventLoop.h"

ChatJournal::ChatJournal(const Clock& clock)
    : m_clock(clock)
{
}

void ChatJournal::open(const QString& path)
{
    m_log.setFileName(path);
    m_log.setAutoSave(true);
    // Each entry is flushed to the system as it is written; a crash of Corvane loses nothing, and a power-off
    // goes through the system's own orderly flush. Forcing every chat line to the disk would cost milliseconds.
    m_log.setSyncToDisk(false);
}

void ChatJournal::addLogEntry(const QString& title, const QString& description)
{
    if (m_released)
        return;
    m_log.add(timeOfDayText(m_clock), title, description);
}
