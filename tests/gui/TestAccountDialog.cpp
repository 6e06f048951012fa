// The account set-up through the window: Ctrl+O, the fields a screen reader names, the spoken location count,
// and Save writing the node's file.
#include "account/AccountDialog.h"
#include "util/FormFixture.h"

#include <QAccessible>
#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QTest>

class TestAccountDialog : public QObject
{
    Q_OBJECT
private:
    QTemporaryDir m_config;

    static QLineEdit* chatLine(FormFixture& f) { return f.widget<QLineEdit>(QStringLiteral("edtChat")); }
    static QWidget* focused() { return QApplication::focusWidget(); }
    static void press(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        QTest::keyClick(focused(), key, modifiers);
    }
    static void type(const QString& text) { QTest::keyClicks(focused(), text); }
    QString path() const { return m_config.path() + QStringLiteral("/corvane/echolink.conf"); }

    static AccountDialog* open(FormFixture& f)
    {
        f.startUp();
        f.form->activateWindow();
        if (!QTest::qWaitForWindowActive(f.form.get()))
            return nullptr;
        chatLine(f)->setFocus();
        f.voice.spoken.clear();
        QTest::keyClick(chatLine(f), Qt::Key_O, Qt::ControlModifier);
        AccountDialog* dialog = f.form->accountDialog();
        if (dialog && QTest::qWaitFor([dialog] { return QApplication::activeWindow() == dialog; }))
            return dialog;
        return nullptr;
    }

private slots:
    void init()
    {
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(m_config.path()));
        QFile::remove(path());
    }

    void everyFieldIsNamedDescribedAndInTabOrder()
    {
        FormFixture f;
        AccountDialog* dialog = open(f);
        QVERIFY(dialog);
        QCOMPARE(f.voice.texts(), QStringList { "EchoLink account" });
        const QList<QPair<QString, QString>> fields {
            { "edtAccountCallsign", "Callsign" },
            { "edtAccountPassword", "Password" },
            { "edtAccountName", "Name" },
            { "edtAccountLocation", "Location" },
            { "edtAccountInfo", "Station information" },
        };
        QStringList order;
        for (const auto& [objectName, name] : fields) {
            order << focused()->objectName();
            QAccessibleInterface* accessible
                = QAccessible::queryAccessibleInterface(dialog->findChild<QWidget*>(objectName));
            QVERIFY2(accessible, qPrintable(objectName));
            QCOMPARE(accessible->text(QAccessible::Name), name);
            QVERIFY2(!accessible->text(QAccessible::Description).isEmpty(), qPrintable(objectName));
            press(Qt::Key_Tab);
        }
        QCOMPARE(order,
                 (QStringList { "edtAccountCallsign", "edtAccountPassword", "edtAccountName", "edtAccountLocation",
                                "edtAccountInfo" }));
        QCOMPARE(focused()->objectName(), QStringLiteral("btnAccountSave"));
        // The password is never shown.
        QCOMPARE(dialog->findChild<QLineEdit*>("edtAccountPassword")->echoMode(), QLineEdit::Password);
    }

    void theLocationIsCountedAsItIsTypedAndCutAt27()
    {
        FormFixture f;
        AccountDialog* dialog = open(f);
        QVERIFY(dialog);
        dialog->findChild<QLineEdit*>("edtAccountLocation")->setFocus();
        type("Elm");
        QCOMPARE(f.voice.texts().last(), QStringLiteral("3 of 27 characters"));
        type(" Falls, somewhere far beyond the hills");
        QCOMPARE(dialog->findChild<QLineEdit*>("edtAccountLocation")->text(),
                 QStringLiteral("Elm Falls, somewhere far be"));
        QCOMPARE(dialog->findChild<QLabel*>("lblAccountLocationCount")->text(), QStringLiteral("27 of 27 characters"));
    }

    // Typed, saved with Enter, and read back by a second opening; the file is the owner's alone.
    void enterSavesTheAccountIntoTheNodesFile()
    {
        FormFixture f;
        AccountDialog* dialog = open(f);
        QVERIFY(dialog);
        type("q1abc");
        press(Qt::Key_Tab);
        type("s3cret");
        press(Qt::Key_Tab);
        type("Jo Smith");
        press(Qt::Key_Return);
        QVERIFY(!dialog->isVisible());
        QCOMPARE(f.voice.texts().last(),
                 QStringLiteral("Account saved. The EchoLink node uses it when it next starts"));
        QTRY_COMPARE(focused(), static_cast<QWidget*>(chatLine(f)));
        QFile file(path());
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(QString::fromUtf8(file.readAll()),
                 QStringLiteral("Callsign=Q1ABC\nPassword=s3cret\nName=Jo Smith\nLocation=\nInfo=\n"));
        QCOMPARE(file.permissions() & (QFileDevice::ReadGroup | QFileDevice::ReadOther), QFileDevice::Permissions {});
        QTest::keyClick(chatLine(f), Qt::Key_O, Qt::ControlModifier);
        QCOMPARE(dialog->findChild<QLineEdit*>("edtAccountCallsign")->text(), QStringLiteral("Q1ABC"));
        QCOMPARE(dialog->findChild<QLineEdit*>("edtAccountName")->text(), QStringLiteral("Jo Smith"));
    }

    void escapeLeavesTheFileAlone()
    {
        FormFixture f;
        AccountDialog* dialog = open(f);
        QVERIFY(dialog);
        type("q1abc");
        press(Qt::Key_Escape);
        QVERIFY(!dialog->isVisible());
        QVERIFY(!QFile::exists(path()));
        QTRY_COMPARE(focused(), static_cast<QWidget*>(chatLine(f)));
    }
};

QTEST_MAIN(TestAccountDialog)
#include "TestAccountDialog.moc"
