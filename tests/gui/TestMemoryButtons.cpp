// The forty memory buttons: activation connects to the caption as it stands, focus announces it, Space
// never activates, and a store shows the callsign literally and names the button after it.
#include "chat/MemoryButtons.h"
#include "speech/Phonetics.h"
#include "util/FormFixture.h"

#include <QAccessible>
#include <QCheckBox>
#include <QFile>
#include <QLineEdit>
#include <QTest>

class TestMemoryButtons : public QObject
{
    Q_OBJECT
private:
    static QString accessibleName(QWidget* widget)
    {
        QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(widget);
        return accessible ? accessible->text(QAccessible::Name) : QString();
    }
    static void focus(FormFixture& f, QWidget* widget)
    {
        f.form->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(f.form.get()));
        widget->setFocus(Qt::TabFocusReason);
        QTRY_VERIFY(widget->hasFocus());
    }
    static void type(FormFixture& f, const QString& text)
    {
        auto* line = f.widget<QLineEdit>(QStringLiteral("edtChat"));
        line->setText(text);
        QTest::keyClick(line, Qt::Key_Return);
    }

private slots:
    void activatingConnectsToTheCaptionUnchanged_data()
    {
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QString>("connect");
        QTest::newRow("never programmed") << "NO CALL" << "Connect1(NO CALL,true)";
        QTest::newRow("empty") << "" << "Connect1(,true)";
        QTest::newRow("leading blank") << " Q1AB" << "Connect1( Q1AB,true)";
        QTest::newRow("ampersand") << "Q1&AB" << "Connect1(Q1&AB,true)";
        QTest::newRow("node number") << "123456" << "Connect1(123456,true)";
    }
    void activatingConnectsToTheCaptionUnchanged()
    {
        QFETCH(QString, caption);
        QFETCH(QString, connect);
        FormFixture f;
        f.startUp();
        f.form->memories().setCaption(9, caption);
        QTest::mouseClick(f.memory(9), Qt::LeftButton);
        QCOMPARE(f.session.callsOf(QStringLiteral("Connect1")), QStringList { connect });
    }

    void spaceNeverActivatesEnterDoes()
    {
        FormFixture f;
        f.startUp();
        f.form->memories().setCaption(4, QStringLiteral("Q4DD"));
        focus(f, f.memory(4));
        QTest::keyClick(f.memory(4), Qt::Key_Space);
        QVERIFY(f.session.callsOf(QStringLiteral("Connect1")).isEmpty());
        QTest::keyClick(f.memory(4), Qt::Key_Return);
        QCOMPARE(f.session.callsOf(QStringLiteral("Connect1")), QStringList { "Connect1(Q4DD,true)" });
    }

    void focusAnnouncesTheCallsignThenTheNumber_data()
    {
        QTest::addColumn<bool>("announce");
        QTest::addColumn<int>("button");
        QTest::newRow("button 3") << true << 3;
        QTest::newRow("button 40, no leading zero") << true << 40;
        QTest::newRow("announcements off") << false << 3;
    }
    void focusAnnouncesTheCallsignThenTheNumber()
    {
        QFETCH(bool, announce);
        QFETCH(int, button);
        FormFixture f;
        f.startUp();
        f.form->memories().setCaption(button, QStringLiteral("Q1AB"));
        f.widget<QCheckBox>(QStringLiteral("ButtonAnnounceCheckBox"))->setChecked(announce);
        focus(f, f.widget<QLineEdit>(QStringLiteral("edtChat")));
        f.voice.spoken.clear();
        focus(f, f.memory(button));
        const QStringList expected = announce ? QStringList { Phonetics::callSignSpeechText(QStringLiteral("Q1AB"),
                                                                                            QStringLiteral("Q9ZZZ")),
                                                              QStringLiteral("b%1").arg(button) }
                                              : QStringList {};
        QCOMPARE(f.voice.texts(), expected);
    }

    void aStoreConfirmsTheButtonItStored_data()
    {
        QTest::addColumn<int>("button");
        QTest::addColumn<QString>("confirmation");
        QTest::newRow("1") << 1 << " Added to button 0 1";
        QTest::newRow("7") << 7 << " Added to button 0 7";
        QTest::newRow("9") << 9 << " Added to button 0 9";
        QTest::newRow("10") << 10 << " Added to button 10";
        QTest::newRow("29") << 29 << " Added to button 29";
        QTest::newRow("40") << 40 << " Added to button 40";
    }
    void aStoreConfirmsTheButtonItStored()
    {
        QFETCH(int, button);
        QFETCH(QString, confirmation);
        FormFixture f;
        f.startUp();
        f.voice.spoken.clear();
        f.form->memories().StoreCallButton(button, QStringLiteral("Q7XY"));
        QCOMPARE(f.voice.texts(),
                 (QStringList { Phonetics::callSignSpeechText(QStringLiteral("Q7XY"), QStringLiteral("Q9ZZZ")),
                                confirmation }));
        QCOMPARE(f.memory(button)->text(), QStringLiteral("Q7XY"));
    }

    void captionsAreShownLiterallyAndNamedForScreenReaders_data()
    {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QString>("buttonText");
        QTest::addColumn<QString>("name");
        QTest::newRow("callsign") << "Q1AB" << "Q1AB" << "Q1AB" << "Q1AB, memory 3";
        QTest::newRow("leading blank") << " Q1AB" << " Q1AB" << " Q1AB" << "Q1AB, memory 3";
        QTest::newRow("ampersand is no shortcut") << "A&B" << "A&B" << "A&&B" << "A&B, memory 3";
        QTest::newRow("markup stays text") << "<b>Q1</b>" << "<b>Q1</b>" << "<b>Q1</b>" << "<b>Q1</b>, memory 3";
        QTest::newRow("line breaks become blanks") << "Q1\r\nAB\nC" << "Q1 AB C" << "Q1 AB C" << "Q1 AB C, memory 3";
        QTest::newRow("empty") << "" << "" << "" << "memory 3";
    }
    void captionsAreShownLiterallyAndNamedForScreenReaders()
    {
        QFETCH(QString, stored);
        QFETCH(QString, caption);
        QFETCH(QString, buttonText);
        QFETCH(QString, name);
        FormFixture f;
        f.startUp();
        QCOMPARE(accessibleName(f.memory(3)), QStringLiteral("NO CALL, memory 3"));
        f.form->memories().StoreCallButton(3, stored);
        QCOMPARE(f.form->memories().caption(3), caption);
        QCOMPARE(f.memory(3)->text(), buttonText);
        QCOMPARE(accessibleName(f.memory(3)), name);
        QVERIFY(f.memory(3)->shortcut().isEmpty());
    }

    void aStoreIsSavedOnlyWithTheSettingsAndKeepsItsBlank()
    {
        FormFixture f;
        f.startUp();
        type(f, QStringLiteral("/B12 q3ef"));
        type(f, QStringLiteral("/B13A&B"));
        QVERIFY(!QFile::exists(f.documentsFile(QStringLiteral("Corvane.ini"))));
        type(f, QStringLiteral("/SS"));
        QFile file(f.documentsFile(QStringLiteral("Corvane.ini")));
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray written = file.readAll();
        QVERIFY(written.contains("\nCallsign12= Q3EF\r\n") || written.contains("\nCallsign12= Q3EF\n"));
        QVERIFY(written.contains("\nCallsign13=A&B"));

        // Reading a value drops its leading blanks, as the file format has it.
        FormFixture second;
        second.platform.documents = f.platform.documents;
        second.startUp();
        QCOMPARE(second.form->memories().caption(12), QStringLiteral("Q3EF"));
        QCOMPARE(second.memory(13)->text(), QStringLiteral("A&&B"));
        second.form->memories().setCaption(12, QStringLiteral(" Q3EF"));
        QTest::mouseClick(second.memory(12), Qt::LeftButton);
        QCOMPARE(second.session.callsOf(QStringLiteral("Connect1")), QStringList { "Connect1( Q3EF,true)" });
    }
};

QTEST_MAIN(TestMemoryButtons)
#include "TestMemoryButtons.moc"
