#include "speech/Announcer.h"

#include "speech/Phonetics.h"
#include "speech/Voice.h"
#include "speech/VoiceMarkup.h"

#include <algorithm>
#include <cstdlib>

namespace Flags {
constexpr int Queued = SpeakFlags::Async | SpeakFlags::IsNotXml; // 17
constexpr int Purge = SpeakFlags::Async | SpeakFlags::PurgeBeforeSpeak | SpeakFlags::IsNotXml; // 19
constexpr int Blocking = SpeakFlags::IsNotXml; // 16
constexpr int WithVolume = SpeakFlags::Async | SpeakFlags::SpeakPunctuation; // 65
} // namespace Flags

Announcer::Announcer(Voice& voice)
    : m_voice(&voice)
{
    m_voice->setFailureHandler([this](const QString& message) { report(message); });
}

Announcer::~Announcer()
{
    releaseVoice();
}

void Announcer::setFailureReporter(std::function<void(const QString&)> report)
{
    m_reportFailure = std::move(report);
}

void Announcer::releaseVoice()
{
    // The voice outlives us; a late failure must not call back into a gone announcer.
    if (m_voice)
        m_voice->setFailureHandler({});
    m_voice = nullptr;
}

void Announcer::report(const QString& message)
{
    if (m_reportFailure)
        m_reportFailure(failureLine(message));
}

QString Announcer::failureLine(const QString& message)
{
    return message + QStringLiteral(" Microsoft Speech Not installed or Disabled.");
}

void Announcer::speak(const QString& text, int flags, SpeechKind kind)
{
    if (text.isEmpty() || !m_enabled || !m_voice)
        return;
    if (kind == SpeechKind::Echo && m_echoLeftToScreenReader) {
        // The screen reader speaks for this key or focus; what we still had to say would hold it up.
        m_voice->cancelEcho();
        return;
    }
    try {
        m_voice->speakAs(kind, text, flags);
    } catch (const std::exception& e) {
        report(QString::fromUtf8(e.what()));
    }
}

void Announcer::speakUnchecked(const QString& text, int flags)
{
    if (m_enabled && m_voice)
        m_voice->speak(text, flags);
}

void Announcer::SpeakToMeNow(const QString& msg, SpeechKind kind)
{
    speak(msg, Flags::Queued, kind);
}

void Announcer::SpeakToMeNowPurge(const QString& msg, SpeechKind kind)
{
    speak(msg, Flags::Purge, kind);
}

void Announcer::SpeakToMeNowSync(const QString& msg, SpeechKind kind)
{
    speak(msg, Flags::Blocking, kind);
}

// Received chat reaches this tag; it is escaped so a station cannot inject markup into our speech.
QString Announcer::volumeTagged(const QString& msg) const
{
    // The tag's level is 0..100 whatever the stored value; a huge negative level read from a settings file
    // must not overflow into a silent or invalid tag.
    const qint64 magnitude = std::min<qint64>(std::abs(static_cast<qint64>(m_volumeLevel)), 100);
    return QStringLiteral("<volume level=\"%1\">").arg(magnitude) + VoiceMarkup::escape(msg)
        + QStringLiteral("</volume>");
}

void Announcer::SpeakWithVolume(const QString& msg, SpeechKind kind)
{
    if (msg.isEmpty())
        return;
    speak(volumeTagged(msg), Flags::WithVolume, kind);
}

// An arriving station's callsign purges too, but a purge cuts only echo and answers: whatever station
// event is being said goes on, and the callsign follows it in full.
void Announcer::SpeakCallSign(const QString& msg, SpeechKind kind)
{
    speak(Phonetics::callSignSpeechText(msg, m_ownCallsign), Flags::Purge, kind);
}

void Announcer::SpeakStationInfo(const QString& msg, SpeechKind kind)
{
    SpeakToMeNow(msg, kind);
}
