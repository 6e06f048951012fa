#include "platform/Platform.h"
#include "platform/SoundPlayer.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

// The sound hook that acceptance tests read instead of listening, and the desktop's use of it. The
// desktop player is created but never sounded.
class TestSoundPlayer : public QObject
{
    Q_OBJECT

private slots:
    void cleanup();
    void init();
    void logNamesEverySoundInOrder();
    void missingWaveFileIsLoggedAsTheBeepThatReplacesIt();
    void unwritableLogDoesNotStopTheCaller();
    void environmentChoosesTheLog();
    void desktopPlatformSoundsThroughTheChosenPlayer();

private:
    QString readLog() const;
    QString makeWave(const QString& name) const;

    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_log;
};

void TestSoundPlayer::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    m_log = m_dir->filePath("sounds.log");
}

void TestSoundPlayer::cleanup()
{
    qunsetenv("CORVANE_SOUND_LOG");
    m_dir.reset();
}

QString TestSoundPlayer::readLog() const
{
    QFile file(m_log);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(file.readAll());
}

QString TestSoundPlayer::makeWave(const QString& name) const
{
    const QString path = m_dir->filePath(name);
    QFile file(path);
    if (file.open(QIODevice::WriteOnly))
        file.write("RIFF");
    return path;
}

void TestSoundPlayer::logNamesEverySoundInOrder()
{
    const QString wave = makeWave("timeout.wav");
    SoundLog log(m_log);
    log.playSound(wave);
    log.beep();
    log.playSound(wave);
    QCOMPARE(readLog(), QStringLiteral("timeout.wav\nbeep\ntimeout.wav\n"));

    // Each line is on disk at once: emptying the file between sounds starts it afresh.
    QVERIFY(QFile::remove(m_log));
    log.beep();
    QCOMPARE(readLog(), QStringLiteral("beep\n"));
}

void TestSoundPlayer::missingWaveFileIsLoggedAsTheBeepThatReplacesIt()
{
    SoundLog log(m_log);
    log.playSound(m_dir->filePath("timeout.wav"));
    QCOMPARE(readLog(), QStringLiteral("beep\n"));
}

void TestSoundPlayer::unwritableLogDoesNotStopTheCaller()
{
    SoundLog log(m_dir->filePath("missing-folder/sounds.log"));
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression("cannot write the sound log"));
    log.beep();
}

void TestSoundPlayer::environmentChoosesTheLog()
{
    qputenv("CORVANE_SOUND_LOG", m_log.toLocal8Bit());
    QVERIFY(dynamic_cast<SoundLog*>(createSoundPlayer().get()));
    qunsetenv("CORVANE_SOUND_LOG");
    QVERIFY(dynamic_cast<DesktopSoundPlayer*>(createSoundPlayer().get()));
}

void TestSoundPlayer::desktopPlatformSoundsThroughTheChosenPlayer()
{
    // The window's beeps and wave files reach the hook without the window knowing of it.
    qputenv("CORVANE_SOUND_LOG", m_log.toLocal8Bit());
    DesktopPlatform platform;
    platform.beep();
    platform.playSound(makeWave("timeout.wav"));
    QCOMPARE(readLog(), QStringLiteral("beep\ntimeout.wav\n"));
}

QTEST_GUILESS_MAIN(TestSoundPlayer)
#include "TestSoundPlayer.moc"
