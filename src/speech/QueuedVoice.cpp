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

void QueuedVoice::setFailureHandler(FailureHandler handler)
{
    if (!handler) {
        m_queue.setFailureListener({});
        return;
    }
    QObject* home = m_homeThread.get();
    m_queue.setFailureListener([home, handler = std::move(handler)](const QString& message) {
        QMetaObject::invokeMethod(
            home, [handler, message] { handler(message); }, Qt::QueuedConnection);
    });
}
