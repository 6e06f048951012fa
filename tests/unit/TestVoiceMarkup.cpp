#include "speech/Voice.h"
#include "speech/VoiceMarkup.h"

#include <QTest>

// The volume tag is read by hand: text from stations stays text, whatever markup it looks like.
class TestVoiceMarkup : public QObject
{
    Q_OBJECT

private slots:
    void escapeWritesMarkupCharactersAsEntities_data();
    void escapeWritesMarkupCharactersAsEntities();
    void flagsBecomeQueueBehaviour_data();
    void flagsBecomeQueueBehaviour();
    void markupIsReadLeniently_data();
    void markupIsReadLeniently();
    void stationTextSurvivesTheVolumeTag_data();
    void stationTextSurvivesTheVolumeTag();
};

void TestVoiceMarkup::escapeWritesMarkupCharactersAsEntities_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("escaped");
    QTest::newRow("plain") << "Hello there"
                           << "Hello there";
    QTest::newRow("all three") << "a<b>&c"
                               << "a&lt;b&gt;&amp;c";
    QTest::newRow("entity typed by a station") << "&lt;"
                                               << "&amp;lt;";
    QTest::newRow("quotes stay") << "say \"hi\" 'x'"
                                 << "say \"hi\" 'x'";
    QTest::newRow("empty") << ""
                           << "";
}

void TestVoiceMarkup::escapeWritesMarkupCharactersAsEntities()
{
    QFETCH(QString, text);
    QFETCH(QString, escaped);
    QCOMPARE(VoiceMarkup::escape(text), escaped);
}

void TestVoiceMarkup::flagsBecomeQueueBehaviour_data()
{
    QTest::addColumn<int>("flags");
    QTest::addColumn<bool>("async");
    QTest::addColumn<bool>("purge");
    QTest::addColumn<bool>("punctuation");
    QTest::newRow("SpeakToMeNow 17") << 17 << true << false << false;
    QTest::newRow("SpeakToMeNowPurge 19") << 19 << true << true << false;
    QTest::newRow("SpeakToMeNowSync 16") << 16 << false << false << false;
    QTest::newRow("SpeakWithVolume 65") << 65 << true << false << true;
    QTest::newRow("exception handler 1") << 1 << true << false << false;
}

void TestVoiceMarkup::flagsBecomeQueueBehaviour()
{
    QFETCH(int, flags);
    QFETCH(bool, async);
    QFETCH(bool, purge);
    QFETCH(bool, punctuation);
    const SpeechRequest request = VoiceMarkup::interpret(QStringLiteral("Hello"), flags);
    QCOMPARE(request.text, QStringLiteral("Hello"));
    QCOMPARE(request.async, async);
    QCOMPARE(request.purge, purge);
    QCOMPARE(request.speakPunctuation, punctuation);
    QVERIFY(!request.volume);
}

void TestVoiceMarkup::markupIsReadLeniently_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("flags");
    QTest::addColumn<QString>("spoken");
    QTest::addColumn<int>("volume"); // -1: the engine's own volume
    const int withVolume = SpeakFlags::Async | SpeakFlags::SpeakPunctuation;
    QTest::newRow("volume tag") << "<volume level=\"80\">Test</volume>" << withVolume << "Test" << 80;
    QTest::newRow("volume zero is silent, not default") << "<volume level=\"0\">x</volume>" << withVolume << "x" << 0;
    QTest::newRow("single quotes") << "<volume level='30'>x</volume>" << withVolume << "x" << 30;
    QTest::newRow("no quotes, upper case") << "<VOLUME LEVEL=45>x</VOLUME>" << withVolume << "x" << 45;
    QTest::newRow("above 100 clamped") << "<volume level=\"250\">x</volume>" << withVolume << "x" << 100;
    QTest::newRow("negative clamped") << "<volume level=\"-5\">x</volume>" << withVolume << "x" << 0;
    QTest::newRow("level not a number") << "<volume level=\"loud\">x</volume>" << withVolume << "x" << -1;
    QTest::newRow("no closing tag") << "<volume level=\"70\">x" << withVolume << "x" << 70;
    QTest::newRow("entities decoded") << "<volume level=\"50\">&amp;&lt;&gt;&quot;&apos;&#65;&#x42;</volume>"
                                      << withVolume << "&<>\"'AB" << 50;
    QTest::newRow("unknown entity kept") << "<volume level=\"50\">&nbsp;&#0;&#xD800;&</volume>" << withVolume
                                         << "&nbsp;&#0;&#xD800;&" << 50;
    QTest::newRow("other tags dropped") << "<volume level=\"50\"><silence msec=\"500\"/>a<emph>b</emph></volume>"
                                        << withVolume << "ab" << 50;
    QTest::newRow("first volume wins") << "<volume level=\"20\">a</volume><volume level=\"100\">b</volume>"
                                       << withVolume << "ab" << 20;
    QTest::newRow("lone less-than is text") << "<volume level=\"50\">a < b</volume>" << withVolume << "a < b" << 50;
    QTest::newRow("plain flag keeps everything") << "<volume level=\"80\">a&amp;b</volume>" << int(SpeakFlags::IsNotXml)
                                                 << "<volume level=\"80\">a&amp;b</volume>" << -1;
    QTest::newRow("auto: plain text stays plain")
        << "Error: a<b> & c" << int(SpeakFlags::Async) << "Error: a<b> & c" << -1;
    QTest::newRow("auto: markup is read")
        << "  <volume level=\"10\">x</volume>" << int(SpeakFlags::Async) << "  x" << 10;
}

void TestVoiceMarkup::markupIsReadLeniently()
{
    QFETCH(QString, text);
    QFETCH(int, flags);
    QFETCH(QString, spoken);
    QFETCH(int, volume);
    const SpeechRequest request = VoiceMarkup::interpret(text, flags);
    QCOMPARE(request.text, spoken);
    QCOMPARE(request.volume.value_or(-1), volume);
}

void TestVoiceMarkup::stationTextSurvivesTheVolumeTag_data()
{
    QTest::addColumn<QString>("chat");
    QTest::newRow("tag injection") << "</volume><volume level=\"100\">LOUD";
    QTest::newRow("typed entity") << "&lt; is less-than";
    QTest::newRow("double escaped") << "&amp;amp;";
    QTest::newRow("engine markup") << "<speak><audio src=\"x\"/></speak>";
    QTest::newRow("control characters") << "line\r\nnext\ttab\\";
    QTest::newRow("unicode") << QStringLiteral("73 de Jörg \U0001F4FB");
    QTest::newRow("only markup characters") << "<<>>&&;;";
}

void TestVoiceMarkup::stationTextSurvivesTheVolumeTag()
{
    QFETCH(QString, chat);
    const QString markup
        = QStringLiteral("<volume level=\"35\">") + VoiceMarkup::escape(chat) + QStringLiteral("</volume>");
    const SpeechRequest request = VoiceMarkup::interpret(markup, 65);
    QCOMPARE(request.text, chat);
    QCOMPARE(request.volume.value_or(-1), 35);
}

QTEST_GUILESS_MAIN(TestVoiceMarkup)
#include "TestVoiceMarkup.moc"
