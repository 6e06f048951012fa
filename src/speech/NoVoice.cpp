#include "speech/NoVoice.h"

#include <utility>

NoVoice::NoVoice(QString message, Reports reports)
    : m_message(std::move(message))
    , m_reports(reports)
{
}

void NoVoice::speak(const QString&, int)
{
    if (m_reports == Reports::Once && std::exchange(m_reported, true))
        return;
    throw VoiceError(m_message);
}
