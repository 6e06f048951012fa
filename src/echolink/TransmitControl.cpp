// Transmit control: the Tx/Rx toggle, the red window while keyed and the three-minute time bar.
#include "echolink/TransmitControl.h"

#include "echolink/EchoLinkSession.h"
#include "platform/Clock.h"
#include "platform/Platform.h"
#include "platform/TimerTable.h"
#include "speech/Announcer.h"
#include "speech/OptionBoxes.h"
#include "speech/SoundFiles.h"

TransmitControl::TransmitControl(const TransmitParts& parts, QObject* parent)
    : QObject(parent)
    , m_parts(parts)
    , m_txTimer(Timers::make(TimerId::TxTimer, parts.clock, this))
{
    m_txTimer->start();
}

void TransmitControl::stopTransmitBar()
{
    m_txTimer->stop();
    m_txTimeFill = FullBar;
    m_parts.view.hideTransmitBar();
}

void TransmitControl::bTxRxClick()
{
    // Never key over a station that is talking.
    if (m_parts.session.Receiving())
        return;
    if (m_txOn)
        unkeyTransmitter();
    else
        keyTransmitter();
    emit txRxPressed();
}

void TransmitControl::keyTransmitter()
{
    m_parts.session.Transmit(true);
    m_txOn = true;
    m_parts.view.showConnectionState(ConnectionState::Transmitting);
    m_txTimer->start();
    m_txTimeFill = FullBar;
    m_parts.view.showTransmitBar();
    m_parts.view.setTransmitBarValue(m_txTimeFill);
    if (m_parts.options.buttonAnnounce())
        m_parts.announcer.SpeakToMeNow(QStringLiteral("T"));
}

void TransmitControl::unkeyTransmitter()
{
    m_parts.session.Transmit(false);
    m_txOn = false;
    m_parts.view.showConnectionState(ConnectionState::Receiving);
    stopTransmitBar();
    if (m_parts.options.buttonAnnounce())
        m_parts.announcer.SpeakToMeNow(QStringLiteral("R"));
}

void TransmitControl::TxTimerTimer()
{
    --m_txTimeFill;
    if (m_txTimeFill == BellAt && m_timerBell)
        m_parts.platform.playSound(SoundFiles::timeoutWavPath());
    // An empty bar fills again and keeps draining while the transmitter stays keyed.
    if (m_txTimeFill <= 0)
        m_txTimeFill = FullBar;
    m_parts.view.setTransmitBarValue(m_txTimeFill);
}

void TransmitControl::elEchoLinkSessionTX(bool on)
{
    m_notTransmitting = !on;
}

void TransmitControl::elEchoLinkSessionLinkStatusChange(bool enabled)
{
    m_parts.view.showConnectionState(enabled ? ConnectionState::LinkUp : ConnectionState::LinkDown);
}
