#include "speech/SoundFiles.h"

#include <QCoreApplication>

namespace SoundFiles {

QString timeoutWavPath()
{
    return QCoreApplication::applicationDirPath() + QStringLiteral("/timeout.wav");
}

} // namespace SoundFiles
