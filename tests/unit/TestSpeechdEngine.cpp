#include "speech/SpeechdEngine.h"
#include "speech/Voice.h"

#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTest>

using namespace std::chrono_literals;

// speech-dispatcher without a service: the address points at an empty folder and autospawning runs a
// program that fails, so nothing here can ever sound or start a real service.
class TestSpeechdEngine : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QVERIFY(m_folder.isValid());
        qputenv("SPEECHD_ADDRESS", ("unix_socket:" + m_folder.filePath("speechd.sock")).toLocal8Bit());
        qputenv("SPEECHD_CMD", "/bin/false");
    }

    void volumeZeroIsSilentYetCompletes_data()
    {
        QTest::addColumn<int>("volume");
        QTest::addColumn<bool>("reachesTheService");
        QTest::newRow("volume 0") << 0 << false;
        QTest::newRow("volume 1, the quietest that sounds") << 1 << true;
        QTest::newRow("the user's own volume") << -1 << true;
    }
    // The service's lowest volume is audible, so volume 0 must not reach it; the request still completes,
    // a blocking one included, and at once.
    void volumeZeroIsSilentYetCompletes()
    {
        QFETCH(int, volume);
        QFETCH(bool, reachesTheService);
        SpeechdEngine engine(500ms);
        SpeechRequest request;
        request.text = QStringLiteral("90Percent");
        if (volume >= 0)
            request.volume = volume;
        request.async = false;
        const SpeechEngine::CutOff cutOff { false };
        QElapsedTimer clock;
        clock.start();
        bool reached = false;
        try {
            engine.speak(request, cutOff);
            engine.waitUntilSpoken(std::chrono::steady_clock::now() + 10s, cutOff);
        } catch (const VoiceError&) {
            reached = true; // it tried to hand the text to the (missing) service
        }
        QCOMPARE(reached, reachesTheService);
        if (!reachesTheService)
            QVERIFY(clock.elapsed() < 1000);
    }

private:
    QTemporaryDir m_folder;
};

QTEST_GUILESS_MAIN(TestSpeechdEngine)
#include "TestSpeechdEngine.moc"
