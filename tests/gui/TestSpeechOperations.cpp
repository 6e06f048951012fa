#include "util/FormFixture.h"

#include <QCheckBox>
#include <QPushButton>
#include <QSlider>
#include <QTest>

using Request = FakeVoice::Request;

class TestSpeechOperations : public QObject
{
    Q_OBJECT
private slots:
    void eachOperationPassesItsFlags()
    {
        FormFixture f;
        f.form->state.VolumeLevel = -80;
        f.form->SpeakToMeNow(QStringLiteral("a"));
        f.form->SpeakToMeNowPurge(QStringLiteral("b"));
        f.form->SpeakToMeNowSync(QStringLiteral("c"));
        f.form->SpeakWithVolume(QStringLiteral("Test"));
        const QList<Request> expected {
            { "a", 17 }, { "b", 19 }, { "c", 16 }, { "<volume level=\"80\">Test</volume>", 65 }
        };
        QCOMPARE(f.voice.spoken, expected);
    }

    void emptyTextMakesNoVoiceCall()
    {
        FormFixture f;
        f.form->SpeakToMeNow(QString());
        f.form->SpeakToMeNowPurge(QString());
        f.form->SpeakToMeNowSync(QString());
        f.form->SpeakWithVolume(QString());
        f.form->SpeakCallSign(QString());
        QVERIFY(f.voice.spoken.isEmpty());
    }

    void disabledSpeechSaysNothingAndReportsNothing()
    {
        FormFixture f;
        f.voice.failWith = QStringLiteral("no engine");
        f.form->SpeechEnableCheckBox->setChecked(false);
        f.form->SpeakToMeNow(QStringLiteral("hello"));
        f.form->SpeakWithVolume(QStringLiteral("hello"));
        f.form->SpeakCallSign(QStringLiteral("Q1AB"));
        QVERIFY(f.form->redtChat->toPlainText().isEmpty());
        f.voice.failWith.clear();
        f.form->SpeechEnableCheckBox->setChecked(true);
        QCOMPARE(f.voice.spoken, (QList<Request> { { "Speech Output Now Enabled", 17 } }));
    }

    void failureLeavesOneLinePerRequest()
    {
        FormFixture f;
        f.voice.failWith = QStringLiteral("No speech engine available.");
        f.form->SpeakToMeNow(QStringLiteral("one"));
        f.form->SpeakCallSign(QStringLiteral("Q1AB"));
        QCOMPARE(f.chatLines(),
                 QStringList({ "No speech engine available. Microsoft Speech Not installed or Disabled.",
                               "No speech engine available. Microsoft Speech Not installed or Disabled." }));
    }

    void receivedTextCannotInjectMarkup()
    {
        FormFixture f;
        f.form->state.VolumeLevel = -30;
        f.form->SpeakWithVolume(QStringLiteral("</volume><volume level=\"100\">loud & <b>"));
        QCOMPARE(f.voice.spoken.constFirst().text,
                 QStringLiteral("<volume level=\"30\">&lt;/volume&gt;&lt;volume level=\"100\"&gt;loud &amp; "
                                "&lt;b&gt;</volume>"));
    }

    void volumeZeroIsStillARequest()
    {
        FormFixture f;
        f.form->state.VolumeLevel = 0;
        f.form->SpeakWithVolume(QStringLiteral("x"));
        QCOMPARE(f.voice.spoken.constFirst().text, QStringLiteral("<volume level=\"0\">x</volume>"));
    }

    void arrowKeysOnTheTrackBarSayTheNewVolume_data()
    {
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("position");
        QTest::addColumn<QString>("spoken");
        QTest::newRow("up is louder") << int(Qt::Key_Up) << -90 << "<volume level=\"90\">90Percent</volume>";
        QTest::newRow("down is softer") << int(Qt::Key_Down) << -70 << "<volume level=\"70\">70Percent</volume>";
    }
    void arrowKeysOnTheTrackBarSayTheNewVolume()
    {
        QFETCH(int, key);
        QFETCH(int, position);
        QFETCH(QString, spoken);
        FormFixture f;
        f.form->show();
        f.form->TrackBarVolume->setFocus();
        QTest::keyClick(f.form->TrackBarVolume, Qt::Key(key));
        QCOMPARE(f.form->TrackBarVolume->value(), position);
        QCOMPARE(f.form->state.VolumeLevel, position);
        QCOMPARE(f.voice.spoken.constLast(), (Request { spoken, 65 }));
    }

    void callsignsAreSpelledAndCutOffOtherSpeech()
    {
        FormFixture f;
        f.form->state.MyCallsign = QStringLiteral("Q1AB");
        f.form->SpeakCallSign(QStringLiteral("Q2CD-R"));
        f.form->SpeakCallSign(QStringLiteral("Q1AB"));
        QCOMPARE(f.voice.spoken, (QList<Request> { { "Quebec Two Charlie Delta , Repeater ", 19 } }));
    }

    void playSoundPlaysTheWarningAndTheTestPhrase()
    {
        FormFixture f;
        f.form->Button1->click();
        QCOMPARE(f.platform.sounds.size(), 1);
        QVERIFY(f.platform.sounds.constFirst().endsWith(QStringLiteral("timeout.wav")));
        QCOMPARE(f.voice.spoken.constLast().text,
                 QStringLiteral("<volume level=\"70\">Volume AdjustMent Message Use Up and Down Arrow Keys</volume>"));
    }
};

QTEST_MAIN(TestSpeechOperations)
#include "TestSpeechOperations.moc"
