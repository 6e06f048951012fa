#pragma once

#include "speech/SpeechRequest.h"

#include <QString>
#include <functional>

class Voice;

// Everything Corvane says goes through here: the four speech operations, callsign speaking and the
// station information. It owns the speech switch (Speech Enable) and the volume level of tagged speech.
// A voice that fails is reported through the failure reporter (a chat-pane line) and never stops the caller.
//
// Every request carries its kind of speech (SpeechKind): station events unless the caller says it is
// answering the operator's key (Answer) or echoing focus and keys (Echo). The kind, not the operation,
// decides what a purge may cut: a key never cuts what the operator did not ask for. While a screen
// reader runs, echo is left to it (nothing is said twice) until the operator takes it back.
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

    // A screen reader was found at start: focus announcements and key echo are its job.
    void leaveEchoToScreenReader(bool leave) { m_echoLeftToScreenReader = leave; }
    bool echoLeftToScreenReader() const { return m_echoLeftToScreenReader; }

    void SpeakToMeNow(const QString& msg, SpeechKind kind = SpeechKind::Event);
    void SpeakToMeNowPurge(const QString& msg, SpeechKind kind = SpeechKind::Event);
    // Blocks only for an event (the closing words); answers and echo never hold the window.
    void SpeakToMeNowSync(const QString& msg, SpeechKind kind = SpeechKind::Event);
    void SpeakWithVolume(const QString& msg, SpeechKind kind = SpeechKind::Event);
    void SpeakCallSign(const QString& msg, SpeechKind kind = SpeechKind::Event);
    void SpeakStationInfo(const QString& msg, SpeechKind kind = SpeechKind::Event);

    // The text SpeakWithVolume hands to the voice: the volume tag around the escaped message.
    QString volumeTagged(const QString& msg) const;
    // Hands a text to the voice exactly as given, still only while speech is enabled; a failure is thrown.
    void speakUnchecked(const QString& text, int flags);
    // The line the failure reporter receives for a voice error message.
    static QString failureLine(const QString& message);

private:
    void speak(const QString& text, int flags, SpeechKind kind);
    void report(const QString& message);

    Voice* m_voice;
    std::function<void(const QString&)> m_reportFailure;
    QString m_ownCallsign;
    bool m_enabled = true;
    bool m_echoLeftToScreenReader = false;
    int m_volumeLevel = -70;
};
