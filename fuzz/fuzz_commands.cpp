// Whatever text reaches the command decoder, typed or received, in either connection state: it never crashes,
// never names a button outside 1 to 40, and never hands a caption a line break. The memory list built from any
// captions keeps one CR-ended line per button.
#include "chat/CommandTable.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

namespace {

void require(bool condition)
{
    if (!condition)
        std::abort();
}

bool hasLineBreak(const QString& text)
{
    for (const QChar c : text) {
        switch (c.unicode()) {
        case u'\n':
        case u'\v':
        case u'\f':
        case u'\r':
        case 0x0085:
        case 0x2028:
        case 0x2029:
            return true;
        default:
            break;
        }
    }
    return false;
}

void checkDecode(const QString& text, Commands::Family family, const Commands::Context& context)
{
    const Commands::Decoded decoded = Commands::decode(text, family, context);
    if (decoded.action == Commands::Action::StoreButton) {
        require(decoded.button >= 1 && decoded.button <= MemoryButtons::Count);
        require(!hasLineBreak(decoded.argument));
    } else {
        require(decoded.button == 0);
    }
    require(decoded.action == Commands::Action::None || text.size() >= decoded.code.size());
    require(decoded.argument.size() <= qMax(text.size(), context.connectedCall.size()));
}

void checkList(const QString& text)
{
    const QStringList captions = text.split(u'|');
    const QString list = MemoryButtons::listText(captions.value(0), captions.mid(1));
    require(list.count(u'\r') == MemoryButtons::Count + 1 && list.endsWith(u'\r'));
    require(!hasLineBreak(QString(list).remove(u'\r')));
    for (const QString& caption : captions)
        require(!hasLineBreak(MemoryButtons::sanitizedCaption(caption)));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const auto* bytes = reinterpret_cast<const char*>(data);
    const QString text = QString::fromUtf8(bytes, static_cast<qsizetype>(size));
    // The same bytes read as UTF-16, as the session's wide strings carry text: lone surrogates, NULs and all.
    QString wide;
    for (size_t i = 0; i + 1 < size; i += 2)
        wide += QChar(static_cast<char16_t>(data[i] | (data[i + 1] << 8)));
    require(Commands::asciiUpper(text).size() == text.size());
    for (const QString& command : { text, wide }) {
        for (const bool connected : { false, true }) {
            const Commands::Context context { connected, command.mid(3) };
            checkDecode(command, Commands::Family::Local, context);
            checkDecode(command, Commands::Family::Remote, context);
        }
    }
    checkList(text);
    return 0;
}
