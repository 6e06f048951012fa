#pragma once

#include <QString>
#include <QStringList>
#include <optional>

// The node's configuration: $XDG_CONFIG_HOME/corvane/echolink.conf, `key=value` lines, `#` comments.
// Keys: Callsign Password Name Location Info Servers BindAddress PortBase Alarms ListRefresh AudioIn AudioOut.
// The password is never part of any text this unit produces.
struct NodeConfig
{
    static constexpr int MaxLocationChars = 27;
    static constexpr int DefaultPortBase = 5198;
    static constexpr int DefaultListRefreshSeconds = 60;

    QString callsign;
    QString password;
    QString name;
    QString location;
    // The station information sent on connect; line breaks as carriage returns, as the network carries them.
    QString info;
    QStringList servers { QStringLiteral("servers.echolink.org") };
    QString bindAddress; // empty: every interface
    int portBase = DefaultPortBase;
    QStringList alarms;
    int listRefreshSeconds = DefaultListRefreshSeconds; // 0: only on request
    QString audioIn = QStringLiteral("alsa:default");
    QString audioOut = QStringLiteral("alsa:default");

    // Both are needed to log in; without them Corvane works with the stand-in.
    bool namesStation() const { return !callsign.isEmpty() && !password.isEmpty(); }
};

namespace NodeConfigFile {

// Where the file is looked for.
QString defaultPath();

// Parses the text of the file; nullopt with every problem (one a line, with its line number) when a
// value is unusable. Unknown keys are problems too, so that a misspelt key does not pass unnoticed.
std::optional<NodeConfig> parse(const QByteArray& text, QString* error);

// Reads and parses the file. A file that other users may read is refused: it holds the password.
std::optional<NodeConfig> load(const QString& path, QString* error);

// Whether the file exists and names a station (callsign and password), without judging the rest.
bool namesStation(const QString& path);

} // namespace NodeConfigFile
