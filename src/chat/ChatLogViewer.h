#pragma once
// The chat log viewer: a modal window listing the chat log, filtered by severity, with Save and Print. It reads the
// records it shows from the file through the log's index, and follows the file while it is open: entries added
// appear, and a file that another program shortens, replaces or removes is shown as it now is, with a notice that
// says so. It never changes the log.

#include "chat/ChatLog.h"

#include <QDialog>
#include <QStringList>
#include <functional>

class ChatLogModel;
class QActionGroup;
class QLabel;
class QPrinter;
class QPushButton;
class QTableView;
class QToolButton;

class ChatLogViewer : public QDialog
{
    Q_OBJECT
public:
    ChatLogViewer(ChatLog& log, const QString& title, QWidget* parent = nullptr);
    ~ChatLogViewer() override;

    // Catches up with the file now; the viewer also does so after every entry and once a second.
    void refresh();

    // Chooses which records are listed, as the drop-down's radio items do.
    void setSeverityFilter(LogSeverity mostMinor);
    LogSeverity severityFilter() const;

    // The listed rows as lines "[time] severity > title > description", the text that Save and Print write.
    QStringList lines() const;

    // Writes the listed lines to a file, CR LF after each, in the locale encoding. Returns false and sets
    // lastError() when the file cannot be written.
    bool saveTo(const QString& path);
    QString lastError() const { return m_lastError; }

    // Prints the listed lines, one a line, across as many pages as they need.
    void printTo(QPrinter& printer) const;

    // Where Save asks for a file name. The default shows a save dialog; tests put their own answer here.
    using FileNameProvider = std::function<QString(QWidget* parent)>;
    void setFileNameProvider(FileNameProvider provider) { m_askFileName = std::move(provider); }

    ChatLogModel* model() const { return m_model; }
    QTableView* table() const { return m_table; }
    QToolButton* filterButton() const { return m_filterButton; }
    QPushButton* saveButton() const { return m_saveButton; }
    QPushButton* printButton() const { return m_printButton; }
    QLabel* countLabel() const { return m_countLabel; }
    // What the list shows when the file changed under the viewer; empty while it shows the log as it was opened
    // plus what was added since.
    QLabel* noticeLabel() const { return m_noticeLabel; }

public slots:
    void save();
    void print();

private:
    void buildTable();
    void buildFilter();
    void buildButtons();
    void layOut();
    void showFilterChoice();
    void showCount();
    void showNotice(ChatLogIndex::Change change);
    static QString askSaveFileName(QWidget* parent);

    ChatLogModel* m_model = nullptr;
    QTableView* m_table = nullptr;
    QToolButton* m_filterButton = nullptr;
    QActionGroup* m_filterGroup = nullptr;
    QPushButton* m_saveButton = nullptr;
    QPushButton* m_printButton = nullptr;
    QPushButton* m_closeButton = nullptr;
    QLabel* m_countLabel = nullptr;
    QLabel* m_noticeLabel = nullptr;
    ChatLogIndex::Change m_notice = ChatLogIndex::Change::None;
    ChatLog& m_log;
    FileNameProvider m_askFileName = &ChatLogViewer::askSaveFileName;
    QString m_lastError;
};
