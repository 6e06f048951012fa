#include "app/IniFile.h"
#include "util/FormFixture.h"

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
        QVERIFY(f.form->KeySpeakCheckBox->isChecked());
        QVERIFY(f.form->state.KeyboardSpeak);
        QVERIFY(!f.form->FocusToFrontCheckBox->isChecked());
        QVERIFY(f.form->state.NotBringToFront);
        QCOMPARE(f.voice.texts(),
                 (QStringList { "Keyboard Speak Active",
                                "Corvane will Not Come To Front. Or Flash. When Station List Up Dates" }));
        QCOMPARE(f.form->btnUpDown->value(), 10);
        QCOMPARE(f.form->state.VolumeLevel, -80);
        QCOMPARE(f.form->TrackBarVolume->value(), -80);
        QCOMPARE(f.form->bCall[39]->text(), QStringLiteral("NO CALL"));
        QCOMPARE(f.form->edtAbsent->text(),
                 QStringLiteral(
                     "Sorry I am out of the shack. Please leave, type a text message and I will call you back. "));
    }

    void aSaveWritesAllKeysInOrderInANewSection()
    {
        FormFixture f;
        f.startUp();
        f.form->SaveSettings();
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
        QVERIFY(!f.form->KeySpeakCheckBox->isChecked());
        QVERIFY(f.form->FocusToFrontCheckBox->isChecked());
        QVERIFY(!f.form->state.NotBringToFront);
        QVERIFY(f.voice.spoken.isEmpty());
        QCOMPARE(f.form->btnUpDown->value(), 20);
        QCOMPARE(f.form->edtChat->font().pointSize(), 20);
        QCOMPARE(f.form->TrackBarVolume->value(), -40);
        QCOMPARE(f.form->bCall[6]->text(), QString());
        QCOMPARE(f.form->edtAbsent->text(), QStringLiteral("gone fishing"));
    }

    void volumeOutsideTheTrackBarIsKeptInTheVariable()
    {
        FormFixture f;
        writeSettings(f, "[Corvane]\r\nVolumeLevel=-150\r\n");
        f.startUp();
        QCOMPARE(f.form->state.VolumeLevel, -150);
        QCOMPARE(f.form->TrackBarVolume->value(), -100);
    }

    void unreadableValueStopsTheLoadThere()
    {
        FormFixture f;
        writeSettings(f, "[Corvane]\r\nInitialFontSize=22\r\nVolumeLevel=loud\r\nAbsentMsg=later\r\n");
        f.startUp();
        QCOMPARE(f.form->btnUpDown->value(), 22);
        QVERIFY(f.lastChatLine().startsWith(QStringLiteral(">Application Exception ")));
        QVERIFY(f.lastChatLine().contains(QStringLiteral("loud")));
        QVERIFY(f.form->edtAbsent->text().startsWith(QStringLiteral("Sorry"))); // keys after it keep creation values
        QVERIFY(!f.form->state.SettingsLoaded);
        QVERIFY(!f.form->state.EchoLinkAttached);
        f.form->close(); // an incomplete start does not save
        QVERIFY(readSettings(f).contains("VolumeLevel=loud"));
    }

    void closingSavesSoChangesSurviveARestart()
    {
        FormFixture first;
        first.startUp();
        first.form->KeySpeakCheckBox->setChecked(false);
        first.form->bCall[0]->setText(QStringLiteral("Q1AB"));
        first.form->close();
        QVERIFY(first.voice.texts().contains(QStringLiteral("Options saved")));

        FormFixture second;
        second.platform.documents = first.platform.documents;
        second.startUp();
        QVERIFY(!second.form->KeySpeakCheckBox->isChecked());
        QCOMPARE(second.form->bCall[0]->text(), QStringLiteral("Q1AB"));
    }

    void lineBreaksInTheAwayMessageCannotAddKeys()
    {
        FormFixture f;
        f.startUp();
        f.form->edtAbsent->setText(QStringLiteral("back soon\r\n[Evil]\nCallsign1=HACK"));
        f.form->SaveSettings();
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
        f.form->SaveSettings();
        QVERIFY(!f.voice.texts().contains(QStringLiteral("Options saved")));
        QCOMPARE(f.voice.texts().constLast(), QStringLiteral("Options not saved"));
        QVERIFY(f.lastChatLine().startsWith(QStringLiteral(">Options not saved: ")));
    }
};

QTEST_MAIN(TestSettingsApply)
#include "TestSettingsApply.moc"
