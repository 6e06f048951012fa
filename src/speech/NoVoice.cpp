#include "speech/NoVoice.h"

NoVoice::NoVoice(QString message)
    : m_message(std::move(message))
{
}

void NoVoice::speak(const QString&, int)
{
    throw VoiceError(m_message);
}
