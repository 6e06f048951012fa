// What reaches the node from the network and its own files: chat, station information, callsigns and
// names as stations send them (Windows-1252 bytes), and WAV files for the microphone.
#include "NodeText.h"
#include "WavFile.h"

#include <cstdint>
#include <cstdlib>

namespace {

bool hasControl(const QString& text, bool lineBreaksAllowed)
{
    for (const QChar c : text) {
        const bool lineBreak = c == QLatin1Char('\r');
        if (c.unicode() < 0x20 && c != QLatin1Char('\t') && !(lineBreaksAllowed && lineBreak))
            return true;
    }
    return false;
}

QByteArray wavHeader()
{
    QByteArray header("RIFF\0\0\0\0WAVEfmt \x10\0\0\0\x01\0\x01\0\x40\x1f\0\0\x80\x3e\0\0\x02\0\x10\0", 36);
    return header;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const QString chat = NodeText::chatFromWire(bytes);
    if (chat.size() > NodeText::MaxChatChars || hasControl(chat, false))
        std::abort();
    const QString info = NodeText::stationTextFromWire(bytes);
    if (info.size() > NodeText::MaxStationTextChars || hasControl(info, true))
        std::abort();
    if (NodeText::callFromWire(bytes).size() > 15 || NodeText::nameFromWire(bytes).size() > 64)
        std::abort();
    // Whatever Windows-1252 holds survives the trip back.
    const QString decoded = NodeText::fromWindows1252(bytes);
    if (NodeText::fromWindows1252(NodeText::toWindows1252(decoded)) != decoded)
        std::abort();
    if (NodeText::chatToWire(QString::fromUtf8(bytes)).contains('\n'))
        std::abort();

    QString error;
    WavFile::parse(bytes, &error);
    // A valid start, so that the chunk walk gets to work on the rest.
    const auto samples = WavFile::parse(wavHeader() + bytes, &error);
    if (samples && static_cast<qsizetype>(samples->size()) > WavFile::MaxSamples)
        std::abort();
    return 0;
}
