#include "speech/EspeakEngine.h"

#include "speech/Voice.h"

#include <QByteArray>
#include <algorithm>
#include <atomic>
#include <espeak-ng/espeak_ng.h>
#include <espeak-ng/speak_lib.h>

namespace {

constexpr int normalVolume = 100;
std::atomic<bool> engineInUse { false };

QString statusText(espeak_ng_STATUS status)
{
    char buffer[512] = {};
    espeak_ng_GetStatusCodeMessage(status, buffer, sizeof buffer);
    return QString::fromLocal8Bit(buffer);
}

void check(espeak_ng_STATUS status, const QString& what)
{
    if (status != ENS_OK)
        throw VoiceError(QStringLiteral("%1: %2.").arg(what, statusText(status)));
}

int synthCallback(short* samples, int count, espeak_EVENT* events)
{
    auto* engine = events ? static_cast<EspeakEngine*>(events->user_data) : nullptr;
    return engine ? engine->onSamples(samples, count) : 0;
}

espeak_ng_STATUS synthesize(const QByteArray& utf8, void* userData)
{
    return espeak_ng_Synthesize(utf8.constData(), static_cast<size_t>(utf8.size()) + 1, 0, POS_CHARACTER, 0,
                                espeakCHARS_UTF8, nullptr, userData);
}

} // namespace

EspeakEngine::EspeakEngine(SampleSink sink)
    : m_sink(std::move(sink))
{
}

EspeakEngine::~EspeakEngine()
{
    close();
}

int EspeakEngine::engineVolume(int level)
{
    return std::clamp(level, 0, 100) * normalVolume / 100;
}

void EspeakEngine::open()
{
    if (engineInUse.exchange(true))
        throw VoiceError(QStringLiteral("espeak-ng is already in use in this program."));
    m_ownsLibrary = true;
    espeak_ng_InitializePath(nullptr);
    espeak_ng_ERROR_CONTEXT context = nullptr;
    const espeak_ng_STATUS status = espeak_ng_Initialize(&context);
    espeak_ng_ClearErrorContext(&context);
    check(status, QStringLiteral("espeak-ng cannot start"));
    m_initialised = true;

    const auto mode = m_sink ? ENOUTPUT_MODE_SYNCHRONOUS
                             : espeak_ng_OUTPUT_MODE(ENOUTPUT_MODE_SYNCHRONOUS | ENOUTPUT_MODE_SPEAK_AUDIO);
    check(espeak_ng_InitializeOutput(mode, 0, nullptr), QStringLiteral("espeak-ng has no sound output"));
    check(espeak_ng_SetVoiceByName(ESPEAKNG_DEFAULT_VOICE), QStringLiteral("espeak-ng has no default voice"));
    espeak_SetSynthCallback(synthCallback);
    if (m_sink)
        return;
    // The sound device is only opened by the first synthesis; try it now, silently, so a machine that
    // cannot sound is known before the first announcement.
    espeak_ng_SetParameter(espeakVOLUME, 0, 0);
    check(synthesize(QByteArray(), nullptr), QStringLiteral("espeak-ng cannot play sound"));
}

void EspeakEngine::close()
{
    if (m_initialised)
        espeak_ng_Terminate();
    if (m_ownsLibrary)
        engineInUse = false;
    m_initialised = false;
    m_ownsLibrary = false;
}

void EspeakEngine::setParameters(const SpeechRequest& request)
{
    espeak_ng_SetParameter(espeakVOLUME, engineVolume(request.volume.value_or(100)), 0);
    espeak_ng_SetParameter(espeakPUNCTUATION, request.speakPunctuation ? espeakPUNCT_ALL : espeakPUNCT_NONE, 0);
}

void EspeakEngine::speak(const SpeechRequest& request, const CutOff& cutOff)
{
    setParameters(request);
    m_cutOff = &cutOff;
    const espeak_ng_STATUS status = synthesize(request.text.toUtf8(), this);
    m_cutOff = nullptr;
    if (!cutOff)
        check(status, QStringLiteral("espeak-ng could not speak"));
}

void EspeakEngine::purge()
{
    espeak_ng_Cancel();
}

// Returning 1 makes espeak-ng stop the current text.
int EspeakEngine::onSamples(const short* samples, int count)
{
    if (m_cutOff && *m_cutOff)
        return 1;
    if (m_sink && samples && count > 0)
        m_sink(samples, count);
    return 0;
}
