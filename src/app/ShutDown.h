#pragma once

#include <QObject>
#include <QString>
#include <functional>

class Announcer;
class ChatJournal;
class Clock;
class EchoLinkSession;
class Panes;
class Platform;
class PowerControl;
class SessionLink;
class SettingsController;
class StationRoster;
class StartUp;
class Timer;

// What closing needs of the window.
class ShutDownView
{
public:
    virtual ~ShutDownView() = default;
    virtual void closeWindow() = 0;
    virtual void clearChatLine() = 0;
};

struct ShutDownParts
{
    SessionLink& session;
    Announcer& announcer;
    Panes& panes;
    ChatJournal& journal;
    SettingsController& settings;
    StationRoster& roster;
    StartUp& startUp;
    Platform& platform;
    PowerControl& power;
    Clock& clock;
    ShutDownView& view;
};

// Closing the window, EchoLink closing first, the timed power-off and the application-wide error report.
class ShutDown : public QObject
{
    Q_OBJECT
public:
    explicit ShutDown(const ShutDownParts& parts, QObject* parent = nullptr);

    Timer& shutDownTimer() { return *m_shutDownTimer; }
    Timer& shutdownTimer2() { return *m_shutdownTimer2; }
    bool shutdownPending() const { return m_shutdownPending; }
    void setShutdownPending(bool pending) { m_shutdownPending = pending; }

    void FormClose();
    void elEchoLinkSessionClosing();
    void ApplicationEvents1Exception(const QString& message);

    // F12: the count-down to the computer's power-off starts (18 s) or, while it runs, is cancelled.
    void startCountDown();
    void cancelCountDown();
    void ShutDownTimerTimer();
    void ShutdownTimer2Timer();
    bool MyExitWindows(int rebootParam);

private:
    // One EchoLink operation of the close sequence; false, with a quiet note in the chat pane, when it failed.
    bool askEchoLink(const std::function<void()>& call);

    ShutDownParts m_parts;
    Timer* m_shutDownTimer;
    Timer* m_shutdownTimer2;
    bool m_shutdownPending = false;
};
