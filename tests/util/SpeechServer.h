#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QList>
#include <QProcess>
#include <QStandardPaths>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <QThread>
#include <csignal>
#include <sys/types.h>

// A speech-dispatcher of our own for one test: its own socket, configuration and log in a temporary folder,
// never the user's. Its only output module is a stand-in voice that takes as long as a real one (60 ms a
// character, like a voice at about 170 words a minute) and writes a line when it begins and when it ends
// each text. A text cut off (cancelled by a newer one or by its client) has a "begin" line and no "end"
// line; a text dropped never reached the module at all. That log is the evidence the tests read.
class SpeechServer
{
public:
    struct Line
    {
        double seconds; // since the epoch, as the module saw it
        bool begin;
        QString text;
    };

    // The service, its generic module and its ALSA output (played into ALSA's "null" device).
    static bool available()
    {
        if (QStandardPaths::findExecutable(QStringLiteral("speech-dispatcher")).isEmpty()
            || !QFileInfo::exists(moduleDir() + QStringLiteral("/sd_generic")))
            return false;
        const QDir lib(QStringLiteral("/usr/lib"));
        for (const QString& arch : lib.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
            if (QFileInfo::exists(lib.filePath(arch + QStringLiteral("/speech-dispatcher/spd_alsa.so"))))
                return true;
        }
        return QFileInfo::exists(QStringLiteral("/usr/lib/speech-dispatcher/spd_alsa.so"));
    }

    SpeechServer()
    {
        QDir().mkpath(m_dir.path() + QStringLiteral("/conf/modules"));
        QDir().mkpath(m_dir.path() + QStringLiteral("/log"));
        write(QStringLiteral("conf/speechd.conf"),
              "LogLevel 3\n"
              "Timeout 0\n"
              "AudioOutputMethod \"alsa\"\n"
              "AudioALSADevice \"null\"\n"
              "AddModule \"steady\" \"sd_generic\" \"steady.conf\"\n"
              "DefaultModule steady\n");
        // The module runs the command through the shell with the text in place of $DATA; dotconf would read
        // ${...} itself, so the command avoids that form.
        const QByteArray said = spokenLogPath().toUtf8();
        write(QStringLiteral("conf/modules/steady.conf"),
              "GenericExecuteSynth \"t=\\'$DATA\\'; n=$(printf %s \\\"$t\\\" | wc -c); ms=$((n*60+100)); "
              "echo \\\"$(date +%s.%N) begin $t\\\" >> "
                  + said
                  + "; sleep $(printf %d.%03d $((ms/1000)) $((ms%1000))); "
                    "echo \\\"$(date +%s.%N) end $t\\\" >> "
                  + said
                  + "\"\n"
                    "GenericLanguage \"en\" \"en\" \"utf-8\"\n"
                    "AddVoice \"en\" \"MALE1\" \"steady\"\n"
                    "DefaultVoice \"steady\"\n");
        // Its own log is in the folder; what it writes to the terminal would only clutter the test's output.
        QProcess start;
        start.setStandardOutputFile(QProcess::nullDevice());
        start.setStandardErrorFile(QProcess::nullDevice());
        start.start(QStringLiteral("speech-dispatcher"),
                    { QStringLiteral("-d"), QStringLiteral("-C"), path(QStringLiteral("conf")), QStringLiteral("-c"),
                      QStringLiteral("unix_socket"), QStringLiteral("-S"), socketPath(), QStringLiteral("-t"),
                      QStringLiteral("0"), QStringLiteral("-P"), path(QStringLiteral("pid")), QStringLiteral("-L"),
                      path(QStringLiteral("log")), QStringLiteral("-m"), moduleDir() });
        start.waitForFinished(10000);
        // The daemon writes its pid file after creating it: wait for the number, which is how it is ended.
        QElapsedTimer waited;
        waited.start();
        while ((m_pid = readPid()) <= 0 || !QFileInfo::exists(socketPath())) {
            if (waited.elapsed() > 10000)
                break;
            QThread::msleep(20);
        }
    }

    ~SpeechServer()
    {
        // Only the server this fixture started, by its own pid, read again: the daemon may rewrite the
        // file as it detaches from the process that started it.
        const qint64 written = readPid();
        const qint64 pid = written > 0 ? written : m_pid;
        if (pid > 0)
            ::kill(static_cast<pid_t>(pid), SIGTERM);
        // The pid file can name the process that detached rather than the daemon; whatever still runs with
        // this fixture's folder on its command line is ours, and must not outlive the test.
        QProcess::execute(QStringLiteral("pkill"), { QStringLiteral("-f"), QStringLiteral("--"), path(QString()) });
    }

    bool running() const { return m_pid > 0 && QFileInfo::exists(socketPath()); }
    QString socketPath() const { return path(QStringLiteral("sock")); }
    // For SPEECHD_ADDRESS.
    QByteArray address() const { return "unix_socket:" + socketPath().toUtf8(); }
    QString spokenLogPath() const { return path(QStringLiteral("spoken.log")); }

    QList<Line> lines() const
    {
        QList<Line> result;
        QFile file(spokenLogPath());
        if (!file.open(QIODevice::ReadOnly))
            return result;
        for (const QByteArray& raw : file.readAll().split('\n')) {
            const QString line = QString::fromUtf8(raw);
            const qsizetype first = line.indexOf(u' ');
            const qsizetype second = line.indexOf(u' ', first + 1);
            if (first < 0 || second < 0)
                continue;
            const QString word = line.mid(first + 1, second - first - 1);
            result.append({ line.left(first).toDouble(), word == u"begin", line.mid(second + 1) });
        }
        return result;
    }

    // Texts containing the words that began, and that ended.
    int begun(const QString& words) const { return count(words, true); }
    int ended(const QString& words) const { return count(words, false); }
    // Begun and never ended: cut off.
    bool cutOff(const QString& words) const { return begun(words) > ended(words); }
    // When the first text containing these words began, or 0.
    double beganAt(const QString& words) const
    {
        for (const Line& line : lines()) {
            if (line.begin && line.text.contains(words))
                return line.seconds;
        }
        return 0;
    }
    void clearLog() const { QFile::remove(spokenLogPath()); }

private:
    qint64 readPid() const
    {
        QFile file(path(QStringLiteral("pid")));
        return file.open(QIODevice::ReadOnly) ? file.readAll().trimmed().toLongLong() : 0;
    }
    static QString moduleDir() { return QStringLiteral("/usr/lib/speech-dispatcher-modules"); }
    QString path(const QString& name) const { return m_dir.path() + QLatin1Char('/') + name; }
    void write(const QString& name, const QByteArray& text) const
    {
        QFile file(path(name));
        if (file.open(QIODevice::WriteOnly))
            file.write(text);
    }
    int count(const QString& words, bool begin) const
    {
        int n = 0;
        for (const Line& line : lines())
            n += line.begin == begin && line.text.contains(words) ? 1 : 0;
        return n;
    }

    QTemporaryDir m_dir;
    qint64 m_pid = 0;
};
