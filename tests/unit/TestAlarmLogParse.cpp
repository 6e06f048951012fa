// The alarm-log monitor's reading of EchoLink's log: what is new, what the pane shows, what is said and what is
// kept for the operator to hear again.
#include "echolink/AlarmLogParse.h"

#include <QTest>

namespace {

// Marks the callsign instead of spelling it, so the expected texts show what the caller spells.
QString spell(const QString& callsign)
{
    return callsign.isEmpty() ? QString() : QLatin1Char('[') + callsign + QLatin1Char(']');
}

// Entry i of a log of like entries, 15 characters each: "10:07 Q1AH on" and a line break.
QString entry(int i)
{
    return QStringLiteral("10:%1 Q1A%2 on\r\n").arg(i, 2, 10, QLatin1Char('0')).arg(QChar(u'A' + i));
}

QString entries(int from, int to)
{
    QString text;
    for (int i = from; i < to; ++i)
        text += entry(i);
    return text;
}

const QString oneEntry = QStringLiteral("12:05 Q1AB on");

} // namespace

class TestAlarmLogParse : public QObject
{
    Q_OBJECT

private slots:
    void newEntriesAreShownAndAnnounced_data();
    void newEntriesAreShownAndAnnounced();
    void nothingIsReadUnlessTheLogGrewWithAnnouncementsOn_data();
    void nothingIsReadUnlessTheLogGrewWithAnnouncementsOn();
    void whileTransmittingEntriesAreShownAndKeptButNotSaid();
    void clearedLogIsMeasuredFromItsNewLength();
    void stateCodesBecomeSpokenSuffixes_data();
    void stateCodesBecomeSpokenSuffixes();
};

void TestAlarmLogParse::newEntriesAreShownAndAnnounced_data()
{
    QTest::addColumn<qsizetype>("previousLength");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("pane");
    QTest::addColumn<QStringList>("said");
    QTest::addColumn<QString>("kept");

    const QString newAlarm = QStringLiteral("New Alarm Received");
    QTest::newRow("one entry") << qsizetype(0) << oneEntry << oneEntry << QStringList { newAlarm, "12:05", "[Q1AB] on" }
                               << "[Q1AB] on";
    const QString earlier = QStringLiteral("12:00 Q2CD off\r\n");
    QTest::newRow("one entry after an earlier one")
        << earlier.size() << earlier + "12:05 Q1AB busy\r\n"
        << "12:05 Q1AB busy\r\n"
        << QStringList { newAlarm, "12:05", "[Q1AB] busy" } << "[Q1AB] busy";
    const QString first = QStringLiteral("12:00 Q2CD off");
    QTest::newRow("blank before the new entry is not shown")
        << first.size() << first + " " + oneEntry << oneEntry << QStringList { newAlarm, "12:05", "[Q1AB] on" }
        << "[Q1AB] on";
    QTest::newRow("line break before the new entry is not shown")
        << first.size() << first + "\r\n" + oneEntry << oneEntry << QStringList { newAlarm, "12:05", "[Q1AB] on" }
        << "[Q1AB] on";
    QTest::newRow("entries on one line") << qsizetype(0) << "12:05 Q1AB on 12:06 Q2CD off"
                                         << "12:05 Q1AB on 12:06 Q2CD off"
                                         << QStringList { newAlarm, "12:05", "[Q1AB] on", "[Q2CD] off" }
                                         << "[Q1AB] on [Q2CD] off";
    QTest::newRow("time with seconds is said to the minute")
        << qsizetype(0) << "12:05:33 Q1AB on\r\n12:06:10 Q2CD off\r\n"
        << "12:05:33 Q1AB on\r\n12:06:10 Q2CD off\r\n"
        << QStringList { newAlarm, "12:05", "[Q1AB] on", "[Q2CD] off" } << "[Q1AB] on [Q2CD] off";
    QTest::newRow("text before the first time is not shown")
        << qsizetype(0) << "Alarm Log\r\n" + oneEntry << oneEntry << QStringList { newAlarm, "12:05", "[Q1AB] on" }
        << "[Q1AB] on";
    QTest::newRow("five entries: four said, all shown")
        << qsizetype(0) << entries(0, 5) << entries(0, 5)
        << QStringList { newAlarm, "10:00", "[Q1AA] on", "[Q1AB] on", "[Q1AC] on", "[Q1AD] on" }
        << "[Q1AA] on [Q1AB] on [Q1AC] on [Q1AD] on";
    // 300 characters at start: the last 108 begin inside the entry of 10:12, so the reading starts at 10:13.
    QTest::newRow("first look reads the last 108 characters")
        << qsizetype(0) << entries(0, 20) << entries(13, 20)
        << QStringList { newAlarm, "10:13", "[Q1AN] on", "[Q1AO] on", "[Q1AP] on", "[Q1AQ] on" }
        << "[Q1AN] on [Q1AO] on [Q1AP] on [Q1AQ] on";
    const QString longLog = entries(0, 20).repeated(15);
    QTest::newRow("log past 4096 characters") << longLog.size() << longLog + oneEntry << oneEntry
                                              << QStringList { newAlarm, "12:05", "[Q1AB] on" } << "[Q1AB] on";
    QTest::newRow("log of 9 characters has no new-alarm words")
        << qsizetype(0) << "1:5 Q1 on"
        << "1:5 Q1 on" << QStringList { "1:5", "[Q1] on" } << "[Q1] on";
    QTest::newRow("no colon: read from the start") << qsizetype(0) << "Q1AB on"
                                                   << "Q1AB on" << QStringList { "Q1AB", " on" } << " on";
    // Nothing is consumed without a space, so the reading finds the same empty entry until it has four.
    QTest::newRow("no space: empty tokens, state from the first characters")
        << qsizetype(0) << "12:05Q1ABon"
        << "12:05Q1ABon" << QStringList { newAlarm, "12", "12", "12", "12" } << "12 12 12 12";
    QTest::newRow("callsign without state") << qsizetype(0) << "12:05 Q1AB"
                                            << "12:05 Q1AB" << QStringList { newAlarm, "12:05", "Q1" } << "Q1";
    QTest::newRow("unknown state keeps its two characters")
        << qsizetype(0) << "12:05 Q1AB xyz"
        << "12:05 Q1AB xyz" << QStringList { newAlarm, "12:05", "[Q1AB]xy" } << "[Q1AB]xy";
}

void TestAlarmLogParse::newEntriesAreShownAndAnnounced()
{
    QFETCH(qsizetype, previousLength);
    QFETCH(QString, text);
    QFETCH(QString, pane);
    QFETCH(QStringList, said);
    QFETCH(QString, kept);

    const AlarmLog::Look look = AlarmLog::look({ previousLength, text, true, true });
    QVERIFY(look.parsed);
    QCOMPARE(look.newLength, text.size());
    QCOMPARE(look.paneLine, pane);
    QCOMPARE(look.utterances(spell), said);
    QCOMPARE(look.lastAlarmText(spell, QStringLiteral("earlier")), kept);
}

void TestAlarmLogParse::nothingIsReadUnlessTheLogGrewWithAnnouncementsOn_data()
{
    QTest::addColumn<qsizetype>("previousLength");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("announce");

    QTest::newRow("announcements off") << qsizetype(0) << oneEntry << false;
    QTest::newRow("same length") << oneEntry.size() << oneEntry << true;
    QTest::newRow("log cleared") << qsizetype(500) << QString() << true;
    QTest::newRow("log shorter than before") << qsizetype(500) << oneEntry << true;
    QTest::newRow("window missing reads empty") << qsizetype(0) << QString() << true;
}

void TestAlarmLogParse::nothingIsReadUnlessTheLogGrewWithAnnouncementsOn()
{
    QFETCH(qsizetype, previousLength);
    QFETCH(QString, text);
    QFETCH(bool, announce);

    const AlarmLog::Look look = AlarmLog::look({ previousLength, text, announce, true });
    QVERIFY(!look.parsed);
    QCOMPARE(look.newLength, text.size());
    QVERIFY(look.paneLine.isEmpty());
    QVERIFY(look.utterances(spell).isEmpty());
    QCOMPARE(look.lastAlarmText(spell, QStringLiteral("earlier")), QStringLiteral("earlier"));
}

void TestAlarmLogParse::whileTransmittingEntriesAreShownAndKeptButNotSaid()
{
    const AlarmLog::Look look = AlarmLog::look({ 0, oneEntry, true, false });
    QCOMPARE(look.paneLine, oneEntry);
    QVERIFY(look.utterances(spell).isEmpty());
    QCOMPARE(look.lastAlarmText(spell, QString()), QStringLiteral("[Q1AB] on"));
}

// Announcements off, then on again: the entries written meanwhile were measured, not kept for later; a log
// cleared and regrown is read from its new, shorter length.
void TestAlarmLogParse::clearedLogIsMeasuredFromItsNewLength()
{
    const QString log = entries(0, 3);
    qsizetype length = AlarmLog::look({ 0, log, false, true }).newLength;
    QCOMPARE(AlarmLog::look({ length, log, true, true }).parsed, false);

    length = AlarmLog::look({ length, QString(), true, true }).newLength;
    QCOMPARE(length, 0);
    length = AlarmLog::look({ length, entry(7), true, true }).newLength;
    const AlarmLog::Look regrown = AlarmLog::look({ length, entry(7) + entry(8), true, true });
    QCOMPARE(regrown.paneLine, entry(8));
    QCOMPARE(regrown.lastAlarmText(spell, QString()), QStringLiteral("[Q1AI] on"));
}

void TestAlarmLogParse::stateCodesBecomeSpokenSuffixes_data()
{
    QTest::addColumn<QString>("code");
    QTest::addColumn<QString>("suffix");
    QTest::newRow("on") << "on"
                        << " on";
    QTest::newRow("online") << "online"
                            << " on";
    QTest::newRow("off") << "off"
                         << " off";
    QTest::newRow("of") << "of"
                        << " off";
    QTest::newRow("busy") << "busy"
                          << " busy";
    QTest::newRow("upper case is not known") << "ON"
                                             << "ON";
    QTest::newRow("one character") << "x"
                                   << "x";
    QTest::newRow("empty") << ""
                           << "";
}

void TestAlarmLogParse::stateCodesBecomeSpokenSuffixes()
{
    QFETCH(QString, code);
    QFETCH(QString, suffix);
    QCOMPARE(AlarmLog::stateSuffix(code), suffix);
}

QTEST_GUILESS_MAIN(TestAlarmLogParse)
#include "TestAlarmLogParse.moc"
