#include "platform/ScreenReaderPresence.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QFileInfo>
#include <QProcess>
#include <QTest>

using ScreenReaderPresence::Listener;

// A screen reader is known by the focus listeners it registers with the accessibility registry (the
// desktop's flag stays false when one is started by hand). The rules on their own, then a real registry
// on a private bus with a client registering as a screen reader does.
class TestScreenReaderPresence : public QObject
{
    Q_OBJECT

private slots:
    void cleanup()
    {
        qunsetenv("CORVANE_SCREEN_READER");
        qunsetenv("AT_SPI_BUS_ADDRESS");
    }

    void listensForFocus_data()
    {
        QTest::addColumn<QString>("event");
        QTest::addColumn<bool>("focus");
        QTest::newRow("focus events") << "focus:" << true;
        QTest::newRow("the focused state") << "object:state-changed:focused" << true;
        QTest::newRow("every state change") << "object:state-changed:" << true;
        QTest::newRow("every object event") << "object:" << true;
        QTest::newRow("older spelling") << "Object:StateChanged:Focused" << true;
        QTest::newRow("another state") << "object:state-changed:checked" << false;
        QTest::newRow("children") << "object:children-changed" << false;
        QTest::newRow("windows") << "window:activate" << false;
        QTest::newRow("nothing") << "" << false;
    }

    void listensForFocus()
    {
        QFETCH(QString, event);
        QFETCH(bool, focus);
        QCOMPARE(ScreenReaderPresence::listensForFocus(event), focus);
    }

    void screenReaderIn_data()
    {
        QTest::addColumn<QList<Listener>>("listeners");
        QTest::addColumn<bool>("flag");
        QTest::addColumn<bool>("found");
        const Listener windows { ":1.5", "window:activate" };
        const Listener focused { ":1.9", "object:state-changed:focused" };
        QTest::newRow("nobody listens") << QList<Listener>() << false << false;
        QTest::newRow("only window events") << QList<Listener> { windows } << false << false;
        QTest::newRow("a screen reader started by hand") << QList<Listener> { windows, focused } << false << true;
        QTest::newRow("the desktop's flag") << QList<Listener>() << true << true;
    }

    void screenReaderIn()
    {
        QFETCH(QList<Listener>, listeners);
        QFETCH(bool, flag);
        QFETCH(bool, found);
        QCOMPARE(ScreenReaderPresence::screenReaderIn(listeners, flag), found);
    }

    void theEnvironmentDecidesWhenSet()
    {
        qputenv("CORVANE_SCREEN_READER", "yes");
        QVERIFY(ScreenReaderPresence::running());
        qputenv("CORVANE_SCREEN_READER", "no");
        qputenv("AT_SPI_BUS_ADDRESS", "unix:path=/nonexistent/bus");
        QVERIFY(!ScreenReaderPresence::running());
    }

    void aRealRegistryWithAFocusListenerShowsAScreenReader()
    {
        const QString registryd = QStringLiteral("/usr/libexec/at-spi2-registryd");
        if (!QFileInfo::exists(registryd))
            QSKIP("at-spi2-registryd is not installed");
        QProcess bus;
        bus.start(QStringLiteral("dbus-daemon"),
                  { QStringLiteral("--session"), QStringLiteral("--nofork"), QStringLiteral("--print-address=1") });
        QVERIFY(bus.waitForReadyRead(5000));
        const QByteArray address = bus.readLine().trimmed();
        QVERIFY(!address.isEmpty());
        QProcess registry;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("AT_SPI_BUS_ADDRESS"), QString::fromUtf8(address));
        env.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), QString::fromUtf8(address));
        registry.setProcessEnvironment(env);
        registry.start(registryd, {});
        QVERIFY(registry.waitForStarted());
        qputenv("AT_SPI_BUS_ADDRESS", address);
        qunsetenv("DBUS_SESSION_BUS_ADDRESS");

        QTRY_VERIFY_WITH_TIMEOUT(registryAnswers(address), 5000);
        QVERIFY(!ScreenReaderPresence::running());

        {
            QDBusConnection reader = QDBusConnection::connectToBus(QString::fromUtf8(address), "reader");
            QVERIFY(reader.isConnected());
            for (const char* event : { "window:activate", "object:state-changed:focused", "focus:" }) {
                QDBusMessage call = QDBusMessage::createMethodCall(
                    "org.a11y.atspi.Registry", "/org/a11y/atspi/registry", "org.a11y.atspi.Registry", "RegisterEvent");
                call << QString::fromLatin1(event);
                QCOMPARE(reader.call(call).type(), QDBusMessage::ReplyMessage);
            }
            QVERIFY(ScreenReaderPresence::running());
        }
        QDBusConnection::disconnectFromBus("reader");
        QTRY_VERIFY_WITH_TIMEOUT(!ScreenReaderPresence::running(), 5000);

        registry.kill();
        registry.waitForFinished();
        bus.kill();
        bus.waitForFinished();
    }

private:
    static bool registryAnswers(const QByteArray& address)
    {
        QDBusConnection probe = QDBusConnection::connectToBus(QString::fromUtf8(address), "probe");
        const QDBusMessage call = QDBusMessage::createMethodCall("org.a11y.atspi.Registry", "/org/a11y/atspi/registry",
                                                                 "org.a11y.atspi.Registry", "GetRegisteredEvents");
        const bool answers = probe.call(call, QDBus::Block, 1000).type() == QDBusMessage::ReplyMessage;
        QDBusConnection::disconnectFromBus("probe");
        return answers;
    }
};

QTEST_GUILESS_MAIN(TestScreenReaderPresence)
#include "TestScreenReaderPresence.moc"
