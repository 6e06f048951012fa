// One protocol line as either side receives it, read as an event and as the reply to every operation,
// and the text escapes of the test hooks.
#include "echolink/EchoLinkWire.h"
#include "echolink/StationDirectory.h"

#include <QString>
#include <cstdint>
#include <cstdlib>

namespace {

// Whatever is accepted must be exactly what the table allows: no event or answer with missing or
// mistyped fields gets through.
void readAsClient(const QJsonObject& message)
{
    QString error;
    if (EchoLinkWire::isEvent(message)) {
        const auto event = EchoLinkWire::readEvent(message, &error);
        if (event && !EchoLinkWire::matches(event->arguments, EchoLinkWire::rowOf(event->event).parameters))
            std::abort();
        if (!event && error.isEmpty())
            std::abort();
        return;
    }
    for (const EchoLinkWire::OperationRow& entry : EchoLinkWire::operations()) {
        const auto reply = EchoLinkWire::readReply(message, entry.operation, &error);
        if (reply && reply->ok && !EchoLinkWire::matches(reply->value, entry.result))
            std::abort();
        if (reply && reply->id < 1)
            std::abort();
    }
    // A station list the client accepts reads whole, each entry one bounded line of plain text.
    const auto list = EchoLinkWire::readReply(message, EchoLinkWire::Operation::StationList, &error);
    if (list && list->ok) {
        const auto entries = StationDirectory::fromJson(list->value, &error);
        if (!entries)
            std::abort();
        for (const StationDirectory::Entry& entry : *entries) {
            if (entry.callsign.size() > StationDirectory::MaxCallsignChars
                || entry.description.size() > StationDirectory::MaxTextChars
                || entry.status.size() > StationDirectory::MaxTextChars || entry.node < 0
                || entry.node > StationDirectory::MaxNode || entry.description.contains(QLatin1Char('\n')))
                std::abort();
        }
    }
}

} // namespace

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
        readAsClient(*message);
    } else if (error.isEmpty()) {
        std::abort(); // a refusal always says why
    }
    const QString text = QString::fromUtf8(line);
    if (EchoLinkWire::unescapeText(EchoLinkWire::escapeText(text)) != text)
        std::abort();
    EchoLinkWire::unescapeText(text);
    return 0;
}
