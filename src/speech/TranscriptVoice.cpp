#include "speech/TranscriptVoice.h"

#include <QFile>

TranscriptVoice::TranscriptVoice(QString path)
    : m_path(std::move(path))
{
}

QString TranscriptVoice::line(const QString& text, int flags)
{
    QString escaped;
    escaped.reserve(text.size());
    for (QChar c : text) {
        if (c == u'\\')
            escaped += QStringLiteral("\\\\");
        else if (c == u'\r')
            escaped += QStringLiteral("\\r");
        else if (c == u'\n')
            escaped += QStringLiteral("\\n");
        else if (c == u'\t')
            escaped += QStringLiteral("\\t");
        else
            escaped += c;
    }
    return QString::number(flags) + u'\t' + escaped + u'\n';
}

void TranscriptVoice::speak(const QString& text, int flags)
{
    std::lock_guard lock(m_mutex);
    QFile file(m_path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append))
        throw VoiceError(QStringLiteral("Cannot write the speech transcript %1: %2.").arg(m_path, file.errorString()));
    const QByteArray bytes = line(text, flags).toUtf8();
    if (file.write(bytes) != bytes.size() || !file.flush())
        throw VoiceError(QStringLiteral("Cannot write the speech transcript %1: %2.").arg(m_path, file.errorString()));
}
