#include "platform/Processes.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <optional>
#include <unistd.h>

namespace {

// The program file of a process. /proc/<pid>/exe is unreadable for some processes; the command name
// in /proc/<pid>/comm is the fallback. A program file replaced while it runs reads "<path> (deleted)".
QString programFileOf(const QString& processDir)
{
    QString file = QFileInfo(processDir + QStringLiteral("/exe")).symLinkTarget();
    if (file.endsWith(QLatin1String(" (deleted)")))
        file.chop(10);
    if (file.isEmpty()) {
        QFile comm(processDir + QStringLiteral("/comm"));
        if (comm.open(QIODevice::ReadOnly))
            file = QString::fromLocal8Bit(comm.readAll()).trimmed();
    }
    return file;
}

struct ProcessStatus
{
    bool alive = false;
    uint uid = 0;
};

// From /proc/<pid>/status: "State:" (Z zombie and X dead are gone in all but name) and "Uid:", whose
// first field is the real user id. A process whose status cannot be read is not counted.
std::optional<ProcessStatus> statusOf(const QString& processDir)
{
    QFile file(processDir + QStringLiteral("/status"));
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    std::optional<char> state;
    std::optional<uint> uid;
    // /proc files report no size, so the text is read in one bounded piece; the fields come early.
    const QList<QByteArray> lines = file.read(16384).split('\n');
    for (const QByteArray& line : lines) {
        const QList<QByteArray> fields = line.simplified().split(' ');
        if (fields.size() < 2)
            continue;
        if (fields.first() == "State:" && !fields.at(1).isEmpty())
            state = fields.at(1).at(0);
        if (fields.first() == "Uid:") {
            bool number = false;
            const uint value = fields.at(1).toUInt(&number);
            if (number)
                uid = value;
        }
    }
    if (!state || !uid)
        return std::nullopt;
    return ProcessStatus { *state != 'Z' && *state != 'X', *uid };
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

bool isOursAndAlive(const QString& processDir, uint uid)
{
    const auto status = statusOf(processDir);
    return status && status->alive && status->uid == uid;
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

bool processExists(const QString& exeFileName)
{
    return processExists(exeFileName, QStringLiteral("/proc"), ::getuid());
}

bool processExists(const QString& exeFileName, const QString& procRoot, uint uid)
{
    const QString wanted = asciiUpper(exeFileName);
    bool found = false;
    const QStringList entries = QDir(procRoot).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    for (const QString& entry : entries) {
        const QString processDir = procRoot + QLatin1Char('/') + entry;
        if (!isProcessId(entry) || !isOursAndAlive(processDir, uid))
            continue;
        const QString file = asciiUpper(programFileOf(processDir));
        if (file.isEmpty())
            continue;
        const QString namePart = file.mid(file.lastIndexOf(QLatin1Char('/')) + 1);
        if (namePart == wanted || file == wanted)
            found = true;
    }
    return found;
}
