#pragma once

#include "app/IniFile.h"

#include <QString>
#include <QVariant>
#include <functional>
#include <vector>

class Announcer;
class Panes;

// One key of the settings file and where its value lives in the running program: how a value read at
// start-up is applied, and where a save reads it back from. The table of these is the only list of keys.
struct SettingBinding
{
    enum class Type
    {
        Boolean,
        Integer,
        Text
    };
    QString key;
    Type type;
    QString defaultValue; // as the file would hold it: "TRUE", "10", a text
    std::function<void(const QVariant&)> apply;
    std::function<QVariant()> current;
};

// The settings file: loaded into memory when opened, applied key by key after start-up, saved on request.
class SettingsController
{
public:
    SettingsController(Announcer& announcer, Panes& panes);

    void setBindings(std::vector<SettingBinding> bindings) { m_bindings = std::move(bindings); }
    const std::vector<SettingBinding>& bindings() const { return m_bindings; }

    // Loads the file into memory; a missing file is an empty one.
    void open(const QString& path);
    IniFile& store() { return m_ini; }

    // Applies every key in table order, each as soon as it is read. A value that cannot be read stops the
    // load there; the keys before it stay applied.
    void LoadSettings();
    // Writes every key and saves the file; only a file really written is confirmed as saved. Returns
    // whether it was written.
    bool SaveSettings();

private:
    Announcer& m_announcer;
    Panes& m_panes;
    IniFile m_ini;
    std::vector<SettingBinding> m_bindings;
};

// The default away message keeps its trailing blank, as the settings file always had it.
extern const QString DefaultAbsentMessage;
