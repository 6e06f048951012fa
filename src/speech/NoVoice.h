#pragma once

#include "speech/Voice.h"

// A machine without speech: every request fails with the same message, so the speech operations
// report each attempted announcement as they would where no engine is installed.
class NoVoice : public Voice
{
public:
    explicit NoVoice(QString message = QStringLiteral("No speech engine available."));
    void speak(const QString& text, int flags) override;

private:
    QString m_message;
};
