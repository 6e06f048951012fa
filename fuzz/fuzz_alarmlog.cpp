// Any alarm-log text, at any earlier length, with announcements and transmit in any state: the reading never
// shows or says more than the newest part allows, and the next length is always the length read.
#include "echolink/AlarmLogParse.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

namespace {

void require(bool condition)
{
    if (!condition)
        std::abort();
}

QString spell(const QString& callsign)
{
    return QLatin1Char('<') + callsign + QLatin1Char('>');
}

// The first byte chooses the state: bit 0 announcements off, bit 1 transmitting, the rest how much of the text
// was there at the last look (63: more than there is now).
AlarmLog::Input inputFrom(const uint8_t* data, size_t size)
{
    const uint8_t state = size > 0 ? data[0] : 0;
    AlarmLog::Input input;
    input.text = QString::fromUtf8(reinterpret_cast<const char*>(data) + (size > 0),
                                   static_cast<qsizetype>(size) - (size > 0));
    const int share = state >> 2;
    input.previousLength = share == 63 ? input.text.size() + 10 : input.text.size() * share / 64;
    input.announce = !(state & 1);
    input.notTransmitting = !(state & 2);
    return input;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const AlarmLog::Input input = inputFrom(data, size);
    const AlarmLog::Look look = AlarmLog::look(input);
    require(look.newLength == input.text.size());
    require(look.parsed == (input.announce && input.text.size() > input.previousLength));
    require(look.parsed ? look.entries.size() >= 1 : look.entries.isEmpty());
    require(look.entries.size() <= AlarmLog::MaxEntries);
    require(look.paneLine.size() <= AlarmLog::TailLength && input.text.endsWith(look.paneLine));
    require(look.timeText.size() <= AlarmLog::TimeLength);
    for (const AlarmLog::Entry& entry : look.entries)
        require(entry.suffix.size() <= 5 && entry.callsign.size() <= look.paneLine.size());

    const QStringList said = look.utterances(spell);
    require(said.size() <= 2 + AlarmLog::MaxEntries);
    require(input.notTransmitting || said.isEmpty());
    for (const QString& text : said)
        require(!text.isEmpty());
    const QString kept = look.lastAlarmText(spell, QStringLiteral("before"));
    require(look.parsed || kept == QStringLiteral("before"));
    return 0;
}
