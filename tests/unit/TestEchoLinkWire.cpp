#include "echolink/EchoLinkWire.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QTemporaryDir>
#include <QTest>
#include <sys/stat.h>
#include <unistd.h>

class TestEchoLinkWire : public QObject
{
    Q_OBJECT

private slots:
    void encodedMessagesAreOneLineAndDecodeUnchanged_data()
    {
        QTest::addColumn<QJsonObject>("message");
        QTest::newRow("call") << EchoLinkWire::call(1, "Connect1", { "Q1AB", true });
        QTest::newRow("reply") << EchoLinkWire::reply(2, "Q9ZZZ");
        QTest::newRow("void reply") << EchoLinkWire::reply(3, QJsonValue());
        QTest::newRow("failure") << EchoLinkWire::failure(4, "Station NO CALL not found");
        QTest::newRow("station text with line breaks")
            << EchoLinkWire::event("OnStationTextReceived", { "*LAKEVIEW*\r\n> Q1AB Jo\r\n" });
        QTest::newRow("alarm") << EchoLinkWire::event("OnAlarm", { "Q1AB", -1 });
        QTest::newRow("control with quotes") << EchoLinkWire::control(5, "connect Q1AB \"Jo Smith\" 1.2.3.4");
        QTest::newRow("non-Latin text") << EchoLinkWire::event("OnChatTextReceived",
                                                               { QString::fromUtf8("Ωμέγα 73 ✓") });
    }
    void encodedMessagesAreOneLineAndDecodeUnchanged()
    {
        QFETCH(QJsonObject, message);
        const QByteArray line = EchoLinkWire::encode(message);
        QVERIFY(line.endsWith('\n'));
        QCOMPARE(line.count('\n'), 1);
        QCOMPARE(EchoLinkWire::decode(line), message);
        QCOMPARE(EchoLinkWire::decode(line.chopped(1) + "\r"), message);
    }

    void decodeRefusesWhatIsNotAnObject_data()
    {
        QTest::addColumn<QByteArray>("line");
        QTest::newRow("empty") << QByteArray();
        QTest::newRow("prose") << QByteArray("hello EchoLink");
        QTest::newRow("array") << QByteArray("[1,2]");
        QTest::newRow("string") << QByteArray("\"Connect1\"");
        QTest::newRow("cut short") << QByteArray("{\"id\":1,\"op\":\"Conn");
        QTest::newRow("too long") << QByteArray("{\"x\":\"" + QByteArray(EchoLinkWire::MaxLineBytes, 'a') + "\"}");
    }
    void decodeRefusesWhatIsNotAnObject()
    {
        QFETCH(QByteArray, line);
        QString error;
        QVERIFY(!EchoLinkWire::decode(line, &error));
        QVERIFY(!error.isEmpty());
    }

    void escapesRoundTrip_data()
    {
        QTest::addColumn<QString>("plain");
        QTest::addColumn<QString>("escaped");
        QTest::newRow("nothing to escape") << "Q1AB on"
                                           << "Q1AB on";
        QTest::newRow("backslash") << "C:\\EchoLink"
                                   << "C:\\\\EchoLink";
        QTest::newRow("line break") << "12:34 Q1AB on\r\n"
                                    << "12:34 Q1AB on\\r\\n";
        QTest::newRow("tab") << "a\tb"
                             << "a\\tb";
        QTest::newRow("backslash before n") << "\\n"
                                            << "\\\\n";
        QTest::newRow("empty") << ""
                               << "";
    }
    void escapesRoundTrip()
    {
        QFETCH(QString, plain);
        QFETCH(QString, escaped);
        QCOMPARE(EchoLinkWire::escapeText(plain), escaped);
        QCOMPARE(EchoLinkWire::unescapeText(escaped), plain);
    }

    void unknownEscapesStayAsTyped_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::newRow("unknown letter") << "a\\xb";
        QTest::newRow("trailing backslash") << "ends\\";
        QTest::newRow("quote") << "say \\\"hi\\\"";
    }
    void unknownEscapesStayAsTyped()
    {
        QFETCH(QString, typed);
        QCOMPARE(EchoLinkWire::unescapeText(typed), typed);
    }

    void socketLivesInAPrivateFolderOfTheRuntimeDir()
    {
        const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
        QVERIFY2(!runtime.isEmpty(), "tests run with their own XDG_RUNTIME_DIR");
        QCOMPARE(EchoLinkWire::serverPath(), runtime + "/corvane/echolink.sock");
        QCOMPARE(QFileInfo(EchoLinkWire::serverPath()).absolutePath(), EchoLinkWire::serverFolder());
    }

    void withoutRuntimeDirTheFolderIsInTempAndNamedForTheUser()
    {
        const QByteArray saved = qgetenv("XDG_RUNTIME_DIR");
        qunsetenv("XDG_RUNTIME_DIR");
        const QString path = EchoLinkWire::serverPath();
        qputenv("XDG_RUNTIME_DIR", saved);
        QCOMPARE(path, QDir::tempPath() + QStringLiteral("/corvane-%1/echolink.sock").arg(::getuid()));
    }

    void preparedFolderIsOwnerOnly()
    {
        QString error;
        QVERIFY2(EchoLinkWire::prepareServerFolder(&error), qPrintable(error));
        QVERIFY2(EchoLinkWire::prepareServerFolder(&error), "preparing twice is harmless");
        struct stat info
        {
        };
        QCOMPARE(::stat(QFile::encodeName(EchoLinkWire::serverFolder()).constData(), &info), 0);
        QCOMPARE(info.st_mode & 0777, 0700u);
    }

    void folderOpenToOthersIsRefused()
    {
        QString error;
        QVERIFY(EchoLinkWire::prepareServerFolder(&error));
        const QByteArray folder = QFile::encodeName(EchoLinkWire::serverFolder());
        QCOMPARE(::chmod(folder.constData(), 0755), 0);
        const bool accepted = EchoLinkWire::prepareServerFolder(&error);
        ::chmod(folder.constData(), 0700);
        QVERIFY(!accepted);
        QVERIFY(error.contains("open to other users"));
    }

    void plantedLinkIsRefused()
    {
        QTemporaryDir elsewhere;
        const QString link = elsewhere.path() + "/link";
        QVERIFY(QFile::link(elsewhere.path(), link));
        QString error;
        QVERIFY(!EchoLinkWire::checkServerFolder(link, &error));
        QVERIFY(error.contains("not a folder"));
    }
};

QTEST_GUILESS_MAIN(TestEchoLinkWire)
#include "TestEchoLinkWire.moc"
