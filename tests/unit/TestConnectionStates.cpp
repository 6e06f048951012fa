// The connection buttons and the window colour for each connection state, on a recording view.
#include "echolink/ConnectionStates.h"
#include "mock/RecordingViews.h"
#include "platform/WindowColors.h"

#include <QTest>

Q_DECLARE_METATYPE(ConnectionState)
Q_DECLARE_METATYPE(std::optional<quint32>)
Q_DECLARE_METATYPE(std::optional<bool>)

class TestConnectionStates : public QObject
{
    Q_OBJECT
    using Button = ConnectionStateView::Button;
    using State = ConnectionState;
    using Maybe = std::optional<bool>;
    static constexpr Maybe Unset = std::nullopt;

private slots:
    // A state added without its row would fail at the first moment it is shown.
    void everyStateHasItsOwnRow()
    {
        for (int i = static_cast<int>(State::StartingUp); i <= static_cast<int>(State::LinkDown); ++i) {
            const auto state = static_cast<State>(i);
            QVERIFY2(ConnectionStates::look(state).state == state, qPrintable(QString::number(i)));
        }
    }

    void aStateSwitchesOnlyWhatItDecides_data()
    {
        QTest::addColumn<State>("state");
        QTest::addColumn<std::optional<quint32>>("color");
        QTest::addColumn<Maybe>("txRx");
        QTest::addColumn<Maybe>("all");
        QTest::addColumn<Maybe>("last");
        QTest::addColumn<Maybe>("reConnect");
        // Nothing to transmit to and nothing to disconnect once the last station left; reconnecting is offered.
        QTest::newRow("last station left") << State::LastStationLeft << std::optional<quint32>(WindowColors::Idle)
                                           << Maybe(false) << Maybe(false) << Maybe(false) << Maybe(true);
        // The first station: a QSO, with nothing to reconnect; Disconnect Last waits for a second station.
        QTest::newRow("first station") << State::FirstStation << std::optional<quint32>(WindowColors::Qso)
                                       << Maybe(true) << Maybe(true) << Unset << Maybe(false);
        // A conference keeps the QSO colour the first station gave.
        QTest::newRow("further station") << State::FurtherStation << std::optional<quint32>() << Maybe(true)
                                         << Maybe(true) << Maybe(true) << Maybe(false);
        QTest::newRow("one station left")
            << State::OneStationLeft << std::optional<quint32>() << Unset << Unset << Maybe(false) << Unset;
        // Keying changes the colour alone.
        QTest::newRow("transmitting") << State::Transmitting << std::optional<quint32>(WindowColors::Transmit) << Unset
                                      << Unset << Unset << Unset;
        QTest::newRow("link down") << State::LinkDown << std::optional<quint32>(WindowColors::Waiting) << Unset << Unset
                                   << Unset << Maybe(false);
        QTest::newRow("connect refused") << State::ConnectRefused << std::optional<quint32>() << Unset << Maybe(true)
                                         << Unset << Maybe(true);
    }

    void aStateSwitchesOnlyWhatItDecides()
    {
        QFETCH(State, state);
        QFETCH(std::optional<quint32>, color);
        QFETCH(Maybe, txRx);
        QFETCH(Maybe, all);
        QFETCH(Maybe, last);
        QFETCH(Maybe, reConnect);
        RecordingConnectionStateView view;
        view.showConnectionState(state);
        QCOMPARE(view.windowColor, color);
        QCOMPARE(view.enabled(Button::TxRx), txRx);
        QCOMPARE(view.enabled(Button::DisconnectAll), all);
        QCOMPARE(view.enabled(Button::DisconnectLast), last);
        QCOMPARE(view.enabled(Button::ReConnect), reConnect);
    }
};

QTEST_APPLESS_MAIN(TestConnectionStates)
#include "TestConnectionStates.moc"
