#pragma once

#include <cstdint>
#include <vector>

// The transmit time-out warning: two short beeps, made by the build rather than shipped as a binary.
namespace WarningTone {

constexpr int sampleRate = 22050;
constexpr int frequencyHz = 880;
constexpr double beepSeconds = 0.15;
constexpr double gapSeconds = 0.1;
constexpr double totalSeconds = 2 * beepSeconds + gapSeconds;

// 16-bit mono samples; each beep fades in and out so it starts and ends without a click.
std::vector<std::int16_t> samples();

// A RIFF/WAVE file holding 16-bit PCM mono samples.
std::vector<std::uint8_t> wavFile(const std::vector<std::int16_t>& samples, int rate);

} // namespace WarningTone
