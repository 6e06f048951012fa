// Start-up: from the creation of the window until EchoLink is attached and the settings are applied.
#include "chat/ChatLog.h"
#include "platform/Clock.h"
#include "echolink/EchoLinkSession.h"
#include "app/IniFile.h"
#include "app/MainForm.h"
#include "platform/Platform.h"

#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSlider>
#include <QSpinBox>
#include <QTextBrowser>

namespace {
const QString EchoLinkProgram = QStringLiteral("EchoLink.exe");
constexpr int FirstWaitMs = 7000;
constexpr int RetryWaitMs = 5000;
constexpr int ChecksBeforeGivingUp = 3;
} // namespace

bool TmainForm::processExists(const QString& exeFileName)
{
    return m_services.platform->processExists(exeFileName);
}

void TmainForm::FormCreate()
{
    adaptFonts();
    // The window already has its own taskbar entry under Qt; nothing to switch for that.

    const QString documents = m_services.platform->documentsFolder();
    state.IniFilePath = documents + QStringLiteral("/EchoLink/Corvane.ini");
    m_ini->setFileName(state.IniFilePath);
    m_ini->setDefaultSection(QStringLiteral("Corvane"));

    state.ChatLogPath = documents + QStringLiteral("/EchoLink/ChatLog.txt");
    m_chatLog->setFileName(state.ChatLogPath);
    m_chatLog->setAutoSave(true);
    // Each entry is flushed to the system as it is written; a crash of Corvane loses nothing, and a power-off
    // goes through the system's own orderly flush. Forcing every chat line to the disk would cost milliseconds.
    m_chatLog->setSyncToDisk(false);
    addLogEntry(QStringLiteral("Log Started"), QStringLiteral("Corvane Startup"));

    setWindowColor(WindowColors::Waiting);
    state.NotBringToFront = false;
    state.EchoLinkExePath
        = m_services.platform->programFilesFolder() + QStringLiteral("/Halvorn/EchoLink/EchoLink.exe");

    if (!processExists(EchoLinkProgram)) {
        m_services.platform->startProgram(state.EchoLinkExePath);
        letPendingMessagesRun();
    }
    m_services.clock->sleep(FirstWaitMs);

    state.StartRetryCount = 0;
    for (;;) {
        if (processExists(EchoLinkProgram)) {
            attachStep();
            break;
        }
        ++state.StartRetryCount;
        m_services.clock->sleep(RetryWaitMs);
        if (state.StartRetryCount >= ChecksBeforeGivingUp) {
            giveUpStartUp();
            return;
        }
    }
    detectQso();
    state.FirstListReceived = false;
    StartUpTimer->setInterval(4000);
    StartUpTimer->start();
}

void TmainForm::giveUpStartUp()
{
    addLogEntry(QStringLiteral("Unable to start up EchoLink in 15 seconds - Log Closed"),
                QStringLiteral("EchoLink Already Running?"));
    SpeakToMeNow(QStringLiteral("Unable to start Echo Link. Please close Corvane Using Task Manager."));
    letPendingMessagesRun();
}

void TmainForm::attachStep()
{
    letPendingMessagesRun();
    state.IsConnected = false;
    // The first access attaches to EchoLink; its events are delivered from here on.
    state.MyCallsign = m_services.session->SystemConfigCallsign();
    setWindowTitle(windowTitle() + QStringLiteral(" - ") + state.MyCallsign + QStringLiteral(" Version 1.4.7.3"));
    state.LastStation.clear();
    btnLastConnect->setEnabled(false);
    m_keyPreview = true;
    TimerClearText->setInterval(300);
    state.AlarmLogLength = 0;
    Timer1->setInterval(5000);
    TimerCheckBoxTimeOut->setInterval(10000);
    TimerF9TimeOut->setInterval(600000);
    state.ShutdownPending = false;
    ShutDownTimer->stop();
    ShutdownTimer2->stop();
    TxTimeFill->setValue(100);
    TxTimer->stop();
    TxTimeFill->hide();
    setQrzCaption(QStringLiteral("/db/"));
    TrackBarVolume->setValue(state.VolumeLevel);
    btnUpDown->setMaximum(state.FontSizeMax);
    btnUpDown->setMinimum(state.FontSizeMin);
    letPendingMessagesRun();
    applyContentFontSize(false);
    state.ConnectionCount = 0;
}

void TmainForm::detectQso()
{
    EchoLinkSession* session = m_services.session;
    const bool qsoRunning = session->Transmitting() || session->Receiving();
    if (qsoRunning) {
        bTxRx->setEnabled(true);
        setWindowColor(WindowColors::Qso);
        SpeakWithVolume(QStringLiteral("Q S O detected."));
        SpeakWithVolume(QStringLiteral("Please remember to Let Corvane, Start Up Echo Link."));
        AppendChatLine(QStringLiteral(">Current QSO detected Station ID will update on next connection"));
        btnDisconnect->setEnabled(true);
        state.IsConnected = true;
        state.ConnectionCount = 1;
        btnDisconnectLast->setEnabled(false);
        return;
    }
    session->DisconnectAll();
    letPendingMessagesRun();
    bTxRx->setEnabled(true);
    btnDisconnect->setEnabled(true);
    btnDisconnectLast->setEnabled(false);
    btnLastConnect->setEnabled(true);
    setWindowColor(WindowColors::Idle);
}

void TmainForm::StartUpTimerTimer()
{
    StartUpTimer->stop();
    LoadSettings();
    SetUTC_Clock_Time();
    AddChatLineQuietly(QStringLiteral("Corvane.ini File Location: ") + state.IniFilePath);
    ApplyColorScheme();
    state.TalkingNowColor = WindowColors::fromColor(lblTalkingNow->palette().color(QPalette::Window));
    applyContentFontSize(true);
    m_services.session->RefreshStationList(true);
    state.EchoLinkAttached = true;
    state.SettingsLoaded = true;
}
