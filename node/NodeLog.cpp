#include "NodeLog.h"

#include <QCoreApplication>
#include <QSocketNotifier>
#include <cerrno>
#include <fcntl.h>
#include <memory>
#include <unistd.h>

namespace NodeLog {

namespace {

struct Writer
{
    QByteArray pending;
    quint64 leftOut = 0;
    std::unique_ptr<QSocketNotifier> notifier;
    bool prepared = false;

    void prepare()
    {
        if (prepared)
            return;
        prepared = true;
        ::fcntl(STDERR_FILENO, F_SETFL, ::fcntl(STDERR_FILENO, F_GETFL) | O_NONBLOCK);
        if (QCoreApplication::instance()) {
            notifier = std::make_unique<QSocketNotifier>(STDERR_FILENO, QSocketNotifier::Write);
            notifier->setEnabled(false);
            QObject::connect(notifier.get(), &QSocketNotifier::activated, [this] { flush(); });
        }
    }

    void flush()
    {
        while (!pending.isEmpty()) {
            const ssize_t written = ::write(STDERR_FILENO, pending.constData(), static_cast<size_t>(pending.size()));
            if (written <= 0) {
                if (written < 0 && errno != EAGAIN && errno != EINTR)
                    pending.clear(); // nobody to write to
                break;
            }
            pending.remove(0, written);
        }
        if (pending.isEmpty() && leftOut > 0) {
            pending = "corvane-echolinkd: " + QByteArray::number(leftOut) + " log lines left out\n";
            leftOut = 0;
        }
        if (notifier)
            notifier->setEnabled(!pending.isEmpty());
    }
};

Writer& writer()
{
    static Writer instance;
    return instance;
}

} // namespace

void line(const QString& text)
{
    Writer& w = writer();
    w.prepare();
    const QByteArray bytes = "corvane-echolinkd: " + text.toLocal8Bit() + '\n';
    if (w.pending.size() + bytes.size() > MaxPendingBytes) {
        ++w.leftOut;
        return;
    }
    w.pending += bytes;
    w.flush();
}

qsizetype pendingBytes()
{
    return writer().pending.size();
}

} // namespace NodeLog
