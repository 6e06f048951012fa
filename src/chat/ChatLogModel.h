#pragma once
// A read-only table over the chat log's records, listing those at or above a chosen severity. It holds row numbers
// into the log, never copies of the records, so that a log of a million entries opens at once.

#include "chat/ChatLogFormat.h"

#include <QAbstractTableModel>
#include <QStringList>
#include <cstdint>
#include <vector>

class ChatLogModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    enum Column
    {
        TimeColumn,
        SeverityColumn,
        TitleColumn,
        DescriptionColumn,
        ColumnCount
    };

    explicit ChatLogModel(const std::vector<ChatLogRecord>& records, QObject* parent = nullptr);

    // Lists the records whose severity value is not above the given one: Information lists all, Error only errors.
    void setSeverityFilter(LogSeverity mostMinor);
    LogSeverity severityFilter() const { return m_filter; }

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

    // The listed record of a row, or nullptr when the row is out of range.
    const ChatLogRecord* recordAt(int row) const;

    // The listed rows as text lines "[time] severity > title > description", as saved and printed.
    QStringList lines() const;
    static QString lineFor(const ChatLogRecord& record);

private:
    void refill();

    const std::vector<ChatLogRecord>& m_records;
    std::vector<std::uint32_t> m_listed;
    LogSeverity m_filter = LogSeverity::Information;
};
