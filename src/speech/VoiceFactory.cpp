#include "speech/EspeakEngine.h"
#include "speech/NoVoice.h"
#include "speech/QueuedVoice.h"
#include "speech/SpeechdEngine.h"
#include "speech/TranscriptVoice.h"
#include "speech/Voice.h"

#include <QtGlobal>

namespace {

std::unique_ptr<Voice> speechdVoice()
{
    return std::make_unique<QueuedVoice>(std::make_unique<SpeechdEngine>());
}

std::unique_ptr<Voice> espeakVoice()
{
    return std::make_unique<QueuedVoice>(std::make_unique<EspeakEngine>());
}

// A backend that cannot start still gives a voice: one that reports why, at every request.
template<typename Make> std::unique_ptr<Voice> voiceOrReason(Make make)
{
    try {
        return make();
    } catch (const VoiceError& error) {
        return std::make_unique<NoVoice>(error.message());
    }
}

std::unique_ptr<Voice> speechdOrEspeak()
{
    try {
        return speechdVoice();
    } catch (const VoiceError&) {
        return voiceOrReason(espeakVoice);
    }
}

} // namespace

std::unique_ptr<Voice> createDefaultVoice()
{
    const QString transcript = qEnvironmentVariable("CORVANE_SPEECH_TRANSCRIPT");
    if (!transcript.isEmpty())
        return std::make_unique<TranscriptVoice>(transcript);

    const QString forced = qEnvironmentVariable("CORVANE_VOICE").trimmed().toLower();
    if (forced == u"none")
        return std::make_unique<NoVoice>();
    if (forced == u"speechd")
        return voiceOrReason(speechdVoice);
    if (forced == u"espeak")
        return voiceOrReason(espeakVoice);
    return speechdOrEspeak();
}
