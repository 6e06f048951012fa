#include "chat/ChatLog.h"
#include "util/FormFixture.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

class TestConnectionControl : public QObject
{
    Q_OBJECT
private:
    static void connect(FormFixture& f, int n)
    {
        f.session.raiseConnected(QStringLiteral("Q%1AA").arg(n), QStringLiteral("Op%1").arg(n),
                                 QStringLiteral("10.0.0.%1").arg(n));
    }

private slots:
    // A station arriving while the operator writes a chat line leaves the line and the keys where they are, and
    // says so: the next Space goes into the line instead of keying the transmitter. The callsign the line has
    // just asked for, or an empty line, hands the keys to Tx/Rx.
    void aConnectLeavesTheKeysWithAnOperatorWriting_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<bool>("enter");
        QTest::addColumn<bool>("kept");
        QTest::newRow("writing a chat line") << "hello th" << false << true;
        QTest::newRow("the callsign just asked for") << "q1aa" << true << false;
        QTest::newRow("more typed after asking") << "q1aa" << true << true;
        QTest::newRow("empty line") << "" << false << false;
    }
    void aConnectLeavesTheKeysWithAnOperatorWriting()
    {
        QFETCH(QString, typed);
        QFETCH(bool, enter);
        QFETCH(bool, kept);
        FormFixture f;
        QVERIFY(f.startLikeTheProgram());
        f.clock.advance(4000);
        auto* chat = f.widget<QLineEdit>(QStringLiteral("edtChat"));
        QCOMPARE(QApplication::focusWidget(), chat);
        QTest::keyClicks(chat, typed);
        if (enter)
            QTest::keyClick(chat, Qt::Key_Return);
        if (enter && kept)
            QTest::keyClicks(chat, QStringLiteral(" hi"));
        const QString before = chat->text();
        f.voice.spoken.clear();
        connect(f, 1);
        QVERIFY(f.form->roster().isConnected());
        if (!kept) {
            QCOMPARE(QApplication::focusWidget(), f.widget(QStringLiteral("bTxRx")));
            QVERIFY(chat->text().isEmpty());
            QCOMPARE(f.voice.texts(), (QStringList { "T R", "Quebec One Alpha Alpha " }));
            return;
        }
        QCOMPARE(QApplication::focusWidget(), chat);
        QCOMPARE(chat->text(), before);
        QCOMPARE(f.voice.texts(),
                 (QStringList { "Quebec One Alpha Alpha ", "Your text is kept. Keys stay in Chat line" }));
        f.session.calls.clear();
        QTest::keyClicks(QApplication::focusWidget(), QStringLiteral(" ok"));
        QCOMPARE(f.session.callsOf(QStringLiteral("Transmit")), QStringList());
        QCOMPARE(chat->text(), before + QStringLiteral(" ok"));
    }

    void firstStationShowsItsDetailsAndIsAnnounced()
    {
        FormFixture f;
        f.startUp();
        f.voice.spoken.clear();
        connect(f, 1);
        QCOMPARE(f.widget<QLabel>(QStringLiteral("lblConnInfo"))->text(), QStringLiteral("Q1AA Op1 10.0.0.1"));
        QCOMPARE(f.widget<QLabel>(QStringLiteral("lblStationCount"))->text(), QStringLiteral("1"));
        QCOMPARE(f.form->windowColor(), WindowColors::Qso);
        QVERIFY(!f.widget<QPushButton>(QStringLiteral("btnDisconnectLast"))->isEnabled());
        QVERIFY(!f.widget<QPushButton>(QStringLiteral("btnLastConnect"))->isEnabled());
        QVERIFY(f.form->roster().isConnected());
        QCOMPARE(f.lastChatLine(), f.timeText() + QStringLiteral(">Connected To: Op1 Q1AA"));
        QCOMPARE(f.form->journal().chatLog().records().back().title, QStringLiteral("Connect"));
        QCOMPARE(f.form->journal().chatLog().records().back().description, QStringLiteral("Op1 Q1AA"));
        QCOMPARE(f.voice.spoken.constLast(), (FakeVoice::Request { "Quebec One Alpha Alpha ", 19 }));
        QVERIFY(f.form->away().replyTimer().isActive());
        QVERIFY(f.widget<QLabel>(QStringLiteral("QRZLinkLabel"))->text().contains(QStringLiteral("/db/Q1AA")));
    }

    void secondStationListsBothAndEnablesDisconnectLast()
    {
        FormFixture f;
        f.startUp();
        connect(f, 1);
        f.form->setWindowColor(0x123456);
        connect(f, 2);
        QCOMPARE(f.widget<QLabel>(QStringLiteral("lblConnInfo"))->text(), QStringLiteral("Q1AA Op1 + Q2AA Op2 + "));
        QCOMPARE(f.form->roster().conferenceCalls(), QStringLiteral("Q1AA Q2AA "));
        QVERIFY(f.widget<QPushButton>(QStringLiteral("btnDisconnectLast"))->isEnabled());
        QCOMPARE(f.form->windowColor(), quint32(0x123456)); // the colour stays as it was
    }

    void whicheverStationLeavesTheTopSlotIsRemoved()
    {
        FormFixture f;
        f.startUp();
        for (int n = 1; n <= 3; ++n)
            connect(f, n);
        f.voice.spoken.clear();
        f.session.raiseDisconnected(QStringLiteral("Q1AA"));
        QCOMPARE(f.form->roster().connectionCount(), 2);
        QCOMPARE(f.widget<QLabel>(QStringLiteral("lblConnInfo"))->text(), QStringLiteral("Q1AA Op1 - Q2AA Op2 - "));
        QCOMPARE(f.voice.texts(), (QStringList { "Quebec One Alpha Alpha ", " has disconnected from conference" }));
        QCOMPARE(f.lastChatLine(), f.timeText() + QStringLiteral(">Q1AA Disconnected From Conference."));
        QVERIFY(f.widget<QPushButton>(QStringLiteral("btnDisconnectLast"))->isEnabled());
        f.session.raiseDisconnected(QStringLiteral("Q2AA"));
        QVERIFY(!f.widget<QPushButton>(QStringLiteral("btnDisconnectLast"))->isEnabled());
    }

    void lastStationLeavingReturnsToIdle()
    {
        FormFixture f;
        f.startUp();
        connect(f, 1);
        f.voice.spoken.clear();
        f.session.raiseDisconnected(QStringLiteral("Q1AA"));
        QCOMPARE(f.form->roster().lastStation(), QStringLiteral("Q1AA"));
        QVERIFY(!f.form->roster().isConnected());
        QCOMPARE(f.form->windowColor(), WindowColors::Idle);
        QVERIFY(!f.widget<QPushButton>(QStringLiteral("bTxRx"))->isEnabled());
        QVERIFY(f.widget<QPushButton>(QStringLiteral("btnLastConnect"))->isEnabled());
        // The focus goes to re-connect, which announces itself; the transmit button it leaves does not hand
        // an announcement to whatever Qt picks in between.
        QCOMPARE(f.voice.texts(), (QStringList { "Quebec One Alpha Alpha ",
                                                 QStringLiteral(" Disconnected At  ") + f.timeText(), "re con" }));
        QCOMPARE(f.form->journal().chatLog().records().back().title, QStringLiteral("Disconnect"));
        QCOMPARE(f.lastChatLine(), f.timeText() + QStringLiteral(">Disconnected From: Q1AA"));
    }

    void eleventhStationIsRefusedAndRemovedSevenSecondsLater()
    {
        FormFixture f;
        f.startUp();
        for (int n = 1; n <= 11; ++n)
            connect(f, n);
        QCOMPARE(f.form->roster().stationCall(11), QStringLiteral("Q11AA"));
        QCOMPARE(f.session.callsOf(QStringLiteral("SendChatText")),
                 QStringList { "SendChatText(Q11AA Sorry too many connections, Disconnecting, Please try Later. )" });
        QVERIFY(f.chatLines().contains(f.timeText()
                                       + QStringLiteral(">Connection To: Op11 Q11AA. Will be disconnected in 5 "
                                                        "Seconds, Exceeded Maximum number of stations.")));
        f.clock.advance(6999);
        QVERIFY(f.session.callsOf(QStringLiteral("Disconnect1")).isEmpty());
        f.clock.advance(1);
        QCOMPARE(f.session.callsOf(QStringLiteral("Disconnect1")), QStringList { "Disconnect1(Q11AA)" });
        f.session.raiseDisconnected(QStringLiteral("Q11AA"));
        QCOMPARE(f.form->roster().connectionCount(), 10);
        QVERIFY(f.form->roster().isConnected());
    }

    void twelfthStationNeverWritesPastTheLastSlot()
    {
        FormFixture f;
        f.startUp();
        for (int n = 1; n <= 12; ++n)
            connect(f, n);
        QCOMPARE(f.form->roster().connectionCount(), 12);
        QCOMPARE(f.form->roster().stationCall(11), QStringLiteral("Q11AA"));
        QCOMPARE(f.session.callsOf(QStringLiteral("SendChatText")).size(), 2);
        f.clock.advance(7000);
        // Both stations beyond the maximum are sent away, not just the one in the last slot.
        QCOMPARE(f.session.callsOf(QStringLiteral("Disconnect1")),
                 (QStringList { "Disconnect1(Q11AA)", "Disconnect1(Q12AA)" }));
        f.session.raiseDisconnected(QStringLiteral("Q11AA"));
        f.session.raiseDisconnected(QStringLiteral("Q12AA"));
        QCOMPARE(f.form->roster().connectionCount(), 10);
        QCOMPARE(f.widget<QLabel>(QStringLiteral("lblConnInfo"))->text().count(QStringLiteral(" - ")), 10);
    }

    void lateEventsAfterDisconnectAllEachTakeTheLastStationBranch()
    {
        FormFixture f;
        f.startUp();
        connect(f, 1);
        connect(f, 2);
        f.widget<QPushButton>(QStringLiteral("btnDisconnect"))->click();
        QVERIFY(!f.form->roster().isConnected());
        QCOMPARE(f.form->roster().connectionCount(), 0);
        f.voice.spoken.clear();
        f.session.raiseDisconnected(QStringLiteral("Q1AA"));
        f.session.raiseDisconnected(QStringLiteral("Q2AA"));
        QCOMPARE(f.form->roster().lastStation(), QStringLiteral("Q2AA"));
        QCOMPARE(f.form->roster().connectionCount(), 0);
        QCOMPARE(f.voice.texts().count(QStringLiteral(" Disconnected At  ") + f.timeText()), 2);
    }

    void reConnectUsesTheTypedCallOrTheLastStation()
    {
        FormFixture f;
        f.startUp();
        f.widget<QPushButton>(QStringLiteral("btnLastConnect"))->setEnabled(true);
        f.widget<QPushButton>(QStringLiteral("btnLastConnect"))->click();
        QVERIFY(f.session.callsOf(QStringLiteral("Connect1")).isEmpty()); // nothing to reconnect to

        f.widget<QLineEdit>(QStringLiteral("edtChat"))->setText(QStringLiteral("q3cc"));
        f.session.failNext[QStringLiteral("Connect1")] = QStringLiteral("busy");
        f.widget<QPushButton>(QStringLiteral("btnLastConnect"))->click();
        QCOMPARE(f.session.callsOf(QStringLiteral("Connect1")), QStringList { "Connect1(Q3CC,true)" });
        QVERIFY(
            f.widget<QLineEdit>(QStringLiteral("edtChat"))->text().isEmpty()); // emptied even when the connection fails
        QCOMPARE(f.lastChatLine(), QStringLiteral(">ReConnect [chat text call] busy"));
        QCOMPARE(f.voice.texts().constLast(), QStringLiteral("ReConnect busy"));

        f.session.raiseConnected(QStringLiteral("Q4DD"), QStringLiteral("Op4"), QStringLiteral("10.0.0.4"));
        f.session.raiseDisconnected(QStringLiteral("Q4DD"));
        f.widget<QPushButton>(QStringLiteral("btnLastConnect"))->click();
        QCOMPARE(f.session.callsOf(QStringLiteral("Connect1")).constLast(), QStringLiteral("Connect1(Q4DD,true)"));
    }

    void doConnectReportsAFailureAndEnablesTheButtonsAgain()
    {
        FormFixture f;
        f.startUp();
        f.session.failNext[QStringLiteral("Connect1")] = QStringLiteral("Station NO CALL not found");
        f.memory(7)->setEnabled(false);
        f.memory(7)->setText(QStringLiteral("no call"));
        f.voice.spoken.clear();
        f.form->connections().DoConnect(f.memory(7)->text());
        QCOMPARE(f.session.callsOf(QStringLiteral("Connect1")), QStringList { "Connect1(NO CALL,true)" });
        QCOMPARE(f.voice.texts(), (QStringList { "Connecting", "Station NO CALL not found" }));
        QVERIFY(f.chatLines().contains(QStringLiteral("Q9ZZZ>Connecting To: no call")));
        QVERIFY(f.memory(7)->isEnabled());
        QVERIFY(f.widget<QPushButton>(QStringLiteral("btnLastConnect"))->isEnabled());
    }

    void disconnectLastAsksForTheTopStation()
    {
        FormFixture f;
        f.startUp();
        connect(f, 1);
        connect(f, 2);
        f.widget<QPushButton>(QStringLiteral("btnDisconnectLast"))->click();
        QCOMPARE(f.session.callsOf(QStringLiteral("Disconnect1")), QStringList { "Disconnect1(Q2AA)" });
    }
};

QTEST_MAIN(TestConnectionControl)
#include "TestConnectionControl.moc"
