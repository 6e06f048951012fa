#include "speech/QueuedVoice.h"

#include "speech/VoiceMarkup.h"

#include <QMetaObject>

QueuedVoice::QueuedVoice(std::unique_ptr<SpeechEngine> engine, std::chrono::milliseconds blockingBound)
    : m_homeThread(std::make_unique<QObject>())
    , m_queue(std::move(engine), blockingBound)
{
}

void QueuedVoice::speak(const QString& text, int flags)
{
    m_queue.submit(VoiceMarkup::interpret(text, flags));
}

// The handler is read when the failure arrives on the home thread, not when it happened, so one cleared
// in the meantime (its owner gone) is never called.
void QueuedVoice::setFailureHandler(FailureHandler handler)
{
    m_failureHandler = std::move(handler);
    if (!m_failureHandler) {
        m_queue.setFailureListener({});
        return;
    }
    m_queue.setFailureListener([this](const QString& message) {
        QMetaObject::invokeMethod(
            m_homeThread.get(),
            [this, message] {
                if (m_failureHandler)
                    m_failureHandler(message);
            },
            Qt::QueuedConnection);
    });
}
