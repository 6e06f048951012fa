#include "platform/Platform.h"

#include "platform/Processes.h"

#include <QApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QSoundEffect>
#include <QStandardPaths>
#include <QUrl>

class DesktopPlatform::SoundPlayer
{
public:
    QSoundEffect effect;
};

DesktopPlatform::DesktopPlatform() = default;

DesktopPlatform::~DesktopPlatform()
{
    delete m_sound;
}

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
    const QString fromEnvironment = qEnvironmentVariable("PROGRAMFILES");
    if (!fromEnvironment.isEmpty())
        return fromEnvironment;
    const QString beside = QCoreApplication::applicationDirPath() + QStringLiteral("/../programfiles");
    return QDir::cleanPath(beside);
}

void DesktopPlatform::beep()
{
    QApplication::beep();
}

void DesktopPlatform::openUrl(const QString& url)
{
    QUrl target = QUrl::fromUserInput(url);
    if (target.isValid())
        QDesktopServices::openUrl(target);
}

void DesktopPlatform::playSound(const QString& wavPath)
{
    if (!QFileInfo::exists(wavPath)) {
        beep();
        return;
    }
    if (!m_sound)
        m_sound = new SoundPlayer;
    m_sound->effect.setSource(QUrl::fromLocalFile(wavPath));
    m_sound->effect.play();
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
