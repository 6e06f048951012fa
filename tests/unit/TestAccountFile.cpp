// The account file's writer (hand edits kept, hostile values refused or escaped, written whole with mode
// 600) and where the password is kept: the secret store first, the file only where there is none.
#include "account/AccountFile.h"
#include "account/AccountPassword.h"
#ifdef CORVANE_HAVE_NODE_CONFIG
#include "NodeConfig.h"
#endif

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>
#include <sys/stat.h>

using AccountFile::Change;
using Result = AccountPassword::SecretStore::Result;
using AccountPassword::Place;

namespace {

// A secret store that answers as told and remembers what it keeps.
class ScriptedSecretStore : public AccountPassword::SecretStore
{
public:
    Result answer = Result::Done;
    QHash<QString, QString> kept;
    int calls = 0;

    Result read(const QString& callsign, QString* password, QString* error) override
    {
        ++calls;
        if (answer != Result::Done) {
            *error = QStringLiteral("scripted");
            return answer;
        }
        if (!kept.contains(callsign.toUpper()))
            return Result::NotFound;
        *password = kept.value(callsign.toUpper());
        return Result::Done;
    }
    Result write(const QString& callsign, const QString& password, QString* error) override
    {
        ++calls;
        if (answer != Result::Done) {
            *error = QStringLiteral("scripted");
            return answer;
        }
        kept.insert(callsign.toUpper(), password);
        return Result::Done;
    }
    Result remove(const QString& callsign, QString*) override
    {
        return kept.remove(callsign.toUpper()) ? Result::Done : Result::NotFound;
    }
};

QByteArray accountFileText(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void writeAccountFileText(const QString& path, const QByteArray& text, QFile::Permissions permissions)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(text);
    file.close();
    QVERIFY(file.setPermissions(permissions));
}

mode_t accountFileMode(const QString& path)
{
    struct stat info
    {
    };
    return ::stat(QFile::encodeName(path).constData(), &info) == 0 ? (info.st_mode & 07777) : 0;
}

// A session bus of the test's own, named in DBUS_SESSION_BUS_ADDRESS while it runs (and XDG_DATA_HOME pointed
// into the test's folder, where a keyring would keep its file). Without `activation`, no service can be
// started on it.
class AccountTestBus
{
public:
    AccountTestBus(const QString& folder, bool activation)
        : m_oldBus(qgetenv("DBUS_SESSION_BUS_ADDRESS"))
        , m_oldData(qgetenv("XDG_DATA_HOME"))
    {
        const QString dbus = QStandardPaths::findExecutable("dbus-daemon");
        if (dbus.isEmpty())
            return;
        QStringList arguments { "--nofork", "--print-address=1" };
        if (activation) {
            arguments << "--session";
        } else {
            const QString config = folder + "/bus.conf";
            QFile file(config);
            if (!file.open(QIODevice::WriteOnly))
                return;
            file.write("<!DOCTYPE busconfig PUBLIC \"-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN\"\n"
                       " \"http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd\">\n"
                       "<busconfig><type>session</type><listen>unix:tmpdir=/tmp</listen><auth>EXTERNAL</auth>"
                       "<policy context=\"default\"><allow send_destination=\"*\" eavesdrop=\"true\"/>"
                       "<allow eavesdrop=\"true\"/><allow own=\"*\"/></policy></busconfig>\n");
            file.close();
            arguments << "--config-file=" + config;
        }
        m_bus.start(dbus, arguments);
        if (!m_bus.waitForReadyRead(5000))
            return;
        m_address = m_bus.readLine().trimmed();
        qputenv("DBUS_SESSION_BUS_ADDRESS", m_address);
        qputenv("XDG_DATA_HOME", QFile::encodeName(folder));
    }
    ~AccountTestBus()
    {
        m_bus.kill();
        m_bus.waitForFinished(3000);
        if (m_oldBus.isEmpty())
            qunsetenv("DBUS_SESSION_BUS_ADDRESS");
        else
            qputenv("DBUS_SESSION_BUS_ADDRESS", m_oldBus);
        if (m_oldData.isEmpty())
            qunsetenv("XDG_DATA_HOME");
        else
            qputenv("XDG_DATA_HOME", m_oldData);
    }
    bool started() const { return !m_address.isEmpty(); }
    bool hasName(const QString& name) const
    {
        QDBusConnection bus = QDBusConnection::connectToBus(QString::fromUtf8(m_address), "account-test-bus");
        const bool owned = bus.isConnected() && bus.interface()->isServiceRegistered(name);
        QDBusConnection::disconnectFromBus("account-test-bus");
        return owned;
    }

private:
    QProcess m_bus;
    QByteArray m_address;
    QByteArray m_oldBus;
    QByteArray m_oldData;
};

const QByteArray HandWritten = "# My station\n"
                               "Callsign=Q1ABC\n"
                               "Password=old secret\n"
                               "\n"
                               "# The directory description: at most 27 characters.\n"
                               "Location=Elm Falls\n"
                               "MyOwnKey=kept as it is\n"
                               "#AudioIn=alsa:default               (microphone)\n"
                               "#AudioOut=alsa:default              (received audio)\n";

} // namespace

class TestAccountFile : public QObject
{
    Q_OBJECT
private slots:
    void updateKeepsHandEdits_data()
    {
        QTest::addColumn<QByteArray>("before");
        QTest::addColumn<QList<Change>>("changes");
        QTest::addColumn<QByteArray>("after");

        QTest::newRow("replace in place, comments and unknown keys kept")
            << HandWritten << QList<Change> { { "Location", QString("Oak Ridge") } }
            << QByteArray(HandWritten).replace("Location=Elm Falls", "Location=Oak Ridge");
        QTest::newRow("new key after its commented-out example")
            << HandWritten << QList<Change> { { "AudioIn", QString("alsa:plughw:1") } }
            << QByteArray(HandWritten).replace("(microphone)\n", "(microphone)\nAudioIn=alsa:plughw:1\n");
        QTest::newRow("new key without example goes last")
            << HandWritten << QList<Change> { { "Name", QString("Jo Smith") } } << HandWritten + "Name=Jo Smith\n";
        QTest::newRow("key in another case is the same key")
            << QByteArray("callsign = q1abc\n# note\n") << QList<Change> { { "Callsign", QString("Q1ABC") } }
            << QByteArray("Callsign=Q1ABC\n# note\n");
        QTest::newRow("earlier copies of a key go, the last is replaced")
            << QByteArray("Name=A\nInfo=x\nname=B\n") << QList<Change> { { "Name", QString("C") } }
            << QByteArray("Info=x\nName=C\n");
        QTest::newRow("removing takes every active line, never a comment")
            << HandWritten << QList<Change> { { "Password", std::nullopt } }
            << QByteArray(HandWritten).replace("Password=old secret\n", "");
        QTest::newRow("removing a missing key changes nothing")
            << HandWritten << QList<Change> { { "Servers", std::nullopt } } << HandWritten;
        QTest::newRow("no final line break: one is added")
            << QByteArray("# c\nName=A") << QList<Change> { { "Name", QString("B") } } << QByteArray("# c\nName=B\n");
        QTest::newRow("empty file") << QByteArray() << QList<Change> { { "Callsign", QString("Q1ABC") } }
                                    << QByteArray("Callsign=Q1ABC\n");
        QTest::newRow("a value with '=' and '#' stays whole")
            << QByteArray() << QList<Change> { { "Name", QString("Jo = #1") } } << QByteArray("Name=Jo = #1\n");
        QTest::newRow("station information keeps line breaks (LF, CR LF, CR) as \\n, backslash doubled")
            << QByteArray() << QList<Change> { { "Info", QString("Jo\nC:\\radio\r\nline 3\rline 4") } }
            << QByteArray("Info=Jo\\nC:\\\\radio\\nline 3\\nline 4\n");
    }
    void updateKeepsHandEdits()
    {
        QFETCH(QByteArray, before);
        QFETCH(QList<Change>, changes);
        QFETCH(QByteArray, after);
        QCOMPARE(AccountFile::updated(before, changes), after);
    }

    // A value that could forge a second line (another key, a second Password=) is never written.
    void hostileValuesAreRefused_data()
    {
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("value");
        QTest::newRow("line feed forging a key") << "Name"
                                                 << "Jo\nPassword=stolen";
        QTest::newRow("carriage return") << "Location"
                                         << "Elm\rFalls";
        QTest::newRow("line separator") << "Name" << QString("Jo") + QChar(0x2028) + "x";
        QTest::newRow("NUL") << "Callsign" << QString("Q1ABC") + QChar(0) + "x";
        QTest::newRow("escape in station information") << "Info" << QString("a\x1b[2Jb");
        QTest::newRow("leading blank would be lost") << "Password"
                                                     << " secret";
        QTest::newRow("trailing blank would be lost") << "Password"
                                                      << "secret ";
    }
    void hostileValuesAreRefused()
    {
        QFETCH(QString, key);
        QFETCH(QString, value);
        QVERIFY(!AccountFile::encodedValue(key, value));
        QVERIFY_THROWS_EXCEPTION(std::invalid_argument, AccountFile::updated(HandWritten, { { key, value } }));
        // The message names the key, never the value.
        try {
            AccountFile::updated(HandWritten, { { key, value } });
        } catch (const std::invalid_argument& e) {
            QVERIFY(!QString::fromStdString(e.what()).contains(value));
        }
    }

    void valuesReadBackAsWritten_data()
    {
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("value");
        QTest::newRow("info with breaks and backslashes") << "Info"
                                                          << "Jo\\n is not a break\nC:\\x\\\\y";
        QTest::newRow("unicode name") << "Name" << QString::fromUtf8("Jö Smïth ☂");
        QTest::newRow("password with = and #") << "Password"
                                               << "a=b#c\\n";
    }
    void valuesReadBackAsWritten()
    {
        QFETCH(QString, key);
        QFETCH(QString, value);
        const QByteArray text = AccountFile::updated(HandWritten, { { key, value } });
        QCOMPARE(AccountFile::value(text, key).value_or(QString("<none>")), value);
    }

#ifdef CORVANE_HAVE_NODE_CONFIG
    // What the set-up writes, the node reads: the same values, the station information's breaks as CR.
    void nodeReadsWhatIsWritten()
    {
        const QByteArray text = AccountFile::updated(HandWritten.left(HandWritten.indexOf("MyOwnKey")),
                                                     { { "Callsign", QString("Q1XYZ") },
                                                       { "Name", QString("Jo Smith") },
                                                       { "Info", QString("Line one\nC:\\two") },
                                                       { "AudioIn", QString("alsa:default") } });
        QString error;
        const auto config = NodeConfigFile::parse(text, &error);
        QVERIFY2(config, qPrintable(error));
        QCOMPARE(config->callsign, QString("Q1XYZ"));
        QCOMPARE(config->info, QString("Line one\rC:\\two"));
        QCOMPARE(config->location, QString("Elm Falls"));
    }
#endif

    void writeIsPrivateAndWhole()
    {
        QTemporaryDir dir;
        const QString path = dir.path() + "/corvane/echolink.conf";
        QString error;
        QVERIFY2(AccountFile::write(path, { { "Callsign", QString("Q1ABC") } }, &error), qPrintable(error));
        QCOMPARE(accountFileMode(path), mode_t(0600));
        QCOMPARE(accountFileMode(dir.path() + "/corvane"), mode_t(0700));

        // A file the operator left readable by others becomes private on the next write.
        writeAccountFileText(path, HandWritten, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadOther);
        QVERIFY(AccountFile::write(path, { { "Name", QString("Jo") } }, &error));
        QCOMPARE(accountFileMode(path), mode_t(0600));
        QCOMPARE(accountFileText(path), HandWritten + "Name=Jo\n");
        // No temporary file stays behind.
        QCOMPARE(QDir(dir.path() + "/corvane").entryList(QDir::Files), QStringList { "echolink.conf" });

        // A refused value leaves the file exactly as it was.
        QVERIFY(!AccountFile::write(path, { { "Name", QString("x\nPassword=y") } }, &error));
        QVERIFY(error.contains("Name"));
        QCOMPARE(accountFileText(path), HandWritten + "Name=Jo\n");
    }

    // A file behind a link is rewritten where it is, and the link stays a link.
    void writeThroughALink()
    {
        QTemporaryDir dir;
        QVERIFY(QDir().mkpath(dir.path() + "/dotfiles"));
        QVERIFY(QDir().mkpath(dir.path() + "/corvane"));
        const QString target = dir.path() + "/dotfiles/echolink.conf";
        writeAccountFileText(target, HandWritten, QFile::ReadOwner | QFile::WriteOwner);
        const QString link = dir.path() + "/corvane/echolink.conf";
        QVERIFY(QFile::link(target, link));
        QString error;
        QVERIFY2(AccountFile::write(link, { { "Name", QString("Jo") } }, &error), qPrintable(error));
        QVERIFY(QFileInfo(link).isSymLink());
        QCOMPARE(accountFileText(target), HandWritten + "Name=Jo\n");
        QCOMPARE(accountFileMode(target), mode_t(0600));
    }

    // A folder that cannot be made (its parent is a file): the reason names it, nothing is left behind.
    void writeFailsWithReason()
    {
        QTemporaryDir dir;
        writeAccountFileText(dir.path() + "/plain", "x", QFile::ReadOwner | QFile::WriteOwner);
        QString error;
        QVERIFY(
            !AccountFile::write(dir.path() + "/plain/corvane/echolink.conf", { { "Name", QString("Jo") } }, &error));
        QVERIFY2(error.contains(dir.path() + "/plain"), qPrintable(error));
        QCOMPARE(accountFileText(dir.path() + "/plain"), QByteArray("x"));
    }

    void oversizedFileIsNotRewritten()
    {
        QTemporaryDir dir;
        const QString path = dir.path() + "/echolink.conf";
        writeAccountFileText(path, QByteArray(AccountFile::MaxFileBytes + 1, '#'),
                             QFile::ReadOwner | QFile::WriteOwner);
        QString error;
        QVERIFY(!AccountFile::write(path, { { "Name", QString("Jo") } }, &error));
        QCOMPARE(accountFileText(path).size(), AccountFile::MaxFileBytes + 1);
    }

    // The secret store when it works; the file only where none exists; a refusing store is reported.
    void passwordGoesToTheRightPlace()
    {
        QTemporaryDir dir;
        const QString path = dir.path() + "/echolink.conf";
        writeAccountFileText(path, HandWritten, QFile::ReadOwner | QFile::WriteOwner);
        ScriptedSecretStore store;

        auto saved = AccountPassword::save(store, "q1abc", "new secret", path);
        QCOMPARE(saved.place, Place::SecretStore);
        QCOMPARE(store.kept.value("Q1ABC"), QString("new secret"));
        // The file's old copy is gone, the rest as written by hand.
        QCOMPARE(accountFileText(path), QByteArray(HandWritten).replace("Password=old secret\n", ""));
        auto found = AccountPassword::read(store, QString(), path);
        QCOMPARE(found.place, Place::SecretStore);
        QCOMPARE(found.password, QString("new secret"));
        QVERIFY(AccountPassword::namesStation(store, path));

        store.answer = Result::NoStore;
        store.kept.clear();
        saved = AccountPassword::save(store, "Q1ABC", "file secret", path);
        QCOMPARE(saved.place, Place::File);
        QCOMPARE(accountFileMode(path), mode_t(0600));
        QVERIFY(accountFileText(path).contains("\nPassword=file secret\n"));
        found = AccountPassword::read(store, "Q1ABC", path);
        QCOMPARE(found.place, Place::File);
        QCOMPARE(found.password, QString("file secret"));

        // A store that exists but refuses (locked, denied): nothing goes to the file behind its back.
        store.answer = Result::Failed;
        const QByteArray before = accountFileText(path);
        saved = AccountPassword::save(store, "Q1ABC", "third", path);
        QCOMPARE(saved.place, Place::Nowhere);
        QVERIFY(saved.problem.contains("scripted"));
        QVERIFY(!saved.problem.contains("third"));
        QCOMPARE(accountFileText(path), before);
        // Reading still finds the file's copy, and says why the store was not used.
        found = AccountPassword::read(store, "Q1ABC", path);
        QCOMPARE(found.password, QString("file secret"));
        QVERIFY(!found.problem.isEmpty());
    }

    void noPasswordAnywhere()
    {
        QTemporaryDir dir;
        const QString path = dir.path() + "/echolink.conf";
        ScriptedSecretStore store;
        QCOMPARE(AccountPassword::read(store, QString(), path).place, Place::Nowhere);
        QCOMPARE(store.calls, 0); // no callsign: nothing to ask the store for
        QVERIFY(!AccountPassword::namesStation(store, path));
        writeAccountFileText(path, "Callsign=Q1ABC\n", QFile::ReadOwner | QFile::WriteOwner);
        QVERIFY(!AccountPassword::namesStation(store, path));
    }

    // The real desktop store with no session bus: there is no store, so the password goes to the file.
    void desktopStoreWithoutSessionBusFallsBackToTheFile()
    {
        const QByteArray bus = qgetenv("DBUS_SESSION_BUS_ADDRESS");
        qunsetenv("DBUS_SESSION_BUS_ADDRESS");
        QTemporaryDir dir;
        const QString path = dir.path() + "/echolink.conf";
        AccountPassword::DesktopSecretStore store(5000);
        const auto saved = AccountPassword::save(store, "Q1ABC", "fallback secret", path);
        const auto found = AccountPassword::read(store, "Q1ABC", path);
        if (!bus.isEmpty())
            qputenv("DBUS_SESSION_BUS_ADDRESS", bus);
        QVERIFY2(saved.place == Place::File, qPrintable(saved.problem));
        QCOMPARE(accountFileMode(path), mode_t(0600));
        QCOMPARE(found.place, Place::File);
        QCOMPARE(found.password, QString("fallback secret"));
    }

    // A session bus on which no secret store runs or can be started: there is no store, so the file.
    void desktopStoreOnABusWithoutSecretService()
    {
        QTemporaryDir dir;
        AccountTestBus bus(dir.path(), false);
        if (!bus.started())
            QSKIP("no private session bus could be started (dbus-daemon missing)");
        const QString path = dir.path() + "/echolink.conf";
        AccountPassword::DesktopSecretStore store(5000);
        const auto saved = AccountPassword::save(store, "Q1ABC", "bus secret", path);
        QVERIFY2(saved.place == Place::File, qPrintable(saved.problem));
        QCOMPARE(AccountPassword::read(store, "Q1ABC", path).password, QString("bus secret"));
    }

    // The real desktop store on a private session bus with GNOME Keyring, when both can be started here.
    void desktopStoreOnAPrivateKeyring()
    {
        const QString keyring = QStandardPaths::findExecutable("gnome-keyring-daemon");
        if (keyring.isEmpty())
            QSKIP("gnome-keyring-daemon is not installed");
        QTemporaryDir dir;
        AccountTestBus bus(dir.path(), true);
        if (!bus.started())
            QSKIP("no private session bus could be started (dbus-daemon missing)");
        QProcess daemon;
        daemon.setProcessEnvironment(QProcessEnvironment::systemEnvironment());
        daemon.start(keyring, { "--foreground", "--unlock", "--components=secrets" });
        daemon.write("test-keyring-password");
        daemon.closeWriteChannel();
        const auto stop = [&] {
            daemon.kill();
            daemon.waitForFinished(3000);
        };
        if (!daemon.waitForStarted(5000))
            QSKIP("gnome-keyring-daemon could not start");
        // It owns its name on the bus once it is ready.
        QTRY_VERIFY_WITH_TIMEOUT(bus.hasName("org.freedesktop.secrets"), 5000);
        const QString path = dir.path() + "/echolink.conf";
        AccountPassword::DesktopSecretStore store(10000);
        const auto saved = AccountPassword::save(store, "Q1ABC", "keyring secret", path);
        if (saved.place != Place::SecretStore) {
            const QString why = saved.problem;
            stop();
            QSKIP(qPrintable("the keyring on a private bus did not take the password: " + why));
        }
        const auto found = AccountPassword::read(store, "Q1ABC", path);
        QString error;
        store.remove("Q1ABC", &error);
        stop();
        QCOMPARE(found.place, Place::SecretStore);
        QCOMPARE(found.password, QString("keyring secret"));
        QVERIFY(!accountFileText(path).contains("keyring secret"));
    }
};

QTEST_GUILESS_MAIN(TestAccountFile)
#include "TestAccountFile.moc"
