#include "platform/Processes.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace {

// The program file of a process, at most 260 characters as the process snapshot gives it. /proc/<pid>/exe
// is unreadable for other users' processes; the command name in /proc/<pid>/comm is the fallback.
QString programFileOf(const QString& processDir)
{
    QString file = QFileInfo(processDir + QStringLiteral("/exe")).symLinkTarget();
    if (file.isEmpty()) {
        QFile comm(processDir + QStringLiteral("/comm"));
        if (comm.open(QIODevice::ReadOnly))
            file = QString::fromLocal8Bit(comm.readAll()).trimmed();
    }
    return file.left(260);
}

bool isProcessId(const QString& name)
{
    if (name.isEmpty())
        return false;
    for (QChar c : name) {
        if (!c.isDigit())
            return false;
    }
    return true;
}

} // namespace

QString asciiUpper(const QString& text)
{
    QString result = text;
    for (QChar& c : result) {
        if (c >= QLatin1Char('a') && c <= QLatin1Char('z'))
            c = QChar(c.unicode() - ('a' - 'A'));
    }
    return result;
}

bool processExists(const QString& exeFileName, const QString& procRoot)
{
    const QString wanted = asciiUpper(exeFileName);
    bool found = false;
    const QStringList entries = QDir(procRoot).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    for (const QString& entry : entries) {
        if (!isProcessId(entry))
            continue;
        const QString file = asciiUpper(programFileOf(procRoot + QLatin1Char('/') + entry));
        if (file.isEmpty())
            continue;
        const QString namePart = file.mid(file.lastIndexOf(QLatin1Char('/')) + 1);
        if (namePart == wanted || file == wanted)
            found = true;
    }
    return found;
}
