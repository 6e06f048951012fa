// Station list, station text and alarm events. The alarm-log monitor and the talker display build on these.
#include "app/MainForm.h"

void TmainForm::elEchoLinkSessionStationListReceived()
{
    letPendingMessagesRun();
    if (!state.FirstListReceived) {
        if (isMinimized())
            showNormal();
        raise();
        activateWindow();
        state.FirstListReceived = true;
    } else if (!state.NotBringToFront) {
        letPendingMessagesRun();
        raise();
        activateWindow();
    }
}

void TmainForm::elEchoLinkSessionStationTextReceived(const QString&) { }

void TmainForm::elEchoLinkSessionAlarm(const QString&, int) { }
