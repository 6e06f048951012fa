#include "speech/KeyMap.h"

namespace KeyMap {

namespace {

constexpr KeyOutcome keep(KeyAction action)
{
    return { action, false };
}

constexpr KeyOutcome consume(KeyAction action)
{
    return { action, true };
}

// D, R and T are consumed whether or not their modifier is down; only the action needs it.
KeyOutcome letterKey(int qtKey, Qt::KeyboardModifiers modifiers)
{
    const bool ctrl = modifiers.testFlag(Qt::ControlModifier);
    const bool alt = modifiers.testFlag(Qt::AltModifier);
    switch (qtKey) {
    case Qt::Key_D:
        return consume(ctrl ? KeyAction::DisconnectAll : KeyAction::None);
    case Qt::Key_R:
        return consume(alt ? KeyAction::ReConnect : KeyAction::None);
    case Qt::Key_T:
        return consume(alt ? KeyAction::SpeakTime : KeyAction::None);
    default:
        return {};
    }
}

KeyOutcome functionKey(int qtKey, const KeyContext& context)
{
    switch (qtKey) {
    case Qt::Key_F1:
        return consume(KeyAction::SpeakHelp);
    case Qt::Key_F2:
        return keep(context.speakMessage ? KeyAction::SpeakStationInfo : KeyAction::None);
    case Qt::Key_F3:
        return keep(context.isConnected ? KeyAction::SpeakConference : KeyAction::SpeakLastStation);
    case Qt::Key_F4:
        return keep(KeyAction::SpeakLastTexts);
    case Qt::Key_F5:
        return keep(KeyAction::OptionAway);
    case Qt::Key_F6:
        return keep(KeyAction::OptionSpeak);
    case Qt::Key_F7:
        return keep(KeyAction::OptionButtonAnnounce);
    case Qt::Key_F8:
        return keep(KeyAction::OptionKeySpeak);
    case Qt::Key_F9:
        return consume(KeyAction::ToggleRemoteCommands);
    case Qt::Key_F10:
        return context.isConnected ? keep(KeyAction::None) : consume(KeyAction::NextColorScheme);
    case Qt::Key_F11:
        return consume(KeyAction::None);
    case Qt::Key_F12:
        return consume(KeyAction::ToggleShutDown);
    default:
        return {};
    }
}

} // namespace

KeyOutcome keyDown(int qtKey, Qt::KeyboardModifiers modifiers, const KeyContext& context)
{
    if (qtKey >= Qt::Key_F1 && qtKey <= Qt::Key_F12)
        return functionKey(qtKey, context);
    if (qtKey == Qt::Key_O && modifiers.testFlag(Qt::ControlModifier) && !modifiers.testFlag(Qt::AltModifier))
        return consume(KeyAction::OpenAccountSetup);
    switch (qtKey) {
    case Qt::Key_Backspace:
        return keep(KeyAction::BackspaceFeedback);
    case Qt::Key_D:
    case Qt::Key_R:
    case Qt::Key_T:
        return letterKey(qtKey, modifiers);
    case Qt::Key_L:
        if (modifiers.testFlag(Qt::ControlModifier) && !modifiers.testFlag(Qt::AltModifier))
            return consume(KeyAction::OpenDirectory);
        return {};
    case Qt::Key_Left:
    case Qt::Key_Right:
        // The volume bar moves with Up and Down only.
        return { KeyAction::None, context.volumeBarHasFocus };
    default:
        return {};
    }
}

OptionKey optionKey(KeyAction action)
{
    switch (action) {
    case KeyAction::OptionAway:
        return { QStringLiteral("cbCheckAway"), AwaySentence };
    case KeyAction::OptionSpeak:
        return { QStringLiteral("SpeakCheckBox"), SpeakSentence };
    case KeyAction::OptionButtonAnnounce:
        return { QStringLiteral("ButtonAnnounceCheckBox"), ButtonSpeakSentence };
    case KeyAction::OptionKeySpeak:
        return { QStringLiteral("KeySpeakCheckBox"), KeySpeakSentence };
    default:
        return {};
    }
}

const QStringList& helpSentences()
{
    static const QStringList sentences {
        QStringLiteral("Please remember to setup Echo Link first and make sure it is working OK. Before trying to "
                       "use this program. "),
        QStringLiteral("If you are lost. Press the Tab key to go back to tab sequence. "),
        QStringLiteral("Function Keys. five, six, seven, and eight, allow you to change speech options. "),
        QStringLiteral("Functions will be active for 10 seconds, then will auto TAB away. "),
        QStringLiteral("Function 9 will enable or disable remote commands. Will auto disable after 10 Minutes. "),
        QStringLiteral("Function 10 will Toggle Text and Background colors. "),
        QStringLiteral("Function 12 will Shutdown computer. To Cancel Press Function 12 again. "),
        QStringLiteral("Please remember to Let Corvane, Start Up Echo Link. "),
    };
    return sentences;
}

} // namespace KeyMap
