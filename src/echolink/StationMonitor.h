#pragma once

#include <QObject>
#include <QString>

class OptionBoxes;
class StationRoster;

// What the station-list and station-text handlers need of the window.
class StationMonitorView
{
public:
    virtual ~StationMonitorView() = default;
    // Restores a minimised window, raises and activates it.
    virtual void bringToFront() = 0;
    // Raises and activates the window without restoring it.
    virtual void raiseWindow() = 0;
};

// EchoLink's station list, station text and alarm events. The alarm-log monitor and the talker display
// build on these.
class StationMonitor : public QObject
{
    Q_OBJECT
public:
    StationMonitor(StationRoster& roster, OptionBoxes& options, StationMonitorView& view, QObject* parent = nullptr);

    bool firstListReceived() const { return m_firstListReceived; }
    void setFirstListReceived(bool received) { m_firstListReceived = received; }
    // The start of a session: no alarm-log text has been seen yet.
    void resetAlarmLog() { m_alarmLogLength = 0; }
    const QString& lastAlarmText() const { return m_lastAlarmText; }
    bool alarmMsgAnnounce() const { return m_alarmMsgAnnounce; }
    void setAlarmMsgAnnounce(bool on) { m_alarmMsgAnnounce = on; }

    void elEchoLinkSessionStationListReceived();
    void elEchoLinkSessionStationTextReceived(const QString& text);
    void elEchoLinkSessionAlarm(const QString& station, int status);

private:
    StationRoster& m_roster;
    OptionBoxes& m_options;
    StationMonitorView& m_view;
    bool m_firstListReceived = false;
    bool m_alarmMsgAnnounce = true;
    int m_alarmLogLength = 0;
    QString m_lastAlarmText;
};
