// Every datagram a station can send to the node's two EchoLink ports: audio, chat and information on the
// first, SDES and BYE on the second. Whatever is accepted must build back into something that parses alike.
#include "EchoLinkPackets.h"

#include <cstdint>
#include <cstdlib>

using namespace EchoLinkPackets;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray datagram(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    if (const auto audio = parseAudio(datagram)) {
        if (audio->payloadType == PayloadGsm && audio->payload.size() != GsmPayloadBytes)
            std::abort();
        if (parseAudio(buildAudio(audio->sequence, audio->payloadType, audio->payload))->payload != audio->payload)
            std::abort();
    }
    if (const auto text = parseText(datagram)) {
        if (text->body.size() > MaxTextBytes || text->body.contains('\0'))
            std::abort();
    }
    const Control control = parseControl(datagram);
    if (control.kind == ControlKind::Description) {
        const Description& d = control.description;
        if (d.callsign.size() > 16 || d.name.size() > MaxItemBytes || d.privateItem.size() > MaxItemBytes)
            std::abort();
        const Control again = parseControl(buildDescription(d.callsign, d.name, d.privateItem));
        if (again.kind != ControlKind::Description || again.description.callsign != d.callsign)
            std::abort();
    }
    return 0;
}
