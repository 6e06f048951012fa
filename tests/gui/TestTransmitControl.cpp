// Keying and unkeying through the Tx/Rx button and EchoLink's transmit events, through the window (the time
// bar's bell and the link events run on recording views in TestTransmitRules).
#include "chat/ChatLine.h"
#include "util/FormFixture.h"

#include <QLineEdit>
#include <QProgressBar>
#include <QTest>

class TestTransmitControl : public QObject
{
    Q_OBJECT
private:
    static void startInQso(FormFixture& f)
    {
        f.startUp();
        f.session.raiseConnected(QStringLiteral("Q1AB"), QStringLiteral("Jo"), QStringLiteral("10.0.0.1"));
        f.voice.spoken.clear();
        f.session.calls.clear();
    }
    static void press(FormFixture& f) { f.widget<QPushButton>(QStringLiteral("bTxRx"))->click(); }
    static QProgressBar* bar(FormFixture& f) { return f.widget<QProgressBar>(QStringLiteral("TxTimeFill")); }

private slots:
    void pressesKeyAndUnkey_data()
    {
        QTest::addColumn<bool>("buttonAnnounce");
        QTest::newRow("key letters spoken") << true;
        QTest::newRow("key letters silent") << false;
    }

    void pressesKeyAndUnkey()
    {
        QFETCH(bool, buttonAnnounce);
        FormFixture f;
        startInQso(f);
        f.form->options().ButtonAnnounceCheckBoxClick(buttonAnnounce);
        f.voice.spoken.clear();
        TransmitControl& tx = f.form->transmit();

        press(f);
        QCOMPARE(f.session.callsOf("Transmit"), QStringList { "Transmit(true)" });
        QVERIFY(tx.txOn());
        QCOMPARE(f.form->windowColor(), WindowColors::Transmit);
        QVERIFY(tx.txTimer().isActive());
        QVERIFY(!bar(f)->isHidden());
        QCOMPARE(bar(f)->value(), 100);
        QCOMPARE(f.voice.texts(), buttonAnnounce ? QStringList { "T" } : QStringList());
        QVERIFY(f.form->chatLine().clearTextTimer().isActive());

        f.clock.advance(300);
        QVERIFY(!f.form->chatLine().clearTextTimer().isActive());
        press(f);
        QCOMPARE(f.session.callsOf("Transmit"), (QStringList { "Transmit(true)", "Transmit(false)" }));
        QVERIFY(!tx.txOn());
        QCOMPARE(f.form->windowColor(), WindowColors::Qso);
        QVERIFY(!tx.txTimer().isActive());
        QVERIFY(bar(f)->isHidden());
        QCOMPARE(bar(f)->value(), 100);
        QCOMPARE(f.voice.texts(), buttonAnnounce ? (QStringList { "T", "R" }) : QStringList());
        QVERIFY(f.form->chatLine().clearTextTimer().isActive());
    }

    void pressWhileReceivingChangesNothing()
    {
        FormFixture f;
        startInQso(f);
        f.session.receiving = true;
        const quint32 color = f.form->windowColor();
        press(f);
        QCOMPARE(f.session.calls, QStringList { "Receiving()" });
        QVERIFY(!f.form->transmit().txOn());
        QCOMPARE(f.form->windowColor(), color);
        QVERIFY(f.voice.spoken.isEmpty());
        QVERIFY(!f.form->chatLine().clearTextTimer().isActive());
        QVERIFY(bar(f)->isHidden());
    }

    void spaceInTheEmptyChatLineKeysTheTransmitter()
    {
        FormFixture f;
        startInQso(f);
        auto* chat = f.widget<QLineEdit>(QStringLiteral("edtChat"));
        QTest::keyClick(chat, Qt::Key_Space);
        QCOMPARE(f.session.callsOf("Transmit"), QStringList { "Transmit(true)" });
        // The typed space goes with the clearing timer, so the next space keys again.
        f.clock.advance(300);
        QCOMPARE(chat->text(), QString());
        QTest::keyClick(chat, Qt::Key_Space);
        QCOMPARE(f.session.callsOf("Transmit"), (QStringList { "Transmit(true)", "Transmit(false)" }));
    }

    void disconnectWhileKeyedLeavesTheToggleOn()
    {
        FormFixture f;
        startInQso(f);
        press(f);
        f.clock.advance(9000);
        f.session.raiseDisconnected(QStringLiteral("Q1AB"));
        QVERIFY(bar(f)->isHidden());
        QCOMPARE(bar(f)->value(), 100);
        QVERIFY(!f.form->transmit().txTimer().isActive());
        QVERIFY(f.form->transmit().txOn());

        f.session.raiseConnected(QStringLiteral("Q2CD"), QStringLiteral("Ann"), QStringLiteral("10.0.0.2"));
        f.voice.spoken.clear();
        press(f);
        QCOMPARE(f.session.callsOf("Transmit"), (QStringList { "Transmit(true)", "Transmit(false)" }));
        QCOMPARE(f.form->windowColor(), WindowColors::Qso);
        QCOMPARE(f.voice.texts(), QStringList { "R" });
        QVERIFY(bar(f)->isHidden());
    }

    void transmitEventOnlyGovernsTheAlarmSilence()
    {
        FormFixture f;
        startInQso(f);
        TransmitControl& tx = f.form->transmit();
        f.session.raiseTX(true);
        QVERIFY(!tx.notTransmitting());
        QVERIFY(!tx.txOn());
        QCOMPARE(f.form->windowColor(), WindowColors::Qso);
        f.session.raiseTX(false);
        QVERIFY(tx.notTransmitting());
        f.session.raiseTX(true);
        f.session.raiseConnected(QStringLiteral("Q2CD"), QStringLiteral("Ann"), QStringLiteral("10.0.0.2"));
        QVERIFY(tx.notTransmitting());
    }
};

QTEST_MAIN(TestTransmitControl)
#include "TestTransmitControl.moc"
