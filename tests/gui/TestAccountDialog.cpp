// The account and audio set-up through its widgets: what a screen reader is told of every field, the tab
// order and typing as real key events, saving to the file, the check against the fake directory, and
// Ctrl+O in the window.
#include "account/AccountDialog.h"
#include "account/AccountFile.h"
#include "speech/KeyboardMap.h"
#include "util/FormFixture.h"

#include <QAccessible>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTest>

namespace {

// A secret store that is not there, as on a desktop without one.
class AbsentSecretStore : public AccountPassword::SecretStore
{
public:
    Result read(const QString&, QString*, QString* error) override
    {
        *error = QStringLiteral("no store");
        return Result::NoStore;
    }
    Result write(const QString&, const QString&, QString* error) override
    {
        *error = QStringLiteral("no store");
        return Result::NoStore;
    }
    Result remove(const QString&, QString*) override { return Result::NoStore; }
};

// fake-echolink-directory on 127.0.0.1 and a port of its own choosing.
class AccountFakeDirectory
{
public:
    explicit AccountFakeDirectory(const QStringList& arguments)
    {
        m_process.setProgram(qEnvironmentVariable("CORVANE_FAKE_DIRECTORY"));
        m_process.setArguments(QStringList { "--address", "127.0.0.1", "--port", "0" } + arguments);
        m_process.setProcessChannelMode(QProcess::SeparateChannels);
        m_process.start();
        const QRegularExpression listening(QStringLiteral("listening on 127.0.0.1 port (\\d+)"));
        for (int i = 0; i < 100 && m_port == 0 && m_process.state() != QProcess::NotRunning; ++i) {
            m_process.waitForReadyRead(100);
            m_log += m_process.readAllStandardError() + m_process.readAllStandardOutput();
            const auto match = listening.match(QString::fromLatin1(m_log));
            if (match.hasMatch())
                m_port = static_cast<quint16>(match.captured(1).toUInt());
        }
    }
    ~AccountFakeDirectory()
    {
        m_process.kill();
        m_process.waitForFinished(2000);
    }
    quint16 port() const { return m_port; }
    // With --verbose: the status of the last login it took ("ONLINE3.38(12:00)", "OFF-V3.40"), empty before one.
    QString lastLoginStatus()
    {
        m_log += m_process.readAllStandardError();
        const QRegularExpression login(QStringLiteral("login \\S+ (\\S+) from"));
        QString status;
        auto matches = login.globalMatch(QString::fromLatin1(m_log));
        while (matches.hasNext())
            status = matches.next().captured(1);
        return status;
    }

private:
    QProcess m_process;
    QByteArray m_log;
    quint16 m_port = 0;
};

// A dialog on a fake voice and a virtual clock, writing into a fresh folder.
struct AccountDialogFixture
{
    QTemporaryDir dir;
    FakeVoice voice;
    Announcer announcer { voice };
    VirtualClock clock;
    AbsentSecretStore secrets;
    std::unique_ptr<AccountDialog> dialog;

    explicit AccountDialogFixture(quint16 directoryPort = 5200, std::function<bool()> nodeRunning = {})
    {
        dialog = std::make_unique<AccountDialog>(AccountDialogParts {
            announcer, clock, secrets, path(), { QStringLiteral("127.0.0.1") }, directoryPort, nodeRunning });
    }
    QString path() const { return dir.path() + QStringLiteral("/corvane/echolink.conf"); }
    template<class W = QWidget> W* field(const char* name) const
    {
        W* found = dialog->findChild<W*>(QLatin1String(name));
        if (!found)
            qFatal("no field %s", name);
        return found;
    }
    void showAndLoad()
    {
        dialog->show();
        dialog->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(dialog.get()));
        dialog->load();
    }
    QByteArray fileText() const
    {
        QFile file(path());
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
};

const char* const TabOrder[]
    = { "edtCallsign",        "edtPassword", "edtName",     "edtLocation",   "edtInfo", "cbMicrophone",
        "btnMicrophoneLevel", "cbSpeaker",   "btnTestTone", "btnCheckLogin", "btnSave", "btnCancel" };

} // namespace

class TestAccountDialog : public QObject
{
    Q_OBJECT
private slots:
    void everyFieldIsNamedAndDescribed_data()
    {
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("describedAs");
        const auto row = [](const char* field, const QString& name, const QString& describedAs) {
            QTest::newRow(field) << QString(field) << name << describedAs;
        };
        row("edtCallsign", "Callsign", "validated by EchoLink");
        row("edtPassword", "Password", "secret store");
        row("edtName", "Name", "your name");
        row("edtLocation", "Location", "0 of 27 characters");
        row("edtInfo", "Station information", "Tab moves on");
        row("cbMicrophone", "Microphone", "transmits from");
        row("btnMicrophoneLevel", "Microphone level", "says how loud");
        row("cbSpeaker", "Speaker", "plays received");
        row("btnTestTone", "Test tone", "one-second tone");
        row("btnCheckLogin", "Check the login", "says the result");
        row("btnSave", "Save", "Saves");
        row("btnCancel", "Cancel", "without saving");
    }
    void everyFieldIsNamedAndDescribed()
    {
        QFETCH(QString, field);
        QFETCH(QString, name);
        QFETCH(QString, describedAs);
        AccountDialogFixture f;
        f.dialog->show();
        QAccessibleInterface* access = QAccessible::queryAccessibleInterface(f.field(field.toLatin1().constData()));
        QVERIFY(access);
        // A combo box on Linux is named by its label (the label relation), its own name being its choice.
        QString named = access->text(QAccessible::Name);
        for (const auto& [label, relation] : access->relations(QAccessible::Label)) {
            if (named != name && label->text(QAccessible::Name) == name)
                named = name;
        }
        QCOMPARE(named, name);
        QCOMPARE(f.field(field.toLatin1().constData())->accessibleName(), name);
        QVERIFY2(access->text(QAccessible::Description).contains(describedAs, Qt::CaseInsensitive),
                 qPrintable(access->text(QAccessible::Description)));
        // The password is never exposed as text.
        if (field == "edtPassword") {
            f.field<QLineEdit>("edtPassword")->setText("hunter2");
            QVERIFY(!access->text(QAccessible::Value).contains("hunter2"));
        }
    }

    // Alt with each underlined letter reaches one field only.
    void mnemonicsAreUnique()
    {
        AccountDialogFixture f;
        QStringList letters;
        for (QLabel* label : f.dialog->findChildren<QLabel*>()) {
            if (label->buddy())
                letters << label->text();
        }
        for (QPushButton* button : f.dialog->findChildren<QPushButton*>())
            letters << button->text();
        QSet<QChar> seen;
        for (const QString& text : std::as_const(letters)) {
            const qsizetype amp = text.indexOf('&');
            if (amp < 0 || amp + 1 >= text.size())
                continue;
            const QChar letter = text.at(amp + 1).toLower();
            QVERIFY2(!seen.contains(letter), qPrintable(QString("Alt+%1 twice, again in %2").arg(letter).arg(text)));
            seen.insert(letter);
        }
        QVERIFY(seen.size() >= 10);
    }

    // Tab walks the fields in reading order, station information included (Tab leaves it, never types).
    void tabOrderWithRealKeys()
    {
        AccountDialogFixture f;
        f.showAndLoad();
        QCOMPARE(QApplication::focusWidget(), f.field("edtCallsign"));
        for (size_t i = 1; i < std::size(TabOrder); ++i) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            QCOMPARE(QApplication::focusWidget()->objectName(), QString(TabOrder[i]));
        }
        QVERIFY(f.field<QPlainTextEdit>("edtInfo")->toPlainText().isEmpty());
    }

    void locationIsCountedAsTyped()
    {
        AccountDialogFixture f;
        f.showAndLoad();
        auto* location = f.field<QLineEdit>("edtLocation");
        location->setFocus();
        QTest::keyClicks(location, "Elm Falls");
        QCOMPARE(f.field<QLabel>("lblLocationCount")->text(), QString("9 of 27 characters"));
        QAccessibleInterface* access = QAccessible::queryAccessibleInterface(location);
        QVERIFY(access->text(QAccessible::Description).contains("9 of 27 characters"));
        f.voice.spoken.clear();
        // The 27th character fills it; the voice says so once; more typing is not taken.
        QTest::keyClicks(location, " near the old mill and on");
        QCOMPARE(location->text().size(), 27);
        QVERIFY(access->text(QAccessible::Description).contains("27 of 27 characters"));
        QCOMPARE(f.voice.texts().filter("Location full").size(), 1);
        QTest::keyClick(location, Qt::Key_Backspace);
        QCOMPARE(f.field<QLabel>("lblLocationCount")->text(), QString("26 of 27 characters"));
    }

    // Typed into the fields, saved: the hand-written file keeps its comments and keys, the password goes
    // to the file (no secret store here) with mode 600, and the station information keeps its lines.
    void saveWritesTheFile()
    {
        AccountDialogFixture f;
        QDir().mkpath(f.dir.path() + "/corvane");
        {
            QFile file(f.path());
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write("# mine\nServers=127.0.0.1\nName=Old Name\n#AudioIn=alsa:default\n");
        }
        f.showAndLoad();
        QCOMPARE(f.field<QLineEdit>("edtName")->text(), QString("Old Name"));
        QTest::keyClicks(f.field("edtCallsign"), "q1abc");
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QTest::keyClicks(QApplication::focusWidget(), "pass word");
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_A, Qt::ControlModifier);
        QTest::keyClicks(QApplication::focusWidget(), "Jo Smith");
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QTest::keyClicks(QApplication::focusWidget(), "Elm Falls");
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QTest::keyClicks(QApplication::focusWidget(), "Jo here");
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        QTest::keyClicks(QApplication::focusWidget(), "C:\\radio");
        QSignalSpy saved(f.dialog.get(), &AccountDialog::saved);
        f.field<QPushButton>("btnSave")->setFocus();
        QTest::keyClick(f.field("btnSave"), Qt::Key_Space);
        QCOMPARE(saved.size(), 1);
        QVERIFY(!f.dialog->isVisible());
        const QByteArray text = f.fileText();
        QVERIFY2(
            text.startsWith("# mine\nServers=127.0.0.1\nName=Jo Smith\n#AudioIn=alsa:default\nAudioIn=alsa:default\n"),
            text.constData());
        QVERIFY(text.contains("\nCallsign=Q1ABC\n"));
        QVERIFY(text.contains("\nLocation=Elm Falls\n"));
        QVERIFY(text.contains("\nInfo=Jo here\\nC:\\\\radio\n"));
        QVERIFY(text.contains("\nPassword=pass word\n"));
        QFile::Permissions permissions = QFile(f.path()).permissions();
        QCOMPARE(permissions & (QFile::ReadGroup | QFile::ReadOther | QFile::WriteGroup | QFile::WriteOther),
                 QFile::Permissions());
        QVERIFY(f.voice.texts().filter("Account saved").size() == 1);
    }

    // What cannot be saved is said, the focus goes to the field, the file stays as it was.
    void unusableFieldsAreSaid_data()
    {
        QTest::addColumn<QString>("callsign");
        QTest::addColumn<QString>("password");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("focused");
        QTest::addColumn<QString>("said");
        const auto row = [](const char* title, const QString& callsign, const QString& password, const QString& name,
                            const QString& focused, const QString& said) {
            QTest::newRow(title) << callsign << password << name << focused << said;
        };
        row("no callsign", "", "pw", "Jo", "edtCallsign", "callsign");
        row("not a callsign", "HELLO", "pw", "Jo", "edtCallsign", "callsign");
        row("no password", "Q1ABC", "", "Jo", "edtPassword", "password");
        row("password with the directory's separator", "Q1ABC", QString("pw") + QChar(0xAC), "Jo", "edtPassword",
            "password");
        row("pasted name with a line break", "Q1ABC", "pw", "Jo\nPassword=x", "AccountDialog", "Name holds");
    }
    void unusableFieldsAreSaid()
    {
        QFETCH(QString, callsign);
        QFETCH(QString, password);
        QFETCH(QString, name);
        QFETCH(QString, focused);
        QFETCH(QString, said);
        AccountDialogFixture f;
        f.showAndLoad();
        f.field<QLineEdit>("edtCallsign")->setText(callsign);
        f.field<QLineEdit>("edtPassword")->setText(password);
        f.field<QLineEdit>("edtName")->setText(name);
        f.voice.spoken.clear();
        QVERIFY(!f.dialog->save());
        QVERIFY2(f.voice.texts().join('|').contains(said, Qt::CaseInsensitive), qPrintable(f.voice.texts().join('|')));
        if (focused != "AccountDialog")
            QCOMPARE(QApplication::focusWidget()->objectName(), focused);
        QVERIFY(!QFile::exists(f.path()));
    }

    void checkAgainstTheFakeDirectory_data()
    {
        QTest::addColumn<QString>("password");
        QTest::addColumn<bool>("directoryUp");
        QTest::addColumn<QString>("result");
        QTest::newRow("right password") << "secret" << true << AccountDialog::LoggedIn;
        QTest::newRow("wrong password") << "wrong" << true << AccountDialog::IncorrectPassword;
        QTest::newRow("no directory") << "secret" << false << AccountDialog::NoDirectory;
    }
    void checkAgainstTheFakeDirectory()
    {
        QFETCH(QString, password);
        QFETCH(bool, directoryUp);
        QFETCH(QString, result);
        if (qEnvironmentVariableIsEmpty("CORVANE_FAKE_DIRECTORY"))
            QSKIP("the fake directory is not built here");
        std::unique_ptr<AccountFakeDirectory> fake;
        quint16 port = 0;
        if (directoryUp) {
            fake = std::make_unique<AccountFakeDirectory>(QStringList { "--account", "Q1ABC=secret" });
            port = fake->port();
            QVERIFY(port);
        } else {
            // A port nobody listens on: taken and given back.
            QTcpServer closed;
            QVERIFY(closed.listen(QHostAddress::LocalHost));
            port = closed.serverPort();
        }
        AccountDialogFixture f(port);
        f.showAndLoad();
        QTest::keyClicks(f.field("edtCallsign"), "q1abc");
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QTest::keyClicks(QApplication::focusWidget(), password);
        f.voice.spoken.clear();
        QSignalSpy finished(f.dialog.get(), &AccountDialog::checkFinished);
        f.field("btnCheckLogin")->setFocus();
        QTest::keyClick(f.field("btnCheckLogin"), Qt::Key_Space);
        QVERIFY(f.dialog->isChecking());
        QVERIFY(finished.wait(10000));
        QCOMPARE(f.dialog->checkResult(), result);
        QCOMPARE(f.field<QLabel>("lblCheckResult")->text(), result);
        QCOMPARE(f.voice.texts().constLast(), result);
        QVERIFY(!f.voice.texts().join('|').contains(password));
        // The check writes nothing.
        QVERIFY(!QFile::exists(f.path()));
    }

    // No devices in the test machine: each audio step says so rather than staying silent.
    void audioStepsSpeak()
    {
        AccountDialogFixture f;
        f.showAndLoad();
        QVERIFY(f.field<QComboBox>("cbMicrophone")->count() >= 1);
        QVERIFY(f.field<QComboBox>("cbSpeaker")->count() >= 1);
        f.voice.spoken.clear();
        f.dialog->playTestTone();
        f.dialog->measureMicrophone();
        f.clock.advance(AccountDialog::LevelListenMs);
        f.clock.advance(AccountDialog::ToneMs);
        QVERIFY2(f.voice.texts().size() >= 2, qPrintable(f.voice.texts().join('|')));
    }

    // Ctrl+O in the chat line opens the set-up with the focus in the callsign; nothing is typed; Escape
    // returns to the chat line.
    void ctrlOOpensItFromTheWindow()
    {
        qunsetenv("DBUS_SESSION_BUS_ADDRESS");
        FormFixture f;
        f.startUp();
        f.form->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(f.form.get()));
        auto* chat = f.widget<QLineEdit>("edtChat");
        chat->setFocus();
        QTest::keyClick(chat, Qt::Key_O, Qt::ControlModifier);
        AccountDialog* dialog = f.form->accountDialog();
        QVERIFY(dialog);
        QVERIFY(dialog->isVisible());
        QVERIFY(chat->text().isEmpty());
        QTRY_COMPARE(QApplication::activeWindow(), dialog);
        QCOMPARE(QApplication::focusWidget()->objectName(), QString("edtCallsign"));
        QVERIFY(f.voice.texts().join('|').contains("account and audio set-up"));
        // Asked again while open, it keeps what was typed.
        QTest::keyClicks(QApplication::focusWidget(), "q1");
        f.form->keys().FormKeyDown(Qt::Key_O, Qt::ControlModifier, KeyboardMap::Focus::Other);
        QCOMPARE(f.form->accountDialog(), dialog);
        QCOMPARE(dialog->findChild<QLineEdit*>("edtCallsign")->text(), QString("q1"));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
        QTRY_VERIFY(!f.form->accountDialog());
        QTRY_COMPARE(QApplication::focusWidget(), chat);
    }

    // At start the set-up is offered, by voice, only while no account is set up (no callsign, or no password
    // anywhere); no window opens by itself to catch keys meant for the chat line.
    void offeredAtStartOnlyWithoutAnAccount_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<bool>("offered");
        QTest::newRow("no file") << QByteArray() << true;
        QTest::newRow("callsign without password") << QByteArray("Callsign=Q1ABC\n") << true;
        QTest::newRow("password in the file") << QByteArray("Callsign=Q1ABC\nPassword=pw\n") << false;
    }
    void offeredAtStartOnlyWithoutAnAccount()
    {
        QFETCH(QByteArray, file);
        QFETCH(bool, offered);
        qunsetenv("DBUS_SESSION_BUS_ADDRESS");
        const QString path = AccountFile::defaultPath();
        QFile::remove(path);
        if (!file.isEmpty()) {
            QVERIFY(QDir().mkpath(QFileInfo(path).absolutePath()));
            QFile out(path);
            QVERIFY(out.open(QIODevice::WriteOnly));
            out.write(file);
        }
        FormFixture f;
        f.startUp();
        f.voice.spoken.clear();
        f.form->offerAccountSetup();
        QCOMPARE(f.voice.texts().contains(AccountDialog::StartOffer), offered);
        QVERIFY(!f.form->accountDialog());
        QFile::remove(path);
    }
};

QTEST_MAIN(TestAccountDialog)
#include "TestAccountDialog.moc"
