#pragma once

#include "echolink/ConnectionStates.h"
#include "platform/TimerTable.h"

#include <QObject>

class Announcer;
class Clock;
class EchoLinkSession;
class OptionBoxes;
class Platform;
class Timer;

// What transmit control shows: the window colour, the transmit time bar and the reconnect button.
class TransmitView : public ConnectionStateView
{
public:
    virtual ~TransmitView() = default;
    virtual void showTransmitBar() = 0;
    virtual void setTransmitBarValue(int value) = 0;
    // Stops showing the bar and fills it again for the next QSO.
    virtual void hideTransmitBar() = 0;
};

struct TransmitParts
{
    EchoLinkSession& session;
    Announcer& announcer;
    OptionBoxes& options;
    Platform& platform;
    Clock& clock;
    TransmitView& view;
};

// Keying the transmitter, the transmit time bar and EchoLink's transmit and link events.
class TransmitControl : public QObject
{
    Q_OBJECT
public:
    // A full bar: three minutes of 100 ticks.
    static constexpr int FullBar = 100;
    static constexpr int TickMs = Timers::intervalMs(TimerId::TxTimer);
    // The bell rings as the bar reaches this value, nine seconds before it empties.
    static constexpr int BellAt = 5;

    explicit TransmitControl(const TransmitParts& parts, QObject* parent = nullptr);

    // The transmit bar's timer runs from creation until the start-up's attach step stops it.
    Timer& txTimer() { return *m_txTimer; }
    bool notTransmitting() const { return m_notTransmitting; }
    void setNotTransmitting(bool on) { m_notTransmitting = on; }
    // Whether the bell sounds near the end of the transmit time.
    bool timerBell() const { return m_timerBell; }
    void setTimerBell(bool on) { m_timerBell = on; }
    // True after a press that keyed the transmitter, until the next press; a disconnection leaves it.
    bool txOn() const { return m_txOn; }
    int txTimeFill() const { return m_txTimeFill; }

    // With no station left the bar stops and hides, full again for the next QSO.
    void stopTransmitBar();

    void bTxRxClick();
    void TxTimerTimer();
    void elEchoLinkSessionTX(bool on);
    void elEchoLinkSessionLinkStatusChange(bool enabled);

signals:
    // Tx/Rx was pressed and keyed or unkeyed the transmitter (the chat line clears itself a moment later).
    void txRxPressed();

private:
    void keyTransmitter();
    void unkeyTransmitter();

    TransmitParts m_parts;
    Timer* m_txTimer;
    // False while EchoLink reports that it transmits.
    bool m_notTransmitting = true;
    bool m_timerBell = true;
    bool m_txOn = false;
    int m_txTimeFill = FullBar;
};
