#pragma once

#include "speech/SpeechEngine.h"

#include <functional>

// espeak-ng inside our process, for machines where speech-dispatcher cannot be reached. The library
// keeps global state and is not thread-safe, so only the queue's worker ever calls it (one engine at a
// time per process). Synthesis is synchronous: speak() returns when the text has been played, and a cut
// off is noticed at the next block of samples. Markup is never enabled: the text is read as text.
class EspeakEngine : public SpeechEngine
{
public:
    // Receives the samples (16-bit mono at sampleRate()) instead of the sound device; for measuring.
    using SampleSink = std::function<void(const short* samples, int count)>;

    explicit EspeakEngine(SampleSink sink = {});
    ~EspeakEngine() override;

    void open() override;
    void close() override;
    void speak(const SpeechRequest& request, const CutOff& cutOff) override;
    void purge() override;

    // Our volume 0..100 on espeak's scale, where 100 is its normal loudness.
    static int engineVolume(int level);

    // Called by espeak-ng on the worker thread for each block of samples.
    int onSamples(const short* samples, int count);

private:
    void setParameters(const SpeechRequest& request);

    SampleSink m_sink;
    const CutOff* m_cutOff = nullptr;
    bool m_ownsLibrary = false;
    bool m_initialised = false;
};
