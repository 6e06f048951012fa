#include "speech/QueuedVoice.h"

#include "speech/VoiceMarkup.h"

#include <QMetaObject>

QueuedVoice::QueuedVoice(std::unique_ptr<SpeechEngine> engine, std::chrono::milliseconds blockingBound,
                         std::chrono::milliseconds gatherWindow)
    : m_homeThread(std::make_unique<QObject>())
    , m_queue(std::move(engine), blockingBound, gatherWindow)
{
}

void QueuedVoice::speak(const QString& text, int flags)
{
    speakAs(SpeechKind::Event, text, flags);
}

void QueuedVoice::speakAs(SpeechKind kind, const QString& text, int flags)
{
    SpeechRequest request = VoiceMarkup::interpret(text, flags);
    request.kind = kind;
    m_queue.submit(request);
}

void QueuedVoice::cancelEcho()
{
    m_queue.purgeEcho();
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
