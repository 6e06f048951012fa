#include "NodeConfig.h"

#include "account/AccountFile.h"

#include <QFile>
#include <QHash>
#include <QRegularExpression>
#include <sys/stat.h>

namespace NodeConfigFile {

namespace {

constexpr qint64 MaxFileBytes = 64 * 1024;
constexpr int MaxNameChars = 64;
constexpr int MaxInfoChars = 2048;
constexpr int MaxListRefreshSeconds = 24 * 3600;

struct Problems
{
    QStringList lines;
    void add(int line, const QString& text) { lines.append(QStringLiteral("line %1: %2").arg(line).arg(text)); }
};

bool hasControlCharacters(const QString& text)
{
    for (const QChar c : text) {
        if (c.unicode() < 0x20 || c.unicode() == 0x7F)
            return true;
    }
    return false;
}

bool isIpv4Address(const QString& text)
{
    static const QRegularExpression pattern(QStringLiteral("^(\\d{1,3})\\.(\\d{1,3})\\.(\\d{1,3})\\.(\\d{1,3})$"));
    const auto match = pattern.match(text);
    if (!match.hasMatch())
        return false;
    for (int i = 1; i <= 4; ++i) {
        if (match.captured(i).toInt() > 255)
            return false;
    }
    return true;
}

bool isHostName(const QString& text)
{
    static const QRegularExpression pattern(QStringLiteral("^[A-Za-z0-9]([A-Za-z0-9.-]{0,252})$"));
    return pattern.match(text).hasMatch();
}

QStringList commaList(const QString& value)
{
    QStringList items;
    for (const QString& item : value.split(QLatin1Char(','))) {
        const QString trimmed = item.trimmed();
        if (!trimmed.isEmpty())
            items.append(trimmed);
    }
    return items;
}

// `\n` in the file is a line break of the station information, which the network carries as CR.
QString infoText(const QString& value)
{
    return AccountFile::decodedValue(QStringLiteral("Info"), value).replace(QLatin1Char('\n'), QLatin1Char('\r'));
}

std::optional<int> number(const QString& value, int low, int high)
{
    bool ok = false;
    const int n = value.toInt(&ok);
    if (!ok || n < low || n > high)
        return std::nullopt;
    return n;
}

bool isAudioPath(const QString& value)
{
    const bool alsa = value.startsWith(QLatin1String("alsa:")) && value.size() > 5;
    const bool file = value.startsWith(QLatin1String("file:")) && value.size() > 5;
    return alsa || file;
}

using Setter = void (*)(NodeConfig&, const QString&, int, Problems&);

void setCallsign(NodeConfig& config, const QString& value, int line, Problems& problems)
{
    config.callsign = value.toUpper();
    if (!AccountFile::isCallsign(config.callsign))
        problems.add(line,
                     QStringLiteral("Callsign %1 is not a callsign (letters and digits, -L or -R for a link "
                                    "or repeater)")
                         .arg(value));
}

void setPassword(NodeConfig& config, const QString& value, int line, Problems& problems)
{
    config.password = value;
    // The value itself never goes into a message.
    if (value.isEmpty() || hasControlCharacters(value) || value.contains(QChar(0xAC)))
        problems.add(line, QStringLiteral("Password is empty or holds characters the directory cannot take"));
}

void setName(NodeConfig& config, const QString& value, int line, Problems& problems)
{
    config.name = value;
    if (value.size() > MaxNameChars || hasControlCharacters(value))
        problems.add(line, QStringLiteral("Name must be one line of at most %1 characters").arg(MaxNameChars));
}

void setLocation(NodeConfig& config, const QString& value, int line, Problems& problems)
{
    config.location = value;
    if (value.size() > NodeConfig::MaxLocationChars || hasControlCharacters(value))
        problems.add(line,
                     QStringLiteral("Location has %1 characters; the directory takes at most %2")
                         .arg(value.size())
                         .arg(NodeConfig::MaxLocationChars));
}

void setInfo(NodeConfig& config, const QString& value, int line, Problems& problems)
{
    config.info = infoText(value);
    if (config.info.size() > MaxInfoChars)
        problems.add(line, QStringLiteral("Info is longer than %1 characters").arg(MaxInfoChars));
}

void setServers(NodeConfig& config, const QString& value, int line, Problems& problems)
{
    config.servers = commaList(value);
    if (config.servers.isEmpty())
        problems.add(line, QStringLiteral("Servers names no directory server"));
    for (const QString& server : std::as_const(config.servers)) {
        if (!isHostName(server))
            problems.add(line, QStringLiteral("Servers: %1 is not a host name or address").arg(server));
    }
}

void setBindAddress(NodeConfig& config, const QString& value, int line, Problems& problems)
{
    config.bindAddress = value;
    if (!value.isEmpty() && !isIpv4Address(value))
        problems.add(line, QStringLiteral("BindAddress %1 is not an IPv4 address").arg(value));
}

void setPortBase(NodeConfig& config, const QString& value, int line, Problems& problems)
{
    const auto port = number(value, 1024, 65534);
    if (port)
        config.portBase = *port;
    else
        problems.add(line, QStringLiteral("PortBase %1 is not a port from 1024 to 65534").arg(value));
}

void setAlarms(NodeConfig& config, const QString& value, int line, Problems& problems)
{
    config.alarms.clear();
    for (const QString& call : commaList(value)) {
        if (call.size() > 15 || call.contains(QLatin1Char(' ')) || hasControlCharacters(call))
            problems.add(line, QStringLiteral("Alarms: %1 is not a callsign").arg(call));
        else
            config.alarms.append(call.toUpper());
    }
}

void setListRefresh(NodeConfig& config, const QString& value, int line, Problems& problems)
{
    const auto seconds = number(value, 0, MaxListRefreshSeconds);
    if (seconds)
        config.listRefreshSeconds = *seconds;
    else
        problems.add(line,
                     QStringLiteral("ListRefresh %1 is not a number of seconds (0 to %2)")
                         .arg(value)
                         .arg(MaxListRefreshSeconds));
}

void setAudio(QString& target, const char* key, const QString& value, int line, Problems& problems)
{
    target = value;
    if (!isAudioPath(value))
        problems.add(line, QStringLiteral("%1 must be alsa:<device> or file:<path.wav>").arg(QLatin1String(key)));
}

void setAudioIn(NodeConfig& config, const QString& value, int line, Problems& problems)
{
    setAudio(config.audioIn, "AudioIn", value, line, problems);
}

void setAudioOut(NodeConfig& config, const QString& value, int line, Problems& problems)
{
    setAudio(config.audioOut, "AudioOut", value, line, problems);
}

const QHash<QString, Setter>& setters()
{
    static const QHash<QString, Setter> table {
        { "callsign", setCallsign },       { "password", setPassword }, { "name", setName },
        { "location", setLocation },       { "info", setInfo },         { "servers", setServers },
        { "bindaddress", setBindAddress }, { "portbase", setPortBase }, { "alarms", setAlarms },
        { "listrefresh", setListRefresh }, { "audioin", setAudioIn },   { "audioout", setAudioOut },
    };
    return table;
}

void parseLine(NodeConfig& config, const QString& raw, int line, Problems& problems)
{
    const QString text = raw.trimmed();
    if (text.isEmpty() || text.startsWith(QLatin1Char('#')))
        return;
    const qsizetype equals = text.indexOf(QLatin1Char('='));
    if (equals <= 0) {
        problems.add(line, QStringLiteral("not a key=value line"));
        return;
    }
    const QString key = text.left(equals).trimmed();
    const Setter setter = setters().value(key.toLower());
    if (!setter) {
        problems.add(line, QStringLiteral("unknown key %1").arg(key.left(40)));
        return;
    }
    setter(config, text.mid(equals + 1).trimmed(), line, problems);
}

} // namespace

QString defaultPath()
{
    return AccountFile::defaultPath();
}

std::optional<NodeConfig> parse(const QByteArray& text, QString* error)
{
    NodeConfig config;
    Problems problems;
    const QStringList lines = QString::fromUtf8(text).split(QLatin1Char('\n'));
    for (qsizetype i = 0; i < lines.size(); ++i)
        parseLine(config, lines.at(i), static_cast<int>(i + 1), problems);
    if (!problems.lines.isEmpty()) {
        if (error)
            *error = problems.lines.join(QLatin1Char('\n'));
        return std::nullopt;
    }
    return config;
}

std::optional<NodeConfig> load(const QString& path, QString* error)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        *error = QStringLiteral("Cannot read the EchoLink node configuration %1: %2").arg(path, file.errorString());
        return std::nullopt;
    }
    struct stat info
    {
    };
    // Judged on the open file, so that a file swapped in between cannot slip past.
    if (::fstat(file.handle(), &info) != 0 || (info.st_mode & 077) != 0) {
        *error = QStringLiteral("The EchoLink node configuration %1 may be read by other users, and it holds your "
                                "EchoLink password. Make it private (chmod 600 %1) and start again.")
                     .arg(path);
        return std::nullopt;
    }
    if (info.st_size > MaxFileBytes) {
        *error
            = QStringLiteral("The EchoLink node configuration %1 is larger than %2 bytes").arg(path).arg(MaxFileBytes);
        return std::nullopt;
    }
    QString problems;
    auto config = parse(file.read(MaxFileBytes), &problems);
    if (!config) {
        *error = QStringLiteral("The EchoLink node configuration %1 cannot be used:\n%2").arg(path, problems);
        return std::nullopt;
    }
    return config;
}

bool namesStation(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    bool callsign = false;
    bool password = false;
    for (const QByteArray& raw : file.read(MaxFileBytes).split('\n')) {
        const QByteArray line = raw.trimmed();
        const qsizetype equals = line.indexOf('=');
        if (line.startsWith('#') || equals <= 0 || line.mid(equals + 1).trimmed().isEmpty())
            continue;
        const QByteArray key = line.left(equals).trimmed().toLower();
        callsign = callsign || key == "callsign";
        password = password || key == "password";
    }
    return callsign && password;
}

} // namespace NodeConfigFile
