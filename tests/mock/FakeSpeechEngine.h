#pragma once

#include "speech/SpeechEngine.h"
#include "speech/Voice.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <utility>

// A speech engine that sounds nothing: it records what reaches it and, when asked, holds each utterance
// "speaking" until the test releases it or the queue cuts it off, so order, purge and blocking can be
// watched without a sound device. The test keeps the shared log; the queue owns the engine.
struct FakeSpeechLog
{
    std::mutex mutex;
    std::condition_variable changed;
    QStringList started; // texts handed to speak(), in order
    QList<SpeechRequest> requests; // the same, whole
    QStringList finished; // texts that ended normally
    QStringList cutOff; // texts that ended by a cut-off
    int purges = 0;
    bool holdUtterances = false; // speak() waits until released or cut off
    int released = 0; // how many held utterances may end
    bool neverFinishBlocking = false; // waitUntilSpoken() waits for its deadline
    QString failOpen;
    QString failNextSpeak;
    QStringList failingSpeaks; // the next speak() calls fail, one with each message, in order
    std::chrono::steady_clock::time_point lastStart;

    void release()
    {
        std::lock_guard lock(mutex);
        ++released;
        changed.notify_all();
    }

    // Waits (bounded, a few seconds) until the engine has seen count utterances start.
    bool waitForStarted(int count)
    {
        std::unique_lock lock(mutex);
        return changed.wait_for(lock, std::chrono::seconds(5), [&] { return started.size() >= count; });
    }

    bool waitForEnded(int count)
    {
        std::unique_lock lock(mutex);
        return changed.wait_for(lock, std::chrono::seconds(5),
                                [&] { return finished.size() + cutOff.size() >= count; });
    }

    QStringList startedTexts()
    {
        std::lock_guard lock(mutex);
        return started;
    }
};

class FakeSpeechEngine : public SpeechEngine
{
public:
    explicit FakeSpeechEngine(std::shared_ptr<FakeSpeechLog> log)
        : m_log(std::move(log))
    {
    }

    void open() override
    {
        std::lock_guard lock(m_log->mutex);
        if (!m_log->failOpen.isEmpty())
            throw VoiceError(m_log->failOpen);
    }

    void speak(const SpeechRequest& request, const CutOff& cutOff) override
    {
        std::unique_lock lock(m_log->mutex);
        if (!m_log->failNextSpeak.isEmpty())
            throw VoiceError(std::exchange(m_log->failNextSpeak, QString()));
        if (!m_log->failingSpeaks.isEmpty()) {
            m_log->changed.notify_all();
            throw VoiceError(m_log->failingSpeaks.takeFirst());
        }
        m_log->started << request.text;
        m_log->requests << request;
        m_log->lastStart = std::chrono::steady_clock::now();
        m_log->changed.notify_all();
        if (m_log->holdUtterances) {
            m_log->changed.wait(lock, [&] { return cutOff || m_log->released > 0; });
            if (!cutOff)
                --m_log->released;
        }
        (cutOff ? m_log->cutOff : m_log->finished) << request.text;
        m_log->changed.notify_all();
    }

    void waitUntilSpoken(Deadline deadline, const CutOff& cutOff) override
    {
        std::unique_lock lock(m_log->mutex);
        if (m_log->neverFinishBlocking)
            m_log->changed.wait_until(lock, deadline, [&] { return bool(cutOff); });
    }

    void purge() override
    {
        std::lock_guard lock(m_log->mutex);
        ++m_log->purges;
    }

    void wake() override
    {
        std::lock_guard lock(m_log->mutex);
        m_log->changed.notify_all();
    }

private:
    std::shared_ptr<FakeSpeechLog> m_log;
};
