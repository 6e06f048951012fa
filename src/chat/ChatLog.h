#pragma once
// The chat log: a text file on disk that records are appended to. The history stays in the file: the log keeps
// what appending needs (the open file, its size, whether it ends inside a line), the records the disk has not
// taken yet, and an index of where each record in the file starts (ChatLogIndex), through which the viewer reads
// the records it shows. The index is built beside the program when the file name is set, so the start-up never
// waits for a long history; it catches up with the file whenever it is asked for.
//
// The file is only ever appended to, never rewritten or replaced, so every byte it held when it was loaded, and
// every byte another program (a second Corvane, an editor) puts in it later, stays as it is. Records read from a
// log carried over from Windows keep their Windows-1252 bytes; each new record is appended as one UTF-8 line ending
// in CR LF. UTF-8 carries every character a station can send, and the reader takes each line on its own (UTF-8,
// else Windows-1252), so a log that holds both reads right throughout. A file that ends inside a line (torn by a
// crash or a full disk) first gets a CR LF: a new record always starts a line of its own, and the fragment stays.
//
// Writing never throws and never loses a record. A record that the disk does not take (a full disk, a read-only
// folder, a file that cannot be opened) waits in the list, and every later add() or writePending() writes all the
// waiting records, in order, as soon as the disk takes them. A record the disk took only in part is taken back
// and written whole later. What add() returns tells the caller when to report:
//
//   Written      this record and every one that waited are in the file
//   Failed       writing has just begun to fail: report writeError() once
//   FailedAgain  writing still fails; it has been reported already
//   Recovered    writing works again and every waiting record is in the file: say so once
//   Deferred     auto-save is off or no file is named; the record waits until both are set
//
// So a caller that reports on Failed and on Recovered says each once per outage, whatever the number of entries.

#include "chat/ChatLogFormat.h"
#include "chat/ChatLogIndex.h"

#include <QFile>
#include <QString>
#include <functional>
#include <future>
#include <memory>
#include <vector>

class ChatLog
{
public:
    enum class WriteStatus
    {
        Written,
        Failed,
        FailedAgain,
        Recovered,
        Deferred
    };

    ChatLog() = default;
    ~ChatLog();
    ChatLog(ChatLog&&) = default;
    ChatLog& operator=(ChatLog&&) = default;

    // Names the file; records waiting to be written are dropped. The file is not created here, nor read: its index
    // is built on a thread of its own, at low priority. Returns false, with a reason naming the file in *error,
    // when the file exists but cannot be read; later records are still appended to it when it takes them. A name
    // that is not a regular file (a folder, a pipe, a device) is never read.
    bool setFileName(const QString& path, QString* error = nullptr);
    QString fileName() const { return m_fileName; }

    // With auto-save on and a file name set, add() writes the record (and every waiting one) before it returns.
    void setAutoSave(bool on) { m_autoSave = on; }
    bool autoSave() const { return m_autoSave; }

    // Whether each write is also forced to the disk (fdatasync), so that a power-off right after it keeps it.
    // On by default: entries come at the pace of chat, and the program can switch the computer off itself.
    void setSyncToDisk(bool on) { m_syncToDisk = on; }
    bool syncToDisk() const { return m_syncToDisk; }

    // Adds a record at severity Information, then writes what waits. Line breaks and other control characters but
    // the tab in the fields become blanks, so a received text can never split or forge a record, and a description
    // that begins with ">" gets a blank in front so that it reads back as it was (see sanitizedDescription()). The
    // record is in records() whatever the outcome, and the change listener hears of it.
    WriteStatus add(const QString& time, const QString& title, const QString& description);
    WriteStatus add(const QString& time, const QString& title, const QString& description, LogSeverity severity);

    // Writes the waiting records without adding one (a retry on a timer, a last try at shut-down).
    WriteStatus writePending();

    // True from a Failed outcome until the next Recovered one; writeError() then names the file and the reason
    // of the last failure, and is empty while writing works.
    bool writeFailing() const { return m_writeFailing; }
    QString writeError() const { return m_writeError; }
    // Records added that are not in the file yet, oldest first.
    std::size_t pendingCount() const { return m_pending.size(); }
    const std::vector<ChatLogRecord>& pendingRecords() const { return m_pending; }

    // The index of the file's records, its building finished (waiting for it if it is still under way). It covers
    // the file as it was when last refreshed: ChatLogIndex::refresh() catches up.
    ChatLogIndex& index();
    bool indexReady() const;

    // Called after every add(), so that a viewer shows new records as they come.
    using ChangeListener = std::function<void()>;
    void setChangeListener(ChangeListener listener) { m_listener = std::move(listener); }

    // Every record: those the file holds now, then those waiting to be written. Reads and decodes the whole file:
    // for tests and tools, not for the running program, which reads through index().
    std::vector<ChatLogRecord> records() const;

private:
    WriteStatus outcome(bool written, const QString& error);
    bool writeWaiting(QString* error);
    bool openIfNeeded(QString* error);
    bool open(QString* error);
    bool fileStillOurs();
    bool appendBytes(const QByteArray& bytes, QString* error);
    void takeBackPartialWrite(qint64 written);
    bool makeFolder(QString* error) const;
    QString writeFailure(const QString& reason) const;
    void close();

    std::vector<ChatLogRecord> m_pending;
    ChatLogIndex m_index;
    std::future<ChatLogIndex> m_indexBuild;
    ChangeListener m_listener;
    QString m_fileName;
    bool m_autoSave = false;
    bool m_syncToDisk = true;
    bool m_writeFailing = false;
    QString m_writeError;
    // Kept open between entries so that an entry costs one look-up by name and one write.
    std::unique_ptr<QFile> m_file;
    QByteArray m_encodedFileName;
    quint64 m_device = 0;
    quint64 m_inode = 0;
    qint64 m_fileSize = 0; // what the open file holds after our last write
    bool m_tailOpen = false; // the file ends inside a line: the next write starts with CR LF
};
