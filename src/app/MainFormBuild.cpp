// Building the window's controls from the control table.
#include "app/ControlTable.h"
#include "app/MainForm.h"
#include "app/ScreenReader.h"
#include "app/WelcomeText.h"

#include <QCheckBox>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QProgressBar>
#include <QPushButton>
#include <QSlider>
#include <QSpinBox>
#include <QSplitter>
#include <QStatusBar>
#include <QTextBrowser>
#include <QVBoxLayout>

namespace {

template<class W> W* makeControl(QWidget* parent, const char* name)
{
    auto* widget = new W(parent);
    widget->setObjectName(QString::fromLatin1(name));
    return widget;
}

QPushButton* makeButton(QWidget* parent, const QString& name)
{
    auto* button = new QPushButton(controlRow(name).caption, parent);
    button->setObjectName(name);
    button->setAutoDefault(false);
    return button;
}

QCheckBox* makeCheckBox(QWidget* parent, const char* name)
{
    const QString objectName = QString::fromLatin1(name);
    const ControlRow& control = controlRow(objectName);
    auto* box = new QCheckBox(control.caption, parent);
    box->setObjectName(objectName);
    box->setChecked(control.initiallyChecked);
    return box;
}

// Labels show text from outside (callsigns, names, station text): always as plain text, so that nothing a
// station sends is ever laid out as markup or makes the window load a resource.
QLabel* makeLabel(QWidget* parent, const char* name)
{
    const QString objectName = QString::fromLatin1(name);
    const ControlRow& control = controlRow(objectName);
    auto* label = new QLabel(parent);
    label->setObjectName(objectName);
    label->setTextFormat(Qt::PlainText);
    // A screen reader reads a changing text with the label's name.
    if (control.textChanges)
        ScreenReader::readTextOf(label, control.accessibleName);
    label->setText(control.caption);
    return label;
}

// The black bar between the two panes paints itself. A style sheet on the splitter would do the same but
// would also reach the panes inside it, which then keep the palette they had and ignore every colour scheme.
class BlackHandle : public QSplitterHandle
{
public:
    using QSplitterHandle::QSplitterHandle;

protected:
    void paintEvent(QPaintEvent*) override { QPainter(this).fillRect(rect(), Qt::black); }
};

class PaneSplitter : public QSplitter
{
public:
    using QSplitter::QSplitter;

protected:
    QSplitterHandle* createHandle() override { return new BlackHandle(orientation(), this); }
};

void setLabelColors(QLabel* label, const QColor& background, const QColor& text)
{
    QPalette palette = label->palette();
    palette.setColor(QPalette::Window, background);
    palette.setColor(QPalette::WindowText, text);
    label->setPalette(palette);
    label->setAutoFillBackground(true);
}

} // namespace

void TmainForm::buildControls()
{
    auto* central = new QWidget(this);
    central->setObjectName(QStringLiteral("pnlMain"));
    setCentralWidget(central);
    auto* layout = new QVBoxLayout(central);
    buildTopRow(central, layout);
    buildCentre(central, layout);
    buildOptionsAndMemories(central, layout);
    buildBottomRow(central, layout);
    buildStatusBar();
    m_focusOutline = new FocusOutline(this);

    // Controls the Tab key skips still take the focus by mouse where the table says so.
    for (const ControlRow& control : controlTable()) {
        if (control.clickFocus)
            findChild<QWidget*>(control.objectName)->setFocusPolicy(Qt::ClickFocus);
    }
}

// Top row: the two clocks either side of the connection and talker labels.
void TmainForm::buildTopRow(QWidget* central, QVBoxLayout* layout)
{
    auto* top = new QHBoxLayout;
    ClockUniversalTime = makeLabel(central, "ClockUniversalTime");
    ClockLocalTime = makeLabel(central, "ClockLocalTime");
    for (QLabel* clock : { ClockUniversalTime, ClockLocalTime }) {
        setLabelColors(clock, Qt::black, Qt::yellow);
        // Only the clocks' own markup (date and time) is ever shown in them.
        clock->setTextFormat(Qt::RichText);
        QFont digits = clock->font();
        digits.setPixelSize(48);
        clock->setFont(digits);
        clock->setMinimumWidth(260);
        clock->setFixedHeight(78);
        clock->setAlignment(Qt::AlignCenter);
    }
    lblConnInfo = makeLabel(central, "lblConnInfo");
    lblConnInfo->setWordWrap(true);
    setLabelColors(lblConnInfo, Qt::white, Qt::blue);
    lblTalkingNow = makeLabel(central, "lblTalkingNow");
    setLabelColors(lblTalkingNow, Qt::white, Qt::yellow);
    auto* middleTop = new QVBoxLayout;
    middleTop->addWidget(lblConnInfo);
    middleTop->addWidget(lblTalkingNow);
    top->addWidget(ClockUniversalTime);
    top->addLayout(middleTop, 1);
    top->addWidget(ClockLocalTime);
    layout->addLayout(top);
}

// Centre: the connection buttons and volume on the left, the two panes behind the splitter.
void TmainForm::buildCentre(QWidget* central, QVBoxLayout* layout)
{
    auto* centre = new QHBoxLayout;
    auto* left = new QVBoxLayout;
    lblStationCount = makeLabel(central, "lblStationCount");
    btnDisconnectLast = makeButton(central, QStringLiteral("btnDisconnectLast"));
    btnDisconnectLast->setToolTip(
        QStringLiteral("Disconnect from last Station to Connect in a Conference hosted by this station!"));
    btnDisconnect = makeButton(central, QStringLiteral("btnDisconnect"));
    btnLastConnect = makeButton(central, QStringLiteral("btnLastConnect"));
    bTxRx = makeButton(central, QStringLiteral("bTxRx"));
    TrackBarVolume = new QSlider(Qt::Vertical, central);
    TrackBarVolume->setObjectName(QStringLiteral("TrackBarVolume"));
    ScreenReader::readAsVolume(TrackBarVolume); // before anything asks how it is read
    TrackBarVolume->setRange(-100, 0);
    TrackBarVolume->setValue(-80);
    TrackBarVolume->setSingleStep(10);
    TrackBarVolume->setPageStep(0);
    TrackBarVolume->setTickInterval(5);
    TrackBarVolume->setTickPosition(QSlider::TicksBothSides);
    // -100 at the top: moving the thumb up (the Up key) makes speech louder.
    TrackBarVolume->setInvertedAppearance(true);
    TrackBarVolume->setInvertedControls(true);
    TrackBarVolume->setMinimumHeight(VolumeBarMinimumHeight);
    for (QWidget* w :
         std::initializer_list<QWidget*> { lblStationCount, btnDisconnectLast, btnDisconnect, btnLastConnect, bTxRx })
        left->addWidget(w);
    left->addWidget(TrackBarVolume, 1, Qt::AlignHCenter);
    centre->addLayout(left);

    Splitter1 = new PaneSplitter(Qt::Horizontal, central);
    Splitter1->setObjectName(QStringLiteral("Splitter1"));
    Splitter1->setHandleWidth(6);
    redtChat = makeControl<QTextBrowser>(Splitter1, "redtChat");
    redtStation = makeControl<QTextBrowser>(Splitter1, "redtStation");
    for (int i = 0; i < WelcomeTextLines; ++i)
        redtStation->append(QString::fromUtf8(WelcomeText[i]).toHtmlEscaped());
    Splitter1->addWidget(redtChat);
    Splitter1->addWidget(redtStation);
    Splitter1->setSizes({ 411, 560 });
    centre->addWidget(Splitter1, 1);
    layout->addLayout(centre, 1);

    edtChat = makeControl<QLineEdit>(central, "edtChat");
    layout->addWidget(edtChat);
}

void TmainForm::buildOptionsAndMemories(QWidget* central, QVBoxLayout* layout)
{
    auto* options = new QHBoxLayout;
    cbCheckAway = makeCheckBox(central, "cbCheckAway");
    SpeakCheckBox = makeCheckBox(central, "SpeakCheckBox");
    ButtonAnnounceCheckBox = makeCheckBox(central, "ButtonAnnounceCheckBox");
    KeySpeakCheckBox = makeCheckBox(central, "KeySpeakCheckBox");
    for (QCheckBox* box : { cbCheckAway, SpeakCheckBox, ButtonAnnounceCheckBox, KeySpeakCheckBox })
        options->addWidget(box);
    options->addStretch(1);
    layout->addLayout(options);

    pnlCalls = makeControl<QFrame>(central, "pnlCalls");
    pnlCalls->setAutoFillBackground(true);
    QPalette black = pnlCalls->palette();
    black.setColor(QPalette::Window, Qt::black);
    pnlCalls->setPalette(black);
    auto* grid = new QGridLayout(pnlCalls);
    grid->setSpacing(2);
    for (int i = 0; i < MemoryButtonCount; ++i) {
        bCall[static_cast<size_t>(i)] = makeButton(pnlCalls, memoryButtonName(i + 1));
        grid->addWidget(bCall[static_cast<size_t>(i)], i / 10, i % 10);
    }
    layout->addWidget(pnlCalls);

    edtAbsent = makeControl<QLineEdit>(central, "edtAbsent");
    edtAbsent->setText(
        QStringLiteral("Sorry I am out of the shack. Please leave, type a text message and I will call you back."));
    layout->addWidget(edtAbsent);
}

void TmainForm::buildBottomRow(QWidget* central, QVBoxLayout* layout)
{
    auto* bottom = new QHBoxLayout;
    btnUpDown = makeControl<QSpinBox>(central, "btnUpDown");
    btnUpDown->setRange(0, 100);
    btnUpDown->setValue(12);
    lblFontSize = makeLabel(central, "lblFontSize");
    Button1 = makeButton(central, QStringLiteral("Button1"));
    btnChatClear = makeButton(central, QStringLiteral("btnChatClear"));
    TxTimeFill = makeControl<QProgressBar>(central, "TxTimeFill");
    ScreenReader::readAsTimeLeft(TxTimeFill, TransmitControl::TickMs);
    TxTimeFill->setRange(0, 100);
    TxTimeFill->setValue(0);
    // The bar keeps its place while hidden, so that its coming and going never changes the window's width.
    QSizePolicy keepPlace = TxTimeFill->sizePolicy();
    keepPlace.setRetainSizeWhenHidden(true);
    TxTimeFill->setSizePolicy(keepPlace);
    SpeechEnableCheckBox = makeCheckBox(central, "SpeechEnableCheckBox");
    FocusToFrontCheckBox = makeCheckBox(central, "FocusToFrontCheckBox");
    // The look-up link is the one label that is rich text: Corvane writes its markup itself, with the callsign
    // escaped.
    QRZLinkLabel = makeLabel(central, "QRZLinkLabel");
    QRZLinkLabel->setTextFormat(Qt::RichText);
    // A click anywhere on the label opens the page (QRZLinkLabelClick), so the link itself takes no clicks.
    QRZLinkLabel->setTextInteractionFlags(Qt::NoTextInteraction);
    QRZLinkLabel->setCursor(Qt::PointingHandCursor);
    QFont bold = QRZLinkLabel->font();
    bold.setBold(true);
    bold.setUnderline(true);
    QRZLinkLabel->setFont(bold);
    showLookUpPath(QStringLiteral("/db/"));
    // The address grows by the callsign of each station that connects. The label keeps room for a node's
    // callsign ("Q0QQQQ-L") and never widens the window beyond that: the window keeps the operator's width.
    QRZLinkLabel->setMinimumWidth(QFontMetrics(bold).horizontalAdvance(m_lookUpAddress + QStringLiteral("Q0QQQQ-L")));
    QRZLinkLabel->setSizePolicy(QSizePolicy::Ignored, QRZLinkLabel->sizePolicy().verticalPolicy());
    Button2 = makeButton(central, QStringLiteral("Button2"));
    for (QWidget* w :
         std::initializer_list<QWidget*> { btnUpDown, lblFontSize, Button1, btnChatClear, TxTimeFill,
                                           SpeechEnableCheckBox, FocusToFrontCheckBox, QRZLinkLabel, Button2 })
        bottom->addWidget(w);
    layout->addLayout(bottom);
}

void TmainForm::buildStatusBar()
{
    StatusBarPanel0 = makeLabel(this, "StatusBarPanel0");
    StatusBarPanel0->setFixedWidth(90);
    StatusBarPanel1 = makeLabel(this, "StatusBarPanel1");
    StatusBarPanel1->setMinimumWidth(400);
    statusBar()->setObjectName(QStringLiteral("StatusBar1"));
    statusBar()->addWidget(StatusBarPanel0);
    statusBar()->addWidget(StatusBarPanel1);
}

void TmainForm::describeForScreenReaders()
{
    for (const ControlRow& control : controlTable()) {
        auto* widget = findChild<QWidget*>(control.objectName);
        if (!widget)
            continue;
        if (!ScreenReader::readsText(widget))
            widget->setAccessibleName(control.accessibleName);
        widget->setAccessibleDescription(control.description);
    }
}

void TmainForm::setTabOrder()
{
    QList<QWidget*> order;
    for (const QString& name : tabOrder())
        order << findChild<QWidget*>(name);
    for (int i = 0; i + 1 < order.size(); ++i)
        QWidget::setTabOrder(order[i], order[i + 1]);
    QWidget::setTabOrder(order.constLast(), order.constFirst());
}
