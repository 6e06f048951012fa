// echolib-peer: an EchoLink station built on Debian's EchoLink library, for the node's interop tests only.
// It is driven by lines on standard input and tells what happens on standard output, one line each:
//   in:  call <ip> | chat <hex> | info <hex> | tx | hangup | quit
//   out: incoming <call> | connected <call> <hex name> | disconnected | chat <hex> | info <hex> |
//        receiving 0|1 | sent <packets>
// Text goes as hex so that the test sees the exact Windows-1252 bytes. Received audio is written to the
// --record WAV file on quit; tx sends a --tone-hz tone for --tone-seconds, paced in real time.
#include <AsyncCppApplication.h>
#include <AsyncFdWatch.h>
#include <AsyncAudioSink.h>
#include <AsyncIpAddress.h>
#include <AsyncTimer.h>
#include <EchoLinkDispatcher.h>
#include <EchoLinkQso.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <memory>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

std::string toHex(const std::string& bytes)
{
    static const char digits[] = "0123456789abcdef";
    std::string out;
    for (const unsigned char c : bytes) {
        out += digits[c >> 4];
        out += digits[c & 15];
    }
    return out;
}

std::string fromHex(const std::string& hex)
{
    std::string out;
    for (std::size_t i = 0; i + 1 < hex.size(); i += 2)
        out += static_cast<char>(std::stoi(hex.substr(i, 2), nullptr, 16));
    return out;
}

void say(const std::string& line)
{
    std::cout << line << std::endl;
}

class Recorder : public Async::AudioSink
{
public:
    int writeSamples(const float* samples, int count) override
    {
        samples_.insert(samples_.end(), samples, samples + count);
        return count;
    }
    void flushSamples() override { sourceAllSamplesFlushed(); }

    void save(const std::string& path) const
    {
        FILE* file = std::fopen(path.c_str(), "wb");
        if (!file)
            return;
        const auto put32 = [file](unsigned v) { std::fwrite(&v, 4, 1, file); };
        const auto put16 = [file](unsigned short v) { std::fwrite(&v, 2, 1, file); };
        const unsigned bytes = static_cast<unsigned>(samples_.size() * 2);
        std::fwrite("RIFF", 1, 4, file);
        put32(36 + bytes);
        std::fwrite("WAVEfmt ", 1, 8, file);
        put32(16);
        put16(1);
        put16(1);
        put32(8000);
        put32(16000);
        put16(2);
        put16(16);
        std::fwrite("data", 1, 4, file);
        put32(bytes);
        for (const float s : samples_) {
            const float c = s > 1 ? 1 : (s < -1 ? -1 : s);
            const auto v = static_cast<short>(c * 32767);
            std::fwrite(&v, 2, 1, file);
        }
        std::fclose(file);
    }

private:
    std::vector<float> samples_;
};

struct Peer
{
    std::string callsign = "Q5PEER";
    std::string name = "Peer";
    std::string info = "Peer station";
    std::string record;
    double toneHz = 1000;
    double toneSeconds = 2;
    bool refuse = false;

    std::unique_ptr<EchoLink::Qso> qso;
    Recorder recorder;
    std::unique_ptr<Async::Timer> tx;
    int sentBlocks = 0;
    std::string input;

    void attach()
    {
        qso->stateChange.connect([this](EchoLink::Qso::State state) {
            if (state == EchoLink::Qso::STATE_CONNECTED)
                say("connected " + qso->remoteCallsign() + " " + toHex(qso->remoteName()));
            else if (state == EchoLink::Qso::STATE_DISCONNECTED)
                say("disconnected");
        });
        qso->chatMsgReceived.connect([](const std::string& msg) { say("chat " + toHex(msg)); });
        qso->infoMsgReceived.connect([](const std::string& msg) { say("info " + toHex(msg)); });
        qso->isReceiving.connect([](bool on) { say(on ? "receiving 1" : "receiving 0"); });
        qso->registerSink(&recorder);
    }

    void incoming(const Async::IpAddress& ip, const std::string& call, const std::string& remoteName,
                  const std::string& priv)
    {
        say("incoming " + call);
        if (qso && qso->currentState() != EchoLink::Qso::STATE_DISCONNECTED)
            return;
        qso.reset();
        qso = std::make_unique<EchoLink::Qso>(ip, callsign, name, info);
        if (!qso->initOk())
            return;
        qso->setRemoteCallsign(call);
        qso->setRemoteName(remoteName);
        qso->setRemoteParams(priv);
        attach();
        if (refuse)
            qso->disconnect();
        else
            qso->accept();
    }

    void command(const std::string& line)
    {
        const std::string verb = line.substr(0, line.find(' '));
        const std::string rest = line.find(' ') == std::string::npos ? "" : line.substr(line.find(' ') + 1);
        if (verb == "call") {
            qso.reset();
            qso = std::make_unique<EchoLink::Qso>(Async::IpAddress(rest), callsign, name, info);
            if (qso->initOk()) {
                attach();
                qso->connect();
            }
        } else if (verb == "chat" && qso) {
            qso->sendChatData(fromHex(rest));
        } else if (verb == "info" && qso) {
            qso->sendInfoData(fromHex(rest));
        } else if (verb == "tx" && qso) {
            sentBlocks = 0;
            tx = std::make_unique<Async::Timer>(80, Async::Timer::TYPE_PERIODIC);
            tx->expired.connect([this](Async::Timer*) { sendBlock(); });
        } else if (verb == "hangup" && qso) {
            qso->disconnect();
        } else if (verb == "quit") {
            quit();
        }
    }

    void sendBlock()
    {
        const int total = static_cast<int>(toneSeconds * 8000 / 640);
        if (sentBlocks >= total) {
            tx.reset();
            qso->flushSamples();
            say("sent " + std::to_string(sentBlocks));
            return;
        }
        float samples[640];
        for (int i = 0; i < 640; ++i) {
            const int n = sentBlocks * 640 + i;
            samples[i] = static_cast<float>(0.4 * std::sin(2 * M_PI * toneHz * n / 8000.0));
        }
        qso->writeSamples(samples, 640);
        ++sentBlocks;
    }

    void readInput()
    {
        char buffer[4096];
        const ssize_t got = ::read(STDIN_FILENO, buffer, sizeof(buffer));
        if (got <= 0) {
            quit();
            return;
        }
        input.append(buffer, static_cast<std::size_t>(got));
        for (std::size_t end; (end = input.find('\n')) != std::string::npos;) {
            const std::string line = input.substr(0, end);
            input.erase(0, end + 1);
            command(line);
        }
    }

    void quit()
    {
        if (qso) {
            qso->disconnect();
            qso->unregisterSink();
        }
        if (!record.empty())
            recorder.save(record);
        Async::Application::app().quit();
    }
};

} // namespace

int main(int argc, char** argv)
{
    Async::CppApplication app;
    Peer peer;
    std::string bind = "127.0.0.5";
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string key = argv[i];
        const std::string value = argv[i + 1];
        if (key == "--callsign")
            peer.callsign = value;
        else if (key == "--name-hex")
            peer.name = fromHex(value);
        else if (key == "--info")
            peer.info = value;
        else if (key == "--bind")
            bind = value;
        else if (key == "--record")
            peer.record = value;
        else if (key == "--tone-hz")
            peer.toneHz = std::stod(value);
        else if (key == "--tone-seconds")
            peer.toneSeconds = std::stod(value);
        else if (key == "--refuse")
            peer.refuse = value == "1";
    }
    EchoLink::Dispatcher::setBindAddr(Async::IpAddress(bind));
    EchoLink::Dispatcher* dispatcher = EchoLink::Dispatcher::instance();
    if (!dispatcher) {
        say("error ports");
        return 1;
    }
    dispatcher->incomingConnection.connect(
        [&peer](const Async::IpAddress& ip, const std::string& call, const std::string& name,
                const std::string& priv) { peer.incoming(ip, call, name, priv); });
    Async::FdWatch input(STDIN_FILENO, Async::FdWatch::FD_WATCH_RD);
    input.activity.connect([&peer](Async::FdWatch*) { peer.readInput(); });
    say("ready");
    app.exec();
    peer.qso.reset();
    EchoLink::Dispatcher::deleteInstance();
    return 0;
}
