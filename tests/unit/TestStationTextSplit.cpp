// Station text as the talker display shows it: the head, the line of the station talking now and the rest, in
// the label, the status bar and the station pane.
#include "echolink/StationTextSplit.h"

#include <QTest>

class TestStationTextSplit : public QObject
{
    Q_OBJECT

private slots:
    void textIsSplitAtTheFirstMarker_data();
    void textIsSplitAtTheFirstMarker();
    void talkerIsShownFromItsSecondCharacter();
    void textWithoutMarkerIsShownWhole_data();
    void textWithoutMarkerIsShownWhole();
};

void TestStationTextSplit::textIsSplitAtTheFirstMarker_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("head");
    QTest::addColumn<QString>("talkerLine");
    QTest::addColumn<QString>("rest");

    QTest::newRow("line break before the marker keeps its CR")
        << "*TEST* Conference\r\nQ1AB Jo\r\n> Q2CD Ann\rQ3EF\rQ4GH\r"
        << "*TEST* Conference\r\nQ1AB Jo\r"
        << " Q2CD Ann\r"
        << "Q3EF\rQ4GH\r";
    QTest::newRow("marker first") << ">Q2CD\rrest"
                                  << ""
                                  << "Q2CD\r"
                                  << "rest";
    QTest::newRow("marker second") << "x>Q2CD\r"
                                   << ""
                                   << "Q2CD\r"
                                   << "";
    QTest::newRow("marker third") << "ab>Q2CD\r"
                                  << "a"
                                  << "Q2CD\r"
                                  << "";
    QTest::newRow("no CR after the marker") << "Head\r\n>Q2CD"
                                            << "Head\r"
                                            << ""
                                            << "Q2CD";
    QTest::newRow("only the first marker counts") << "Head\r\n>Q2>x\rb>c"
                                                  << "Head\r"
                                                  << "Q2>x\r"
                                                  << "b>c";
    QTest::newRow("line feed alone does not end the talker line") << "H\r\n> Q2CD\nmore\rrest"
                                                                  << "H\r"
                                                                  << " Q2CD\nmore\r"
                                                                  << "rest";
}

void TestStationTextSplit::textIsSplitAtTheFirstMarker()
{
    QFETCH(QString, text);
    QFETCH(QString, head);
    QFETCH(QString, talkerLine);
    QFETCH(QString, rest);

    const StationText::Split split = StationText::split(text);
    QVERIFY(split.hasTalker);
    QCOMPARE(split.head, head);
    QCOMPARE(split.talkerLine, talkerLine);
    QCOMPARE(split.rest, rest);
    const QStringList pane { head, rest + "\r", " Station Now Talking " + talkerLine };
    QCOMPARE(split.paneLines(), pane);
}

void TestStationTextSplit::talkerIsShownFromItsSecondCharacter()
{
    const StationText::Split split = StationText::split(QStringLiteral("Q1AB Jo\r\n> Q2CD Ann\rQ3EF\r"));
    QCOMPARE(split.talkingNowCaption(), QStringLiteral(" Station Now Talking    > Q2CD Ann\r"));
    QCOMPARE(split.statusText(), QStringLiteral("Q2CD Ann\r"));
    QCOMPARE(split.paneLines().last(), QStringLiteral(" Station Now Talking  Q2CD Ann\r"));

    const StationText::Split noTalker = StationText::split(QStringLiteral("Head\r\n>"));
    QCOMPARE(noTalker.talkingNowCaption(), QStringLiteral(" Station Now Talking    > "));
    QCOMPARE(noTalker.statusText(), QString());
}

void TestStationTextSplit::textWithoutMarkerIsShownWhole_data()
{
    QTest::addColumn<QString>("text");
    QTest::newRow("empty") << "";
    QTest::newRow("station information") << "Q1AB Jo Smith\r\nSomewhere, XY\r\n";
    QTest::newRow("markup stays text") << "<img src=/etc/passwd &lt;";
}

void TestStationTextSplit::textWithoutMarkerIsShownWhole()
{
    QFETCH(QString, text);
    const StationText::Split split = StationText::split(text);
    QVERIFY(!split.hasTalker);
    QCOMPARE(split.talkingNowCaption(), QString());
    QCOMPARE(split.statusText(), QString());
    QCOMPARE(split.paneLines(), QStringList { text });
}

QTEST_GUILESS_MAIN(TestStationTextSplit)
#include "TestStationTextSplit.moc"
