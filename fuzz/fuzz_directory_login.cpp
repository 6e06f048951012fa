// The directory's answer to a login, the login command built from any callsign, password and location
// (no field may forge another), and station addresses as the directory writes them.
#include "DirectoryProtocol.h"
#include "StationList.h"

#include <cstdint>
#include <cstdlib>

namespace {

void check(bool condition)
{
    if (!condition)
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArrayView bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));

    for (const bool closed : { false, true }) {
        const auto reply = DirectoryProtocol::parseLoginReply(bytes, closed);
        check(reply.text.size() <= DirectoryProtocol::MaxReplyTextChars);
        for (const QChar c : reply.text)
            check(c.unicode() >= 0x20);
        if (closed)
            check(reply.kind != DirectoryProtocol::LoginReply::Incomplete);
        if (bytes.size() >= DirectoryProtocol::MaxLoginReplyBytes)
            check(reply.kind != DirectoryProtocol::LoginReply::Incomplete);
        if (reply.incorrectPassword)
            check(reply.kind == DirectoryProtocol::LoginReply::Refused);
    }

    // Fields separated by NUL bytes: callsign, password, location.
    const QList<QByteArray> fields = bytes.toByteArray().split('\0');
    DirectoryProtocol::Login login { QString::fromUtf8(fields.value(0)), QString::fromUtf8(fields.value(1)),
                                     QString::fromUtf8(fields.value(2)) };
    const QByteArray command = DirectoryProtocol::loginRequest(login, DirectoryProtocol::Status::Busy, QTime(23, 59));
    if (!command.isEmpty()) {
        check(command.startsWith('l'));
        check(command.count('\r') == 3 && command.endsWith('\r'));
        check(command.count('\xac') == 2 && !command.contains('\n'));
        check(command.split('\r').value(1) == "BUSY3.40(23:59)");
        check(command.split('\r').value(2).size() <= DirectoryProtocol::MaxLocationBytes);
    }

    const auto address = StationAddress::parse(bytes);
    if (address) {
        check(StationAddress::isCallable(*address));
        // Only the canonical spelling is taken.
        check(address->toString().toLatin1() == bytes);
    }
    return 0;
}
