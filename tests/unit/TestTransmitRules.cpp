// Transmit control on recording views, without the window: the transmit time bar with its bell on the
// virtual clock, and EchoLink's link events.
#include "echolink/StationRoster.h"
#include "echolink/TransmitControl.h"
#include "mock/FakePlatform.h"
#include "mock/FakeSession.h"
#include "mock/FakeVoice.h"
#include "mock/RecordingViews.h"
#include "platform/Clock.h"
#include "platform/WindowColors.h"
#include "speech/Announcer.h"
#include "speech/OptionBoxes.h"
#include "speech/SoundFiles.h"

#include <QTest>

// Transmit control and what it needs, attached as the start-up leaves it: no QSO keyed, the bar stopped.
struct TransmitRig
{
    FakeSession session;
    FakeVoice voice;
    Announcer announcer { voice };
    FakePlatform platform;
    StationRoster roster;
    RecordingOptionBoxesView optionsView;
    OptionBoxes options { announcer, platform, roster, optionsView };
    VirtualClock clock;
    RecordingTransmitView view;
    TransmitControl transmit { TransmitParts { session, announcer, options, platform, clock, view } };

    TransmitRig()
    {
        // The window wires each timer to its handler; here the rig does.
        QObject::connect(&transmit.txTimer(), &Timer::timeout, [this] { transmit.TxTimerTimer(); });
        transmit.stopTransmitBar();
    }
};

class TestTransmitRules : public QObject
{
    Q_OBJECT
private slots:
    void bellRingsNineSecondsBeforeTheBarEmpties_data()
    {
        QTest::addColumn<bool>("timerBell");
        QTest::newRow("bell on") << true;
        QTest::newRow("bell off") << false;
    }

    void bellRingsNineSecondsBeforeTheBarEmpties()
    {
        QFETCH(bool, timerBell);
        TransmitRig r;
        r.transmit.setTimerBell(timerBell);
        const QStringList bell = timerBell ? QStringList { SoundFiles::timeoutWavPath() } : QStringList();
        r.transmit.bTxRxClick();
        QVERIFY(r.view.barShown);

        r.clock.advance(171000 - 1);
        QVERIFY(r.platform.sounds.isEmpty());
        QCOMPARE(r.view.barValue, 6);
        r.clock.advance(1);
        QCOMPARE(r.platform.sounds, bell);
        QCOMPARE(r.view.barValue, 5);

        // At three minutes the bar fills again and keeps draining.
        r.clock.advance(9000 - 1);
        QCOMPARE(r.view.barValue, 1);
        r.clock.advance(1);
        QCOMPARE(r.view.barValue, 100);
        QCOMPARE(r.platform.sounds, bell);
        r.clock.advance(171000);
        QCOMPARE(r.platform.sounds, bell + bell);
        QCOMPARE(r.transmit.txTimeFill(), 5);
    }

    void linkStatusGreysOrRestoresTheWindow_data()
    {
        QTest::addColumn<bool>("enabled");
        QTest::addColumn<quint32>("color");
        QTest::newRow("link enabled") << true << WindowColors::Idle;
        QTest::newRow("link disabled") << false << WindowColors::Waiting;
    }

    void linkStatusGreysOrRestoresTheWindow()
    {
        QFETCH(bool, enabled);
        QFETCH(quint32, color);
        TransmitRig r;
        r.view.setButtonEnabled(ConnectionStateView::Button::ReConnect, true);
        r.transmit.elEchoLinkSessionLinkStatusChange(enabled);
        QCOMPARE(r.view.windowColor, std::optional<quint32>(color));
        QCOMPARE(r.view.enabled(ConnectionStateView::Button::ReConnect), std::optional<bool>(false));
    }
};

QTEST_GUILESS_MAIN(TestTransmitRules)
#include "TestTransmitRules.moc"
