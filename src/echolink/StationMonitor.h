#pragma once

#include <QObject>
#include <QString>

class Announcer;
class EchoLinkSession;
class OptionBoxes;
class Panes;
class Platform;
class StationRoster;
class TransmitControl;

// What the station-list and station-text handlers need of the window. Every text shown here comes from
// other stations and is shown as plain text.
class StationMonitorView
{
public:
    virtual ~StationMonitorView() = default;
    // Restores a minimised window, raises and activates it.
    virtual void bringToFront() = 0;
    // Raises and activates the window without restoring it.
    virtual void raiseWindow() = 0;
    // The talking-now label goes back to its scheme's colour and empty text.
    virtual void clearTalker() = 0;
    // The talking-now label turns red and shows the caption.
    virtual void showTalker(const QString& caption) = 0;
    // Panel 1 of the status bar: who is talking now, or empty.
    virtual void showStatusTalker(const QString& text) = 0;
    // The station pane's caret goes to the end, scrolled into view.
    virtual void showStationPaneEnd() = 0;
};

struct StationMonitorParts
{
    StationRoster& roster;
    EchoLinkSession& session;
    Announcer& announcer;
    OptionBoxes& options;
    Panes& panes;
    // Whether EchoLink transmits: alarm announcements keep quiet meanwhile.
    const TransmitControl& transmit;
    Platform& platform;
    StationMonitorView& view;
};

// EchoLink's station list (which raises the window and clocks the alarm-log monitor), the station text
// with the talker display, and the alarm event.
class StationMonitor : public QObject
{
    Q_OBJECT
public:
    explicit StationMonitor(const StationMonitorParts& parts, QObject* parent = nullptr);

    bool firstListReceived() const { return m_firstListReceived; }
    void setFirstListReceived(bool received) { m_firstListReceived = received; }
    // The start of a session: no alarm-log text has been seen yet.
    void resetAlarmLog() { m_alarmLogLength = 0; }
    qsizetype alarmLogLength() const { return m_alarmLogLength; }
    const QString& lastAlarmText() const { return m_lastAlarmText; }
    bool alarmMsgAnnounce() const { return m_alarmMsgAnnounce; }
    void setAlarmMsgAnnounce(bool on) { m_alarmMsgAnnounce = on; }

    void elEchoLinkSessionStationListReceived();
    void elEchoLinkSessionStationTextReceived(const QString& text);
    void elEchoLinkSessionAlarm(const QString& station, int status);

private:
    void watchAlarmLog();
    QString readAlarmLog();

    StationMonitorParts m_parts;
    bool m_firstListReceived = false;
    bool m_alarmMsgAnnounce = true;
    qsizetype m_alarmLogLength = 0;
    QString m_lastAlarmText;
};
