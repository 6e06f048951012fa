#include "directory/DirectoryWindow.h"

#include "echolink/EchoLinkSession.h"
#include "speech/Announcer.h"
#include "speech/Phonetics.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTableView>
#include <QVBoxLayout>

using StationDirectory::Entry;
using StationDirectory::Kind;

namespace {

QString kindText(Kind kind)
{
    switch (kind) {
    case Kind::Station:
        return QStringLiteral("Station");
    case Kind::Link:
        return QStringLiteral("Link");
    case Kind::Repeater:
        return QStringLiteral("Repeater");
    case Kind::Conference:
        return QStringLiteral("Conference");
    }
    return {};
}

// The kind box: its items in order, the first leaving every kind.
struct KindChoice
{
    const char* text;
    std::optional<Kind> kind;
};
const KindChoice kindChoices[] {
    { "All kinds", std::nullopt },   { "Stations", Kind::Station },       { "Links", Kind::Link },
    { "Repeaters", Kind::Repeater }, { "Conferences", Kind::Conference },
};

QPushButton* button(const QString& text, const QString& name, const QString& description, QWidget* parent)
{
    auto* b = new QPushButton(text, parent);
    b->setObjectName(name);
    QString plain = text;
    b->setAccessibleName(plain.remove(QLatin1Char('&')));
    b->setAccessibleDescription(description);
    return b;
}

} // namespace

void DirectoryModel::setRows(const QList<Entry>* entries, QList<int> positions)
{
    beginResetModel();
    m_entries = entries;
    m_positions = std::move(positions);
    endResetModel();
}

const Entry* DirectoryModel::entryAt(int row) const
{
    if (!m_entries || row < 0 || row >= m_positions.size())
        return nullptr;
    return &m_entries->at(m_positions.at(row));
}

int DirectoryModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(m_positions.size());
}

int DirectoryModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant DirectoryModel::data(const QModelIndex& index, int role) const
{
    const Entry* entry = entryAt(index.row());
    if (!entry || (role != Qt::DisplayRole && role != Qt::AccessibleTextRole))
        return {};
    switch (index.column()) {
    case CallsignColumn:
        return entry->callsign;
    case DescriptionColumn:
        return entry->description;
    case StatusColumn:
        return entry->status;
    case NodeColumn:
        return entry->node > 0 ? QString::number(entry->node) : QString();
    case KindColumn:
        return kindText(entry->kind);
    default:
        return {};
    }
}

QVariant DirectoryModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || (role != Qt::DisplayRole && role != Qt::AccessibleTextRole))
        return {};
    static const char* const titles[] { "Callsign", "Description", "Status", "Node", "Kind" };
    return section >= 0 && section < ColumnCount ? QString::fromLatin1(titles[section]) : QVariant();
}

DirectoryWindow::DirectoryWindow(const DirectoryWindowParts& parts, QWidget* parent)
    : QDialog(parent)
    , m_parts(parts)
    , m_model(new DirectoryModel(this))
    , m_find(new QLineEdit(this))
    , m_kind(new QComboBox(this))
    , m_table(new QTableView(this))
    , m_count(new QLabel(this))
{
    setObjectName(QStringLiteral("DirectoryWindow"));
    setWindowTitle(QStringLiteral("Station Directory"));
    setAccessibleName(QStringLiteral("Station directory"));
    setAccessibleDescription(
        QStringLiteral("Type to find a station, Up and Down to hear each one, Enter to connect, Escape to return"));

    auto* findLabel = new QLabel(QStringLiteral("&Find:"), this);
    findLabel->setBuddy(m_find);
    m_find->setObjectName(QStringLiteral("edtDirectoryFind"));
    m_find->setAccessibleName(QStringLiteral("Find station"));
    m_find->setAccessibleDescription(QStringLiteral("Part of a callsign, a node number or a word of the "
                                                    "description. Up and Down read the matches, Enter connects"));
    m_find->setMaxLength(64);

    auto* kindLabel = new QLabel(QStringLiteral("&Kind:"), this);
    kindLabel->setBuddy(m_kind);
    m_kind->setObjectName(QStringLiteral("cbDirectoryKind"));
    m_kind->setAccessibleName(QStringLiteral("Kind"));
    m_kind->setAccessibleDescription(QStringLiteral("Stations, links, repeaters or conferences only"));
    for (const KindChoice& choice : kindChoices)
        m_kind->addItem(QString::fromLatin1(choice.text));

    m_table->setObjectName(QStringLiteral("lvDirectory"));
    m_table->setAccessibleName(QStringLiteral("Stations"));
    m_table->setAccessibleDescription(QStringLiteral("The matching stations; Enter connects"));
    m_table->setModel(m_model);
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_table->setSelectionMode(QAbstractItemView::SingleSelection);
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_table->setTabKeyNavigation(false);
    m_table->setWordWrap(false);
    m_table->verticalHeader()->hide();
    m_table->horizontalHeader()->setStretchLastSection(true);
    m_table->setColumnWidth(DirectoryModel::CallsignColumn, 130);
    m_table->setColumnWidth(DirectoryModel::DescriptionColumn, 320);
    m_table->setColumnWidth(DirectoryModel::StatusColumn, 200);
    m_table->setColumnWidth(DirectoryModel::NodeColumn, 90);

    m_count->setObjectName(QStringLiteral("lblDirectoryCount"));
    m_count->setAccessibleName(QStringLiteral("Matches"));
    m_count->setTextFormat(Qt::PlainText);

    m_connect = button(QStringLiteral("&Connect"), QStringLiteral("btnDirectoryConnect"),
                       QStringLiteral("Connects to the chosen station"), this);
    m_refresh = button(QStringLiteral("&Refresh"), QStringLiteral("btnDirectoryRefresh"),
                       QStringLiteral("Reads the directory again, keeping your place"), this);
    m_close = button(QStringLiteral("Close"), QStringLiteral("btnDirectoryClose"),
                     QStringLiteral("Returns to the chat line"), this);
    auto* memoryLabel = new QLabel(QStringLiteral("&Memory button:"), this);
    m_memory = new QSpinBox(this);
    m_memory->setObjectName(QStringLiteral("spnDirectoryMemory"));
    m_memory->setRange(1, 40);
    m_memory->setAccessibleName(QStringLiteral("Memory button"));
    m_memory->setAccessibleDescription(QStringLiteral("The memory button, 1 to 40, that Store fills"));
    memoryLabel->setBuddy(m_memory);
    m_store = button(QStringLiteral("&Store in memory"), QStringLiteral("btnDirectoryStore"),
                     QStringLiteral("Stores the chosen station in the memory button"), this);
    m_connect->setDefault(true);

    auto* top = new QHBoxLayout;
    top->addWidget(findLabel);
    top->addWidget(m_find, 1);
    top->addWidget(kindLabel);
    top->addWidget(m_kind);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(m_count, 1);
    buttons->addWidget(m_connect);
    buttons->addWidget(m_refresh);
    buttons->addWidget(memoryLabel);
    buttons->addWidget(m_memory);
    buttons->addWidget(m_store);
    buttons->addWidget(m_close);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(m_table, 1);
    layout->addLayout(buttons);
    setTabOrder(m_find, m_kind);
    setTabOrder(m_kind, m_table);
    setTabOrder(m_table, m_connect);
    setTabOrder(m_connect, m_refresh);
    setTabOrder(m_refresh, m_memory);
    setTabOrder(m_memory, m_store);
    setTabOrder(m_store, m_close);
    resize(860, 480);

    m_find->installEventFilter(this);
    m_table->installEventFilter(this);
    connect(m_find, &QLineEdit::textEdited, this, [this] { applyFilter(true, place()); });
    connect(m_kind, &QComboBox::currentIndexChanged, this, [this] { applyFilter(true, place()); });
    connect(m_table->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex& current) {
                if (current.isValid() && m_table->hasFocus() && !m_moving)
                    speakCurrent();
            });
    // Enter reaches the default button (Connect) from every control but the other buttons; a double click
    // connects as well.
    connect(m_table, &QAbstractItemView::doubleClicked, this, [this] { connectToCurrent(); });
    connect(m_connect, &QPushButton::clicked, this, [this] { connectToCurrent(); });
    connect(m_refresh, &QPushButton::clicked, this, [this] { refresh(true); });
    connect(m_store, &QPushButton::clicked, this, [this] { storeCurrent(); });
    connect(m_close, &QPushButton::clicked, this, [this] { reject(); });
}

QString DirectoryWindow::countText(int matches, bool filtered)
{
    if (!filtered)
        return matches == 1 ? QStringLiteral("1 station") : QStringLiteral("%1 stations").arg(matches);
    if (matches == 0)
        return QStringLiteral("No matches");
    return matches == 1 ? QStringLiteral("1 match") : QStringLiteral("%1 matches").arg(matches);
}

// The callsign spelled as callsigns always are, then what the station says of itself; a status other than
// plainly on ("busy", "in conference ...") follows, as the operator needs it before connecting.
QString DirectoryWindow::rowSpeech(const Entry& entry)
{
    QString text = Phonetics::callSignSpeechText(entry.callsign, QString()).trimmed();
    if (!entry.description.isEmpty())
        text += QStringLiteral(". ") + entry.description;
    if (!entry.status.isEmpty() && entry.status.compare(QLatin1String("on"), Qt::CaseInsensitive) != 0)
        text += QStringLiteral(". ") + entry.status;
    return text;
}

const Entry* DirectoryWindow::currentEntry() const
{
    return m_model->entryAt(m_table->currentIndex().row());
}

// The list view lets go of the old rows before the filter takes the new list, so that no row ever points
// into a list it was not made from.
void DirectoryWindow::fetchEntries()
{
    try {
        const QList<Entry> entries = m_parts.fetch();
        m_model->setRows(nullptr, {});
        m_filter.setEntries(entries);
        m_problem.clear();
    } catch (const EchoLinkError& e) {
        m_problem = e.message();
    }
}

DirectoryWindow::Place DirectoryWindow::place() const
{
    const Entry* entry = currentEntry();
    return { entry ? entry->callsign : QString(), std::max(0, m_table->currentIndex().row()) };
}

void DirectoryWindow::present()
{
    m_find->clear();
    const Place kept = place();
    fetchEntries();
    applyFilter(false, kept);
    show();
    raise();
    activateWindow();
    m_find->setFocus(Qt::OtherFocusReason);
    const QString said = m_problem.isEmpty() ? countText(matchCount(), false) : m_problem;
    m_parts.announcer.SpeakToMeNowPurge(QStringLiteral("Station directory. ") + said);
}

void DirectoryWindow::refresh(bool spoken)
{
    const Place kept = place();
    fetchEntries();
    applyFilter(false, kept);
    if (spoken) {
        const bool filtered = !m_find->text().trimmed().isEmpty() || m_kind->currentIndex() > 0;
        m_parts.announcer.SpeakToMeNowPurge(m_problem.isEmpty() ? countText(matchCount(), filtered) : m_problem);
    }
}

// Keeps the station the operator was on when it still matches. Spoken is for the operator's own changes
// (typing, the kind box), which say the count.
void DirectoryWindow::applyFilter(bool spoken, const Place& kept)
{
    const QString& keptCallsign = kept.callsign;
    const int keptRow = kept.row;
    const std::optional<Kind> kind = kindChoices[std::clamp(m_kind->currentIndex(), 0, 4)].kind;
    const QList<int> positions = m_filter.filter({ m_find->text(), kind });
    int row = -1;
    if (!keptCallsign.isEmpty()) {
        for (qsizetype i = 0; i < positions.size(); ++i) {
            if (m_filter.entries().at(positions.at(i)).callsign == keptCallsign) {
                row = static_cast<int>(i);
                break;
            }
        }
    }
    // Typing starts again from the first match; a new list keeps the row.
    if (row < 0)
        row = spoken ? 0 : std::min(keptRow, static_cast<int>(positions.size()) - 1);
    m_model->setRows(&m_filter.entries(), positions);
    moveTo(row, false);

    const bool filtered = !m_find->text().trimmed().isEmpty() || kind.has_value();
    const QString count = countText(matchCount(), filtered);
    m_count->setText(m_problem.isEmpty() ? count : m_problem);
    if (spoken) {
        m_parts.announcer.SpeakToMeNowPurge(count);
        if (matchCount() == 1)
            speakCurrentQueued();
    }
}

void DirectoryWindow::moveTo(int row, bool spoken)
{
    if (row < 0 || row >= matchCount()) {
        m_table->setCurrentIndex({});
        return;
    }
    const QModelIndex index = m_model->index(row, DirectoryModel::CallsignColumn);
    m_moving = true;
    m_table->selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    m_moving = false;
    m_table->scrollTo(index);
    if (spoken)
        speakCurrent();
}

void DirectoryWindow::step(int delta)
{
    if (matchCount() == 0) {
        m_parts.announcer.SpeakToMeNowPurge(countText(0, true));
        return;
    }
    const int current = m_table->currentIndex().row();
    const int row = current < 0 ? 0 : std::clamp(current + delta, 0, matchCount() - 1);
    moveTo(row, true);
}

void DirectoryWindow::speakCurrent()
{
    if (const Entry* entry = currentEntry())
        m_parts.announcer.SpeakToMeNowPurge(rowSpeech(*entry));
}

void DirectoryWindow::speakCurrentQueued()
{
    if (const Entry* entry = currentEntry())
        m_parts.announcer.SpeakToMeNow(rowSpeech(*entry));
}

void DirectoryWindow::connectToCurrent()
{
    const Entry* entry = currentEntry();
    if (!entry) {
        m_parts.announcer.SpeakToMeNowPurge(QStringLiteral("No station chosen"));
        return;
    }
    const QString callsign = entry->callsign;
    hide();
    m_parts.returnToChatLine();
    m_parts.connectTo(callsign);
}

// The window stays open, so that several stations can be stored in turn.
void DirectoryWindow::storeCurrent()
{
    const Entry* entry = currentEntry();
    if (!entry) {
        m_parts.announcer.SpeakToMeNowPurge(QStringLiteral("No station chosen"));
        return;
    }
    m_parts.storeInMemory(m_memory->value(), entry->callsign);
}

void DirectoryWindow::reject()
{
    QDialog::reject();
    m_parts.returnToChatLine();
}

// Up, Down, Page Up and Page Down in the find line move through the matches while the typing stays there;
// in the list, Home and End go to the first and last station rather than along the row.
bool DirectoryWindow::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_table && event->type() == QEvent::KeyPress && matchCount() > 0) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Home || key->key() == Qt::Key_End) {
            moveTo(key->key() == Qt::Key_Home ? 0 : matchCount() - 1, true);
            return true;
        }
    }
    if (watched == m_find && event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        const int page = std::max(1, m_table->viewport()->height() / std::max(1, m_table->rowHeight(0)) - 1);
        switch (key->key()) {
        case Qt::Key_Up:
            step(-1);
            return true;
        case Qt::Key_Down:
            step(1);
            return true;
        case Qt::Key_PageUp:
            step(-page);
            return true;
        case Qt::Key_PageDown:
            step(page);
            return true;
        default:
            break;
        }
    }
    return QDialog::eventFilter(watched, event);
}
