// Time to the first audible sample of a five-word sentence: through our espeak-ng backend (flags, queue,
// worker) against the library called directly the same way. Both synthesise into a callback, so no
// sound device is needed. Target: backend / direct <= 1.2.
#include "speech/EspeakEngine.h"
#include "speech/QueuedVoice.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <espeak-ng/espeak_ng.h>
#include <espeak-ng/speak_lib.h>
#include <mutex>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;
constexpr int rounds = 200;
const char* const sentence = "Quebec One Alpha Bravo connected";

double millis(Clock::duration d)
{
    return std::chrono::duration<double, std::milli>(d).count();
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

struct FirstSample
{
    std::mutex mutex;
    std::condition_variable seen;
    bool arrived = false;
    Clock::time_point at;
    long samples = 0;

    // The first block espeak-ng hands over may be leading silence; what a listener waits for is the
    // first sample that is not zero.
    void onSamples(const short* block, int count)
    {
        const Clock::time_point now = Clock::now();
        std::lock_guard lock(mutex);
        samples += count;
        if (arrived || std::all_of(block, block + count, [](short s) { return s == 0; }))
            return;
        arrived = true;
        at = now;
        seen.notify_all();
    }
    void reset()
    {
        std::lock_guard lock(mutex);
        arrived = false;
    }
};

std::vector<double> throughBackend()
{
    FirstSample first;
    QueuedVoice voice(
        std::make_unique<EspeakEngine>([&](const short* block, int count) { first.onSamples(block, count); }));
    std::vector<double> times;
    for (int i = 0; i < rounds; ++i) {
        first.reset();
        const Clock::time_point start = Clock::now();
        voice.speak(QString::fromLatin1(sentence), 16); // blocking: the whole sentence is made before the next
        std::lock_guard lock(first.mutex);
        times.push_back(millis(first.at - start));
    }
    std::printf("backend produced %ld samples in all\n", first.samples);
    return times;
}

FirstSample* directFirst = nullptr;

int directCallback(short* block, int count, espeak_EVENT*)
{
    if (block && count > 0)
        directFirst->onSamples(block, count);
    return 0;
}

std::vector<double> direct()
{
    FirstSample first;
    directFirst = &first;
    espeak_ng_InitializePath(nullptr);
    espeak_ng_ERROR_CONTEXT context = nullptr;
    if (espeak_ng_Initialize(&context) != ENS_OK
        || espeak_ng_InitializeOutput(ENOUTPUT_MODE_SYNCHRONOUS, 0, nullptr) != ENS_OK) {
        std::printf("espeak-ng could not start\n");
        return {};
    }
    espeak_ng_SetVoiceByName(ESPEAKNG_DEFAULT_VOICE);
    espeak_SetSynthCallback(directCallback);
    std::vector<double> times;
    for (int i = 0; i < rounds; ++i) {
        first.reset();
        const Clock::time_point start = Clock::now();
        espeak_ng_Synthesize(sentence, std::char_traits<char>::length(sentence) + 1, 0, POS_CHARACTER, 0,
                             espeakCHARS_UTF8, nullptr, nullptr);
        times.push_back(millis(first.at - start));
    }
    std::printf("direct produced %ld samples in all\n", first.samples);
    std::fflush(stdout);
    return times;
}

// espeak-ng keeps global state and cannot be started twice in one process, so the direct measurement
// runs in a child process and sends back its median.
double directMedianInChild()
{
    int pipeEnds[2];
    if (pipe(pipeEnds) != 0)
        return -1;
    const pid_t child = fork();
    if (child == 0) {
        const std::vector<double> times = direct();
        const double result = times.empty() ? -1 : median(times);
        const ssize_t written = write(pipeEnds[1], &result, sizeof result);
        _exit(written == sizeof result ? 0 : 1);
    }
    close(pipeEnds[1]);
    double result = -1;
    if (read(pipeEnds[0], &result, sizeof result) != sizeof result)
        result = -1;
    close(pipeEnds[0]);
    waitpid(child, nullptr, 0);
    return result;
}

} // namespace

int main()
{
    std::fflush(stdout);
    const double viaLibrary = directMedianInChild();
    if (viaLibrary < 0) {
        std::printf("espeak-ng could not be measured directly\n");
        return 1;
    }
    std::vector<double> backend;
    try {
        backend = throughBackend();
    } catch (const VoiceError& error) {
        std::printf("backend could not start: %s\n", error.what());
        return 1;
    }
    const double viaBackend = median(backend);
    std::printf("first audible sample of \"%s\", median of %d\n", sentence, rounds);
    std::printf("  through the backend  %7.3f ms\n", viaBackend);
    std::printf("  library directly     %7.3f ms\n", viaLibrary);
    std::printf("  ratio                %7.3f (target <= 1.2)\n", viaBackend / viaLibrary);
    return 0;
}
