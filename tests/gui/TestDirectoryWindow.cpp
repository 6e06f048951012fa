// The station directory through the window: Ctrl+L, typing, arrows, Enter and Escape as real key events on
// the focused control, what is spoken, the screen reader's names, and refreshes that keep the place.
#include "chat/CommandTable.h"
#include "chat/MemoryButtons.h"
#include "directory/DirectoryWindow.h"
#include "speech/Phonetics.h"
#include "util/FormFixture.h"

#include <QAccessible>
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QTableView>
#include <QTest>

using StationDirectory::Entry;
using StationDirectory::Kind;

namespace {

QList<Entry> sample()
{
    return {
        { "*AURORA*", "Aurora Net, daily", "on", 910001, Kind::Conference },
        { "Q1ABC", "Jo Smith, Elm Falls", "on", 123456, Kind::Station },
        { "Q1ABD", "Sam Reed, Elm Falls", "busy", 123457, Kind::Station },
        { "Q1ABC-L", "Elm Falls 146.520 link", "on", 123458, Kind::Link },
        { "Q2XY-R", "Millbrook 442.100+", "on", 231000, Kind::Repeater },
        { "Q3ELM", "Ana Lopez, Harbor Point", "in conference *AURORA*", 45123, Kind::Station },
    };
}

} // namespace

class TestDirectoryWindow : public QObject
{
    Q_OBJECT
private:
    static QLineEdit* chatLine(FormFixture& f) { return f.widget<QLineEdit>(QStringLiteral("edtChat")); }

    static void ready(FormFixture& f)
    {
        f.session.directory = sample();
        f.startUp();
        f.form->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(f.form.get()));
        chatLine(f)->setFocus();
        f.voice.spoken.clear();
        f.session.calls.clear();
    }
    // Ctrl+L typed in the chat line; the directory comes up active with the focus in its find line.
    static DirectoryWindow* open(FormFixture& f)
    {
        QTest::keyClick(chatLine(f), Qt::Key_L, Qt::ControlModifier);
        DirectoryWindow* window = f.form->directoryWindow();
        // A dialog counts as active while its parent is (QWindow::isActive); wait for the real activation.
        if (window && QTest::qWaitFor([window] { return QApplication::activeWindow() == window; }))
            return window;
        return nullptr;
    }
    static QWidget* focused() { return QApplication::focusWidget(); }
    static void press(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        QTest::keyClick(focused(), key, modifiers);
    }
    static void type(const QString& text) { QTest::keyClicks(focused(), text); }
    static QString lastSpoken(FormFixture& f) { return f.voice.spoken.isEmpty() ? QString() : f.voice.texts().last(); }

private slots:
    void ctrlLOpensTheDirectoryAndSaysHowManyStations()
    {
        FormFixture f;
        ready(f);
        DirectoryWindow* window = open(f);
        QVERIFY(window);
        QCOMPARE(focused()->objectName(), QStringLiteral("edtDirectoryFind"));
        QCOMPARE(f.session.callsOf("StationList").size(), 1);
        QCOMPARE(window->matchCount(), 6);
        QCOMPARE(f.voice.texts(), QStringList { "Station directory. 6 stations" });
        QVERIFY(chatLine(f)->text().isEmpty()); // Ctrl+L types nothing
    }

    // Part of a callsign, one match heard (with its row), Enter: the usual connect path calls EchoLink.
    void typingFiltersAndEnterConnects()
    {
        FormFixture f;
        ready(f);
        DirectoryWindow* window = open(f);
        QVERIFY(window);
        type("q1abd");
        QCOMPARE(window->matchCount(), 1);
        QCOMPARE(window->findChild<QLabel*>("lblDirectoryCount")->text(), QStringLiteral("1 match"));
        const QString row = Phonetics::callSignSpeechText("Q1ABD", QString()).trimmed() + ". Sam Reed, Elm Falls. busy";
        QCOMPARE(f.voice.texts().mid(f.voice.texts().size() - 2), (QStringList { "1 match", row }));
        press(Qt::Key_Return);
        QCOMPARE(f.session.callsOf("Connect1"), QStringList { "Connect1(Q1ABD,true)" });
        QVERIFY(!window->isVisible());
        QTRY_COMPARE(focused(), static_cast<QWidget*>(chatLine(f)));
        QVERIFY(f.lastChatLine().endsWith(">Connecting To: Q1ABD"));
    }

    void everyKeystrokeSaysTheCount_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QStringList>("counts");
        QTest::newRow("narrowing") << "q1a" << QStringList { "5 matches", "3 matches", "3 matches" };
        QTest::newRow("to none") << "elm x"
                                 << QStringList { "4 matches", "4 matches", "4 matches", "4 matches", "No matches" };
        // "4" is also the start of the word "442".
        QTest::newRow("node number") << "4512" << QStringList { "2 matches", "1 match", "1 match", "1 match" };
    }
    void everyKeystrokeSaysTheCount()
    {
        QFETCH(QString, typed);
        QFETCH(QStringList, counts);
        FormFixture f;
        ready(f);
        QVERIFY(open(f));
        f.voice.spoken.clear();
        QStringList heard;
        for (const QChar c : typed) {
            f.voice.spoken.clear();
            type(QString(c));
            heard << (f.voice.spoken.isEmpty() ? QString() : f.voice.texts().first());
        }
        QCOMPARE(heard, counts);
    }

    // Down and Up from the find line read the rows; in the list the arrows read them too.
    void arrowsReadEachRowPhonetically()
    {
        FormFixture f;
        ready(f);
        DirectoryWindow* window = open(f);
        QVERIFY(window);
        type("elm");
        QCOMPARE(window->matchCount(), 4);
        f.voice.spoken.clear();
        press(Qt::Key_Down);
        const QString second
            = Phonetics::callSignSpeechText("Q1ABD", QString()).trimmed() + ". Sam Reed, Elm Falls. busy";
        QCOMPARE(f.voice.texts(), QStringList { second });
        QCOMPARE(window->currentEntry()->callsign, QStringLiteral("Q1ABD"));
        press(Qt::Key_Up);
        QCOMPARE(lastSpoken(f), Phonetics::callSignSpeechText("Q1ABC", QString()).trimmed() + ". Jo Smith, Elm Falls");
        press(Qt::Key_Up); // stays on the first row and says it again
        QCOMPARE(window->currentEntry()->callsign, QStringLiteral("Q1ABC"));
        // Into the list with Tab (past the kind box), then the list's own arrows.
        press(Qt::Key_Tab);
        press(Qt::Key_Tab);
        QCOMPARE(focused()->objectName(), QStringLiteral("lvDirectory"));
        f.voice.spoken.clear();
        press(Qt::Key_Down);
        QCOMPARE(window->currentEntry()->callsign, QStringLiteral("Q1ABD"));
        QCOMPARE(f.voice.texts(), QStringList { second });
        press(Qt::Key_End);
        QCOMPARE(lastSpoken(f),
                 Phonetics::callSignSpeechText("Q3ELM", QString()).trimmed()
                     + ". Ana Lopez, Harbor Point. in conference *AURORA*");
        press(Qt::Key_Enter);
        QCOMPARE(f.session.callsOf("Connect1"), QStringList { "Connect1(Q3ELM,true)" });
    }

    void theKindBoxNarrowsTheList()
    {
        FormFixture f;
        ready(f);
        DirectoryWindow* window = open(f);
        QVERIFY(window);
        press(Qt::Key_Tab);
        QCOMPARE(focused()->objectName(), QStringLiteral("cbDirectoryKind"));
        press(Qt::Key_Down); // Stations
        QCOMPARE(window->matchCount(), 3);
        QCOMPARE(lastSpoken(f), QStringLiteral("3 matches"));
        press(Qt::Key_Down); // Links
        QCOMPARE(window->matchCount(), 1);
        QCOMPARE(window->currentEntry()->callsign, QStringLiteral("Q1ABC-L"));
        press(Qt::Key_Down);
        press(Qt::Key_Down); // Conferences
        QCOMPARE(window->currentEntry()->callsign, QStringLiteral("*AURORA*"));
        press(Qt::Key_Return);
        QCOMPARE(f.session.callsOf("Connect1"), QStringList { "Connect1(*AURORA*,true)" });
    }

    void escapeReturnsToTheChatLineWithoutConnecting()
    {
        FormFixture f;
        ready(f);
        DirectoryWindow* window = open(f);
        QVERIFY(window);
        type("q2");
        press(Qt::Key_Escape);
        QVERIFY(!window->isVisible());
        QTRY_COMPARE(focused(), static_cast<QWidget*>(chatLine(f)));
        QVERIFY(f.session.callsOf("Connect1").isEmpty());
        // Opened again, it starts from the whole list.
        QVERIFY(open(f));
        QCOMPARE(window->matchCount(), 6);
        QVERIFY(window->findChild<QLineEdit*>("edtDirectoryFind")->text().isEmpty());
    }

    void enterWithNoMatchConnectsNothing()
    {
        FormFixture f;
        ready(f);
        DirectoryWindow* window = open(f);
        QVERIFY(window);
        type("zzz");
        press(Qt::Key_Return);
        QVERIFY(f.session.callsOf("Connect1").isEmpty());
        QVERIFY(window->isVisible());
        QCOMPARE(lastSpoken(f), QStringLiteral("No station chosen"));
    }

    // A new list from EchoLink keeps what was typed and the station the operator is on, though its row moved.
    void aRefreshKeepsThePlace()
    {
        FormFixture f;
        ready(f);
        DirectoryWindow* window = open(f);
        QVERIFY(window);
        type("elm");
        press(Qt::Key_Down);
        press(Qt::Key_Down);
        QCOMPARE(window->currentEntry()->callsign, QStringLiteral("Q1ABC-L"));
        f.session.directory.prepend({ "Q1ELM", "New arrival, Elm Falls", "on", 123000, Kind::Station });
        f.session.directory.prepend({ "Q0ELM", "Another, Elm Falls", "on", 120000, Kind::Station });
        f.session.directory.removeAt(3); // Q1ABC leaves
        f.voice.spoken.clear();
        f.session.raiseStationListReceived();
        QCOMPARE(f.session.callsOf("StationList").size(), 2);
        QCOMPARE(window->findChild<QLineEdit*>("edtDirectoryFind")->text(), QStringLiteral("elm"));
        QCOMPARE(window->matchCount(), 5);
        QCOMPARE(window->currentEntry()->callsign, QStringLiteral("Q1ABC-L"));
        QVERIFY(f.voice.spoken.isEmpty()); // a refresh the operator did not ask for is quiet
        // The list's arrival raises Corvane, but the directory keeps the front and the focus.
        QTest::qWait(20);
        QCOMPARE(QApplication::activeWindow(), window);
        QCOMPARE(focused()->objectName(), QStringLiteral("edtDirectoryFind"));
        // The station the operator was on has gone: the same row, now another station.
        QCOMPARE(f.session.directory.takeAt(4).callsign, QStringLiteral("Q1ABC-L"));
        f.session.raiseStationListReceived();
        QCOMPARE(window->matchCount(), 4);
        QCOMPARE(window->currentEntry()->callsign, QStringLiteral("Q3ELM"));
        // A list far shorter than the row the operator was on: the last station.
        press(Qt::Key_Down);
        f.session.directory = { sample().at(1) };
        f.session.raiseStationListReceived();
        QCOMPARE(window->matchCount(), 1);
        QCOMPARE(window->currentEntry()->callsign, QStringLiteral("Q1ABC"));
        // The refresh button says the count.
        window->findChild<QPushButton*>("btnDirectoryRefresh")->click();
        QCOMPARE(lastSpoken(f), QStringLiteral("1 match"));
    }

    void aDirectoryThatCannotBeReadIsSaid()
    {
        FormFixture f;
        ready(f);
        f.session.failNext.insert("StationList", "EchoLink is not running or its automation server is not available");
        DirectoryWindow* window = open(f);
        QVERIFY(window);
        QCOMPARE(window->matchCount(), 0);
        QCOMPARE(
            f.voice.texts(),
            QStringList { "Station directory. EchoLink is not running or its automation server is not available" });
        QCOMPARE(window->findChild<QLabel*>("lblDirectoryCount")->text(),
                 QStringLiteral("EchoLink is not running or its automation server is not available"));
    }

    // Every control has a name (and the inputs a description) for the screen reader, and the tab order is
    // find, kind, list, then the buttons.
    void everyControlIsNamedForTheScreenReader()
    {
        FormFixture f;
        ready(f);
        DirectoryWindow* window = open(f);
        QVERIFY(window);
        const QList<QPair<QString, QString>> controls {
            { "edtDirectoryFind", "Find station" },
            { "cbDirectoryKind", "Kind" },
            { "lvDirectory", "Stations" },
            { "btnDirectoryConnect", "Connect" },
            { "btnDirectoryRefresh", "Refresh" },
            { "btnDirectoryClose", "Close" },
            { "lblDirectoryCount", "Matches" },
            { "spnDirectoryMemory", "Memory button" },
            { "btnDirectoryStore", "Store in memory" },
        };
        for (const auto& [objectName, name] : controls) {
            QWidget* control = window->findChild<QWidget*>(objectName);
            QVERIFY2(control, qPrintable(objectName));
            QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(control);
            QVERIFY(accessible);
            // On Linux a combo box's accessible name is its current item; its label comes as a relation.
            if (objectName == "cbDirectoryKind") {
                QCOMPARE(control->accessibleName(), name);
                const auto labels = accessible->relations(QAccessible::Label);
                QCOMPARE(labels.size(), 1);
                QCOMPARE(labels.first().first->text(QAccessible::Name), QStringLiteral("Kind:"));
                continue;
            }
            QCOMPARE(accessible->text(QAccessible::Name), name);
        }
        for (const char* input : { "edtDirectoryFind", "cbDirectoryKind", "lvDirectory" }) {
            QAccessibleInterface* accessible
                = QAccessible::queryAccessibleInterface(window->findChild<QWidget*>(input));
            QVERIFY2(!accessible->text(QAccessible::Description).isEmpty(), input);
        }
        QCOMPARE(QAccessible::queryAccessibleInterface(window)->text(QAccessible::Name),
                 QStringLiteral("Station directory"));
        // The list as a table: its rows and the cells of the current one.
        QAccessibleInterface* table = QAccessible::queryAccessibleInterface(window->findChild<QTableView*>());
        QVERIFY(table->tableInterface());
        QCOMPARE(table->tableInterface()->rowCount(), 6);
        QAccessibleInterface* cell = table->tableInterface()->cellAt(1, DirectoryModel::DescriptionColumn);
        QVERIFY(cell);
        QCOMPARE(cell->text(QAccessible::Name), QStringLiteral("Jo Smith, Elm Falls"));
        QStringList order;
        for (int i = 0; i < 8; ++i) {
            order << focused()->objectName();
            press(Qt::Key_Tab);
        }
        QCOMPARE(
            order,
            (QStringList { "edtDirectoryFind", "cbDirectoryKind", "lvDirectory", "btnDirectoryConnect",
                           "btnDirectoryRefresh", "spnDirectoryMemory", "btnDirectoryStore", "btnDirectoryClose" }));
    }

    // A favourite: the chosen station goes into a memory button through the memory store, which confirms it.
    void aStationIsStoredInAMemoryButton()
    {
        FormFixture f;
        ready(f);
        DirectoryWindow* window = open(f);
        QVERIFY(window);
        type("harbor");
        press(Qt::Key_M, Qt::AltModifier); // to the memory button number
        QCOMPARE(focused()->objectName(), QStringLiteral("spnDirectoryMemory"));
        press(Qt::Key_A, Qt::ControlModifier);
        type("12");
        f.voice.spoken.clear();
        press(Qt::Key_S, Qt::AltModifier); // a button's mnemonic clicks it a moment later, as a click shows
        QTRY_COMPARE(f.form->memories().caption(12), QStringLiteral("Q3ELM"));
        QCOMPARE(f.memory(12)->text(), QStringLiteral("Q3ELM"));
        QCOMPARE(f.voice.texts(),
                 (QStringList { Phonetics::callSignSpeechText("Q3ELM", f.form->roster().myCallsign()),
                                MemoryButtons::storeConfirmation(12) }));
        QVERIFY(window->isVisible()); // more can be stored
        QVERIFY(f.session.callsOf("Connect1").isEmpty());
        // Nothing chosen, nothing stored.
        press(Qt::Key_F, Qt::AltModifier);
        type("zzz");
        press(Qt::Key_S, Qt::AltModifier);
        QTRY_COMPARE(lastSpoken(f), QStringLiteral("No station chosen"));
        QCOMPARE(f.form->memories().caption(12), QStringLiteral("Q3ELM"));
    }

    // Station text shows as it is, never as markup.
    void hostileTextIsShownPlain()
    {
        FormFixture f;
        f.session.directory = { { "Q9BAD", "<b>big</b> <img src=x>", "on", 1, Kind::Station } };
        f.startUp();
        f.form->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(f.form.get()));
        chatLine(f)->setFocus();
        DirectoryWindow* window = open(f);
        QVERIFY(window);
        auto* table = window->findChild<QTableView*>();
        QCOMPARE(table->model()->index(0, DirectoryModel::DescriptionColumn).data().toString(),
                 QStringLiteral("<b>big</b> <img src=x>"));
        f.voice.spoken.clear();
        press(Qt::Key_Down);
        QVERIFY(lastSpoken(f).endsWith(QStringLiteral(". <b>big</b> <img src=x>")));
        QVERIFY(f.voice.spoken.last().flags & 16); // spoken as plain text, not as markup
    }
};

QTEST_MAIN(TestDirectoryWindow)
#include "TestDirectoryWindow.moc"
