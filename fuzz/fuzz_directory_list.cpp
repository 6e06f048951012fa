// The directory's station list, whole and in pieces: the pieces give the same list, and every entry that
// comes out is well formed and within the limits.
#include "DirectoryProtocol.h"

#include <cstdint>
#include <cstdlib>

namespace {

void check(bool condition)
{
    if (!condition)
        std::abort();
}

void checkList(const StationList& list, const DirectoryProtocol::ListLimits& limits)
{
    check(list.size() <= limits.maxEntries);
    check(list.serverMessage().size() <= limits.maxMessageLines);
    for (const StationEntry& entry : list.entries()) {
        check(DirectoryProtocol::isValidCallsign(entry.callsign));
        check(entry.id > 0 && entry.id <= 9999999);
        check(StationAddress::isCallable(entry.address));
        check(entry.description.size() <= limits.maxDescriptionChars);
        for (const QChar c : entry.description)
            check(c.unicode() >= 0x20 && (c.unicode() < 0x7f || c.unicode() >= 0xa0));
        check(list.findCallsign(entry.callsign) == &entry);
        check(list.findId(entry.id) == &entry);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0)
        return 0;
    // The first byte chooses the size of the pieces and how tight the limits are.
    const int piece = 1 + data[0] % 37;
    DirectoryProtocol::ListLimits limits;
    if (data[0] & 0x80) {
        limits.maxEntries = 5;
        limits.maxLineBytes = 24;
        limits.maxTotalBytes = 512;
        limits.maxDescriptionChars = 8;
        limits.maxMessageLines = 2;
    }
    const QByteArrayView bytes(reinterpret_cast<const char*>(data) + 1, static_cast<qsizetype>(size - 1));

    const DirectoryProtocol::ListResult whole = DirectoryProtocol::parseList(bytes, limits);
    checkList(whole.list, limits);
    check((whole.state == DirectoryProtocol::ListParser::State::Failed) == !whole.error.isEmpty());

    DirectoryProtocol::ListParser parser(limits);
    for (qsizetype at = 0; at < bytes.size(); at += piece)
        parser.feed(bytes.sliced(at, qMin<qsizetype>(piece, bytes.size() - at)));
    parser.finish();
    check(parser.bytesRead() <= limits.maxTotalBytes);
    check(parser.state() == whole.state);
    check(parser.error() == whole.error);
    if (whole.state == DirectoryProtocol::ListParser::State::Done)
        check(parser.list().entries() == whole.list.entries());

    StationEntry entry;
    DirectoryProtocol::parseStationData(bytes, 64, entry);
    check(entry.description.size() <= 64);
    check(entry.since.isEmpty() || entry.since.size() == 5);
    return 0;
}
