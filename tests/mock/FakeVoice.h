#pragma once

#include "speech/Voice.h"

#include <QList>
#include <QPair>
#include <QString>

// Records what the window asks to be spoken, with the flags; can be made to fail like a machine without speech.
class FakeVoice : public Voice
{
public:
    struct Request
    {
        QString text;
        int flags;
        SpeechKind kind = SpeechKind::Event; // not compared: the Parts' texts and flags are
        bool operator==(const Request& o) const { return text == o.text && flags == o.flags; }
    };
    QList<Request> spoken;
    QString failWith;

    void speak(const QString& text, int flags) override { speakAs(SpeechKind::Event, text, flags); }
    void speakAs(SpeechKind kind, const QString& text, int flags) override
    {
        if (!failWith.isEmpty())
            throw VoiceError(failWith);
        spoken.append({ text, flags, kind });
    }
    void setFailureHandler(FailureHandler handler) override { failureHandler = std::move(handler); }
    void cancelEcho() override { ++echoCancels; }
    int echoCancels = 0;
    // A request that fails after speak() returned, as a background voice reports it.
    void failInBackground(const QString& message)
    {
        if (failureHandler)
            failureHandler(message);
    }
    FailureHandler failureHandler;

    QStringList texts() const
    {
        QStringList result;
        for (const Request& r : spoken)
            result << r.text;
        return result;
    }
};
