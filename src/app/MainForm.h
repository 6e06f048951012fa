#pragma once

#include "app/ControllerState.h"

#include <QMainWindow>
#include <QString>
#include <QStringList>
#include <array>
#include <exception>
#include <functional>
#include <memory>

class QCheckBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QSlider;
class QSpinBox;
class QSplitter;
class QTextBrowser;
class QFrame;

class ChatLog;
class Clock;
class EchoLinkSession;
class IniFile;
class Platform;
class Timer;
class Voice;

// What the window is given from outside: EchoLink, the voice, time and the desktop. The window does not
// own them; the program entry (or a test) keeps them alive for the window's lifetime.
struct MainFormServices
{
    EchoLinkSession* session = nullptr;
    Voice* voice = nullptr;
    Clock* clock = nullptr;
    Platform* platform = nullptr;
};

// The one window. Its handlers keep the names the operators' documentation uses and live in the folder
// of their subsystem: start-up and settings in app/, connections in echolink/, chat in chat/, speech in speech/.
class TmainForm : public QMainWindow
{
    Q_OBJECT
public:
    explicit TmainForm(const MainFormServices& services, QWidget* parent = nullptr);
    ~TmainForm() override;

    ControllerState state;

    // The window's colour as a 0x00BBGGRR value.
    quint32 windowColor() const { return m_color; }
    void setWindowColor(quint32 bgr);

    // --- start-up (app/StartUp.cpp)
    void FormCreate();
    void StartUpTimerTimer();
    bool processExists(const QString& exeFileName);

    // --- settings (app/Settings.cpp)
    void LoadSettings();
    void SaveSettings();

    // --- window as a whole (app/MainForm.cpp)
    void FocusToFrontCheckBoxClick();
    void FocusToFrontCheckBoxEnter();
    void ApplicationEvents1Exception(const QString& message);
    void FormClose();

    // --- speech (speech/SpeechOperations.cpp)
    void SpeakToMeNow(const QString& msg);
    void SpeakToMeNowPurge(const QString& msg);
    void SpeakToMeNowSync(const QString& msg);
    void SpeakWithVolume(const QString& msg);
    // The text SpeakWithVolume hands to the voice: the volume tag around the escaped message.
    QString volumeTagged(const QString& msg) const;
    void SpeakCallSign(const QString& msg);
    void SpeakStationInfo(const QString& msg);
    void SpeechEnableCheckBoxClick();
    void TrackBarVolumeChange();
    void TrackBarVolumeKeyUp(int key);
    void Button1Click();

    // --- option boxes (speech/OptionBoxes.cpp)
    void SpeakCheckBoxClick();
    void ButtonAnnounceCheckBoxClick();
    void KeySpeakCheckBoxClick();
    QWidget* homeControl() const;
    void focusHomeControl();

    // --- display (speech/Display.cpp); the colour schemes and clocks fill these in
    void SetUTC_Clock_Time();
    void ApplyColorScheme();
    void applyContentFontSize(bool includeAbsent);

    // --- chat (chat/ChatLine.cpp)
    void edtChatKeyPress(QChar key);
    void elEchoLinkSessionChatTextReceived(const QString& text);
    void btnChatClearClick();
    void TimerClearTextTimer();
    void Button2Click();
    void AppendChatLine(const QString& line);
    // A chat-pane line that neither moves the caret nor scrolls.
    void AddChatLineQuietly(const QString& line);
    void AppendStationLine(const QString& line);
    void addLogEntry(const QString& title, const QString& description);
    void CmdDecode(const QString& commandText);
    void KeyBoardSpeak(QChar key);
    void openLink(const QString& url);

    // --- connections (echolink/ConnectionControl.cpp)
    void elEchoLinkSessionConnected(const QString& call, const QString& name, const QString& address);
    void elEchoLinkSessionDisconnected(const QString& call);
    void DoConnect(const QString& callsign);
    void btnLastConnectClick();
    void btnDisconnectClick();
    void btnDisconnectLastClick();
    void DisconnectTimerTimer();
    void bTxRxClick();

    // --- EchoLink events handled by later parts of the window
    void elEchoLinkSessionClosing();
    void elEchoLinkSessionTX(bool on);
    void elEchoLinkSessionStationListReceived();
    void elEchoLinkSessionStationTextReceived(const QString& text);
    void elEchoLinkSessionAlarm(const QString& station, int status);
    void elEchoLinkSessionLinkStatusChange(bool enabled);

    // Lets the window process what is already queued, then goes on; handlers can re-enter here.
    void letPendingMessagesRun();
    // Current time of day as the pane lines and log entries write it.
    QString timeText() const;
    QString lookUpAddress() const;

    // Runs a handler inside the one exception guard: an error goes to ApplicationEvents1Exception and the
    // program carries on.
    void guarded(const std::function<void()>& handler);

    bool keyPreview() const { return m_keyPreview; }
    IniFile& settingsStore() { return *m_ini; }
    ChatLog& chatLog() { return *m_chatLog; }

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

    // Timers, with their design intervals.
    Timer* StartUpTimer = nullptr;
    Timer* Timer1 = nullptr;
    Timer* TimerClearText = nullptr;
    Timer* TimerCheckBoxTimeOut = nullptr;
    Timer* TimerF9TimeOut = nullptr;
    Timer* ShutDownTimer = nullptr;
    Timer* ShutdownTimer2 = nullptr;
    Timer* TxTimer = nullptr;
    Timer* DisconnectTimer = nullptr;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void buildControls();
    void buildTimers();
    void connectSession();
    void setTabOrder();
    void describeForScreenReaders();
    void adaptFonts();
    void attachStep();
    void detectQso();
    void giveUpStartUp();
    void insertPaneLine(QTextBrowser* pane, const QString& line);
    void setQrzCaption(const QString& path);
    void stopTransmitBar();
    void applySetting(int index);
    int topSlot() const;
    void rebuildConnectionInfo(const QString& separator);
    void lastStationLeft(const QString& call);
    void conferenceMemberLeft(const QString& call);
    void speak(const QString& text, int flags);
    void reportSpeechFailure(const QString& message);
    void reportException(const std::exception_ptr& error);

    MainFormServices m_services;
    std::unique_ptr<IniFile> m_ini;
    std::unique_ptr<ChatLog> m_chatLog;
    // Stations that arrived while slot 11 was already taken: never stored in the station arrays, but
    // disconnected with the station in slot 11 when the disconnect timer fires.
    QStringList m_beyondLastSlot;
    quint32 m_color = 0;
    bool m_keyPreview = false;
};
