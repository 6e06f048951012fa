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
        f.form->announcer().setVolumeLevel(-80);
        f.form->announcer().SpeakToMeNow(QStringLiteral("a"));
        f.form->announcer().SpeakToMeNowPurge(QStringLiteral("b"));
        f.form->announcer().SpeakToMeNowSync(QStringLiteral("c"));
        f.form->announcer().SpeakWithVolume(QStringLiteral("Test"));
        const QList<Request> expected {
            { "a", 17 }, { "b", 19 }, { "c", 16 }, { "<volume level=\"80\">Test</volume>", 65 }
        };
        QCOMPARE(f.voice.spoken, expected);
    }

    void emptyTextMakesNoVoiceCall()
    {
        FormFixture f;
        f.form->announcer().SpeakToMeNow(QString());
        f.form->announcer().SpeakToMeNowPurge(QString());
        f.form->announcer().SpeakToMeNowSync(QString());
        f.form->announcer().SpeakWithVolume(QString());
        f.form->announcer().SpeakCallSign(QString());
        QVERIFY(f.voice.spoken.isEmpty());
    }

    void disabledSpeechSaysNothingAndReportsNothing()
    {
        FormFixture f;
        f.voice.failWith = QStringLiteral("no engine");
        f.widget<QCheckBox>(QStringLiteral("SpeechEnableCheckBox"))->setChecked(false);
        f.form->announcer().SpeakToMeNow(QStringLiteral("hello"));
        f.form->announcer().SpeakWithVolume(QStringLiteral("hello"));
        f.form->announcer().SpeakCallSign(QStringLiteral("Q1AB"));
        QVERIFY(f.widget<QTextBrowser>(QStringLiteral("redtChat"))->toPlainText().isEmpty());
        f.voice.failWith.clear();
        f.widget<QCheckBox>(QStringLiteral("SpeechEnableCheckBox"))->setChecked(true);
        QCOMPARE(f.voice.spoken, (QList<Request> { { "Speech Output Now Enabled", 17 } }));
    }

    void failureLeavesOneLinePerRequest()
    {
        FormFixture f;
        f.voice.failWith = QStringLiteral("No speech engine available.");
        f.form->announcer().SpeakToMeNow(QStringLiteral("one"));
        f.form->announcer().SpeakCallSign(QStringLiteral("Q1AB"));
        QCOMPARE(f.chatLines(),
                 QStringList({ "No speech engine available. Microsoft Speech Not installed or Disabled.",
                               "No speech engine available. Microsoft Speech Not installed or Disabled." }));
    }

    void backgroundFailuresReachThePaneOneEachUntilTheVoiceIsReleased()
    {
        FormFixture f;
        f.voice.failInBackground(QStringLiteral("Audio device busy."));
        f.voice.failInBackground(QStringLiteral("Audio device busy."));
        QCOMPARE(f.chatLines(),
                 QStringList({ "Audio device busy. Microsoft Speech Not installed or Disabled.",
                               "Audio device busy. Microsoft Speech Not installed or Disabled." }));
        f.form->announcer().releaseVoice();
        QVERIFY(!f.voice.failureHandler);
    }

    void receivedTextCannotInjectMarkup()
    {
        FormFixture f;
        f.form->announcer().setVolumeLevel(-30);
        f.form->announcer().SpeakWithVolume(QStringLiteral("</volume><volume level=\"100\">loud & <b>"));
        QCOMPARE(f.voice.spoken.constFirst().text,
                 QStringLiteral("<volume level=\"30\">&lt;/volume&gt;&lt;volume level=\"100\"&gt;loud &amp; "
                                "&lt;b&gt;</volume>"));
    }

    void volumeZeroIsStillARequest()
    {
        FormFixture f;
        f.form->announcer().setVolumeLevel(0);
        f.form->announcer().SpeakWithVolume(QStringLiteral("x"));
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
        f.widget<QSlider>(QStringLiteral("TrackBarVolume"))->setFocus();
        QTest::keyClick(f.widget<QSlider>(QStringLiteral("TrackBarVolume")), Qt::Key(key));
        QCOMPARE(f.widget<QSlider>(QStringLiteral("TrackBarVolume"))->value(), position);
        QCOMPARE(f.form->announcer().volumeLevel(), position);
        QCOMPARE(f.voice.spoken.constLast(), (Request { spoken, 65 }));
    }

    void callsignsAreSpelledAndCutOffOtherSpeech()
    {
        FormFixture f;
        f.form->announcer().setOwnCallsign(QStringLiteral("Q1AB"));
        f.form->announcer().SpeakCallSign(QStringLiteral("Q2CD-R"));
        f.form->announcer().SpeakCallSign(QStringLiteral("Q1AB"));
        QCOMPARE(f.voice.spoken, (QList<Request> { { "Quebec Two Charlie Delta , Repeater ", 19 } }));
    }

    void playSoundPlaysTheWarningAndTheTestPhrase()
    {
        FormFixture f;
        f.widget<QPushButton>(QStringLiteral("Button1"))->click();
        QCOMPARE(f.platform.sounds.size(), 1);
        QVERIFY(f.platform.sounds.constFirst().endsWith(QStringLiteral("timeout.wav")));
        QCOMPARE(f.voice.spoken.constLast().text,
                 QStringLiteral("<volume level=\"70\">Volume AdjustMent Message Use Up and Down Arrow Keys</volume>"));
    }
};

QTEST_MAIN(TestSpeechOperations)
#include "TestSpeechOperations.moc"
