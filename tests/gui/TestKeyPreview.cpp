// The key preview on its own: a window with an edit line and a button, a target that records the order.
#include "app/KeyPreview.h"

#include <QApplication>
#include <QInputMethodEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QVBoxLayout>

namespace {

// An edit line that writes its own key-downs into the same record.
class RecordingLine : public QLineEdit
{
public:
    explicit RecordingLine(QStringList& record, QWidget* parent)
        : QLineEdit(parent)
        , m_record(record)
    {
    }

protected:
    void keyPressEvent(QKeyEvent* event) override
    {
        m_record << QStringLiteral("control:%1").arg(event->key(), 0, 16);
        QLineEdit::keyPressEvent(event);
    }

private:
    QStringList& m_record;
};

struct Target : KeyPreviewTarget
{
    QStringList record;
    bool on = true;
    QList<int> consume;
    Qt::KeyboardModifiers lastModifiers;

    bool keyPreviewOn() const override { return on; }
    bool previewKeyDown(QWidget*, int qtKey, Qt::KeyboardModifiers modifiers) override
    {
        lastModifiers = modifiers;
        record << QStringLiteral("down:%1").arg(qtKey, 0, 16);
        return consume.contains(qtKey);
    }
    void keyPress(QWidget*, const QString& character) override { record << QStringLiteral("press:") + character; }
    void previewKeyUp(QWidget*) override { record << QStringLiteral("up"); }
};

struct Window
{
    Target target;
    QWidget window;
    RecordingLine* line;
    QPushButton* button;
    KeyPreview preview { window, target };

    Window()
        : line(new RecordingLine(target.record, &window))
        , button(new QPushButton(QStringLiteral("b"), &window))
    {
        auto* layout = new QVBoxLayout(&window);
        layout->addWidget(line);
        layout->addWidget(button);
    }
};

QString hex(int key)
{
    return QString::number(key, 16);
}

} // namespace

class TestKeyPreview : public QObject
{
    Q_OBJECT
private slots:
    void textLineCharacters_data()
    {
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("modifiers");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("typed");
        QTest::newRow("letter") << int(Qt::Key_A) << 0 << "a"
                                << "a";
        QTest::newRow("shifted letter") << int(Qt::Key_A) << int(Qt::ShiftModifier) << "A"
                                        << "A";
        QTest::newRow("space") << int(Qt::Key_Space) << 0 << " "
                               << " ";
        QTest::newRow("return") << int(Qt::Key_Return) << 0 << "\r"
                                << "\r";
        QTest::newRow("keypad enter") << int(Qt::Key_Enter) << int(Qt::KeypadModifier) << "\r"
                                      << "\r";
        QTest::newRow("backspace") << int(Qt::Key_Backspace) << 0 << "\b"
                                   << "\b";
        QTest::newRow("tab") << int(Qt::Key_Tab) << 0 << "\t"
                             << "";
        QTest::newRow("delete") << int(Qt::Key_Delete) << 0 << "\x7f"
                                << "";
        QTest::newRow("escape") << int(Qt::Key_Escape) << 0 << "\x1b"
                                << "";
        QTest::newRow("left") << int(Qt::Key_Left) << 0 << ""
                              << "";
        QTest::newRow("F5") << int(Qt::Key_F5) << 0 << ""
                            << "";
        QTest::newRow("ctrl+d") << int(Qt::Key_D) << int(Qt::ControlModifier) << "\x04"
                                << "";
        QTest::newRow("ctrl+d with letter text") << int(Qt::Key_D) << int(Qt::ControlModifier) << "d"
                                                 << "";
        QTest::newRow("alt+t") << int(Qt::Key_T) << int(Qt::AltModifier) << "t"
                               << "";
        QTest::newRow("altgr as ctrl+alt") << int(Qt::Key_E) << int(Qt::ControlModifier | Qt::AltModifier)
                                           << QString::fromUtf8("€") << QString::fromUtf8("€");
        QTest::newRow("dead key composed") << 0 << 0 << QString::fromUtf8("é") << QString::fromUtf8("é");
        QTest::newRow("beyond the basic plane") << 0 << 0 << QString::fromUtf8("𝄞") << QString::fromUtf8("𝄞");
    }
    void textLineCharacters()
    {
        QFETCH(int, key);
        QFETCH(int, modifiers);
        QFETCH(QString, text);
        QFETCH(QString, typed);
        QCOMPARE(KeyPreview::textLineCharacters(key, Qt::KeyboardModifiers(modifiers), text), typed);
    }

    void mapThenCharacterThenControlThenRelease()
    {
        Window w;
        QTest::keyClick(w.line, Qt::Key_A);
        QCOMPARE(w.target.record, (QStringList { "down:" + hex(Qt::Key_A), "press:a", "control:" + hex(Qt::Key_A),
                                                 "up" }));
        QCOMPARE(w.line->text(), QStringLiteral("a"));
    }

    void consumedKeyDownStillTypesItsCharacterIntoAnEditLine()
    {
        Window w;
        w.target.consume << Qt::Key_D << Qt::Key_Left;
        QTest::keyClick(w.line, Qt::Key_D);
        QCOMPARE(w.line->text(), QStringLiteral("d"));
        QVERIFY(w.target.record.contains(QStringLiteral("press:d")));
        QVERIFY(!w.target.record.contains("control:" + hex(Qt::Key_D)));
        w.line->setCursorPosition(1);
        QTest::keyClick(w.line, Qt::Key_Left);
        QCOMPARE(w.line->cursorPosition(), 1);
    }

    void keysWithoutCharactersAreNotHandedOn()
    {
        Window w;
        for (Qt::Key key : { Qt::Key_Tab, Qt::Key_Delete, Qt::Key_Left, Qt::Key_F2 })
            QTest::keyClick(w.line, key);
        for (const QString& entry : std::as_const(w.target.record))
            QVERIFY2(!entry.startsWith(QLatin1String("press:")), qPrintable(entry));
    }

    void theMapRunsOncePerKeyEvenWhenTheKeyTravelsToTheParents()
    {
        Window w;
        // A button does not take F7, so Qt offers it to the window as well.
        QTest::keyClick(w.button, Qt::Key_F7);
        QCOMPARE(w.target.record.count("down:" + hex(Qt::Key_F7)), 1);
        QCOMPARE(w.target.record.count(QStringLiteral("up")), 1);
    }

    void modifiersComeFromTheKeyboardState()
    {
        Window w;
        QTest::keyClick(w.line, Qt::Key_D, Qt::ControlModifier);
        QVERIFY(w.target.lastModifiers.testFlag(Qt::ControlModifier));
        QTest::keyClick(w.line, Qt::Key_D);
        QVERIFY(!w.target.lastModifiers.testFlag(Qt::ControlModifier));
    }

    void autoRepeatRepeatsTheKeyDownButNotTheRelease()
    {
        Window w;
        QTest::simulateEvent(w.line, true, Qt::Key_F4, Qt::NoModifier, QString(), false);
        QTest::simulateEvent(w.line, false, Qt::Key_F4, Qt::NoModifier, QString(), true);
        QTest::simulateEvent(w.line, true, Qt::Key_F4, Qt::NoModifier, QString(), true);
        QTest::simulateEvent(w.line, false, Qt::Key_F4, Qt::NoModifier, QString(), false);
        QCOMPARE(w.target.record.count("down:" + hex(Qt::Key_F4)), 2);
        QCOMPARE(w.target.record.count(QStringLiteral("up")), 1);
    }

    void withThePreviewOffOnlyCharactersAreHandedOn()
    {
        Window w;
        w.target.on = false;
        QTest::keyClick(w.line, Qt::Key_X);
        QCOMPARE(w.target.record, (QStringList { "press:x", "control:" + hex(Qt::Key_X) }));
    }

    void inputMethodCharactersAreHandedOnBeforeTheLineTakesThem()
    {
        Window w;
        QInputMethodEvent commit;
        commit.setCommitString(QString::fromUtf8("ßé"));
        QApplication::sendEvent(w.line, &commit);
        QCOMPARE(w.target.record, (QStringList { QString::fromUtf8("press:ß"), QString::fromUtf8("press:é") }));
        QCOMPARE(w.line->text(), QString::fromUtf8("ßé"));
    }

    void otherWindowsAreLeftAlone()
    {
        Window w;
        QLineEdit elsewhere;
        QTest::keyClick(&elsewhere, Qt::Key_A);
        QVERIFY(w.target.record.isEmpty());
        QCOMPARE(elsewhere.text(), QStringLiteral("a"));
    }
};

QTEST_MAIN(TestKeyPreview)
#include "TestKeyPreview.moc"
