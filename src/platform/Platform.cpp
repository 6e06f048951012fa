#include "platform/Platform.h"

#include "platform/Processes.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QUrl>

DesktopPlatform::DesktopPlatform(std::unique_ptr<SoundPlayer> sound)
    : m_sound(std::move(sound))
{
}

DesktopPlatform::~DesktopPlatform() = default;

bool DesktopPlatform::processExists(const QString& exeFileName)
{
    return ::processExists(exeFileName);
}

void DesktopPlatform::startProgram(const QString& path)
{
    // The program's own folder is its working folder, as a shell start would give it.
    QProcess::startDetached(path, {}, QFileInfo(path).absolutePath());
}

QString DesktopPlatform::documentsFolder()
{
    return GetSpecialFolderPath(5, false);
}

QString DesktopPlatform::programFilesFolder()
{
    return programFilesFolderFor(qEnvironmentVariable("PROGRAMFILES"), QCoreApplication::applicationDirPath());
}

void DesktopPlatform::beep()
{
    m_sound->beep();
}

void DesktopPlatform::openUrl(const QString& url)
{
    QUrl target = QUrl::fromUserInput(url);
    if (target.isValid())
        QDesktopServices::openUrl(target);
}

void DesktopPlatform::playSound(const QString& wavPath)
{
    m_sound->playSound(wavPath);
}

QString programFilesFolderFor(const QString& fromEnvironment, const QString& programFolder)
{
    if (!fromEnvironment.isEmpty())
        return fromEnvironment;
    const QString built = QDir::cleanPath(programFolder + QStringLiteral("/../programfiles"));
    if (QFileInfo(built).isDir())
        return built;
    // Installed: /usr/bin/corvane finds its EchoLink in /usr/lib/corvane (wherever the prefix is).
    const QString installed = QDir::cleanPath(programFolder + QStringLiteral("/../lib/corvane"));
    if (QFileInfo(installed).isDir())
        return installed;
    return built;
}

QString GetSpecialFolderPath(int folder, bool canCreate)
{
    if (folder != 5)
        return {};
    const QString path = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (canCreate)
        QDir().mkpath(path);
    return path;
}
