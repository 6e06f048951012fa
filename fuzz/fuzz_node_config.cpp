// The node's configuration file as a user (or anything that wrote the file) left it.
#include "NodeConfig.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray text(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    QString error;
    const auto config = NodeConfigFile::parse(text, &error);
    if (config) {
        if (config->location.size() > NodeConfig::MaxLocationChars || config->servers.isEmpty())
            std::abort();
    } else if (error.isEmpty()) {
        std::abort(); // a refusal always says why
    }
    // With a password, a refusal never quotes it back.
    const auto withPassword = NodeConfigFile::parse("Password=Zq9xWv7\n" + text, &error);
    if (!withPassword && !text.contains("Zq9xWv7") && error.contains(QLatin1String("Zq9xWv7")))
        std::abort();
    return 0;
}
