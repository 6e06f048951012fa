#include "NodeHandoff.h"

#include "account/AccountFile.h"
#include "account/AccountPassword.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <csignal>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace NodeHandoff {

namespace {

int exitCodeOf(int status)
{
    if (WIFEXITED(status))
        return WEXITSTATUS(status);
    return 128 + (WIFSIGNALED(status) ? WTERMSIG(status) : 0);
}

// EchoLink.exe stays the parent, so that the process Corvane looks for lives as long as the node does;
// the node ends with it.
int runChild(const QByteArray& program, int argc, char** argv)
{
    std::vector<char*> args { const_cast<char*>(program.constData()) };
    for (int i = 1; i < argc; ++i)
        args.push_back(argv[i]);
    args.push_back(nullptr);
    const pid_t parent = ::getpid();
    const pid_t child = ::fork();
    if (child < 0)
        return -1;
    if (child == 0) {
        ::prctl(PR_SET_PDEATHSIG, SIGTERM);
        if (::getppid() != parent)
            ::_exit(1);
        ::execv(program.constData(), args.data());
        ::_exit(127);
    }
    // The node handles the interrupt itself; the parent only waits for it.
    std::signal(SIGINT, SIG_IGN);
    std::signal(SIGTERM, [](int) {});
    int status = 0;
    while (::waitpid(child, &status, 0) < 0) {
        if (errno != EINTR)
            return 1;
        ::kill(child, SIGTERM);
    }
    return exitCodeOf(status);
}

} // namespace

std::optional<int> runNodeIfConfigured(int argc, char** argv)
{
    if (qEnvironmentVariable("ECHOLINK_STANDIN_ONLY") == QLatin1String("1"))
        return std::nullopt;
    const QString node = QCoreApplication::applicationDirPath() + QStringLiteral("/corvane-echolinkd");
    if (!QFileInfo(node).isExecutable())
        return std::nullopt;
    // The password may be in the desktop's secret store rather than in the file.
    AccountPassword::DesktopSecretStore secrets;
    if (!AccountPassword::namesStation(secrets, AccountFile::defaultPath()))
        return std::nullopt;
    const int code = runChild(QFile::encodeName(node), argc, argv);
    if (code < 0)
        return std::nullopt;
    return code;
}

} // namespace NodeHandoff
