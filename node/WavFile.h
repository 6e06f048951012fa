#pragma once

#include <QByteArray>
#include <QString>
#include <optional>
#include <vector>

// 16-bit PCM WAV files at the node's 8 kHz: the test microphone's input and the received audio's record.
namespace WavFile {

constexpr int SampleRate = 8000;
// Longest microphone file taken: ten minutes.
constexpr qsizetype MaxSamples = 10 * 60 * SampleRate;

// Samples in [-1, 1); stereo is mixed to mono. A data chunk whose length was never filled in (a record
// cut short) runs to the end of the file. nullopt with the reason for anything else.
std::optional<std::vector<float>> parse(const QByteArray& bytes, QString* error);
std::optional<std::vector<float>> read(const QString& path, QString* error);

} // namespace WavFile
