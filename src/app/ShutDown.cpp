// EchoLink closing by itself: Corvane follows it.
#include "echolink/EchoLinkSession.h"
#include "app/MainForm.h"
#include "platform/Platform.h"

void TmainForm::elEchoLinkSessionClosing()
{
    if (state.EchoLinkAttached && state.IsConnected) {
        m_services.session->DisconnectAll();
        state.EchoLinkAttached = false;
        state.IsConnected = false;
        m_services.session->Quit();
        close();
    }
    if (state.EchoLinkAttached) {
        m_services.session->Quit();
        state.EchoLinkAttached = false;
        close();
    }
    m_services.platform->beep();
    if (!state.EchoLinkAttached)
        close();
}
