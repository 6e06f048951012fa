#include "chat/ChatLogModel.h"

#include <QMetaObject>
#include <algorithm>
#include <iterator>
#include <limits>

namespace {

// Records read from the file at a time, and how many such blocks are kept: a few screens' worth.
constexpr std::size_t blockRecords = 256;
constexpr std::size_t keptBlocks = 16;

const ChatLogRecord emptyRecord;

} // namespace

ChatLogModel::ChatLogModel(ChatLog& log, QObject* parent)
    : QAbstractTableModel(parent)
    , m_log(log)
    , m_index(log.index())
{
    m_index.refresh();
    apply(listing());
}

void ChatLogModel::setSeverityFilter(LogSeverity mostMinor)
{
    beginResetModel();
    m_filter = mostMinor;
    m_blocks.clear();
    apply(listing());
    endResetModel();
}

bool ChatLogModel::lists(LogSeverity severity) const
{
    return static_cast<int>(severity) <= static_cast<int>(m_filter);
}

ChatLogModel::Listing ChatLogModel::listing() const
{
    Listing result;
    const std::vector<std::uint32_t>& errors = m_index.errorRecords();
    if (m_filter == LogSeverity::Error) {
        result.listed = errors;
    } else if (m_filter == LogSeverity::Warning) {
        const std::vector<std::uint32_t>& warnings = m_index.warningRecords();
        result.listed.reserve(errors.size() + warnings.size());
        std::merge(errors.begin(), errors.end(), warnings.begin(), warnings.end(), std::back_inserter(result.listed));
    }
    const std::vector<ChatLogRecord>& pending = m_log.pendingRecords();
    for (std::size_t i = 0; i < pending.size(); ++i) {
        if (lists(pending[i].severity))
            result.pendingListed.push_back(static_cast<std::uint32_t>(i));
    }
    const std::size_t file = m_filter == LogSeverity::Information ? m_index.recordCount() : result.listed.size();
    result.rows
        = static_cast<int>(std::min<std::size_t>(file + result.pendingListed.size(), std::numeric_limits<int>::max()));
    return result;
}

void ChatLogModel::apply(Listing&& listing)
{
    m_listed = std::move(listing.listed);
    m_pendingListed = std::move(listing.pendingListed);
    m_rows = listing.rows;
}

std::size_t ChatLogModel::fileRows() const
{
    return m_filter == LogSeverity::Information ? m_index.recordCount() : m_listed.size();
}

ChatLogIndex::Change ChatLogModel::refresh()
{
    const int oldRows = m_rows;
    const std::size_t oldFileRows = fileRows();
    const std::size_t oldPending = m_pendingListed.size();
    // A record that was not where the index said means the file was changed where refresh() does not look.
    ChatLogIndex::Change change = m_index.refresh();
    if (m_missing && (change == ChatLogIndex::Change::None || change == ChatLogIndex::Change::Grew))
        change = m_index.rebuild();
    m_missing = false;
    m_missingReported = false;
    Listing next = listing();
    const bool refill = change != ChatLogIndex::Change::None && change != ChatLogIndex::Change::Grew;
    if (refill || next.rows < oldRows) {
        beginResetModel();
        m_blocks.clear();
        apply(std::move(next));
        endResetModel();
        return change;
    }
    if (change == ChatLogIndex::Change::None && next.pendingListed.size() == oldPending)
        return change;
    // Grown at the end: the torn tail may have become a different record, and records that waited are now read
    // from the file, so the cached blocks and the last rows shown are read again.
    if (change == ChatLogIndex::Change::Grew)
        m_blocks.clear();
    const int newRows = next.rows;
    if (newRows > oldRows) {
        beginInsertRows({}, oldRows, newRows - 1);
        apply(std::move(next));
        endInsertRows();
    } else {
        apply(std::move(next));
    }
    const int firstChanged = static_cast<int>(
        std::min<std::size_t>(oldFileRows == 0 ? 0 : oldFileRows - 1, static_cast<std::size_t>(oldRows)));
    if (firstChanged < oldRows)
        emit dataChanged(index(firstChanged, 0), index(oldRows - 1, ColumnCount - 1));
    return change;
}

int ChatLogModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : m_rows;
}

int ChatLogModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

const ChatLogRecord* ChatLogModel::fileRecord(std::size_t number) const
{
    const std::size_t blockNumber = number / blockRecords;
    auto block = std::find_if(m_blocks.begin(), m_blocks.end(),
                              [blockNumber](const Block& b) { return b.number == blockNumber; });
    if (block == m_blocks.end()) {
        if (m_blocks.size() >= keptBlocks) {
            block = std::min_element(m_blocks.begin(), m_blocks.end(),
                                     [](const Block& a, const Block& b) { return a.lastUse < b.lastUse; });
        } else {
            m_blocks.emplace_back();
            block = std::prev(m_blocks.end());
        }
        bool complete = true;
        block->number = blockNumber;
        block->records = m_index.read(blockNumber * blockRecords, blockRecords, &complete);
        if (!complete) {
            m_missing = true;
            if (!m_missingReported) {
                m_missingReported = true;
                QMetaObject::invokeMethod(const_cast<ChatLogModel*>(this), &ChatLogModel::fileChangedUnderneath,
                                          Qt::QueuedConnection);
            }
        }
    }
    block->lastUse = ++m_uses;
    const std::size_t within = number - blockNumber * blockRecords;
    return within < block->records.size() ? &block->records[within] : &emptyRecord;
}

const ChatLogRecord* ChatLogModel::recordOfRow(int row) const
{
    if (row < 0 || row >= m_rows)
        return nullptr;
    const auto at = static_cast<std::size_t>(row);
    const std::size_t file = fileRows();
    if (at < file)
        return fileRecord(m_filter == LogSeverity::Information ? at : m_listed[at]);
    const std::size_t pendingRow = at - file;
    const std::vector<ChatLogRecord>& pending = m_log.pendingRecords();
    // Records written since the last refresh() have left the waiting list; they show once it has run.
    if (pendingRow >= m_pendingListed.size() || m_pendingListed[pendingRow] >= pending.size())
        return &emptyRecord;
    return &pending[m_pendingListed[pendingRow]];
}

std::optional<ChatLogRecord> ChatLogModel::recordAt(int row) const
{
    const ChatLogRecord* record = recordOfRow(row);
    if (!record)
        return std::nullopt;
    return *record;
}

QVariant ChatLogModel::data(const QModelIndex& index, int role) const
{
    if (role != Qt::DisplayRole && role != Qt::ToolTipRole)
        return {};
    const ChatLogRecord* record = recordOfRow(index.row());
    if (!record)
        return {};
    switch (index.column()) {
    case TimeColumn:
        return record->time;
    case SeverityColumn:
        return ChatLogFormat::severityName(record->severity);
    case TitleColumn:
        return record->title;
    case DescriptionColumn:
        return record->description;
    default:
        return {};
    }
}

QVariant ChatLogModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return QAbstractTableModel::headerData(section, orientation, role);
    switch (section) {
    case TimeColumn:
        return tr("Time");
    case SeverityColumn:
        return tr("Severity");
    case TitleColumn:
        return tr("Title");
    case DescriptionColumn:
        return tr("Description");
    default:
        return {};
    }
}

QString ChatLogModel::lineFor(const ChatLogRecord& record)
{
    return QStringLiteral("[%1] %2 > %3 > %4")
        .arg(record.time, ChatLogFormat::severityName(record.severity), record.title, record.description);
}

QStringList ChatLogModel::lines() const
{
    QStringList result;
    result.reserve(rowCount());
    for (int row = 0; row < rowCount(); ++row) {
        if (const ChatLogRecord* record = recordOfRow(row))
            result += lineFor(*record);
    }
    return result;
}
