#include "speech/Clocks.h"

#include <QTest>

using namespace Clocks;

// The local offset that start-up notes beside the UTC clock, and the texts the clocks show.
class TestClocks : public QObject
{
    Q_OBJECT

private slots:
    void offsetFollowsTheZoneAndTheSeason_data();
    void offsetFollowsTheZoneAndTheSeason();
    void zonesWithoutRulesGiveNoOffset();
    void noteNamesTheOffsetInMinutes_data();
    void noteNamesTheOffsetInMinutes();
    void timeFormatLosesOnlyTheZoneName_data();
    void timeFormatLosesOnlyTheZoneName();
    void clockDateIsMonthDayYear_data();
    void clockDateIsMonthDayYear();
    void clockTimeIsTheLocalesLongTimeWithoutZone_data();
    void clockTimeIsTheLocalesLongTimeWithoutZone();
};

void TestClocks::offsetFollowsTheZoneAndTheSeason_data()
{
    QTest::addColumn<QByteArray>("zone");
    QTest::addColumn<QDateTime>("at");
    QTest::addColumn<int>("minutes");
    const QDateTime january(QDate(2024, 1, 15), QTime(12, 0), Qt::UTC);
    const QDateTime july(QDate(2024, 7, 15), QTime(12, 0), Qt::UTC);
    QTest::newRow("UTC+10 standard") << QByteArray("Australia/Sydney") << july << 600;
    QTest::newRow("UTC+10 daylight") << QByteArray("Australia/Sydney") << january << 660;
    QTest::newRow("southern summer from the first of January")
        << QByteArray("Australia/Sydney") << QDateTime(QDate(2024, 1, 1), QTime(0, 0), Qt::UTC) << 660;
    QTest::newRow("UTC-5 standard") << QByteArray("America/New_York") << january << -300;
    QTest::newRow("UTC-5 daylight") << QByteArray("America/New_York") << july << -240;
    QTest::newRow("half hour east") << QByteArray("Australia/Adelaide") << july << 570;
    QTest::newRow("half hour west") << QByteArray("America/St_Johns") << january << -210;
    QTest::newRow("Greenwich in winter") << QByteArray("Europe/London") << january << 0;
    QTest::newRow("Greenwich in summer") << QByteArray("Europe/London") << july << 60;
    QTest::newRow("UTC") << QByteArray("UTC") << july << 0;
    QTest::newRow("no rules this year, east") << QByteArray("Asia/Tokyo") << july << 0;
    QTest::newRow("no rules this year, west") << QByteArray("America/Phoenix") << january << 0;
}

void TestClocks::offsetFollowsTheZoneAndTheSeason()
{
    QFETCH(QByteArray, zone);
    QFETCH(QDateTime, at);
    QFETCH(int, minutes);
    if (!QTimeZone::isTimeZoneIdAvailable(zone))
        QSKIP("time zone not installed");
    QCOMPARE(GetTimeZoneBias(QTimeZone(zone), at), minutes);
}

void TestClocks::zonesWithoutRulesGiveNoOffset()
{
    const QDateTime now(QDate(2024, 7, 15), QTime(12, 0), Qt::UTC);
    QCOMPARE(GetTimeZoneBias(QTimeZone(10 * 3600), now), 0);
    QCOMPARE(GetTimeZoneBias(QTimeZone(-5 * 3600), now), 0);
    QCOMPARE(GetTimeZoneBias(QTimeZone("No/Such_Zone"), now), 0);
    QCOMPARE(GetTimeZoneBias(QTimeZone("Australia/Sydney"), QDateTime()), 0);
}

void TestClocks::noteNamesTheOffsetInMinutes_data()
{
    QTest::addColumn<int>("minutes");
    QTest::addColumn<QString>("note");
    QTest::newRow("east") << 600 << "Clock on Left is set to UTC Time; Local offset = 600 Minutes";
    QTest::newRow("west") << -300 << "Clock on Left is set to UTC Time; Local offset = -300 Minutes";
    QTest::newRow("half hour") << 570 << "Clock on Left is set to UTC Time; Local offset = 570 Minutes";
}

void TestClocks::noteNamesTheOffsetInMinutes()
{
    QFETCH(int, minutes);
    QFETCH(QString, note);
    QCOMPARE(utcOffsetNote(minutes), std::optional<QString>(note));
    QVERIFY(!utcOffsetNote(0));
}

void TestClocks::timeFormatLosesOnlyTheZoneName_data()
{
    QTest::addColumn<QString>("format");
    QTest::addColumn<QString>("kept");
    QTest::newRow("24 hours") << "HH:mm:ss t"
                              << "HH:mm:ss";
    QTest::newRow("12 hours") << "h:mm:ss AP t"
                              << "h:mm:ss AP";
    QTest::newRow("zone first") << "t HH:mm:ss"
                                << "HH:mm:ss";
    QTest::newRow("no zone") << "HH:mm:ss"
                             << "HH:mm:ss";
    QTest::newRow("quoted t stays") << "HH 'to' mm t"
                                    << "HH 'to' mm";
    QTest::newRow("only a zone") << "t"
                                 << "HH:mm:ss";
    QTest::newRow("empty") << ""
                           << "HH:mm:ss";
}

void TestClocks::timeFormatLosesOnlyTheZoneName()
{
    QFETCH(QString, format);
    QFETCH(QString, kept);
    QCOMPARE(timeFormatWithoutZone(format), kept);
}

void TestClocks::clockDateIsMonthDayYear_data()
{
    QTest::addColumn<QDateTime>("moment");
    QTest::addColumn<QString>("date");
    QTest::newRow("single digits") << QDateTime(QDate(2024, 3, 7), QTime(1, 2)) << "3/7/2024";
    QTest::newRow("double digits") << QDateTime(QDate(2024, 12, 25), QTime(23, 59)) << "12/25/2024";
    // Early morning in Sydney is still the day before on the UTC clock.
    QTest::newRow("UTC clock a day behind")
        << QDateTime(QDate(2024, 3, 7), QTime(8, 0), QTimeZone("Australia/Sydney")).toUTC() << "3/6/2024";
}

void TestClocks::clockDateIsMonthDayYear()
{
    QFETCH(QDateTime, moment);
    QFETCH(QString, date);
    QCOMPARE(clockDateText(moment), date);
}

void TestClocks::clockTimeIsTheLocalesLongTimeWithoutZone_data()
{
    QTest::addColumn<QLocale>("locale");
    QTest::addColumn<QString>("text");
    QTest::newRow("American") << QLocale(QLocale::English, QLocale::UnitedStates) << "1:05:09 PM";
    QTest::newRow("German") << QLocale(QLocale::German, QLocale::Germany) << "13:05:09";
}

void TestClocks::clockTimeIsTheLocalesLongTimeWithoutZone()
{
    QFETCH(QLocale, locale);
    QFETCH(QString, text);
    const QDateTime moment(QDate(2024, 3, 7), QTime(13, 5, 9), Qt::UTC);
    QCOMPARE(clockTimeText(moment, locale), text);
}

QTEST_GUILESS_MAIN(TestClocks)
#include "TestClocks.moc"
