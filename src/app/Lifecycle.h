#pragma once

#include <QObject>

// Where the program stands in its life, with one owner for each fact: EchoLink attached, the settings
// loaded, the power-off count-down running. The start-up and the close sequence change these; whoever
// needs to know reads them here. Whether a station is connected is the roster's (StationRoster::isConnected).
class Lifecycle : public QObject
{
    Q_OBJECT
public:
    using QObject::QObject;

    bool echoLinkAttached() const { return m_echoLinkAttached; }
    void setEchoLinkAttached(bool attached) { m_echoLinkAttached = attached; }
    bool settingsLoaded() const { return m_settingsLoaded; }
    void setSettingsLoaded(bool loaded) { m_settingsLoaded = loaded; }
    // F12 started the count-down to the computer's power-off and it has not run out or been cancelled.
    bool shutdownPending() const { return m_shutdownPending; }
    void setShutdownPending(bool pending) { m_shutdownPending = pending; }

    // EchoLink is being attached: a power-off count-down left from before is dropped, and whoever keeps
    // timers for it stops them.
    void beginAttach()
    {
        m_shutdownPending = false;
        emit attaching();
    }

signals:
    void attaching();

private:
    bool m_echoLinkAttached = false;
    bool m_settingsLoaded = false;
    bool m_shutdownPending = false;
};
