#pragma once

#include <QObject>

class Clock;
class EchoLinkSession;
class Timer;

// What transmit control shows: the transmit time bar.
class TransmitView
{
public:
    virtual ~TransmitView() = default;
    // Stops showing the bar and fills it again for the next QSO.
    virtual void hideTransmitBar() = 0;
};

// Keying the transmitter, the transmit time bar and EchoLink's transmit and link events.
class TransmitControl : public QObject
{
    Q_OBJECT
public:
    TransmitControl(EchoLinkSession& session, Clock& clock, TransmitView& view, QObject* parent = nullptr);

    // The transmit bar's timer runs from creation until the start-up's attach step stops it.
    Timer& txTimer() { return *m_txTimer; }
    bool notTransmitting() const { return m_notTransmitting; }
    void setNotTransmitting(bool on) { m_notTransmitting = on; }
    // Whether the bell sounds near the end of the transmit time.
    bool timerBell() const { return m_timerBell; }
    void setTimerBell(bool on) { m_timerBell = on; }

    // With no station left the bar stops and hides, full again for the next QSO.
    void stopTransmitBar();

    void bTxRxClick();
    void TxTimerTimer();
    void elEchoLinkSessionTX(bool on);
    void elEchoLinkSessionLinkStatusChange(bool enabled);

private:
    EchoLinkSession& m_session;
    TransmitView& m_view;
    Timer* m_txTimer;
    // False while EchoLink reports that it transmits.
    bool m_notTransmitting = true;
    bool m_timerBell = true;
};
