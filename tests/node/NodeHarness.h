#pragma once

// Runs the fake directory and EchoLink nodes on loopback for the node tests: each node gets its own
// configuration and runtime folder, and a SocketSession attached to its socket, as Corvane would be.
#include "util/ResidentMemory.h"
#include "echolink/SocketSession.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <functional>
#include <memory>

namespace NodeHarness {

inline const QString directoryAddress = QStringLiteral("127.0.0.3");

struct Station
{
    QString callsign;
    QString password;
    QString name;
    QString address; // the node's bind address
    QString extra; // further configuration lines
};

class NodeProcess
{
public:
    NodeProcess(const QString& folder, const Station& station)
        : folder_(folder)
        , station_(station)
    {
        QDir().mkpath(folder_ + QStringLiteral("/run"));
        QDir().mkpath(folder_ + QStringLiteral("/config/corvane"));
        QFile::setPermissions(folder_ + QStringLiteral("/run"),
                              QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    }
    ~NodeProcess() { stop(); }

    QString configPath() const { return folder_ + QStringLiteral("/config/corvane/echolink.conf"); }
    QString outputWav() const { return folder_ + QStringLiteral("/received.wav"); }
    QString socketPath() const { return folder_ + QStringLiteral("/run/corvane/echolink.sock"); }

    void writeConfig(const QString& microphone,
                     QFileDevice::Permissions permissions = QFileDevice::ReadOwner | QFileDevice::WriteOwner)
    {
        QFile file(configPath());
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        const QString text = QStringLiteral("# test node\nCallsign=%1\nPassword=%2\nName=%3\nLocation=Loopback\n"
                                            "Info=%1 test station\\nLoopback only\nServers=%4\nBindAddress=%5\n"
                                            "ListRefresh=0\nAudioIn=file:%6\nAudioOut=file:%7\n%8\n")
                                 .arg(station_.callsign, station_.password, station_.name, directoryAddress,
                                      station_.address, microphone, outputWav(), station_.extra);
        file.write(text.toUtf8());
        file.close();
        QFile::setPermissions(configPath(), permissions);
    }

    void start()
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), folder_ + QStringLiteral("/run"));
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), folder_ + QStringLiteral("/config"));
        // No desktop secret store unless the test gives the node a session bus of its own.
        env.remove(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"));
        if (!sessionBus.isEmpty()) {
            env.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), sessionBus);
            env.insert(QStringLiteral("XDG_DATA_HOME"), folder_ + QStringLiteral("/data"));
        }
        // A call nobody answers ends in 3 s instead of the network's 20 s (calls are repeated every 2 s).
        env.insert(QStringLiteral("CORVANE_NODE_CONNECT_TIMEOUT_MS"), QStringLiteral("3000"));
        process_.setProcessEnvironment(env);
        if (!errorFile_.isEmpty())
            process_.setStandardErrorFile(errorFile_);
        process_.setProgram(QStringLiteral(CORVANE_NODE_PROGRAM));
        // The configuration path in the command line lets the test runner find a node a crashed test left.
        process_.setArguments({ QStringLiteral("--verbose"), QStringLiteral("--config"), configPath() });
        process_.start();
        QVERIFY(process_.waitForStarted());
        QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(socketPath()), 5000);
        session = std::make_unique<SocketSession>();
        session->setServerPath(socketPath());
    }

    // Waits until the node has logged in to the directory (a station list can be had).
    void awaitLogin()
    {
        for (int tries = 0; tries < 50; ++tries) {
            try {
                session->RefreshStationList(true);
                return;
            } catch (const EchoLinkError&) {
                QTest::qWait(100);
            }
        }
        QFAIL("the node did not log in to the directory");
    }

    void stop()
    {
        if (process_.state() == QProcess::NotRunning)
            return;
        try {
            session->Quit();
        } catch (const EchoLinkError&) {
        }
        if (!process_.waitForFinished(4000)) {
            process_.kill();
            process_.waitForFinished(2000);
        }
    }

    bool finishes(int ms) { return process_.waitForFinished(ms); }
    qint64 processId() const { return process_.processId(); }
    // Standard error goes to this file (a pipe nobody reads, for instance) instead of the test.
    void sendErrorsTo(const QString& path) { errorFile_ = path; }
    // CPU time the node's threads have used so far, in milliseconds (the scheduler's nanosecond count).
    double cpuMs() const
    {
        double total = 0;
        const QString tasks = QStringLiteral("/proc/%1/task").arg(process_.processId());
        for (const QString& task : QDir(tasks).entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
            QFile stat(tasks + QLatin1Char('/') + task + QStringLiteral("/schedstat"));
            if (stat.open(QIODevice::ReadOnly))
                total += stat.readAll().split(' ').value(0).toDouble() / 1e6;
        }
        return total;
    }
    // Resident memory in KiB, from /proc.
    qint64 residentKiB() const
    {
        return ::residentKiB(QStringLiteral("/proc/%1/status").arg(process_.processId()));
    }
    QByteArray log() { return process_.readAllStandardError(); }

    std::unique_ptr<SocketSession> session;
    QString sessionBus; // DBUS_SESSION_BUS_ADDRESS for the node; empty: none

private:
    QString folder_;
    Station station_;
    QString errorFile_;
    QProcess process_;
};

class Directory
{
public:
    explicit Directory(const QStringList& arguments = {})
    {
        process_.setProgram(QStringLiteral(CORVANE_FAKE_DIRECTORY_PROGRAM));
        process_.setArguments(QStringList { QStringLiteral("--address"), directoryAddress, QStringLiteral("--verbose") }
                              + arguments);
        process_.setProcessChannelMode(QProcess::SeparateChannels);
        process_.start();
        process_.waitForStarted();
        // It says so once it listens.
        for (int i = 0; i < 50 && !process_.readAllStandardError().contains("listening"); ++i)
            process_.waitForReadyRead(100);
    }
    ~Directory()
    {
        process_.terminate();
        process_.waitForFinished(2000);
    }

private:
    QProcess process_;
};

// A folder for the nodes inside the test's own runtime folder, which the test runner clears.
// The message a failing call raised, or an empty text when it succeeded.
inline QString errorOf(const std::function<void()>& call)
{
    try {
        call();
    } catch (const EchoLinkError& error) {
        return error.message();
    }
    return QString();
}

inline std::unique_ptr<QTemporaryDir> scratchFolder()
{
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (runtime.isEmpty())
        return std::make_unique<QTemporaryDir>();
    return std::make_unique<QTemporaryDir>(runtime + QStringLiteral("/nodes-XXXXXX"));
}

// 16-bit mono samples of a sine tone.
inline QByteArray toneWav(double hertz, double seconds, double amplitude = 0.4)
{
    const int count = static_cast<int>(seconds * 8000);
    QByteArray data;
    for (int i = 0; i < count; ++i) {
        const auto sample = static_cast<qint16>(amplitude * 32767 * std::sin(2 * M_PI * hertz * i / 8000.0));
        data.append(reinterpret_cast<const char*>(&sample), 2);
    }
    QByteArray header = "RIFF";
    const auto put32 = [&header](quint32 v) { header.append(reinterpret_cast<const char*>(&v), 4); };
    const auto put16 = [&header](quint16 v) { header.append(reinterpret_cast<const char*>(&v), 2); };
    put32(36 + static_cast<quint32>(data.size()));
    header += "WAVEfmt ";
    put32(16);
    put16(1);
    put16(1);
    put32(8000);
    put32(16000);
    put16(2);
    put16(16);
    header += "data";
    put32(static_cast<quint32>(data.size()));
    return header + data;
}

// Writes the 2-second 700 Hz tone the test microphones play; returns its path.
inline QString writeTestTone(const QString& path)
{
    QFile file(path);
    if (file.open(QIODevice::WriteOnly))
        file.write(toneWav(700, 2.0));
    return path;
}

// The fake directory and two logged-in nodes, Q1AAA on 127.0.0.1 and Q2BBB on 127.0.0.2, whose
// microphones both play the test tone.
struct TwoNodes
{
    explicit TwoNodes(const QTemporaryDir& dir)
        : tone(writeTestTone(dir.filePath(QStringLiteral("tone.wav"))))
        , own(dir.filePath(QStringLiteral("own")), { "Q1AAA", "annpass", "Ann", "127.0.0.1", "" })
        , other(dir.filePath(QStringLiteral("other")), { "Q2BBB", "bobpass", "Bob", "127.0.0.2", "" })
    {
        own.writeConfig(tone);
        other.writeConfig(tone);
        own.start();
        other.start();
        own.awaitLogin();
        other.awaitLogin();
    }

    QString tone;
    Directory directory;
    NodeProcess own;
    NodeProcess other;
};

// The share of the samples' energy at one frequency (Goertzel), from 0 to 1.
inline double shareOfEnergy(const std::vector<float>& samples, double hertz)
{
    double total = 0;
    for (const float s : samples)
        total += double(s) * s;
    if (samples.empty() || total == 0)
        return 0;
    const double k = 2 * std::cos(2 * M_PI * hertz / 8000.0);
    double s1 = 0;
    double s2 = 0;
    for (const float x : samples) {
        const double s = x + k * s1 - s2;
        s2 = s1;
        s1 = s;
    }
    const double power = s1 * s1 + s2 * s2 - k * s1 * s2;
    return 2 * power / double(samples.size()) / total;
}

} // namespace NodeHarness
