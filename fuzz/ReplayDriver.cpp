// Without libFuzzer: feed the target a deterministic stream of inputs built from a few seeds by
// random byte edits, so the parsers are exercised on every test run. Files given on the command line
// (a target's seed corpus, or a crash input from a libFuzzer run) are replayed first and then join the seeds.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

namespace {

// Seeds keep their length, so the UTF-16 seed with its NUL bytes arrives whole.
#define SEED(text) std::string(text, sizeof(text) - 1)
const std::string seeds[] = {
    SEED(""),
    SEED("[Corvane]\r\nSpeakMessage=TRUE\r\nLeft=40\r\n\r\n"),
    SEED("[12:00:00]Information>RxText>Q1AB>hello\r\n"),
    SEED("[1:2:3]Warning>Ti>>tle>desc>more\n"),
    SEED("{\"id\":1,\"op\":\"Connect1\",\"args\":[\"Q1AB\",true]}\n"),
    SEED("connect Q1AB \"Jo Smith\" 1.2.3.4"),
    SEED("<volume level=\"80\">Hello &amp; &lt;there&gt;</volume>"),
    SEED("*Q1AB-R* Q2CD-L q3ef/p"),
    SEED("\xEF\xBB\xBF[Sect]\nk=v\n"),
    SEED("\xFF\xFE[\0S\0]\0"),
};

std::vector<uint8_t> mutate(std::vector<uint8_t> data, std::mt19937& rng)
{
    std::uniform_int_distribution<int> op(0, 3), byte(0, 255);
    const int edits = 1 + static_cast<int>(rng() % 8);
    for (int i = 0; i < edits; ++i) {
        switch (op(rng)) {
        case 0:
            if (!data.empty())
                data[rng() % data.size()] = static_cast<uint8_t>(byte(rng));
            break;
        case 1:
            data.insert(data.begin() + static_cast<long>(data.empty() ? 0 : rng() % (data.size() + 1)),
                        static_cast<uint8_t>(byte(rng)));
            break;
        case 2:
            if (!data.empty())
                data.erase(data.begin() + static_cast<long>(rng() % data.size()));
            break;
        default: {
            static const char specials[] = "[]<>=;&\"\\\r\n*-> .#";
            data.insert(data.begin() + static_cast<long>(data.empty() ? 0 : rng() % (data.size() + 1)),
                        static_cast<uint8_t>(specials[rng() % (sizeof specials - 1)]));
        }
        }
    }
    return data;
}

} // namespace

int main(int argc, char** argv)
{
    long runs = 2000;
    std::vector<std::vector<uint8_t>> pool;
    for (int i = 1; i < argc; ++i) {
        if (std::strncmp(argv[i], "--runs=", 7) == 0) {
            runs = std::strtol(argv[i] + 7, nullptr, 10);
            continue;
        }
        std::ifstream in(argv[i], std::ios::binary);
        std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        LLVMFuzzerTestOneInput(bytes.data(), bytes.size());
        pool.push_back(std::move(bytes));
    }
    std::mt19937 rng(20261209);
    for (const std::string& seed : seeds)
        pool.emplace_back(seed.begin(), seed.end());
    for (long i = 0; i < runs; ++i) {
        auto input = mutate(pool[rng() % pool.size()], rng);
        LLVMFuzzerTestOneInput(input.data(), input.size());
        if (pool.size() < 200)
            pool.push_back(std::move(input));
        else
            pool[rng() % pool.size()] = std::move(input);
    }
    std::printf("%ld inputs survived\n", runs);
    return 0;
}
