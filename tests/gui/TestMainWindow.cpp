#include "util/FormFixture.h"

#include <QAccessible>
#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QSlider>
#include <QSplitter>
#include <QTest>

class TestMainWindow : public QObject
{
    Q_OBJECT
private slots:
    void everyControlIsNamedForTheScreenReader()
    {
        FormFixture f;
        const QStringList names { "ClockUniversalTime",
                                  "lblConnInfo",
                                  "lblTalkingNow",
                                  "ClockLocalTime",
                                  "lblStationCount",
                                  "btnDisconnectLast",
                                  "btnDisconnect",
                                  "btnLastConnect",
                                  "bTxRx",
                                  "redtChat",
                                  "Splitter1",
                                  "redtStation",
                                  "edtChat",
                                  "TrackBarVolume",
                                  "cbCheckAway",
                                  "SpeakCheckBox",
                                  "ButtonAnnounceCheckBox",
                                  "KeySpeakCheckBox",
                                  "bCall1",
                                  "bCall40",
                                  "edtAbsent",
                                  "btnUpDown",
                                  "lblFontSize",
                                  "Button1",
                                  "btnChatClear",
                                  "TxTimeFill",
                                  "SpeechEnableCheckBox",
                                  "FocusToFrontCheckBox",
                                  "QRZLinkLabel",
                                  "Button2" };
        for (const QString& name : names) {
            auto* widget = f.form->findChild<QWidget*>(name);
            QVERIFY2(widget, qPrintable(name));
            if (name != QLatin1String("Splitter1"))
                QVERIFY2(!widget->accessibleName().isEmpty(), qPrintable(name));
        }
    }

    void creationStateMatchesTheDesign()
    {
        FormFixture f;
        TmainForm& w = *f.form;
        QCOMPARE(w.windowTitle(), QStringLiteral("Corvane"));
        QCOMPARE(w.cbCheckAway->text(), QStringLiteral("Away  F5"));
        QVERIFY(!w.cbCheckAway->isChecked());
        QVERIFY(w.SpeakCheckBox->isChecked() && w.ButtonAnnounceCheckBox->isChecked());
        QVERIFY(!w.KeySpeakCheckBox->isChecked());
        QCOMPARE(w.TrackBarVolume->value(), -80);
        QCOMPARE(w.TrackBarVolume->minimum(), -100);
        QCOMPARE(w.TrackBarVolume->singleStep(), 10);
        QVERIFY(w.TxTimer->isActive());
        QCOMPARE(w.TxTimer->interval(), 1800);
        QVERIFY(w.redtStation->toPlainText().contains(QStringLiteral("Welcome to Corvane.")));
        QVERIFY(w.redtStation->toPlainText().endsWith(
            QStringLiteral("This text will be replaced by station\ninfo when you connect to a station.")));
        QCOMPARE(w.btnDisconnectLast->toolTip(),
                 QStringLiteral("Disconnect from last Station to Connect in a Conference hosted by this station!"));
    }

    void tabVisitsTheControlsInOrderAndSkipsThePanes()
    {
        FormFixture f;
        f.form->show();
        QVERIFY(QTest::qWaitForWindowActive(f.form.get()));
        f.form->edtChat->setFocus();
        QStringList visited;
        for (int i = 0; i < 60; ++i) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            visited << QApplication::focusWidget()->objectName();
        }
        const QStringList expectedStart { "btnLastConnect", "btnDisconnect",  "btnDisconnectLast",
                                          "bTxRx",          "TrackBarVolume", "bCall1",
                                          "bCall2" };
        QCOMPARE(visited.mid(0, 7), expectedStart);
        const int afterCalls = static_cast<int>(visited.indexOf(QStringLiteral("bCall40"))) + 1;
        QCOMPARE(visited.mid(afterCalls, 7),
                 (QStringList { "cbCheckAway", "SpeakCheckBox", "ButtonAnnounceCheckBox", "KeySpeakCheckBox",
                                "edtAbsent", "SpeechEnableCheckBox", "edtChat" }));
        QVERIFY(!visited.contains(QStringLiteral("redtChat")));
        QVERIFY(!visited.contains(QStringLiteral("FocusToFrontCheckBox")));
    }

    void focusBoxBeepsAndUntickingKeepsTheWindowBack()
    {
        FormFixture f;
        f.form->show();
        QVERIFY(QTest::qWaitForWindowActive(f.form.get()));
        f.form->FocusToFrontCheckBox->setFocus(Qt::MouseFocusReason);
        QCOMPARE(f.platform.beeps, 1);
        f.form->FocusToFrontCheckBox->setChecked(false);
        QVERIFY(f.form->state.NotBringToFront);
        QCOMPARE(f.voice.texts(),
                 QStringList { "Corvane will Not Come To Front. Or Flash. When Station List Up Dates" });
        QCOMPARE(QApplication::focusWidget(), f.form->edtChat);
    }

    void errorsInHandlersAreReportedAndTheProgramGoesOn()
    {
        FormFixture f;
        f.form->edtChat->setText(QStringLiteral("half typed"));
        f.form->guarded([] { throw std::runtime_error("disk on fire"); });
        QCOMPARE(f.lastChatLine(), QStringLiteral(">Application Exception disk on fire"));
        QVERIFY(f.form->edtChat->text().isEmpty());
        QCOMPARE(f.voice.spoken.constLast(), (FakeVoice::Request { "disk on fireApplication Exception ", 1 }));

        f.voice.failWith = QStringLiteral("no voice");
        f.form->guarded([] { throw std::runtime_error("again"); });
        QCOMPARE(f.lastChatLine(), QStringLiteral("no voice Microsoft Speech Not installed or Disabled."));
    }

    void optionBoxesConfirmAndSendTheFocusHome()
    {
        FormFixture f;
        f.form->show();
        QVERIFY(QTest::qWaitForWindowActive(f.form.get()));
        f.form->ButtonAnnounceCheckBox->setFocus();
        f.form->ButtonAnnounceCheckBox->setChecked(false);
        QCOMPARE(f.voice.texts(), (QStringList { "Button Speak Off", " " }));
        QCOMPARE(QApplication::focusWidget(), f.form->edtChat);
        f.voice.spoken.clear();
        f.form->SpeakCheckBox->setChecked(false);
        QVERIFY(!f.form->state.SpeakMessage);
        QCOMPARE(f.voice.texts(), QStringList { "Speak Messages Off" });
    }
};

QTEST_MAIN(TestMainWindow)
#include "TestMainWindow.moc"
