#include "speech/EspeakEngine.h"
#include "speech/NoVoice.h"
#include "speech/QueuedVoice.h"
#include "speech/ReconnectingVoice.h"
#include "speech/SpeechdEngine.h"
#include "speech/TranscriptVoice.h"
#include "speech/Voice.h"

#include <QtGlobal>

namespace {

std::unique_ptr<Voice> speechdVoice(bool screenReaderRunning)
{
    auto engine = std::make_unique<SpeechdEngine>();
    engine->setScreenReaderRunning(screenReaderRunning);
    return std::make_unique<QueuedVoice>(std::move(engine));
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

// A voice without sound keeps asking the speech service, so speech comes back once it answers.
std::unique_ptr<Voice> retryingSpeechd(std::unique_ptr<Voice> standIn, bool screenReaderRunning)
{
    constexpr std::chrono::milliseconds probeBound { 2000 };
    return std::make_unique<ReconnectingVoice>(
        std::move(standIn), [] { return SpeechdEngine::answers(probeBound); },
        [screenReaderRunning] { return speechdVoice(screenReaderRunning); });
}

QString noOwnVoice(const QString& reason)
{
    return QStringLiteral("A screen reader is running, so Corvane has no voice of its own while speech-dispatcher "
                          "does not answer (%1); Corvane speaks again once it does.")
        .arg(reason);
}

// espeak-ng in our own process plays beside the speech service, so it would talk over a screen reader.
std::unique_ptr<Voice> speechdOrEspeak(bool screenReaderRunning)
{
    try {
        return speechdVoice(screenReaderRunning);
    } catch (const VoiceError& error) {
        if (screenReaderRunning)
            return retryingSpeechd(std::make_unique<NoVoice>(noOwnVoice(error.message()), NoVoice::Reports::Once),
                                   true);
        try {
            return espeakVoice();
        } catch (const VoiceError& espeakError) {
            return retryingSpeechd(std::make_unique<NoVoice>(espeakError.message()), false);
        }
    }
}

} // namespace

std::unique_ptr<Voice> createDefaultVoice(bool screenReaderRunning)
{
    const QString transcript = qEnvironmentVariable("CORVANE_SPEECH_TRANSCRIPT");
    if (!transcript.isEmpty())
        return std::make_unique<TranscriptVoice>(transcript);

    const QString forced = qEnvironmentVariable("CORVANE_VOICE").trimmed().toLower();
    if (forced == u"none")
        return std::make_unique<NoVoice>();
    if (forced == u"speechd") {
        try {
            return speechdVoice(screenReaderRunning);
        } catch (const VoiceError& error) {
            return retryingSpeechd(std::make_unique<NoVoice>(error.message()), screenReaderRunning);
        }
    }
    if (forced == u"espeak")
        return voiceOrReason(espeakVoice);
    return speechdOrEspeak(screenReaderRunning);
}
