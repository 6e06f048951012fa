// Any station text splits into parts that give the text back, with the talker line ended by its first CR.
#include "echolink/StationTextSplit.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

namespace {

void require(bool condition)
{
    if (!condition)
        std::abort();
}

void checkSplit(const QString& text)
{
    const StationText::Split split = StationText::split(text);
    const qsizetype marker = text.indexOf(u'>');
    require(split.hasTalker == (marker >= 0));
    if (!split.hasTalker) {
        require(split.head == text && split.paneLines() == QStringList { text });
        require(split.talkingNowCaption().isEmpty() && split.statusText().isEmpty());
        return;
    }
    require(text.startsWith(split.head) && split.head.size() == qMax<qsizetype>(marker - 1, 0));
    require(split.talkerLine + split.rest == text.mid(marker + 1));
    require(split.talkerLine.isEmpty() || split.talkerLine.indexOf(u'\r') == split.talkerLine.size() - 1);
    require(!split.talkerLine.isEmpty() || !split.rest.contains(u'\r'));
    require(split.talkingNowCaption() == StationText::TalkingNowCaption + split.statusText());
    require(split.paneLines().size() == 3);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const auto* bytes = reinterpret_cast<const char*>(data);
    checkSplit(QString::fromUtf8(bytes, static_cast<qsizetype>(size)));
    checkSplit(QString::fromLatin1(bytes, static_cast<qsizetype>(size)));
    return 0;
}
