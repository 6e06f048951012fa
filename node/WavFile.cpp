#include "WavFile.h"

#include <QFile>
#include <QtEndian>

namespace WavFile {

namespace {

struct Format
{
    int channels = 0;
    int rate = 0;
    int bits = 0;
    int encoding = 0;
};

quint32 u32(const QByteArray& bytes, qsizetype at)
{
    return qFromLittleEndian<quint32>(bytes.constData() + at);
}

quint16 u16(const QByteArray& bytes, qsizetype at)
{
    return qFromLittleEndian<quint16>(bytes.constData() + at);
}

std::optional<QString> formatProblem(const Format& format)
{
    if (format.encoding != 1 || format.bits != 16)
        return QStringLiteral("not 16-bit PCM");
    if (format.channels != 1 && format.channels != 2)
        return QStringLiteral("%1 channels (mono or stereo wanted)").arg(format.channels);
    if (format.rate != SampleRate)
        return QStringLiteral("%1 Hz (%2 Hz wanted)").arg(format.rate).arg(SampleRate);
    return std::nullopt;
}

std::vector<float> samplesOf(const QByteArray& bytes, qsizetype start, qsizetype length, int channels)
{
    const qsizetype frameBytes = 2 * channels;
    const qsizetype frames = qMin(length / frameBytes, MaxSamples);
    std::vector<float> samples;
    samples.reserve(static_cast<std::size_t>(frames));
    for (qsizetype i = 0; i < frames; ++i) {
        float sum = 0;
        for (int c = 0; c < channels; ++c)
            sum += static_cast<qint16>(u16(bytes, start + i * frameBytes + 2 * c)) / 32768.0f;
        samples.push_back(sum / static_cast<float>(channels));
    }
    return samples;
}

void setError(QString* error, const QString& text)
{
    if (error)
        *error = text;
}

} // namespace

std::optional<std::vector<float>> parse(const QByteArray& bytes, QString* error)
{
    if (bytes.size() < 12 || !bytes.startsWith("RIFF") || bytes.mid(8, 4) != "WAVE") {
        setError(error, QStringLiteral("not a WAV file"));
        return std::nullopt;
    }
    std::optional<Format> format;
    for (qsizetype at = 12; at + 8 <= bytes.size();) {
        const QByteArray id = bytes.mid(at, 4);
        const qsizetype size = u32(bytes, at + 4);
        const qsizetype body = at + 8;
        if (id == "fmt " && size >= 16 && body + 16 <= bytes.size()) {
            format = Format { u16(bytes, body + 2), static_cast<int>(u32(bytes, body + 4)), u16(bytes, body + 14),
                              u16(bytes, body) };
        } else if (id == "data") {
            if (!format) {
                setError(error, QStringLiteral("WAV data before its format"));
                return std::nullopt;
            }
            if (const auto problem = formatProblem(*format)) {
                setError(error, *problem);
                return std::nullopt;
            }
            const qsizetype available = bytes.size() - body;
            const qsizetype length = (size == 0 || size > available) ? available : size;
            return samplesOf(bytes, body, length, format->channels);
        }
        if (size > bytes.size() - body)
            break;
        at = body + size + (size & 1);
    }
    setError(error, QStringLiteral("no audio data in the WAV file"));
    return std::nullopt;
}

std::optional<std::vector<float>> read(const QString& path, QString* error)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        setError(error, QStringLiteral("cannot read %1: %2").arg(path, file.errorString()));
        return std::nullopt;
    }
    return parse(file.read(64 + MaxSamples * 4), error);
}

} // namespace WavFile
