#include "chat/ChatJournal.h"

#include "platform/EventLoop.h"

ChatJournal::ChatJournal(const Clock& clock)
    : m_clock(clock)
{
}

void ChatJournal::open(const QString& path)
{
    QString error;
    if (!m_log.setFileName(path, &error) && m_report)
        m_report(QStringLiteral(">Chat log not read: ") + error, QStringLiteral("Chat log could not be read"));
    m_log.setAutoSave(true);
    // Each entry is flushed to the system as it is written; a crash of Corvane loses nothing, and a power-off
    // goes through the system's own orderly flush. Forcing every chat line to the disk would cost milliseconds.
    m_log.setSyncToDisk(false);
}

void ChatJournal::addLogEntry(const QString& title, const QString& description)
{
    if (m_released)
        return;
    const ChatLog::WriteStatus status = m_log.add(timeOfDayText(m_clock), title, description);
    if (!m_report)
        return;
    if (status == ChatLog::WriteStatus::Failed)
        m_report(QStringLiteral(">Chat log not written: ") + m_log.writeError(),
                 QStringLiteral("Chat log can not be written"));
    else if (status == ChatLog::WriteStatus::Recovered)
        m_report(QStringLiteral(">Chat log written again"), QStringLiteral("Chat log written again"));
}
