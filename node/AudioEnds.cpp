#include "AudioEnds.h"

#include "WavFile.h"

#include <QAudioDevice>
#include <QAudioFormat>
#include <QAudioSink>
#include <QAudioSource>
#include <QElapsedTimer>
#include <QFile>
#include <QMediaDevices>
#include <QTimer>
#include <QtEndian>
#include <algorithm>
#include <vector>

namespace {

bool isFile(const QString& device)
{
    return device.startsWith(QLatin1String("file:"));
}

QAudioFormat nodeFormat()
{
    QAudioFormat format;
    format.setSampleRate(WavFile::SampleRate);
    format.setChannelCount(1);
    format.setSampleFormat(QAudioFormat::Int16);
    return format;
}

bool isDefault(const QString& device)
{
    return device.isEmpty() || device == QLatin1String("default") || device == QLatin1String("alsa:default");
}

// A device by the name Qt gives it (its description or id), "alsa:" before it or not.
QAudioDevice findDevice(const QString& wanted, bool input)
{
    if (isDefault(wanted))
        return input ? QMediaDevices::defaultAudioInput() : QMediaDevices::defaultAudioOutput();
    QString name = wanted;
    if (name.startsWith(QLatin1String("alsa:")))
        name = name.mid(5);
    const QList<QAudioDevice> devices = input ? QMediaDevices::audioInputs() : QMediaDevices::audioOutputs();
    for (const QAudioDevice& device : devices) {
        if (device.description() == name || QString::fromUtf8(device.id()) == name)
            return device;
    }
    return {};
}

class FileInput : public AudioInput
{
public:
    explicit FileInput(const std::vector<float>& samples)
    {
        samples_.reserve(samples.size());
        for (const float s : samples)
            samples_.push_back(static_cast<qint16>(std::clamp(s, -1.0f, 1.0f) * 32767.0f));
        timer_.setTimerType(Qt::PreciseTimer);
        timer_.setInterval(10);
        connect(&timer_, &QTimer::timeout, this, [this] { pump(); });
    }

    bool start(QString*) override
    {
        position_ = 0;
        clock_.start();
        timer_.start();
        pump();
        return true;
    }
    void stop() override { timer_.stop(); }

private:
    // Hands over every block due by now: the file keeps real time whatever the timer's jitter.
    void pump()
    {
        const auto due = static_cast<std::size_t>(clock_.elapsed() * WavFile::SampleRate / 1000 + BlockSamples);
        while (position_ + BlockSamples <= samples_.size() && position_ + BlockSamples <= due) {
            const std::size_t at = position_;
            position_ += BlockSamples;
            if (block)
                block(samples_.data() + at);
        }
        if (position_ + BlockSamples > samples_.size())
            timer_.stop();
    }

    std::vector<qint16> samples_;
    std::size_t position_ = 0;
    QElapsedTimer clock_;
    QTimer timer_;
};

class DeviceInput : public AudioInput
{
public:
    explicit DeviceInput(QString name)
        : name_(std::move(name))
    {
    }

    bool start(QString* error) override
    {
        const QAudioDevice device = findDevice(name_, true);
        if (device.isNull()) {
            *error = QStringLiteral("No sound device for the microphone: %1 cannot be opened").arg(name_);
            return false;
        }
        source_ = std::make_unique<QAudioSource>(device, nodeFormat());
        io_ = source_->start();
        if (!io_) {
            source_.reset();
            *error = QStringLiteral("No sound device for the microphone: %1 cannot be opened").arg(name_);
            return false;
        }
        connect(io_, &QIODevice::readyRead, this, [this] { take(); });
        return true;
    }

    void stop() override
    {
        if (source_)
            source_->stop();
        source_.reset();
        io_ = nullptr;
        pending_.clear();
    }

private:
    void take()
    {
        pending_ += io_->readAll();
        constexpr qsizetype blockBytes = BlockSamples * 2;
        qsizetype at = 0;
        qint16 samples[BlockSamples];
        for (; at + blockBytes <= pending_.size(); at += blockBytes) {
            for (int i = 0; i < BlockSamples; ++i)
                samples[i] = qFromLittleEndian<qint16>(pending_.constData() + at + 2 * i);
            if (block)
                block(samples);
        }
        pending_.remove(0, at);
    }

    QString name_;
    std::unique_ptr<QAudioSource> source_;
    QIODevice* io_ = nullptr;
    QByteArray pending_;
};

class FileOutput : public AudioOutput
{
public:
    explicit FileOutput(const QString& path)
        : file_(path)
    {
    }

    bool open(QString* error)
    {
        // Unbuffered: a packet's samples are in the file as soon as they are decoded (12.5 writes a second).
        if (!file_.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Unbuffered)) {
            *error = QStringLiteral("Cannot write the received audio: %1").arg(file_.errorString());
            return false;
        }
        file_.write(header(0));
        return true;
    }

    void write(const qint16* samples, int count) override
    {
        if (!file_.isOpen())
            return;
        // Bounded like the microphone's files: a record never grows past ten minutes.
        count = static_cast<int>(std::min<qint64>(count, WavFile::MaxSamples - written_));
        if (count <= 0)
            return;
        QByteArray bytes(count * 2, '\0');
        for (int i = 0; i < count; ++i)
            qToLittleEndian<qint16>(samples[i], bytes.data() + 2 * i);
        file_.write(bytes);
        written_ += count;
    }

    void close() override
    {
        if (!file_.isOpen())
            return;
        file_.seek(0);
        file_.write(header(static_cast<quint32>(written_ * 2)));
        file_.close();
    }

private:
    static QByteArray header(quint32 dataBytes)
    {
        QByteArray h(44, '\0');
        char* p = h.data();
        std::copy_n("RIFF", 4, p);
        qToLittleEndian<quint32>(36 + dataBytes, p + 4);
        std::copy_n("WAVEfmt ", 8, p + 8);
        qToLittleEndian<quint32>(16, p + 16);
        qToLittleEndian<quint16>(1, p + 20);
        qToLittleEndian<quint16>(1, p + 22);
        qToLittleEndian<quint32>(WavFile::SampleRate, p + 24);
        qToLittleEndian<quint32>(WavFile::SampleRate * 2, p + 28);
        qToLittleEndian<quint16>(2, p + 32);
        qToLittleEndian<quint16>(16, p + 34);
        std::copy_n("data", 4, p + 36);
        qToLittleEndian<quint32>(dataBytes, p + 40);
        return h;
    }

    QFile file_;
    qint64 written_ = 0;
};

class DeviceOutput : public AudioOutput
{
public:
    bool open(const QString& name, QString* error)
    {
        const QAudioDevice device = findDevice(name, false);
        if (!device.isNull()) {
            sink_ = std::make_unique<QAudioSink>(device, nodeFormat());
            // A quarter second of room: what arrives faster than it plays is dropped, not queued.
            sink_->setBufferSize(WavFile::SampleRate / 2);
            io_ = sink_->start();
        }
        if (io_)
            return true;
        sink_.reset();
        *error = QStringLiteral("No sound device for the received audio: %1 cannot be opened").arg(name);
        return false;
    }

    void write(const qint16* samples, int count) override
    {
        if (!io_)
            return;
        const qsizetype room = sink_->bytesFree();
        QByteArray bytes(qMin<qsizetype>(count * 2, room & ~qsizetype(1)), '\0');
        for (qsizetype i = 0; i < bytes.size() / 2; ++i)
            qToLittleEndian<qint16>(samples[i], bytes.data() + 2 * i);
        io_->write(bytes);
    }

    void close() override
    {
        if (sink_)
            sink_->stop();
        io_ = nullptr;
    }

private:
    std::unique_ptr<QAudioSink> sink_;
    QIODevice* io_ = nullptr;
};

// Takes everything, for a node whose output cannot be opened: the QSOs still work.
class NoOutput : public AudioOutput
{
public:
    void write(const qint16*, int) override { }
    void close() override { }
};

} // namespace

std::unique_ptr<AudioInput> AudioInput::create(const QString& device, QString* error)
{
    if (isFile(device)) {
        auto samples = WavFile::read(device.mid(5), error);
        if (!samples) {
            *error = QStringLiteral("The microphone file cannot be used: %1").arg(*error);
            return nullptr;
        }
        return std::make_unique<FileInput>(*samples);
    }
    return std::make_unique<DeviceInput>(device);
}

std::unique_ptr<AudioOutput> AudioOutput::create(const QString& device, QString* error)
{
    if (isFile(device)) {
        auto output = std::make_unique<FileOutput>(device.mid(5));
        if (output->open(error))
            return output;
        return std::make_unique<NoOutput>();
    }
    auto output = std::make_unique<DeviceOutput>();
    if (output->open(device, error))
        return output;
    return std::make_unique<NoOutput>();
}
