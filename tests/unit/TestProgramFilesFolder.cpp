#include "platform/Platform.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

// Where the start-up looks for EchoLink: a build tree, an installed program, or wherever PROGRAMFILES says.
class TestProgramFilesFolder : public QObject
{
    Q_OBJECT

private slots:
    void findsEchoLinkInEachLayout_data()
    {
        QTest::addColumn<QStringList>("folders"); // made under the temporary root
        QTest::addColumn<QString>("environment");
        QTest::addColumn<QString>("expected"); // relative to the root, or absolute

        QTest::newRow("build tree") << QStringList { "bin", "programfiles" } << ""
                                    << "programfiles";
        QTest::newRow("installed under /usr") << QStringList { "usr/bin", "usr/lib/corvane" } << ""
                                              << "usr/lib/corvane";
        QTest::newRow("build tree wins over an installed copy")
            << QStringList { "bin", "programfiles", "lib/corvane" } << ""
            << "programfiles";
        QTest::newRow("PROGRAMFILES wins") << QStringList { "usr/bin", "usr/lib/corvane" } << "/opt/pf"
                                           << "/opt/pf";
        QTest::newRow("neither: the build tree's place") << QStringList { "bin" } << ""
                                                         << "programfiles";
    }
    void findsEchoLinkInEachLayout()
    {
        QFETCH(QStringList, folders);
        QFETCH(QString, environment);
        QFETCH(QString, expected);
        QTemporaryDir root;
        QVERIFY(root.isValid());
        for (const QString& folder : folders)
            QVERIFY(QDir(root.path()).mkpath(folder));
        const QString programFolder = root.filePath(folders.first());
        const QString want = expected.startsWith('/') ? expected : QDir::cleanPath(root.filePath(expected));
        QCOMPARE(programFilesFolderFor(environment, programFolder), want);
    }
};

QTEST_GUILESS_MAIN(TestProgramFilesFolder)
#include "TestProgramFilesFolder.moc"
