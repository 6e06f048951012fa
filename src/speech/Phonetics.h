#pragma once

#include <QString>

// Callsigns are spelled in the phonetic alphabet, one word per character, and station-type suffixes
// and conference names become words, so a listener never has to guess at a run of letters.
namespace Phonetics {

// Said in place of a character the alphabet has no word for.
inline const QString untranslatable = QStringLiteral("Phonetics Translation Unable to translate.");

// The word for exactly one character (a to z count as A to Z); anything else gives untranslatable.
QString phonetics(const QString& oneChar);

// Every character's word followed by one space; empty text gives empty text.
QString strToPhonetics(const QString& text);

// What SpeakCallSign hands to the voice for msg: spelled with Repeater, Link and Conference words, or,
// when msg starts like the operator's own callsign, msg as it is with the own callsign taken out.
// Empty means nothing is to be said.
QString callSignSpeechText(const QString& msg, const QString& myCallsign);

} // namespace Phonetics
