#include "speech/tools/WarningTone.h"

#include <QTest>
#include <algorithm>
#include <cstdlib>

// The generated time-out sound: a valid 16-bit mono wave file holding two clean beeps.
class TestWarningTone : public QObject
{
    Q_OBJECT

private slots:
    void fileHeaderDescribesSixteenBitMonoPcm_data();
    void fileHeaderDescribesSixteenBitMonoPcm();
    void soundIsTwoBeepsWithSilenceBetween();
    void beepsStartAndEndWithoutAClick();
};

namespace {

quint32 littleEndian(const std::vector<std::uint8_t>& bytes, int offset, int size)
{
    quint32 value = 0;
    for (int i = size - 1; i >= 0; --i)
        value = (value << 8) | bytes[static_cast<std::size_t>(offset + i)];
    return value;
}

bool loud(std::int16_t sample)
{
    return std::abs(sample) > 1000;
}

} // namespace

void TestWarningTone::fileHeaderDescribesSixteenBitMonoPcm_data()
{
    const std::vector<std::int16_t> samples = WarningTone::samples();
    const auto dataBytes = static_cast<quint32>(2 * samples.size());
    QTest::addColumn<int>("offset");
    QTest::addColumn<int>("size");
    QTest::addColumn<quint32>("value");
    QTest::newRow("RIFF size") << 4 << 4 << 36 + dataBytes;
    QTest::newRow("format is PCM") << 20 << 2 << quint32(1);
    QTest::newRow("one channel") << 22 << 2 << quint32(1);
    QTest::newRow("22050 Hz") << 24 << 4 << quint32(22050);
    QTest::newRow("byte rate") << 28 << 4 << quint32(44100);
    QTest::newRow("block align") << 32 << 2 << quint32(2);
    QTest::newRow("16 bits") << 34 << 2 << quint32(16);
    QTest::newRow("data size") << 40 << 4 << dataBytes;
}

void TestWarningTone::fileHeaderDescribesSixteenBitMonoPcm()
{
    QFETCH(int, offset);
    QFETCH(int, size);
    QFETCH(quint32, value);
    const std::vector<std::uint8_t> wav = WarningTone::wavFile(WarningTone::samples(), WarningTone::sampleRate);
    QCOMPARE(std::string(wav.begin(), wav.begin() + 4), std::string("RIFF"));
    QCOMPARE(std::string(wav.begin() + 8, wav.begin() + 16), std::string("WAVEfmt "));
    QCOMPARE(std::string(wav.begin() + 36, wav.begin() + 40), std::string("data"));
    QCOMPARE(littleEndian(wav, offset, size), value);
    QCOMPARE(wav.size(), std::size_t(44 + littleEndian(wav, 40, 4)));
}

void TestWarningTone::soundIsTwoBeepsWithSilenceBetween()
{
    const std::vector<std::int16_t> samples = WarningTone::samples();
    const double seconds = double(samples.size()) / WarningTone::sampleRate;
    QVERIFY(qAbs(seconds - 0.4) < 0.01);
    int bursts = 0;
    bool inBurst = false;
    int quietRun = 0;
    for (std::int16_t sample : samples) {
        quietRun = loud(sample) ? 0 : quietRun + 1;
        if (loud(sample) && !inBurst) {
            ++bursts;
            inBurst = true;
        }
        if (quietRun > WarningTone::sampleRate / 100) // 10 ms of quiet ends a beep
            inBurst = false;
    }
    QCOMPARE(bursts, 2);
}

void TestWarningTone::beepsStartAndEndWithoutAClick()
{
    const std::vector<std::int16_t> samples = WarningTone::samples();
    QCOMPARE(samples.front(), std::int16_t(0));
    QVERIFY(std::abs(samples.back()) < 200);
    const auto [low, high] = std::minmax_element(samples.begin(), samples.end());
    QVERIFY(*high < 32767 && *low > -32767);
}

QTEST_GUILESS_MAIN(TestWarningTone)
#include "TestWarningTone.moc"
