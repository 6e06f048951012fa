#include "speech/KeyNames.h"

namespace KeyNames {

namespace {

struct NamedKey
{
    char16_t key;
    const char* name;
};

constexpr NamedKey namedKeys[] = {
    { u' ', "space" },
    { u',', "Comma" },
    { u'.', "Period" },
    { u'-', "Minus" },
    { u'[', "Left Square Bracket" },
    { u']', "Right Square Bracket" },
    { u'(', "Left Bracket" },
    { u')', "Right Bracket" },
    { u'?', "Question Mark" },
    { u'<', "Less Than" },
    { u':', "Colon" },
    { u';', "Semi Colon" },
    { u'\'', "Quote" },
    { u'"', "Double Quote" },
    { u'{', "Left Curly Brace" },
    { u'}', "Right Curly Brace" },
    { u'!', "Exclamation" },
};

constexpr char16_t CarriageReturn = u'\r';
constexpr char16_t BackspaceChar = u'\b';

} // namespace

QString keyName(QChar key)
{
    for (const NamedKey& named : namedKeys) {
        if (key == named.key)
            return QString::fromLatin1(named.name);
    }
    return {};
}

Utterances KeyBoardSpeak(QChar key, bool lineHadNothingToDelete)
{
    Utterances out;
    if (key != u'<' && key != CarriageReturn)
        out.append({ SpeakOp::Purge, QString(key) });
    const QString name = keyName(key);
    if (!name.isEmpty())
        out.append({ SpeakOp::Queued, name });
    if (key == BackspaceChar && lineHadNothingToDelete)
        out.append({ SpeakOp::Queued, Clear });
    return out;
}

Utterances KeyBoardSpeak(const QString& typed, bool lineHadNothingToDelete)
{
    if (typed.size() == 1)
        return KeyBoardSpeak(typed.front(), lineHadNothingToDelete);
    if (typed.isEmpty())
        return {};
    return { { SpeakOp::Purge, typed } };
}

QString lastCharacter(const QString& text)
{
    const qsizetype n = text.size();
    if (n >= 2 && text[n - 1].isLowSurrogate() && text[n - 2].isHighSurrogate())
        return text.right(2);
    return text.right(1);
}

BackspaceFeedback backspaceFeedback(BackspaceFocus focus, const QString& textAtKeyUp, bool keyboardSpeak,
                                    bool speakMessage)
{
    BackspaceFeedback out;
    const bool editLine = focus == BackspaceFocus::ChatLine || focus == BackspaceFocus::AbsentLine;
    if (editLine) {
        out.deletedChar = lastCharacter(textAtKeyUp);
        if (keyboardSpeak && speakMessage) {
            // An empty line says nothing here; the key echo of the Backspace then says "Clear".
            if (!out.deletedChar.isEmpty()) {
                out.speech.append({ SpeakOp::Purge, Delete });
                out.speech.append({ SpeakOp::Sync, out.deletedChar == u" " ? Space : out.deletedChar });
            }
            return out;
        }
    }
    if (speakMessage)
        out.speech.append({ SpeakOp::Purge, focus == BackspaceFocus::TextPane ? Delete : BackSpace });
    return out;
}

} // namespace KeyNames
