#pragma once

#include <QObject>
#include <QString>

class Announcer;
class AwayReply;
class ChatJournal;
class ChatLine;
class Clock;
class ConnectionView;
class DisplaySettings;
class EchoLinkSession;
class KeyboardMap;
class OptionBoxes;
class Panes;
class Platform;
class SettingsController;
class ShutDown;
class StationMonitor;
class StationRoster;
class Timer;
class TransmitControl;

// What the start-up changes in the window besides the connection controls.
class StartUpView
{
public:
    virtual ~StartUpView() = default;
    // The content panes and edit lines take Calibri where it is installed.
    virtual void adaptFonts() = 0;
    virtual void appendToTitle(const QString& text) = 0;
    virtual void enableKeyPreview() = 0;
    virtual void showVolumeLevel(int level) = 0;
    virtual void setFontSizeRange(int minimum, int maximum) = 0;
    // The settings and their font sizes are in place: the window takes the size the settings saved, or the
    // layout's minimum when that is larger.
    virtual void restoreSavedSize() = 0;
};

struct StartUpParts
{
    EchoLinkSession& session;
    Platform& platform;
    Clock& clock;
    StationRoster& roster;
    Announcer& announcer;
    OptionBoxes& options;
    Panes& panes;
    ChatJournal& journal;
    SettingsController& settings;
    DisplaySettings& display;
    ChatLine& chatLine;
    AwayReply& away;
    TransmitControl& transmit;
    StationMonitor& stations;
    KeyboardMap& keys;
    ConnectionView& connectionView;
    StartUpView& view;
};

// From the creation of the window until EchoLink is attached and the settings are applied.
class StartUp : public QObject
{
    Q_OBJECT
public:
    explicit StartUp(const StartUpParts& parts, QObject* parent = nullptr);

    // The shut-down timers are the shut-down's own; the attach step stops them.
    void setShutDown(ShutDown* shutDown) { m_shutDown = shutDown; }

    Timer& startUpTimer() { return *m_startUpTimer; }
    bool echoLinkAttached() const { return m_echoLinkAttached; }
    void setEchoLinkAttached(bool attached) { m_echoLinkAttached = attached; }
    bool settingsLoaded() const { return m_settingsLoaded; }
    int startRetryCount() const { return m_startRetryCount; }
    const QString& iniFilePath() const { return m_iniFilePath; }
    const QString& chatLogPath() const { return m_chatLogPath; }
    const QString& echoLinkExePath() const { return m_echoLinkExePath; }

    void FormCreate();
    void StartUpTimerTimer();
    bool processExists(const QString& exeFileName);

private:
    void openFiles();
    void attachStep();
    void detectQso();
    void giveUpStartUp();

    StartUpParts m_parts;
    ShutDown* m_shutDown = nullptr;
    Timer* m_startUpTimer;
    bool m_echoLinkAttached = false;
    bool m_settingsLoaded = false;
    int m_startRetryCount = 0;
    QString m_iniFilePath;
    QString m_chatLogPath;
    QString m_echoLinkExePath;
};
