#include "platform/Processes.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

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
        auto addProcess = [&](const QString& pid, const QString& exeTarget, const QByteArray& comm) {
            QDir().mkpath(proc.filePath(pid));
            if (!exeTarget.isEmpty())
                QFile::link(exeTarget, proc.filePath(pid + QStringLiteral("/exe")));
            QFile file(proc.filePath(pid + QStringLiteral("/comm")));
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(comm);
        };
        addProcess(QStringLiteral("12"), QStringLiteral("/elsewhere/Radio/echolink.EXE"), "echolink.EXE\n");
        addProcess(QStringLiteral("40"), QString(), "Hidden.exe\n"); // exe unreadable: command name counts
        QDir().mkpath(proc.filePath(QStringLiteral("self"))); // not a process id

        QVERIFY(processExists(QStringLiteral("EchoLink.exe"), proc.path()));
        QVERIFY(processExists(QStringLiteral("/ELSEWHERE/RADIO/ECHOLINK.EXE"), proc.path()));
        QVERIFY(processExists(QStringLiteral("hidden.exe"), proc.path()));
        QVERIFY(!processExists(QStringLiteral("Radio"), proc.path()));
        QVERIFY(!processExists(QStringLiteral("EchoLink.exe"), proc.filePath(QStringLiteral("missing"))));
    }

    void upperCasesOnlyAsciiLetters() { QCOMPARE(asciiUpper(QStringLiteral("abz-äß1")), QStringLiteral("ABZ-äß1")); }
};

QTEST_GUILESS_MAIN(TestProcesses)
#include "TestProcesses.moc"
