// The chat command language: which text is which command, under which connection state, with which argument;
// and the texts of the memory buttons that the commands program and list.
#include "chat/CommandTable.h"

#include <QTest>

using Commands::Action;
using Commands::Condition;
using Commands::Family;

Q_DECLARE_METATYPE(Commands::Action)
Q_DECLARE_METATYPE(Commands::Condition)
Q_DECLARE_METATYPE(Commands::Family)

namespace {

struct Expected
{
    QString code;
    Family family;
    Condition condition;
    Action action;
    int button;
    QString spoken;
};

// The command language as the operator's documentation gives it, in the order the codes are tested.
std::vector<Expected> documentedCommands()
{
    std::vector<Expected> rows {
        { "/A1", Family::Local, Condition::Any, Action::AlarmsOn, 0, "Alarm Messages On" },
        { "/A0", Family::Local, Condition::Any, Action::AlarmsOff, 0, "Alarm Messages Off" },
        { "/T1", Family::Local, Condition::Any, Action::TimerBellOn, 0, "Timer Bell On" },
        { "/T0", Family::Local, Condition::Any, Action::TimerBellOff, 0, "Timer Bell Off" },
        { "/AM", Family::Local, Condition::NotConnected, Action::SetAwayMessage, 0, "The Away Message Reads " },
    };
    const auto addButtons = [&](const QString& prefix, Family family, Condition condition) {
        for (int n = 1; n <= 40; ++n)
            rows.push_back(
                { prefix + QString::number(n).rightJustified(2, u'0'), family, condition, Action::StoreButton, n, "" });
    };
    addButtons("/B", Family::Local, Condition::NotConnected);
    addButtons("/C", Family::Local, Condition::Connected);
    addButtons(".B", Family::Remote, Condition::Connected);
    const Expected rest[] = {
        { "/RE", Family::Local, Condition::NotConnected, Action::ResetEchoLink, 0,
          " Reseting Echo Link Wait for the Station Update Message" },
        { ".A1", Family::Remote, Condition::Connected, Action::AlarmsOn, 0, "" },
        { ".A0", Family::Remote, Condition::Connected, Action::AlarmsOff, 0, "" },
        { ".AF", Family::Remote, Condition::Connected, Action::AwayOff, 0, "" },
        { ".AT", Family::Remote, Condition::Connected, Action::AwayOn, 0, "" },
        { ".AM", Family::Remote, Condition::Connected, Action::SetAwayMessage, 0, "The Away Message Reads. " },
        { ".SF", Family::Remote, Condition::Connected, Action::SpeakMessagesOff, 0, "" },
        { ".ST", Family::Remote, Condition::Connected, Action::SpeakMessagesOn, 0, "" },
        { ".BF", Family::Remote, Condition::Connected, Action::ButtonAnnounceOff, 0, "" },
        { ".BT", Family::Remote, Condition::Connected, Action::ButtonAnnounceOn, 0, "" },
        { ".KF", Family::Remote, Condition::Connected, Action::KeySpeakOff, 0, "" },
        { ".KT", Family::Remote, Condition::Connected, Action::KeySpeakOn, 0, "" },
        { ".QU", Family::Remote, Condition::Connected, Action::RemoteOff, 0, "Remote Commands Disabled." },
        { ".LB", Family::Remote, Condition::Connected, Action::SendButtonList, 0, "" },
        { ".SS", Family::Remote, Condition::Connected, Action::SaveSettings, 0,
          "Options saved to Local File By Remote Operator" },
        { "/SS", Family::Local, Condition::NotConnected, Action::SaveSettings, 0, "" },
    };
    rows.insert(rows.end(), std::begin(rest), std::end(rest));
    return rows;
}

Commands::Decoded decode(const QString& text, Family family, bool connected, const QString& call = "Q9ZZ")
{
    return Commands::decode(text, family, { connected, call });
}

} // namespace

class TestCommandTable : public QObject
{
    Q_OBJECT

private slots:
    void tableHoldsTheCommandsInTheirTestingOrder();
    void everyCommandActsOnlyWithItsConditionMet_data();
    void everyCommandActsOnlyWithItsConditionMet();
    void argumentsAreTakenAsTyped_data();
    void argumentsAreTakenAsTyped();
    void unknownTextIsIgnored_data();
    void unknownTextIsIgnored();
    void upperCaseChangesOnlyAsciiLetters_data();
    void upperCaseChangesOnlyAsciiLetters();
    void memoryListHasOneCrEndedLinePerButton();
    void memoryListShowsProgrammedCaptionsOnOneLineEach();
    void storeConfirmationNamesTheButton_data();
    void storeConfirmationNamesTheButton();
    void captionsShowLiterallyOnOneLine_data();
    void captionsShowLiterallyOnOneLine();
};

void TestCommandTable::tableHoldsTheCommandsInTheirTestingOrder()
{
    const std::vector<Expected> expected = documentedCommands();
    const auto& table = Commands::table();
    QCOMPARE(table.size(), expected.size());
    for (size_t i = 0; i < table.size(); ++i) {
        QCOMPARE(table[i].code, expected[i].code);
        QCOMPARE(table[i].family, expected[i].family);
        QCOMPARE(table[i].condition, expected[i].condition);
        QCOMPARE(table[i].action, expected[i].action);
        QCOMPARE(table[i].button, expected[i].button);
        QCOMPARE(table[i].spoken, expected[i].spoken);
    }
}

void TestCommandTable::everyCommandActsOnlyWithItsConditionMet_data()
{
    QTest::addColumn<QString>("code");
    QTest::addColumn<Family>("family");
    QTest::addColumn<Condition>("condition");
    QTest::addColumn<Action>("action");
    QTest::addColumn<int>("button");
    for (const Expected& row : documentedCommands())
        QTest::addRow("%s", qPrintable(row.code))
            << row.code << row.family << row.condition << row.action << row.button;
}

// Each code as typed, in lower case and followed by more text, in both connection states and from the other
// family: the received text of a station never reaches a local command.
void TestCommandTable::everyCommandActsOnlyWithItsConditionMet()
{
    QFETCH(QString, code);
    QFETCH(Family, family);
    QFETCH(Condition, condition);
    QFETCH(Action, action);
    QFETCH(int, button);

    const Family other = family == Family::Local ? Family::Remote : Family::Local;
    for (const bool connected : { false, true }) {
        const bool met = condition == Condition::Any || (condition == Condition::Connected) == connected;
        const Action wanted = met ? action : Action::None;
        for (const QString& text : { code, code.toLower(), code + " and more", code + "\r\n" }) {
            const Commands::Decoded decoded = decode(text, family, connected);
            QCOMPARE(decoded.action, wanted);
            QCOMPARE(decoded.button, met ? button : 0);
            QCOMPARE(decoded.code, met ? code : QString());
            QCOMPARE(decode(text, other, connected).action, Action::None);
        }
    }
}

void TestCommandTable::argumentsAreTakenAsTyped_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<Family>("family");
    QTest::addColumn<bool>("connected");
    QTest::addColumn<int>("button");
    QTest::addColumn<QString>("argument");

    QTest::newRow("/B12 with a blank keeps it") << "/B12 q3ef" << Family::Local << false << 12 << " Q3EF";
    QTest::newRow("/B05 directly followed") << "/b05q3ef" << Family::Local << false << 5 << "Q3EF";
    QTest::newRow("/B05 alone stores empty") << "/B05" << Family::Local << false << 5 << "";
    QTest::newRow(".B05 with a blank") << ".B05 Q3EF" << Family::Remote << true << 5 << " Q3EF";
    QTest::newRow(".B05 directly followed") << ".B05Q3EF" << Family::Remote << true << 5 << "Q3EF";
    QTest::newRow(".B40 trailing blanks kept") << ".B40 Q3EF  " << Family::Remote << true << 40 << " Q3EF  ";
    QTest::newRow("/C12 stores the connected station") << "/C12 Q7XX" << Family::Local << true << 12 << "Q1AB";
    QTest::newRow("only ASCII letters upper-cased")
        << "/B01 stra\u00dfe \u00e9" << Family::Local << false << 1 << " STRA\u00dfE \u00e9";
    QTest::newRow("line breaks become blanks")
        << ".B05 Q1\r\nAB\rC\nD\u2028E" << Family::Remote << true << 5 << " Q1 AB C D E";
    QTest::newRow("/AM keeps the case typed")
        << "/am Back in 5 Minutes" << Family::Local << false << 0 << " Back in 5 Minutes";
    QTest::newRow(".AM after its first three characters")
        << ".AMBACK SOON " << Family::Remote << true << 0 << "BACK SOON ";
    QTest::newRow("/A1 ignores what follows") << "/A1 please" << Family::Local << true << 0 << "";
}

void TestCommandTable::argumentsAreTakenAsTyped()
{
    QFETCH(QString, text);
    QFETCH(Family, family);
    QFETCH(bool, connected);
    QFETCH(int, button);
    QFETCH(QString, argument);

    const Commands::Decoded decoded = decode(text, family, connected, QStringLiteral("Q1AB"));
    QVERIFY(decoded.action != Action::None);
    QCOMPARE(decoded.button, button);
    QCOMPARE(decoded.argument, argument);
}

void TestCommandTable::unknownTextIsIgnored_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<Family>("family");
    QTest::addColumn<bool>("connected");

    QTest::newRow("button 41") << "/B41 Q1AB" << Family::Local << false;
    QTest::newRow("button 00") << ".B00 Q1AB" << Family::Remote << true;
    QTest::newRow("button with one digit") << "/B4 Q1AB" << Family::Local << false;
    QTest::newRow("button with a blank in its number") << ".B 5Q1AB" << Family::Remote << true;
    QTest::newRow("connected call 41") << "/C41" << Family::Local << true;
    QTest::newRow("code cut short") << "/A" << Family::Local << false;
    QTest::newRow("blank before the code") << " /A1" << Family::Local << false;
    QTest::newRow("empty") << "" << Family::Remote << true;
    QTest::newRow("remote marker alone") << "." << Family::Remote << true;
    QTest::newRow("unknown remote") << ".ZZ" << Family::Remote << true;
    QTest::newRow("unknown local") << "/XY" << Family::Local << false;
    QTest::newRow("full-width letters") << "/\uff21\uff11" << Family::Local << false;
    QTest::newRow("long s is not an S") << ".\u017fs" << Family::Remote << true;
}

void TestCommandTable::unknownTextIsIgnored()
{
    QFETCH(QString, text);
    QFETCH(Family, family);
    QFETCH(bool, connected);
    const Commands::Decoded decoded = decode(text, family, connected);
    QCOMPARE(decoded.action, Action::None);
    QCOMPARE(decoded.button, 0);
    QVERIFY(decoded.argument.isEmpty());
}

void TestCommandTable::upperCaseChangesOnlyAsciiLetters_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("upper");
    QTest::newRow("letters and digits") << "q1ab/P zZ"
                                        << "Q1AB/P ZZ";
    QTest::newRow("sharp s keeps the length") << "stra\u00dfe"
                                              << "STRA\u00dfE";
    QTest::newRow("accented letter unchanged") << "\u00e9t\u00e9"
                                               << "\u00e9T\u00e9";
    QTest::newRow("ligature unchanged") << "\ufb00"
                                        << "\ufb00";
}

void TestCommandTable::upperCaseChangesOnlyAsciiLetters()
{
    QFETCH(QString, text);
    QFETCH(QString, upper);
    QCOMPARE(Commands::asciiUpper(text), upper);
}

void TestCommandTable::memoryListHasOneCrEndedLinePerButton()
{
    QStringList captions;
    for (int n = 0; n < MemoryButtons::Count; ++n)
        captions.append(MemoryButtons::DefaultCaption);
    const QString text = MemoryButtons::listText(QStringLiteral("Q9ZZ"), captions);
    QVERIFY(!text.contains(u'\n'));
    QVERIFY(text.endsWith(u'\r'));
    const QStringList lines = text.split(u'\r');
    QCOMPARE(lines.size(), 42); // 41 lines and what follows the last CR
    QCOMPARE(lines[0], QStringLiteral("Call Button List For Station Q9ZZ"));
    QCOMPARE(lines[1], QStringLiteral("B01 = NO CALL"));
    QCOMPARE(lines[9], QStringLiteral("B09 = NO CALL"));
    QCOMPARE(lines[10], QStringLiteral("B10 = NO CALL"));
    QCOMPARE(lines[40], QStringLiteral("B40 = NO CALL"));
    QCOMPARE(lines[41], QString());
    // Captions never given are the default ones.
    QCOMPARE(MemoryButtons::listText(QStringLiteral("Q9ZZ"), {}), text);
}

void TestCommandTable::memoryListShowsProgrammedCaptionsOnOneLineEach()
{
    QStringList captions(45, QStringLiteral("X"));
    captions[4] = QStringLiteral(" Q3EF");
    captions[6] = QString();
    captions[7] = QStringLiteral("A\r\nB");
    const QStringList lines = MemoryButtons::listText(QStringLiteral("Q9\nZZ"), captions).split(u'\r');
    QCOMPARE(lines.size(), 42);
    QCOMPARE(lines[0], QStringLiteral("Call Button List For Station Q9 ZZ"));
    QCOMPARE(lines[5], QStringLiteral("B05 =  Q3EF"));
    QCOMPARE(lines[7], QStringLiteral("B07 = "));
    QCOMPARE(lines[8], QStringLiteral("B08 = A B"));
    QCOMPARE(lines[40], QStringLiteral("B40 = X"));
}

void TestCommandTable::storeConfirmationNamesTheButton_data()
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

void TestCommandTable::storeConfirmationNamesTheButton()
{
    QFETCH(int, button);
    QFETCH(QString, confirmation);
    QCOMPARE(MemoryButtons::storeConfirmation(button), confirmation);
}

void TestCommandTable::captionsShowLiterallyOnOneLine_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("buttonText");
    QTest::addColumn<QString>("name");

    QTest::newRow("callsign") << "Q1AB"
                              << "Q1AB"
                              << "Q1AB"
                              << "Q1AB, memory 3";
    QTest::newRow("ampersand is no shortcut") << "Q1&AB"
                                              << "Q1&AB"
                                              << "Q1&&AB"
                                              << "Q1&AB, memory 3";
    QTest::newRow("CR LF is one blank") << "Q1\r\nAB"
                                        << "Q1 AB"
                                        << "Q1 AB"
                                        << "Q1 AB, memory 3";
    QTest::newRow("CR CR LF is two blanks") << "A\r\r\nB"
                                            << "A  B"
                                            << "A  B"
                                            << "A  B, memory 3";
    QTest::newRow("other line breaks") << "A\vB\fC\u0085D\u2029E"
                                       << "A B C D E"
                                       << "A B C D E"
                                       << "A B C D E, memory 3";
    QTest::newRow("markup stays text") << "<b>Q1AB</b>"
                                       << "<b>Q1AB</b>"
                                       << "<b>Q1AB</b>"
                                       << "<b>Q1AB</b>, memory 3";
    QTest::newRow("leading blank kept in the caption") << " Q3EF"
                                                       << " Q3EF"
                                                       << " Q3EF"
                                                       << "Q3EF, memory 3";
    QTest::newRow("empty caption") << ""
                                   << ""
                                   << ""
                                   << "memory 3";
}

void TestCommandTable::captionsShowLiterallyOnOneLine()
{
    QFETCH(QString, text);
    QFETCH(QString, caption);
    QFETCH(QString, buttonText);
    QFETCH(QString, name);
    QCOMPARE(MemoryButtons::sanitizedCaption(text), caption);
    QCOMPARE(MemoryButtons::buttonText(caption), buttonText);
    QCOMPARE(MemoryButtons::accessibleName(caption, 3), name);
}

QTEST_GUILESS_MAIN(TestCommandTable)
#include "TestCommandTable.moc"
