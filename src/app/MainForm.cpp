#include "app/MainForm.h"

#include "app/ControlTable.h"
#include "app/ScreenReader.h"
#include "app/Settings.h"
#include "chat/AwayReply.h"
#include "chat/ChatJournal.h"
#include "chat/ChatLogViewer.h"
#include "chat/ChatPanes.h"
#include "chat/CommandDecoder.h"
#include "directory/DirectoryWindow.h"
#include "echolink/ConnectionControl.h"
#include "echolink/SessionLink.h"
#include "echolink/StationRoster.h"
#include "platform/Clock.h"
#include "platform/Platform.h"
#include "platform/WindowColors.h"
#include "speech/Announcer.h"
#include "speech/FocusAnnouncer.h"
#include "speech/KeyboardMap.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QFocusEvent>
#include <QFontDatabase>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QShowEvent>
#include <QSlider>
#include <QSpinBox>
#include <QSplitter>
#include <QTextBrowser>

namespace {

QColor toColor(quint32 bgr)
{
    return QColor(bgr & 0xFF, (bgr >> 8) & 0xFF, (bgr >> 16) & 0xFF);
}

quint32 fromColor(const QColor& c)
{
    return static_cast<quint32>(c.red() | (c.green() << 8) | (c.blue() << 16));
}

QString errorMessage(const std::exception_ptr& error)
{
    try {
        std::rethrow_exception(error);
    } catch (const std::exception& e) {
        return QString::fromUtf8(e.what());
    } catch (...) {
        return QStringLiteral("Unknown error");
    }
}

} // namespace

TmainForm::TmainForm(const MainFormServices& services, QWidget* parent)
    : QMainWindow(parent)
    , m_services(services)
{
    setObjectName(QStringLiteral("mainForm"));
    setWindowTitle(QStringLiteral("Corvane"));
    buildControls();
    describeForScreenReaders();
    setTabOrder();
    buildControllers();
    bindSettings();
    wireWidgets();
    wireTimers();
    wireSession();
    wireKeys();
    resize(1024, 736);
    leaveEchoToScreenReader();
}

// Said once, in the chat pane: the operator hears it from the screen reader, which reads the pane.
void TmainForm::leaveEchoToScreenReader()
{
    m_announcer->leaveEchoToScreenReader(m_services.screenReaderRunning);
    if (m_services.screenReaderRunning)
        m_panes->AppendChatLine(QString::fromUtf8(ScreenReaderNote));
}

TmainForm::~TmainForm()
{
    // Controllers go before the widgets they show in.
    m_session->release();
    m_keyPreviewFilter.reset();
    m_startUp.reset();
    m_keys.reset();
    m_shutDown.reset();
    m_connections.reset();
    m_chatLine.reset();
    m_commands.reset();
    m_settings.reset();
    m_stations.reset();
    m_transmit.reset();
}

void TmainForm::buildControllers()
{
    m_session = std::make_unique<SessionLink>(*m_services.session);
    SessionLink& session = *m_session;
    Clock& clock = *m_services.clock;
    Platform& platform = *m_services.platform;

    m_lifecycle = std::make_unique<Lifecycle>();
    m_roster = std::make_unique<StationRoster>();
    m_announcer = std::make_unique<Announcer>(*m_services.voice);
    m_options = std::make_unique<OptionBoxes>(*m_announcer, platform, *m_roster, static_cast<OptionBoxesView&>(*this));
    m_focus = std::make_unique<FocusAnnouncer>(*m_announcer, *m_options, static_cast<OptionBoxesView&>(*this));
    m_panes = std::make_unique<ChatPanes>(redtChat, redtStation);
    m_display = std::make_unique<DisplaySettings>(DisplaySettingsParts {
        static_cast<DisplaySettingsView&>(*this), *m_announcer, *m_panes, platform, clock, *m_roster });
    m_announcer->setFailureReporter([this](const QString& line) { m_panes->AddChatLineQuietly(line); });
    m_journal = std::make_unique<ChatJournal>(clock);
    m_journal->setReporter([this](const QString& paneLine, const QString& spoken) {
        m_panes->AppendChatLine(paneLine);
        m_announcer->SpeakToMeNow(spoken);
    });
    // The memory buttons reach connection control only when activated, so they can come before it.
    m_memories = std::make_unique<MemoryPanel>(
        MemoryButtonsParts { *m_announcer, *m_options, [this](const QString& call) { m_connections->DoConnect(call); },
                             static_cast<MemoryButtonsView&>(*this) });
    m_away = std::make_unique<AwayReply>(AwayReplyParts { *m_roster, session, *m_announcer, *m_options, *m_panes, clock,
                                                          static_cast<AwayReplyView&>(*this) });
    m_transmit = std::make_unique<TransmitControl>(
        TransmitParts { session, *m_announcer, *m_options, platform, clock, static_cast<TransmitView&>(*this) });
    m_stations = std::make_unique<StationMonitor>(StationMonitorParts { *m_roster, session, *m_announcer, *m_options,
                                                                        *m_panes, *m_transmit, platform,
                                                                        static_cast<StationMonitorView&>(*this) });
    m_settings = std::make_unique<SettingsController>(*m_announcer, *m_panes);
    m_commands = std::make_unique<CommandDecoder>(CommandParts { *m_roster, session, *m_announcer, *m_options, *m_panes,
                                                                 *m_memories, *m_away, *m_stations, *m_transmit,
                                                                 *m_settings, static_cast<CommandView&>(*this) });
    m_chatLine = std::make_unique<ChatLine>(ChatLineParts { *m_roster, session, *m_announcer, *m_options, *m_panes,
                                                            *m_journal, *m_commands, *m_transmit, clock,
                                                            static_cast<ChatLineView&>(*this) });
    m_connections = std::make_unique<ConnectionControl>(
        ConnectionParts { *m_roster, session, *m_announcer, *m_options, *m_panes, *m_journal, *m_transmit, *m_chatLine,
                          clock, static_cast<ConnectionView&>(*this) });
    m_away->setKeyEcho([this](QChar key) { m_keys->KeyBoardSpeak(QString(key), KeyboardMap::Focus::AbsentLine); });
    m_shutDown = std::make_unique<ShutDown>(ShutDownParts { session, *m_announcer, *m_panes, *m_journal, *m_settings,
                                                            *m_roster, *m_lifecycle, platform, *m_services.power, clock,
                                                            static_cast<ShutDownView&>(*this) });
    // The key map reaches every subsystem its keys act on, so it comes after them.
    m_keys = std::make_unique<KeyboardMap>(KeyboardMapParts {
        *m_announcer, *m_options, *m_display, platform, clock, *m_roster, *m_chatLine, *m_stations, *m_commands,
        *m_connections, *m_settings, *m_shutDown, *m_lifecycle, static_cast<KeyboardMapView&>(*this) });
    m_startUp = std::make_unique<StartUp>(
        StartUpParts { session, platform, clock, *m_roster, *m_announcer, *m_options, *m_panes, *m_journal, *m_settings,
                       *m_display, *m_chatLine, *m_away, *m_transmit, *m_stations, *m_keys, *m_lifecycle,
                       static_cast<ConnectionView&>(*this), static_cast<StartUpView&>(*this) });
}

void TmainForm::wireWidgets()
{
    auto on = [this](auto* sender, auto signal, auto handler) {
        connect(sender, signal, this, [this, handler] { guarded(handler); });
    };
    OptionBoxes& options = *m_options;
    on(FocusToFrontCheckBox, &QCheckBox::toggled,
       [this, &options] { options.FocusToFrontCheckBoxClick(FocusToFrontCheckBox->isChecked()); });
    on(SpeechEnableCheckBox, &QCheckBox::toggled,
       [this, &options] { options.SpeechEnableCheckBoxClick(SpeechEnableCheckBox->isChecked()); });
    on(SpeakCheckBox, &QCheckBox::toggled,
       [this, &options] { options.SpeakCheckBoxClick(SpeakCheckBox->isChecked()); });
    on(ButtonAnnounceCheckBox, &QCheckBox::toggled,
       [this, &options] { options.ButtonAnnounceCheckBoxClick(ButtonAnnounceCheckBox->isChecked()); });
    on(KeySpeakCheckBox, &QCheckBox::toggled,
       [this, &options] { options.KeySpeakCheckBoxClick(KeySpeakCheckBox->isChecked()); });
    on(TrackBarVolume, &QSlider::valueChanged,
       [this, &options] { options.TrackBarVolumeChange(TrackBarVolume->value()); });
    on(Button1, &QPushButton::clicked, [&options] { options.Button1Click(); });

    ChatLine& chat = *m_chatLine;
    on(Button2, &QPushButton::clicked, [&chat] { chat.Button2Click(); });
    on(btnChatClear, &QPushButton::clicked, [&chat] { chat.btnChatClearClick(); });

    ConnectionControl& connections = *m_connections;
    on(btnLastConnect, &QPushButton::clicked, [&connections] { connections.btnLastConnectClick(); });
    on(btnDisconnect, &QPushButton::clicked, [&connections] { connections.btnDisconnectClick(); });
    on(btnDisconnectLast, &QPushButton::clicked, [&connections] { connections.btnDisconnectLastClick(); });
    on(bTxRx, &QPushButton::clicked, [this] { m_transmit->bTxRxClick(); });
    on(cbCheckAway, &QCheckBox::toggled, [this] { m_away->cbCheckAwayClick(cbCheckAway->isChecked()); });
    wireMemoryButtons();

    connect(m_panes.get(), &ChatPanes::linkActivated, this,
            [this](const QString& url) { guarded([&] { openLink(url); }); });
    connect(m_connections.get(), &ConnectionControl::stationConnected, this, [this] { m_away->stationConnected(); });

    for (QWidget* w : std::initializer_list<QWidget*> { FocusToFrontCheckBox, TrackBarVolume, cbCheckAway })
        w->installEventFilter(this);
    wireDisplayAndFocus();
}

// Font size, clocks, the look-up link, the station pane's help and the focus announcements.
void TmainForm::wireDisplayAndFocus()
{
    DisplaySettings& display = *m_display;
    connect(btnUpDown, &QSpinBox::valueChanged, this,
            [this, &display](int position) { guarded([&] { display.btnUpDownClick(position); }); });
    connect(&display.clockTimer(), &Timer::timeout, this,
            [this, &display] { guarded([&] { display.refreshClocks(); }); });
    display.refreshClocks();
    QRZLinkLabel->installEventFilter(this);
    redtStation->viewport()->installEventFilter(this);
    // Every control of the table tells the announcer when it takes the focus; the memory buttons speak for
    // themselves.
    for (const ControlRow& control : controlTable()) {
        if (control.objectName.startsWith(QLatin1String("bCall")))
            continue;
        if (auto* w = findChild<QWidget*>(control.objectName))
            w->installEventFilter(this);
    }
}

void TmainForm::controlEntered(QObject* control)
{
    if (control == FocusToFrontCheckBox)
        m_options->FocusToFrontCheckBoxEnter();
    else
        m_focus->controlEntered(control->objectName());
}

// True when the event goes no further.
bool TmainForm::filterDisplayAndFocusEvent(QObject* watched, QEvent* event)
{
    switch (event->type()) {
    case QEvent::FocusIn:
        if (!m_focusMovesQuietly && FocusAnnouncer::focusReallyMoved(static_cast<QFocusEvent*>(event)->reason()))
            guarded([&] { controlEntered(watched); });
        return false;
    case QEvent::MouseButtonRelease:
        if (watched == QRZLinkLabel)
            guarded([this] { m_display->QRZLinkLabelClick(); });
        return false;
    case QEvent::MouseButtonDblClick:
        if (watched == redtStation->viewport())
            guarded([this] { m_display->redtStationDblClick(); });
        return false;
    case QEvent::KeyPress:
    case QEvent::KeyRelease: {
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Space && FocusAnnouncer::spaceIsGuarded(watched->objectName()))
            return true;
        if (auto* button = qobject_cast<QPushButton*>(watched); button && pressOnEnter(button, key))
            return true;
        bool discarded = false;
        if (event->type() == QEvent::KeyPress && watched == ButtonAnnounceCheckBox && !key->text().isEmpty())
            guarded([&] { discarded = m_focus->ButtonAnnounceCheckBoxKeyPress(key->text().at(0)); });
        return discarded;
    }
    default:
        return false;
    }
}

void TmainForm::wireMemoryButtons()
{
    for (int n = 1; n <= MemoryButtonCount; ++n) {
        QPushButton* button = bCall[static_cast<size_t>(n - 1)];
        button->setProperty("memory", n);
        connect(button, &QPushButton::clicked, this, [this, n] { guarded([&] { m_memories->bCallClick(n); }); });
        button->installEventFilter(this);
    }
}

// A real move of the focus onto a memory button announces it, not the window coming back to the front;
// Space never activates one, Enter does.
bool TmainForm::filterMemoryButtonEvent(QPushButton* button, QEvent* event)
{
    const int n = button->property("memory").toInt();
    if (event->type() == QEvent::FocusIn) {
        if (!m_focusMovesQuietly && FocusAnnouncer::focusReallyMoved(static_cast<QFocusEvent*>(event)->reason()))
            guarded([&] { m_memories->bCallEnter(n); });
        return false;
    }
    if (event->type() != QEvent::KeyPress && event->type() != QEvent::KeyRelease)
        return false;
    auto* key = static_cast<QKeyEvent*>(event);
    if (MemoryPanel::bCall1KeyDown(key->key()) == 0)
        return true;
    return pressOnEnter(button, key);
}

// Enter presses the focused button as a click does, once however long it is held. The buttons are no dialog's
// default buttons, so Qt itself would let Enter pass them by.
bool TmainForm::pressOnEnter(QPushButton* button, QKeyEvent* key)
{
    if (key->key() != Qt::Key_Return && key->key() != Qt::Key_Enter)
        return false;
    if (key->type() == QEvent::KeyPress && !key->isAutoRepeat())
        button->click();
    return true;
}

// Each timer's interval, handler and starter are in the timer table (platform/TimerTable.h).
void TmainForm::wireTimers()
{
    auto on = [this](Timer& timer, auto handler) {
        connect(&timer, &Timer::timeout, this, [this, handler] { guarded(handler); });
    };
    on(m_startUp->startUpTimer(), [this] { m_startUp->StartUpTimerTimer(); });
    on(m_away->replyTimer(), [this] { m_away->Timer1Timer(); });
    on(m_chatLine->clearTextTimer(), [this] { m_chatLine->TimerClearTextTimer(); });
    on(m_transmit->txTimer(), [this] { m_transmit->TxTimerTimer(); });
    on(m_connections->disconnectTimer(), [this] { m_connections->DisconnectTimerTimer(); });
    on(m_shutDown->shutDownTimer(), [this] { m_shutDown->ShutDownTimerTimer(); });
    on(m_shutDown->shutdownTimer2(), [this] { m_shutDown->ShutdownTimer2Timer(); });
}

void TmainForm::wireSession()
{
    EchoLinkSession* session = m_session.get();
    auto on = [this, session](auto signal, auto handler) {
        connect(session, signal, this, [this, handler](auto... args) { guarded([&] { handler(args...); }); });
    };
    using S = EchoLinkSession;
    on(&S::OnClosing, [this] { m_shutDown->elEchoLinkSessionClosing(); });
    // A garbled message from EchoLink is worth a line for whoever reads the log back, not a spoken
    // interruption.
    on(&S::OnProtocolError, [this](const QString& message) {
        m_panes->AddChatLineQuietly(QStringLiteral("EchoLink sent a message Corvane could not read: ") + message);
    });
    on(&S::OnTX, [this](bool on) { m_transmit->elEchoLinkSessionTX(on); });
    on(&S::OnConnected, [this](const QString& call, const QString& name, const QString& address) {
        m_connections->elEchoLinkSessionConnected(call, name, address);
    });
    on(&S::OnDisconnected, [this](const QString& call) { m_connections->elEchoLinkSessionDisconnected(call); });
    on(&S::OnStationListReceived, [this] { m_stations->elEchoLinkSessionStationListReceived(); });
    on(&S::OnChatTextReceived, [this](const QString& text) { m_chatLine->elEchoLinkSessionChatTextReceived(text); });
    on(&S::OnStationTextReceived,
       [this](const QString& text) { m_stations->elEchoLinkSessionStationTextReceived(text); });
    on(&S::OnAlarm,
       [this](const QString& station, int status) { m_stations->elEchoLinkSessionAlarm(station, status); });
    on(&S::OnLinkStatusChange, [this](bool enabled) { m_transmit->elEchoLinkSessionLinkStatusChange(enabled); });
}

void TmainForm::guarded(const std::function<void()>& handler)
{
    try {
        handler();
    } catch (...) {
        reportException(std::current_exception());
    }
}

void TmainForm::reportException(const std::exception_ptr& error)
{
    // A failure inside the report itself must not escape into the event loop either.
    try {
        m_shutDown->ApplicationEvents1Exception(errorMessage(error));
    } catch (...) {
    }
}

bool TmainForm::eventFilter(QObject* watched, QEvent* event)
{
    if (auto* button = qobject_cast<QPushButton*>(watched); button && button->property("memory").isValid())
        return filterMemoryButtonEvent(button, event);
    if (filterDisplayAndFocusEvent(watched, event))
        return true;
    if (event->type() == QEvent::FocusIn)
        return false;
    // Typed characters reach the edit lines' handlers through the key preview (MainFormKeys.cpp). A typed
    // space on the Focus box goes no further than the box's own toggling, which Qt does itself; the away box
    // toggles with Space itself too, and cbCheckAwayKeyPress only keeps the typed Space from going on.
    if (event->type() == QEvent::KeyPress && watched == cbCheckAway) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (!key->text().isEmpty())
            AwayReply::cbCheckAwayKeyPress(key->text().at(0));
        return false;
    }
    if (event->type() == QEvent::KeyRelease && watched == TrackBarVolume) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (!key->isAutoRepeat())
            guarded([&] { m_options->TrackBarVolumeKeyUp(key->key(), TrackBarVolume->value()); });
    }
    return QMainWindow::eventFilter(watched, event);
}

// The first keys typed go into the chat line, whatever the start-up did with the focus before the window showed.
// The window is not active yet, so the chat line takes the focus silently when it is.
void TmainForm::showEvent(QShowEvent* event)
{
    if (!m_shownBefore && !event->spontaneous()) {
        m_shownBefore = true;
        edtChat->setFocus(Qt::OtherFocusReason);
    }
    QMainWindow::showEvent(event);
}

// A close always ends the program: an error in the close sequence is reported, and the window still goes.
void TmainForm::closeEvent(QCloseEvent* event)
{
    guarded([this] { m_shutDown->FormClose(); });
    event->accept();
}

Panes& TmainForm::panes()
{
    return *m_panes;
}

void TmainForm::openLink(const QString& url)
{
    m_services.platform->openUrl(url);
}

// --- what the controllers show

void TmainForm::showStationCount(const QString& count)
{
    ScreenReader::showText(lblStationCount, count);
}

void TmainForm::showConnectionInfo(const QString& info)
{
    ScreenReader::showText(lblConnInfo, ChatPanes::shownPart(info, ChatPanes::Rest::NotShown));
}

void TmainForm::showLookUpPath(const QString& path)
{
    m_lookUpAddress = QStringLiteral("https://callbook.example.net") + path;
    ScreenReader::showText(QRZLinkLabel, QStringLiteral("<a href=\"%1\">%1</a>").arg(m_lookUpAddress.toHtmlEscaped()));
}

void TmainForm::setWindowColor(quint32 bgr)
{
    m_color = bgr;
    QPalette palette = this->palette();
    palette.setColor(QPalette::Window, toColor(bgr));
    setPalette(palette);
    setAutoFillBackground(true);
}

namespace {
QPushButton* buttonFor(ConnectionView::Button button, QPushButton* txRx, QPushButton* all, QPushButton* last,
                       QPushButton* reconnect)
{
    switch (button) {
    case ConnectionView::Button::TxRx:
        return txRx;
    case ConnectionView::Button::DisconnectAll:
        return all;
    case ConnectionView::Button::DisconnectLast:
        return last;
    case ConnectionView::Button::ReConnect:
        return reconnect;
    }
    return txRx;
}
} // namespace

void TmainForm::setButtonEnabled(Button button, bool enabled)
{
    setEnabledQuietly(buttonFor(button, bTxRx, btnDisconnect, btnDisconnectLast, btnLastConnect), enabled);
}

// Qt hands the focus of a control being disabled to the next one in the tab chain. That control was not
// chosen by anyone, so it is not announced; the handlers move the focus where it belongs themselves.
void TmainForm::setEnabledQuietly(QWidget* control, bool enabled)
{
    const bool wasQuiet = m_focusMovesQuietly;
    m_focusMovesQuietly = !enabled && control->hasFocus();
    control->setEnabled(enabled);
    m_focusMovesQuietly = wasQuiet;
}

void TmainForm::enableMemoryButtons()
{
    for (QPushButton* button : bCall)
        button->setEnabled(true);
}

void TmainForm::focusButton(Button button)
{
    buttonFor(button, bTxRx, btnDisconnect, btnDisconnectLast, btnLastConnect)->setFocus(Qt::OtherFocusReason);
}

void TmainForm::focusChatLine()
{
    edtChat->setFocus(Qt::OtherFocusReason);
}

QString TmainForm::chatLineText() const
{
    return edtChat->text();
}

QString TmainForm::focusedControlName() const
{
    QWidget* focused = focusWidget();
    if (!focused)
        return windowTitle();
    const QString name = focused->accessibleName();
    return name.isEmpty() ? focused->objectName() : name;
}

void TmainForm::clearChatLine()
{
    edtChat->clear();
}

void TmainForm::bringToFront()
{
    if (isMinimized())
        showNormal();
    raiseWindow();
}

// An open station directory stays in front with the focus: the station list arrives again and again
// while the operator works in it.
void TmainForm::raiseWindow()
{
    raise();
    QWidget* front = m_directory && m_directory->isVisible() ? static_cast<QWidget*>(m_directory) : this;
    front->raise();
    front->activateWindow();
}

void TmainForm::clearTalker()
{
    QPalette palette = lblTalkingNow->palette();
    palette.setColor(QPalette::Window, toColor(m_display->talkingNowColor()));
    lblTalkingNow->setPalette(palette);
    ScreenReader::showText(lblTalkingNow, QString());
}

void TmainForm::clearStatusTalker()
{
    ScreenReader::showText(StatusBarPanel1, QString());
}

void TmainForm::showTalker(const QString& caption)
{
    QPalette palette = lblTalkingNow->palette();
    palette.setColor(QPalette::Window, toColor(WindowColors::Transmit));
    lblTalkingNow->setPalette(palette);
    ScreenReader::showText(lblTalkingNow, ChatPanes::shownPart(caption, ChatPanes::Rest::NotShown));
}

void TmainForm::showStatusTalker(const QString& text)
{
    ScreenReader::showText(StatusBarPanel1, ChatPanes::shownPart(text, ChatPanes::Rest::NotShown));
}

void TmainForm::showStationPaneEnd()
{
    redtStation->moveCursor(QTextCursor::End);
    redtStation->ensureCursorVisible();
}

void TmainForm::pressTransmit()
{
    bTxRx->click();
}

void TmainForm::showChatLog()
{
    ChatLogViewer viewer(m_journal->chatLog(), QStringLiteral("ChatLog"), this);
    if (m_services.runDialog)
        m_services.runDialog(viewer);
    else
        viewer.exec();
}

QWidget* TmainForm::homeControl() const
{
    return m_roster->isConnected() ? static_cast<QWidget*>(bTxRx) : static_cast<QWidget*>(edtChat);
}

void TmainForm::focusHomeControl()
{
    homeControl()->setFocus(Qt::OtherFocusReason);
}

namespace {
void setPointSize(QWidget* widget, int size)
{
    QFont font = widget->font();
    font.setPointSize(std::max(size, 1));
    widget->setFont(font);
}
} // namespace

void TmainForm::applyContentFontSize(int size, bool includeAbsent)
{
    setPointSize(redtChat, size);
    setPointSize(edtChat, size);
    setPointSize(redtStation, size);
    if (includeAbsent)
        setPointSize(edtAbsent, size);
    keepPanesReadable();
    ScreenReader::showText(lblFontSize, QString::number(size));
}

// At large sizes the panes must still show several whole lines: the window grows instead of the controls
// around the panes squeezing them (and the volume bar) down.
void TmainForm::keepPanesReadable()
{
    const int lines = QFontMetrics(redtChat->font()).lineSpacing() * PaneMinimumLines;
    Splitter1->setMinimumHeight(lines + 2 * redtChat->frameWidth());
}

int TmainForm::fontSize() const
{
    return btnUpDown->value();
}

quint32 TmainForm::talkingNowBackground() const
{
    return fromColor(lblTalkingNow->palette().color(QPalette::Window));
}

void TmainForm::showTransmitBar()
{
    TxTimeFill->show();
}

void TmainForm::setTransmitBarValue(int value)
{
    TxTimeFill->setValue(value);
}

void TmainForm::setControlColor(const QString& objectName, ColorSchemes::ColorRole role, quint32 bgr)
{
    auto* widget = findChild<QWidget*>(objectName);
    if (!widget)
        return;
    // Labels and check boxes paint with the window roles, edit lines and panes with the text roles.
    const bool font = role == ColorSchemes::ColorRole::Font;
    const QPalette::ColorRole roles[2]
        = { font ? QPalette::Text : QPalette::Base, font ? QPalette::WindowText : QPalette::Window };
    QPalette palette = widget->palette();
    for (QPalette::ColorRole r : roles)
        palette.setColor(r, toColor(bgr));
    widget->setPalette(palette);
    if (!font && qobject_cast<QLabel*>(widget))
        widget->setAutoFillBackground(true);
}

void TmainForm::showClock(ClockFace face, const QString& date, const QString& time)
{
    QLabel* clock = face == ClockFace::Universal ? ClockUniversalTime : ClockLocalTime;
    // The date small over the time, so that both fit the clock's 78 pixels.
    ScreenReader::showText(clock,
                           QStringLiteral("<div style=\"font-size:14px\">%1</div><div>%2</div>")
                               .arg(date.toHtmlEscaped(), time.toHtmlEscaped()));
}

QString TmainForm::lookUpAddress() const
{
    return m_lookUpAddress;
}

void TmainForm::hideTransmitBar()
{
    TxTimeFill->hide();
    TxTimeFill->setValue(100);
}

// The content panes and edit lines take Calibri where it is installed; only the typeface lasts, since the
// start-up sets the sizes again.
void TmainForm::adaptFonts()
{
    const QString calibri = QStringLiteral("Calibri");
    if (!QFontDatabase::families().contains(calibri, Qt::CaseInsensitive))
        return;
    for (QWidget* w : std::initializer_list<QWidget*> { redtStation, redtChat, edtAbsent, edtChat }) {
        QFont font = w->font();
        if (font.family().compare(calibri, Qt::CaseInsensitive) == 0)
            continue;
        font.setFamily(calibri);
        if (font.pointSize() > 0)
            font.setPointSize(font.pointSize() + 2);
        w->setFont(font);
    }
}

void TmainForm::appendToTitle(const QString& text)
{
    setWindowTitle(windowTitle() + text);
}

void TmainForm::enableKeyPreview()
{
    m_keyPreview = true;
}

void TmainForm::showVolumeLevel(int level)
{
    TrackBarVolume->setValue(level);
}

void TmainForm::setFontSizeRange(int minimum, int maximum)
{
    btnUpDown->setMaximum(maximum);
    btnUpDown->setMinimum(minimum);
}

void TmainForm::restoreSavedSize()
{
    const QSize frame = frameGeometry().size() - size();
    QSize wanted = size();
    if (m_savedSize.width() >= 0)
        wanted.setWidth(m_savedSize.width() - frame.width());
    if (m_savedSize.height() >= 0)
        wanted.setHeight(m_savedSize.height() - frame.height());
    // The minimum as the fonts now make it, not as it was before the start-up changed them.
    centralWidget()->layout()->activate();
    layout()->activate();
    resize(wanted.expandedTo(minimumSize()));
}

void TmainForm::closeWindow()
{
    // A window already closed gets no second close event from Qt, but a second close request still runs the
    // close sequence, as EchoLink closing first relies on (the settings are saved again).
    if (isVisible())
        close();
    else
        m_shutDown->FormClose();
}

void TmainForm::showMemoryCaption(int button, const QString& caption)
{
    if (button < 1 || button > MemoryButtonCount)
        return;
    QPushButton* memory = bCall[static_cast<size_t>(button - 1)];
    memory->setText(MemoryButtons::buttonText(caption));
    memory->setAccessibleName(MemoryButtons::accessibleName(caption, button));
}

QString TmainForm::absentText() const
{
    return edtAbsent->text();
}

void TmainForm::setAbsentText(const QString& text)
{
    edtAbsent->setText(text);
}

QCheckBox* TmainForm::optionBox(Box box) const
{
    switch (box) {
    case Box::Away:
        return cbCheckAway;
    case Box::Speak:
        return SpeakCheckBox;
    case Box::ButtonAnnounce:
        return ButtonAnnounceCheckBox;
    case Box::KeySpeak:
        return KeySpeakCheckBox;
    }
    return cbCheckAway;
}

bool TmainForm::boxChecked(Box box) const
{
    return optionBox(box)->isChecked();
}

// The box's toggled signal runs its click behaviour.
void TmainForm::setBoxChecked(Box box, bool checked)
{
    optionBox(box)->setChecked(checked);
}
