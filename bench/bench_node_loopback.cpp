// Two EchoLink nodes and the fake directory on loopback, Corvane's window on the first one:
//  - chat latency: the remote node's SendChatText until the window's voice call for that chat;
//  - audio delay: keying the first node until the remote node reports that it receives, and from keying
//    (the microphone file's first sample) until the first received sample is in the remote node's WAV output;
//  - CPU: what each node uses per second of a QSO, idle (keep-alives) and with audio flowing.
// Run: QT_QPA_PLATFORM=offscreen bench_node_loopback [messages]   (uses 127.0.0.1-3, ports 5198-5200)
#include "node/NodeHarness.h"
#include "util/FormFixture.h"

#include <QApplication>
#include <QElapsedTimer>
#include <algorithm>
#include <cstdio>

using namespace NodeHarness;

namespace {

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values.empty() ? 0 : values[values.size() / 2];
}

void chatLatency(SocketSession& remote, FormFixture& f, int messages)
{
    std::vector<double> ms;
    QElapsedTimer timer;
    for (int i = 0; i < messages; ++i) {
        f.voice.spoken.clear();
        QTest::qWait(250); // as fast as anyone types: the node thins a station's chat beyond five lines a second
        const QString text = QStringLiteral("message %1.").arg(i);
        timer.start();
        remote.SendChatText(text);
        while (timer.elapsed() < 3000) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 1);
            const bool heard = std::any_of(f.voice.spoken.cbegin(), f.voice.spoken.cend(),
                                           [&text](const FakeVoice::Request& r) { return r.text.contains(text); });
            if (heard)
                break;
        }
        ms.push_back(timer.nsecsElapsed() / 1e6);
    }
    std::printf("chat, remote node to Corvane's voice call: median %.2f ms, max %.2f ms over %d messages\n", median(ms),
                *std::max_element(ms.begin(), ms.end()), messages);
}

void keyingDelay(SocketSession& own, SocketSession& remote)
{
    std::vector<double> ms;
    QElapsedTimer timer;
    for (int i = 0; i < 5; ++i) {
        timer.start();
        own.Transmit(true);
        while (!remote.Receiving() && timer.elapsed() < 3000)
            QThread::msleep(2);
        ms.push_back(timer.nsecsElapsed() / 1e6);
        QTest::qWait(500);
        own.Transmit(false);
        while (remote.Receiving())
            QThread::msleep(10);
    }
    std::printf("audio, keying until the remote node receives: median %.1f ms, max %.1f ms over 5 keyings\n",
                median(ms), *std::max_element(ms.begin(), ms.end()));
}

// The microphone file starts at keying; its first sample reaches the other node's WAV output when the file
// grows past its header.
void wavToWavDelay(SocketSession& own, SocketSession& remote, const QString& remoteWav)
{
    std::vector<double> ms;
    QElapsedTimer timer;
    for (int i = 0; i < 5; ++i) {
        const qint64 before = QFileInfo(remoteWav).size();
        timer.start();
        own.Transmit(true);
        while (QFileInfo(remoteWav).size() <= before && timer.elapsed() < 3000)
            QThread::usleep(200);
        ms.push_back(timer.nsecsElapsed() / 1e6);
        QTest::qWait(500);
        own.Transmit(false);
        while (remote.Receiving())
            QThread::msleep(10);
    }
    std::printf("audio, microphone WAV to the remote node's WAV output: median %.1f ms, max %.1f ms over 5 keyings\n",
                median(ms), *std::max_element(ms.begin(), ms.end()));
}

void cpuPerQso(NodeProcess& own, NodeProcess& other, SocketSession& session)
{
    double ownStart = own.cpuMs();
    double otherStart = other.cpuMs();
    QTest::qWait(3000);
    std::printf("CPU, one QSO idle: sending node %.2f ms/s, receiving node %.2f ms/s\n", (own.cpuMs() - ownStart) / 3,
                (other.cpuMs() - otherStart) / 3);
    ownStart = own.cpuMs();
    otherStart = other.cpuMs();
    session.Transmit(true);
    QTest::qWait(2000); // the test tone lasts two seconds
    session.Transmit(false);
    std::printf("CPU, one QSO with audio (GSM encode, send; receive, decode, write): sending node %.2f ms/s, "
                "receiving node %.2f ms/s\n",
                (own.cpuMs() - ownStart) / 2, (other.cpuMs() - otherStart) / 2);
}

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    const int messages = argc > 1 ? std::max(5, atoi(argv[1])) : 50;
    QTemporaryDir dir;
    TwoNodes nodes(dir);
    NodeProcess& own = nodes.own;
    NodeProcess& other = nodes.other;

    FormFixture f;
    SocketSession session;
    session.setServerPath(own.socketPath());
    TmainForm form(MainFormServices { &session, &f.voice, &f.clock, &f.platform, &f.power, {} });
    form.startUp().FormCreate();
    f.clock.advance(4000);
    QSignalSpy connected(other.session.get(), &EchoLinkSession::OnConnected);
    session.Connect1(QStringLiteral("Q2BBB"), true);
    for (int i = 0; i < 100 && connected.isEmpty(); ++i)
        QTest::qWait(20);

    chatLatency(*other.session, f, messages);
    keyingDelay(*own.session, *other.session);
    wavToWavDelay(*own.session, *other.session, other.outputWav());
    cpuPerQso(own, other, *own.session);
    return 0;
}
