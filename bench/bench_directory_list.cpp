// Station list costs: parsing a list the size of the real network's (about 6,000 stations) and the largest
// the parser takes, whole and in TCP-sized pieces, the memory the list keeps, and lookups by callsign and
// node number.
#include "util/ResidentMemory.h"
#include "DirectoryProtocol.h"

#include <QElapsedTimer>
#include <QFile>
#include <cstdio>

namespace {

QByteArray makeList(int count)
{
    QByteArray reply = "@@@\n" + QByteArray::number(count + 1) + "\n \nWelcome\n0\n0.0.0.0\n";
    for (int i = 0; i < count; ++i) {
        const QByteArray suffix = i % 7 == 0 ? "-L" : i % 11 == 0 ? "-R" : "";
        reply += "Q" + QByteArray::number(i % 10) + "X" + QByteArray::number(i) + suffix + '\n';
        reply += "Somewhere near a town " + QByteArray::number(i % 300) + (i % 3 ? " [ON 12:34]\n" : " [BUSY 01:02]\n");
        reply += QByteArray::number(100000 + i) + '\n';
        reply += "10." + QByteArray::number(i / 65536 % 256) + '.' + QByteArray::number(i / 256 % 256) + '.'
            + QByteArray::number(1 + i % 250) + '\n';
    }
    return reply + "+++";
}

void run(int count)
{
    const QByteArray reply = makeList(count);
    // Measured first, before earlier rounds leave freed memory for the list to reuse.
    const qint64 before = residentKiB();
    const StationList list = DirectoryProtocol::parseList(reply).list;
    const qint64 kept = residentKiB() - before;

    constexpr int rounds = 5;
    QElapsedTimer timer;
    timer.start();
    qsizetype parsed = 0;
    for (int i = 0; i < rounds; ++i)
        parsed = DirectoryProtocol::parseList(reply).list.size();
    const double wholeMs = timer.nsecsElapsed() / 1e6 / rounds;

    timer.restart();
    for (int i = 0; i < rounds; ++i) {
        DirectoryProtocol::ListParser parser;
        for (qsizetype at = 0; at < reply.size(); at += 1460)
            parser.feed(QByteArrayView(reply).sliced(at, qMin<qsizetype>(1460, reply.size() - at)));
        parser.finish();
        parsed = parser.list().size();
    }
    const double piecesMs = timer.nsecsElapsed() / 1e6 / rounds;

    constexpr int lookups = 1000000;
    int found = 0;
    timer.restart();
    for (int i = 0; i < lookups; ++i)
        found += list.findId(100000 + i % count) != nullptr;
    const double idNs = static_cast<double>(timer.nsecsElapsed()) / lookups;
    const QString call = QStringLiteral("Q3X%1").arg(count / 2 - (count / 2) % 10 + 3);
    timer.restart();
    for (int i = 0; i < lookups; ++i)
        found += list.findCallsign(call) != nullptr;
    const double callNs = static_cast<double>(timer.nsecsElapsed()) / lookups;

    std::printf("list of %6d stations (%7.1f KiB): parsed %6lld, whole %7.2f ms, in 1460-byte pieces %7.2f ms, "
                "kept about %6lld KiB; lookup by node number %5.0f ns, by callsign %5.0f ns (%d found)\n",
                count, reply.size() / 1024.0, static_cast<long long>(parsed), wholeMs, piecesMs,
                static_cast<long long>(kept), idNs, callNs, found);
}

} // namespace

int main()
{
    for (const int count : { 6000, 29999 })
        run(count);
    return 0;
}
