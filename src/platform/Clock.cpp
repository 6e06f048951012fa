#include "platform/Clock.h"

#include <QThread>
#include <algorithm>

void SystemClock::sleep(int ms)
{
    QThread::msleep(static_cast<unsigned long>(std::max(ms, 0)));
}

QDateTime SystemClock::now() const
{
    return QDateTime::currentDateTime();
}

SystemClock& SystemClock::instance()
{
    static SystemClock clock;
    return clock;
}

Timer::Timer(Clock& clock, int intervalMs, QObject* parent)
    : QObject(parent)
    , m_clock(clock)
    , m_interval(intervalMs)
{
    m_qtimer.setInterval(intervalMs);
    connect(&m_qtimer, &QTimer::timeout, this, &Timer::timeout);
}

Timer::~Timer()
{
    if (m_active && m_clock.drivesTimers())
        m_clock.timerStopped(this);
}

void Timer::setInterval(int ms)
{
    m_interval = ms;
    m_qtimer.setInterval(ms);
}

// Like a Qt timer, starting a running timer restarts its interval.
void Timer::start()
{
    if (m_clock.drivesTimers()) {
        if (m_active)
            m_clock.timerStopped(this);
        m_active = true;
        m_deadline = 0;
        m_clock.timerStarted(this);
        return;
    }
    m_active = true;
    m_qtimer.start();
}

void Timer::stop()
{
    if (!m_active)
        return;
    m_active = false;
    if (m_clock.drivesTimers())
        m_clock.timerStopped(this);
    else
        m_qtimer.stop();
}

void Timer::scheduleFrom(qint64 nowMs)
{
    m_deadline = nowMs + std::max(m_interval, 1);
}

void Timer::fireFromClock(qint64 nowMs)
{
    scheduleFrom(nowMs); // a repeating timer; one-shot handlers stop it first thing
    emit timeout();
}

VirtualClock::VirtualClock(QDateTime start)
    : m_start(std::move(start))
{
}

void VirtualClock::sleep(int ms)
{
    m_sleeps.push_back(ms);
    m_elapsed += std::max(ms, 0);
}

QDateTime VirtualClock::now() const
{
    return m_start.addMSecs(m_elapsed);
}

qint64 VirtualClock::totalSlept() const
{
    qint64 total = 0;
    for (int ms : m_sleeps)
        total += ms;
    return total;
}

void VirtualClock::timerStarted(Timer* timer)
{
    m_active.push_back(timer);
    timer->scheduleFrom(m_elapsed);
}

void VirtualClock::timerStopped(Timer* timer)
{
    m_active.erase(std::remove(m_active.begin(), m_active.end(), timer), m_active.end());
}

Timer* VirtualClock::nextDue(qint64 until) const
{
    Timer* due = nullptr;
    for (Timer* t : m_active) {
        if (t->deadline() <= until && (!due || t->deadline() < due->deadline()))
            due = t;
    }
    return due;
}

void VirtualClock::advance(qint64 ms)
{
    const qint64 until = m_elapsed + ms;
    while (Timer* timer = nextDue(until)) {
        m_elapsed = std::max(m_elapsed, timer->deadline());
        timer->fireFromClock(m_elapsed);
    }
    m_elapsed = until;
}
