#include "speech/tools/WarningTone.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <string_view>

namespace WarningTone {

namespace {

constexpr double amplitude = 0.5 * 32767;
constexpr double fadeSeconds = 0.005;

void appendBeep(std::vector<std::int16_t>& out)
{
    const int count = static_cast<int>(beepSeconds * sampleRate);
    const double fadeSamples = fadeSeconds * sampleRate;
    for (int i = 0; i < count; ++i) {
        const double envelope = std::min({ 1.0, i / fadeSamples, (count - 1 - i) / fadeSamples });
        const double phase = 2 * std::numbers::pi * frequencyHz * i / sampleRate;
        out.push_back(static_cast<std::int16_t>(std::lround(amplitude * envelope * std::sin(phase))));
    }
}

void appendText(std::vector<std::uint8_t>& out, std::string_view text)
{
    out.insert(out.end(), text.begin(), text.end());
}

void appendLittleEndian(std::vector<std::uint8_t>& out, std::uint32_t value, int bytes)
{
    for (int i = 0; i < bytes; ++i)
        out.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
}

} // namespace

std::vector<std::int16_t> samples()
{
    std::vector<std::int16_t> out;
    appendBeep(out);
    out.insert(out.end(), static_cast<std::size_t>(gapSeconds * sampleRate), 0);
    appendBeep(out);
    return out;
}

std::vector<std::uint8_t> wavFile(const std::vector<std::int16_t>& samples, int rate)
{
    constexpr int channels = 1;
    constexpr int bytesPerSample = 2;
    const auto dataBytes = static_cast<std::uint32_t>(samples.size() * bytesPerSample);
    std::vector<std::uint8_t> out;
    appendText(out, "RIFF");
    appendLittleEndian(out, 36 + dataBytes, 4);
    appendText(out, "WAVEfmt ");
    appendLittleEndian(out, 16, 4); // size of the format chunk
    appendLittleEndian(out, 1, 2); // PCM
    appendLittleEndian(out, channels, 2);
    appendLittleEndian(out, static_cast<std::uint32_t>(rate), 4);
    appendLittleEndian(out, static_cast<std::uint32_t>(rate * channels * bytesPerSample), 4);
    appendLittleEndian(out, channels * bytesPerSample, 2);
    appendLittleEndian(out, 8 * bytesPerSample, 2);
    appendText(out, "data");
    appendLittleEndian(out, dataBytes, 4);
    for (std::int16_t sample : samples)
        appendLittleEndian(out, static_cast<std::uint16_t>(sample), 2);
    return out;
}

} // namespace WarningTone
