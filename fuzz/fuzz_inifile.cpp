// Loads arbitrary bytes as a settings file, writes the copy out and loads that again: the sections, keys and values
// must come back exactly, and a second write must give the same bytes as the first.
#include "app/IniFile.h"

#include <cstdint>
#include <cstdlib>

namespace {

struct Snapshot
{
    QStringList sections;
    QList<QStringList> keys;
    QList<QStringList> values;

    bool operator==(const Snapshot&) const = default;
};

Snapshot snapshotOf(const IniFile& ini)
{
    Snapshot snapshot;
    snapshot.sections = ini.sectionNames();
    for (const QString& section : snapshot.sections) {
        const QStringList keys = ini.keyNames(section);
        QStringList values;
        for (const QString& key : keys)
            values.append(ini.value(section, key));
        snapshot.keys.append(keys);
        snapshot.values.append(values);
    }
    return snapshot;
}

void require(bool condition)
{
    if (!condition)
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    IniFile loaded;
    loaded.loadFromData(QByteArray(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size)));
    const QByteArray written = loaded.serialized();

    IniFile reloaded;
    reloaded.loadFromData(written);
    require(snapshotOf(reloaded) == snapshotOf(loaded));
    require(reloaded.encoding() == loaded.encoding());
    require(reloaded.serialized() == written);

    // Whatever the file held, the typed reads either give a value or raise a conversion error.
    for (const QString& section : loaded.sectionNames()) {
        loaded.setDefaultSection(section);
        for (const QString& key : loaded.keyNames(section)) {
            try {
                (void)loaded.readBool(key, false);
            } catch (const IniConversionError&) {
            }
            try {
                (void)loaded.readInteger(key, 0);
            } catch (const IniConversionError&) {
            }
        }
    }
    return 0;
}
