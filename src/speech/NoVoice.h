#pragma once

#include "speech/Voice.h"

// A machine without speech: every request fails with the same message, so the speech operations
// report each attempted announcement as they would where no engine is installed. A voice that only
// says once why it is silent (where another program speaks for the operator) fails the first request only.
class NoVoice : public Voice
{
public:
    enum class Reports
    {
        EveryRequest,
        Once,
    };
    explicit NoVoice(QString message = QStringLiteral("No speech engine available."),
                     Reports reports = Reports::EveryRequest);
    void speak(const QString& text, int flags) override;

private:
    QString m_message;
    Reports m_reports;
    bool m_reported = false;
};
