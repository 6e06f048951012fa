// Transmit control; the keying, the red window and the time bar build on these.
#include "echolink/TransmitControl.h"

#include "platform/Clock.h"

TransmitControl::TransmitControl(EchoLinkSession& session, Clock& clock, TransmitView& view, QObject* parent)
    : QObject(parent)
    , m_session(session)
    , m_view(view)
    , m_txTimer(new Timer(clock, 1800, this))
{
    m_txTimer->start();
}

void TransmitControl::stopTransmitBar()
{
    m_txTimer->stop();
    m_view.hideTransmitBar();
}

void TransmitControl::bTxRxClick() { }

void TransmitControl::TxTimerTimer() { }

void TransmitControl::elEchoLinkSessionTX(bool) { }

void TransmitControl::elEchoLinkSessionLinkStatusChange(bool) { }
