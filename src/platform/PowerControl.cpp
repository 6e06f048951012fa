#include "platform/PowerControl.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QFile>

namespace {

// The answer of logind comes at once; the bound only keeps a hung bus from freezing the window.
constexpr int LogindTimeoutMs = 5000;

} // namespace

PowerAction powerActionForMode(int mode)
{
    if (mode & PowerModes::Reboot)
        return PowerAction::Reboot;
    if (mode & (PowerModes::PowerOff | PowerModes::ShutDown))
        return PowerAction::PowerOff;
    return PowerAction::None;
}

bool LogindPowerControl::powerOff(int mode)
{
    const PowerAction action = powerActionForMode(mode);
    if (action == PowerAction::None)
        return false;
    QDBusMessage call = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.login1"), QStringLiteral("/org/freedesktop/login1"),
        QStringLiteral("org.freedesktop.login1.Manager"),
        action == PowerAction::Reboot ? QStringLiteral("Reboot") : QStringLiteral("PowerOff"));
    // interactive = false: never wait for the operator to authorise the request.
    call << false;
    const QDBusMessage reply = QDBusConnection::systemBus().call(call, QDBus::Block, LogindTimeoutMs);
    return reply.type() == QDBusMessage::ReplyMessage;
}

PowerOffLog::PowerOffLog(QString path)
    : m_path(std::move(path))
{
}

bool PowerOffLog::powerOff(int mode)
{
    QFile file(m_path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append))
        return false;
    const QByteArray line = QByteArray::number(mode) + '\n';
    return file.write(line) == line.size() && file.flush();
}

std::unique_ptr<PowerControl> createPowerControl()
{
    const QString log = qEnvironmentVariable("CORVANE_POWER_OFF_LOG");
    if (!log.isEmpty())
        return std::make_unique<PowerOffLog>(log);
    return std::make_unique<LogindPowerControl>();
}
