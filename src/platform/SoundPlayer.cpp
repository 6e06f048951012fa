#include "platform/SoundPlayer.h"

#include <QApplication>
#include <QFile>
#include <QFileInfo>
#include <QSoundEffect>
#include <QUrl>

DesktopSoundPlayer::DesktopSoundPlayer() = default;

DesktopSoundPlayer::~DesktopSoundPlayer() = default;

void DesktopSoundPlayer::playSound(const QString& wavPath)
{
    if (!QFileInfo::exists(wavPath)) {
        beep();
        return;
    }
    const QUrl source = QUrl::fromLocalFile(wavPath);
    if (!m_effect) {
        m_effect = std::make_unique<QSoundEffect>();
        // A file that exists but cannot be decoded is found out only while loading.
        QObject::connect(m_effect.get(), &QSoundEffect::statusChanged, m_effect.get(), [effect = m_effect.get()] {
            if (effect->status() == QSoundEffect::Error)
                QApplication::beep();
        });
    }
    if (m_effect->source() == source && m_effect->status() == QSoundEffect::Error) {
        beep();
        return;
    }
    m_effect->setSource(source);
    m_effect->play();
}

void DesktopSoundPlayer::beep()
{
    QApplication::beep();
}

SoundLog::SoundLog(QString path)
    : m_path(std::move(path))
{
}

void SoundLog::playSound(const QString& wavPath)
{
    if (!QFileInfo::exists(wavPath)) {
        beep();
        return;
    }
    append(QFileInfo(wavPath).fileName());
}

void SoundLog::beep()
{
    append(BeepLine);
}

void SoundLog::append(const QString& name)
{
    // A sound never reports failure to its caller; a log that cannot be written is said on stderr.
    QFile file(m_path);
    const QByteArray line = name.toUtf8() + '\n';
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append) || file.write(line) != line.size() || !file.flush())
        qWarning("corvane: cannot write the sound log %s: %s", qPrintable(m_path), qPrintable(file.errorString()));
}

std::unique_ptr<SoundPlayer> createSoundPlayer()
{
    const QString log = qEnvironmentVariable("CORVANE_SOUND_LOG");
    if (!log.isEmpty())
        return std::make_unique<SoundLog>(log);
    return std::make_unique<DesktopSoundPlayer>();
}
