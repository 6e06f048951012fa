#include "chat/ChatLogIndex.h"

#include <QFile>
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace {

using FileStatus = struct stat;

constexpr qsizetype scanChunkBytes = 1 << 20;
// A block of records whose lines together are larger than this is read record by record.
constexpr qint64 blockReadLimit = 4 << 20;
// How many bytes before the indexed end are compared on each refresh, to notice a file rewritten in place.
constexpr qint64 checkedBytes = 32;

QString systemError(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

// Reads count bytes at offset, as many as the file still holds; returns the number read, or -1.
qint64 readAt(int fd, char* data, qint64 count, qint64 offset)
{
    qint64 done = 0;
    while (done < count) {
        const ssize_t got = ::pread(fd, data + done, static_cast<size_t>(count - done), offset + done);
        if (got > 0) {
            done += got;
            continue;
        }
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            return done > 0 ? done : -1;
        break;
    }
    return done;
}

bool isLineEnd(char c)
{
    return c == '\r' || c == '\n';
}

qsizetype lineEndIn(const char* data, qsizetype size)
{
    for (qsizetype i = 0; i < size; ++i) {
        if (isLineEnd(data[i]))
            return i;
    }
    return size;
}

std::optional<ChatLogRecord> recordOfLine(QByteArrayView line)
{
    return ChatLogFormat::parseLine(ChatLogFormat::decodeLine(line));
}

} // namespace

// The reading rules, byte by byte, for the line being scanned: a record needs a "[" and then a "]"; its severity
// is named by the bytes from there to the first ">" (or to the line end).
struct ChatLogIndex::LineScan
{
    enum Phase
    {
        SeekOpen,
        SeekClose,
        InName,
        SeekEnd
    };
    Phase phase = SeekOpen;
    bool isRecord = false;
    char name[8] {};
    int nameLength = 0; // beyond sizeof name, no known name matches

    LogSeverity severity() const
    {
        const QByteArrayView text(name, std::min<int>(nameLength, static_cast<int>(sizeof name)));
        if (nameLength == 5 && text == "Error")
            return LogSeverity::Error;
        if (nameLength == 7 && text == "Warning")
            return LogSeverity::Warning;
        return LogSeverity::Information;
    }
};

ChatLogIndex::ChatLogIndex(const QString& path)
    : m_path(path)
{
}

ChatLogIndex::~ChatLogIndex()
{
    closeFile();
}

ChatLogIndex::ChatLogIndex(ChatLogIndex&& other) noexcept
{
    *this = std::move(other);
}

ChatLogIndex& ChatLogIndex::operator=(ChatLogIndex&& other) noexcept
{
    if (this == &other)
        return *this;
    closeFile();
    m_path = std::move(other.m_path);
    m_fd = std::exchange(other.m_fd, -1);
    m_device = other.m_device;
    m_inode = other.m_inode;
    m_low = std::move(other.m_low);
    m_wraps = std::move(other.m_wraps);
    m_errors = std::move(other.m_errors);
    m_warnings = std::move(other.m_warnings);
    m_completeEnd = std::exchange(other.m_completeEnd, 0);
    m_scannedEnd = std::exchange(other.m_scannedEnd, 0);
    m_tailCounted = std::exchange(other.m_tailCounted, false);
    m_lastBytes = std::move(other.m_lastBytes);
    m_error = std::move(other.m_error);
    return *this;
}

ChatLogIndex ChatLogIndex::build(const QString& path)
{
    ChatLogIndex index(path);
    index.refresh();
    return index;
}

ChatLogIndex::Change ChatLogIndex::refresh()
{
    if (m_path.isEmpty())
        return Change::None;
    const QByteArray name = QFile::encodeName(m_path);
    // A file that stays unreadable is reported once, when it becomes so.
    const bool wasUnreadable = m_fd < 0 && !m_error.isEmpty();
    const auto unreadable = [&](const QString& reason) {
        reset();
        m_error = reason;
        return wasUnreadable ? Change::None : Change::Unreadable;
    };
    FileStatus byName {};
    if (::stat(name.constData(), &byName) != 0) {
        const int reason = errno;
        const bool hadSome = m_fd >= 0 || !m_low.empty();
        if (reason != ENOENT)
            return unreadable(systemError(reason));
        reset();
        return hadSome ? Change::Removed : Change::None;
    }
    // A pipe or a device in the log's place would block or never end.
    if (!S_ISREG(byName.st_mode))
        return unreadable(QStringLiteral("it is not a regular file"));
    Change change = Change::None;
    if (m_fd >= 0) {
        if (byName.st_dev != m_device || byName.st_ino != m_inode)
            change = Change::Replaced;
        else if (byName.st_size < m_scannedEnd)
            change = Change::Shortened;
        else if (!stillHoldsIndexedBytes())
            change = Change::Replaced;
        if (change != Change::None)
            reset();
    }
    if (m_fd < 0 && !openFile()) {
        const QString reason = m_error;
        return unreadable(reason);
    }
    const std::size_t countBefore = recordCount();
    const qint64 endBefore = m_scannedEnd;
    scanFrom(m_completeEnd);
    if (change == Change::None && (recordCount() != countBefore || m_scannedEnd != endBefore))
        change = Change::Grew;
    return change;
}

ChatLogIndex::Change ChatLogIndex::rebuild()
{
    reset();
    const Change change = refresh();
    return change == Change::Grew || change == Change::None ? Change::Replaced : change;
}

void ChatLogIndex::reset()
{
    closeFile();
    std::vector<std::uint32_t>().swap(m_low);
    std::vector<std::uint32_t>().swap(m_wraps);
    std::vector<std::uint32_t>().swap(m_errors);
    std::vector<std::uint32_t>().swap(m_warnings);
    m_completeEnd = 0;
    m_scannedEnd = 0;
    m_tailCounted = false;
    m_lastBytes.clear();
    m_error.clear();
}

bool ChatLogIndex::openFile()
{
    const QByteArray name = QFile::encodeName(m_path);
    // Non-blocking, so that a pipe put in the file's place between the look-up and the open cannot hang.
    const int fd = ::open(name.constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
        m_error = systemError(errno);
        return false;
    }
    FileStatus status {};
    if (::fstat(fd, &status) != 0 || !S_ISREG(status.st_mode)) {
        m_error = QStringLiteral("it is not a regular file");
        ::close(fd);
        return false;
    }
    m_fd = fd;
    m_device = status.st_dev;
    m_inode = status.st_ino;
    m_error.clear();
    return true;
}

void ChatLogIndex::closeFile()
{
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = -1;
}

void ChatLogIndex::addRecord(qint64 offset, LogSeverity severity)
{
    const auto high = static_cast<std::size_t>(static_cast<quint64>(offset) >> 32);
    while (m_wraps.size() < high)
        m_wraps.push_back(static_cast<std::uint32_t>(m_low.size()));
    const auto number = static_cast<std::uint32_t>(m_low.size());
    m_low.push_back(static_cast<std::uint32_t>(offset));
    if (severity == LogSeverity::Error)
        m_errors.push_back(number);
    else if (severity == LogSeverity::Warning)
        m_warnings.push_back(number);
}

void ChatLogIndex::dropTail()
{
    if (!m_tailCounted)
        return;
    m_tailCounted = false;
    const auto number = static_cast<std::uint32_t>(m_low.size() - 1);
    m_low.pop_back();
    while (!m_wraps.empty() && m_wraps.back() >= m_low.size())
        m_wraps.pop_back();
    if (!m_errors.empty() && m_errors.back() == number)
        m_errors.pop_back();
    if (!m_warnings.empty() && m_warnings.back() == number)
        m_warnings.pop_back();
}

qint64 ChatLogIndex::offsetOf(std::size_t record) const
{
    if (record >= m_low.size())
        return m_scannedEnd;
    const auto high = static_cast<quint64>(std::upper_bound(m_wraps.begin(), m_wraps.end(), record) - m_wraps.begin());
    return static_cast<qint64>((high << 32) | m_low[record]);
}

void ChatLogIndex::scanFrom(qint64 start)
{
    // Records do not fit a table's int rows beyond this; a file that holds more is indexed up to there.
    constexpr std::size_t maxRecords = 0x7FFFFFFF;
    dropTail();
    QByteArray chunk(scanChunkBytes, Qt::Uninitialized);
    LineScan line;
    qint64 lineStart = start;
    qint64 position = start;
    for (;;) {
        const qint64 got = readAt(m_fd, chunk.data(), chunk.size(), position);
        if (got <= 0)
            break;
        const char* data = chunk.constData();
        const auto size = static_cast<qsizetype>(got);
        const auto find = [data](char c, qsizetype from, qsizetype to) -> qsizetype {
            const void* found = std::memchr(data + from, c, static_cast<size_t>(to - from));
            return found ? static_cast<const char*>(found) - data : -1;
        };
        // The next CR and the next LF at or after i (size when there is none); looked up again only once passed.
        qsizetype nextCr = -1, nextLf = -1;
        qsizetype i = 0;
        while (i < size) {
            if (nextCr < i) {
                const qsizetype found = find('\r', i, size);
                nextCr = found < 0 ? size : found;
            }
            if (nextLf < i) {
                const qsizetype found = find('\n', i, size);
                nextLf = found < 0 ? size : found;
            }
            const qsizetype end = std::min(nextCr, nextLf);
            // Each step looks for what ends the current phase, but never past the line's end.
            if (line.phase == LineScan::SeekOpen || line.phase == LineScan::SeekClose) {
                const bool open = line.phase == LineScan::SeekOpen;
                const qsizetype found = find(open ? '[' : ']', i, end);
                if (found >= 0) {
                    line.phase = open ? LineScan::SeekClose : LineScan::InName;
                    line.isRecord = !open;
                    i = found + 1;
                    continue;
                }
            } else if (line.phase == LineScan::InName) {
                const qsizetype found = find('>', i, end);
                const qsizetype nameEnd = found >= 0 ? found : end;
                const int room = static_cast<int>(sizeof line.name) - std::min(line.nameLength, int(sizeof line.name));
                const auto copied = static_cast<int>(std::min<qsizetype>(nameEnd - i, room));
                std::memcpy(line.name + (sizeof line.name - room), data + i, static_cast<size_t>(copied));
                line.nameLength = static_cast<int>(
                    std::min<qsizetype>(line.nameLength + (nameEnd - i), static_cast<qsizetype>(sizeof line.name) + 1));
                if (found >= 0) {
                    line.phase = LineScan::SeekEnd;
                    i = found + 1;
                    continue;
                }
            }
            if (end == size)
                break; // the line goes on in the next chunk
            if (line.isRecord && m_low.size() < maxRecords)
                addRecord(lineStart, line.severity());
            line = LineScan();
            lineStart = position + end + 1;
            i = end + 1;
        }
        position += got;
    }
    m_completeEnd = lineStart;
    m_scannedEnd = position;
    if (line.isRecord && m_low.size() < maxRecords) {
        addRecord(lineStart, line.severity());
        m_tailCounted = true;
    }
    rememberLastBytes();
}

void ChatLogIndex::rememberLastBytes()
{
    // The first and the last bytes of the complete lines: a file rewritten in place (an editor saving over it)
    // almost always changes one of them, while an append never does.
    const qint64 head = std::min(m_completeEnd, checkedBytes);
    const qint64 tailFrom = std::max(head, m_completeEnd - checkedBytes);
    m_lastBytes.resize(head + (m_completeEnd - tailFrom));
    if (m_lastBytes.isEmpty())
        return;
    if (readAt(m_fd, m_lastBytes.data(), head, 0) != head
        || readAt(m_fd, m_lastBytes.data() + head, m_completeEnd - tailFrom, tailFrom) != m_completeEnd - tailFrom)
        m_lastBytes.clear();
}

bool ChatLogIndex::stillHoldsIndexedBytes()
{
    if (m_lastBytes.isEmpty())
        return true;
    const QByteArray before = std::exchange(m_lastBytes, QByteArray());
    rememberLastBytes();
    return m_lastBytes == before;
}

bool ChatLogIndex::readLineAt(qint64 offset, qint64 limit, QByteArray* line) const
{
    qint64 want = std::min<qint64>(4096, limit - offset);
    for (;;) {
        line->resize(want);
        const qint64 got = readAt(m_fd, line->data(), want, offset);
        if (got <= 0) {
            line->clear();
            return false;
        }
        const qsizetype end = lineEndIn(line->constData(), static_cast<qsizetype>(got));
        if (end < got || got < want || want >= limit - offset) {
            line->resize(end);
            return true;
        }
        want = std::min<qint64>(want * 2, limit - offset);
    }
}

std::vector<ChatLogRecord> ChatLogIndex::read(std::size_t first, std::size_t count, bool* complete) const
{
    std::vector<ChatLogRecord> records;
    bool allThere = true;
    if (first < recordCount()) {
        count = std::min(count, recordCount() - first);
        records.resize(count);
        const qint64 start = offsetOf(first);
        const qint64 end = offsetOf(first + count);
        if (m_fd < 0) {
            allThere = false;
        } else if (end - start <= blockReadLimit) {
            // From the byte before the first record on: each record must still begin a line.
            const qint64 base = start > 0 ? start - 1 : 0;
            QByteArray block(end - base, Qt::Uninitialized);
            const qint64 got = std::max<qint64>(0, readAt(m_fd, block.data(), block.size(), base));
            for (std::size_t k = 0; k < count; ++k) {
                const qint64 from = offsetOf(first + k) - base;
                std::optional<ChatLogRecord> record;
                if (from < got && (from == 0 || isLineEnd(block[from - 1]))) {
                    const char* data = block.constData() + from;
                    record = recordOfLine(QByteArrayView(data, lineEndIn(data, static_cast<qsizetype>(got - from))));
                }
                if (record)
                    records[k] = std::move(*record);
                else
                    allThere = false;
            }
        } else {
            QByteArray line;
            for (std::size_t k = 0; k < count; ++k) {
                const qint64 offset = offsetOf(first + k);
                char before = '\n';
                std::optional<ChatLogRecord> record;
                if ((offset == 0 || readAt(m_fd, &before, 1, offset - 1) == 1) && isLineEnd(before)
                    && readLineAt(offset, offsetOf(first + k + 1), &line))
                    record = recordOfLine(line);
                if (record)
                    records[k] = std::move(*record);
                else
                    allThere = false;
            }
        }
    }
    if (complete)
        *complete = allThere;
    return records;
}
