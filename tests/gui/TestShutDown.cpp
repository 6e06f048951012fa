// Closing the window, EchoLink closing first, the timed power-off and the application-wide error report.
#include "app/IniFile.h"
#include "app/ShutDown.h"
#include "chat/ChatLog.h"
#include "util/FormFixture.h"

#include <QLineEdit>
#include <QTest>

class TestShutDown : public QObject
{
    Q_OBJECT
private:
    static QStringList echoLinkCalls(const FakeSession& s)
    {
        QStringList result;
        for (const QString& call : s.calls) {
            for (const char* op : { "DisconnectAll", "Shutdown", "Quit", "Disconnect1" })
                if (call.startsWith(QLatin1String(op) + QLatin1Char('(')))
                    result << call;
        }
        return result;
    }

private slots:
    void closingRightAfterStartUpSavesSpeaksAndShutsEchoLinkDown()
    {
        FormFixture f;
        f.startUp();
        f.session.calls.clear();
        f.voice.spoken.clear();
        QVERIFY(f.form->close());
        QCOMPARE(f.voice.texts(), (QStringList { "Options saved", "Corvane  and Echo link Closing Please wait" }));
        QCOMPARE(f.voice.spoken.constLast().flags, 16);
        QCOMPARE(echoLinkCalls(f.session), (QStringList { "DisconnectAll()", "Shutdown()" }));
        const ChatLogRecord last = f.form->journal().chatLog().records().back();
        QCOMPARE(last.title, QStringLiteral("Log Closed"));
        QCOMPARE(last.description, QStringLiteral("Corvane Closing"));
        IniFile written;
        written.setFileName(f.documentsFile(QStringLiteral("Corvane.ini")));
        QCOMPARE(written.keyNames(QStringLiteral("Corvane")).size(), 57);
    }

    void closingAfterAGivenUpStartUpTouchesNothing()
    {
        FormFixture f;
        f.platform.processAnswers = { false };
        f.startUp();
        f.session.calls.clear();
        f.voice.spoken.clear();
        const size_t entries = f.form->journal().chatLog().records().size();
        QVERIFY(f.form->close());
        QVERIFY(f.voice.spoken.isEmpty());
        QVERIFY(f.session.calls.isEmpty());
        QCOMPARE(f.form->journal().chatLog().records().size(), entries);
        QVERIFY(!QFile::exists(f.documentsFile(QStringLiteral("Corvane.ini"))));
    }

    void echoLinkClosingDuringAQsoIsFollowed()
    {
        FormFixture f;
        f.startUp();
        f.session.raiseConnected(QStringLiteral("Q1AB"), QStringLiteral("Op"), QStringLiteral("10.0.0.1"));
        f.session.calls.clear();
        f.voice.spoken.clear();
        const int beeps = f.platform.beeps;
        f.session.raiseClosing();
        QCOMPARE(echoLinkCalls(f.session), (QStringList { "DisconnectAll()", "Quit()" }));
        QCOMPARE(f.platform.beeps, beeps + 1);
        QCOMPARE(f.voice.texts().count(QStringLiteral("Options saved")), 2);
        QVERIFY(!f.form->isVisible());
        QVERIFY(!f.form->startUp().echoLinkAttached());
    }

    // EchoLink gone without a word fails its calls; the close still saves, closes the log and ends the program,
    // and an EchoLink that failed once is not asked again.
    void aFailingEchoLinkStillClosesTheWindow_data()
    {
        QTest::addColumn<QString>("failing");
        QTest::addColumn<QStringList>("asked");
        QTest::newRow("Shutdown fails") << "Shutdown" << QStringList { "DisconnectAll()", "Shutdown()" };
        QTest::newRow("DisconnectAll fails") << "DisconnectAll" << QStringList { "DisconnectAll()" };
    }
    void aFailingEchoLinkStillClosesTheWindow()
    {
        QFETCH(QString, failing);
        QFETCH(QStringList, asked);
        FormFixture f;
        f.startUp();
        f.session.failNext[failing] = QStringLiteral("EchoLink has gone");
        f.session.calls.clear();
        f.voice.spoken.clear();
        QVERIFY(f.form->close());
        QVERIFY(!f.form->isVisible());
        QCOMPARE(echoLinkCalls(f.session), asked);
        QCOMPARE(f.voice.texts(), (QStringList { "Options saved", "Corvane  and Echo link Closing Please wait" }));
        QCOMPARE(f.form->journal().chatLog().records().back().title, QStringLiteral("Log Closed"));
        QVERIFY(f.chatLines().contains(QStringLiteral(">EchoLink did not take part in closing: EchoLink has gone")));
        IniFile written;
        written.setFileName(f.documentsFile(QStringLiteral("Corvane.ini")));
        QCOMPARE(written.keyNames(QStringLiteral("Corvane")).size(), 57);
    }

    void nothingRunsOnTheSessionOrVoiceAfterTheyAreReleased()
    {
        FormFixture f;
        f.startUp();
        for (int n = 1; n <= 11; ++n)
            f.session.raiseConnected(QStringLiteral("Q%1AA").arg(n), QStringLiteral("Op"), QStringLiteral("10.0.0.1"));
        QVERIFY(f.form->close()); // the disconnect timer for the eleventh station is still running
        f.session.calls.clear();
        f.voice.spoken.clear();
        f.clock.advance(10000);
        f.session.raiseChatTextReceived(QStringLiteral("Q1AA>still there?"));
        QVERIFY(f.session.calls.isEmpty());
        QVERIFY(f.voice.spoken.isEmpty());
    }

    void theCountDownEndsInAForcedPowerOffTwoSecondsAfterItsWarning()
    {
        FormFixture f;
        f.startUp();
        f.form->shutDown().startCountDown();
        QVERIFY(f.form->shutDown().shutdownPending());
        f.voice.spoken.clear();
        f.clock.advance(17999);
        QVERIFY(f.voice.spoken.isEmpty());
        f.clock.advance(1);
        QCOMPARE(f.voice.texts(), QStringList { "Shuting Down Now " });
        QVERIFY(!f.form->shutDown().shutdownPending());
        f.clock.advance(1999);
        QVERIFY(f.power.requests.isEmpty());
        f.clock.advance(1);
        QCOMPARE(f.power.requests, QList<int> { 12 });
    }

    void cancellingTheCountDownStopsIt()
    {
        FormFixture f;
        f.startUp();
        f.form->shutDown().startCountDown();
        f.clock.advance(10000);
        f.form->shutDown().cancelCountDown();
        f.clock.advance(60000);
        QVERIFY(f.power.requests.isEmpty());
    }

    void aNewCountDownInTheLastTwoSecondsDoesNotStopThePowerOff()
    {
        FormFixture f;
        f.startUp();
        f.form->shutDown().startCountDown();
        f.clock.advance(19000);
        f.form->shutDown().startCountDown();
        f.clock.advance(1000);
        QCOMPARE(f.power.requests, QList<int> { 12 });
        f.power.accept = false; // a refused request changes nothing visible
        f.clock.advance(20000);
        QCOMPARE(f.power.requests, (QList<int> { 12, 12 }));
    }

    void anErrorMessageIsSpokenAsPlainText()
    {
        FormFixture f;
        f.widget<QLineEdit>(QStringLiteral("edtChat"))->setText(QStringLiteral("half typed"));
        f.form->guarded([] { throw std::runtime_error("Station <Q1AB> & co not found"); });
        QCOMPARE(f.lastChatLine(), QStringLiteral(">Application Exception Station <Q1AB> & co not found"));
        QVERIFY(f.widget<QLineEdit>(QStringLiteral("edtChat"))->text().isEmpty());
        const FakeVoice::Request spoken = f.voice.spoken.constLast();
        QCOMPARE(spoken.flags, 1);
        QVERIFY(!spoken.text.contains(QLatin1Char('<')));
        QVERIFY(spoken.text.endsWith(QStringLiteral("Application Exception ")));
    }
};

QTEST_MAIN(TestShutDown)
#include "TestShutDown.moc"
