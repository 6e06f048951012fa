// The account in the node's configuration file: read, updated in place around the operator's own lines,
// written for the owner's eyes only.
#include "account/AccountFile.h"
#ifdef CORVANE_WITH_NODE_CONFIG
#include "NodeConfig.h"
#endif

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <sys/stat.h>

using AccountFile::Account;

class TestAccountFile : public QObject
{
    Q_OBJECT

private slots:
    void updateKeepsTheOperatorsLines_data()
    {
        QTest::addColumn<QString>("before");
        QTest::addColumn<Account>("account");
        QTest::addColumn<QString>("after");
        const Account jo { "Q1ABC", "s3cret", "Jo Smith", "Elm Falls", "Jo in Elm Falls\nCorvane on Linux" };
        const QString joLines = "Callsign=Q1ABC\nPassword=s3cret\nName=Jo Smith\nLocation=Elm Falls\n"
                                "Info=Jo in Elm Falls\\nCorvane on Linux\n";

        QTest::newRow("empty file") << "" << jo << joLines;
        QTest::newRow("comments and other keys stay, in their places")
            << "# my node\nServers=a.example, b.example\n#AudioIn=alsa:default\nAudioOut=alsa:plughw:1" << jo
            << "# my node\nServers=a.example, b.example\n#AudioIn=alsa:default\nAudioOut=alsa:plughw:1\n" + joLines;
        QTest::newRow("values replaced where they stand, any case of key")
            << "callsign = Q9OLD\n# password below\nPASSWORD=old\nPortBase=5198\n"
            << jo
            << "Callsign=Q1ABC\n# password below\nPassword=s3cret\nPortBase=5198\nName=Jo Smith\n"
               "Location=Elm Falls\nInfo=Jo in Elm Falls\\nCorvane on Linux\n";
        QTest::newRow("a repeated key keeps one line")
            << "Name=A\nName=B\nListRefresh=30\n"
            << jo
            << "Name=Jo Smith\nListRefresh=30\nCallsign=Q1ABC\nPassword=s3cret\nLocation=Elm Falls\n"
               "Info=Jo in Elm Falls\\nCorvane on Linux\n";
        QTest::newRow("a commented key is not a key") << "#Password=old\n" << jo << "#Password=old\n" + joLines;
        // Nothing typed may add a line of its own (a second Password, a Servers line).
        QTest::newRow("line breaks in values never make lines")
            << "" << Account { "Q1ABC", "pw\nServers=evil.example", "Jo\r\nPassword=x", "Elm", "a\\b\nc" }
            << "Callsign=Q1ABC\nPassword=pw Servers=evil.example\nName=Jo  Password=x\nLocation=Elm\n"
               "Info=a\\\\b\\nc\n";
    }
    void updateKeepsTheOperatorsLines()
    {
        QFETCH(QString, before);
        QFETCH(Account, account);
        QFETCH(QString, after);
        const QString updated = AccountFile::update(before, account);
        QCOMPARE(updated, after);
    }

    void whatIsWrittenReadsBack_data()
    {
        QTest::addColumn<Account>("account");
        QTest::newRow("plain") << Account { "Q1ABC", "pw", "Jo", "Elm Falls", "one line" };
        QTest::newRow("info with breaks and backslashes") << Account { "Q1ABC", "p=w#1", "Jo", "", "a\\nb\nc\\\n" };
        QTest::newRow("empty") << Account {};
    }
    void whatIsWrittenReadsBack()
    {
        QFETCH(Account, account);
        QVERIFY(AccountFile::read(AccountFile::update("# kept\n", account)) == account);
    }

    void savedFileIsTheOwnersAloneAndKeepsItsLines()
    {
        QTemporaryDir home;
        const QString path = home.path() + "/config/corvane/echolink.conf";
        QString error;
        QVERIFY2(AccountFile::save(path, { "Q1ABC", "pw", "Jo", "Elm", "" }, &error), qPrintable(error));
        struct stat info
        {
        };
        QCOMPARE(::stat(QFile::encodeName(path).constData(), &info), 0);
        QCOMPARE(info.st_mode & 0777, 0600u);
        // A hand-made file that others could read is rewritten for the owner only, its own lines kept.
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("# mine\nAlarms=Q2XYZ\nPassword=old\n");
        file.close();
        QVERIFY(file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadOther));
        QVERIFY(AccountFile::save(path, { "Q1ABC", "new", "Jo", "Elm", "" }, &error));
        QCOMPARE(::stat(QFile::encodeName(path).constData(), &info), 0);
        QCOMPARE(info.st_mode & 0777, 0600u);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(QString::fromUtf8(file.readAll()),
                 "# mine\nAlarms=Q2XYZ\nPassword=new\nCallsign=Q1ABC\nName=Jo\nLocation=Elm\nInfo=\n");
        QCOMPARE(AccountFile::load(path, &error)->password, "new");
        QVERIFY(AccountFile::load(home.path() + "/absent.conf", &error) == Account {});
    }

#ifdef CORVANE_WITH_NODE_CONFIG
    // The node reads what the dialog writes, station information line breaks included.
    void theNodeReadsTheAccount()
    {
        const Account jo { "Q1ABC", "s3cret", "Jo Smith", "Elm Falls", "Jo in Elm Falls\nCorvane \\o/" };
        QString error;
        const auto config = NodeConfigFile::parse(AccountFile::update("# mine\nListRefresh=30\n", jo).toUtf8(), &error);
        QVERIFY2(config, qPrintable(error));
        QCOMPARE(config->callsign, "Q1ABC");
        QCOMPARE(config->password, "s3cret");
        QCOMPARE(config->name, "Jo Smith");
        QCOMPARE(config->location, "Elm Falls");
        QCOMPARE(config->info, "Jo in Elm Falls\rCorvane \\o/");
        QCOMPARE(config->listRefreshSeconds, 30);
        QCOMPARE(NodeConfigFile::defaultPath(), AccountFile::defaultPath());
    }
#endif

    void defaultPathFollowsXdgConfigHome()
    {
        qputenv("XDG_CONFIG_HOME", "/tmp/cfg");
        QCOMPARE(AccountFile::defaultPath(), "/tmp/cfg/corvane/echolink.conf");
        qunsetenv("XDG_CONFIG_HOME");
        QCOMPARE(AccountFile::defaultPath(), QDir::homePath() + "/.config/corvane/echolink.conf");
    }
};

QTEST_GUILESS_MAIN(TestAccountFile)
#include "TestAccountFile.moc"
