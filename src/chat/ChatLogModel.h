#pragma once
// A read-only table over the chat log, listing the records at or above a chosen severity: first those in the file,
// read through the log's index as the view asks for them, then those still waiting to be written. Rows are fetched
// from the file a block at a time and a few blocks are kept, so the table costs the same for ten records or
// millions, and filtering looks only at the index's lists of errors and warnings, never at the records' text.

#include "chat/ChatLog.h"

#include <QAbstractTableModel>
#include <QStringList>
#include <cstdint>
#include <optional>
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

    // Finishes the log's index if it is still being built.
    explicit ChatLogModel(ChatLog& log, QObject* parent = nullptr);

    // Lists the records whose severity value is not above the given one: Information lists all, Error only errors.
    void setSeverityFilter(LogSeverity mostMinor);
    LogSeverity severityFilter() const { return m_filter; }

    // Catches up with the file and with the records waiting to be written. Records added at the end come in as new
    // rows; a file shortened, replaced or removed refills the table. Returns what happened to the file.
    ChatLogIndex::Change refresh();

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

    // The listed record of a row, or nothing when the row is out of range. A record the file no longer holds where
    // the index says comes back empty; recordsMissing() then turns true until the next refresh().
    std::optional<ChatLogRecord> recordAt(int row) const;
    bool recordsMissing() const { return m_missing; }

    // The listed rows as text lines "[time] severity > title > description", as saved and printed.
    QStringList lines() const;
    static QString lineFor(const ChatLogRecord& record);

signals:
    // A record could not be read where the index said: the file changed since the last refresh().
    void fileChangedUnderneath();

private:
    struct Block
    {
        std::size_t number = 0;
        std::vector<ChatLogRecord> records;
        quint64 lastUse = 0;
    };
    struct Listing
    {
        std::vector<std::uint32_t> listed;
        std::vector<std::uint32_t> pendingListed;
        int rows = 0;
    };
    Listing listing() const;
    void apply(Listing&& listing);
    std::size_t fileRows() const;
    const ChatLogRecord* recordOfRow(int row) const;
    const ChatLogRecord* fileRecord(std::size_t number) const;
    bool lists(LogSeverity severity) const;

    ChatLog& m_log;
    ChatLogIndex& m_index;
    LogSeverity m_filter = LogSeverity::Information;
    // With a filter other than Information: the record numbers listed, ascending.
    std::vector<std::uint32_t> m_listed;
    // Indexes into the log's waiting records that the filter lists.
    std::vector<std::uint32_t> m_pendingListed;
    int m_rows = 0;
    mutable std::vector<Block> m_blocks;
    mutable quint64 m_uses = 0;
    mutable bool m_missing = false;
    mutable bool m_missingReported = false;
};
