#pragma once

#include "platform/SoundPlayer.h"

#include <QString>
#include <memory>

// The desktop facilities the window needs from the operating system, behind one seam so tests can
// replace them: no real process is started, no sound played and no browser opened by a test.
class Platform
{
public:
    virtual ~Platform() = default;

    virtual bool processExists(const QString& exeFileName) = 0;
    // Starts a program the way a shell "open" does; the outcome is not reported.
    virtual void startProgram(const QString& path) = 0;
    // The user's own documents folder, not created.
    virtual QString documentsFolder() = 0;
    // PROGRAMFILES when set, else the programfiles folder beside the built program, else the installed
    // program's own library folder (see programFilesFolderFor).
    virtual QString programFilesFolder() = 0;
    virtual void beep() = 0;
    virtual void openUrl(const QString& url) = 0;
    // Plays a wave file without waiting; a missing or unplayable file gives the default beep.
    virtual void playSound(const QString& wavPath) = 0;
};

class DesktopPlatform : public Platform
{
public:
    // Sounds go to the player the environment chooses (the sound log hook, or the desktop).
    explicit DesktopPlatform(std::unique_ptr<SoundPlayer> sound = createSoundPlayer());
    ~DesktopPlatform() override;

    bool processExists(const QString& exeFileName) override;
    void startProgram(const QString& path) override;
    QString documentsFolder() override;
    QString programFilesFolder() override;
    void beep() override;
    void openUrl(const QString& url) override;
    void playSound(const QString& wavPath) override;

private:
    std::unique_ptr<SoundPlayer> m_sound;
};

// Where EchoLink's program folder (<folder>/Halvorn/EchoLink) is: PROGRAMFILES when set; else the build
// tree's programfiles folder beside the program's bin folder; else, for an installed program in <prefix>/bin,
// <prefix>/lib/corvane. When neither folder exists, the build tree's, so that messages name a real place.
QString programFilesFolderFor(const QString& fromEnvironment, const QString& programFolder);

// The path of a shell folder by its old numeric name; only the documents folder (5) is known here.
QString GetSpecialFolderPath(int folder, bool canCreate);
