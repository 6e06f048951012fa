#include "platform/Clock.h"

#include <QSignalSpy>
#include <QTest>

class TestClock : public QObject
{
    Q_OBJECT
private slots:
    void dueTimersFireInDeadlineOrder()
    {
        VirtualClock clock;
        Timer slow(clock, 250), fast(clock, 100);
        QStringList fired;
        connect(&slow, &Timer::timeout, this, [&] { fired << QStringLiteral("slow"); });
        connect(&fast, &Timer::timeout, this, [&] { fired << QStringLiteral("fast"); });
        slow.start();
        fast.start();
        clock.advance(300);
        QCOMPARE(fired, (QStringList { "fast", "fast", "slow", "fast" }));
    }

    void oneShotHandlerStoppingItselfFiresOnce()
    {
        VirtualClock clock;
        Timer timer(clock, 4000);
        int ticks = 0;
        connect(&timer, &Timer::timeout, this, [&] {
            timer.stop();
            ++ticks;
        });
        timer.start();
        clock.advance(3999);
        QCOMPARE(ticks, 0);
        clock.advance(20000);
        QCOMPARE(ticks, 1);
        QVERIFY(!timer.isActive());
    }

    void restartingCountsTheIntervalAgain()
    {
        VirtualClock clock;
        Timer timer(clock, 7000);
        QSignalSpy spy(&timer, &Timer::timeout);
        timer.start();
        clock.advance(5000);
        timer.start();
        clock.advance(5000);
        QCOMPARE(spy.count(), 0);
        clock.advance(2000);
        QCOMPARE(spy.count(), 1);
    }

    void sleepsAreRecordedAndMoveTimeWithoutFiring()
    {
        VirtualClock clock;
        const QDateTime start = clock.now();
        Timer timer(clock, 1000);
        QSignalSpy spy(&timer, &Timer::timeout);
        timer.start();
        clock.sleep(7000);
        QCOMPARE(spy.count(), 0); // a blocked thread handles no timer
        QCOMPARE(clock.now(), start.addMSecs(7000));
        QCOMPARE(clock.totalSlept(), 7000);
        clock.advance(0);
        QCOMPARE(spy.count(), 1); // the overdue tick arrives once the loop runs again
    }

    void destroyedTimerLeavesTheClock()
    {
        VirtualClock clock;
        {
            Timer timer(clock, 10);
            timer.start();
        }
        clock.advance(100); // must not touch the destroyed timer
    }
};

QTEST_GUILESS_MAIN(TestClock)
#include "TestClock.moc"
