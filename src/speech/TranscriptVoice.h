#pragma once

#include "speech/Voice.h"

#include <QString>
#include <mutex>

// Test hook: instead of sounding, every call appends one line to a file, the decimal flags, a tab and
// the text exactly as the caller built it (\ CR LF and tab escaped), so acceptance tests can read what
// would have been said, in order, with its flags. The file is opened for each line and closed again,
// so a test may remove or empty it between steps.
class TranscriptVoice : public Voice
{
public:
    explicit TranscriptVoice(QString path);
    void speak(const QString& text, int flags) override;

    static QString line(const QString& text, int flags);

private:
    QString m_path;
    std::mutex m_mutex;
};
