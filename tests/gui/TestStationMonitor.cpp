// The station list with the alarm-log monitor, the talker display and the alarm event, driven through
// EchoLink's events on the window.
#include "echolink/StationMonitor.h"
#include "echolink/StationTextSplit.h"
#include "util/FormFixture.h"

#include <QLabel>
#include <QTest>

namespace {

const QString newAlarm = QStringLiteral("New Alarm Received");
const QString oneEntry = QStringLiteral("12:05 Q1AB on\r\n");
const QString q1abOn = QStringLiteral("Quebec One Alpha Bravo  on");

// Older entries the log held before the one under test: each 16 characters.
QString olderEntries(int count)
{
    QString log;
    for (int i = 0; i < count; ++i)
        log += QStringLiteral("11:%1 Q9ZZ off\r\n").arg(i % 60, 2, 10, QLatin1Char('0'));
    return log;
}

} // namespace

class TestStationMonitor : public QObject
{
    Q_OBJECT
private:
    // A started window whose first look at the log has measured what it already held.
    static void startWithLog(FormFixture& f, const QString& log)
    {
        f.session.alarmLog = log;
        f.startUp();
        f.form->stations().setAlarmMsgAnnounce(false);
        f.session.raiseStationListReceived();
        f.form->stations().setAlarmMsgAnnounce(true);
        f.voice.spoken.clear();
    }

    static void addToLog(FormFixture& f, const QString& entries)
    {
        f.session.alarmLog += entries;
        f.session.raiseStationListReceived();
    }

    static QStringList tagged(FormFixture& f, const QStringList& texts)
    {
        QStringList result;
        for (const QString& text : texts)
            result << f.form->announcer().volumeTagged(text);
        return result;
    }

    static QString chatText(FormFixture& f)
    {
        return f.widget<QTextBrowser>(QStringLiteral("redtChat"))->toPlainText();
    }
    QLabel* talkingNow(FormFixture& f) { return f.widget<QLabel>(QStringLiteral("lblTalkingNow")); }
    QString statusTalker(FormFixture& f) { return f.widget<QLabel>(QStringLiteral("StatusBarPanel1"))->text(); }
    QString stationPane(FormFixture& f) { return f.widget<QTextBrowser>(QStringLiteral("redtStation"))->toPlainText(); }
    static quint32 background(QLabel* label)
    {
        const QColor c = label->palette().color(QPalette::Window);
        return static_cast<quint32>(c.red() | (c.green() << 8) | (c.blue() << 16));
    }

private slots:
    void newEntryIsShownAndAnnounced()
    {
        FormFixture f;
        startWithLog(f, olderEntries(3));
        addToLog(f, oneEntry);
        QCOMPARE(f.voice.texts(), tagged(f, { newAlarm, "12:05", q1abOn }));
        for (const FakeVoice::Request& r : f.voice.spoken)
            QCOMPARE(r.flags, 65);
        QVERIFY(chatText(f).contains(QStringLiteral("12:05 Q1AB on")));
        QCOMPARE(f.form->stations().lastAlarmText(), q1abOn);
        QCOMPARE(f.form->stations().alarmLogLength(), f.session.alarmLog.size());
    }

    void firstListAfterStartReadsTheTailOfTheLog()
    {
        FormFixture f;
        f.session.alarmLog = olderEntries(20) + oneEntry;
        f.startUp();
        f.voice.spoken.clear();
        f.session.raiseStationListReceived();
        QVERIFY(f.form->stations().firstListReceived());
        // The last 108 characters: the new entry, five older ones and the end of a sixth, cut off before its
        // time; the first four whole entries are said.
        QCOMPARE(f.voice.texts().mid(0, 2), tagged(f, { newAlarm, "11:15" }));
        QCOMPARE(f.voice.texts().size(), 6);
        QCOMPARE(f.form->stations().lastAlarmText().count(QStringLiteral("Zulu  off")), 4);
        QVERIFY(chatText(f).contains(QStringLiteral("12:05 Q1AB on")));
        QVERIFY(!chatText(f).contains(QStringLiteral("11:14")));
    }

    void moreThanFourEntriesAreShownButFourAreSaid()
    {
        FormFixture f;
        startWithLog(f, QString());
        addToLog(f, "12:01 Q1AA on\r\n12:02 Q2BB off\r\n12:03 Q3CC busy\r\n12:04 Q4DD on\r\n12:05 Q5EE on\r\n");
        QCOMPARE(f.voice.texts().size(), 6); // the new-alarm words, the time and four entries
        QVERIFY(chatText(f).contains(QStringLiteral("12:05 Q5EE on")));
        QVERIFY(f.form->stations().lastAlarmText().endsWith(QStringLiteral("Delta Delta  on")));
        QVERIFY(!f.form->stations().lastAlarmText().contains(QStringLiteral("Echo Echo")));
    }

    void whileEchoLinkTransmitsNothingIsSaid()
    {
        FormFixture f;
        startWithLog(f, olderEntries(1));
        f.session.raiseTX(true);
        addToLog(f, oneEntry);
        QVERIFY(f.voice.spoken.isEmpty());
        QVERIFY(chatText(f).contains(QStringLiteral("12:05 Q1AB on")));
        QCOMPARE(f.form->stations().lastAlarmText(), q1abOn);

        f.session.raiseTX(false);
        addToLog(f, QStringLiteral("12:06 Q2CD off\r\n"));
        QCOMPARE(f.voice.texts(), tagged(f, { newAlarm, "12:06", "Quebec Two Charlie Delta  off" }));
    }

    void entriesWrittenWhileAnnouncementsAreOffStayUnsaid()
    {
        FormFixture f;
        startWithLog(f, olderEntries(1));
        f.form->stations().setAlarmMsgAnnounce(false);
        addToLog(f, oneEntry);
        QVERIFY(f.voice.spoken.isEmpty());
        QVERIFY(!chatText(f).contains(QStringLiteral("12:05 Q1AB on")));
        QCOMPARE(f.form->stations().alarmLogLength(), f.session.alarmLog.size());

        f.form->stations().setAlarmMsgAnnounce(true);
        f.session.raiseStationListReceived();
        QVERIFY(f.voice.spoken.isEmpty());
        addToLog(f, QStringLiteral("12:07 Q2CD busy\r\n"));
        QCOMPARE(f.voice.texts(), tagged(f, { newAlarm, "12:07", "Quebec Two Charlie Delta  busy" }));
    }

    void clearedLogIsMeasuredFromItsNewLength()
    {
        FormFixture f;
        startWithLog(f, olderEntries(10));
        f.session.alarmLog.clear();
        f.session.raiseStationListReceived();
        QCOMPARE(f.form->stations().alarmLogLength(), 0);
        QVERIFY(f.voice.spoken.isEmpty());
        addToLog(f, oneEntry);
        QCOMPARE(f.voice.texts(), tagged(f, { newAlarm, "12:05", q1abOn }));
    }

    void logPastFourThousandCharactersIsStillAnnounced()
    {
        FormFixture f;
        startWithLog(f, olderEntries(300));
        QVERIFY(f.form->stations().alarmLogLength() > 4096);
        addToLog(f, oneEntry);
        QCOMPARE(f.voice.texts(), tagged(f, { newAlarm, "12:05", q1abOn }));
        addToLog(f, QStringLiteral("12:06 Q2CD off\r\n"));
        QCOMPARE(f.form->stations().lastAlarmText(), QStringLiteral("Quebec Two Charlie Delta  off"));
    }

    void unreadableLogCountsAsEmpty()
    {
        FormFixture f;
        startWithLog(f, olderEntries(2));
        const int lines = f.chatLines().size();
        f.session.failNext.insert(QStringLiteral("AlarmLogText"), QStringLiteral("no alarm log window"));
        f.session.raiseStationListReceived();
        QCOMPARE(f.form->stations().alarmLogLength(), 0);
        QCOMPARE(f.chatLines().size(), lines); // no error line
        // The log is read again from its tail once it can be read.
        f.session.raiseStationListReceived();
        QCOMPARE(f.form->stations().lastAlarmText(),
                 QStringLiteral("Quebec Nine Zulu Zulu  off Quebec Nine Zulu Zulu  off"));
    }

    void stationTextShowsTheTalker_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QString>("paneEnd");
        QTest::newRow("conference") << "*LAKEVIEW*\r\n> Q1AB Jo\r\nQ2CD Ann\r\n"
                                    << " Station Now Talking    > Q1AB Jo\r"
                                    << " Station Now Talking  Q1AB Jo";
        QTest::newRow("marker first") << ">Q1AB\r"
                                      << " Station Now Talking    > 1AB\r"
                                      << " Station Now Talking Q1AB";
        QTest::newRow("marker second") << "x>Q1AB"
                                       << " Station Now Talking    > "
                                       << " Station Now Talking";
        QTest::newRow("markup stays text") << "Q1AB &amp; <b\r\n> <img src=x.png>Jo\r\n"
                                           << " Station Now Talking    > <img src=x.png>Jo\r"
                                           << " Station Now Talking  <img src=x.png>Jo";
    }

    void stationTextShowsTheTalker()
    {
        QFETCH(QString, text);
        QFETCH(QString, caption);
        QFETCH(QString, paneEnd);
        FormFixture f;
        f.startUp();
        f.session.raiseConnected("Q1AB", "Jo", "10.0.0.1");
        f.voice.spoken.clear();
        f.session.raiseStationTextReceived(text);
        QCOMPARE(talkingNow(f)->text(), caption);
        QCOMPARE(talkingNow(f)->textFormat(), Qt::PlainText);
        QCOMPARE(background(talkingNow(f)), WindowColors::Transmit);
        QCOMPARE(statusTalker(f), caption.mid(StationText::TalkingNowCaption.size()));
        QCOMPARE(f.form->roster().stationText(1), text);
        QVERIFY2(stationPane(f).trimmed().endsWith(paneEnd.trimmed()), qPrintable(stationPane(f)));
        QVERIFY(stationPane(f).contains(text.left(qMax<qsizetype>(text.indexOf(u'>') - 1, 0)).trimmed()));
        QVERIFY(f.voice.spoken.isEmpty());
    }

    void stationTextWithoutTalkerClearsTheDisplay()
    {
        FormFixture f;
        f.startUp();
        f.session.raiseStationTextReceived("*LAKEVIEW*\r\n> Q1AB Jo\r\n");
        f.session.raiseStationTextReceived("*LAKEVIEW*\r\nQ1AB Jo &lt;b");
        QCOMPARE(talkingNow(f)->text(), QString());
        QCOMPARE(background(talkingNow(f)), f.form->display().talkingNowColor());
        QCOMPARE(statusTalker(f), QString());
        QVERIFY(stationPane(f).contains(QStringLiteral("Q1AB Jo &lt;b")));
        QVERIFY(!stationPane(f).contains(QStringLiteral("Now Talking")));
        // No station counted: the text goes to slot 0.
        QCOMPARE(f.form->roster().stationText(0), QStringLiteral("*LAKEVIEW*\r\nQ1AB Jo &lt;b"));
    }

    void alarmEventBeepsAndWritesALine()
    {
        FormFixture f;
        f.startUp();
        f.session.raiseAlarm("Q1AB", -1);
        QCOMPARE(f.platform.beeps, 1);
        QCOMPARE(f.lastChatLine(), QStringLiteral("> Alarm received"));
    }
};

QTEST_MAIN(TestStationMonitor)
#include "TestStationMonitor.moc"
