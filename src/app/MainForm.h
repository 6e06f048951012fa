#pragma once

#include "account/AccountPassword.h"
#include "app/KeyPreview.h"
#include "app/Lifecycle.h"
#include "app/ShutDown.h"
#include "app/StartUp.h"
#include "chat/AwayReply.h"
#include "chat/ChatLine.h"
#include "chat/CommandDecoder.h"
#include "chat/MemoryButtons.h"
#include "echolink/ConnectionView.h"
#include "echolink/StationMonitor.h"
#include "echolink/TransmitControl.h"
#include "speech/DisplaySettings.h"
#include "speech/KeyboardMap.h"
#include "speech/OptionBoxes.h"

#include <QMainWindow>
#include <QPointer>
#include <array>
#include <exception>
#include <functional>
#include <memory>

class QCheckBox;
class QDialog;
class QFrame;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QSlider;
class QSpinBox;
class QSplitter;
class QTextBrowser;

class AccountDialog;
class Announcer;
class DirectoryWindow;
class ChatJournal;
class ChatPanes;
class Panes;
class Clock;
class ConnectionControl;
class EchoLinkSession;
class FocusAnnouncer;
class FocusOutline;
class KeyboardMap;
class Platform;
class PowerControl;
class SessionLink;
class SettingsController;
class StationRoster;
class Voice;

// What the window is given from outside: EchoLink, the voice, time and the desktop. The window does not
// own them; the program entry (or a test) keeps them alive for the window's lifetime.
struct MainFormServices
{
    EchoLinkSession* session = nullptr;
    Voice* voice = nullptr;
    Clock* clock = nullptr;
    Platform* platform = nullptr;
    PowerControl* power = nullptr;
    // Runs a modal dialog; a test replaces it so that nothing blocks. Empty: QDialog::exec().
    std::function<void(QDialog&)> runDialog;
    // A screen reader was found at start: focus announcements and key echo are left to it.
    bool screenReaderRunning = false;
};

// The one window. It builds the controls of the control table, owns one controller per subsystem and
// wires widget events, timers and EchoLink's events to the controllers' handlers, each inside the one
// exception guard. The controllers see the window only through their small view interfaces.
class TmainForm : public QMainWindow,
                  private ConnectionView,
                  private ChatLineView,
                  private OptionBoxesView,
                  private DisplaySettingsView,
                  private TransmitView,
                  private StationMonitorView,
                  private StartUpView,
                  private ShutDownView,
                  private KeyboardMapView,
                  private KeyPreviewTarget,
                  private MemoryButtonsView,
                  private AwayReplyView,
                  private CommandView
{
    Q_OBJECT
public:
    explicit TmainForm(const MainFormServices& services, QWidget* parent = nullptr);
    ~TmainForm() override;

    // The chat pane's note when a screen reader was found at start.
    static constexpr const char* ScreenReaderNote
        = "A screen reader is running: Corvane leaves focus and key echo to it. F6, F7 or F8 switches Corvane's "
          "own echo back on.";

    // Runs a handler inside the one exception guard: an error goes to ApplicationEvents1Exception and the
    // program carries on.
    void guarded(const std::function<void()>& handler);

    // The window's colour as a 0x00BBGGRR value.
    quint32 windowColor() const { return m_color; }
    void setWindowColor(quint32 bgr) override;
    bool keyPreview() const { return m_keyPreview; }

    // The controllers, for the program entry and for tests that look at a subsystem's state.
    StartUp& startUp() { return *m_startUp; }
    SettingsController& settings() { return *m_settings; }
    const StationRoster& roster() const { return *m_roster; }
    ConnectionControl& connections() { return *m_connections; }
    // The station directory; null until Ctrl+L first opens it.
    DirectoryWindow* directoryWindow() const { return m_directory; }
    ChatLine& chatLine() { return *m_chatLine; }
    ChatJournal& journal() { return *m_journal; }
    Panes& panes();
    Announcer& announcer() { return *m_announcer; }
    OptionBoxes& options() { return *m_options; }
    DisplaySettings& display() { return *m_display; }
    FocusAnnouncer& focusAnnouncer() { return *m_focus; }
    TransmitControl& transmit() { return *m_transmit; }
    StationMonitor& stations() { return *m_stations; }
    AwayReply& away() { return *m_away; }
    CommandDecoder& commands() { return *m_commands; }
    MemoryPanel& memories() { return *m_memories; }
    KeyboardMap& keys() { return *m_keys; }
    ShutDown& shutDown() { return *m_shutDown; }
    Lifecycle& lifecycle() { return *m_lifecycle; }
    // The EchoLink account set-up (Ctrl+O): null while not open. Offered (spoken) at start without an account.
    AccountDialog* accountDialog() const;
    void offerAccountSetup();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    // ConnectionView, ChatLineView
    void showStationCount(const QString& count) override;
    void showConnectionInfo(const QString& info) override;
    void showLookUpPath(const QString& path) override;
    void setButtonEnabled(Button button, bool enabled) override;
    void enableMemoryButtons() override;
    void focusButton(Button button) override;
    void focusChatLine() override;
    QString chatLineText() const override;
    QString focusedControlName() const override;
    void clearChatLine() override;
    void bringToFront() override;
    void clearTalker() override;
    void clearStatusTalker() override;
    void pressTransmit() override;
    void showChatLog() override;
    // OptionBoxesView
    void focusHomeControl() override;
    // DisplaySettingsView
    void applyContentFontSize(int size, bool includeAbsent) override;
    int fontSize() const override;
    static constexpr int PaneMinimumLines = 8;
    static constexpr int VolumeBarMinimumHeight = 120;
    void keepPanesReadable();
    quint32 talkingNowBackground() const override;
    void setControlColor(const QString& objectName, ColorSchemes::ColorRole role, quint32 bgr) override;
    void showClock(ClockFace face, const QString& date, const QString& time) override;
    QString lookUpAddress() const override;
    // TransmitView
    void showTransmitBar() override;
    void setTransmitBarValue(int value) override;
    void hideTransmitBar() override;
    // StationMonitorView
    void raiseWindow() override;
    void showTalker(const QString& caption) override;
    void showStatusTalker(const QString& text) override;
    void showStationPaneEnd() override;
    // StartUpView
    void adaptFonts() override;
    void appendToTitle(const QString& text) override;
    void enableKeyPreview() override;
    void showVolumeLevel(int level) override;
    void setFontSizeRange(int minimum, int maximum) override;
    void restoreSavedSize() override;
    // Width and Height from the settings: the frame's size, as saved. Empty until the settings are read.
    QSize m_savedSize;
    // ShutDownView
    void closeWindow() override;
    // KeyboardMapView (MainFormKeys.cpp)
    QString stationPaneText() const override;
    void focusControl(const QString& objectName) override;
    QString absentLineText() const override;
    quint32 chatPaneTextColor() const override;
    void setChatPaneTextColor(quint32 bgr) override;
    void openDirectory() override;
    void openAccountSetup() override; // MainFormAccount.cpp
    // KeyPreviewTarget (MainFormKeys.cpp)
    bool keyPreviewOn() const override { return m_keyPreview; }
    bool previewKeyDown(QWidget* receiver, int qtKey, Qt::KeyboardModifiers modifiers) override;
    void keyPress(QWidget* receiver, const QString& character) override;
    void previewKeyUp(QWidget* receiver) override;
    KeyboardMap::Focus keyFocus(const QWidget* receiver) const;
    void wireKeys();
    // MemoryButtonsView
    void showMemoryCaption(int button, const QString& caption) override;
    // AwayReplyView, CommandView
    QString absentText() const override;
    bool boxChecked(Box box) const override;
    void setBoxChecked(Box box, bool checked) override;
    void setAbsentText(const QString& text) override;
    QCheckBox* optionBox(Box box) const;
    void wireMemoryButtons();
    bool filterMemoryButtonEvent(QPushButton* button, QEvent* event);
    static bool pressOnEnter(QPushButton* button, class QKeyEvent* key);

    void buildControls();
    void buildTopRow(QWidget* central, class QVBoxLayout* layout);
    void buildCentre(QWidget* central, QVBoxLayout* layout);
    void buildOptionsAndMemories(QWidget* central, QVBoxLayout* layout);
    void buildBottomRow(QWidget* central, QVBoxLayout* layout);
    void buildStatusBar();
    void describeForScreenReaders();
    void leaveEchoToScreenReader();
    void setTabOrder();
    void buildControllers();
    void bindSettings();
    void wireWidgets();
    void wireDisplayAndFocus();
    void controlEntered(QObject* control);
    void setEnabledQuietly(QWidget* control, bool enabled);
    bool filterDisplayAndFocusEvent(QObject* watched, QEvent* event);
    void wireTimers();
    void wireSession();
    QWidget* homeControl() const;
    void openLink(const QString& url);
    void reportException(const std::exception_ptr& error);

    MainFormServices m_services;
    // Every controller talks to EchoLink through this link, which the close sequence releases.
    std::unique_ptr<SessionLink> m_session;

    // Controls, named as the operator documentation names them.
    QLabel* ClockUniversalTime = nullptr;
    QLabel* ClockLocalTime = nullptr;
    QLabel* lblConnInfo = nullptr;
    QLabel* lblTalkingNow = nullptr;
    QLabel* lblStationCount = nullptr;
    QPushButton* btnDisconnectLast = nullptr;
    QPushButton* btnDisconnect = nullptr;
    QPushButton* btnLastConnect = nullptr;
    QPushButton* bTxRx = nullptr;
    QTextBrowser* redtChat = nullptr;
    QSplitter* Splitter1 = nullptr;
    QTextBrowser* redtStation = nullptr;
    QLineEdit* edtChat = nullptr;
    QSlider* TrackBarVolume = nullptr;
    QCheckBox* cbCheckAway = nullptr;
    QCheckBox* SpeakCheckBox = nullptr;
    QCheckBox* ButtonAnnounceCheckBox = nullptr;
    QCheckBox* KeySpeakCheckBox = nullptr;
    QFrame* pnlCalls = nullptr;
    std::array<QPushButton*, 40> bCall {};
    QLineEdit* edtAbsent = nullptr;
    QSpinBox* btnUpDown = nullptr;
    QLabel* lblFontSize = nullptr;
    QPushButton* Button1 = nullptr;
    QPushButton* btnChatClear = nullptr;
    QProgressBar* TxTimeFill = nullptr;
    QCheckBox* SpeechEnableCheckBox = nullptr;
    QCheckBox* FocusToFrontCheckBox = nullptr;
    QLabel* QRZLinkLabel = nullptr;
    QPushButton* Button2 = nullptr;
    QLabel* StatusBarPanel0 = nullptr;
    QLabel* StatusBarPanel1 = nullptr;
    FocusOutline* m_focusOutline = nullptr;
    QString m_lookUpAddress;

    // Controllers, in the order they are made (later ones use earlier ones).
    std::unique_ptr<Lifecycle> m_lifecycle;
    std::unique_ptr<StationRoster> m_roster;
    std::unique_ptr<Announcer> m_announcer;
    std::unique_ptr<OptionBoxes> m_options;
    std::unique_ptr<FocusAnnouncer> m_focus;
    std::unique_ptr<ChatPanes> m_panes;
    std::unique_ptr<DisplaySettings> m_display;
    std::unique_ptr<ChatJournal> m_journal;
    std::unique_ptr<MemoryPanel> m_memories;
    std::unique_ptr<AwayReply> m_away;
    QPointer<AccountDialog> m_accountDialog;
    std::unique_ptr<AccountPassword::SecretStore> m_accountSecrets;
    DirectoryWindow* m_directory = nullptr; // a child window, made at its first use
    std::unique_ptr<TransmitControl> m_transmit;
    std::unique_ptr<StationMonitor> m_stations;
    std::unique_ptr<SettingsController> m_settings;
    std::unique_ptr<CommandDecoder> m_commands;
    std::unique_ptr<ChatLine> m_chatLine;
    std::unique_ptr<ConnectionControl> m_connections;
    std::unique_ptr<ShutDown> m_shutDown;
    std::unique_ptr<KeyboardMap> m_keys;
    std::unique_ptr<StartUp> m_startUp;
    std::unique_ptr<KeyPreview> m_keyPreviewFilter;

    quint32 m_color = 0;
    bool m_keyPreview = false;
    bool m_focusMovesQuietly = false;
    bool m_shownBefore = false;
};
