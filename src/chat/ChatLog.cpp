#include "chat/ChatLog.h"

#include <QDir>
#include <QFileInfo>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Waiting records are written in pieces of about this size, so a long outage never builds one huge buffer.
constexpr qsizetype chunkBytes = 1 << 20;
const QByteArray lineEnd("\r\n");

using FileStatus = struct stat;

QString systemError(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

QString native(const QString& path)
{
    return QDir::toNativeSeparators(path);
}

// Whether a regular file ends inside a line: its last byte is neither CR nor LF. A file whose end cannot be read
// counts as open, so that a record never joins a fragment; at worst that leaves an empty line, which reading skips.
bool endsInsideALine(const QByteArray& name, const FileStatus& status)
{
    if (!S_ISREG(status.st_mode) || status.st_size == 0)
        return false;
    const int fd = ::open(name.constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        return true;
    char last = 0;
    const ssize_t got = ::pread(fd, &last, 1, status.st_size - 1);
    ::close(fd);
    return got != 1 || (last != '\r' && last != '\n');
}

} // namespace

ChatLog::~ChatLog()
{
    // A build still under way reads a file that may be long: wait for it rather than leave it reading.
    if (m_indexBuild.valid())
        m_indexBuild.wait();
}

bool ChatLog::setFileName(const QString& path, QString* error)
{
    close();
    if (m_indexBuild.valid())
        m_indexBuild.wait();
    m_indexBuild = {};
    m_fileName = path;
    m_pending.clear();
    m_writeFailing = false;
    m_writeError.clear();
    m_index = ChatLogIndex(path);
    const QFileInfo info(path);
    if (path.isEmpty() || !info.exists())
        return true;
    const auto fail = [&](const QString& reason) {
        if (error)
            *error = QStringLiteral("Cannot read the chat log file \"%1\": %2").arg(native(path), reason);
        return false;
    };
    // A pipe or a device in the log's place would block the start-up or never end.
    if (!info.isFile())
        return fail(QStringLiteral("it is not a regular file"));
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return fail(file.errorString());
    file.close();
    // The history is indexed beside the window, at low priority: on two cores the window's own start-up goes first.
    m_indexBuild = std::async(std::launch::async, [path] {
        ::setpriority(PRIO_PROCESS, static_cast<id_t>(::gettid()), 10);
        return ChatLogIndex::build(path);
    });
    return true;
}

bool ChatLog::indexReady() const
{
    return !m_indexBuild.valid() || m_indexBuild.wait_for(std::chrono::seconds(0)) == std::future_status::ready;
}

ChatLogIndex& ChatLog::index()
{
    if (m_indexBuild.valid())
        m_index = m_indexBuild.get();
    return m_index;
}

std::vector<ChatLogRecord> ChatLog::records() const
{
    std::vector<ChatLogRecord> all;
    QFile file(m_fileName);
    const QFileInfo info(m_fileName);
    if (!m_fileName.isEmpty() && info.isFile() && file.open(QIODevice::ReadOnly))
        all = ChatLogFormat::parseFile(file.readAll()).records;
    all.insert(all.end(), m_pending.begin(), m_pending.end());
    return all;
}

ChatLog::WriteStatus ChatLog::add(const QString& time, const QString& title, const QString& description)
{
    return add(time, title, description, LogSeverity::Information);
}

ChatLog::WriteStatus ChatLog::add(const QString& time, const QString& title, const QString& description,
                                  LogSeverity severity)
{
    using ChatLogFormat::sanitizedField;
    m_pending.push_back(
        { sanitizedField(time), sanitizedField(title), ChatLogFormat::sanitizedDescription(description), severity });
    const WriteStatus status = writePending();
    if (m_listener)
        m_listener();
    return status;
}

ChatLog::WriteStatus ChatLog::writePending()
{
    if (!m_autoSave || m_fileName.isEmpty())
        return WriteStatus::Deferred;
    QString error;
    const bool written = writeWaiting(&error);
    return outcome(written, error);
}

ChatLog::WriteStatus ChatLog::outcome(bool written, const QString& error)
{
    if (written) {
        const bool wasFailing = m_writeFailing;
        m_writeFailing = false;
        m_writeError.clear();
        return wasFailing ? WriteStatus::Recovered : WriteStatus::Written;
    }
    m_writeError = error;
    if (m_writeFailing)
        return WriteStatus::FailedAgain;
    m_writeFailing = true;
    return WriteStatus::Failed;
}

bool ChatLog::writeWaiting(QString* error)
{
    if (m_pending.empty())
        return true;
    if (!openIfNeeded(error))
        return false;
    while (!m_pending.empty()) {
        QByteArray chunk = m_tailOpen ? lineEnd : QByteArray();
        std::size_t end = 0;
        while (end < m_pending.size() && chunk.size() < chunkBytes)
            chunk += ChatLogFormat::formatLine(m_pending[end++]);
        if (!appendBytes(chunk, error))
            return false;
        m_tailOpen = false;
        m_pending.erase(m_pending.begin(), m_pending.begin() + static_cast<std::ptrdiff_t>(end));
    }
    if (m_syncToDisk)
        ::fdatasync(m_file->handle());
    return true;
}

bool ChatLog::openIfNeeded(QString* error)
{
    if (m_file && fileStillOurs())
        return true;
    close();
    return open(error);
}

bool ChatLog::open(QString* error)
{
    if (!makeFolder(error))
        return false;
    m_encodedFileName = QFile::encodeName(m_fileName);
    // Non-blocking, so that a pipe put in the log's place fails at once instead of hanging the window.
    const int fd = ::open(m_encodedFileName.constData(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC | O_NONBLOCK, 0666);
    if (fd < 0) {
        *error = writeFailure(systemError(errno));
        return false;
    }
    FileStatus status {};
    if (::fstat(fd, &status) != 0) {
        *error = writeFailure(systemError(errno));
        ::close(fd);
        return false;
    }
    auto file = std::make_unique<QFile>();
    if (!file->open(fd, QIODevice::WriteOnly | QIODevice::Append | QIODevice::Unbuffered,
                    QFileDevice::AutoCloseHandle)) {
        *error = writeFailure(file->errorString());
        ::close(fd);
        return false;
    }
    m_file = std::move(file);
    m_device = status.st_dev;
    m_inode = status.st_ino;
    m_fileSize = status.st_size;
    m_tailOpen = endsInsideALine(m_encodedFileName, status);
    return true;
}

bool ChatLog::fileStillOurs()
{
    // One look-up by name per entry tells whether the name still leads to the file we hold open (someone may have
    // removed or replaced it: then we append to what the name leads to now) and whether someone else wrote to it.
    FileStatus byName {};
    if (::stat(m_encodedFileName.constData(), &byName) != 0)
        return false;
    if (byName.st_dev != m_device || byName.st_ino != m_inode)
        return false;
    if (byName.st_size != m_fileSize) {
        m_fileSize = byName.st_size;
        m_tailOpen = endsInsideALine(m_encodedFileName, byName);
    }
    return true;
}

bool ChatLog::appendBytes(const QByteArray& bytes, QString* error)
{
    const int fd = m_file->handle();
    qint64 written = 0;
    while (written < bytes.size()) {
        const ssize_t count = ::write(fd, bytes.constData() + written, static_cast<size_t>(bytes.size() - written));
        if (count > 0) {
            written += count;
            continue;
        }
        if (count < 0 && errno == EINTR)
            continue;
        const int reason = count < 0 ? errno : ENOSPC; // a write that takes nothing has no room
        takeBackPartialWrite(written);
        close();
        *error = writeFailure(systemError(reason));
        return false;
    }
    m_fileSize += written;
    return true;
}

void ChatLog::takeBackPartialWrite(qint64 written)
{
    if (written == 0)
        return;
    // The records will be written whole later; the piece of them the disk took is cut off again, unless someone
    // else wrote to the file meanwhile, whose bytes must stay. A piece that stays is a torn line like any other:
    // the next open finds the file ending inside a line and starts with CR LF.
    FileStatus status {};
    const int fd = m_file->handle();
    if (::fstat(fd, &status) == 0 && S_ISREG(status.st_mode) && status.st_size == m_fileSize + written)
        (void)::ftruncate(fd, m_fileSize);
}

bool ChatLog::makeFolder(QString* error) const
{
    const QDir folder = QFileInfo(m_fileName).absoluteDir();
    if (folder.exists() || QDir().mkpath(folder.absolutePath()))
        return true;
    *error = QStringLiteral("Cannot create the folder \"%1\" for the chat log file \"%2\"")
                 .arg(native(folder.absolutePath()), native(m_fileName));
    return false;
}

QString ChatLog::writeFailure(const QString& reason) const
{
    return QStringLiteral("Cannot write the chat log file \"%1\": %2").arg(native(m_fileName), reason);
}

void ChatLog::close()
{
    m_file.reset();
}
