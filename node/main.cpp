// corvane-echolinkd: the EchoLink node. Serves Corvane's automation socket as the stand-in does and
// works the EchoLink network with the station named in $XDG_CONFIG_HOME/corvane/echolink.conf.
#include "LocalServer.h"
#include "Node.h"
#include "NodeConfig.h"
#include "OutputTap.h"

#include <AsyncCppApplication.h>
#include <QString>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <unistd.h>

namespace {

void printLine(const QString& text)
{
    std::fprintf(stderr, "corvane-echolinkd: %s\n", text.toLocal8Bit().constData());
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
    Async::CppApplication app;
    LocalServer server;
    QString error;
    if (!server.listen(&error)) {
        printLine(error);
        return 1;
    }
    QString problem;
    auto config = NodeConfigFile::load(options.config, &problem);
    if (config && !config->namesStation())
        problem
            = QStringLiteral("The EchoLink node configuration %1 names no Callsign and Password").arg(options.config);
    if (!problem.isEmpty()) {
        printLine(problem);
        config.reset();
    }
    Node node(server, config, problem, options.verbose);
    OutputTap errors(STDERR_FILENO, [&node](const std::string& line) { node.libraryMessage(line); });
    if (config && !node.start(&error))
        printLine(error);
    node.finished.connect([&app] { app.quit(); });
    app.catchUnixSignal(SIGTERM);
    app.catchUnixSignal(SIGINT);
    app.unixSignalCaught.connect([&node](int) { node.finish(); });
    std::signal(SIGPIPE, SIG_IGN);
    app.exec();
    server.close();
    return 0;
}
