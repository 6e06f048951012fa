#include "speech/Voice.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

// Which voice the program gets from its environment. Only the choices that start no real engine are
// exercised here: the transcript and "none".
class TestVoiceFactory : public QObject
{
    Q_OBJECT

private slots:
    void cleanup();
    void transcriptWinsOverAForcedVoice();
    void noneBehavesAsAMachineWithoutSpeech_data();
    void noneBehavesAsAMachineWithoutSpeech();
    void besideAScreenReaderWithoutTheServiceItSaysOnceThatItHasNoVoice();
};

void TestVoiceFactory::cleanup()
{
    qunsetenv("CORVANE_SPEECH_TRANSCRIPT");
    qunsetenv("CORVANE_VOICE");
    qunsetenv("SPEECHD_ADDRESS");
}

void TestVoiceFactory::transcriptWinsOverAForcedVoice()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("speech.txt");
    qputenv("CORVANE_SPEECH_TRANSCRIPT", path.toLocal8Bit());
    qputenv("CORVANE_VOICE", "none");
    const std::unique_ptr<Voice> voice = createDefaultVoice();
    voice->speak("Speech Output Now Enabled", 17);
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), QByteArray("17\tSpeech Output Now Enabled\n"));
}

void TestVoiceFactory::noneBehavesAsAMachineWithoutSpeech_data()
{
    QTest::addColumn<QByteArray>("choice");
    QTest::newRow("lower case") << QByteArray("none");
    QTest::newRow("any case, blanks") << QByteArray(" None ");
}

void TestVoiceFactory::noneBehavesAsAMachineWithoutSpeech()
{
    QFETCH(QByteArray, choice);
    qputenv("CORVANE_VOICE", choice);
    const std::unique_ptr<Voice> voice = createDefaultVoice();
    for (int flags : { 17, 19, 16, 65, 1 }) {
        try {
            voice->speak("x", flags);
            QFAIL("a machine without speech must report every request");
        } catch (const VoiceError& error) {
            QCOMPARE(error.message(), QStringLiteral("No speech engine available."));
        }
    }
}

// espeak-ng in our process would talk over the screen reader, so there is no fallback: one line says why.
void TestVoiceFactory::besideAScreenReaderWithoutTheServiceItSaysOnceThatItHasNoVoice()
{
    QTemporaryDir dir;
    qputenv("SPEECHD_ADDRESS", "unix_socket:" + dir.filePath("no-service").toLocal8Bit());
    const std::unique_ptr<Voice> voice = createDefaultVoice(true);
    QString said;
    try {
        voice->speak("T", 17);
    } catch (const VoiceError& error) {
        said = error.message();
    }
    QVERIFY2(said.contains(QStringLiteral("Corvane has no voice of its own")), qPrintable(said));
    for (int flags : { 17, 19, 65 })
        voice->speak("R", flags); // nothing more to say about it, and nothing sounds
}

QTEST_GUILESS_MAIN(TestVoiceFactory)
#include "TestVoiceFactory.moc"
