#include "platform/Processes.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>
#include <unistd.h>

namespace {

constexpr uint otherUser = 4711;

// A process in a prepared process tree: its program-file link, command name and status.
struct FakeProcess
{
    QString pid;
    QString exeTarget; // empty: the link cannot be read
    QByteArray comm;
    char state = 'S';
    uint uid = ::getuid();
};

bool addProcess(const QTemporaryDir& proc, const FakeProcess& process)
{
    QDir().mkpath(proc.filePath(process.pid));
    if (!process.exeTarget.isEmpty())
        QFile::link(process.exeTarget, proc.filePath(process.pid + QStringLiteral("/exe")));
    QFile comm(proc.filePath(process.pid + QStringLiteral("/comm")));
    QFile status(proc.filePath(process.pid + QStringLiteral("/status")));
    if (!comm.open(QIODevice::WriteOnly) || !status.open(QIODevice::WriteOnly))
        return false;
    comm.write(process.comm);
    status.write(QStringLiteral("Name:\t%1\nUmask:\t0022\nState:\t%2 (whatever)\nTgid:\t%3\nPid:\t%3\n"
                                "Uid:\t%4\t%4\t%4\t%4\nGid:\t0\t0\t0\t0\n")
                     .arg(QString::fromLatin1(process.comm.trimmed()), QChar::fromLatin1(process.state), process.pid)
                     .arg(process.uid)
                     .toLatin1());
    return true;
}

} // namespace

class TestProcesses : public QObject
{
    Q_OBJECT
private slots:
    void findsThisRunningProgramByFileNameInAnyCase()
    {
        const QString self = QFileInfo(QCoreApplication::applicationFilePath()).fileName();
        QVERIFY(processExists(self));
        QVERIFY(processExists(self.toUpper()));
        QVERIFY(processExists(self.toLower()));
        QVERIFY(!processExists(QStringLiteral("NoSuchProgram-4711.exe")));
    }

    void matchesNamePartOrWholeTextFromAPreparedTree()
    {
        QTemporaryDir proc;
        QVERIFY(addProcess(proc, { "12", "/elsewhere/Radio/echolink.EXE", "echolink.EXE\n" }));
        // exe unreadable: the command name counts
        QVERIFY(addProcess(proc, { "40", QString(), "Hidden.exe\n" }));
        QDir().mkpath(proc.filePath(QStringLiteral("self"))); // not a process id
        const uint me = ::getuid();

        QVERIFY(processExists(QStringLiteral("EchoLink.exe"), proc.path(), me));
        QVERIFY(processExists(QStringLiteral("/ELSEWHERE/RADIO/ECHOLINK.EXE"), proc.path(), me));
        QVERIFY(processExists(QStringLiteral("hidden.exe"), proc.path(), me));
        QVERIFY(!processExists(QStringLiteral("Radio"), proc.path(), me));
        QVERIFY(!processExists(QStringLiteral("EchoLink.exe"), proc.filePath(QStringLiteral("missing")), me));
    }

    void onlyLiveProcessesOfThisUserCount_data()
    {
        QTest::addColumn<char>("state");
        QTest::addColumn<bool>("othersProcess");
        QTest::addColumn<bool>("counts");
        QTest::newRow("sleeping, ours") << 'S' << false << true;
        QTest::newRow("running, ours") << 'R' << false << true;
        QTest::newRow("stopped, ours") << 'T' << false << true;
        QTest::newRow("zombie, ours") << 'Z' << false << false;
        QTest::newRow("dead, ours") << 'X' << false << false;
        QTest::newRow("another user's") << 'S' << true << false;
        QTest::newRow("another user's zombie") << 'Z' << true << false;
    }
    void onlyLiveProcessesOfThisUserCount()
    {
        QFETCH(char, state);
        QFETCH(bool, othersProcess);
        QFETCH(bool, counts);
        QTemporaryDir proc;
        const uint me = ::getuid();
        QVERIFY(addProcess(
            proc,
            { "77", "/opt/Halvorn/EchoLink/EchoLink.exe", "EchoLink.exe\n", state, othersProcess ? otherUser : me }));
        QCOMPARE(processExists(QStringLiteral("EchoLink.exe"), proc.path(), me), counts);
    }

    void processWithoutReadableStatusDoesNotCount()
    {
        QTemporaryDir proc;
        QVERIFY(addProcess(proc, { "77", "/opt/EchoLink.exe", "EchoLink.exe\n" }));
        QVERIFY(QFile::remove(proc.filePath(QStringLiteral("77/status"))));
        QVERIFY(!processExists(QStringLiteral("EchoLink.exe"), proc.path(), ::getuid()));
    }

    void programUnderALongPathIsFoundByItsFileName_data()
    {
        QTest::addColumn<int>("folderLength");
        QTest::newRow("just under 260 in all") << 240;
        QTest::newRow("file name across character 260") << 252;
        QTest::newRow("far beyond 260") << 900;
    }
    void programUnderALongPathIsFoundByItsFileName()
    {
        QFETCH(int, folderLength);
        QString folder;
        while (folder.size() < folderLength)
            folder += QStringLiteral("/programs");
        folder.truncate(folderLength);
        const QString program = folder + QStringLiteral("/EchoLink.exe");
        QTemporaryDir proc;
        QVERIFY(addProcess(proc, { "90", program, "EchoLink.exe\n" }));
        QVERIFY(processExists(QStringLiteral("EchoLink.exe"), proc.path(), ::getuid()));
        QVERIFY(processExists(program, proc.path(), ::getuid()));
    }

    void programReplacedWhileRunningStillCounts()
    {
        QTemporaryDir proc;
        QVERIFY(addProcess(proc, { "91", "/opt/Halvorn/EchoLink/EchoLink.exe (deleted)", "EchoLink.exe\n" }));
        QVERIFY(processExists(QStringLiteral("EchoLink.exe"), proc.path(), ::getuid()));
    }

    void upperCasesOnlyAsciiLetters() { QCOMPARE(asciiUpper(QStringLiteral("abz-äß1")), QStringLiteral("ABZ-äß1")); }
};

QTEST_GUILESS_MAIN(TestProcesses)
#include "TestProcesses.moc"
