// EchoLink.exe: the stand-in that plays EchoLink's automation server where EchoLink itself is not
// installed. It serves the session on the per-user automation socket; `--send` hands one test-hook
// command to the running one, `--demo` plays a scripted session.
#include "DemoScript.h"
#include "echolink/EchoLinkWire.h"
#ifdef CORVANE_WITH_NODE
#include "NodeHandoff.h"
#endif
#include "StandInServer.h"
#include "StandInStation.h"

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

int sendCommand(const QString& command)
{
    const QString path = EchoLinkWire::serverPath();
    QLocalSocket socket;
    socket.connectToServer(path);
    QString reason;
    if (!socket.waitForConnected(SendTimeoutMs)
        || !EchoLinkWire::checkServerFolder(QFileInfo(path).absolutePath(), &reason)) {
        printLine(stderr, QStringLiteral("No EchoLink stand-in is running at %1").arg(path));
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
