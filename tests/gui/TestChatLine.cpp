#include "chat/ChatLog.h"
#include "util/FormFixture.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

class TestChatLine : public QObject
{
    Q_OBJECT
private:
    static void type(FormFixture& f, const QString& text)
    {
        f.widget<QLineEdit>(QStringLiteral("edtChat"))->setText(text);
        QTest::keyClick(f.widget<QLineEdit>(QStringLiteral("edtChat")), Qt::Key_Return);
    }
    static void connectOne(FormFixture& f)
    {
        f.session.raiseConnected(QStringLiteral("Q2CD"), QStringLiteral("Ann"), QStringLiteral("10.0.0.2"));
        f.voice.spoken.clear();
    }

private slots:
    void enterDuringAQsoSendsAndLogsTheLine()
    {
        FormFixture f;
        f.startUp();
        connectOne(f);
        type(f, QStringLiteral("hello there"));
        QCOMPARE(f.session.callsOf(QStringLiteral("SendChatText")), QStringList { "SendChatText(hello there)" });
        QCOMPARE(f.lastChatLine(), QStringLiteral("Q9ZZZ> hello there"));
        QCOMPARE(f.form->journal().chatLog().records().back().title, QStringLiteral("TxText"));
        QCOMPARE(f.form->journal().chatLog().records().back().description, QStringLiteral("Q9ZZZ> hello there"));
        QVERIFY(f.widget<QLineEdit>(QStringLiteral("edtChat"))->text().isEmpty());
    }

    void emptyLineDuringAQsoIsSentToo()
    {
        FormFixture f;
        f.startUp();
        connectOne(f);
        type(f, QString());
        QCOMPARE(f.session.callsOf(QStringLiteral("SendChatText")), QStringList { "SendChatText()" });
        QCOMPARE(f.form->journal().chatLog().records().back().description, QStringLiteral("Q9ZZZ> "));
    }

    void slashLinesAreCommandsAndNeverChat_data()
    {
        QTest::addColumn<bool>("connected");
        QTest::newRow("in a QSO") << true;
        QTest::newRow("idle") << false;
    }
    void slashLinesAreCommandsAndNeverChat()
    {
        QFETCH(bool, connected);
        FormFixture f;
        f.startUp();
        if (connected)
            connectOne(f);
        type(f, QStringLiteral("/A1"));
        QVERIFY(f.session.callsOf(QStringLiteral("SendChatText")).isEmpty());
        QVERIFY(f.session.callsOf(QStringLiteral("Connect1")).isEmpty());
    }

    void fullStopWithoutAQsoIsRefused()
    {
        FormFixture f;
        f.startUp();
        f.voice.spoken.clear();
        type(f, QStringLiteral(".A1"));
        QCOMPARE(f.voice.texts(), QStringList { "Invalid call sign. You started call with a full stop" });
        QVERIFY(f.widget<QLineEdit>(QStringLiteral("edtChat"))->text().isEmpty());
        QVERIFY(f.session.callsOf(QStringLiteral("Connect1")).isEmpty());
    }

    void fullStopDuringAQsoIsSentAsChat()
    {
        FormFixture f;
        f.startUp();
        connectOne(f);
        type(f, QStringLiteral(".A1"));
        QCOMPARE(f.session.callsOf(QStringLiteral("SendChatText")), QStringList { "SendChatText(.A1)" });
    }

    void typedCallsignIsConnectedInUpperCase()
    {
        FormFixture f;
        f.startUp();
        type(f, QStringLiteral("q1ab-l"));
        QCOMPARE(f.session.callsOf(QStringLiteral("Connect1")), QStringList { "Connect1(Q1AB-L,true)" });
        QCOMPARE(f.lastChatLine(), QStringLiteral("Q9ZZZ>Connecting To: q1ab-l"));
        QCOMPARE(f.widget<QLineEdit>(QStringLiteral("edtChat"))->text(),
                 QStringLiteral("q1ab-l")); // the connected event empties it
    }

    void failedConnectShowsAndSpeaksTheMessage()
    {
        FormFixture f;
        f.startUp();
        f.voice.spoken.clear();
        f.session.failNext[QStringLiteral("Connect1")] = QStringLiteral("Station NO CALL not found");
        type(f, QStringLiteral("NO CALL"));
        QCOMPARE(f.lastChatLine(), QStringLiteral(">Station NO CALL not found"));
        QCOMPARE(f.voice.texts(), QStringList { "Station NO CALL not found" });
        QVERIFY(f.widget<QLineEdit>(QStringLiteral("edtChat"))->text().isEmpty());
    }

    void typingWithoutAQsoEnablesReConnect()
    {
        FormFixture f;
        f.startUp();
        f.widget<QPushButton>(QStringLiteral("btnLastConnect"))->setEnabled(false);
        f.widget<QLineEdit>(QStringLiteral("edtChat"))->setText(QStringLiteral("Q1"));
        QTest::keyClick(f.widget<QLineEdit>(QStringLiteral("edtChat")), Qt::Key_A);
        QVERIFY(f.widget<QPushButton>(QStringLiteral("btnLastConnect"))->isEnabled());
    }

    void receivedChatIsSplitAtTheFirstMarker_data()
    {
        QTest::addColumn<QString>("received");
        QTest::addColumn<QString>("sender");
        QTest::addColumn<QString>("message");
        QTest::newRow("callsign and message") << "Q1AB>hi > there"
                                              << "Q1AB>"
                                              << "hi > there";
        QTest::newRow("no marker") << "plain text"
                                   << ""
                                   << "plain text";
    }
    void receivedChatIsSplitAtTheFirstMarker()
    {
        QFETCH(QString, received);
        QFETCH(QString, sender);
        QFETCH(QString, message);
        FormFixture f;
        f.form->announcer().setVolumeLevel(-80);
        f.session.raiseChatTextReceived(received);
        QCOMPARE(f.lastChatLine(), f.timeText() + QLatin1Char(' ') + sender + QLatin1Char(' ') + message);
        QCOMPARE(f.form->chatLine().lastChatText(), message);
        QCOMPARE(
            f.voice.spoken.constLast(),
            (FakeVoice::Request {
                QStringLiteral("<volume level=\"80\">") + message.toHtmlEscaped() + QStringLiteral("</volume>"), 65 }));
        QCOMPARE(f.form->journal().chatLog().records().back().title, QStringLiteral("RxText"));
        QCOMPARE(f.form->journal().chatLog().records().back().description, received);
    }

    void receivedChatIsSilentWithSpeakMessagesOff()
    {
        FormFixture f;
        f.widget<QCheckBox>(QStringLiteral("SpeakCheckBox"))->setChecked(false);
        f.voice.spoken.clear();
        f.session.raiseChatTextReceived(QStringLiteral("Q1AB>hi"));
        QVERIFY(f.voice.spoken.isEmpty());
    }

    void clearTextEmptiesBothPanes()
    {
        FormFixture f;
        f.form->panes().AppendChatLine(QStringLiteral("x"));
        f.widget<QPushButton>(QStringLiteral("btnChatClear"))->click();
        QVERIFY(f.widget<QTextBrowser>(QStringLiteral("redtChat"))->toPlainText().isEmpty());
        QVERIFY(f.widget<QTextBrowser>(QStringLiteral("redtStation"))->toPlainText().isEmpty());
    }

    void clearTimerEmptiesTheLineOnce()
    {
        FormFixture f;
        f.widget<QLineEdit>(QStringLiteral("edtChat"))->setText(QStringLiteral(" "));
        f.form->chatLine().clearTextTimer().start();
        f.clock.advance(300);
        QVERIFY(f.widget<QLineEdit>(QStringLiteral("edtChat"))->text().isEmpty());
        QVERIFY(!f.form->chatLine().clearTextTimer().isActive());
    }

    void webAddressesBecomeLinksThatOpenInTheBrowser()
    {
        FormFixture f;
        f.form->panes().AppendChatLine(QStringLiteral("see https://example.org/a?b=1 now"));
        const QString html = f.widget<QTextBrowser>(QStringLiteral("redtChat"))->toHtml();
        QVERIFY(html.contains(QStringLiteral("href=\"https://example.org/a?b=1\"")));
        emit f.widget<QTextBrowser>(QStringLiteral("redtChat"))
            ->anchorClicked(QUrl(QStringLiteral("https://example.org/a?b=1")));
        QCOMPARE(f.platform.opened, QStringList { "https://example.org/a?b=1" });
    }

    void markupInPaneLinesIsShownAsText()
    {
        FormFixture f;
        f.session.raiseChatTextReceived(QStringLiteral("Q1AB><b>bold</b> & <a href=x>y</a>"));
        QVERIFY(f.lastChatLine().endsWith(QStringLiteral("Q1AB> <b>bold</b> & <a href=x>y</a>")));
    }
};

QTEST_MAIN(TestChatLine)
#include "TestChatLine.moc"
