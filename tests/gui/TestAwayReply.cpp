// The away reply on the virtual clock: one reply five seconds after the first connect of a burst, sent
// whatever happened meanwhile, shown without its suffix and never logged.
#include "chat/ChatLog.h"
#include "util/FormFixture.h"

#include <QCheckBox>
#include <QFile>
#include <QLineEdit>
#include <QTest>

class TestAwayReply : public QObject
{
    Q_OBJECT
private:
    static const QString Suffix;

    static QCheckBox* awayBox(FormFixture& f) { return f.widget<QCheckBox>(QStringLiteral("cbCheckAway")); }
    static QLineEdit* absent(FormFixture& f) { return f.widget<QLineEdit>(QStringLiteral("edtAbsent")); }
    static void connectStation(FormFixture& f, const QString& call)
    {
        f.session.raiseConnected(call, QStringLiteral("Ann"), QStringLiteral("10.0.0.2"));
    }
    static QStringList replies(FormFixture& f) { return f.session.callsOf(QStringLiteral("SendChatText")); }
    static QString reply(const QString& text) { return QStringLiteral("SendChatText(") + text + Suffix + u')'; }

private slots:
    void theReplyGoesFiveSecondsAfterTheConnect()
    {
        FormFixture f;
        f.startUp();
        absent(f)->setText(QStringLiteral("Gone fishing"));
        awayBox(f)->setChecked(true);
        connectStation(f, QStringLiteral("Q2CD"));
        f.clock.advance(4999);
        QVERIFY(replies(f).isEmpty());
        f.clock.advance(1);
        QCOMPARE(replies(f), QStringList { reply(QStringLiteral("Gone fishing")) });
        QCOMPARE(f.lastChatLine(), QStringLiteral("Q9ZZZ> Gone fishing"));
        for (const ChatLogRecord& r : f.form->journal().chatLog().records())
            QVERIFY(!r.description.contains(QLatin1String("Gone fishing")));
        QVERIFY(!f.form->away().replyTimer().isActive());
    }

    void timing_data()
    {
        QTest::addColumn<bool>("armedAtConnect");
        QTest::addColumn<int>("switchAtMs"); // -1: the box is left alone
        QTest::addColumn<bool>("leavesAtOneSecond");
        QTest::addColumn<int>("replyCount");
        QTest::newRow("away on") << true << -1 << false << 1;
        QTest::newRow("away off") << false << -1 << false << 0;
        QTest::newRow("station leaves within the five seconds") << true << -1 << true << 1;
        QTest::newRow("armed during the five seconds") << false << 3000 << false << 1;
        QTest::newRow("disarmed during the five seconds") << true << 3000 << false << 0;
    }
    void timing()
    {
        QFETCH(bool, armedAtConnect);
        QFETCH(int, switchAtMs);
        QFETCH(bool, leavesAtOneSecond);
        QFETCH(int, replyCount);
        FormFixture f;
        f.startUp();
        awayBox(f)->setChecked(armedAtConnect);
        const qint64 connectedAt = f.clock.elapsedMs();
        connectStation(f, QStringLiteral("Q2CD"));
        if (leavesAtOneSecond) {
            f.clock.advance(1000);
            f.session.raiseDisconnected(QStringLiteral("Q2CD"));
        }
        if (switchAtMs >= 0) {
            f.clock.advance(connectedAt + switchAtMs - f.clock.elapsedMs());
            awayBox(f)->setChecked(!armedAtConnect);
        }
        f.clock.advance(10000);
        QCOMPARE(replies(f).size(), replyCount);
    }

    void severalConnectsWithinFiveSecondsGiveOneReplyOnTheFirstDeadline()
    {
        FormFixture f;
        f.startUp();
        awayBox(f)->setChecked(true);
        connectStation(f, QStringLiteral("Q2CD"));
        f.clock.advance(3000);
        connectStation(f, QStringLiteral("Q3EF"));
        f.clock.advance(2000);
        QCOMPARE(replies(f).size(), 1);
        f.clock.advance(10000);
        QCOMPARE(replies(f).size(), 1);
        // A later connect starts a new five seconds.
        connectStation(f, QStringLiteral("Q4GH"));
        f.clock.advance(5000);
        QCOMPARE(replies(f).size(), 2);
    }

    void noStationNoReplyHoweverMuchChatArrives()
    {
        FormFixture f;
        f.startUp();
        awayBox(f)->setChecked(true);
        for (int i = 0; i < 5; ++i) {
            f.session.raiseChatTextReceived(QStringLiteral("Q2CD>anyone there?"));
            f.clock.advance(6000);
        }
        QVERIFY(replies(f).isEmpty());
    }

    void anEmptyAbsentTextSendsTheSuffixAlone()
    {
        FormFixture f;
        f.startUp();
        absent(f)->clear();
        awayBox(f)->setChecked(true);
        connectStation(f, QStringLiteral("Q2CD"));
        f.clock.advance(5000);
        QCOMPARE(replies(f), QStringList { QStringLiteral("SendChatText( [Google for \"Corvane\"])") });
        QCOMPARE(f.lastChatLine(), QStringLiteral("Q9ZZZ> "));
    }

    void theBoxConfirmsAndSendsTheFocusHome_data()
    {
        QTest::addColumn<bool>("connected");
        QTest::addColumn<QString>("home");
        QTest::addColumn<QString>("homeAnnouncement");
        QTest::newRow("idle") << false << "edtChat" << " ";
        QTest::newRow("in a QSO") << true << "bTxRx" << "T R";
    }
    void theBoxConfirmsAndSendsTheFocusHome()
    {
        QFETCH(bool, connected);
        QFETCH(QString, home);
        QFETCH(QString, homeAnnouncement);
        FormFixture f;
        f.startUp();
        f.form->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(f.form.get()));
        if (connected)
            connectStation(f, QStringLiteral("Q2CD"));
        absent(f)->setText(QStringLiteral("Out"));
        awayBox(f)->setFocus();
        f.voice.spoken.clear();
        awayBox(f)->setChecked(true);
        QVERIFY(f.form->away().awayActive());
        QTRY_COMPARE(QApplication::focusWidget()->objectName(), home);
        // The control the focus lands on announces itself after the confirmation.
        QCOMPARE(f.voice.texts(), (QStringList { "Away Message Active Out", homeAnnouncement }));
        f.voice.spoken.clear();
        awayBox(f)->setChecked(false);
        QVERIFY(!f.form->away().awayActive());
        QCOMPARE(f.voice.texts(), QStringList { "Away Message Off" });
    }

    void awayModeIsNeverSaved()
    {
        FormFixture first;
        first.startUp();
        awayBox(first)->setChecked(true);
        first.form->settings().SaveSettings();
        QFile file(first.documentsFile(QStringLiteral("Corvane.ini")));
        QVERIFY(file.open(QIODevice::ReadOnly));
        QVERIFY(!file.readAll().contains("Away"));

        FormFixture second;
        second.platform.documents = first.platform.documents;
        second.startUp();
        QVERIFY(!awayBox(second)->isChecked());
        QVERIFY(!second.form->away().awayActive());
    }

    void typedKeysInTheAbsentTextAreEchoed_data()
    {
        QTest::addColumn<bool>("keySpeak");
        QTest::addColumn<QString>("before");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("echoed");
        QTest::newRow("letter") << true << "" << "a" << "a";
        QTest::newRow("space in empty text") << true << "" << " " << "";
        QTest::newRow("space after text") << true << "ab" << " " << " ";
        QTest::newRow("key speak off") << false << "ab" << "c" << "";
    }
    void typedKeysInTheAbsentTextAreEchoed()
    {
        QFETCH(bool, keySpeak);
        QFETCH(QString, before);
        QFETCH(QString, typed);
        QFETCH(QString, echoed);
        FormFixture f;
        f.startUp();
        f.widget<QCheckBox>(QStringLiteral("KeySpeakCheckBox"))->setChecked(keySpeak);
        QString heard;
        f.form->away().setKeyEcho([&heard](QChar key) { heard += key; });
        absent(f)->setText(before);
        QTest::keyClicks(absent(f), typed);
        QCOMPARE(heard, echoed);
        QCOMPARE(absent(f)->text(), before + typed);
    }
};

const QString TestAwayReply::Suffix = QStringLiteral(" [Google for \"Corvane\"]");

QTEST_MAIN(TestAwayReply)
#include "TestAwayReply.moc"
