#pragma once

#include <QString>
#include <functional>

class Voice;

// Everything Corvane says goes through here: the four speech operations, callsign speaking and the
// station information. It owns the speech switch (Speech Enable) and the volume level of tagged speech.
// A voice that fails is reported through the failure reporter (a chat-pane line) and never stops the caller.
class Announcer
{
public:
    explicit Announcer(Voice& voice);
    ~Announcer();
    Announcer(const Announcer&) = delete;
    Announcer& operator=(const Announcer&) = delete;

    void setEnabled(bool enabled) { m_enabled = enabled; }
    bool isEnabled() const { return m_enabled; }
    // The level as the volume bar gives it (negative); the tag takes its magnitude.
    void setVolumeLevel(int level) { m_volumeLevel = level; }
    int volumeLevel() const { return m_volumeLevel; }
    // The own callsign, which callsign speaking says as "This Station".
    void setOwnCallsign(const QString& call) { m_ownCallsign = call; }
    // Failures inside a speech call and those the voice reports later, one per failing request, both
    // reach the reporter as failureLine(message).
    void setFailureReporter(std::function<void(const QString&)> report);
    // The close sequence lets go of the voice; from then on nothing is spoken and nothing reported.
    void releaseVoice();

    void SpeakToMeNow(const QString& msg);
    void SpeakToMeNowPurge(const QString& msg);
    void SpeakToMeNowSync(const QString& msg);
    void SpeakWithVolume(const QString& msg);
    void SpeakCallSign(const QString& msg);
    void SpeakStationInfo(const QString& msg);

    // The text SpeakWithVolume hands to the voice: the volume tag around the escaped message.
    QString volumeTagged(const QString& msg) const;
    // Hands a text to the voice exactly as given, still only while speech is enabled; a failure is thrown.
    void speakUnchecked(const QString& text, int flags);
    // The line the failure reporter receives for a voice error message.
    static QString failureLine(const QString& message);

private:
    void speak(const QString& text, int flags);
    void report(const QString& message);

    Voice* m_voice;
    std::function<void(const QString&)> m_reportFailure;
    QString m_ownCallsign;
    bool m_enabled = true;
    int m_volumeLevel = -70;
};
