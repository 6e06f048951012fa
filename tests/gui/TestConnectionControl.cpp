#include "chat/ChatLog.h"
#include "util/FormFixture.h"

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
        f.form->elEchoLinkSessionConnected(QStringLiteral("Q%1AA").arg(n), QStringLiteral("Op%1").arg(n),
                                           QStringLiteral("10.0.0.%1").arg(n));
    }

private slots:
    void firstStationShowsItsDetailsAndIsAnnounced()
    {
        FormFixture f;
        f.startUp();
        f.voice.spoken.clear();
        connect(f, 1);
        QCOMPARE(f.form->lblConnInfo->text(), QStringLiteral("Q1AA Op1 10.0.0.1"));
        QCOMPARE(f.form->lblStationCount->text(), QStringLiteral("1"));
        QCOMPARE(f.form->windowColor(), WindowColors::Qso);
        QVERIFY(!f.form->btnDisconnectLast->isEnabled());
        QVERIFY(!f.form->btnLastConnect->isEnabled());
        QVERIFY(f.form->state.IsConnected);
        QCOMPARE(f.lastChatLine(), f.form->timeText() + QStringLiteral(">Connected To: Op1 Q1AA"));
        QCOMPARE(f.form->chatLog().records().back().title, QStringLiteral("Connect"));
        QCOMPARE(f.form->chatLog().records().back().description, QStringLiteral("Op1 Q1AA"));
        QCOMPARE(f.voice.spoken.constLast(), (FakeVoice::Request { "Quebec One Alpha Alpha ", 19 }));
        QVERIFY(f.form->Timer1->isActive());
        QVERIFY(f.form->QRZLinkLabel->text().contains(QStringLiteral("/db/Q1AA")));
    }

    void secondStationListsBothAndEnablesDisconnectLast()
    {
        FormFixture f;
        f.startUp();
        connect(f, 1);
        f.form->setWindowColor(0x123456);
        connect(f, 2);
        QCOMPARE(f.form->lblConnInfo->text(), QStringLiteral("Q1AA Op1 + Q2AA Op2 + "));
        QCOMPARE(f.form->state.ConferenceCalls, QStringLiteral("Q1AA Q2AA "));
        QVERIFY(f.form->btnDisconnectLast->isEnabled());
        QCOMPARE(f.form->windowColor(), quint32(0x123456)); // the colour stays as it was
    }

    void whicheverStationLeavesTheTopSlotIsRemoved()
    {
        FormFixture f;
        f.startUp();
        for (int n = 1; n <= 3; ++n)
            connect(f, n);
        f.voice.spoken.clear();
        f.form->elEchoLinkSessionDisconnected(QStringLiteral("Q1AA"));
        QCOMPARE(f.form->state.ConnectionCount, 2);
        QCOMPARE(f.form->lblConnInfo->text(), QStringLiteral("Q1AA Op1 - Q2AA Op2 - "));
        QCOMPARE(f.voice.texts(), (QStringList { "Quebec One Alpha Alpha ", " has disconnected from conference" }));
        QCOMPARE(f.lastChatLine(), f.form->timeText() + QStringLiteral(">Q1AA Disconnected From Conference."));
        QVERIFY(f.form->btnDisconnectLast->isEnabled());
        f.form->elEchoLinkSessionDisconnected(QStringLiteral("Q2AA"));
        QVERIFY(!f.form->btnDisconnectLast->isEnabled());
    }

    void lastStationLeavingReturnsToIdle()
    {
        FormFixture f;
        f.startUp();
        connect(f, 1);
        f.voice.spoken.clear();
        f.form->elEchoLinkSessionDisconnected(QStringLiteral("Q1AA"));
        QCOMPARE(f.form->state.LastStation, QStringLiteral("Q1AA"));
        QVERIFY(!f.form->state.IsConnected);
        QCOMPARE(f.form->windowColor(), WindowColors::Idle);
        QVERIFY(!f.form->bTxRx->isEnabled());
        QVERIFY(f.form->btnLastConnect->isEnabled());
        QCOMPARE(
            f.voice.texts(),
            (QStringList { "Quebec One Alpha Alpha ", QStringLiteral(" Disconnected At  ") + f.form->timeText() }));
        QCOMPARE(f.form->chatLog().records().back().title, QStringLiteral("Disconnect"));
        QCOMPARE(f.lastChatLine(), f.form->timeText() + QStringLiteral(">Disconnected From: Q1AA"));
    }

    void eleventhStationIsRefusedAndRemovedSevenSecondsLater()
    {
        FormFixture f;
        f.startUp();
        for (int n = 1; n <= 11; ++n)
            connect(f, n);
        QCOMPARE(f.form->state.StationCalls[11], QStringLiteral("Q11AA"));
        QCOMPARE(f.session.callsOf(QStringLiteral("SendChatText")),
                 QStringList { "SendChatText(Q11AA Sorry too many connections, Disconnecting, Please try Later. )" });
        QVERIFY(f.chatLines().contains(f.form->timeText()
                                       + QStringLiteral(">Connection To: Op11 Q11AA. Will be disconnected in 5 "
                                                        "Seconds, Exceeded Maximum number of stations.")));
        f.clock.advance(6999);
        QVERIFY(f.session.callsOf(QStringLiteral("Disconnect1")).isEmpty());
        f.clock.advance(1);
        QCOMPARE(f.session.callsOf(QStringLiteral("Disconnect1")), QStringList { "Disconnect1(Q11AA)" });
        f.form->elEchoLinkSessionDisconnected(QStringLiteral("Q11AA"));
        QCOMPARE(f.form->state.ConnectionCount, 10);
        QVERIFY(f.form->state.IsConnected);
    }

    void twelfthStationNeverWritesPastTheLastSlot()
    {
        FormFixture f;
        f.startUp();
        for (int n = 1; n <= 12; ++n)
            connect(f, n);
        QCOMPARE(f.form->state.ConnectionCount, 12);
        QCOMPARE(f.form->state.StationCalls[11], QStringLiteral("Q11AA"));
        QCOMPARE(f.session.callsOf(QStringLiteral("SendChatText")).size(), 2);
        f.clock.advance(7000);
        // Both stations beyond the maximum are sent away, not just the one in the last slot.
        QCOMPARE(f.session.callsOf(QStringLiteral("Disconnect1")),
                 (QStringList { "Disconnect1(Q11AA)", "Disconnect1(Q12AA)" }));
        f.form->elEchoLinkSessionDisconnected(QStringLiteral("Q11AA"));
        f.form->elEchoLinkSessionDisconnected(QStringLiteral("Q12AA"));
        QCOMPARE(f.form->state.ConnectionCount, 10);
        QCOMPARE(f.form->lblConnInfo->text().count(QStringLiteral(" - ")), 10);
    }

    void lateEventsAfterDisconnectAllEachTakeTheLastStationBranch()
    {
        FormFixture f;
        f.startUp();
        connect(f, 1);
        connect(f, 2);
        f.form->btnDisconnect->click();
        QVERIFY(!f.form->state.IsConnected);
        QCOMPARE(f.form->state.ConnectionCount, 0);
        f.voice.spoken.clear();
        f.form->elEchoLinkSessionDisconnected(QStringLiteral("Q1AA"));
        f.form->elEchoLinkSessionDisconnected(QStringLiteral("Q2AA"));
        QCOMPARE(f.form->state.LastStation, QStringLiteral("Q2AA"));
        QCOMPARE(f.form->state.ConnectionCount, 0);
        QCOMPARE(f.voice.texts().count(QStringLiteral(" Disconnected At  ") + f.form->timeText()), 2);
    }

    void reConnectUsesTheTypedCallOrTheLastStation()
    {
        FormFixture f;
        f.startUp();
        f.form->btnLastConnect->setEnabled(true);
        f.form->btnLastConnect->click();
        QVERIFY(f.session.callsOf(QStringLiteral("Connect1")).isEmpty()); // nothing to reconnect to

        f.form->edtChat->setText(QStringLiteral("q3cc"));
        f.session.failNext[QStringLiteral("Connect1")] = QStringLiteral("busy");
        f.form->btnLastConnect->click();
        QCOMPARE(f.session.callsOf(QStringLiteral("Connect1")), QStringList { "Connect1(Q3CC,true)" });
        QVERIFY(f.form->edtChat->text().isEmpty()); // emptied even when the connection fails
        QCOMPARE(f.lastChatLine(), QStringLiteral(">ReConnect [chat text call] busy"));
        QCOMPARE(f.voice.texts().constLast(), QStringLiteral("ReConnect busy"));

        f.form->state.LastStation = QStringLiteral("Q4DD");
        f.form->btnLastConnect->click();
        QCOMPARE(f.session.callsOf(QStringLiteral("Connect1")).constLast(), QStringLiteral("Connect1(Q4DD,true)"));
    }

    void doConnectReportsAFailureAndEnablesTheButtonsAgain()
    {
        FormFixture f;
        f.startUp();
        f.session.failNext[QStringLiteral("Connect1")] = QStringLiteral("Station NO CALL not found");
        f.form->bCall[6]->setEnabled(false);
        f.form->bCall[6]->setText(QStringLiteral("no call"));
        f.voice.spoken.clear();
        f.form->DoConnect(f.form->bCall[6]->text());
        QCOMPARE(f.session.callsOf(QStringLiteral("Connect1")), QStringList { "Connect1(NO CALL,true)" });
        QCOMPARE(f.voice.texts(), (QStringList { "Connecting", "Station NO CALL not found" }));
        QVERIFY(f.chatLines().contains(QStringLiteral("Q9ZZZ>Connecting To: no call")));
        QVERIFY(f.form->bCall[6]->isEnabled());
        QVERIFY(f.form->btnLastConnect->isEnabled());
    }

    void disconnectLastAsksForTheTopStation()
    {
        FormFixture f;
        f.startUp();
        connect(f, 1);
        connect(f, 2);
        f.form->btnDisconnectLast->click();
        QCOMPARE(f.session.callsOf(QStringLiteral("Disconnect1")), QStringList { "Disconnect1(Q2AA)" });
    }
};

QTEST_MAIN(TestConnectionControl)
#include "TestConnectionControl.moc"
