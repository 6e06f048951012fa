#include "app/SettingsTable.h"

const QString DefaultAbsentMessage
    = QStringLiteral("Sorry I am out of the shack. Please leave, type a text message and I will call you back. ");

const std::vector<SettingKey>& settingKeys()
{
    using T = SettingKey::Type;
    static const std::vector<SettingKey> keys = [] {
        std::vector<SettingKey> list = {
            { QStringLiteral("SpeakMessage"), T::Boolean, QStringLiteral("TRUE") },
            { QStringLiteral("ButtonAnnounce"), T::Boolean, QStringLiteral("TRUE") },
            { QStringLiteral("KeyboardSpeak"), T::Boolean, QStringLiteral("TRUE") },
            { QStringLiteral("AlarmMsgAnnounce"), T::Boolean, QStringLiteral("TRUE") },
            { QStringLiteral("ColorToggle"), T::Boolean, QStringLiteral("FALSE") },
            { QStringLiteral("TimerBell"), T::Boolean, QStringLiteral("TRUE") },
            { QStringLiteral("SpeechEnable"), T::Boolean, QStringLiteral("TRUE") },
            { QStringLiteral("NotBringToFront"), T::Boolean, QStringLiteral("FALSE") },
            { QStringLiteral("ColorSetNumber"), T::Integer, QStringLiteral("0") },
            { QStringLiteral("InitialFontSize"), T::Integer, QStringLiteral("10") },
            { QStringLiteral("Left"), T::Integer, QStringLiteral("40") },
            { QStringLiteral("Top"), T::Integer, QStringLiteral("70") },
            { QStringLiteral("Width"), T::Integer, QStringLiteral("680") },
            { QStringLiteral("Height"), T::Integer, QStringLiteral("520") },
            { QStringLiteral("ChatDisplayWidth"), T::Integer, QStringLiteral("248") },
            { QStringLiteral("VolumeLevel"), T::Integer, QStringLiteral("-80") },
            { QStringLiteral("AbsentMsg"), T::Text, DefaultAbsentMessage },
        };
        for (int i = 1; i <= 40; ++i)
            list.push_back({ QStringLiteral("Callsign%1").arg(i), T::Text, QStringLiteral("NO CALL") });
        return list;
    }();
    return keys;
}

int settingIndex(const QString& name)
{
    const auto& keys = settingKeys();
    for (size_t i = 0; i < keys.size(); ++i) {
        if (keys[i].name.compare(name, Qt::CaseInsensitive) == 0)
            return static_cast<int>(i);
    }
    return -1;
}
