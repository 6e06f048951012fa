#pragma once

// The EchoLink stand-in as the end-to-end tests drive it: its program, and its test-hook commands.
#include <QProcess>
#include <QString>

namespace StandIn {

inline QString path()
{
    return qEnvironmentVariable("CORVANE_STANDIN");
}

// Hands one test-hook command to the running stand-in; its answer, or "<timeout>".
inline QString send(const QString& command)
{
    QProcess p;
    p.start(path(), { QStringLiteral("--send"), command });
    if (!p.waitForFinished(10000))
        return QStringLiteral("<timeout>");
    return QString::fromUtf8(p.readAllStandardOutput());
}

} // namespace StandIn
