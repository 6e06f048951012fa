#pragma once

#include <QObject>
#include <QString>
#include <functional>
#include <memory>

// The node's two sound ends at 8 kHz, 16-bit mono: the microphone, which feeds every QSO while Corvane
// transmits, and the output, which plays the talking station. Each is a device Qt Multimedia lists
// ("default" and "alsa:default" both mean the desktop's default) or, for tests, a WAV file
// (file:<path.wav>): the microphone file is played from its start each time the node keys, paced in real
// time; the output file records everything received and gets its final header when closed.
class AudioInput : public QObject
{
public:
    static constexpr int BlockSamples = 160; // 20 ms

    // Whole blocks of BlockSamples samples.
    std::function<void(const qint16* samples)> block;

    virtual bool start(QString* error) = 0;
    virtual void stop() = 0;

    static std::unique_ptr<AudioInput> create(const QString& device, QString* error);
};

class AudioOutput : public QObject
{
public:
    virtual void write(const qint16* samples, int count) = 0;
    virtual void close() = 0;

    // Never fails: without a usable device the audio is dropped and the reason given.
    static std::unique_ptr<AudioOutput> create(const QString& device, QString* error);
};
