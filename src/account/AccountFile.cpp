#include "account/AccountFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStringList>

namespace AccountFile {

namespace {

constexpr qint64 MaxFileBytes = 1 << 20;

struct Key
{
    const char* name;
    QString Account::*field;
};
const Key keys[] {
    { "Callsign", &Account::callsign }, { "Password", &Account::password }, { "Name", &Account::name },
    { "Location", &Account::location }, { "Info", &Account::info },
};

// The key of a `key=value` line, folded to lower case; empty for comments and other lines.
QString keyOf(const QString& line)
{
    const QString trimmed = line.trimmed();
    const qsizetype equals = trimmed.indexOf(QLatin1Char('='));
    if (trimmed.startsWith(QLatin1Char('#')) || equals <= 0)
        return {};
    return trimmed.left(equals).trimmed().toLower();
}

QString valueOf(const QString& line)
{
    return line.mid(line.indexOf(QLatin1Char('=')) + 1).trimmed();
}

// Info keeps its line breaks as `\n` and a backslash as `\\`; the other values lose any line break.
QString encoded(const QString& value, bool isInfo)
{
    QString out;
    for (const QChar c : value) {
        if (isInfo && c == QLatin1Char('\\'))
            out += QStringLiteral("\\\\");
        else if (isInfo && c == QLatin1Char('\n'))
            out += QStringLiteral("\\n");
        else if (c == QLatin1Char('\r') || c == QLatin1Char('\n') || c.category() == QChar::Other_Control)
            out += isInfo ? QString() : QStringLiteral(" ");
        else
            out += c;
    }
    return out.trimmed();
}

QString decodedInfo(const QString& value)
{
    QString text;
    for (qsizetype i = 0; i < value.size(); ++i) {
        const QChar c = value.at(i);
        if (c == QLatin1Char('\\') && i + 1 < value.size()
            && (value.at(i + 1) == QLatin1Char('n') || value.at(i + 1) == QLatin1Char('\\'))) {
            text += value.at(i + 1) == QLatin1Char('n') ? QLatin1Char('\n') : QLatin1Char('\\');
            ++i;
        } else {
            text += c;
        }
    }
    return text;
}

} // namespace

QString defaultPath()
{
    QString base = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (base.isEmpty())
        base = QDir::homePath() + QStringLiteral("/.config");
    return base + QStringLiteral("/corvane/echolink.conf");
}

Account read(const QString& text)
{
    Account account;
    for (const QString& line : text.split(QLatin1Char('\n'))) {
        const QString key = keyOf(line);
        for (const Key& k : keys) {
            if (key == QLatin1String(k.name).toString().toLower()) {
                const QString value = valueOf(line);
                account.*k.field = key == QLatin1String("info") ? decodedInfo(value) : value;
            }
        }
    }
    return account;
}

QString update(const QString& text, const Account& account)
{
    QStringList lines = text.isEmpty() ? QStringList() : text.split(QLatin1Char('\n'));
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    for (const Key& k : keys) {
        const QString name = QString::fromLatin1(k.name);
        const QString line = name + QLatin1Char('=') + encoded(account.*k.field, name == QLatin1String("Info"));
        bool placed = false;
        for (qsizetype i = 0; i < lines.size(); ++i) {
            if (keyOf(lines.at(i)) != name.toLower())
                continue;
            // A later line of the same key would override this one when read: it goes.
            if (placed) {
                lines.removeAt(i--);
                continue;
            }
            lines[i] = line;
            placed = true;
        }
        if (!placed)
            lines.append(line);
    }
    return lines.join(QLatin1Char('\n')) + QLatin1Char('\n');
}

std::optional<Account> load(const QString& path, QString* error)
{
    QFile file(path);
    if (!file.exists())
        return Account {};
    if (!file.open(QIODevice::ReadOnly)) {
        *error = QStringLiteral("Cannot read %1: %2").arg(path, file.errorString());
        return std::nullopt;
    }
    return read(QString::fromUtf8(file.read(MaxFileBytes)));
}

bool save(const QString& path, const Account& account, QString* error)
{
    QString original;
    {
        QFile file(path);
        if (file.exists()) {
            if (!file.open(QIODevice::ReadOnly)) {
                *error = QStringLiteral("Cannot read %1: %2").arg(path, file.errorString());
                return false;
            }
            original = QString::fromUtf8(file.read(MaxFileBytes));
        }
    }
    const QString folder = QFileInfo(path).absolutePath();
    if (!QDir().mkpath(folder)) {
        *error = QStringLiteral("Cannot make the folder %1").arg(folder);
        return false;
    }
    QSaveFile file(path);
    // The password is in it: the new file is the owner's alone before a byte is written.
    if (!file.open(QIODevice::WriteOnly) || !file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner)) {
        *error = QStringLiteral("Cannot write %1: %2").arg(path, file.errorString());
        return false;
    }
    file.write(update(original, account).toUtf8());
    if (!file.commit()) {
        *error = QStringLiteral("Cannot write %1: %2").arg(path, file.errorString());
        return false;
    }
    return true;
}

} // namespace AccountFile
