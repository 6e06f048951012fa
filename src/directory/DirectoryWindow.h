#pragma once

#include "echolink/DirectoryFilter.h"
#include "echolink/StationDirectory.h"

#include <QAbstractTableModel>
#include <QDialog>
#include <functional>

class Announcer;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSpinBox;
class QTableView;

// The rows the filter leaves, as a table: callsign, description, status, node number, kind. Plain text only.
class DirectoryModel : public QAbstractTableModel
{
public:
    enum Column
    {
        CallsignColumn,
        DescriptionColumn,
        StatusColumn,
        NodeColumn,
        KindColumn,
        ColumnCount
    };
    using QAbstractTableModel::QAbstractTableModel;

    void setRows(const QList<StationDirectory::Entry>* entries, QList<int> positions);
    const StationDirectory::Entry* entryAt(int row) const;
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    const QList<StationDirectory::Entry>* m_entries = nullptr;
    QList<int> m_positions;
};

struct DirectoryWindowParts
{
    Announcer& announcer;
    // The directory as EchoLink holds it now; throws EchoLinkError when it cannot be had.
    std::function<QList<StationDirectory::Entry>()> fetch;
    // The usual connect path (it reports a refusal itself).
    std::function<void(const QString& callsign)> connectTo;
    // Where the focus goes when the window closes.
    std::function<void()> returnToChatLine;
    // The memory buttons' store (button 1 to 40), which confirms aloud.
    std::function<void(int button, const QString& callsign)> storeInMemory;
};

// The station directory, worked from the keyboard: typing filters, the kind box narrows, Up and Down (in the
// find line or the list) move through the matches and read each one, Enter connects to it, Escape returns to
// the chat line. A refresh keeps the operator's text, kind and station.
class DirectoryWindow : public QDialog
{
    Q_OBJECT
public:
    DirectoryWindow(const DirectoryWindowParts& parts, QWidget* parent = nullptr);

    // Fetches the list, shows the window with the focus in the find line and says how many stations it holds.
    void present();
    // Fetches the list again, keeping the place; quiet unless the operator asked (spoken).
    void refresh(bool spoken = false);

    // The spoken forms.
    static QString countText(int matches, bool filtered);
    static QString rowSpeech(const StationDirectory::Entry& entry);

    int matchCount() const { return m_model->rowCount(); }
    // The station of the current row; null when there is none.
    const StationDirectory::Entry* currentEntry() const;

    void reject() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // Where the operator is: the station, and its row for when that station has gone.
    struct Place
    {
        QString callsign;
        int row = 0;
    };
    Place place() const;
    void fetchEntries();
    void applyFilter(bool spoken, const Place& kept);
    void moveTo(int row, bool spoken);
    void step(int delta);
    void connectToCurrent();
    void storeCurrent();
    void speakCurrent();
    void speakCurrentQueued();

    DirectoryWindowParts m_parts;
    DirectoryFilter m_filter;
    DirectoryModel* m_model;
    QLineEdit* m_find;
    QComboBox* m_kind;
    QTableView* m_table;
    QLabel* m_count;
    QPushButton* m_connect;
    QPushButton* m_refresh;
    QSpinBox* m_memory;
    QPushButton* m_store;
    QPushButton* m_close;
    QString m_problem; // why the last fetch failed; empty when it worked
    bool m_moving = false; // the current row is being set by the window itself, which speaks for itself
};
