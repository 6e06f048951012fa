// Loading the settings at start-up (each value applied as soon as it is read) and saving them.
#include "app/IniFile.h"
#include "app/MainForm.h"
#include "app/SettingsTable.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QSlider>
#include <QSpinBox>
#include <QSplitter>
#include <QTextBrowser>
#include <algorithm>

namespace {

// Giving a box a new state runs its click handler, exactly as a click would; an equal state runs nothing.
void setChecked(QCheckBox* box, bool checked)
{
    if (box->isChecked() != checked)
        box->setChecked(checked);
}

} // namespace

void TmainForm::applySetting(int index)
{
    const SettingKey& key = settingKeys()[static_cast<size_t>(index)];
    const IniFile& ini = *m_ini;
    auto boolean = [&] { return ini.readBool(key.name, key.defaultValue == QLatin1String("TRUE")); };
    auto integer = [&] { return ini.readInteger(key.name, key.defaultValue.toInt()); };

    switch (index) {
    case 0:
        setChecked(SpeakCheckBox, boolean());
        break;
    case 1:
        setChecked(ButtonAnnounceCheckBox, boolean());
        break;
    case 2:
        setChecked(KeySpeakCheckBox, boolean());
        break;
    case 3:
        state.AlarmMsgAnnounce = boolean();
        break;
    case 4:
        state.ColorToggle = boolean();
        break;
    case 5:
        state.TimerBell = boolean();
        break;
    case 6:
        setChecked(SpeechEnableCheckBox, boolean());
        break;
    case 7:
        setChecked(FocusToFrontCheckBox, boolean());
        break;
    case 8:
        state.ColorSetNumber = integer();
        break;
    case 9:
        btnUpDown->setValue(integer());
        break;
    case 10:
        move(integer(), y());
        break;
    case 11:
        move(x(), integer());
        break;
    case 12:
        resize(std::max(integer() - (frameGeometry().width() - width()), 0), height());
        break;
    case 13:
        resize(width(), std::max(integer() - (frameGeometry().height() - height()), 0));
        break;
    case 14: {
        const int chatWidth = std::max(integer(), 0);
        const int total = std::max(Splitter1->width() - Splitter1->handleWidth(), chatWidth);
        Splitter1->setSizes({ chatWidth, total - chatWidth });
        break;
    }
    case 15: {
        // The variable keeps the value read; the track bar keeps its own range.
        const int volume = integer();
        state.VolumeLevel = volume;
        QSignalBlocker quiet(TrackBarVolume);
        TrackBarVolume->setValue(std::clamp(volume, TrackBarVolume->minimum(), TrackBarVolume->maximum()));
        break;
    }
    case 16:
        edtAbsent->setText(ini.readString(key.name, key.defaultValue));
        break;
    default:
        bCall[static_cast<size_t>(index - 17)]->setText(ini.readString(key.name, key.defaultValue));
        break;
    }
}

void TmainForm::LoadSettings()
{
    // A value that cannot be read stops the load here; the keys before it stay applied.
    for (int i = 0; i < static_cast<int>(settingKeys().size()); ++i)
        applySetting(i);
}

void TmainForm::SaveSettings()
{
    IniFile& ini = *m_ini;
    ini.writeBool(QStringLiteral("SpeakMessage"), SpeakCheckBox->isChecked());
    ini.writeBool(QStringLiteral("ButtonAnnounce"), ButtonAnnounceCheckBox->isChecked());
    ini.writeBool(QStringLiteral("KeyboardSpeak"), KeySpeakCheckBox->isChecked());
    ini.writeBool(QStringLiteral("AlarmMsgAnnounce"), state.AlarmMsgAnnounce);
    ini.writeBool(QStringLiteral("ColorToggle"), state.ColorToggle);
    ini.writeBool(QStringLiteral("TimerBell"), state.TimerBell);
    ini.writeBool(QStringLiteral("SpeechEnable"), SpeechEnableCheckBox->isChecked());
    ini.writeBool(QStringLiteral("NotBringToFront"), FocusToFrontCheckBox->isChecked());
    ini.writeInteger(QStringLiteral("ColorSetNumber"), state.ColorSetNumber);
    ini.writeInteger(QStringLiteral("InitialFontSize"), btnUpDown->value());
    const QRect frame = frameGeometry();
    ini.writeInteger(QStringLiteral("Left"), frame.x());
    ini.writeInteger(QStringLiteral("Top"), frame.y());
    ini.writeInteger(QStringLiteral("Width"), frame.width());
    ini.writeInteger(QStringLiteral("Height"), frame.height());
    ini.writeInteger(QStringLiteral("ChatDisplayWidth"), redtChat->width());
    ini.writeInteger(QStringLiteral("VolumeLevel"), TrackBarVolume->value());
    ini.writeString(QStringLiteral("AbsentMsg"), edtAbsent->text());
    for (int i = 0; i < 40; ++i)
        ini.writeString(QStringLiteral("Callsign%1").arg(i + 1), bCall[static_cast<size_t>(i)]->text());

    // Only a file that was really written is confirmed as saved.
    QString error;
    if (ini.save(&error)) {
        SpeakToMeNow(QStringLiteral("Options saved"));
        return;
    }
    AppendChatLine(QStringLiteral(">Options not saved: ") + error);
    SpeakToMeNow(QStringLiteral("Options not saved"));
}
