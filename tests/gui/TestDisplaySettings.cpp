// Colour schemes, font size, the clocks and their UTC note, the look-up link, the station pane's help and what
// a screen reader reads of the changing labels.
#include "speech/Clocks.h"
#include "speech/ColorSchemes.h"
#include "speech/DisplaySettings.h"
#include "util/FormFixture.h"
#include "util/Pixels.h"

#include <QAccessible>
#include <QCheckBox>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QSpinBox>
#include <QTest>

namespace {

QColor toColor(quint32 bgr)
{
    return QColor(bgr & 0xFF, (bgr >> 8) & 0xFF, (bgr >> 16) & 0xFF);
}

// A view and panes that only record, for the rules that need no window.
struct RecordingDisplay : DisplaySettingsView, Panes
{
    QStringList chatLines;
    QStringList stationLines;
    QString clockTexts[2];
    bool qso = false;

    void applyContentFontSize(int, bool) override { }
    int fontSize() const override { return 10; }
    quint32 talkingNowBackground() const override { return 0; }
    void setWindowColor(quint32) override { }
    void setControlColor(const QString&, ColorSchemes::ColorRole, quint32) override { }
    void showClock(ClockFace face, const QString& date, const QString& time) override
    {
        clockTexts[face == ClockFace::Universal ? 0 : 1] = date + QLatin1Char(' ') + time;
    }
    QString lookUpAddress() const override { return {}; }
    bool qsoInProgress() const override { return qso; }

    void AppendChatLine(const QString& line) override { chatLines << line; }
    void AppendChatLineAtCaret(const QString& line) override { chatLines << line; }
    void AddChatLineQuietly(const QString& line) override { chatLines << line; }
    void AppendStationLine(const QString& line) override { stationLines << line; }
    void clearStationPane() override { stationLines.clear(); }
    void clearBothPanes() override { chatLines.clear(), stationLines.clear(); }
};

// Glyph pixels in exactly the font colour that a line of text at the start-up's size leaves at least; an
// unreadable control (text in its background's colour, or not repainted) has none.
constexpr int MinTextPixels = 20;
constexpr int LabelTolerance = 40;

using Look = QImage (*)(QWidget*);

// The controls of the three groups as the operator sees them in scheme n: each background control painted in
// the scheme's background, the panes, the away line and the option boxes showing text in their font colours.
void checkPainted(const FormFixture& f, int n, Look look, const char* how)
{
    const ColorSchemes::ColorScheme s = *ColorSchemes::scheme(n);
    const QColor background = Pixels::fromBgr(s.background);
    const QColor text = Pixels::fromBgr(s.textFont);
    const QColor label = Pixels::fromBgr(s.labelFont);
    for (const QString& name : ColorSchemes::backgroundGroup()) {
        const QColor most = Pixels::dominant(look(f.widget(name)));
        QVERIFY2(most == background,
                 qPrintable(QStringLiteral("scheme %1, %2: %3 shows %4, not %5")
                                .arg(n)
                                .arg(QLatin1String(how), name, most.name(), background.name())));
    }
    for (const char* name : { "redtChat", "redtStation", "edtAbsent" }) {
        const int glyphs = Pixels::count(look(f.widget(QLatin1String(name))), text);
        QVERIFY2(glyphs >= MinTextPixels,
                 qPrintable(QStringLiteral("scheme %1, %2: %3 has %4 pixels of %5")
                                .arg(n)
                                .arg(QLatin1String(how), QLatin1String(name))
                                .arg(glyphs)
                                .arg(text.name())));
    }
    for (const char* name : { "cbCheckAway", "SpeakCheckBox", "ButtonAnnounceCheckBox", "KeySpeakCheckBox" }) {
        // The boxes' captions are small: their nearly covered glyph pixels count too.
        const int glyphs = Pixels::count(look(f.widget(QLatin1String(name))), label, LabelTolerance);
        QVERIFY2(glyphs >= MinTextPixels,
                 qPrintable(QStringLiteral("scheme %1, %2: %3 has %4 pixels near %5")
                                .arg(n)
                                .arg(QLatin1String(how), QLatin1String(name))
                                .arg(glyphs)
                                .arg(label.name())));
    }
}

// Painted afresh, and as the controls stand on the screen, where one that missed its repaint still shows
// the old colours.
void checkPainted(const FormFixture& f, int n)
{
    checkPainted(f, n, Pixels::grab, "painted afresh");
    if (!QTest::currentTestFailed())
        checkPainted(f, n, Pixels::onScreen, "on the screen");
}

QString accessibleName(QWidget* widget)
{
    return QAccessible::queryAccessibleInterface(widget)->text(QAccessible::Name);
}

} // namespace

class TestDisplaySettings : public QObject
{
    Q_OBJECT
private slots:
    void everySchemeColoursItsThreeGroups_data()
    {
        QTest::addColumn<int>("number");
        for (int n = 0; n < ColorSchemes::SchemeCount; ++n)
            QTest::addRow("scheme %d", n) << n;
    }
    void everySchemeColoursItsThreeGroups()
    {
        QFETCH(int, number);
        FormFixture f;
        f.form->setWindowColor(WindowColors::Qso);
        f.form->display().setColorSetNumber(number);
        f.form->display().ApplyColorScheme();
        f.form->display().takeTalkingNowColor();
        const ColorSchemes::ColorScheme s = *ColorSchemes::scheme(number);
        QCOMPARE(f.form->windowColor(), ColorSchemes::WindowBackground);
        for (const QString& name : ColorSchemes::textGroup())
            QCOMPARE(f.widget(name)->palette().color(QPalette::Text), toColor(s.textFont));
        for (const QString& name : ColorSchemes::labelGroup())
            QCOMPARE(f.widget(name)->palette().color(QPalette::WindowText), toColor(s.labelFont));
        for (const QString& name : ColorSchemes::backgroundGroup()) {
            QWidget* w = f.widget(name);
            const QPalette::ColorRole role = qobject_cast<QLabel*>(w) ? QPalette::Window : QPalette::Base;
            QCOMPARE(w->palette().color(role), toColor(s.background));
        }
        QCOMPARE(f.form->display().talkingNowColor(), s.background);
    }

    // The scheme read from the settings file, painted at start-up; then F10 pressed where the operator is.
    void everySchemeShowsOnScreenAtStartAndAfterF10_data()
    {
        QTest::addColumn<int>("number");
        for (int n = 0; n < ColorSchemes::SchemeCount; ++n)
            QTest::addRow("scheme %d", n) << n;
    }
    void everySchemeShowsOnScreenAtStartAndAfterF10()
    {
        QFETCH(int, number);
        FormFixture f;
        f.writeSettings("[Corvane]\r\nKeyboardSpeak=FALSE\r\nColorSetNumber=" + QByteArray::number(number) + "\r\n");
        QVERIFY(f.startLikeTheProgram());
        f.clock.advance(4000);
        QVERIFY(f.form->startUp().settingsLoaded());
        checkPainted(f, number);
        if (QTest::currentTestFailed())
            return;
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_F10);
        QCOMPARE(f.form->display().colorSetNumber(), ColorSchemes::nextSchemeNumber(number));
        checkPainted(f, ColorSchemes::nextSchemeNumber(number));
    }

    void schemeZeroAfterSixLeavesNothingOfSix()
    {
        FormFixture f;
        f.form->display().setColorSetNumber(6);
        f.form->display().ApplyColorScheme();
        f.form->display().setColorSetNumber(ColorSchemes::nextSchemeNumber(6));
        f.form->display().ApplyColorScheme();
        QCOMPARE(f.form->display().colorSetNumber(), 0);
        QCOMPARE(f.widget(QStringLiteral("redtChat"))->palette().color(QPalette::Text), QColor(Qt::black));
        QCOMPARE(f.widget(QStringLiteral("redtChat"))->palette().color(QPalette::Base), QColor(Qt::white));
        QCOMPARE(f.widget(QStringLiteral("KeySpeakCheckBox"))->palette().color(QPalette::WindowText),
                 QColor(Qt::black));
        QCOMPARE(f.widget(QStringLiteral("lblTalkingNow"))->palette().color(QPalette::Window), QColor(Qt::white));
    }

    void aNumberOutsideTheSchemesChangesNothing_data()
    {
        QTest::addColumn<int>("number");
        QTest::newRow("7") << 7;
        QTest::newRow("-1") << -1;
        QTest::newRow("1000") << 1000;
    }
    void aNumberOutsideTheSchemesChangesNothing()
    {
        QFETCH(int, number);
        FormFixture f;
        f.form->display().setColorSetNumber(2);
        f.form->display().ApplyColorScheme();
        f.form->setWindowColor(WindowColors::Qso);
        f.form->display().setColorSetNumber(number);
        f.form->display().ApplyColorScheme();
        QCOMPARE(f.form->windowColor(), WindowColors::Qso);
        QCOMPARE(f.widget(QStringLiteral("edtChat"))->palette().color(QPalette::Text), QColor(Qt::yellow));
        QCOMPARE(f.widget(QStringLiteral("edtAbsent"))->palette().color(QPalette::Base), QColor(0, 0, 128));
    }

    void fontSizeStepsAndTheAwayLineStopsAt34_data()
    {
        QTest::addColumn<int>("from");
        QTest::addColumn<int>("to");
        QTest::addColumn<int>("panes");
        QTest::addColumn<int>("absent");
        QTest::newRow("33 to 34: all four") << 33 << 34 << 34 << 34;
        QTest::newRow("34 to 35: away line stays") << 34 << 35 << 35 << 34;
        QTest::newRow("up to the top") << 34 << 60 << 45 << 34;
        QTest::newRow("down to the bottom") << 12 << 2 << 8 << 8;
        QTest::newRow("back below 35 from above") << 40 << 20 << 20 << 20;
    }
    void fontSizeStepsAndTheAwayLineStopsAt34()
    {
        QFETCH(int, from);
        QFETCH(int, to);
        QFETCH(int, panes);
        QFETCH(int, absent);
        FormFixture f;
        f.startUp();
        auto* upDown = f.widget<QSpinBox>(QStringLiteral("btnUpDown"));
        upDown->setValue(from);
        f.voice.spoken.clear();
        upDown->stepBy(to - from);
        QCOMPARE(upDown->value(), panes);
        for (const char* name : { "redtChat", "edtChat", "redtStation" })
            QCOMPARE(f.widget(QString::fromLatin1(name))->font().pointSize(), panes);
        QCOMPARE(f.widget(QStringLiteral("edtAbsent"))->font().pointSize(), absent);
        QCOMPARE(f.widget<QLabel>(QStringLiteral("lblFontSize"))->text(), QString::number(panes));
        QVERIFY(f.voice.spoken.isEmpty());
    }

    void largeFontsKeepThePanesAndTheVolumeBarUsable_data()
    {
        QTest::addColumn<int>("size");
        QTest::newRow("28") << 28;
        QTest::newRow("45") << 45;
    }
    void largeFontsKeepThePanesAndTheVolumeBarUsable()
    {
        QFETCH(int, size);
        FormFixture f;
        f.startUp();
        f.widget<QSpinBox>(QStringLiteral("btnUpDown"))->setValue(size);
        f.form->centralWidget()->layout()->activate();
        auto* pane = f.widget<QTextBrowser>(QStringLiteral("redtChat"));
        const int lineHeight = QFontMetrics(pane->font()).lineSpacing();
        QVERIFY2(pane->height() >= 8 * lineHeight, qPrintable(QString::number(pane->height())));
        QVERIFY(f.widget(QStringLiteral("TrackBarVolume"))->height() >= 120);
    }

    void theSavedSizeReachesTheAwayLineWithoutTheLimit()
    {
        FormFixture f;
        f.form->startUp().FormCreate();
        f.widget<QSpinBox>(QStringLiteral("btnUpDown"))->setValue(40);
        f.form->display().applyContentFontSize(true);
        QCOMPARE(f.widget(QStringLiteral("edtAbsent"))->font().pointSize(), 40);
        QCOMPARE(f.widget<QLabel>(QStringLiteral("lblFontSize"))->text(), QStringLiteral("40"));
    }

    void theUtcNoteFollowsTheZone_data()
    {
        QTest::addColumn<QByteArray>("zone");
        QTest::addColumn<QDate>("date");
        QTest::addColumn<int>("bias");
        QTest::newRow("UTC+10 standard time") << QByteArray("Australia/Sydney") << QDate(2026, 7, 1) << 600;
        QTest::newRow("UTC+10 daylight time") << QByteArray("Australia/Sydney") << QDate(2026, 1, 15) << 660;
        QTest::newRow("UTC-5 standard time") << QByteArray("America/New_York") << QDate(2026, 1, 15) << -300;
        QTest::newRow("UTC") << QByteArray("UTC") << QDate(2026, 7, 1) << 0;
        QTest::newRow("no daylight rules") << QByteArray("Australia/Brisbane") << QDate(2026, 7, 1) << 0;
    }
    void theUtcNoteFollowsTheZone()
    {
        QFETCH(QByteArray, zone);
        QFETCH(QDate, date);
        QFETCH(int, bias);
        VirtualClock clock(QDateTime(date, QTime(12, 0), Qt::UTC));
        FakeVoice voice;
        Announcer announcer(voice);
        FakePlatform platform;
        RecordingDisplay view;
        DisplaySettings display({ view, announcer, view, platform, clock });
        display.setTimeZone(QTimeZone(zone));
        QCOMPARE(display.SetUTC_Clock_Time(), bias);
        const QStringList expected = bias == 0
            ? QStringList()
            : QStringList { QStringLiteral("Clock on Left is set to UTC Time; Local offset = ") + QString::number(bias)
                            + QStringLiteral(" Minutes") };
        QCOMPARE(view.chatLines, expected);
        QVERIFY(voice.spoken.isEmpty());
    }

    void theClocksShowUtcAndLocalTimeEverySecond()
    {
        VirtualClock clock(QDateTime(QDate(2026, 3, 9), QTime(23, 59, 58), Qt::UTC));
        FakeVoice voice;
        Announcer announcer(voice);
        FakePlatform platform;
        RecordingDisplay view;
        DisplaySettings display({ view, announcer, view, platform, clock });
        display.setTimeZone(QTimeZone("Asia/Tokyo"));
        QObject::connect(&display.clockTimer(), &Timer::timeout, [&display] { display.refreshClocks(); });
        clock.advance(1000);
        const QLocale locale;
        QCOMPARE(view.clockTexts[0],
                 QStringLiteral("3/9/2026 ") + Clocks::longTimeText(QTime(23, 59, 59), locale));
        QCOMPARE(view.clockTexts[1], QStringLiteral("3/10/2026 ") + Clocks::longTimeText(QTime(8, 59, 59), locale));
        clock.advance(1000);
        QCOMPARE(view.clockTexts[0], QStringLiteral("3/10/2026 ") + Clocks::longTimeText(QTime(0, 0), locale));
    }

    void theClocksAreYellowOnBlackIn48Pixels()
    {
        FormFixture f;
        for (const char* name : { "ClockUniversalTime", "ClockLocalTime" }) {
            auto* clock = f.widget<QLabel>(QString::fromLatin1(name));
            QCOMPARE(clock->palette().color(QPalette::WindowText), QColor(Qt::yellow));
            QCOMPARE(clock->palette().color(QPalette::Window), QColor(Qt::black));
            QCOMPARE(clock->font().pixelSize(), 48);
            QCOMPARE(clock->height(), 78);
            QVERIFY(clock->minimumWidth() >= 260);
            QVERIFY2(clock->text().contains(f.clock.now().date().toString(QStringLiteral("M/d/yyyy"))),
                     qPrintable(clock->text()));
        }
        const QString utc = Clocks::longTimeText(f.clock.now().toUTC().time(), QLocale());
        QVERIFY(accessibleName(f.widget(QStringLiteral("ClockUniversalTime"))).endsWith(utc));
    }

    void doubleClickingTheStationPaneGivesHelpOutsideAQso()
    {
        FormFixture f;
        f.form->startUp().FormCreate();
        auto* pane = f.widget<QTextBrowser>(QStringLiteral("redtStation"));
        f.voice.spoken.clear();
        QTest::mouseDClick(pane->viewport(), Qt::LeftButton);
        QCOMPARE(pane->toPlainText().split(QLatin1Char('\n')),
                 (QStringList {
                     "Text to Speech area  If cut and paste text here, and you can not see the Text. Then Press "
                     "Function 10. ",
                     "Function number F2. will read out the pasted text. ",
                     "Copy your text with CTRL C. Then move mouse here, left click once. ",
                     "Then CTRL A to select All of this message. Then CTRL V to paste new text." }));
        QCOMPARE(f.voice.texts(),
                 (QStringList { "Text to Speech area  If cut and paste text here, and you can not see the Text. "
                                "Then Press Function 10. ",
                                "Function number f2. will read out the pasted text. " }));
    }

    void doubleClickingTheStationPaneDuringAQsoDoesNothing()
    {
        FormFixture f;
        f.startUp();
        f.session.raiseConnected(QStringLiteral("Q1AB"), QStringLiteral("Jo"), QStringLiteral("10.0.0.1"));
        f.session.raiseStationTextReceived(QStringLiteral("Jo's station"));
        auto* pane = f.widget<QTextBrowser>(QStringLiteral("redtStation"));
        const QString before = pane->toPlainText();
        f.voice.spoken.clear();
        QTest::mouseDClick(pane->viewport(), Qt::LeftButton);
        QCOMPARE(pane->toPlainText(), before);
        QVERIFY(f.voice.spoken.isEmpty());
    }

    void theLookUpLinkAndPaneLinksOpenInTheBrowser()
    {
        FormFixture f;
        f.startUp();
        auto* link = f.widget<QLabel>(QStringLiteral("QRZLinkLabel"));
        QTest::mouseClick(link, Qt::LeftButton);
        QCOMPARE(f.platform.opened.size(), 1);
        QVERIFY2(f.platform.opened[0].startsWith(QStringLiteral("https://"))
                     && f.platform.opened[0].endsWith(QStringLiteral("/db/")),
                 qPrintable(f.platform.opened[0]));
        f.session.raiseConnected(QStringLiteral("Q1AB"), QStringLiteral("Jo"), QStringLiteral("10.0.0.1"));
        QTest::mouseClick(link, Qt::LeftButton);
        QVERIFY(f.platform.opened.constLast().endsWith(QStringLiteral("/db/Q1AB")));
        emit f.widget<QTextBrowser>(QStringLiteral("redtStation"))->anchorClicked(QUrl(QStringLiteral("http://x.example/a")));
        QCOMPARE(f.platform.opened.constLast(), QStringLiteral("http://x.example/a"));
    }

    void changingLabelsAreReadWithTheirText()
    {
        FormFixture f;
        f.startUp();
        f.session.raiseConnected(QStringLiteral("Q1AB"), QStringLiteral("Jo Smith"), QStringLiteral("10.0.0.1"));
        f.widget<QSpinBox>(QStringLiteral("btnUpDown"))->setValue(20);

        auto* info = f.widget<QLabel>(QStringLiteral("lblConnInfo"));
        QVERIFY(!info->text().isEmpty());
        QCOMPARE(accessibleName(info), QStringLiteral("Connection information: ") + info->text().simplified());
        auto* count = f.widget<QLabel>(QStringLiteral("lblStationCount"));
        QCOMPARE(accessibleName(count), QStringLiteral("Station count: 1"));
        QCOMPARE(accessibleName(f.widget(QStringLiteral("lblFontSize"))), QStringLiteral("Font size value: 20"));
        QVERIFY(accessibleName(f.widget(QStringLiteral("QRZLinkLabel"))).endsWith(QStringLiteral("/db/Q1AB")));
        QVERIFY(accessibleName(f.widget(QStringLiteral("ClockLocalTime"))).startsWith(QStringLiteral("Local time: ")));
        // An empty label is read by its name alone; the description stays.
        auto* talking = f.widget<QLabel>(QStringLiteral("lblTalkingNow"));
        talking->clear();
        QCOMPARE(accessibleName(talking), QStringLiteral("Talking now"));
        QCOMPARE(QAccessible::queryAccessibleInterface(talking)->text(QAccessible::Description),
                 QStringLiteral("The station that is talking now"));
        talking->setText(QStringLiteral("Q1AB"));
        QCOMPARE(accessibleName(talking), QStringLiteral("Talking now: Q1AB"));
        auto* panel = f.widget<QLabel>(QStringLiteral("StatusBarPanel1"));
        panel->setText(QStringLiteral("Q1AB"));
        QCOMPARE(accessibleName(panel), QStringLiteral("Station talking: Q1AB"));
    }
};

QTEST_MAIN(TestDisplaySettings)
#include "TestDisplaySettings.moc"
