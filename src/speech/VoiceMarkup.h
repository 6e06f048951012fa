#pragma once

#include "speech/SpeechRequest.h"

#include <QString>

// The voice's only markup is the volume tag that SpeakWithVolume wraps around a text. It is read here,
// leniently and by hand, and never handed to an engine's markup parser: chat text typed by a station
// must not be able to change the volume, cut the tag short or inject engine commands.
namespace VoiceMarkup {

// & < > written as entities, so text placed inside a tag stays text.
QString escape(const QString& text);

// Reads the speak flags and, unless the text is marked plain (IsNotXml), the volume tag: tags are
// dropped, the first volume tag's level (clamped to 0..100) becomes the volume, and the entities
// &amp; &lt; &gt; &quot; &apos; and numeric ones are decoded. Without IsNotXml the text counts as
// markup only when it starts with "<" (after white space), as the original voice decided by itself.
SpeechRequest interpret(const QString& text, int flags);

} // namespace VoiceMarkup
