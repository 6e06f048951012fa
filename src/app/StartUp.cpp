// Start-up: from the creation of the window until EchoLink is attached and the settings are applied.
#include "app/StartUp.h"

#include "app/Lifecycle.h"
#include "app/Settings.h"
#include "chat/AwayReply.h"
#include "chat/ChatJournal.h"
#include "chat/ChatLine.h"
#include "chat/Panes.h"
#include "echolink/ConnectionView.h"
#include "echolink/EchoLinkSession.h"
#include "echolink/StationMonitor.h"
#include "echolink/StationRoster.h"
#include "echolink/TransmitControl.h"
#include "platform/Clock.h"
#include "platform/EventLoop.h"
#include "platform/Platform.h"
#include "platform/TimerTable.h"
#include "speech/Announcer.h"
#include "speech/DisplaySettings.h"
#include "speech/KeyboardMap.h"
#include "speech/OptionBoxes.h"

namespace {
const QString EchoLinkProgram = QStringLiteral("EchoLink.exe");
constexpr int FirstWaitMs = 7000;
constexpr int RetryWaitMs = 5000;
constexpr int ChecksBeforeGivingUp = 3;
} // namespace

StartUp::StartUp(const StartUpParts& parts, QObject* parent)
    : QObject(parent)
    , m_parts(parts)
    , m_startUpTimer(Timers::make(TimerId::StartUpTimer, parts.clock, this))
{
}

bool StartUp::processExists(const QString& exeFileName)
{
    return m_parts.platform.processExists(exeFileName);
}

void StartUp::openFiles()
{
    const QString documents = m_parts.platform.documentsFolder();
    m_iniFilePath = documents + QStringLiteral("/EchoLink/Corvane.ini");
    m_parts.settings.open(m_iniFilePath);
    m_chatLogPath = documents + QStringLiteral("/EchoLink/ChatLog.txt");
    m_parts.journal.open(m_chatLogPath);
    m_parts.journal.addLogEntry(QStringLiteral("Log Started"), QStringLiteral("Corvane Startup"));
}

void StartUp::FormCreate()
{
    m_parts.view.adaptFonts();
    // The window already has its own taskbar entry under Qt; nothing to switch for that.
    openFiles();

    m_parts.connectionView.showConnectionState(ConnectionState::StartingUp);
    m_parts.options.setNotBringToFront(false);
    m_echoLinkExePath = m_parts.platform.programFilesFolder() + QStringLiteral("/Halvorn/EchoLink/EchoLink.exe");
    // An EchoLink that is running but not answering (an orphan of an earlier session) still counts as
    // running below; the session then starts a fresh one at its first attach.
    m_parts.session.setEchoLinkExePath(m_echoLinkExePath);

    if (!processExists(EchoLinkProgram)) {
        m_parts.platform.startProgram(m_echoLinkExePath);
        letPendingMessagesRun();
    }
    m_parts.clock.sleep(FirstWaitMs);

    m_startRetryCount = 0;
    for (;;) {
        if (processExists(EchoLinkProgram)) {
            attachStep();
            break;
        }
        ++m_startRetryCount;
        m_parts.clock.sleep(RetryWaitMs);
        if (m_startRetryCount >= ChecksBeforeGivingUp) {
            giveUpStartUp();
            return;
        }
    }
    detectQso();
    m_parts.stations.setFirstListReceived(false);
    m_startUpTimer->start();
}

void StartUp::giveUpStartUp()
{
    m_parts.journal.addLogEntry(QStringLiteral("Unable to start up EchoLink in 15 seconds - Log Closed"),
                                QStringLiteral("EchoLink Already Running?"));
    m_parts.announcer.SpeakToMeNow(
        QStringLiteral("Unable to start Echo Link. Please close Corvane Using Task Manager."));
    letPendingMessagesRun();
}

void StartUp::attachStep()
{
    letPendingMessagesRun();
    StationRoster& roster = m_parts.roster;
    roster.setConnected(false);
    // The first access attaches to EchoLink; its events are delivered from here on.
    roster.setMyCallsign(m_parts.session.SystemConfigCallsign());
    m_parts.announcer.setOwnCallsign(roster.myCallsign());
    m_parts.view.appendToTitle(QStringLiteral(" - ") + roster.myCallsign() + QStringLiteral(" Version 1.4.7.3"));
    roster.setLastStation(QString());
    m_parts.connectionView.showConnectionState(ConnectionState::Attaching);
    m_parts.view.enableKeyPreview();
    m_parts.stations.resetAlarmLog();
    m_parts.lifecycle.beginAttach();
    m_parts.transmit.stopTransmitBar();
    m_parts.connectionView.showLookUpPath(QStringLiteral("/db/"));
    m_parts.view.showVolumeLevel(m_parts.announcer.volumeLevel());
    m_parts.view.setFontSizeRange(DisplaySettings::FontSizeMin, DisplaySettings::FontSizeMax);
    letPendingMessagesRun();
    m_parts.display.applyContentFontSize(false);
    roster.setConnectionCount(0);
}

void StartUp::detectQso()
{
    EchoLinkSession& session = m_parts.session;
    ConnectionView& view = m_parts.connectionView;
    const bool qsoRunning = session.Transmitting() || session.Receiving();
    if (qsoRunning) {
        view.showConnectionState(ConnectionState::QsoDetected);
        m_parts.announcer.SpeakWithVolume(QStringLiteral("Q S O detected."));
        m_parts.announcer.SpeakWithVolume(QStringLiteral("Please remember to Let Corvane, Start Up Echo Link."));
        m_parts.panes.AppendChatLineAtCaret(
            QStringLiteral(">Current QSO detected Station ID will update on next connection"));
        m_parts.roster.setConnected(true);
        m_parts.roster.setConnectionCount(1);
        return;
    }
    session.DisconnectAll();
    letPendingMessagesRun();
    view.showConnectionState(ConnectionState::Ready);
}

void StartUp::StartUpTimerTimer()
{
    m_startUpTimer->stop();
    m_parts.settings.LoadSettings();
    m_parts.display.SetUTC_Clock_Time();
    m_parts.panes.AddChatLineQuietly(QStringLiteral("Corvane.ini File Location: ") + m_iniFilePath);
    m_parts.display.ApplyColorScheme();
    m_parts.display.takeTalkingNowColor();
    m_parts.display.applyContentFontSize(true);
    m_parts.view.restoreSavedSize();
    m_parts.session.RefreshStationList(true);
    m_parts.lifecycle.setEchoLinkAttached(true);
    m_parts.lifecycle.setSettingsLoaded(true);
}
