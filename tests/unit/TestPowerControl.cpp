#include "platform/PowerControl.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

Q_DECLARE_METATYPE(PowerAction)

// The power-off seam. Only the hook is ever asked to switch off: the login manager's implementation
// is created and its type checked, never called.
class TestPowerControl : public QObject
{
    Q_OBJECT

private slots:
    void cleanup();
    void modeChoosesWhatTheSystemIsAskedFor_data();
    void modeChoosesWhatTheSystemIsAskedFor();
    void hookAppendsOneLinePerRequest();
    void hookThatCannotWriteRefuses();
    void environmentChoosesTheHook();
    void withoutTheHookTheLoginManagerIsAsked();
};

void TestPowerControl::cleanup()
{
    qunsetenv("CORVANE_POWER_OFF_LOG");
}

void TestPowerControl::modeChoosesWhatTheSystemIsAskedFor_data()
{
    QTest::addColumn<int>("mode");
    QTest::addColumn<PowerAction>("action");
    QTest::newRow("forced power-off, what Corvane sends") << 12 << PowerAction::PowerOff;
    QTest::newRow("power-off") << 8 << PowerAction::PowerOff;
    QTest::newRow("shut down") << 1 << PowerAction::PowerOff;
    QTest::newRow("restart") << 2 << PowerAction::Reboot;
    QTest::newRow("forced restart") << 6 << PowerAction::Reboot;
    QTest::newRow("log off") << 0 << PowerAction::None;
    QTest::newRow("forced log off") << 4 << PowerAction::None;
}

void TestPowerControl::modeChoosesWhatTheSystemIsAskedFor()
{
    QFETCH(int, mode);
    QFETCH(PowerAction, action);
    QCOMPARE(powerActionForMode(mode), action);
}

void TestPowerControl::hookAppendsOneLinePerRequest()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("power-off.log");
    PowerOffLog log(path);
    QVERIFY(log.powerOff(PowerModes::ForcedPowerOff));
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), QByteArray("12\n"));
    file.close();

    // A second request appends; a file emptied meanwhile starts again.
    QVERIFY(log.powerOff(12));
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), QByteArray("12\n12\n"));
    file.close();
    QVERIFY(file.remove());
    QVERIFY(log.powerOff(2));
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), QByteArray("2\n"));
}

void TestPowerControl::hookThatCannotWriteRefuses()
{
    QTemporaryDir dir;
    PowerOffLog log(dir.filePath("missing-folder/power-off.log"));
    QVERIFY(!log.powerOff(12));
}

void TestPowerControl::environmentChoosesTheHook()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("power-off.log");
    qputenv("CORVANE_POWER_OFF_LOG", path.toLocal8Bit());
    const std::unique_ptr<PowerControl> control = createPowerControl();
    auto* log = dynamic_cast<PowerOffLog*>(control.get());
    // Never ask anything else to switch off.
    QVERIFY(log);
    QCOMPARE(log->path(), path);
    QVERIFY(log->powerOff(12));
    QVERIFY(QFile::exists(path));
}

void TestPowerControl::withoutTheHookTheLoginManagerIsAsked()
{
    qunsetenv("CORVANE_POWER_OFF_LOG");
    const std::unique_ptr<PowerControl> control = createPowerControl();
    QVERIFY(dynamic_cast<LogindPowerControl*>(control.get()));
    qputenv("CORVANE_POWER_OFF_LOG", "");
    QVERIFY(dynamic_cast<LogindPowerControl*>(createPowerControl().get()));
}

QTEST_GUILESS_MAIN(TestPowerControl)
#include "TestPowerControl.moc"
