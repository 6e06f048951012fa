#include "chat/ChatLogModel.h"

#include <algorithm>
#include <limits>

ChatLogModel::ChatLogModel(const std::vector<ChatLogRecord>& records, QObject* parent)
    : QAbstractTableModel(parent)
    , m_records(records)
{
    refill();
}

void ChatLogModel::setSeverityFilter(LogSeverity mostMinor)
{
    beginResetModel();
    m_filter = mostMinor;
    refill();
    endResetModel();
}

void ChatLogModel::refill()
{
    // Row numbers fit a model's int rows; a log never holds more than that in a list the view can show.
    const std::size_t count = std::min<std::size_t>(m_records.size(), std::numeric_limits<int>::max());
    m_listed.clear();
    if (m_filter == LogSeverity::Information)
        m_listed.reserve(count);
    for (std::size_t i = 0; i < count; ++i) {
        if (static_cast<int>(m_records[i].severity) <= static_cast<int>(m_filter))
            m_listed.push_back(static_cast<std::uint32_t>(i));
    }
}

int ChatLogModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(m_listed.size());
}

int ChatLogModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

const ChatLogRecord* ChatLogModel::recordAt(int row) const
{
    if (row < 0 || static_cast<std::size_t>(row) >= m_listed.size())
        return nullptr;
    // The log may have been reloaded underneath an open viewer; never read past its end.
    const std::uint32_t index = m_listed[static_cast<std::size_t>(row)];
    return index < m_records.size() ? &m_records[index] : nullptr;
}

QVariant ChatLogModel::data(const QModelIndex& index, int role) const
{
    if (role != Qt::DisplayRole && role != Qt::ToolTipRole)
        return {};
    const ChatLogRecord* record = recordAt(index.row());
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
    result.reserve(static_cast<qsizetype>(m_listed.size()));
    for (int row = 0; row < rowCount(); ++row) {
        if (const ChatLogRecord* record = recordAt(row))
            result += lineFor(*record);
    }
    return result;
}
