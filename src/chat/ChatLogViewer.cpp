#include "chat/ChatLogViewer.h"

#include "chat/ChatLogModel.h"

#include <QAccessible>
#include <QAction>
#include <QActionGroup>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QMessageBox>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QSaveFile>
#include <QTableView>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>

namespace {

constexpr qsizetype saveChunkBytes = 1 << 20;
constexpr int followIntervalMs = 1000;

struct FilterChoice
{
    LogSeverity severity;
    const char* name;
};

const FilterChoice filterChoices[] = {
    { LogSeverity::Information, "Information" },
    { LogSeverity::Warning, "Warning" },
    { LogSeverity::Error, "Error" },
};

void describe(QWidget* widget, const QString& name, const QString& description)
{
    widget->setAccessibleName(name);
    widget->setAccessibleDescription(description);
    widget->setToolTip(description);
}

} // namespace

ChatLogViewer::ChatLogViewer(ChatLog& log, const QString& title, QWidget* parent)
    : QDialog(parent)
    , m_model(new ChatLogModel(log, this))
    , m_log(log)
{
    setWindowTitle(title);
    buildTable();
    buildFilter();
    buildButtons();
    layOut();
    showCount();
    showNotice(ChatLogIndex::Change::None);
    if (!log.index().error().isEmpty())
        showNotice(ChatLogIndex::Change::Unreadable);
    // New entries of this program show at once; what other programs do to the file shows within a second.
    log.setChangeListener([this] { refresh(); });
    connect(m_model, &ChatLogModel::fileChangedUnderneath, this, &ChatLogViewer::refresh);
    auto* follow = new QTimer(this);
    connect(follow, &QTimer::timeout, this, &ChatLogViewer::refresh);
    follow->start(followIntervalMs);
}

ChatLogViewer::~ChatLogViewer()
{
    m_log.setChangeListener({});
}

void ChatLogViewer::refresh()
{
    ChatLogIndex::Change change = m_model->refresh();
    // A file that could not be read and now can is another file than the one the viewer opened on.
    if (change == ChatLogIndex::Change::Grew && m_notice == ChatLogIndex::Change::Unreadable)
        change = ChatLogIndex::Change::Replaced;
    if (change == ChatLogIndex::Change::None || change == ChatLogIndex::Change::Grew) {
        showCount();
        return;
    }
    showNotice(change);
    showCount();
    if (m_model->rowCount() > 0 && !m_table->currentIndex().isValid())
        m_table->setCurrentIndex(m_model->index(0, 0));
}

void ChatLogViewer::showNotice(ChatLogIndex::Change change)
{
    QString notice;
    switch (change) {
    case ChatLogIndex::Change::None:
    case ChatLogIndex::Change::Grew:
        break;
    case ChatLogIndex::Change::Shortened:
        notice = tr("The chat log file was shortened by another program. The list shows what the file holds now.");
        break;
    case ChatLogIndex::Change::Replaced:
        notice = tr("The chat log file was replaced by another program. The list shows the new file.");
        break;
    case ChatLogIndex::Change::Removed:
        notice = tr("The chat log file was removed by another program. The list shows what has been logged since.");
        break;
    case ChatLogIndex::Change::Unreadable:
        notice = tr("The chat log file cannot be read: %1. The list shows only entries not yet written to it.")
                     .arg(m_log.index().error());
        break;
    }
    m_notice = change;
    m_noticeLabel->setText(notice);
    m_noticeLabel->setAccessibleName(notice);
    m_noticeLabel->setVisible(!notice.isEmpty());
    if (!notice.isEmpty()) {
        // A screen reader hears of the change even though the focus stays in the list.
        QAccessibleEvent changed(m_noticeLabel, QAccessible::NameChanged);
        QAccessible::updateAccessibility(&changed);
    }
}

void ChatLogViewer::buildTable()
{
    m_table = new QTableView(this);
    // Every row the same height and no measuring of contents: the view then costs the same for ten rows or a
    // million. Set before the model comes, so the rows' heights are laid out once, not laid out and then redone.
    QHeaderView* rows = m_table->verticalHeader();
    rows->hide();
    rows->setSectionResizeMode(QHeaderView::Fixed);
    rows->setDefaultSectionSize(fontMetrics().lineSpacing() + 6);
    m_table->setModel(m_model);
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_table->setSelectionMode(QAbstractItemView::SingleSelection);
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    // Tab leaves the list for the buttons instead of walking its cells.
    m_table->setTabKeyNavigation(false);
    m_table->setWordWrap(false);
    m_table->setAlternatingRowColors(true);
    QHeaderView* columns = m_table->horizontalHeader();
    columns->setSectionResizeMode(QHeaderView::Interactive);
    columns->setStretchLastSection(true);
    columns->resizeSection(ChatLogModel::TimeColumn, fontMetrics().horizontalAdvance(QStringLiteral("00:00:00 PM__")));
    columns->resizeSection(ChatLogModel::SeverityColumn,
                           fontMetrics().horizontalAdvance(QStringLiteral("Information__")));
    columns->resizeSection(ChatLogModel::TitleColumn, fontMetrics().horizontalAdvance(QStringLiteral("M")) * 16);
    describe(m_table, tr("Chat log entries"),
             tr("One row per entry with its time, severity, title and description. Arrow keys move between entries."));
    if (m_model->rowCount() > 0)
        m_table->setCurrentIndex(m_model->index(0, 0));
}

void ChatLogViewer::buildFilter()
{
    auto* menu = new QMenu(this);
    m_filterGroup = new QActionGroup(this);
    m_filterGroup->setExclusive(true);
    for (const FilterChoice& choice : filterChoices) {
        QAction* action = menu->addAction(tr(choice.name));
        action->setCheckable(true);
        action->setChecked(choice.severity == LogSeverity::Information);
        action->setData(static_cast<int>(choice.severity));
        m_filterGroup->addAction(action);
    }
    connect(m_filterGroup, &QActionGroup::triggered, this,
            [this](QAction* action) { setSeverityFilter(static_cast<LogSeverity>(action->data().toInt())); });

    m_filterButton = new QToolButton(this);
    m_filterButton->setMenu(menu);
    m_filterButton->setPopupMode(QToolButton::InstantPopup);
    m_filterButton->setFocusPolicy(Qt::StrongFocus);
    m_filterButton->setToolButtonStyle(Qt::ToolButtonTextOnly);
    describe(m_filterButton, tr("Severity filter"),
             tr("Chooses which entries are listed: Information lists all, Warning lists warnings and errors, "
                "Error lists errors only."));
    showFilterChoice();

    m_countLabel = new QLabel(this);
    m_countLabel->setAccessibleDescription(tr("How many entries the list holds"));
    // Plain text: the error reasons in it come from the system, and nothing in a label is ever markup.
    m_noticeLabel = new QLabel(this);
    m_noticeLabel->setTextFormat(Qt::PlainText);
    m_noticeLabel->setWordWrap(true);
    m_noticeLabel->setAccessibleDescription(tr("What the list shows after the chat log file changed"));
}

void ChatLogViewer::buildButtons()
{
    m_saveButton = new QPushButton(tr("&Save"), this);
    describe(m_saveButton, tr("Save"), tr("Saves the listed entries to a file, one line each (Ctrl+S)."));
    m_printButton = new QPushButton(tr("&Print"), this);
    describe(m_printButton, tr("Print"), tr("Prints the listed entries, one line each (Ctrl+P)."));
    m_closeButton = new QPushButton(tr("&Close"), this);
    describe(m_closeButton, tr("Close"), tr("Closes the chat log viewer (Escape)."));
    // Enter in the list must not save, print or close by surprise.
    for (QPushButton* button : { m_saveButton, m_printButton, m_closeButton })
        button->setAutoDefault(false);
    connect(m_saveButton, &QPushButton::clicked, this, &ChatLogViewer::save);
    connect(m_printButton, &QPushButton::clicked, this, &ChatLogViewer::print);
    connect(m_closeButton, &QPushButton::clicked, this, &QDialog::reject);

    auto* saveAction = new QAction(this);
    saveAction->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_S));
    connect(saveAction, &QAction::triggered, this, &ChatLogViewer::save);
    auto* printAction = new QAction(this);
    printAction->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_P));
    connect(printAction, &QAction::triggered, this, &ChatLogViewer::print);
    addActions({ saveAction, printAction });
}

void ChatLogViewer::layOut()
{
    auto* top = new QHBoxLayout;
    top->addWidget(m_filterButton);
    top->addWidget(m_countLabel, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(m_saveButton);
    buttons->addWidget(m_printButton);
    buttons->addWidget(m_closeButton);
    auto* page = new QVBoxLayout(this);
    page->addLayout(top);
    page->addWidget(m_noticeLabel);
    page->addWidget(m_table, 1);
    page->addLayout(buttons);
    setTabOrder(m_table, m_filterButton);
    setTabOrder(m_filterButton, m_saveButton);
    setTabOrder(m_saveButton, m_printButton);
    setTabOrder(m_printButton, m_closeButton);
    m_table->setFocus();
    resize(fontMetrics().horizontalAdvance(QLatin1Char('M')) * 70, fontMetrics().lineSpacing() * 28);
}

void ChatLogViewer::setSeverityFilter(LogSeverity mostMinor)
{
    m_model->setSeverityFilter(mostMinor);
    for (QAction* action : m_filterGroup->actions())
        action->setChecked(action->data().toInt() == static_cast<int>(mostMinor));
    showFilterChoice();
    showCount();
    if (m_model->rowCount() > 0)
        m_table->setCurrentIndex(m_model->index(0, 0));
}

LogSeverity ChatLogViewer::severityFilter() const
{
    return m_model->severityFilter();
}

void ChatLogViewer::showFilterChoice()
{
    m_filterButton->setText(tr("Sho&w: %1").arg(ChatLogFormat::severityName(severityFilter())));
}

void ChatLogViewer::showCount()
{
    const int count = m_model->rowCount();
    m_countLabel->setText(count == 1 ? tr("1 entry") : tr("%1 entries").arg(count));
}

QStringList ChatLogViewer::lines() const
{
    return m_model->lines();
}

bool ChatLogViewer::saveTo(const QString& path)
{
    QSaveFile file(path);
    bool written = file.open(QIODevice::WriteOnly);
    QByteArray chunk;
    for (int row = 0; written && row < m_model->rowCount(); ++row) {
        chunk += ChatLogModel::lineFor(m_model->recordAt(row).value_or(ChatLogRecord())).toLocal8Bit();
        chunk += "\r\n";
        if (chunk.size() >= saveChunkBytes || row + 1 == m_model->rowCount()) {
            written = file.write(chunk) == chunk.size();
            chunk.clear();
        }
    }
    written = written && file.commit();
    m_lastError = written ? QString() : tr("Cannot save the chat log to \"%1\": %2").arg(path, file.errorString());
    return written;
}

void ChatLogViewer::printTo(QPrinter& printer) const
{
    QPainter painter(&printer);
    if (!painter.isActive())
        return;
    const QRect page(0, 0, printer.width(), printer.height());
    int top = 0;
    // Row by row, so that printing a long log never holds all of its lines at once.
    for (int row = 0; row < m_model->rowCount(); ++row) {
        const QString line = ChatLogModel::lineFor(m_model->recordAt(row).value_or(ChatLogRecord()));
        QRect box = painter.boundingRect(page, Qt::TextWordWrap, line);
        if (top > 0 && top + box.height() > page.height()) {
            printer.newPage();
            top = 0;
        }
        box.setHeight(std::max(box.height(), painter.fontMetrics().lineSpacing()));
        box.moveTop(top);
        box.setWidth(page.width());
        painter.drawText(box, Qt::TextWordWrap, line);
        top += box.height();
    }
}

void ChatLogViewer::save()
{
    const QString path = m_askFileName(this);
    if (path.isEmpty() || saveTo(path))
        return;
    QMessageBox::warning(this, windowTitle(), m_lastError);
}

void ChatLogViewer::print()
{
    QPrinter printer(QPrinter::HighResolution);
    QPrintDialog dialog(&printer, this);
    if (dialog.exec() == QDialog::Accepted)
        printTo(printer);
}

QString ChatLogViewer::askSaveFileName(QWidget* parent)
{
    QFileDialog dialog(parent, QObject::tr("Save Chat Log"));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setNameFilters({ QObject::tr("CSV File (*.csv)"), QObject::tr("Binary File (*.dat)") });
    dialog.setDefaultSuffix(QStringLiteral("csv"));
    QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog, [&dialog](const QString& filter) {
        dialog.setDefaultSuffix(filter.contains(QStringLiteral("*.dat")) ? QStringLiteral("dat")
                                                                         : QStringLiteral("csv"));
    });
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().constFirst();
}
