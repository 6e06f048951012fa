#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <cstring>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace {

constexpr uid_t nobody = 65534;

QString standInPath()
{
    return qEnvironmentVariable("CORVANE_STANDIN");
}

// A socket file that nobody listens on, as a stand-in that was killed leaves it.
bool leaveStaleSocket(const QString& path)
{
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address {};
    address.sun_family = AF_UNIX;
    const QByteArray name = QFile::encodeName(path);
    std::strncpy(address.sun_path, name.constData(), sizeof address.sun_path - 1);
    const bool bound = ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
    ::close(fd);
    return bound;
}

struct Outcome
{
    int exitCode = -1;
    QString error;
};

Outcome run(const QStringList& arguments, const QProcessEnvironment& environment)
{
    QProcess program;
    program.setProcessEnvironment(environment);
    program.start(standInPath(), arguments);
    if (!program.waitForFinished(20000)) {
        program.kill();
        program.waitForFinished();
        return { -1, "(no answer)" };
    }
    return { program.exitCode(), QString::fromLocal8Bit(program.readAllStandardError()).trimmed() };
}

} // namespace

// What `EchoLink.exe --send` says when it cannot hand its command over, and what the stand-in says when
// it cannot take the socket: each time the actual reason, so that a tester knows what to mend.
class TestStandInSend : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QVERIFY2(QFileInfo(standInPath()).isExecutable(), "CORVANE_STANDIN names the stand-in"); }

    void sendSaysWhatIsWrong_data()
    {
        QTest::addColumn<QString>("situation");
        QTest::addColumn<QString>("message");
        QTest::newRow("nothing there yet") << "no folder"
                                           << "No EchoLink stand-in is running: its socket folder ";
        QTest::newRow("folder without socket") << "no socket"
                                               << "No EchoLink stand-in is running: there is no socket at ";
        QTest::newRow("socket left by a killed stand-in") << "stale socket"
                                                          << "refuses connections";
        QTest::newRow("folder open to others") << "open folder"
                                               << "not safe to use: ";
        QTest::newRow("a planted link") << "link"
                                        << "is a symbolic link, not a folder";
        QTest::newRow("another user's folder") << "foreign folder"
                                               << "belongs to another user";
        QTest::newRow("no permission on the socket") << "locked socket"
                                                     << "No permission to use the EchoLink stand-in's socket";
    }
    void sendSaysWhatIsWrong()
    {
        QFETCH(QString, situation);
        QFETCH(QString, message);
        const bool root = ::geteuid() == 0;
        if (situation == "foreign folder" && !root)
            QSKIP("needs root to give a folder to another user");
        if (situation == "locked socket" && root)
            QSKIP("root may use any socket");

        QTemporaryDir runtime;
        const QString folder = runtime.filePath("corvane");
        const QString socket = folder + "/echolink.sock";
        QTemporaryDir elsewhere;
        if (situation == "link") {
            QVERIFY(QFile::link(elsewhere.path(), folder));
        } else if (situation != "no folder") {
            QVERIFY(QDir().mkdir(folder));
            QCOMPARE(::chmod(QFile::encodeName(folder).constData(), 0700), 0);
        }
        if (situation == "stale socket" || situation == "locked socket")
            QVERIFY(leaveStaleSocket(socket));
        if (situation == "locked socket")
            QCOMPARE(::chmod(QFile::encodeName(socket).constData(), 0), 0);
        if (situation == "open folder")
            QCOMPARE(::chmod(QFile::encodeName(folder).constData(), 0755), 0);
        if (situation == "foreign folder")
            QCOMPARE(::chown(QFile::encodeName(folder).constData(), nobody, nobody), 0);

        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("XDG_RUNTIME_DIR", runtime.path());
        const Outcome outcome = run({ "--send", "calls" }, environment);
        QCOMPARE(outcome.exitCode, 1);
        QVERIFY2(outcome.error.contains(message), qPrintable(outcome.error));
        QVERIFY(!outcome.error.contains("No EchoLink stand-in is running at"));
    }

    // Without a runtime folder the socket's folder sits in the shared temporary folder, where another
    // user may have made it first; it is then refused, never used, and the reason names the way out.
    void fallbackFolderMadeByAnotherUserIsRefused_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("message");
        QTest::newRow("the stand-in") << QStringList() << "belongs to another user";
        QTest::newRow("--send") << QStringList { "--send", "calls" } << "belongs to another user";
    }
    void fallbackFolderMadeByAnotherUserIsRefused()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QString, message);
        if (::geteuid() != 0)
            QSKIP("needs root to give a folder to another user");
        QTemporaryDir temp;
        const QString folder = temp.filePath(QStringLiteral("corvane-%1").arg(::getuid()));
        QVERIFY(QDir().mkdir(folder));
        QCOMPARE(::chmod(QFile::encodeName(folder).constData(), 0777), 0);
        QCOMPARE(::chown(QFile::encodeName(folder).constData(), nobody, nobody), 0);

        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.remove("XDG_RUNTIME_DIR");
        environment.insert("TMPDIR", temp.path());
        const Outcome outcome = run(arguments, environment);
        QCOMPARE(outcome.exitCode, 1);
        QVERIFY2(outcome.error.contains(folder + " " + message), qPrintable(outcome.error));
        if (arguments.isEmpty())
            QVERIFY2(outcome.error.contains("XDG_RUNTIME_DIR"), qPrintable(outcome.error));
        QVERIFY(!QFile::exists(folder + "/echolink.sock"));
    }

    void fallbackFolderIsMadeOwnerOnlyAndServes()
    {
        QTemporaryDir temp;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.remove("XDG_RUNTIME_DIR");
        environment.insert("TMPDIR", temp.path());
        QProcess standIn;
        standIn.setProcessEnvironment(environment);
        standIn.start(standInPath(), {});
        QVERIFY(standIn.waitForStarted(10000));
        const QString folder = temp.filePath(QStringLiteral("corvane-%1").arg(::getuid()));
        QTRY_VERIFY_WITH_TIMEOUT(run({ "--send", "calls" }, environment).exitCode == 0, 20000);
        struct stat info
        {
        };
        QCOMPARE(::lstat(QFile::encodeName(folder).constData(), &info), 0);
        QVERIFY(S_ISDIR(info.st_mode));
        QCOMPARE(info.st_uid, ::getuid());
        QCOMPARE(info.st_mode & 0777, 0700u);
        QCOMPARE(run({ "--send", "close" }, environment).exitCode, 0);
        QVERIFY(standIn.waitForFinished(10000));
    }
};

QTEST_GUILESS_MAIN(TestStandInSend)
#include "TestStandInSend.moc"
