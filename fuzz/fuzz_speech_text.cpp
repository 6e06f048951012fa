// Arbitrary text, as a station could type it, through the callsign speller and the volume-tag reader.
// Beyond surviving, text escaped into a volume tag must come back out exactly.
#include "speech/Phonetics.h"
#include "speech/VoiceMarkup.h"

#include <QString>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const int flags = size > 0 ? data[0] : 0;
    const QString text = QString::fromUtf8(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));

    (void)Phonetics::strToPhonetics(text);
    (void)Phonetics::callSignSpeechText(text, text.left(flags % 8));
    (void)Phonetics::callSignSpeechText(text, QStringLiteral("Q1AB"));
    (void)VoiceMarkup::interpret(text, flags);
    (void)VoiceMarkup::interpret(text, flags & ~16);

    const QString wrapped = QStringLiteral("<volume level=\"") + QString::number(flags % 101) + QStringLiteral("\">")
        + VoiceMarkup::escape(text) + QStringLiteral("</volume>");
    const SpeechRequest request = VoiceMarkup::interpret(wrapped, 65);
    if (request.text != text || request.volume != flags % 101)
        std::abort();
    return 0;
}
