#include "speech/TranscriptVoice.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

// The transcript hook that acceptance tests read: one line per call, flags, tab, escaped text.
class TestTranscriptVoice : public QObject
{
    Q_OBJECT

private slots:
    void lineEscapesWhatWouldBreakALine_data();
    void lineEscapesWhatWouldBreakALine();
    void everyCallAppendsOneLineInOrder();
    void unwritableTranscriptIsAVoiceError();
};

void TestTranscriptVoice::lineEscapesWhatWouldBreakALine_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("flags");
    QTest::addColumn<QString>("line");
    QTest::newRow("plain") << "Station Connected" << 17 << "17\tStation Connected\n";
    QTest::newRow("backslash first") << "a\\n" << 16 << "16\ta\\\\n\n";
    QTest::newRow("line breaks and tab") << "a\r\nb\tc" << 19 << "19\ta\\r\\nb\\tc\n";
    QTest::newRow("markup untouched") << "<volume level=\"80\">x&amp;</volume>" << 65
                                      << "65\t<volume level=\"80\">x&amp;</volume>\n";
    QTest::newRow("empty text") << "" << 1 << "1\t\n";
}

void TestTranscriptVoice::lineEscapesWhatWouldBreakALine()
{
    QFETCH(QString, text);
    QFETCH(int, flags);
    QFETCH(QString, line);
    QCOMPARE(TranscriptVoice::line(text, flags), line);
}

void TestTranscriptVoice::everyCallAppendsOneLineInOrder()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("speech.txt");
    {
        QFile existing(path);
        QVERIFY(existing.open(QIODevice::WriteOnly));
        existing.write("earlier\n");
    }
    TranscriptVoice voice(path);
    voice.speak(QStringLiteral("Jörg says hi"), 17);
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(QString::fromUtf8(file.readAll()), QStringLiteral("earlier\n17\tJörg says hi\n"));
    file.close();
    QVERIFY(QFile::remove(path));
    voice.speak("after removal", 16);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), QByteArray("16\tafter removal\n"));
}

void TestTranscriptVoice::unwritableTranscriptIsAVoiceError()
{
    QTemporaryDir dir;
    TranscriptVoice voice(dir.filePath("missing-folder/speech.txt"));
    QVERIFY_THROWS_EXCEPTION(VoiceError, voice.speak("x", 17));
}

QTEST_GUILESS_MAIN(TestTranscriptVoice)
#include "TestTranscriptVoice.moc"
