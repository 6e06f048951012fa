#include "account/AccountFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <stdexcept>
#include <sys/stat.h>
#include <unistd.h>

namespace AccountFile {

namespace {

bool isInfoKey(const QString& key)
{
    return key.compare(QLatin1String("Info"), Qt::CaseInsensitive) == 0;
}

// The key an active line sets, empty for comments, blank lines and lines without '='.
QByteArray activeKey(const QByteArray& line)
{
    const QByteArray text = line.trimmed();
    if (text.isEmpty() || text.startsWith('#'))
        return {};
    const qsizetype equals = text.indexOf('=');
    if (equals <= 0)
        return {};
    return text.left(equals).trimmed().toLower();
}

// A commented-out example of the key: "#Key=..." or "# Key=...".
bool isExampleOf(const QByteArray& line, const QByteArray& lowerKey)
{
    QByteArray text = line.trimmed();
    if (!text.startsWith('#'))
        return false;
    text = text.mid(1).trimmed();
    const qsizetype equals = text.indexOf('=');
    return equals > 0 && text.left(equals).trimmed().toLower() == lowerKey;
}

QString systemError(int code)
{
    return QString::fromLocal8Bit(std::strerror(code));
}

bool writeAll(int fd, const QByteArray& data)
{
    qsizetype done = 0;
    while (done < data.size()) {
        const ssize_t n = ::write(fd, data.constData() + done, static_cast<size_t>(data.size() - done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        done += n;
    }
    return true;
}

} // namespace

QString defaultPath()
{
    QString base = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (base.isEmpty())
        base = QDir::homePath() + QStringLiteral("/.config");
    return base + QStringLiteral("/corvane/echolink.conf");
}

std::optional<QString> encodedValue(const QString& key, const QString& value)
{
    if (value != value.trimmed())
        return std::nullopt;
    if (isInfoKey(key)) {
        QString text;
        // CR LF and CR alone are each one line break, as LF is.
        QString breaks = value;
        breaks.replace(QLatin1String("\r\n"), QLatin1String("\n")).replace(QLatin1Char('\r'), QLatin1Char('\n'));
        for (const QChar c : std::as_const(breaks)) {
            if (c == QLatin1Char('\\'))
                text += QLatin1String("\\\\");
            else if (c == QLatin1Char('\n'))
                text += QLatin1String("\\n");
            else if (c.unicode() < 0x20 || c.unicode() == 0x7F)
                return std::nullopt;
            else
                text += c;
        }
        return text;
    }
    for (const QChar c : value) {
        if (c.unicode() < 0x20 || c.unicode() == 0x7F || c == QChar(0x2028) || c == QChar(0x2029))
            return std::nullopt;
    }
    return value;
}

QString decodedValue(const QString& key, const QString& text)
{
    if (!isInfoKey(key))
        return text;
    QString value;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text.at(i) == QLatin1Char('\\') && i + 1 < text.size()) {
            const QChar next = text.at(i + 1);
            if (next == QLatin1Char('n') || next == QLatin1Char('\\')) {
                value += next == QLatin1Char('n') ? QLatin1Char('\n') : QLatin1Char('\\');
                ++i;
                continue;
            }
        }
        value += text.at(i);
    }
    return value;
}

QByteArray updated(const QByteArray& text, const QList<Change>& changes)
{
    QList<QByteArray> lines = text.split('\n');
    // A file ending in a line break splits into a last empty piece; it is put back at the end.
    const bool endsWithBreak = text.isEmpty() || text.endsWith('\n');
    if (endsWithBreak)
        lines.removeLast();

    for (const Change& change : changes) {
        const QByteArray key = change.key.trimmed().toUtf8();
        const QByteArray lowerKey = key.toLower();
        if (key.isEmpty() || key.contains('=') || key.startsWith('#'))
            throw std::invalid_argument("not a key of the account file");
        QByteArray newLine;
        if (change.value) {
            const auto encoded = encodedValue(change.key, *change.value);
            if (!encoded)
                throw std::invalid_argument(
                    QStringLiteral("%1 holds a line break, another control character or blanks at its ends")
                        .arg(change.key)
                        .toStdString());
            newLine = key + '=' + encoded->toUtf8();
        }
        qsizetype last = -1;
        for (qsizetype i = 0; i < lines.size(); ++i) {
            if (activeKey(lines.at(i)) == lowerKey)
                last = i;
        }
        // Earlier copies go; the last one is replaced where it stands (or goes too).
        for (qsizetype i = lines.size() - 1; i >= 0; --i) {
            if (i != last && activeKey(lines.at(i)) == lowerKey) {
                lines.removeAt(i);
                if (i < last)
                    --last;
            }
        }
        if (last >= 0) {
            if (change.value)
                lines[last] = newLine;
            else
                lines.removeAt(last);
            continue;
        }
        if (!change.value)
            continue;
        qsizetype example = -1;
        for (qsizetype i = 0; i < lines.size(); ++i) {
            if (isExampleOf(lines.at(i), lowerKey)) {
                example = i;
                break;
            }
        }
        if (example >= 0)
            lines.insert(example + 1, newLine);
        else
            lines.append(newLine);
    }
    QByteArray out = lines.join('\n');
    if (!lines.isEmpty())
        out += '\n';
    return out;
}

std::optional<QString> value(const QByteArray& text, const QString& key)
{
    const QByteArray lowerKey = key.toUtf8().toLower();
    std::optional<QString> found;
    for (const QByteArray& line : text.split('\n')) {
        if (activeKey(line) != lowerKey)
            continue;
        const QByteArray trimmed = line.trimmed();
        found = decodedValue(key, QString::fromUtf8(trimmed.mid(trimmed.indexOf('=') + 1).trimmed()));
    }
    return found;
}

bool read(const QString& path, QByteArray* text, QString* error)
{
    text->clear();
    QFile file(path);
    if (!file.exists())
        return true;
    if (!file.open(QIODevice::ReadOnly)) {
        *error = QStringLiteral("Cannot read %1: %2").arg(path, file.errorString());
        return false;
    }
    if (file.size() > MaxFileBytes) {
        *error = QStringLiteral("%1 is larger than %2 bytes").arg(path).arg(MaxFileBytes);
        return false;
    }
    *text = file.read(MaxFileBytes);
    return true;
}

bool write(const QString& givenPath, const QList<Change>& changes, QString* error)
{
    // A file kept elsewhere behind a link (a dotfiles folder) is rewritten where it is; the link stays.
    const QFileInfo given(givenPath);
    const QString path = given.isSymLink() && given.exists() ? given.canonicalFilePath() : givenPath;
    QByteArray text;
    if (!read(path, &text, error))
        return false;
    QByteArray next;
    try {
        next = updated(text, changes);
    } catch (const std::invalid_argument& e) {
        *error = QString::fromStdString(e.what());
        return false;
    }

    const QFileInfo info(path);
    const QString folder = info.absolutePath();
    if (!QFileInfo::exists(folder)) {
        const QByteArray name = QFile::encodeName(folder);
        if (!QDir().mkpath(folder) || ::chmod(name.constData(), 0700) != 0) {
            *error = QStringLiteral("Cannot make the folder %1").arg(folder);
            return false;
        }
    }
    // Written beside the file, so that the rename stays on one file system.
    QByteArray temp = QFile::encodeName(info.absoluteFilePath()) + ".XXXXXX";
    const int fd = ::mkstemp(temp.data());
    if (fd < 0) {
        *error = QStringLiteral("Cannot write in %1: %2").arg(folder, systemError(errno));
        return false;
    }
    bool ok = ::fchmod(fd, 0600) == 0 && writeAll(fd, next) && ::fsync(fd) == 0;
    const int writeError = errno;
    ok = ::close(fd) == 0 && ok;
    if (ok && ::rename(temp.constData(), QFile::encodeName(info.absoluteFilePath()).constData()) == 0)
        return true;
    const int failure = ok ? errno : writeError;
    ::unlink(temp.constData());
    *error = QStringLiteral("Cannot write %1: %2").arg(path, systemError(failure));
    return false;
}

bool isCallsign(const QString& callsign)
{
    static const QRegularExpression pattern(
        QStringLiteral("^(?=[A-Z0-9]*[0-9])(?=[A-Z0-9]*[A-Z])[A-Z0-9]{3,12}(?:-[LR])?$"));
    return pattern.match(callsign).hasMatch();
}

} // namespace AccountFile
