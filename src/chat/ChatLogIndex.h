#pragma once
// Where each record of a chat log file starts, so that the history stays on disk and any record can be read on
// demand. The index holds four bytes per record and the record numbers of the errors and warnings; nothing of the
// records' text.
//
// Building reads the file once and looks only at bytes: the line ends (CR, LF), the "[" and "]" that make a line
// a record, and the severity name up to the first ">". Those are ASCII, and ASCII bytes mean the same in both
// readings of a line (UTF-8 and Windows-1252), so the index counts exactly the records that reading the file line
// by line finds, without decoding a line.
//
// A line that the end of the file cuts short (a torn tail, or a record another program is writing at this moment)
// is counted when it reads as a record, but only for now: refresh() looks at it again together with whatever was
// added after it.
//
// The file may change under the program. refresh() tells what happened: it grew (only the new bytes are read), it
// was shortened, replaced (another file under the name, or its first or last indexed bytes rewritten in place) or
// removed; in those cases the index starts again from what the name now holds. Reading a record that is no longer there
// gives nothing, never a crash: the file is read with plain reads, never mapped.

#include "chat/ChatLogFormat.h"

#include <QString>
#include <cstdint>
#include <vector>

class ChatLogIndex
{
public:
    enum class Change
    {
        None, // nothing new
        Grew, // records were added at the end; the records before them are unchanged
        Shortened, // the file holds fewer bytes than were indexed: indexed again from the start
        Replaced, // another file under the name, or indexed bytes changed: indexed again from the start
        Removed, // no file under the name: the index is empty
        Unreadable // the file cannot be read (reason in error()): the index is empty
    };

    ChatLogIndex() = default;
    explicit ChatLogIndex(const QString& path);
    ~ChatLogIndex();
    ChatLogIndex(ChatLogIndex&& other) noexcept;
    ChatLogIndex& operator=(ChatLogIndex&& other) noexcept;
    ChatLogIndex(const ChatLogIndex&) = delete;
    ChatLogIndex& operator=(const ChatLogIndex&) = delete;

    // Indexes the whole file (a missing file gives an empty index that refresh() fills once the file appears).
    static ChatLogIndex build(const QString& path);

    // Catches up with the file under the name.
    Change refresh();
    // Indexes the file under the name again from its start, for a file found changed in a way refresh() cannot
    // see (a record no longer where it was, in the middle of the file). Returns Replaced, or Removed/Unreadable.
    Change rebuild();

    QString path() const { return m_path; }
    std::size_t recordCount() const { return m_low.size(); }
    // Record numbers of the errors and of the warnings, ascending. Every other record is Information.
    const std::vector<std::uint32_t>& errorRecords() const { return m_errors; }
    const std::vector<std::uint32_t>& warningRecords() const { return m_warnings; }
    // The bytes of the file the index covers.
    qint64 indexedBytes() const { return m_scannedEnd; }
    QString error() const { return m_error; }

    // Records first .. first + count - 1, read from the file. A record that is no longer where the index says
    // (the file was changed since the last refresh()) comes back empty, and complete is set false.
    std::vector<ChatLogRecord> read(std::size_t first, std::size_t count, bool* complete = nullptr) const;

private:
    struct LineScan;
    void reset();
    bool openFile();
    void closeFile();
    void scanFrom(qint64 start);
    void addRecord(qint64 offset, LogSeverity severity);
    void dropTail();
    qint64 offsetOf(std::size_t record) const;
    bool stillHoldsIndexedBytes();
    void rememberLastBytes();
    bool readLineAt(qint64 offset, qint64 limit, QByteArray* line) const;

    QString m_path;
    int m_fd = -1;
    quint64 m_device = 0;
    quint64 m_inode = 0;
    // Record offsets: the low 32 bits, and the record numbers from which each further 4 GiB of file begins.
    std::vector<std::uint32_t> m_low;
    std::vector<std::uint32_t> m_wraps;
    std::vector<std::uint32_t> m_errors;
    std::vector<std::uint32_t> m_warnings;
    qint64 m_completeEnd = 0; // just after the last line end read
    qint64 m_scannedEnd = 0; // the end of the bytes read, torn tail included
    bool m_tailCounted = false; // the last record is the torn tail
    QByteArray m_lastBytes; // the first and the last bytes indexed, to notice a file rewritten in place
    QString m_error;
};
