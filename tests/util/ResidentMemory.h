#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>

// The resident memory of a process in KiB, from its /proc status (this process by default); -1 when it
// cannot be read.
inline qint64 residentKiB(const QString& statusFile = QStringLiteral("/proc/self/status"))
{
    QFile status(statusFile);
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').value(0).toLongLong();
    }
    return -1;
}
