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
    void everyControlOfTheTableIsBuiltAndNamedForTheScreenReader()
    {
        FormFixture f;
        for (const ControlRow& control : controlTable()) {
            auto* widget = f.form->findChild<QWidget*>(control.objectName);
            QVERIFY2(widget, qPrintable(control.objectName));
            QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(widget);
            QVERIFY2(accessible, qPrintable(control.objectName));
            // A label whose text changes is read with its text after the fixed name.
            const QString name = accessible->text(QAccessible::Name);
            QVERIFY2(name == control.accessibleName || name.startsWith(control.accessibleName + QStringLiteral(": ")),
                     qPrintable(name));
            QCOMPARE(accessible->text(QAccessible::Description), control.description);
            QVERIFY2(!control.accessibleName.isEmpty(), qPrintable(control.objectName));
        }
        QVERIFY(f.form->findChild<QSplitter*>(QStringLiteral("Splitter1")));
    }

    // The kind and the focus the table gives each control are the ones the window built.
    void everyControlIsOfItsKindAndTakesTheFocusTheTableGives()
    {
        FormFixture f;
        for (const ControlRow& control : controlTable()) {
            QWidget* widget = f.form->findChild<QWidget*>(control.objectName);
            QVERIFY2(widget, qPrintable(control.objectName));
            // The Qt class of each kind, in the order of ControlKind.
            static constexpr const char* classOfKind[]
                = { "QLabel",  "QPushButton", "QCheckBox",    "QLineEdit", "QTextBrowser",
                    "QSlider", "QSpinBox",    "QProgressBar", "QFrame" };
            static_assert(std::size(classOfKind) == static_cast<size_t>(ControlKind::Panel) + 1);
            const char* wanted = classOfKind[static_cast<int>(control.kind)];
            QVERIFY2(widget->inherits(wanted), qPrintable(control.objectName + QStringLiteral(" is not a ") + wanted));
            const Qt::FocusPolicy policy = widget->focusPolicy();
            if (control.tabPosition > 0)
                QVERIFY2(policy & Qt::TabFocus, qPrintable(control.objectName));
            else if (control.clickFocus)
                QVERIFY2(policy == Qt::ClickFocus, qPrintable(control.objectName));
            else
                QVERIFY2(!(policy & Qt::TabFocus), qPrintable(control.objectName));
            if (control.kind != ControlKind::CheckBox)
                QVERIFY2(!control.initiallyChecked, qPrintable(control.objectName));
        }
    }

    void creationStateMatchesTheDesign()
    {
        FormFixture f;
        QCOMPARE(f.form->windowTitle(), QStringLiteral("Corvane"));
        auto* away = f.widget<QCheckBox>(QStringLiteral("cbCheckAway"));
        QCOMPARE(away->text(), QStringLiteral("Away  F5"));
        QVERIFY(!away->isChecked());
        QVERIFY(f.widget<QCheckBox>(QStringLiteral("SpeakCheckBox"))->isChecked());
        QVERIFY(f.widget<QCheckBox>(QStringLiteral("ButtonAnnounceCheckBox"))->isChecked());
        QVERIFY(!f.widget<QCheckBox>(QStringLiteral("KeySpeakCheckBox"))->isChecked());
        auto* volume = f.widget<QSlider>(QStringLiteral("TrackBarVolume"));
        QCOMPARE(volume->value(), -80);
        QCOMPARE(volume->minimum(), -100);
        QCOMPARE(volume->singleStep(), 10);
        QVERIFY(f.form->transmit().txTimer().isActive());
        QCOMPARE(f.form->transmit().txTimer().interval(), 1800);
        const QString welcome = f.widget<QTextBrowser>(QStringLiteral("redtStation"))->toPlainText();
        QVERIFY(welcome.contains(QStringLiteral("Welcome to Corvane.")));
        QVERIFY(welcome.endsWith(
            QStringLiteral("This text will be replaced by station\ninfo when you connect to a station.")));
        QCOMPARE(f.widget<QPushButton>(QStringLiteral("btnDisconnectLast"))->toolTip(),
                 QStringLiteral("Disconnect from last Station to Connect in a Conference hosted by this station!"));
    }

    void tabVisitsTheControlsInOrderAndSkipsThePanes()
    {
        FormFixture f;
        f.form->show();
        QVERIFY(QTest::qWaitForWindowActive(f.form.get()));
        f.widget<QLineEdit>(QStringLiteral("edtChat"))->setFocus();
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
        f.widget<QCheckBox>(QStringLiteral("FocusToFrontCheckBox"))->setFocus(Qt::MouseFocusReason);
        QCOMPARE(f.platform.beeps, 1);
        f.widget<QCheckBox>(QStringLiteral("FocusToFrontCheckBox"))->setChecked(false);
        QVERIFY(f.form->options().notBringToFront());
        // The chat line, taking the focus, says its single space.
        QCOMPARE(f.voice.texts(),
                 (QStringList { "Corvane will Not Come To Front. Or Flash. When Station List Up Dates", " " }));
        QCOMPARE(QApplication::focusWidget(), f.widget<QLineEdit>(QStringLiteral("edtChat")));
    }

    void errorsInHandlersAreReportedAndTheProgramGoesOn()
    {
        FormFixture f;
        f.widget<QLineEdit>(QStringLiteral("edtChat"))->setText(QStringLiteral("half typed"));
        f.form->guarded([] { throw std::runtime_error("disk on fire"); });
        QCOMPARE(f.lastChatLine(), QStringLiteral(">Application Exception disk on fire"));
        QVERIFY(f.widget<QLineEdit>(QStringLiteral("edtChat"))->text().isEmpty());
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
        f.widget<QCheckBox>(QStringLiteral("ButtonAnnounceCheckBox"))->setFocus();
        f.voice.spoken.clear();
        f.widget<QCheckBox>(QStringLiteral("ButtonAnnounceCheckBox"))->setChecked(false);
        QCOMPARE(f.voice.texts(), (QStringList { "Button Speak Off", " " }));
        QCOMPARE(QApplication::focusWidget(), f.widget<QLineEdit>(QStringLiteral("edtChat")));
        f.voice.spoken.clear();
        f.widget<QCheckBox>(QStringLiteral("SpeakCheckBox"))->setChecked(false);
        QVERIFY(!f.form->options().speakMessage());
        QCOMPARE(f.voice.texts(), QStringList { "Speak Messages Off" });
    }
};

QTEST_MAIN(TestMainWindow)
#include "TestMainWindow.moc"
