#pragma once

#include <QString>
#include <vector>

// The keys of the settings file, in the order they are read at start-up and written by a save.
struct SettingKey
{
    enum class Type
    {
        Boolean,
        Integer,
        Text
    };
    QString name;
    Type type;
    QString defaultValue; // as the file would hold it: "TRUE", "10", a text
};

const std::vector<SettingKey>& settingKeys();
// Position of a key in settingKeys(), or -1.
int settingIndex(const QString& name);

// The default away message keeps its trailing blank, as the settings file always had it.
extern const QString DefaultAbsentMessage;
