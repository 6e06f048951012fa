#pragma once

#include <QDateTime>
#include <QObject>
#include <QTimer>
#include <vector>

class Timer;

// The one source of time for the whole program: every timer and every sleep goes through it, so tests
// can run minutes of start-up and time-outs in virtual time.
class Clock
{
public:
    virtual ~Clock() = default;

    // Blocks the calling thread; no messages are processed meanwhile.
    virtual void sleep(int ms) = 0;
    virtual QDateTime now() const = 0;
    // True when timers are driven by this clock instead of Qt's event loop.
    virtual bool drivesTimers() const { return false; }

protected:
    friend class Timer;
    virtual void timerStarted(Timer*) { }
    virtual void timerStopped(Timer*) { }
};

// Real time: Qt timers and real sleeps.
class SystemClock : public Clock
{
public:
    void sleep(int ms) override;
    QDateTime now() const override;

    static SystemClock& instance();
};

// A timer that ticks on the user-interface thread, through whichever clock it was made with.
class Timer : public QObject
{
    Q_OBJECT
public:
    Timer(Clock& clock, int intervalMs, QObject* parent = nullptr);
    ~Timer() override;

    void setInterval(int ms);
    int interval() const { return m_interval; }
    void start();
    void stop();
    bool isActive() const { return m_active; }

    // Used by a virtual clock.
    qint64 deadline() const { return m_deadline; }
    void scheduleFrom(qint64 nowMs);
    void fireFromClock(qint64 nowMs);

signals:
    void timeout();

private:
    Clock& m_clock;
    QTimer m_qtimer;
    int m_interval;
    bool m_active = false;
    qint64 m_deadline = 0;
};

// Virtual time for tests and benchmarks: advance() moves it forward and fires due timers in order;
// sleep() only records the wait and moves the time on.
class VirtualClock : public Clock
{
public:
    explicit VirtualClock(QDateTime start = QDateTime(QDate(2026, 1, 1), QTime(12, 0, 0)));

    void sleep(int ms) override;
    QDateTime now() const override;
    bool drivesTimers() const override { return true; }

    void advance(qint64 ms);
    qint64 elapsedMs() const { return m_elapsed; }
    const std::vector<int>& sleeps() const { return m_sleeps; }
    qint64 totalSlept() const;

protected:
    void timerStarted(Timer* timer) override;
    void timerStopped(Timer* timer) override;

private:
    Timer* nextDue(qint64 until) const;

    QDateTime m_start;
    qint64 m_elapsed = 0;
    std::vector<int> m_sleeps;
    std::vector<Timer*> m_active;
};
