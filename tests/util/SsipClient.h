#pragma once

#include <QByteArray>
#include <QElapsedTimer>
#include <QList>
#include <QLocalSocket>
#include <QString>
#include <chrono>
#include <optional>

// A second client of the speech service, playing the screen reader: it speaks at the screen reader's
// priority (message), cancels its own speech before new speech as a screen reader does, and hears the
// service's notifications of when its messages begin and end. Plain SSIP over the service's socket.
class SsipClient
{
public:
    using Clock = std::chrono::steady_clock;
    struct Event
    {
        int messageId;
        int code; // 701 begin, 702 end, 703 cancelled
        Clock::time_point at;
    };

    bool open(const QString& socketPath)
    {
        m_socket.connectToServer(socketPath);
        if (!m_socket.waitForConnected(3000))
            return false;
        return command("SET SELF CLIENT_NAME user:screenreader:main").startsWith("208")
            && command("SET SELF NOTIFICATION ALL on").startsWith("218")
            && command("SET SELF PRIORITY message").startsWith("202");
    }

    // Returns the message id, or -1.
    int say(const QString& text)
    {
        if (!command("SPEAK").startsWith("230"))
            return -1;
        QByteArray data;
        for (QByteArray line : text.toUtf8().split('\n')) {
            if (line.startsWith('.'))
                line.prepend('.');
            data += line + "\r\n";
        }
        const QByteArray reply = command(data + ".");
        if (!reply.startsWith("225"))
            return -1;
        return m_lastReplyId;
    }

    void cancel() { command("CANCEL SELF"); }

    // Waits for a notification of this message; the time it was read.
    std::optional<Clock::time_point> waitFor(int messageId, int code, int timeoutMs)
    {
        QElapsedTimer waited;
        waited.start();
        while (true) {
            for (const Event& event : m_events) {
                if (event.messageId == messageId && event.code == code)
                    return event.at;
            }
            const int left = timeoutMs - static_cast<int>(waited.elapsed());
            if (left <= 0 || !readBlock(left))
                return std::nullopt;
        }
    }
    // Any notification of this message that tells it is over (ended or cancelled).
    std::optional<int> waitForOutcome(int messageId, int timeoutMs)
    {
        QElapsedTimer waited;
        waited.start();
        while (true) {
            for (const Event& event : m_events) {
                if (event.messageId == messageId && (event.code == 702 || event.code == 703))
                    return event.code;
            }
            const int left = timeoutMs - static_cast<int>(waited.elapsed());
            if (left <= 0 || !readBlock(left))
                return std::nullopt;
        }
    }
    // Reads what has arrived without waiting.
    void poll()
    {
        while (m_socket.bytesAvailable() > 0 || m_socket.waitForReadyRead(0)) {
            if (!readBlock(0))
                break;
        }
    }

private:
    // Sends one command and returns the last line of its reply, notifications read meanwhile kept.
    QByteArray command(const QByteArray& line)
    {
        m_socket.write(line + "\r\n");
        m_socket.flush();
        m_reply.clear();
        QElapsedTimer waited;
        waited.start();
        while (m_reply.isEmpty() && waited.elapsed() < 5000) {
            if (!readBlock(5000 - static_cast<int>(waited.elapsed())))
                break;
        }
        return m_reply;
    }

    // Reads one block of lines, up to the one with a space after its code; false on time-out.
    bool readBlock(int timeoutMs)
    {
        QList<QByteArray> lines;
        QElapsedTimer waited;
        waited.start();
        while (true) {
            while (!m_socket.canReadLine()) {
                const int left = timeoutMs - static_cast<int>(waited.elapsed());
                if (left <= 0 && lines.isEmpty())
                    return false;
                if (!m_socket.waitForReadyRead(std::max(left, lines.isEmpty() ? 0 : 1000)))
                    return false;
            }
            const QByteArray line = m_socket.readLine().trimmed();
            lines << line;
            if (line.size() >= 4 && line.at(3) == ' ')
                break;
        }
        const QByteArray last = lines.constLast();
        const int code = last.left(3).toInt();
        if (code >= 700 && code < 800) {
            if (lines.size() >= 2)
                m_events.append({ lines.at(0).mid(4).toInt(), code, Clock::now() });
            return true;
        }
        if (code == 225 && lines.size() >= 2)
            m_lastReplyId = lines.at(0).mid(4).toInt();
        m_reply = last;
        return true;
    }

    QLocalSocket m_socket;
    QByteArray m_reply;
    int m_lastReplyId = -1;
    QList<Event> m_events;
};
