#pragma once

#include <QString>
#include <memory>

class QSoundEffect;

// The sounds Corvane makes besides speech: the transmit time-out bell and "Play Sound" (both the
// shipped timeout.wav) and the desktop's default beep.
class SoundPlayer
{
public:
    virtual ~SoundPlayer() = default;

    // Plays a wave file without waiting; a missing or unplayable file gives the default beep instead.
    virtual void playSound(const QString& wavPath) = 0;
    virtual void beep() = 0;
};

// Qt Multimedia for wave files, the application's beep for the rest.
class DesktopSoundPlayer : public SoundPlayer
{
public:
    DesktopSoundPlayer();
    ~DesktopSoundPlayer() override;

    void playSound(const QString& wavPath) override;
    void beep() override;

private:
    std::unique_ptr<QSoundEffect> m_effect;
};

// Test hook: instead of sounding, every sound appends one line naming it to a file: the wave file's
// name ("timeout.wav"), or "beep" for the default beep, also when it stands in for a missing file.
// Opened, written and closed for each line, so a test may read or empty the file at any moment.
class SoundLog : public SoundPlayer
{
public:
    explicit SoundLog(QString path);

    void playSound(const QString& wavPath) override;
    void beep() override;

    static inline const QString BeepLine = QStringLiteral("beep");

private:
    void append(const QString& name);

    QString m_path;
};

// The hook when CORVANE_SOUND_LOG names a file, else the desktop player.
std::unique_ptr<SoundPlayer> createSoundPlayer();
