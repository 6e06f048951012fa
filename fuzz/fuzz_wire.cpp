// One protocol line as either side receives it, and the text escapes of the test hooks.
#include "echolink/EchoLinkWire.h"

#include <QString>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray line(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    QString error;
    if (const auto message = EchoLinkWire::decode(line, &error)) {
        // Whatever decodes must survive a trip through encode unchanged.
        const QByteArray encoded = EchoLinkWire::encode(*message);
        const auto again = EchoLinkWire::decode(encoded);
        if (!again || EchoLinkWire::encode(*again) != encoded || encoded.count('\n') != 1)
            std::abort();
    }
    const QString text = QString::fromUtf8(line);
    if (EchoLinkWire::unescapeText(EchoLinkWire::escapeText(text)) != text)
        std::abort();
    EchoLinkWire::unescapeText(text);
    return 0;
}
