// Loads arbitrary bytes as a settings file, writes the copy out and loads that again: every section and key line,
// repeats included, must come back exactly, and a second write must give the same bytes as the first. A write
// through the typed interface changes the first occurrence of its key (or adds one line) and nothing else.
#include "app/IniFile.h"
#include "platform/TextEncoding.h"

#include <cstdint>
#include <cstdlib>

namespace {

void require(bool condition)
{
    if (!condition)
        std::abort();
}

qsizetype lineCount(const IniFile& ini)
{
    qsizetype lines = 0;
    for (const IniFile::Section& section : ini.sections())
        lines += 1 + section.entries.size();
    return lines;
}

IniFile reloadOf(const IniFile& ini)
{
    IniFile reloaded;
    reloaded.loadFromData(ini.serialized());
    return reloaded;
}

// A Windows-1252 file whose bytes beyond ASCII all sat in dropped lines (comments, lines before the first section)
// is valid UTF-8 once written, and reads back as such; the text that is left is the same when it is all ASCII.
bool readsBackAsWritten(const IniFile& ini, const IniFile& reloaded)
{
    if (reloaded.encoding() == ini.encoding())
        return true;
    const QByteArray written = ini.serialized();
    require(ini.encoding() == IniFile::Encoding::Windows1252);
    require(reloaded.encoding() == IniFile::Encoding::Locale && TextEncoding::decodeUtf8(written).has_value());
    for (char byte : written) {
        if (static_cast<unsigned char>(byte) >= 0x80)
            return false;
    }
    return true;
}

void checkRoundTrip(const IniFile& ini)
{
    const IniFile reloaded = reloadOf(ini);
    if (!readsBackAsWritten(ini, reloaded))
        return;
    require(reloaded.sections() == ini.sections());
    require(reloaded.sectionNames() == ini.sectionNames());
    require(reloaded.serialized() == ini.serialized());
}

// Whatever the file held, the typed reads either give a value or raise a conversion error.
void checkTypedReads(IniFile& ini)
{
    for (const QString& section : ini.sectionNames()) {
        ini.setDefaultSection(section);
        for (const QString& key : ini.keyNames(section)) {
            try {
                (void)ini.readBool(key, false);
            } catch (const IniConversionError&) {
            }
            try {
                (void)ini.readInteger(key, 0);
            } catch (const IniConversionError&) {
            }
        }
    }
}

// Writes text taken from the input (with a character Windows-1252 lacks) to the first key of the first
// section, or to a new key: one line at most is added, the read gives what was stored, and the copy still says
// what its file would say.
void checkWrite(IniFile ini, const QByteArray& bytes)
{
    const QStringList sections = ini.sectionNames();
    ini.setDefaultSection(sections.isEmpty() ? QStringLiteral("Corvane") : sections.front());
    const QStringList keys = ini.keyNames(ini.defaultSection());
    const QString key = keys.isEmpty() ? QStringLiteral("Callsign1") : keys.front();
    // Blanks at the ends of a value are gone after a reload, as documented; letters at both ends keep them inside.
    const QString text = QLatin1Char('v') + QString::fromUtf8(bytes.left(48)) + QChar(0x3A9);
    const qsizetype before = lineCount(ini);

    ini.writeString(key, text);
    require(lineCount(ini) - before <= (sections.isEmpty() ? 2 : keys.isEmpty() ? 1 : 0));
    require(ini.hasKey(key));
    const QString stored = ini.readString(key, {});
    require(!stored.contains(u'\r') && !stored.contains(u'\n'));
    if (ini.encoding() == IniFile::Encoding::Windows1252)
        require(TextEncoding::canEncodeWindows1252(stored));
    checkRoundTrip(ini);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    IniFile loaded;
    loaded.loadFromData(bytes);
    checkRoundTrip(loaded);
    checkWrite(loaded, bytes);
    checkTypedReads(loaded);
    return 0;
}
