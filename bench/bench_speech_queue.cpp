// How long an announcement (flags 17) takes from the speak() call to the engine, through the flag and
// markup reading and our queue's worker, with an engine that only records the moment it gets the text.
#include "speech/QueuedVoice.h"

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <mutex>
#include <numeric>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

struct Arrivals
{
    std::mutex mutex;
    std::condition_variable arrived;
    int count = 0;
    Clock::time_point last;
};

class RecordingEngine : public SpeechEngine
{
public:
    explicit RecordingEngine(Arrivals& arrivals)
        : m_arrivals(arrivals)
    {
    }
    void speak(const SpeechRequest&, const CutOff&) override
    {
        const Clock::time_point now = Clock::now();
        std::lock_guard lock(m_arrivals.mutex);
        m_arrivals.last = now;
        ++m_arrivals.count;
        m_arrivals.arrived.notify_all();
    }

private:
    Arrivals& m_arrivals;
};

double micros(Clock::duration d)
{
    return std::chrono::duration<double, std::micro>(d).count();
}

void report(const char* what, std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    const double mean = std::accumulate(values.begin(), values.end(), 0.0) / double(values.size());
    const double p99 = values[values.size() * 99 / 100];
    std::printf("%-34s mean %8.1f us   p99 %8.1f us   max %8.1f us\n", what, mean, p99, values.back());
}

} // namespace

int main()
{
    constexpr int requests = 1000;
    Arrivals arrivals;
    QueuedVoice voice(std::make_unique<RecordingEngine>(arrivals));
    std::vector<double> toEngine, callReturn;
    for (int i = 0; i < requests; ++i) {
        const Clock::time_point start = Clock::now();
        voice.speak(QStringLiteral("Quebec One Alpha Bravo Connected %1").arg(i), 17);
        callReturn.push_back(micros(Clock::now() - start));
        std::unique_lock lock(arrivals.mutex);
        arrivals.arrived.wait(lock, [&] { return arrivals.count > i; });
        toEngine.push_back(micros(arrivals.last - start));
    }
    std::printf("speak(text, 17), %d requests\n", requests);
    report("call to engine receiving the text", toEngine);
    report("call returning to the caller", callReturn);
    return 0;
}
