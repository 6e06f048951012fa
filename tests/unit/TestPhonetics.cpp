#include "speech/Phonetics.h"

#include <QTest>

// Callsigns as the operator hears them: the phonetic table, spelling of whole texts, and what
// SpeakCallSign hands to the voice for stations, repeaters, links, conferences and the own callsign.
class TestPhonetics : public QObject
{
    Q_OBJECT

private slots:
    void everyCharacterOfTheTableHasItsWord_data();
    void everyCharacterOfTheTableHasItsWord();
    void anythingElseCannotBeTranslated_data();
    void anythingElseCannotBeTranslated();
    void textIsSpelledWordBySpaceByWord_data();
    void textIsSpelledWordBySpaceByWord();
    void callsignIsSpokenAsTheOperatorExpects_data();
    void callsignIsSpokenAsTheOperatorExpects();
};

void TestPhonetics::everyCharacterOfTheTableHasItsWord_data()
{
    QTest::addColumn<QString>("character");
    QTest::addColumn<QString>("word");
    const QStringList letters
        = { "Alpha",  "Bravo", "Charlie", "Delta",  "Echo",     "Foxtrot", "Gulf",   "Hotel",  "India",
            "Juliet", "Kilo",  "Lima",    "Mike",   "November", "Oscar",   "Papa",   "Quebec", "Romeo",
            "Sierra", "Tango", "Uniform", "Victor", "Whisky",   "X-ray",   "Yankee", "Zulu" };
    for (int i = 0; i < 26; ++i) {
        const QString upper(QChar(u'A' + i));
        QTest::addRow("%s", qPrintable(upper)) << upper << letters[i];
        QTest::addRow("lower %s", qPrintable(upper)) << upper.toLower() << letters[i];
    }
    const QStringList digits = { "Zero", "One", "Two", "Three", "Four", "Five", "Six", "Seven", "Eight", "Nine" };
    for (int i = 0; i < 10; ++i)
        QTest::addRow("digit %d", i) << QString::number(i) << digits[i];
    QTest::newRow("star") << "*"
                          << "*";
    QTest::newRow("hyphen") << "-"
                            << "-";
    QTest::newRow("space") << " "
                           << " ";
}

void TestPhonetics::everyCharacterOfTheTableHasItsWord()
{
    QFETCH(QString, character);
    QFETCH(QString, word);
    QCOMPARE(Phonetics::phonetics(character), word);
}

void TestPhonetics::anythingElseCannotBeTranslated_data()
{
    QTest::addColumn<QString>("input");
    QTest::newRow("slash") << "/";
    QTest::newRow("full stop") << ".";
    QTest::newRow("empty") << "";
    QTest::newRow("two characters") << "AB";
    QTest::newRow("letter with accent") << QStringLiteral("é");
    QTest::newRow("letter beyond ascii folding") << QStringLiteral("ß");
    QTest::newRow("tab") << "\t";
    QTest::newRow("surrogate pair") << QStringLiteral("\U0001F600");
}

void TestPhonetics::anythingElseCannotBeTranslated()
{
    QFETCH(QString, input);
    QCOMPARE(Phonetics::phonetics(input), QStringLiteral("Phonetics Translation Unable to translate."));
}

void TestPhonetics::textIsSpelledWordBySpaceByWord_data()
{
    QTest::addColumn<QString>("input");
    QTest::addColumn<QString>("spelled");
    QTest::newRow("empty") << ""
                           << "";
    QTest::newRow("callsign") << "Q1AB"
                              << "Quebec One Alpha Bravo ";
    QTest::newRow("space becomes two spaces") << "A B"
                                              << "Alpha   Bravo ";
    QTest::newRow("unknown keeps going") << "A/B"
                                         << "Alpha Phonetics Translation Unable to translate. Bravo ";
    QTest::newRow("suffix") << "Q1AB-R"
                            << "Quebec One Alpha Bravo - Romeo ";
}

void TestPhonetics::textIsSpelledWordBySpaceByWord()
{
    QFETCH(QString, input);
    QFETCH(QString, spelled);
    QCOMPARE(Phonetics::strToPhonetics(input), spelled);
}

void TestPhonetics::callsignIsSpokenAsTheOperatorExpects_data()
{
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("myCallsign");
    QTest::addColumn<QString>("spoken");
    QTest::newRow("station") << "Q1AB"
                             << "Q9ZZ"
                             << "Quebec One Alpha Bravo ";
    QTest::newRow("repeater") << "Q1AB-R"
                              << "Q9ZZ"
                              << "Quebec One Alpha Bravo , Repeater ";
    QTest::newRow("link") << "Q1AB-L"
                          << "Q9ZZ"
                          << "Quebec One Alpha Bravo , Link, Station ";
    QTest::newRow("lower-case suffixes")
        << "q1ab-r q2cd-l"
        << "Q9ZZ"
        << "Quebec One Alpha Bravo , Repeater   Quebec Two Charlie Delta , Link, Station ";
    QTest::newRow("conference") << "*Q1AB*"
                                << "Q9ZZ"
                                << "Conference.  Quebec One Alpha Bravo .  ";
    QTest::newRow("conference without closing star") << "*Q1AB"
                                                     << "Q9ZZ"
                                                     << "Conference.  Quebec One Alpha Bravo ";
    QTest::newRow("lower case") << "q1ab"
                                << "Q9ZZ"
                                << "Quebec One Alpha Bravo ";
    QTest::newRow("portable stroke") << "Q1AB/P"
                                     << "Q9ZZ"
                                     << "Quebec One Alpha Bravo Phonetics Translation Unable to translate. Papa ";
    QTest::newRow("own callsign says nothing") << "Q1AB"
                                               << "Q1AB"
                                               << "";
    QTest::newRow("own callsign in other case is not own") << "q1ab"
                                                           << "Q1AB"
                                                           << "Quebec One Alpha Bravo ";
    QTest::newRow("same first five, not own: plain text") << "Q1ABCX"
                                                          << "Q1ABCD"
                                                          << "Q1ABCX";
    QTest::newRow("same first five, own inside removed ignoring case") << "Q1ABCD q1abcd Q2X"
                                                                       << "Q1ABCD"
                                                                       << "  Q2X";
    QTest::newRow("longer than own is spelled") << "Q1AB-L"
                                                << "Q1AB"
                                                << "Quebec One Alpha Bravo , Link, Station ";
    QTest::newRow("empty own callsign spells") << "Q1AB"
                                               << ""
                                               << "Quebec One Alpha Bravo ";
    QTest::newRow("empty text, empty own") << ""
                                           << ""
                                           << "";
    QTest::newRow("empty text") << ""
                                << "Q1AB"
                                << "";
    QTest::newRow("list of callsigns") << "Q1AB Q2CD "
                                       << "Q9ZZ"
                                       << "Quebec One Alpha Bravo   Quebec Two Charlie Delta   ";
    QTest::newRow("unspelled own-start text still gets suffix words") << "Q1ABC- Romeo"
                                                                      << "Q1ABCD"
                                                                      << "Q1ABC, Repeater";
}

void TestPhonetics::callsignIsSpokenAsTheOperatorExpects()
{
    QFETCH(QString, message);
    QFETCH(QString, myCallsign);
    QFETCH(QString, spoken);
    QCOMPARE(Phonetics::callSignSpeechText(message, myCallsign), spoken);
}

QTEST_GUILESS_MAIN(TestPhonetics)
#include "TestPhonetics.moc"
