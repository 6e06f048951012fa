#include "speech/ColorSchemes.h"

#include <QTest>
#include <climits>

using namespace ColorSchemes;

// The seven colour schemes of F10: their colours, the ring they step through, and which control
// takes which colour when one is applied.
class TestColorSchemes : public QObject
{
    Q_OBJECT

private slots:
    void eachSchemeHasItsColours_data();
    void eachSchemeHasItsColours();
    void numbersOutsideTheSevenHaveNoScheme_data();
    void numbersOutsideTheSevenHaveNoScheme();
    void nextSchemeStepsRoundTheRing_data();
    void nextSchemeStepsRoundTheRing();
    void sevenStepsReturnToTheStartingScheme();
    void applyingColoursEveryControlOfTheThreeGroups_data();
    void applyingColoursEveryControlOfTheThreeGroups();
    void controlsOutsideTheGroupsAreNotColoured();
};

void TestColorSchemes::eachSchemeHasItsColours_data()
{
    QTest::addColumn<int>("number");
    QTest::addColumn<quint32>("textFont");
    QTest::addColumn<quint32>("labelFont");
    QTest::addColumn<quint32>("background");
    QTest::newRow("0 black on white") << 0 << 0x000000u << 0x000000u << 0xFFFFFFu;
    QTest::newRow("1 white on black") << 1 << 0xFFFFFFu << 0xFFFFFFu << 0x000000u;
    QTest::newRow("2 yellow on navy") << 2 << 0x00FFFFu << 0x00FFFFu << 0x800000u;
    QTest::newRow("3 aqua on navy") << 3 << 0xFFFF00u << 0xFFFF00u << 0x800000u;
    QTest::newRow("4 lime, yellow labels, on black") << 4 << 0x00FF00u << 0x00FFFFu << 0x000000u;
    QTest::newRow("5 red, yellow labels, on black") << 5 << 0x0000FFu << 0x00FFFFu << 0x000000u;
    QTest::newRow("6 aqua on black") << 6 << 0xFFFF00u << 0xFFFF00u << 0x000000u;
}

void TestColorSchemes::eachSchemeHasItsColours()
{
    QFETCH(int, number);
    QFETCH(quint32, textFont);
    QFETCH(quint32, labelFont);
    QFETCH(quint32, background);
    const std::optional<ColorScheme> s = scheme(number);
    QVERIFY(s);
    QCOMPARE(s->textFont, textFont);
    QCOMPARE(s->labelFont, labelFont);
    QCOMPARE(s->background, background);
    QCOMPARE(talkingNowColor(*s), background);
}

void TestColorSchemes::numbersOutsideTheSevenHaveNoScheme_data()
{
    QTest::addColumn<int>("number");
    QTest::newRow("-1") << -1;
    QTest::newRow("7") << 7;
    QTest::newRow("100") << 100;
    QTest::newRow("smallest") << INT_MIN;
    QTest::newRow("largest") << INT_MAX;
}

void TestColorSchemes::numbersOutsideTheSevenHaveNoScheme()
{
    QFETCH(int, number);
    QVERIFY(!scheme(number));
}

void TestColorSchemes::nextSchemeStepsRoundTheRing_data()
{
    QTest::addColumn<int>("number");
    QTest::addColumn<int>("next");
    for (int n = 0; n < 6; ++n)
        QTest::addRow("%d", n) << n << n + 1;
    QTest::newRow("6 back to 0") << 6 << 0;
    QTest::newRow("7 keeps counting") << 7 << 8;
    QTest::newRow("-1 reaches 0") << -1 << 0;
    QTest::newRow("largest wraps without overflow") << INT_MAX << INT_MIN;
}

void TestColorSchemes::nextSchemeStepsRoundTheRing()
{
    QFETCH(int, number);
    QFETCH(int, next);
    QCOMPARE(nextSchemeNumber(number), next);
}

void TestColorSchemes::sevenStepsReturnToTheStartingScheme()
{
    for (int start = 0; start < SchemeCount; ++start) {
        int n = start;
        for (int step = 0; step < SchemeCount; ++step) {
            n = nextSchemeNumber(n);
            QVERIFY(scheme(n));
        }
        QCOMPARE(n, start);
    }
}

void TestColorSchemes::applyingColoursEveryControlOfTheThreeGroups_data()
{
    QTest::addColumn<int>("number");
    for (int n = 0; n < SchemeCount; ++n)
        QTest::addRow("scheme %d", n) << n;
}

void TestColorSchemes::applyingColoursEveryControlOfTheThreeGroups()
{
    QFETCH(int, number);
    const ColorScheme s = *scheme(number);
    const QStringList text { "redtChat", "edtChat", "redtStation", "edtAbsent", "lblConnInfo" };
    const QStringList labels { "lblFontSize",      "cbCheckAway",    "SpeakCheckBox", "ButtonAnnounceCheckBox",
                               "KeySpeakCheckBox", "lblStationCount" };
    const QStringList backgrounds { "redtChat", "redtStation", "edtAbsent", "lblConnInfo", "lblTalkingNow", "edtChat" };

    QList<ColorAssignment> expected;
    for (const QString& name : text)
        expected.append({ name, ColorRole::Font, s.textFont });
    for (const QString& name : labels)
        expected.append({ name, ColorRole::Font, s.labelFont });
    for (const QString& name : backgrounds)
        expected.append({ name, ColorRole::Background, s.background });
    QCOMPARE(assignments(s), expected);
}

void TestColorSchemes::controlsOutsideTheGroupsAreNotColoured()
{
    // The talker label's font, the memory buttons and the clocks keep their own colours.
    const QList<ColorAssignment> all = assignments(*scheme(4));
    for (const ColorAssignment& a : all) {
        QVERIFY2(!(a.objectName == u"lblTalkingNow" && a.role == ColorRole::Font), "talker font coloured");
        QVERIFY(!a.objectName.startsWith(u"bCall"));
        QVERIFY(!a.objectName.startsWith(u"Clock"));
    }
}

QTEST_GUILESS_MAIN(TestColorSchemes)
#include "TestColorSchemes.moc"
