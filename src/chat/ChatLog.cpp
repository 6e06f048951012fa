#include "chat/ChatLog.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <cerrno>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Large logs are rewritten in pieces of about this size, so a rewrite never holds the whole file twice.
constexpr qsizetype rewriteChunkBytes = 1 << 20;

using FileStatus = struct stat;

void syncData(QFileDevice& file)
{
    ::fdatasync(file.handle());
}

} // namespace

ChatLogError::ChatLogError(const QString& message)
    : std::runtime_error(message.toStdString())
{
}

QString ChatLogError::message() const
{
    return QString::fromStdString(what());
}

void ChatLog::setFileName(const QString& path)
{
    closeAppendFile();
    m_fileName = path;
    m_records.clear();
    m_fileInStep = true;
    m_fileSize = 0;
    if (path.isEmpty())
        return;
    QFile file(path);
    if (!file.exists())
        return;
    if (!file.open(QIODevice::ReadOnly)) {
        // Unknown content: the next entry writes the list out whole rather than appending to it.
        m_fileInStep = false;
        throw ChatLogError(QStringLiteral("Cannot read the chat log file \"%1\": %2")
                               .arg(QDir::toNativeSeparators(path), file.errorString()));
    }
    const QByteArray bytes = file.readAll();
    auto parsed = ChatLogFormat::parseFile(bytes);
    m_records = std::move(parsed.records);
    m_fileInStep = parsed.canonical;
    m_fileSize = bytes.size();
}

void ChatLog::add(const QString& time, const QString& title, const QString& description)
{
    add(time, title, description, LogSeverity::Information);
}

void ChatLog::add(const QString& time, const QString& title, const QString& description, LogSeverity severity)
{
    using ChatLogFormat::sanitizedField;
    m_records.push_back({ sanitizedField(time), sanitizedField(title), sanitizedField(description), severity });
    if (m_autoSave && !m_fileName.isEmpty())
        save(ChatLogFormat::formatLine(m_records.back()));
    else
        m_fileInStep = false;
}

void ChatLog::save(const QByteArray& newLine)
{
    // Until this entry is safely written, the file is not known to hold the list: a failure anywhere below leaves
    // the next entry to write the list out whole.
    const bool wasInStep = m_fileInStep;
    m_fileInStep = false;
    if (wasInStep)
        append(newLine);
    else
        rewriteWhole();
}

void ChatLog::append(const QByteArray& line)
{
    if (!m_appendFile)
        openForAppend();
    if (!appendFileStillInStep()) {
        // Someone else changed, replaced or removed the file since we last wrote it: the list is the truth.
        rewriteWhole();
        return;
    }
    if (m_appendFile->write(line) != line.size() || !m_appendFile->flush()) {
        const QString reason = m_appendFile->errorString();
        closeAppendFile();
        failWrite(reason);
    }
    if (m_syncToDisk)
        syncData(*m_appendFile);
    m_fileSize += line.size();
    m_fileInStep = true;
}

void ChatLog::openForAppend()
{
    makeFolder();
    auto file = std::make_unique<QFile>(m_fileName);
    if (!file->open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Unbuffered))
        failWrite(file->errorString());
    FileStatus opened {};
    if (::fstat(file->handle(), &opened) != 0)
        failWrite(QString::fromLocal8Bit(std::strerror(errno)));
    m_appendDevice = opened.st_dev;
    m_appendInode = opened.st_ino;
    m_encodedFileName = QFile::encodeName(m_fileName);
    m_appendFile = std::move(file);
}

bool ChatLog::appendFileStillInStep() const
{
    // One look-up by name tells whether the name still leads to the file we hold open and whether it still has the
    // length we wrote.
    FileStatus byName {};
    if (::stat(m_encodedFileName.constData(), &byName) != 0)
        return false;
    return byName.st_dev == m_appendDevice && byName.st_ino == m_appendInode && byName.st_size == m_fileSize;
}

void ChatLog::closeAppendFile()
{
    m_appendFile.reset();
}

void ChatLog::rewriteWhole()
{
    closeAppendFile();
    makeFolder();
    QSaveFile file(m_fileName);
    // A folder we may not create files in still lets us write the log itself, as before.
    file.setDirectWriteFallback(true);
    if (!file.open(QIODevice::WriteOnly))
        failWrite(file.errorString());
    qint64 written = 0;
    QByteArray chunk;
    for (const ChatLogRecord& record : m_records) {
        chunk += ChatLogFormat::formatLine(record);
        if (chunk.size() < rewriteChunkBytes && &record != &m_records.back())
            continue;
        if (file.write(chunk) != chunk.size())
            failWrite(file.errorString());
        written += chunk.size();
        chunk.clear();
    }
    if (!file.commit())
        failWrite(file.errorString());
    m_fileSize = written;
    m_fileInStep = true;
}

void ChatLog::makeFolder() const
{
    const QDir folder = QFileInfo(m_fileName).absoluteDir();
    if (!folder.exists() && !QDir().mkpath(folder.absolutePath()))
        throw ChatLogError(
            QStringLiteral("Cannot create the folder \"%1\" for the chat log file \"%2\"")
                .arg(QDir::toNativeSeparators(folder.absolutePath()), QDir::toNativeSeparators(m_fileName)));
}

void ChatLog::failWrite(const QString& reason) const
{
    throw ChatLogError(
        QStringLiteral("Cannot write the chat log file \"%1\": %2").arg(QDir::toNativeSeparators(m_fileName), reason));
}
