#include "app/MainForm.h"

#include "chat/ChatLog.h"
#include "platform/Clock.h"
#include "echolink/EchoLinkSession.h"
#include "app/IniFile.h"
#include "platform/Platform.h"
#include "speech/Voice.h"

#include <QAccessible>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QFontDatabase>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QProgressBar>
#include <QPushButton>
#include <QSlider>
#include <QSpinBox>
#include <QSplitter>
#include <QStatusBar>
#include <QTextBrowser>
#include <QVBoxLayout>

namespace {

const char* const WelcomeText[] = {
    "Welcome to Corvane. Release of 9 December 2026.",
    "",
    "Corvane is a large-print, talking front panel for EchoLink.",
    "Every control can be reached with the keyboard and announces itself.",
    "",
    "Getting started:",
    "Resize this window with the mouse or the window menu; the panes grow with it.",
    "Press F10 to step through the colour schemes and choose the one you see best.",
    "Set the font size with the up/down button at the bottom left.",
    "",
    "Important:",
    "EchoLink must store its password locally and log on by itself,",
    "or Corvane cannot connect to it.",
    "",
    "What is new:",
    "Received text messages are logged in the chat log (View Log).",
    "The talking station is shown in the top middle panel.",
    "",
    "Commands:",
    "The commands document is in the Corvane folder of your documents,",
    "next to the settings file Corvane.ini.",
    "",
    "Keys:",
    "F2 speaks the text of this pane once.",
    "Backspace stops speech.",
    "Holding F2 down repeats it.",
    "F5 to F8 switch away mode and the speech options.",
    "Tab moves through the controls; each one says its name.",
    "",
    "Type a callsign or node number in the chat line and press Enter to connect.",
    "During a QSO, Enter sends the chat line as a text message,",
    "and Space in an empty chat line switches transmit on and off.",
    "",
    "The memory buttons below hold forty callsigns for one-key connection.",
    "",
    "Good DX, and enjoy your contacts.",
    "73",
    "",
    "This text will be replaced by station",
    "info when you connect to a station.",
};

QPushButton* makeButton(QWidget* parent, const char* name, const QString& caption)
{
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(QString::fromLatin1(name));
    button->setAutoDefault(false);
    return button;
}

QCheckBox* makeCheckBox(QWidget* parent, const char* name, const QString& caption, bool checked)
{
    auto* box = new QCheckBox(caption, parent);
    box->setObjectName(QString::fromLatin1(name));
    box->setChecked(checked);
    return box;
}

QLabel* makeLabel(QWidget* parent, const char* name, const QString& caption)
{
    auto* label = new QLabel(caption, parent);
    label->setObjectName(QString::fromLatin1(name));
    return label;
}

void setLabelColors(QLabel* label, const QColor& background, const QColor& text)
{
    QPalette palette = label->palette();
    palette.setColor(QPalette::Window, background);
    palette.setColor(QPalette::WindowText, text);
    label->setPalette(palette);
    label->setAutoFillBackground(true);
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
    , m_ini(std::make_unique<IniFile>())
    , m_chatLog(std::make_unique<ChatLog>())
{
    setObjectName(QStringLiteral("mainForm"));
    setWindowTitle(QStringLiteral("Corvane"));
    buildControls();
    buildTimers();
    setTabOrder();
    describeForScreenReaders();
    connectSession();
    resize(1024, 736);
}

TmainForm::~TmainForm() = default;

void TmainForm::buildControls()
{
    auto* central = new QWidget(this);
    central->setObjectName(QStringLiteral("pnlMain"));
    setCentralWidget(central);
    auto* layout = new QVBoxLayout(central);

    // Top row: the two clocks either side of the connection and talker labels.
    auto* top = new QHBoxLayout;
    ClockUniversalTime = makeLabel(central, "ClockUniversalTime", QString());
    ClockLocalTime = makeLabel(central, "ClockLocalTime", QString());
    for (QLabel* clock : { ClockUniversalTime, ClockLocalTime }) {
        setLabelColors(clock, Qt::black, Qt::white);
        clock->setMinimumWidth(140);
        clock->setAlignment(Qt::AlignCenter);
    }
    lblConnInfo = makeLabel(central, "lblConnInfo", QString());
    lblConnInfo->setWordWrap(true);
    setLabelColors(lblConnInfo, Qt::white, Qt::blue);
    lblTalkingNow = makeLabel(central, "lblTalkingNow", QString());
    setLabelColors(lblTalkingNow, Qt::white, Qt::yellow);
    auto* middleTop = new QVBoxLayout;
    middleTop->addWidget(lblConnInfo);
    middleTop->addWidget(lblTalkingNow);
    top->addWidget(ClockUniversalTime);
    top->addLayout(middleTop, 1);
    top->addWidget(ClockLocalTime);
    layout->addLayout(top);

    // Centre: the connection buttons and volume on the left, the two panes behind the splitter.
    auto* centre = new QHBoxLayout;
    auto* left = new QVBoxLayout;
    lblStationCount = makeLabel(central, "lblStationCount", QStringLiteral("0"));
    btnDisconnectLast = makeButton(central, "btnDisconnectLast", QStringLiteral("Disconnect Last"));
    btnDisconnectLast->setToolTip(
        QStringLiteral("Disconnect from last Station to Connect in a Conference hosted by this station!"));
    btnDisconnect = makeButton(central, "btnDisconnect", QStringLiteral("Disconnect All"));
    btnLastConnect = makeButton(central, "btnLastConnect", QStringLiteral("ReConnect"));
    bTxRx = makeButton(central, "bTxRx", QStringLiteral("Tx/Rx"));
    TrackBarVolume = new QSlider(Qt::Vertical, central);
    TrackBarVolume->setObjectName(QStringLiteral("TrackBarVolume"));
    TrackBarVolume->setRange(-100, 0);
    TrackBarVolume->setValue(-80);
    TrackBarVolume->setSingleStep(10);
    TrackBarVolume->setPageStep(0);
    TrackBarVolume->setTickInterval(5);
    TrackBarVolume->setTickPosition(QSlider::TicksBothSides);
    // -100 at the top: moving the thumb up (the Up key) makes speech louder.
    TrackBarVolume->setInvertedAppearance(true);
    TrackBarVolume->setInvertedControls(true);
    for (QWidget* w :
         std::initializer_list<QWidget*> { lblStationCount, btnDisconnectLast, btnDisconnect, btnLastConnect, bTxRx })
        left->addWidget(w);
    left->addWidget(TrackBarVolume, 1, Qt::AlignHCenter);
    centre->addLayout(left);

    Splitter1 = new QSplitter(Qt::Horizontal, central);
    Splitter1->setObjectName(QStringLiteral("Splitter1"));
    Splitter1->setStyleSheet(QStringLiteral("QSplitter::handle { background: black; }"));
    Splitter1->setHandleWidth(6);
    redtChat = new QTextBrowser(Splitter1);
    redtChat->setObjectName(QStringLiteral("redtChat"));
    redtStation = new QTextBrowser(Splitter1);
    redtStation->setObjectName(QStringLiteral("redtStation"));
    for (QTextBrowser* pane : { redtChat, redtStation }) {
        pane->setOpenLinks(false);
        pane->setOpenExternalLinks(false);
        pane->setFocusPolicy(Qt::ClickFocus);
        pane->setUndoRedoEnabled(false);
        connect(pane, &QTextBrowser::anchorClicked, this,
                [this](const QUrl& url) { guarded([&] { openLink(url.toString()); }); });
    }
    for (const char* line : WelcomeText)
        redtStation->append(QString::fromUtf8(line).toHtmlEscaped());
    Splitter1->addWidget(redtChat);
    Splitter1->addWidget(redtStation);
    Splitter1->setSizes({ 411, 560 });
    centre->addWidget(Splitter1, 1);
    layout->addLayout(centre, 1);

    edtChat = new QLineEdit(central);
    edtChat->setObjectName(QStringLiteral("edtChat"));
    layout->addWidget(edtChat);

    auto* options = new QHBoxLayout;
    cbCheckAway = makeCheckBox(central, "cbCheckAway", QStringLiteral("Away  F5"), false);
    SpeakCheckBox = makeCheckBox(central, "SpeakCheckBox", QStringLiteral("Speak F6"), true);
    ButtonAnnounceCheckBox = makeCheckBox(central, "ButtonAnnounceCheckBox", QStringLiteral("Button Speak F7"), true);
    KeySpeakCheckBox = makeCheckBox(central, "KeySpeakCheckBox", QStringLiteral("Key Speak F8"), false);
    for (QCheckBox* box : { cbCheckAway, SpeakCheckBox, ButtonAnnounceCheckBox, KeySpeakCheckBox })
        options->addWidget(box);
    options->addStretch(1);
    layout->addLayout(options);

    pnlCalls = new QFrame(central);
    pnlCalls->setObjectName(QStringLiteral("pnlCalls"));
    pnlCalls->setAutoFillBackground(true);
    QPalette black = pnlCalls->palette();
    black.setColor(QPalette::Window, Qt::black);
    pnlCalls->setPalette(black);
    auto* grid = new QGridLayout(pnlCalls);
    grid->setSpacing(2);
    for (int i = 0; i < 40; ++i) {
        const QString name = QStringLiteral("bCall%1").arg(i + 1);
        bCall[i] = makeButton(pnlCalls, name.toLatin1().constData(), name);
        grid->addWidget(bCall[i], i / 10, i % 10);
    }
    layout->addWidget(pnlCalls);

    edtAbsent = new QLineEdit(
        QStringLiteral("Sorry I am out of the shack. Please leave, type a text message and I will call you back."),
        central);
    edtAbsent->setObjectName(QStringLiteral("edtAbsent"));
    layout->addWidget(edtAbsent);

    auto* bottom = new QHBoxLayout;
    btnUpDown = new QSpinBox(central);
    btnUpDown->setObjectName(QStringLiteral("btnUpDown"));
    btnUpDown->setRange(0, 100);
    btnUpDown->setValue(12);
    lblFontSize = makeLabel(central, "lblFontSize", QStringLiteral("10"));
    Button1 = makeButton(central, "Button1", QStringLiteral("Play Sound"));
    btnChatClear = makeButton(central, "btnChatClear", QStringLiteral("Clear Text"));
    TxTimeFill = new QProgressBar(central);
    TxTimeFill->setObjectName(QStringLiteral("TxTimeFill"));
    TxTimeFill->setRange(0, 100);
    TxTimeFill->setValue(0);
    SpeechEnableCheckBox = makeCheckBox(central, "SpeechEnableCheckBox", QStringLiteral("Speech Enable"), true);
    FocusToFrontCheckBox = makeCheckBox(central, "FocusToFrontCheckBox", QStringLiteral("Focus"), true);
    QRZLinkLabel = makeLabel(central, "QRZLinkLabel", QString());
    QRZLinkLabel->setTextFormat(Qt::RichText);
    QRZLinkLabel->setTextInteractionFlags(Qt::LinksAccessibleByMouse);
    connect(QRZLinkLabel, &QLabel::linkActivated, this,
            [this](const QString& link) { guarded([&] { openLink(link); }); });
    setQrzCaption(QStringLiteral("/db/"));
    Button2 = makeButton(central, "Button2", QStringLiteral("View Log"));
    for (QWidget* w :
         std::initializer_list<QWidget*> { btnUpDown, lblFontSize, Button1, btnChatClear, TxTimeFill,
                                           SpeechEnableCheckBox, FocusToFrontCheckBox, QRZLinkLabel, Button2 })
        bottom->addWidget(w);
    layout->addLayout(bottom);

    StatusBarPanel0 = makeLabel(this, "StatusBarPanel0", QStringLiteral("Station Talking "));
    StatusBarPanel0->setFixedWidth(90);
    StatusBarPanel1 = makeLabel(this, "StatusBarPanel1", QString());
    StatusBarPanel1->setMinimumWidth(400);
    statusBar()->setObjectName(QStringLiteral("StatusBar1"));
    statusBar()->addWidget(StatusBarPanel0);
    statusBar()->addWidget(StatusBarPanel1);

    // Controls the Tab key skips still take the focus by mouse.
    for (QWidget* w : std::initializer_list<QWidget*> { btnUpDown, Button1, btnChatClear, TxTimeFill, Button2,
                                                        FocusToFrontCheckBox, QRZLinkLabel })
        w->setFocusPolicy(Qt::ClickFocus);

    // Wiring: every handler runs inside the exception guard.
    auto on = [this](auto* sender, auto signal, void (TmainForm::*handler)()) {
        connect(sender, signal, this, [this, handler] { guarded([&] { (this->*handler)(); }); });
    };
    on(FocusToFrontCheckBox, &QCheckBox::toggled, &TmainForm::FocusToFrontCheckBoxClick);
    on(SpeechEnableCheckBox, &QCheckBox::toggled, &TmainForm::SpeechEnableCheckBoxClick);
    on(SpeakCheckBox, &QCheckBox::toggled, &TmainForm::SpeakCheckBoxClick);
    on(ButtonAnnounceCheckBox, &QCheckBox::toggled, &TmainForm::ButtonAnnounceCheckBoxClick);
    on(KeySpeakCheckBox, &QCheckBox::toggled, &TmainForm::KeySpeakCheckBoxClick);
    on(TrackBarVolume, &QSlider::valueChanged, &TmainForm::TrackBarVolumeChange);
    on(Button1, &QPushButton::clicked, &TmainForm::Button1Click);
    on(Button2, &QPushButton::clicked, &TmainForm::Button2Click);
    on(btnChatClear, &QPushButton::clicked, &TmainForm::btnChatClearClick);
    on(btnLastConnect, &QPushButton::clicked, &TmainForm::btnLastConnectClick);
    on(btnDisconnect, &QPushButton::clicked, &TmainForm::btnDisconnectClick);
    on(btnDisconnectLast, &QPushButton::clicked, &TmainForm::btnDisconnectLastClick);
    on(bTxRx, &QPushButton::clicked, &TmainForm::bTxRxClick);
    for (QPushButton* button : bCall) {
        connect(button, &QPushButton::clicked, this, [this, button] { guarded([&] { DoConnect(button->text()); }); });
    }

    for (QWidget* w : std::initializer_list<QWidget*> { edtChat, FocusToFrontCheckBox, TrackBarVolume })
        w->installEventFilter(this);
}

void TmainForm::buildTimers()
{
    Clock& clock = *m_services.clock;
    auto make = [&](int interval, void (TmainForm::*handler)()) {
        auto* timer = new Timer(clock, interval, this);
        if (handler)
            connect(timer, &Timer::timeout, this, [this, handler] { guarded([&] { (this->*handler)(); }); });
        return timer;
    };
    StartUpTimer = make(1000, &TmainForm::StartUpTimerTimer);
    Timer1 = make(5000, nullptr);
    TimerClearText = make(300, &TmainForm::TimerClearTextTimer);
    TimerCheckBoxTimeOut = make(10000, nullptr);
    TimerF9TimeOut = make(600000, nullptr);
    ShutDownTimer = make(15000, nullptr);
    ShutdownTimer2 = make(2000, nullptr);
    TxTimer = make(1800, nullptr);
    DisconnectTimer = make(3000, &TmainForm::DisconnectTimerTimer);
    // The transmit bar's timer runs from creation until the attach step stops it.
    TxTimer->start();
}

void TmainForm::setTabOrder()
{
    QList<QWidget*> order { edtChat, btnLastConnect, btnDisconnect, btnDisconnectLast, bTxRx, TrackBarVolume };
    for (QPushButton* button : bCall)
        order << button;
    order << cbCheckAway << SpeakCheckBox << ButtonAnnounceCheckBox << KeySpeakCheckBox << edtAbsent
          << SpeechEnableCheckBox;
    for (int i = 0; i + 1 < order.size(); ++i)
        QWidget::setTabOrder(order[i], order[i + 1]);
    QWidget::setTabOrder(SpeechEnableCheckBox, edtChat);
}

void TmainForm::describeForScreenReaders()
{
    struct Description
    {
        QWidget* widget;
        const char* name;
        const char* description;
    };
    const Description descriptions[] = {
        { ClockUniversalTime, "Universal time", "Clock showing the date and time in UTC" },
        { ClockLocalTime, "Local time", "Clock showing the local date and time" },
        { lblConnInfo, "Connection information", "Callsigns and names of the connected stations" },
        { lblTalkingNow, "Talking now", "The station that is talking now" },
        { lblStationCount, "Station count", "Number of connected stations" },
        { btnDisconnectLast, "Disconnect Last", "Disconnect the station that connected last" },
        { btnDisconnect, "Disconnect All", "Disconnect all stations. Control D" },
        { btnLastConnect, "ReConnect",
          "Connect again to the last station, or to the callsign in the chat line. Alt R" },
        { bTxRx, "Transmit or receive", "Switch the transmitter on or off" },
        { redtChat, "Chat pane", "Received and sent chat text and messages" },
        { redtStation, "Station pane", "Information text of the connected station" },
        { edtChat, "Chat line",
          "Type chat text and press Enter to send it; with no station connected, a callsign or node number to "
          "connect" },
        { TrackBarVolume, "Speech volume", "Up and Down arrow keys change the speech volume" },
        { cbCheckAway, "Away", "Answer new stations with the away message. F5" },
        { SpeakCheckBox, "Speak messages", "Speak received messages. F6" },
        { ButtonAnnounceCheckBox, "Button speak", "Announce controls when they get the focus. F7" },
        { KeySpeakCheckBox, "Key speak", "Echo typed keys by speech. F8" },
        { pnlCalls, "Memory buttons", "Forty memory buttons holding callsigns" },
        { edtAbsent, "Away message", "Message sent to stations that connect while away mode is on" },
        { btnUpDown, "Font size", "Font size of the text panes" },
        { lblFontSize, "Font size value", "The current font size" },
        { Button1, "Play Sound", "Play the time-out sound and a volume test message" },
        { btnChatClear, "Clear Text", "Empty the chat and station panes" },
        { TxTimeFill, "Transmit time", "Time left in the current transmission" },
        { SpeechEnableCheckBox, "Speech enable", "Switch all speech on or off" },
        { FocusToFrontCheckBox, "Focus", "Bring the window to the front when the station list updates" },
        { QRZLinkLabel, "Callsign look-up", "Web page with details of the connected station" },
        { Button2, "View Log", "Show the chat log" },
        { StatusBarPanel0, "Station talking label", "" },
        { StatusBarPanel1, "Station talking", "The station that is talking now" },
    };
    for (const Description& d : descriptions) {
        d.widget->setAccessibleName(QString::fromUtf8(d.name));
        d.widget->setAccessibleDescription(QString::fromUtf8(d.description));
    }
    for (int i = 0; i < 40; ++i) {
        bCall[i]->setAccessibleName(QStringLiteral("Memory %1").arg(i + 1));
        bCall[i]->setAccessibleDescription(QStringLiteral("Connect to the callsign stored in memory %1").arg(i + 1));
    }
}

void TmainForm::connectSession()
{
    EchoLinkSession* session = m_services.session;
    auto on = [this, session](auto signal, auto handler) {
        connect(session, signal, this, [this, handler](auto... args) { guarded([&] { (this->*handler)(args...); }); });
    };
    on(&EchoLinkSession::OnClosing, &TmainForm::elEchoLinkSessionClosing);
    on(&EchoLinkSession::OnTX, &TmainForm::elEchoLinkSessionTX);
    on(&EchoLinkSession::OnConnected, &TmainForm::elEchoLinkSessionConnected);
    on(&EchoLinkSession::OnDisconnected, &TmainForm::elEchoLinkSessionDisconnected);
    on(&EchoLinkSession::OnStationListReceived, &TmainForm::elEchoLinkSessionStationListReceived);
    on(&EchoLinkSession::OnChatTextReceived, &TmainForm::elEchoLinkSessionChatTextReceived);
    on(&EchoLinkSession::OnStationTextReceived, &TmainForm::elEchoLinkSessionStationTextReceived);
    on(&EchoLinkSession::OnAlarm, &TmainForm::elEchoLinkSessionAlarm);
    on(&EchoLinkSession::OnLinkStatusChange, &TmainForm::elEchoLinkSessionLinkStatusChange);
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

// The window always has its own taskbar entry, hands activation to a modal dialog that owns the input, and
// minimises and restores itself: Qt's top-level windows already behave so on every Linux desktop, so the
// window-creation and window-message overrides of the original platform have nothing left to do here.

void TmainForm::setWindowColor(quint32 bgr)
{
    m_color = bgr;
    QPalette palette = this->palette();
    palette.setColor(QPalette::Window, WindowColors::toColor(bgr));
    setPalette(palette);
    setAutoFillBackground(true);
}

void TmainForm::FocusToFrontCheckBoxClick()
{
    if (FocusToFrontCheckBox->isChecked()) {
        state.NotBringToFront = false;
        SpeakToMeNow(QStringLiteral(
            "Station List Update, Will Bring Corvane to Front. Or Flash Task bar Icon. With, Windows seven"));
    } else {
        state.NotBringToFront = true;
        SpeakToMeNow(QStringLiteral("Corvane will Not Come To Front. Or Flash. When Station List Up Dates"));
    }
    focusHomeControl();
}

void TmainForm::FocusToFrontCheckBoxEnter()
{
    m_services.platform->beep();
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
        ApplicationEvents1Exception(errorMessage(error));
    } catch (...) {
    }
}

void TmainForm::ApplicationEvents1Exception(const QString& message)
{
    AppendChatLine(QStringLiteral(">Application Exception ") + message);
    edtChat->clear();
    if (!SpeechEnableCheckBox->isChecked())
        return;
    try {
        m_services.voice->speak(message + QStringLiteral("Application Exception "), 1);
    } catch (const std::exception& e) {
        AddChatLineQuietly(QString::fromUtf8(e.what())
                           + QStringLiteral(" Microsoft Speech Not installed or Disabled."));
    }
}

bool TmainForm::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::FocusIn) {
        if (watched == FocusToFrontCheckBox)
            guarded([this] { FocusToFrontCheckBoxEnter(); });
        return false;
    }
    if (event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (watched == edtChat) {
            QChar typed;
            if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter)
                typed = QChar(u'\r');
            else if (!key->text().isEmpty())
                typed = key->text().at(0);
            if (!typed.isNull())
                guarded([&] { edtChatKeyPress(typed); });
        }
        // A typed space on the Focus box goes no further than the box's own toggling, which Qt does itself.
        return false;
    }
    if (event->type() == QEvent::KeyRelease && watched == TrackBarVolume) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (!key->isAutoRepeat())
            guarded([&] { TrackBarVolumeKeyUp(key->key()); });
    }
    return QMainWindow::eventFilter(watched, event);
}

void TmainForm::closeEvent(QCloseEvent* event)
{
    bool completed = false;
    guarded([&] {
        FormClose();
        completed = true;
    });
    // A close sequence stopped by an error leaves the window open, so the next close runs it again.
    if (completed)
        event->accept();
    else
        event->ignore();
}

void TmainForm::letPendingMessagesRun()
{
    QCoreApplication::processEvents();
}

QString TmainForm::timeText() const
{
    // The locale's long time of day without the time-zone name: hours, minutes and seconds.
    QString format = QLocale::system().timeFormat(QLocale::LongFormat);
    format.remove(QLatin1Char('t'));
    format = format.trimmed();
    if (format.isEmpty())
        format = QStringLiteral("HH:mm:ss");
    return QLocale::system().toString(m_services.clock->now().time(), format);
}

QString TmainForm::lookUpAddress() const
{
    return QStringLiteral("https://callbook.example.net");
}

void TmainForm::setQrzCaption(const QString& path)
{
    const QString address = lookUpAddress() + path;
    QRZLinkLabel->setText(QStringLiteral("<a href=\"%1\">%1</a>").arg(address.toHtmlEscaped()));
}

void TmainForm::openLink(const QString& url)
{
    m_services.platform->openUrl(url);
}

void TmainForm::FormClose()
{
    if (state.SettingsLoaded)
        SaveSettings();
    if (!state.EchoLinkAttached)
        return;
    SpeakToMeNowSync(QStringLiteral("Corvane  and Echo link Closing Please wait"));
    m_services.session->DisconnectAll();
    letPendingMessagesRun();
    m_services.session->Shutdown();
    letPendingMessagesRun();
    // From here on no EchoLink event reaches the window.
    disconnect(m_services.session, nullptr, this, nullptr);
    state.EchoLinkAttached = false;
    letPendingMessagesRun();
    addLogEntry(QStringLiteral("Log Closed"), QStringLiteral("Corvane Closing"));
    letPendingMessagesRun();
}
