#include <QTest>
class TestKeyboardMap : public QObject { Q_OBJECT };
QTEST_MAIN(TestKeyboardMap)
#include "TestKeyboardMap.moc"
