// Protocol lines as the node's socket receives them from its clients.
#include "NodeCalls.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray input(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    for (const QByteArray& line : input.split('\n')) {
        const auto parsed = NodeCalls::parse(line);
        if (const auto* refusal = std::get_if<NodeCalls::Refusal>(&parsed); refusal && refusal->error.isEmpty())
            std::abort();
    }
    return 0;
}
