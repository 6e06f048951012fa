#include "NodeConfig.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <sys/stat.h>

class TestNodeConfig : public QObject
{
    Q_OBJECT

private slots:
    void fullFileIsRead();
    void defaultsStandWhereKeysAreMissing();
    void unusableValuesAreRefused_data();
    void unusableValuesAreRefused();
    void passwordNeverAppearsInProblems();
    void fileOthersMayReadIsRefused_data();
    void fileOthersMayReadIsRefused();
    void namesStationNeedsCallsignAndPassword_data();
    void namesStationNeedsCallsignAndPassword();
    void defaultPathFollowsXdgConfigHome();
};

void TestNodeConfig::fullFileIsRead()
{
    const QByteArray text = "# my station\r\n"
                            "Callsign = q1abc-l\r\n"
                            "Password=s3cret=with=equals\n"
                            "  Name=Jo Smith  \n"
                            "Location=Elm Falls\n"
                            "Info=Line one\\nLine two \\\\ end\n"
                            "Servers=a.example.org, 10.0.0.1 ,\n"
                            "BindAddress=192.168.1.20\n"
                            "PortBase=6198\n"
                            "Alarms=q2xyz, *TEST*\n"
                            "ListRefresh=30\n"
                            "AudioIn=file:/tmp/mic.wav\n"
                            "AudioOut=alsa:plughw:1\n"
                            "\n";
    QString error;
    const auto config = NodeConfigFile::parse(text, &error);
    QVERIFY2(config, qPrintable(error));
    QCOMPARE(config->callsign, QStringLiteral("Q1ABC-L"));
    QCOMPARE(config->password, QStringLiteral("s3cret=with=equals"));
    QCOMPARE(config->name, QStringLiteral("Jo Smith"));
    QCOMPARE(config->location, QStringLiteral("Elm Falls"));
    QCOMPARE(config->info, QStringLiteral("Line one\rLine two \\ end"));
    QCOMPARE(config->servers, (QStringList { "a.example.org", "10.0.0.1" }));
    QCOMPARE(config->bindAddress, QStringLiteral("192.168.1.20"));
    QCOMPARE(config->portBase, 6198);
    QCOMPARE(config->alarms, (QStringList { "Q2XYZ", "*TEST*" }));
    QCOMPARE(config->listRefreshSeconds, 30);
    QCOMPARE(config->audioIn, QStringLiteral("file:/tmp/mic.wav"));
    QCOMPARE(config->audioOut, QStringLiteral("alsa:plughw:1"));
    QVERIFY(config->namesStation());
}

void TestNodeConfig::defaultsStandWhereKeysAreMissing()
{
    QString error;
    const auto config = NodeConfigFile::parse("Callsign=Q1ABC\n", &error);
    QVERIFY2(config, qPrintable(error));
    QVERIFY(!config->namesStation());
    QCOMPARE(config->portBase, 5198);
    QCOMPARE(config->servers, QStringList { "servers.echolink.org" });
    QVERIFY(config->bindAddress.isEmpty());
    QCOMPARE(config->audioIn, QStringLiteral("alsa:default"));
    QCOMPARE(config->audioOut, QStringLiteral("alsa:default"));
    QCOMPARE(config->listRefreshSeconds, NodeConfig::DefaultListRefreshSeconds);
}

void TestNodeConfig::unusableValuesAreRefused_data()
{
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<QString>("problem");
    QTest::newRow("no equals") << QByteArray("Callsign Q1ABC") << "line 1: not a key=value line";
    QTest::newRow("unknown key") << QByteArray("Callsing=Q1ABC") << "line 1: unknown key Callsing";
    QTest::newRow("callsign without digit") << QByteArray("Callsign=ABCDE") << "Callsign ABCDE is not a callsign";
    QTest::newRow("callsign with blank") << QByteArray("Callsign=Q1 AB") << "is not a callsign";
    QTest::newRow("location of 28") << QByteArray("Location=") + QByteArray(28, 'x') << "Location has 28 characters";
    QTest::newRow("port too low") << QByteArray("PortBase=80") << "PortBase 80 is not a port";
    QTest::newRow("port not a number") << QByteArray("PortBase=abc") << "PortBase abc is not a port";
    QTest::newRow("no servers") << QByteArray("Servers= , ,") << "Servers names no directory server";
    QTest::newRow("server with blank") << QByteArray("Servers=a b") << "a b is not a host name";
    QTest::newRow("bind not IPv4") << QByteArray("BindAddress=300.1.1.1") << "BindAddress 300.1.1.1";
    QTest::newRow("refresh negative") << QByteArray("ListRefresh=-1") << "ListRefresh -1";
    QTest::newRow("audio scheme") << QByteArray("AudioIn=pulse:default") << "AudioIn must be alsa:";
    QTest::newRow("audio empty file") << QByteArray("AudioOut=file:") << "AudioOut must be alsa:";
    QTest::newRow("empty password") << QByteArray("Password=") << "Password is empty";
}

void TestNodeConfig::unusableValuesAreRefused()
{
    QFETCH(QByteArray, line);
    QFETCH(QString, problem);
    QString error;
    QVERIFY(!NodeConfigFile::parse(line + "\n", &error));
    QVERIFY2(error.contains(problem), qPrintable(error));
}

void TestNodeConfig::passwordNeverAppearsInProblems()
{
    // A password with a control character is refused without being quoted back.
    QString error;
    QVERIFY(!NodeConfigFile::parse("Password=hunter2\x01\nPortBase=1\n", &error));
    QVERIFY(error.contains(QLatin1String("line 1: Password")));
    QVERIFY(error.contains(QLatin1String("line 2: PortBase")));
    QVERIFY(!error.contains(QLatin1String("hunter2")));
}

void TestNodeConfig::fileOthersMayReadIsRefused_data()
{
    QTest::addColumn<int>("mode");
    QTest::addColumn<bool>("accepted");
    QTest::newRow("owner only") << 0600 << true;
    QTest::newRow("owner read only") << 0400 << true;
    QTest::newRow("group may read") << 0640 << false;
    QTest::newRow("anyone may read") << 0644 << false;
    QTest::newRow("others may write") << 0602 << false;
}

void TestNodeConfig::fileOthersMayReadIsRefused()
{
    QFETCH(int, mode);
    QFETCH(bool, accepted);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("echolink.conf"));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("Callsign=Q1ABC\nPassword=topsecret\n");
    file.close();
    QVERIFY(::chmod(QFile::encodeName(path).constData(), static_cast<mode_t>(mode)) == 0);
    QString error;
    const auto config = NodeConfigFile::load(path, &error);
    QCOMPARE(bool(config), accepted);
    if (!accepted) {
        QVERIFY2(error.contains(QLatin1String("may be read by other users")), qPrintable(error));
        QVERIFY(error.contains(QStringLiteral("chmod 600 ") + path));
        QVERIFY(!error.contains(QLatin1String("topsecret")));
    }
}

void TestNodeConfig::namesStationNeedsCallsignAndPassword_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<bool>("names");
    QTest::newRow("both") << QByteArray("Callsign=Q1ABC\nPassword=x\n") << true;
    QTest::newRow("password missing") << QByteArray("Callsign=Q1ABC\n") << false;
    QTest::newRow("password empty") << QByteArray("Callsign=Q1ABC\nPassword=\n") << false;
    QTest::newRow("commented out") << QByteArray("Callsign=Q1ABC\n#Password=x\n") << false;
    QTest::newRow("other case") << QByteArray("CALLSIGN=Q1ABC\npassword=x\n") << true;
}

void TestNodeConfig::namesStationNeedsCallsignAndPassword()
{
    QFETCH(QByteArray, text);
    QFETCH(bool, names);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("echolink.conf"));
    QVERIFY(!NodeConfigFile::namesStation(path));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(text);
    file.close();
    QCOMPARE(NodeConfigFile::namesStation(path), names);
}

void TestNodeConfig::defaultPathFollowsXdgConfigHome()
{
    const QByteArray saved = qgetenv("XDG_CONFIG_HOME");
    qputenv("XDG_CONFIG_HOME", "/tmp/cfg");
    QCOMPARE(NodeConfigFile::defaultPath(), QStringLiteral("/tmp/cfg/corvane/echolink.conf"));
    qunsetenv("XDG_CONFIG_HOME");
    QVERIFY(NodeConfigFile::defaultPath().endsWith(QLatin1String("/.config/corvane/echolink.conf")));
    qputenv("XDG_CONFIG_HOME", saved);
}

QTEST_GUILESS_MAIN(TestNodeConfig)
#include "TestNodeConfig.moc"
