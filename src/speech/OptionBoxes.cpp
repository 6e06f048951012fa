#include "speech/OptionBoxes.h"

#include "echolink/StationRoster.h"
#include "platform/Platform.h"
#include "speech/Announcer.h"
#include "speech/SoundFiles.h"

#include <Qt>
#include <cstdlib>

OptionBoxes::OptionBoxes(Announcer& announcer, Platform& platform, const StationRoster& roster, OptionBoxesView& view)
    : m_announcer(announcer)
    , m_platform(platform)
    , m_roster(roster)
    , m_view(view)
{
}

void OptionBoxes::SpeakCheckBoxClick(bool checked)
{
    m_speakMessage = checked;
    m_announcer.SpeakToMeNow(checked ? QStringLiteral("Speak Messages Active") : QStringLiteral("Speak Messages Off"),
                             SpeechKind::Answer);
    m_view.focusHomeControl();
}

void OptionBoxes::ButtonAnnounceCheckBoxClick(bool checked)
{
    m_buttonAnnounce = checked;
    m_announcer.SpeakToMeNow(checked ? QStringLiteral("Button Speak Active") : QStringLiteral("Button Speak Off"),
                             SpeechKind::Answer);
    m_view.focusHomeControl();
    // With announcements off the home control stays silent, so say where the focus went.
    if (!checked)
        m_announcer.SpeakToMeNow(m_roster.isConnected() ? QStringLiteral("TR") : QStringLiteral(" "), SpeechKind::Echo);
}

void OptionBoxes::KeySpeakCheckBoxClick(bool checked)
{
    m_keyboardSpeak = checked;
    m_announcer.SpeakToMeNow(checked ? QStringLiteral("Keyboard Speak Active") : QStringLiteral("Keyboard Speak Off"),
                             SpeechKind::Answer);
    m_view.focusHomeControl();
}

void OptionBoxes::SpeechEnableCheckBoxClick(bool checked)
{
    m_announcer.setEnabled(checked);
    if (checked)
        m_announcer.SpeakToMeNow(QStringLiteral("Speech Output Now Enabled"), SpeechKind::Answer);
}

void OptionBoxes::FocusToFrontCheckBoxClick(bool checked)
{
    m_notBringToFront = !checked;
    if (checked)
        m_announcer.SpeakToMeNow(
            QStringLiteral(
                "Station List Update, Will Bring Corvane to Front. Or Flash Task bar Icon. With, Windows seven"),
            SpeechKind::Answer);
    else
        m_announcer.SpeakToMeNow(QStringLiteral("Corvane will Not Come To Front. Or Flash. When Station List Up Dates"),
                                 SpeechKind::Answer);
    m_view.focusHomeControl();
}

void OptionBoxes::FocusToFrontCheckBoxEnter()
{
    m_platform.beep();
}

void OptionBoxes::TrackBarVolumeChange(int position)
{
    m_announcer.setVolumeLevel(position);
}

void OptionBoxes::TrackBarVolumeKeyUp(int key, int position)
{
    if (key != Qt::Key_Up && key != Qt::Key_Down)
        return;
    m_announcer.setVolumeLevel(position);
    m_announcer.SpeakWithVolume(QString::number(std::abs(position)) + QStringLiteral("Percent"), SpeechKind::Answer);
}

void OptionBoxes::Button1Click()
{
    m_platform.playSound(SoundFiles::timeoutWavPath());
    m_announcer.SpeakWithVolume(QStringLiteral("Volume AdjustMent Message Use Up and Down Arrow Keys"),
                                SpeechKind::Answer);
}
