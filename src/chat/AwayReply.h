#pragma once

#include <QObject>

class Clock;
class Timer;

// The away auto-reply: five seconds after a station connects, in away mode, the absent message goes out.
class AwayReply : public QObject
{
    Q_OBJECT
public:
    explicit AwayReply(Clock& clock, QObject* parent = nullptr);

    bool awayActive() const { return m_awayActive; }
    Timer& replyTimer() { return *m_timer1; }

    // A station connected: the reply timer starts (a running timer keeps its first deadline).
    void stationConnected();
    void Timer1Timer();

private:
    Timer* m_timer1;
    bool m_awayActive = false;
};
