#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <optional>

// The EchoLink account file, $XDG_CONFIG_HOME/corvane/echolink.conf: `key=value` lines with `#` comments,
// keys in any case, the last line of a key counting. Operators edit it by hand, so a change rewrites only
// the lines of the keys it sets and keeps every comment, blank line, unknown key and the order as they are.
namespace AccountFile {

// The file is never read beyond this.
constexpr qint64 MaxFileBytes = 64 * 1024;

// Where the file is, as the node looks for it.
QString defaultPath();

// One key to set (value) or to take out of the file (nullopt: every active line of the key goes).
struct Change
{
    QString key;
    std::optional<QString> value;
};

// The value as it is written after `key=`. Station information keeps its line breaks as `\n` (and a
// backslash as `\\`); in any other key a line break or other control character could forge a line, so
// nullopt. Leading and trailing blanks would be lost on reading, so they are refused too.
std::optional<QString> encodedValue(const QString& key, const QString& value);
// The reverse for reading: `\n` becomes a line break in the station information.
QString decodedValue(const QString& key, const QString& text);

// The file's text with the changes made. A key already set has its last active line replaced (earlier
// ones are dropped, so no stale copy stays to confuse a reader); a new key goes after its commented-out
// example (`#Key=...`) when there is one, else at the end. Throws std::invalid_argument when a value
// cannot be written (see encodedValue); the message names the key, never the value.
QByteArray updated(const QByteArray& text, const QList<Change>& changes);

// The value of a key (decoded), nullopt when no active line sets it.
std::optional<QString> value(const QByteArray& text, const QString& key);

// Reads the file (at most MaxFileBytes); empty when it does not exist. False with the reason otherwise.
bool read(const QString& path, QByteArray* text, QString* error);

// Makes the changes in the file, safely: the new text goes to a temporary file of mode 600 in the same
// folder, is flushed to disk and renamed over the old one, so a reader sees the old file or the new,
// never a part. The folder is made (mode 700) when missing. False with the reason (the file is unchanged).
bool write(const QString& path, const QList<Change>& changes, QString* error);

// A callsign the node accepts: 3 to 12 letters and digits with at least one of each, -L or -R after it.
bool isCallsign(const QString& callsign);

} // namespace AccountFile
