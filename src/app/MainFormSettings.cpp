// The settings file's keys, each bound to where its value lives in the window and its controllers.
#include "app/ControlTable.h"
#include "app/MainForm.h"
#include "app/Settings.h"
#include "echolink/StationMonitor.h"
#include "speech/Announcer.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QSlider>
#include <QSpinBox>
#include <QSplitter>
#include <QTextBrowser>
#include <algorithm>

namespace {

using Type = SettingBinding::Type;

// Giving a box a new state runs its click handler, exactly as a click would; an equal state runs nothing.
SettingBinding boxBinding(const char* key, const char* defaultValue, QCheckBox* box)
{
    return { QString::fromLatin1(key), Type::Boolean, QString::fromLatin1(defaultValue),
             [box](const QVariant& v) {
                 if (box->isChecked() != v.toBool())
                     box->setChecked(v.toBool());
             },
             [box] { return QVariant(box->isChecked()); } };
}

SettingBinding flagBinding(const char* key, const char* defaultValue, std::function<void(bool)> set,
                           std::function<bool()> get)
{
    return { QString::fromLatin1(key), Type::Boolean, QString::fromLatin1(defaultValue),
             [set](const QVariant& v) { set(v.toBool()); }, [get] { return QVariant(get()); } };
}

SettingBinding numberBinding(const char* key, const char* defaultValue, std::function<void(int)> set,
                             std::function<int()> get)
{
    return { QString::fromLatin1(key), Type::Integer, QString::fromLatin1(defaultValue),
             [set](const QVariant& v) { set(v.toInt()); }, [get] { return QVariant(get()); } };
}

SettingBinding textBinding(const QString& key, const QString& defaultValue, std::function<void(QString)> set,
                           std::function<QString()> get)
{
    return { key, Type::Text, defaultValue, [set](const QVariant& v) { set(v.toString()); },
             [get] { return QVariant(get()); } };
}

} // namespace

void TmainForm::bindSettings()
{
    StationMonitor& stations = *m_stations;
    TransmitControl& transmit = *m_transmit;
    DisplaySettings& display = *m_display;
    std::vector<SettingBinding> b = {
        boxBinding("SpeakMessage", "TRUE", SpeakCheckBox),
        boxBinding("ButtonAnnounce", "TRUE", ButtonAnnounceCheckBox),
        boxBinding("KeyboardSpeak", "TRUE", KeySpeakCheckBox),
        flagBinding(
            "AlarmMsgAnnounce", "TRUE", [&stations](bool on) { stations.setAlarmMsgAnnounce(on); },
            [&stations] { return stations.alarmMsgAnnounce(); }),
        flagBinding(
            "ColorToggle", "FALSE", [&display](bool on) { display.setColorToggle(on); },
            [&display] { return display.colorToggle(); }),
        flagBinding(
            "TimerBell", "TRUE", [&transmit](bool on) { transmit.setTimerBell(on); },
            [&transmit] { return transmit.timerBell(); }),
        boxBinding("SpeechEnable", "TRUE", SpeechEnableCheckBox),
        // The key's name says the opposite of what it holds; files have always stored the box's state here.
        boxBinding("NotBringToFront", "FALSE", FocusToFrontCheckBox),
        numberBinding(
            "ColorSetNumber", "0", [&display](int n) { display.setColorSetNumber(n); },
            [&display] { return display.colorSetNumber(); }),
        numberBinding(
            "InitialFontSize", "10", [this](int n) { btnUpDown->setValue(n); }, [this] { return btnUpDown->value(); }),
        numberBinding(
            "Left", "40", [this](int n) { move(n, y()); }, [this] { return frameGeometry().x(); }),
        numberBinding(
            "Top", "70", [this](int n) { move(x(), n); }, [this] { return frameGeometry().y(); }),
        // The size is taken once the start-up has set the fonts the layout's minimum depends on.
        numberBinding(
            "Width", "680", [this](int n) { m_savedSize.setWidth(n); }, [this] { return frameGeometry().width(); }),
        numberBinding(
            "Height", "520", [this](int n) { m_savedSize.setHeight(n); }, [this] { return frameGeometry().height(); }),
        numberBinding(
            "ChatDisplayWidth", "248",
            [this](int n) {
                const int chatWidth = std::max(n, 0);
                const int total = std::max(Splitter1->width() - Splitter1->handleWidth(), chatWidth);
                Splitter1->setSizes({ chatWidth, total - chatWidth });
            },
            [this] { return redtChat->width(); }),
        // The variable keeps the value read; the volume bar keeps its own range.
        numberBinding(
            "VolumeLevel", "-80",
            [this](int volume) {
                m_announcer->setVolumeLevel(volume);
                QSignalBlocker quiet(TrackBarVolume);
                TrackBarVolume->setValue(std::clamp(volume, TrackBarVolume->minimum(), TrackBarVolume->maximum()));
            },
            [this] { return TrackBarVolume->value(); }),
        textBinding(
            QStringLiteral("AbsentMsg"), DefaultAbsentMessage, [this](const QString& t) { edtAbsent->setText(t); },
            [this] { return edtAbsent->text(); }),
    };
    // The captions as stored, not as the buttons show them ("&" doubled there).
    MemoryPanel& memories = *m_memories;
    for (int n = 1; n <= MemoryButtonCount; ++n) {
        b.push_back(textBinding(
            QStringLiteral("Callsign%1").arg(n), QStringLiteral("NO CALL"),
            [&memories, n](const QString& t) { memories.setCaption(n, t); },
            [&memories, n] { return memories.caption(n); }));
    }
    m_settings->setBindings(std::move(b));
}
