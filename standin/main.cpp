// EchoLink.exe: the stand-in that plays EchoLink's automation server where EchoLink itself is not
// installed. It serves the session on the per-user automation socket; `--send` hands one test-hook
// command to the running one, `--demo` plays a scripted session.
#include "DemoScript.h"
#ifdef CORVANE_WITH_NODE
#include "NodeHandoff.h"
#endif
#include "StandInServer.h"
#include "StandInStation.h"
#include "echolink/EchoLinkWire.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QFileInfo>
#include <QJsonObject>
#include <QLocalSocket>
#include <cstdio>
#include <optional>

namespace {

constexpr int SendTimeoutMs = 10000;

void printLine(FILE* stream, const QString& text)
{
    std::fputs(text.toLocal8Bit().constData(), stream);
    std::fputc('\n', stream);
    std::fflush(stream);
}

std::optional<QJsonObject> awaitAnswer(QLocalSocket& socket, qint64 id)
{
    const QDeadlineTimer deadline(SendTimeoutMs);
    QByteArray buffer;
    while (!deadline.hasExpired()) {
        if (!socket.waitForReadyRead(static_cast<int>(deadline.remainingTime())))
            return std::nullopt;
        buffer += socket.readAll();
        for (qsizetype end; (end = buffer.indexOf('\n')) >= 0;) {
            const auto message = EchoLinkWire::decode(buffer.left(end));
            buffer.remove(0, end + 1);
            if (message && message->value(QLatin1String("id")).toInteger() == id)
                return message;
        }
    }
    return std::nullopt;
}

// What keeps --send from reaching a stand-in, said so that the reader knows what to do about it.
QString connectionProblem(const QLocalSocket& socket, const QString& path)
{
    const QString seconds = QString::number(SendTimeoutMs / 1000);
    switch (socket.error()) {
    case QLocalSocket::ServerNotFoundError:
        return QStringLiteral("No EchoLink stand-in is running: there is no socket at %1").arg(path);
    case QLocalSocket::ConnectionRefusedError:
        return QStringLiteral("No EchoLink stand-in is running: the socket %1 refuses connections (it was left "
                              "behind by one that ended)")
            .arg(path);
    case QLocalSocket::SocketAccessError:
        return QStringLiteral("No permission to use the EchoLink stand-in's socket %1: %2")
            .arg(path, socket.errorString());
    case QLocalSocket::SocketTimeoutError:
        return QStringLiteral("The EchoLink stand-in at %1 did not accept the connection within %2 seconds")
            .arg(path, seconds);
    default:
        return QStringLiteral("Cannot reach the EchoLink stand-in at %1: %2").arg(path, socket.errorString());
    }
}

// The folder is checked before anything is sent: whoever listens in a folder that is not ours is not
// our stand-in.
std::optional<QString> reachStandIn(QLocalSocket& socket, const QString& path)
{
    const QFileInfo folder(QFileInfo(path).absolutePath());
    if (!folder.exists() && !folder.isSymLink())
        return QStringLiteral("No EchoLink stand-in is running: its socket folder %1 does not exist")
            .arg(folder.filePath());
    QString reason;
    if (!EchoLinkWire::checkServerFolder(folder.filePath(), &reason))
        return QStringLiteral("The EchoLink stand-in's socket folder is not safe to use: %1").arg(reason);
    socket.connectToServer(path);
    if (socket.waitForConnected(SendTimeoutMs))
        return std::nullopt;
    return connectionProblem(socket, path);
}

int sendCommand(const QString& command)
{
    const QString path = EchoLinkWire::serverPath();
    QLocalSocket socket;
    if (const auto problem = reachStandIn(socket, path)) {
        printLine(stderr, *problem);
        return 1;
    }
    socket.write(EchoLinkWire::encode(EchoLinkWire::control(1, command)));
    const auto answer = awaitAnswer(socket, 1);
    if (!answer) {
        printLine(stderr, QStringLiteral("The EchoLink stand-in did not answer"));
        return 1;
    }
    if (!answer->value(QLatin1String("ok")).toBool()) {
        printLine(stderr, answer->value(QLatin1String("error")).toString());
        return 1;
    }
    const QString text = answer->value(QLatin1String("value")).toString();
    if (!text.isEmpty())
        printLine(stdout, text);
    return 0;
}

int serve(bool demo, bool verbose)
{
    StandInStation station;
    const QString callsign = qEnvironmentVariable("ECHOLINK_STANDIN_CALLSIGN");
    if (!callsign.isEmpty())
        station.setCallsign(callsign);
    if (verbose)
        QObject::connect(&station, &StandInStation::note, [](const QString& text) { printLine(stderr, text); });
    StandInServer server(&station);
    QString error;
    if (!server.listen(&error)) {
        printLine(stderr, error);
        return 1;
    }
    DemoScript script(&station);
    if (demo)
        script.start();
    return QCoreApplication::exec();
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("EchoLink"));
    QCommandLineParser options;
    options.setApplicationDescription(QStringLiteral("EchoLink stand-in: the automation server Corvane attaches to."));
    options.addHelpOption();
    const QCommandLineOption send(QStringLiteral("send"),
                                  QStringLiteral("Hand one command to the running stand-in and print its answer."),
                                  QStringLiteral("command"));
    const QCommandLineOption demo(QStringLiteral("demo"), QStringLiteral("Play a scripted session of stations."));
    const QCommandLineOption verbose(QStringLiteral("verbose"), QStringLiteral("Log calls and events to stderr."));
    options.addOptions({ send, demo, verbose });
    options.process(app);
    if (options.isSet(send))
        return sendCommand(options.value(send));
#ifdef CORVANE_WITH_NODE
    if (const auto nodeExit = NodeHandoff::runNodeIfConfigured(argc, argv))
        return *nodeExit;
#endif
    const bool demoWanted = options.isSet(demo) || qEnvironmentVariable("ECHOLINK_STANDIN_DEMO") == QLatin1String("1");
    return serve(demoWanted, options.isSet(verbose));
}
