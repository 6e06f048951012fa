// corvane-echolinkd: the EchoLink node. Serves Corvane's automation socket as the stand-in does and
// works the EchoLink network with the station named in $XDG_CONFIG_HOME/corvane/echolink.conf.
#include "EchoLinkNode.h"
#include "NodeConfig.h"
#include "NodeLog.h"
#include "NodeServer.h"
#include "account/AccountPassword.h"

#include <QCoreApplication>
#include <QSocketNotifier>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace {

int signalPipe[2] = { -1, -1 };

void onSignal(int)
{
    const char byte = 1;
    [[maybe_unused]] const auto written = ::write(signalPipe[1], &byte, 1);
}

struct Options
{
    QString config = NodeConfigFile::defaultPath();
    bool verbose = false;
    bool help = false;
};

Options parseOptions(int argc, char** argv)
{
    Options options;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--config") == 0 && i + 1 < argc)
            options.config = QString::fromLocal8Bit(argv[++i]);
        else if (std::strcmp(argv[i], "--verbose") == 0)
            options.verbose = true;
        else if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0)
            options.help = true;
        // Anything else is for the stand-in (it hands its own arguments over) and is left alone.
    }
    return options;
}

} // namespace

int main(int argc, char** argv)
{
    const Options options = parseOptions(argc, argv);
    if (options.help) {
        std::printf("Usage: corvane-echolinkd [--config <file>] [--verbose]\n"
                    "The EchoLink node: serves Corvane's automation socket and works the EchoLink network.\n"
                    "Configuration: %s\n",
                    NodeConfigFile::defaultPath().toLocal8Bit().constData());
        return 0;
    }
    QCoreApplication app(argc, argv);
    std::signal(SIGPIPE, SIG_IGN);
    NodeServer server;
    QString error;
    if (!server.listen(&error)) {
        NodeLog::line(error);
        return 1;
    }
    QString problem;
    auto config = NodeConfigFile::load(options.config, &problem);
    if (config) {
        // Where Corvane's set-up keeps it: the desktop's secret store, else the file's Password= line. Without
        // a secret service on the session bus (or without a bus) the store is passed over at once.
        AccountPassword::DesktopSecretStore secrets;
        const AccountPassword::Found found = AccountPassword::read(secrets, config->callsign, options.config);
        if (!found.problem.isEmpty())
            NodeLog::line(found.problem); // never holds the password
        config->password = found.password;
        if (options.verbose && found.place == AccountPassword::Place::SecretStore)
            NodeLog::line(QStringLiteral("The password is read from the desktop's secret store"));
    }
    if (config && !config->namesStation())
        problem
            = QStringLiteral("The EchoLink node configuration %1 names no Callsign and Password").arg(options.config);
    if (!problem.isEmpty()) {
        NodeLog::line(problem);
        config.reset();
    }
    EchoLinkNode node(server, config, problem, options.verbose);
    if (config && !node.start(&error))
        NodeLog::line(error);
    node.finished = [&app] { app.quit(); };
    server.serve();

    // SIGTERM and SIGINT end the node in order, from the event loop.
    if (::pipe2(signalPipe, O_CLOEXEC | O_NONBLOCK) == 0) {
        std::signal(SIGTERM, onSignal);
        std::signal(SIGINT, onSignal);
    }
    QSocketNotifier signalWatch(signalPipe[0], QSocketNotifier::Read);
    QObject::connect(&signalWatch, &QSocketNotifier::activated, &app, [&node] {
        char byte;
        while (::read(signalPipe[0], &byte, 1) > 0) {
        }
        node.finish();
    });
    const int code = QCoreApplication::exec();
    server.close();
    return code;
}
