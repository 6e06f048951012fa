// Loading the settings at start-up (each value applied as soon as it is read) and saving them.
#include "app/Settings.h"

#include "chat/Panes.h"
#include "speech/Announcer.h"

const QString DefaultAbsentMessage
    = QStringLiteral("Sorry I am out of the shack. Please leave, type a text message and I will call you back. ");

SettingsController::SettingsController(Announcer& announcer, Panes& panes)
    : m_announcer(announcer)
    , m_panes(panes)
{
}

void SettingsController::open(const QString& path)
{
    m_ini.setFileName(path);
    m_ini.setDefaultSection(QStringLiteral("Corvane"));
}

void SettingsController::LoadSettings()
{
    using Type = SettingBinding::Type;
    for (const SettingBinding& b : m_bindings) {
        switch (b.type) {
        case Type::Boolean:
            b.apply(m_ini.readBool(b.key, b.defaultValue == QLatin1String("TRUE")));
            break;
        case Type::Integer:
            b.apply(m_ini.readInteger(b.key, b.defaultValue.toInt()));
            break;
        case Type::Text:
            b.apply(m_ini.readString(b.key, b.defaultValue));
            break;
        }
    }
}

bool SettingsController::SaveSettings()
{
    using Type = SettingBinding::Type;
    for (const SettingBinding& b : m_bindings) {
        const QVariant value = b.current();
        switch (b.type) {
        case Type::Boolean:
            m_ini.writeBool(b.key, value.toBool());
            break;
        case Type::Integer:
            m_ini.writeInteger(b.key, value.toInt());
            break;
        case Type::Text:
            m_ini.writeString(b.key, value.toString());
            break;
        }
    }
    QString error;
    if (m_ini.save(&error)) {
        m_announcer.SpeakToMeNow(QStringLiteral("Options saved"));
        return true;
    }
    m_panes.AppendChatLine(QStringLiteral(">Options not saved: ") + error);
    m_announcer.SpeakToMeNow(QStringLiteral("Options not saved"));
    return false;
}
