#include "speech/KeyMap.h"

#include <QTest>

using namespace KeyMap;

Q_DECLARE_METATYPE(KeyAction)

// The function-key map: which action each key stands for in each state of the window, and which keys
// the focused control never sees.
class TestKeyMap : public QObject
{
    Q_OBJECT

private slots:
    void everyRowOfTheMap_data();
    void everyRowOfTheMap();
    void optionKeysFocusTheirBoxAndSayItsSentence_data();
    void optionKeysFocusTheirBoxAndSayItsSentence();
    void helpIsEightSentencesEachEndingInASpace();
};

void TestKeyMap::everyRowOfTheMap_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<Qt::KeyboardModifiers>("modifiers");
    QTest::addColumn<bool>("connected");
    QTest::addColumn<bool>("speakMessage");
    QTest::addColumn<bool>("volumeFocus");
    QTest::addColumn<KeyAction>("action");
    QTest::addColumn<bool>("consumed");
    const Qt::KeyboardModifiers none;
    const Qt::KeyboardModifiers ctrl = Qt::ControlModifier;
    const Qt::KeyboardModifiers alt = Qt::AltModifier;
    const Qt::KeyboardModifiers shift = Qt::ShiftModifier;
    using A = KeyAction;

    QTest::newRow("F1 help") << int(Qt::Key_F1) << none << false << true << false << A::SpeakHelp << true;
    QTest::newRow("F2 station info") << int(Qt::Key_F2) << none << true << true << false << A::SpeakStationInfo
                                     << false;
    QTest::newRow("F2 with messages off") << int(Qt::Key_F2) << none << true << false << false << A::None << false;
    QTest::newRow("Backspace") << int(Qt::Key_Backspace) << none << false << false << false << A::BackspaceFeedback
                               << false;
    QTest::newRow("F3 connected") << int(Qt::Key_F3) << none << true << true << false << A::SpeakConference << false;
    QTest::newRow("F3 not connected") << int(Qt::Key_F3) << none << false << true << false << A::SpeakLastStation
                                      << false;
    QTest::newRow("Shift+F3 acts as F3") << int(Qt::Key_F3) << shift << true << true << false << A::SpeakConference
                                         << false;
    QTest::newRow("F4") << int(Qt::Key_F4) << none << false << false << false << A::SpeakLastTexts << false;
    QTest::newRow("F5") << int(Qt::Key_F5) << none << false << true << false << A::OptionAway << false;
    QTest::newRow("F6") << int(Qt::Key_F6) << none << true << true << false << A::OptionSpeak << false;
    QTest::newRow("F7") << int(Qt::Key_F7) << none << false << false << false << A::OptionButtonAnnounce << false;
    QTest::newRow("F8") << int(Qt::Key_F8) << none << false << true << false << A::OptionKeySpeak << false;
    QTest::newRow("F9") << int(Qt::Key_F9) << none << true << true << false << A::ToggleRemoteCommands << true;
    QTest::newRow("F10 not connected") << int(Qt::Key_F10) << none << false << true << false << A::NextColorScheme
                                       << true;
    QTest::newRow("F10 connected does nothing")
        << int(Qt::Key_F10) << none << true << true << false << A::None << false;
    QTest::newRow("F11 swallowed") << int(Qt::Key_F11) << none << false << true << false << A::None << true;
    QTest::newRow("F12") << int(Qt::Key_F12) << none << true << true << false << A::ToggleShutDown << true;
    QTest::newRow("Ctrl+D") << int(Qt::Key_D) << ctrl << true << true << false << A::DisconnectAll << true;
    QTest::newRow("plain D") << int(Qt::Key_D) << none << true << true << false << A::None << true;
    QTest::newRow("Alt+D") << int(Qt::Key_D) << alt << true << true << false << A::None << true;
    QTest::newRow("Ctrl+L directory") << int(Qt::Key_L) << ctrl << false << true << false << A::OpenDirectory << true;
    QTest::newRow("plain L types") << int(Qt::Key_L) << none << false << true << false << A::None << false;
    QTest::newRow("Alt+L") << int(Qt::Key_L) << alt << false << true << false << A::None << false;
    QTest::newRow("Ctrl+Alt+L (AltGr) types") << int(Qt::Key_L) << (ctrl | alt) << false << true << false << A::None
                                              << false;
    QTest::newRow("Alt+R") << int(Qt::Key_R) << alt << false << true << false << A::ReConnect << true;
    QTest::newRow("Ctrl+R does nothing") << int(Qt::Key_R) << ctrl << false << true << false << A::None << true;
    QTest::newRow("plain R") << int(Qt::Key_R) << none << false << true << false << A::None << true;
    QTest::newRow("Alt+T") << int(Qt::Key_T) << alt << false << true << false << A::SpeakTime << true;
    QTest::newRow("Ctrl+Alt+T") << int(Qt::Key_T) << (ctrl | alt) << false << true << false << A::SpeakTime << true;
    QTest::newRow("plain T") << int(Qt::Key_T) << none << false << true << false << A::None << true;
    QTest::newRow("Shift+T") << int(Qt::Key_T) << shift << false << true << false << A::None << true;
    QTest::newRow("Ctrl+O") << int(Qt::Key_O) << ctrl << true << true << false << A::OpenAccountSetup << true;
    QTest::newRow("Ctrl+Shift+O") << int(Qt::Key_O) << (ctrl | shift) << false << true << false << A::OpenAccountSetup
                                  << true;
    QTest::newRow("plain O types") << int(Qt::Key_O) << none << false << true << false << A::None << false;
    QTest::newRow("Ctrl+Alt+O is AltGr") << int(Qt::Key_O) << (ctrl | alt) << false << true << false << A::None << false;
    QTest::newRow("Left on the volume bar") << int(Qt::Key_Left) << none << false << true << true << A::None << true;
    QTest::newRow("Right on the volume bar") << int(Qt::Key_Right) << none << false << true << true << A::None << true;
    QTest::newRow("Left elsewhere") << int(Qt::Key_Left) << none << false << true << false << A::None << false;
    QTest::newRow("Up on the volume bar") << int(Qt::Key_Up) << none << false << true << true << A::None << false;
    QTest::newRow("plain letter") << int(Qt::Key_A) << ctrl << false << true << false << A::None << false;
    QTest::newRow("Tab") << int(Qt::Key_Tab) << none << false << true << false << A::None << false;
    QTest::newRow("F13 is no function key of the map")
        << int(Qt::Key_F13) << none << false << true << false << A::None << false;
}

void TestKeyMap::everyRowOfTheMap()
{
    QFETCH(int, key);
    QFETCH(Qt::KeyboardModifiers, modifiers);
    QFETCH(bool, connected);
    QFETCH(bool, speakMessage);
    QFETCH(bool, volumeFocus);
    QFETCH(KeyAction, action);
    QFETCH(bool, consumed);
    KeyContext context;
    context.isConnected = connected;
    context.speakMessage = speakMessage;
    context.volumeBarHasFocus = volumeFocus;
    const KeyOutcome outcome = keyDown(key, modifiers, context);
    QCOMPARE(outcome.action, action);
    QCOMPARE(outcome.consumed, consumed);
}

void TestKeyMap::optionKeysFocusTheirBoxAndSayItsSentence_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<QString>("box");
    QTest::addColumn<QString>("sentence");
    QTest::newRow("F5") << int(Qt::Key_F5) << "cbCheckAway"
                        << "Away Tick. Space To Toggle";
    QTest::newRow("F6") << int(Qt::Key_F6) << "SpeakCheckBox"
                        << "Speak Tick. Space To Toggle";
    QTest::newRow("F7") << int(Qt::Key_F7) << "ButtonAnnounceCheckBox"
                        << "Button Speak Tick. Space To Toggle";
    QTest::newRow("F8") << int(Qt::Key_F8) << "KeySpeakCheckBox"
                        << "Key Speak Tick. Space To Toggle";
}

void TestKeyMap::optionKeysFocusTheirBoxAndSayItsSentence()
{
    QFETCH(int, key);
    QFETCH(QString, box);
    QFETCH(QString, sentence);
    const OptionKey option = optionKey(keyDown(key, {}, {}).action);
    QCOMPARE(option.checkBox, box);
    QCOMPARE(option.sentence, sentence);
}

void TestKeyMap::helpIsEightSentencesEachEndingInASpace()
{
    const QStringList& help = helpSentences();
    QCOMPARE(help.size(), 8);
    for (const QString& sentence : help) {
        QVERIFY2(sentence.endsWith(u' '), qPrintable(sentence));
        QVERIFY(!sentence.endsWith(QStringLiteral("  ")));
    }
    QVERIFY(help.first().startsWith(u"Please remember to setup Echo Link first"));
    QCOMPARE(help.last(), QStringLiteral("Please remember to Let Corvane, Start Up Echo Link. "));
}

QTEST_GUILESS_MAIN(TestKeyMap)
#include "TestKeyMap.moc"
