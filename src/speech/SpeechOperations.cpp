// The four speech operations and the controls that govern all speech. Nothing else calls the voice,
// apart from the application-wide exception report.
#include "app/MainForm.h"
#include "speech/Phonetics.h"
#include "platform/Platform.h"
#include "speech/SoundFiles.h"
#include "speech/Voice.h"
#include "speech/VoiceMarkup.h"

#include <QCheckBox>
#include <QKeyEvent>
#include <QSlider>

namespace Flags {
constexpr int Queued = SpeakFlags::Async | SpeakFlags::IsNotXml; // 17
constexpr int Purge = SpeakFlags::Async | SpeakFlags::PurgeBeforeSpeak | SpeakFlags::IsNotXml; // 19
constexpr int Blocking = SpeakFlags::IsNotXml; // 16
constexpr int WithVolume = SpeakFlags::Async | SpeakFlags::SpeakPunctuation; // 65
} // namespace Flags

void TmainForm::speak(const QString& text, int flags)
{
    if (text.isEmpty() || !SpeechEnableCheckBox->isChecked())
        return;
    try {
        m_services.voice->speak(text, flags);
    } catch (const std::exception& e) {
        reportSpeechFailure(QString::fromUtf8(e.what()));
    }
}

void TmainForm::reportSpeechFailure(const QString& message)
{
    AddChatLineQuietly(message + QStringLiteral(" Microsoft Speech Not installed or Disabled."));
}

void TmainForm::SpeakToMeNow(const QString& msg)
{
    speak(msg, Flags::Queued);
}

void TmainForm::SpeakToMeNowPurge(const QString& msg)
{
    speak(msg, Flags::Purge);
}

void TmainForm::SpeakToMeNowSync(const QString& msg)
{
    speak(msg, Flags::Blocking);
}

// Received chat reaches this tag; it is escaped so a station cannot inject markup into our speech.
QString TmainForm::volumeTagged(const QString& msg) const
{
    return QStringLiteral("<volume level=\"%1\">").arg(std::abs(state.VolumeLevel)) + VoiceMarkup::escape(msg)
        + QStringLiteral("</volume>");
}

void TmainForm::SpeakWithVolume(const QString& msg)
{
    if (msg.isEmpty())
        return;
    speak(volumeTagged(msg), Flags::WithVolume);
}

void TmainForm::SpeakCallSign(const QString& msg)
{
    const QString text = Phonetics::callSignSpeechText(msg, state.MyCallsign);
    speak(text, Flags::Purge);
}

void TmainForm::SpeakStationInfo(const QString& msg)
{
    SpeakToMeNow(msg);
}

void TmainForm::SpeechEnableCheckBoxClick()
{
    if (SpeechEnableCheckBox->isChecked())
        SpeakToMeNow(QStringLiteral("Speech Output Now Enabled"));
}

void TmainForm::TrackBarVolumeChange()
{
    state.VolumeLevel = TrackBarVolume->value();
}

void TmainForm::TrackBarVolumeKeyUp(int key)
{
    if (key != Qt::Key_Up && key != Qt::Key_Down)
        return;
    state.VolumeLevel = TrackBarVolume->value();
    SpeakWithVolume(QString::number(std::abs(state.VolumeLevel)) + QStringLiteral("Percent"));
}

void TmainForm::Button1Click()
{
    m_services.platform->playSound(SoundFiles::timeoutWavPath());
    SpeakWithVolume(QStringLiteral("Volume AdjustMent Message Use Up and Down Arrow Keys"));
}
