#include "speech/KeyNames.h"

#include <QTest>

using namespace KeyNames;

Q_DECLARE_METATYPE(BackspaceFocus)
Q_DECLARE_METATYPE(Utterance)

namespace {

Utterance purge(const QString& text)
{
    return { SpeakOp::Purge, text };
}
Utterance queued(const QString& text)
{
    return { SpeakOp::Queued, text };
}
Utterance sync(const QString& text)
{
    return { SpeakOp::Sync, text };
}

} // namespace

namespace QTest {
template<> char* toString(const Utterances& list)
{
    QStringList parts;
    for (const Utterance& u : list) {
        const char* op = u.op == SpeakOp::Purge ? "purge" : u.op == SpeakOp::Sync ? "sync" : "queued";
        parts << QStringLiteral("%1(%2)").arg(QLatin1String(op), u.text);
    }
    return qstrdup(qPrintable(parts.join(u", ")));
}
} // namespace QTest

// What the operator hears while typing with key echo on, and when pressing Backspace.
class TestKeyNames : public QObject
{
    Q_OBJECT

private slots:
    void punctuationIsEchoedThenNamed_data();
    void punctuationIsEchoedThenNamed();
    void otherCharactersAreEchoedAsThemselves_data();
    void otherCharactersAreEchoedAsThemselves();
    void lessThanAndEnterAreSpecial();
    void backspaceEchoSaysClearOnlyInAnEmptyLine();
    void characterBeyondTheBasicPlaneIsEchoedWhole();
    void backspaceFeedback_data();
    void backspaceFeedback();
    void backspaceInAnEmptyChatLineSaysClearThroughTheEcho();
};

void TestKeyNames::punctuationIsEchoedThenNamed_data()
{
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("name");
    QTest::newRow("space") << " "
                           << "space";
    QTest::newRow("comma") << ","
                           << "Comma";
    QTest::newRow("period") << "."
                            << "Period";
    QTest::newRow("minus") << "-"
                           << "Minus";
    QTest::newRow("[") << "["
                       << "Left Square Bracket";
    QTest::newRow("]") << "]"
                       << "Right Square Bracket";
    QTest::newRow("(") << "("
                       << "Left Bracket";
    QTest::newRow(")") << ")"
                       << "Right Bracket";
    QTest::newRow("?") << "?"
                       << "Question Mark";
    QTest::newRow(":") << ":"
                       << "Colon";
    QTest::newRow(";") << ";"
                       << "Semi Colon";
    QTest::newRow("apostrophe") << "'"
                                << "Quote";
    QTest::newRow("double quote") << "\""
                                  << "Double Quote";
    QTest::newRow("{") << "{"
                       << "Left Curly Brace";
    QTest::newRow("}") << "}"
                       << "Right Curly Brace";
    QTest::newRow("!") << "!"
                       << "Exclamation";
}

void TestKeyNames::punctuationIsEchoedThenNamed()
{
    QFETCH(QString, key);
    QFETCH(QString, name);
    QCOMPARE(keyName(key.front()), name);
    QCOMPARE(KeyBoardSpeak(key.front()), (Utterances { purge(key), queued(name) }));
}

void TestKeyNames::otherCharactersAreEchoedAsThemselves_data()
{
    QTest::addColumn<QString>("key");
    QTest::newRow("letter") << "a";
    QTest::newRow("capital") << "T";
    QTest::newRow("digit") << "7";
    QTest::newRow("greater than") << ">";
    QTest::newRow("slash") << "/";
    QTest::newRow("star") << "*";
    QTest::newRow("accented") << QStringLiteral("é");
    QTest::newRow("sharp s") << QStringLiteral("ß");
}

void TestKeyNames::otherCharactersAreEchoedAsThemselves()
{
    QFETCH(QString, key);
    QVERIFY(keyName(key.front()).isEmpty());
    QCOMPARE(KeyBoardSpeak(key), (Utterances { purge(key) }));
}

void TestKeyNames::lessThanAndEnterAreSpecial()
{
    // "<" alone would reach the voice as the start of markup; it is said by name only.
    QCOMPARE(KeyBoardSpeak(QChar(u'<')), (Utterances { queued("Less Than") }));
    QCOMPARE(KeyBoardSpeak(QChar(u'\r')), Utterances {});
}

void TestKeyNames::backspaceEchoSaysClearOnlyInAnEmptyLine()
{
    const QString bs(QChar(u'\b'));
    QCOMPARE(KeyBoardSpeak(QChar(u'\b'), false), (Utterances { purge(bs) }));
    QCOMPARE(KeyBoardSpeak(QChar(u'\b'), true), (Utterances { purge(bs), queued("Clear") }));
    // Only Backspace ever says "Clear".
    QCOMPARE(KeyBoardSpeak(QChar(u'x'), true), (Utterances { purge("x") }));
}

void TestKeyNames::characterBeyondTheBasicPlaneIsEchoedWhole()
{
    const QString clef = QString::fromUcs4(U"\U0001D11E");
    QCOMPARE(clef.size(), 2);
    QCOMPARE(KeyBoardSpeak(clef), (Utterances { purge(clef) }));
    QCOMPARE(KeyBoardSpeak(QString()), Utterances {});
}

void TestKeyNames::backspaceFeedback_data()
{
    QTest::addColumn<BackspaceFocus>("focus");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("keyEcho");
    QTest::addColumn<bool>("speakMessage");
    QTest::addColumn<QString>("deleted");
    QTest::addColumn<Utterances>("speech");
    const auto chat = BackspaceFocus::ChatLine;
    const auto absent = BackspaceFocus::AbsentLine;
    const auto pane = BackspaceFocus::TextPane;
    const auto other = BackspaceFocus::Other;
    QTest::newRow("chat ab: Delete, then b")
        << chat << "ab" << true << true << "b" << Utterances { purge("Delete"), sync("b") };
    QTest::newRow("chat ending in a space says Space")
        << chat << "a " << true << true << " " << Utterances { purge("Delete"), sync("Space") };
    QTest::newRow("empty chat line: nothing yet") << chat << "" << true << true << "" << Utterances {};
    QTest::newRow("chat, key echo off: Back Space")
        << chat << "ab" << false << true << "b" << Utterances { purge("Back Space") };
    QTest::newRow("chat, messages off: silence") << chat << "ab" << true << false << "b" << Utterances {};
    QTest::newRow("chat, both off: silence") << chat << "ab" << false << false << "b" << Utterances {};
    QTest::newRow("empty chat, key echo off: Back Space")
        << chat << "" << false << true << "" << Utterances { purge("Back Space") };
    QTest::newRow("absent line xy") << absent << "xy" << true << true << "y"
                                    << Utterances { purge("Delete"), sync("y") };
    QTest::newRow("absent line, key echo off")
        << absent << "xy" << false << true << "y" << Utterances { purge("Back Space") };
    QTest::newRow("station pane: Delete") << pane << "ignored" << false << true << "" << Utterances { purge("Delete") };
    QTest::newRow("station pane with key echo: Delete")
        << pane << "ignored" << true << true << "" << Utterances { purge("Delete") };
    QTest::newRow("station pane, messages off") << pane << "" << true << false << "" << Utterances {};
    QTest::newRow("other control: Back Space")
        << other << "" << true << true << "" << Utterances { purge("Back Space") };
    QTest::newRow("other control, messages off") << other << "" << true << false << "" << Utterances {};
    const QString clef = QString::fromUcs4(U"\U0001D11E");
    QTest::newRow("surrogate pair deleted whole")
        << chat << "a" + clef << true << true << clef << Utterances { purge("Delete"), sync(clef) };
}

void TestKeyNames::backspaceFeedback()
{
    QFETCH(BackspaceFocus, focus);
    QFETCH(QString, text);
    QFETCH(bool, keyEcho);
    QFETCH(bool, speakMessage);
    QFETCH(QString, deleted);
    QFETCH(Utterances, speech);
    const BackspaceFeedback feedback = KeyNames::backspaceFeedback(focus, text, keyEcho, speakMessage);
    QCOMPARE(feedback.deletedChar, deleted);
    QCOMPARE(feedback.speech, speech);
}

void TestKeyNames::backspaceInAnEmptyChatLineSaysClearThroughTheEcho()
{
    // Key-down says nothing; the echo of the Backspace character purges and then says "Clear".
    const BackspaceFeedback down = KeyNames::backspaceFeedback(BackspaceFocus::ChatLine, "", true, true);
    Utterances heard = down.speech;
    heard += KeyBoardSpeak(QChar(u'\b'), down.deletedChar.isEmpty());
    QCOMPARE(heard, (Utterances { purge(QString(QChar(u'\b'))), queued("Clear") }));
}

QTEST_GUILESS_MAIN(TestKeyNames)
#include "TestKeyNames.moc"
