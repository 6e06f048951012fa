#include "echolink/EchoLinkWire.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QSet>
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
        QTest::newRow("not UTF-8") << QByteArray("{\"event\":\"OnChatTextReceived\",\"args\":[\"caf\xe9\"]}");
        QTest::newRow("overlong UTF-8") << QByteArray("{\"x\":\"\xc0\xaf\"}");
        QTest::newRow("UTF-8 cut short") << QByteArray("{\"x\":\"\xe2\x82\"}");
        QTest::newRow("too long") << QByteArray("{\"x\":\"" + QByteArray(EchoLinkWire::MaxLineBytes, 'a') + "\"}");
    }
    void decodeRefusesWhatIsNotAnObject()
    {
        QFETCH(QByteArray, line);
        QString error;
        QVERIFY(!EchoLinkWire::decode(line, &error));
        QVERIFY(!error.isEmpty());
    }

    // The socket client, the stand-in and the fakes all read this one table; its order is the enum's.
    void tablesListEveryOperationAndEventOnceInTheirOrder()
    {
        QSet<QString> names;
        for (qsizetype i = 0; i < EchoLinkWire::operations().size(); ++i) {
            const auto& entry = EchoLinkWire::operations().at(i);
            QCOMPARE(static_cast<qsizetype>(entry.operation), i);
            QCOMPARE(EchoLinkWire::findOperation(entry.name), &entry);
            names.insert(entry.name);
        }
        QCOMPARE(names.size(), 14);
        QCOMPARE(EchoLinkWire::rowOf(EchoLinkWire::Operation::AlarmLogText).result, EchoLinkWire::Type::Text);
        QCOMPARE(EchoLinkWire::findOperation("connect1"), nullptr); // names are exact
        for (qsizetype i = 0; i < EchoLinkWire::events().size(); ++i) {
            const auto& entry = EchoLinkWire::events().at(i);
            QCOMPARE(static_cast<qsizetype>(entry.event), i);
            QCOMPARE(EchoLinkWire::findEvent(entry.name), &entry);
        }
        QCOMPARE(EchoLinkWire::events().size(), 9);
    }

    void alarmStatusIsA16BitWholeNumber_data()
    {
        QTest::addColumn<QJsonValue>("status");
        QTest::addColumn<bool>("accepted");
        QTest::newRow("-1 (true)") << QJsonValue(-1) << true;
        QTest::newRow("lowest signed") << QJsonValue(-32768) << true;
        QTest::newRow("highest unsigned") << QJsonValue(65535) << true;
        QTest::newRow("below") << QJsonValue(-32769) << false;
        QTest::newRow("above") << QJsonValue(65536) << false;
        QTest::newRow("fraction") << QJsonValue(0.5) << false;
        QTest::newRow("text") << QJsonValue("1") << false;
        QTest::newRow("flag") << QJsonValue(true) << false;
        QTest::newRow("missing") << QJsonValue(QJsonValue::Undefined) << false;
    }
    void alarmStatusIsA16BitWholeNumber()
    {
        QFETCH(QJsonValue, status);
        QFETCH(bool, accepted);
        QJsonArray args { "Q1AB" };
        if (!status.isUndefined())
            args.append(status);
        QString error;
        const auto event = EchoLinkWire::readEvent(EchoLinkWire::event(EchoLinkWire::Event::OnAlarm, args), &error);
        QCOMPARE(event.has_value(), accepted);
        if (!accepted)
            QCOMPARE(error, "OnAlarm carries text, a 16-bit number");
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

    void runtimeDirThatOthersMayWriteToIsNotUsed_data()
    {
        QTest::addColumn<int>("mode");
        QTest::addColumn<bool>("used");
        QTest::newRow("owner only") << 0700 << true;
        QTest::newRow("others may read") << 0755 << true;
        QTest::newRow("others may write") << 0777 << false;
        QTest::newRow("shared like the temporary folder") << 01777 << false;
    }
    void runtimeDirThatOthersMayWriteToIsNotUsed()
    {
        QFETCH(int, mode);
        QFETCH(bool, used);
        QTemporaryDir runtime;
        QCOMPARE(::chmod(QFile::encodeName(runtime.path()).constData(), mode), 0);
        const QByteArray saved = qgetenv("XDG_RUNTIME_DIR");
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtime.path()));
        const QString folder = EchoLinkWire::serverFolder();
        qputenv("XDG_RUNTIME_DIR", saved);
        QCOMPARE(folder,
                 used ? runtime.path() + "/corvane" : QDir::tempPath() + QStringLiteral("/corvane-%1").arg(::getuid()));
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
