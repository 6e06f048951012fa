#include "echolink/StationMonitor.h"

#include "echolink/StationRoster.h"
#include "platform/EventLoop.h"
#include "speech/OptionBoxes.h"

StationMonitor::StationMonitor(StationRoster& roster, OptionBoxes& options, StationMonitorView& view, QObject* parent)
    : QObject(parent)
    , m_roster(roster)
    , m_options(options)
    , m_view(view)
{
}

void StationMonitor::elEchoLinkSessionStationListReceived()
{
    letPendingMessagesRun();
    if (!m_firstListReceived) {
        m_view.bringToFront();
        m_firstListReceived = true;
    } else if (!m_options.notBringToFront()) {
        letPendingMessagesRun();
        m_view.raiseWindow();
    }
}

void StationMonitor::elEchoLinkSessionStationTextReceived(const QString&) { }

void StationMonitor::elEchoLinkSessionAlarm(const QString&, int) { }
