#pragma once

// echolib-peer, the test station on Debian's EchoLink library, driven through its standard input; its
// name is "“José” da Silva" in Windows-1252.
#include "NodeText.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QTest>
#include <optional>

namespace NodeHarness {

inline const QByteArray peerName = NodeText::toWindows1252(QStringLiteral("“José” da Silva"));

class Peer
{
public:
    Peer(const QString& record, bool refuse = false, const QString& callsign = QStringLiteral("Q5PEER"),
         const QString& address = QStringLiteral("127.0.0.5"))
    {
        process_.setProgram(QStringLiteral(CORVANE_ECHOLIB_PEER_PROGRAM));
        process_.setArguments({ QStringLiteral("--callsign"), callsign, QStringLiteral("--name-hex"),
                                QString::fromLatin1(peerName.toHex()), QStringLiteral("--info"),
                                QStringLiteral("Peer station"), QStringLiteral("--bind"), address,
                                QStringLiteral("--record"), record, QStringLiteral("--refuse"),
                                refuse ? QStringLiteral("1") : QStringLiteral("0") });
        process_.start();
        QVERIFY(process_.waitForStarted());
        QVERIFY(waitFor("ready"));
    }
    ~Peer() { quit(); }

    void send(const QByteArray& line)
    {
        process_.write(line + '\n');
        process_.waitForBytesWritten(1000);
    }
    void chat(const QByteArray& windows1252) { send("chat " + windows1252.toHex()); }

    // The rest of the first line starting with `prefix` (nothing when none came in time).
    std::optional<QByteArray> waitFor(const QByteArray& prefix, int ms = 5000)
    {
        QElapsedTimer timer;
        timer.start();
        while (timer.elapsed() < ms) {
            while (process_.canReadLine()) {
                const QByteArray line = process_.readLine().trimmed();
                if (line.startsWith(prefix))
                    return line.mid(prefix.size()).trimmed();
            }
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
            process_.waitForReadyRead(20);
        }
        return std::nullopt;
    }

    void quit()
    {
        if (process_.state() == QProcess::NotRunning)
            return;
        send("quit");
        if (!process_.waitForFinished(3000))
            process_.kill();
        process_.waitForFinished(1000);
    }

private:
    QProcess process_;
};

} // namespace NodeHarness
