#pragma once
// The chat log: an ordered in-memory list of records kept in step with a text file on disk.
//
// The file only ever grows by whole lines: each new entry is appended and flushed, so a crash, a full disk or a
// power-off in the middle of an entry can cost at most that entry, never the history. When the file read at start
// is not exactly what writing the list back would give (dropped lines, other line ends, unknown severity names),
// it is replaced once, atomically, at the first entry; from then on appending keeps it byte for byte equal to
// the list written out whole.

#include "chat/ChatLogFormat.h"

#include <QFile>
#include <QString>
#include <memory>
#include <stdexcept>
#include <vector>

// A chat log file that cannot be read or written. The message names the file and the reason.
class ChatLogError : public std::runtime_error
{
public:
    explicit ChatLogError(const QString& message);
    QString message() const;
};

class ChatLog
{
public:
    ChatLog() = default;
    ChatLog(ChatLog&&) = default;
    ChatLog& operator=(ChatLog&&) = default;

    // Reads an existing file; the list is replaced by the records read (empty when the file does not exist).
    // The file is not created here. Throws ChatLogError when the file exists but cannot be read.
    void setFileName(const QString& path);
    QString fileName() const { return m_fileName; }

    // With auto-save on and a file name set, every entry reaches the file before add() returns.
    void setAutoSave(bool on) { m_autoSave = on; }
    bool autoSave() const { return m_autoSave; }

    // Whether each entry is also forced to the disk (fdatasync), so that a power-off right after it keeps it.
    // On by default: entries come at the pace of chat, and the program can switch the computer off itself.
    void setSyncToDisk(bool on) { m_syncToDisk = on; }
    bool syncToDisk() const { return m_syncToDisk; }

    // Adds an entry at severity Information. Line breaks in the fields become blanks, so a received text can never
    // split or forge a record. Throws ChatLogError when the file cannot be written; the entry stays in the list.
    void add(const QString& time, const QString& title, const QString& description);
    void add(const QString& time, const QString& title, const QString& description, LogSeverity severity);

    const std::vector<ChatLogRecord>& records() const { return m_records; }

private:
    void save(const QByteArray& newLine);
    void append(const QByteArray& line);
    void openForAppend();
    bool appendFileStillInStep() const;
    void closeAppendFile();
    void rewriteWhole();
    void makeFolder() const;
    [[noreturn]] void failWrite(const QString& reason) const;

    std::vector<ChatLogRecord> m_records;
    QString m_fileName;
    bool m_autoSave = false;
    bool m_syncToDisk = true;
    // True while the file holds exactly the formatted list, m_fileSize bytes long (a missing file counts as empty).
    bool m_fileInStep = false;
    qint64 m_fileSize = 0;
    // Kept open between entries so that an entry costs one write, not a path look-up and an open.
    std::unique_ptr<QFile> m_appendFile;
    QByteArray m_encodedFileName;
    quint64 m_appendDevice = 0;
    quint64 m_appendInode = 0;
};
