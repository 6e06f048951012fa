#pragma once

#include "speech/Utterance.h"

#include <QChar>
#include <QString>

// The key echo and the spoken Backspace feedback: what is said for a typed character and for a
// Backspace, decided from the texts and switches the window hands in.
namespace KeyNames {

inline const QString Delete = QStringLiteral("Delete");
inline const QString Space = QStringLiteral("Space");
inline const QString BackSpace = QStringLiteral("Back Space");
inline const QString Clear = QStringLiteral("Clear");

// The spoken name of a punctuation character that a voice would otherwise skip or mumble; empty for
// every other character.
QString keyName(QChar key);

// The key echo for one typed character: the character itself (purging), then its name (queued).
// Carriage return is silent and "<" is said by its name only. Control characters such as Backspace are
// passed to the purge all the same: they cut off speech and the voice has nothing to say for them.
// For a Backspace, lineHadNothingToDelete tells that the focused edit line was empty at the last key
// release; "Clear" then follows.
Utterances KeyBoardSpeak(QChar key, bool lineHadNothingToDelete = false);

// The same for the text of one key press, which is one character but may be a surrogate pair (a
// character beyond the basic plane, from an input method): such a character is echoed whole.
Utterances KeyBoardSpeak(const QString& typed, bool lineHadNothingToDelete = false);

// The last character of text, a surrogate pair kept whole; empty for empty text.
QString lastCharacter(const QString& text);

// Where the focus is when Backspace goes down.
enum class BackspaceFocus
{
    ChatLine, // edtChat
    AbsentLine, // edtAbsent
    TextPane, // redtStation or redtChat
    Other,
};

struct BackspaceFeedback
{
    // For the two edit lines: the character about to be deleted, to be kept as ChatDeletedChar or
    // AbsentDeletedChar (empty when the line was empty). Empty elsewhere.
    QString deletedChar;
    Utterances speech;
};

// Backspace at key-down, before the edit line removes the character. textAtKeyUp is the focused edit
// line's text at the last key release (ignored for the other foci); the deleted character is its last
// character wherever the caret is. With key echo and message speaking on, an edit line says "Delete"
// and then the character (blocking) or nothing when it was empty (the key echo says "Clear"); otherwise,
// while message speaking is on, "Delete" in the text panes and "Back Space" anywhere else.
BackspaceFeedback backspaceFeedback(BackspaceFocus focus, const QString& textAtKeyUp, bool keyboardSpeak,
                                    bool speakMessage);

} // namespace KeyNames
