#include "NodeAudio.h"

#include "WavFile.h"

#include <AsyncAudioIO.h>
#include <AsyncAudioPacer.h>
#include <AsyncAudioRecorder.h>
#include <AsyncAudioSelector.h>
#include <AsyncAudioSplitter.h>
#include <QFile>

namespace {

constexpr int BlockSamples = 160; // 20 ms, one GSM frame

bool isFile(const QString& device)
{
    return device.startsWith(QLatin1String("file:"));
}

QString filePath(const QString& device)
{
    return device.mid(5);
}

// Plays a WAV file from its start each time the node keys, once, as fast as the pacer behind it takes it.
class WavSource : public Async::AudioSource
{
public:
    explicit WavSource(std::vector<float> samples)
        : samples_(std::move(samples))
    {
    }

    void play()
    {
        position_ = 0;
        playing_ = true;
        pump();
    }

    void halt()
    {
        if (!playing_)
            return;
        playing_ = false;
        sinkFlushSamples();
    }

    void resumeOutput() override { pump(); }

protected:
    void allSamplesFlushed() override { }

private:
    void pump()
    {
        while (playing_ && position_ < samples_.size()) {
            const int count = static_cast<int>(std::min<std::size_t>(BlockSamples, samples_.size() - position_));
            const int taken = sinkWriteSamples(samples_.data() + position_, count);
            if (taken <= 0)
                return; // the pacer calls resumeOutput when it wants more
            position_ += static_cast<std::size_t>(taken);
        }
        halt();
    }

    std::vector<float> samples_;
    std::size_t position_ = 0;
    bool playing_ = false;
};

// The QSO sends whatever it is given at once; the pacer gives it the file in real time.
class FileMicrophone : public Microphone
{
public:
    explicit FileMicrophone(std::vector<float> samples)
        : wav_(std::move(samples))
        , pacer_(WavFile::SampleRate, BlockSamples, 0)
    {
        wav_.registerSink(&pacer_);
    }
    ~FileMicrophone() override { wav_.unregisterSink(); }

    Async::AudioSource* source() override { return &pacer_; }
    bool start(QString*) override
    {
        wav_.play();
        return true;
    }
    void stop() override { wav_.halt(); }

private:
    WavSource wav_;
    Async::AudioPacer pacer_;
};

class SoundCardMicrophone : public Microphone
{
public:
    explicit SoundCardMicrophone(const QString& device)
        : device_(device)
        , io_(device.toStdString(), 0)
    {
    }

    Async::AudioSource* source() override { return &io_; }
    bool start(QString* error) override
    {
        if (io_.open(Async::AudioIO::MODE_RD))
            return true;
        *error = QStringLiteral("No sound device for the microphone: %1 cannot be opened").arg(device_);
        return false;
    }
    void stop() override { io_.close(); }

private:
    QString device_;
    Async::AudioIO io_;
};

class FileSpeaker : public Speaker
{
public:
    explicit FileSpeaker(const QString& path)
        : recorder_(QFile::encodeName(path).toStdString(), Async::AudioRecorder::FMT_WAV, WavFile::SampleRate)
    {
    }
    bool open(QString* error)
    {
        if (recorder_.initialize())
            return true;
        *error
            = QStringLiteral("Cannot write the received audio: %1").arg(QString::fromStdString(recorder_.errorMsg()));
        return false;
    }
    Async::AudioSink* sink() override { return &recorder_; }
    void close() override { recorder_.closeFile(); }

private:
    Async::AudioRecorder recorder_;
};

class SoundCardSpeaker : public Speaker
{
public:
    explicit SoundCardSpeaker(const QString& device)
        : device_(device)
        , io_(device.toStdString(), 0)
    {
    }
    bool open(QString* error)
    {
        if (io_.open(Async::AudioIO::MODE_WR))
            return true;
        *error = QStringLiteral("No sound device for the received audio: %1 cannot be opened").arg(device_);
        return false;
    }
    Async::AudioSink* sink() override { return &io_; }
    void close() override { io_.close(); }

private:
    QString device_;
    Async::AudioIO io_;
};

// A sink that takes everything, for a node whose sound device is missing: the QSOs still work.
class NoSpeaker : public Speaker, public Async::AudioSink
{
public:
    Async::AudioSink* sink() override { return this; }
    void close() override { }
    int writeSamples(const float*, int count) override { return count; }
    void flushSamples() override { sourceAllSamplesFlushed(); }
};

void prepareSoundCards()
{
    static bool prepared = false;
    if (prepared)
        return;
    Async::AudioIO::setSampleRate(WavFile::SampleRate);
    Async::AudioIO::setChannels(1);
    prepared = true;
}

} // namespace

std::unique_ptr<Microphone> Microphone::create(const QString& device, QString* error)
{
    if (isFile(device)) {
        auto samples = WavFile::read(filePath(device), error);
        if (!samples) {
            *error = QStringLiteral("The microphone file cannot be used: %1").arg(*error);
            return nullptr;
        }
        return std::make_unique<FileMicrophone>(std::move(*samples));
    }
    prepareSoundCards();
    return std::make_unique<SoundCardMicrophone>(device);
}

std::unique_ptr<Speaker> Speaker::create(const QString& device, QString* error)
{
    if (isFile(device)) {
        auto speaker = std::make_unique<FileSpeaker>(filePath(device));
        if (speaker->open(error))
            return speaker;
        return std::make_unique<NoSpeaker>();
    }
    prepareSoundCards();
    auto speaker = std::make_unique<SoundCardSpeaker>(device);
    if (speaker->open(error))
        return speaker;
    return std::make_unique<NoSpeaker>();
}

AudioPaths::AudioPaths(std::unique_ptr<Microphone> microphone, std::unique_ptr<Speaker> speaker)
    : microphone_(std::move(microphone))
    , speaker_(std::move(speaker))
    , splitter_(std::make_unique<Async::AudioSplitter>())
    , selector_(std::make_unique<Async::AudioSelector>())
{
    if (microphone_)
        microphone_->source()->registerSink(splitter_.get());
    selector_->registerSink(speaker_->sink());
}

AudioPaths::~AudioPaths()
{
    close();
}

void AudioPaths::add(Async::AudioSink* transmit, Async::AudioSource* receive)
{
    splitter_->addSink(transmit);
    selector_->addSource(receive);
    selector_->enableAutoSelect(receive, 0);
}

void AudioPaths::remove(Async::AudioSink* transmit, Async::AudioSource* receive)
{
    splitter_->removeSink(transmit);
    selector_->removeSource(receive);
}

bool AudioPaths::startTransmit(QString* error)
{
    if (!microphone_) {
        *error = QStringLiteral("No microphone is set up");
        return false;
    }
    return microphone_->start(error);
}

void AudioPaths::stopTransmit()
{
    if (microphone_)
        microphone_->stop();
}

void AudioPaths::close()
{
    if (!speaker_)
        return;
    stopTransmit();
    if (microphone_)
        microphone_->source()->unregisterSink();
    selector_->unregisterSink();
    speaker_->close();
    microphone_.reset();
    speaker_.reset();
}
