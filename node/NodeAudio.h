#pragma once

#include <QString>
#include <memory>
#include <vector>

namespace Async {
class AudioSink;
class AudioSource;
class AudioSplitter;
class AudioSelector;
} // namespace Async

// The microphone feeds every QSO while the node transmits; what the QSOs receive goes to one output.
// Both ends are a sound card (alsa:<device>) or, for tests, a WAV file (file:<path.wav>).
class Microphone
{
public:
    virtual ~Microphone() = default;
    // The source the QSOs are fed from.
    virtual Async::AudioSource* source() = 0;
    // Starts the sound on keying; false with the reason when it cannot.
    virtual bool start(QString* error) = 0;
    virtual void stop() = 0;

    static std::unique_ptr<Microphone> create(const QString& device, QString* error);
};

class Speaker
{
public:
    virtual ~Speaker() = default;
    virtual Async::AudioSink* sink() = 0;
    // Writes out what is buffered (a WAV file gets its final header).
    virtual void close() = 0;

    static std::unique_ptr<Speaker> create(const QString& device, QString* error);
};

// The chains between the two ends and the QSOs, which come and go.
class AudioPaths
{
public:
    AudioPaths(std::unique_ptr<Microphone> microphone, std::unique_ptr<Speaker> speaker);
    ~AudioPaths();

    // A QSO is both: it takes the microphone and gives what it receives.
    void add(Async::AudioSink* transmit, Async::AudioSource* receive);
    // Torn down from the source end before the QSO goes.
    void remove(Async::AudioSink* transmit, Async::AudioSource* receive);
    bool startTransmit(QString* error);
    void stopTransmit();
    void close();

private:
    std::unique_ptr<Microphone> microphone_;
    std::unique_ptr<Speaker> speaker_;
    std::unique_ptr<Async::AudioSplitter> splitter_;
    std::unique_ptr<Async::AudioSelector> selector_;
};
