#include "app/IniFile.h"
#include "util/FormFixture.h"

#include <QApplication>
#include <QCheckBox>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QSlider>
#include <QSpinBox>
#include <QTest>

class TestSettingsApply : public QObject
{
    Q_OBJECT
private:
    static void writeSettings(FormFixture& f, const QByteArray& body)
    {
        QDir().mkpath(f.platform.documents + QStringLiteral("/EchoLink"));
        QFile file(f.documentsFile(QStringLiteral("Corvane.ini")));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(body);
    }
    static QByteArray readSettings(FormFixture& f)
    {
        QFile file(f.documentsFile(QStringLiteral("Corvane.ini")));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

private slots:
    void firstStartAppliesTheDefaultsAndSpeaksTheTwoChanges()
    {
        FormFixture f;
        f.startUp();
        QVERIFY(f.widget<QCheckBox>(QStringLiteral("KeySpeakCheckBox"))->isChecked());
        QVERIFY(f.form->options().keyboardSpeak());
        QVERIFY(!f.widget<QCheckBox>(QStringLiteral("FocusToFrontCheckBox"))->isChecked());
        QVERIFY(f.form->options().notBringToFront());
        QCOMPARE(f.voice.texts(),
                 (QStringList { "Keyboard Speak Active",
                                "Corvane will Not Come To Front. Or Flash. When Station List Up Dates" }));
        QCOMPARE(f.widget<QSpinBox>(QStringLiteral("btnUpDown"))->value(), 10);
        QCOMPARE(f.form->announcer().volumeLevel(), -80);
        QCOMPARE(f.widget<QSlider>(QStringLiteral("TrackBarVolume"))->value(), -80);
        QCOMPARE(f.memory(40)->text(), QStringLiteral("NO CALL"));
        QCOMPARE(f.widget<QLineEdit>(QStringLiteral("edtAbsent"))->text(),
                 QStringLiteral(
                     "Sorry I am out of the shack. Please leave, type a text message and I will call you back. "));
    }

    void aSaveWritesAllKeysInOrderInANewSection()
    {
        FormFixture f;
        f.startUp();
        f.form->settings().SaveSettings();
        QCOMPARE(f.voice.texts().constLast(), QStringLiteral("Options saved"));
        const QList<QByteArray> lines = readSettings(f).split('\n');
        QCOMPARE(lines.first().trimmed(), QByteArray("[Corvane]"));
        QCOMPARE(lines.at(1).trimmed(), QByteArray("SpeakMessage=TRUE"));
        QCOMPARE(lines.at(8).trimmed(), QByteArray("NotBringToFront=FALSE"));
        QCOMPARE(lines.at(57).trimmed(), QByteArray("Callsign40=NO CALL"));
        int keys = 0;
        for (const QByteArray& line : lines)
            keys += line.contains('=') ? 1 : 0;
        QCOMPARE(keys, 57);
    }

    void storedValuesAreAppliedAndEqualStatesRunNoHandler()
    {
        FormFixture f;
        writeSettings(f,
                      "[corvane]\r\nkeyboardspeak=no\r\nNotBringToFront=yes\r\nInitialFontSize=20\r\n"
                      "VolumeLevel=-40\r\nCallsign7=\r\nAbsentMsg=  gone fishing  \r\n");
        f.startUp();
        QVERIFY(!f.widget<QCheckBox>(QStringLiteral("KeySpeakCheckBox"))->isChecked());
        QVERIFY(f.widget<QCheckBox>(QStringLiteral("FocusToFrontCheckBox"))->isChecked());
        QVERIFY(!f.form->options().notBringToFront());
        QVERIFY(f.voice.spoken.isEmpty());
        QCOMPARE(f.widget<QSpinBox>(QStringLiteral("btnUpDown"))->value(), 20);
        QCOMPARE(f.widget<QLineEdit>(QStringLiteral("edtChat"))->font().pointSize(), 20);
        QCOMPARE(f.widget<QSlider>(QStringLiteral("TrackBarVolume"))->value(), -40);
        QCOMPARE(f.memory(7)->text(), QString());
        QCOMPARE(f.widget<QLineEdit>(QStringLiteral("edtAbsent"))->text(), QStringLiteral("gone fishing"));
    }

    void volumeOutsideTheTrackBarIsKeptInTheVariable()
    {
        FormFixture f;
        writeSettings(f, "[Corvane]\r\nVolumeLevel=-150\r\n");
        f.startUp();
        QCOMPARE(f.form->announcer().volumeLevel(), -150);
        QCOMPARE(f.widget<QSlider>(QStringLiteral("TrackBarVolume"))->value(), -100);
    }

    void volumeOfAnySizeInTheFile_givesTaggedSpeechALevelFrom0To100_data()
    {
        QTest::addColumn<QByteArray>("stored");
        QTest::addColumn<int>("slider");
        QTest::addColumn<QString>("tag");
        QTest::newRow("smallest integer") << QByteArray("-2147483648") << -100 << "<volume level=\"100\">x</volume>";
        QTest::newRow("beyond the bar") << QByteArray("-150") << -100 << "<volume level=\"100\">x</volume>";
        QTest::newRow("on the bar") << QByteArray("-40") << -40 << "<volume level=\"40\">x</volume>";
    }

    void volumeOfAnySizeInTheFile_givesTaggedSpeechALevelFrom0To100()
    {
        QFETCH(QByteArray, stored);
        FormFixture f;
        writeSettings(f, "[Corvane]\r\nVolumeLevel=" + stored + "\r\n");
        f.startUp();
        QTEST(f.widget<QSlider>(QStringLiteral("TrackBarVolume"))->value(), "slider");
        f.form->announcer().SpeakWithVolume(QStringLiteral("x"));
        QTEST(f.voice.spoken.constLast().text, "tag");
    }

    void unreadableValueStopsTheLoadThere()
    {
        FormFixture f;
        writeSettings(f, "[Corvane]\r\nInitialFontSize=22\r\nVolumeLevel=loud\r\nAbsentMsg=later\r\n");
        f.startUp();
        QCOMPARE(f.widget<QSpinBox>(QStringLiteral("btnUpDown"))->value(), 22);
        QVERIFY(f.lastChatLine().startsWith(QStringLiteral(">Application Exception ")));
        QVERIFY(f.lastChatLine().contains(QStringLiteral("loud")));
        QVERIFY(f.widget<QLineEdit>(QStringLiteral("edtAbsent"))
                    ->text()
                    .startsWith(QStringLiteral("Sorry"))); // keys after it keep creation values
        QVERIFY(!f.form->startUp().settingsLoaded());
        QVERIFY(!f.form->startUp().echoLinkAttached());
        f.form->close(); // an incomplete start does not save
        QVERIFY(readSettings(f).contains("VolumeLevel=loud"));
    }

    // A saved size at least the layout's minimum is the window's size, on a window shown as the program shows
    // it; the transmit bar coming and going leaves the width alone.
    void theSavedSizeIsKeptAndTheTransmitBarTakesNoWidth_data()
    {
        QTest::addColumn<int>("extraWidth");
        QTest::addColumn<int>("extraHeight");
        QTest::newRow("the minimum") << 0 << 0;
        QTest::newRow("larger") << 57 << 43;
    }
    void theSavedSizeIsKeptAndTheTransmitBarTakesNoWidth()
    {
        QFETCH(int, extraWidth);
        QFETCH(int, extraHeight);
        QSize minimum;
        {
            FormFixture probe;
            probe.form->startUp().FormCreate();
            probe.form->show();
            probe.clock.advance(4000);
            // The frame's size at the layout's minimum: the settings keep the frame's size.
            minimum = probe.form->minimumSize().expandedTo(probe.form->minimumSizeHint())
                + (probe.form->frameGeometry().size() - probe.form->size());
            qInfo("the window's minimum: %d x %d", minimum.width(), minimum.height());
        }
        const QSize saved = minimum + QSize(extraWidth, extraHeight);
        FormFixture f;
        writeSettings(f,
                      QStringLiteral("[Corvane]\r\nKeyboardSpeak=FALSE\r\nNotBringToFront=TRUE\r\nWidth=%1\r\n"
                                     "Height=%2\r\n")
                          .arg(saved.width())
                          .arg(saved.height())
                          .toLatin1());
        QVERIFY(f.startLikeTheProgram());
        f.clock.advance(4000);
        QApplication::processEvents();
        QCOMPARE(f.form->frameGeometry().size(), saved);

        f.session.raiseConnected(QStringLiteral("Q1AB"), QStringLiteral("Jo"), QStringLiteral("10.0.0.1"));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Space); // Tx/Rx has the focus: transmit
        f.session.raiseTX(true);
        QVERIFY(f.widget(QStringLiteral("TxTimeFill"))->isVisible());
        QApplication::processEvents();
        QCOMPARE(f.form->frameGeometry().size(), saved);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Space);
        f.session.raiseTX(false);
        QApplication::processEvents();
        QCOMPARE(f.form->frameGeometry().size(), saved);
    }

    void closingSavesSoChangesSurviveARestart()
    {
        FormFixture first;
        first.startUp();
        first.widget<QCheckBox>(QStringLiteral("KeySpeakCheckBox"))->setChecked(false);
        first.form->memories().setCaption(1, QStringLiteral("Q1AB"));
        first.form->close();
        QVERIFY(first.voice.texts().contains(QStringLiteral("Options saved")));

        FormFixture second;
        second.platform.documents = first.platform.documents;
        second.startUp();
        QVERIFY(!second.widget<QCheckBox>(QStringLiteral("KeySpeakCheckBox"))->isChecked());
        QCOMPARE(second.memory(1)->text(), QStringLiteral("Q1AB"));
    }

    void lineBreaksInTheAwayMessageCannotAddKeys()
    {
        FormFixture f;
        f.startUp();
        f.widget<QLineEdit>(QStringLiteral("edtAbsent"))
            ->setText(QStringLiteral("back soon\r\n[Evil]\nCallsign1=HACK"));
        f.form->settings().SaveSettings();
        const QByteArray saved = readSettings(f);
        QVERIFY(!saved.contains("\n[Evil]"));
        QCOMPARE(saved.count("\nCallsign1="), 1);
    }

    void failedSaveIsReportedInsteadOfConfirmed()
    {
        FormFixture f;
        // A folder stands where the settings file should be written.
        QVERIFY(QDir().mkpath(f.documentsFile(QStringLiteral("Corvane.ini"))));
        f.startUp();
        f.voice.spoken.clear();
        f.form->settings().SaveSettings();
        QVERIFY(!f.voice.texts().contains(QStringLiteral("Options saved")));
        QCOMPARE(f.voice.texts().constLast(), QStringLiteral("Options not saved"));
        QVERIFY(f.lastChatLine().startsWith(QStringLiteral(">Options not saved: ")));
    }
};

QTEST_MAIN(TestSettingsApply)
#include "TestSettingsApply.moc"
