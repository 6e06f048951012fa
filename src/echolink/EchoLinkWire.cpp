#include "echolink/EchoLinkWire.h"

#include <QDir>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonParseError>
#include <cerrno>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

namespace EchoLinkWire {

namespace {

const char socketName[] = "echolink.sock";

QString runtimeFolder()
{
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty() && QFileInfo(runtime).isDir())
        return runtime + QStringLiteral("/corvane");
    return QDir::tempPath() + QStringLiteral("/corvane-%1").arg(::getuid());
}

QString systemError()
{
    return QString::fromLocal8Bit(std::strerror(errno));
}

// The folder must be a real directory (not a link someone planted) that only we can enter.
bool isPrivateFolder(const QString& folder, QString* error)
{
    struct stat info
    {
    };
    if (::lstat(QFile::encodeName(folder).constData(), &info) != 0) {
        *error = QStringLiteral("Cannot inspect %1: %2").arg(folder, systemError());
        return false;
    }
    if (!S_ISDIR(info.st_mode)) {
        *error = QStringLiteral("%1 is not a folder").arg(folder);
        return false;
    }
    if (info.st_uid != ::getuid()) {
        *error = QStringLiteral("%1 belongs to another user").arg(folder);
        return false;
    }
    if ((info.st_mode & 077) != 0) {
        *error = QStringLiteral("%1 is open to other users").arg(folder);
        return false;
    }
    return true;
}

void setError(QString* error, const QString& text)
{
    if (error)
        *error = text;
}

} // namespace

QString serverFolder()
{
    return runtimeFolder();
}

QString serverPath()
{
    return runtimeFolder() + QLatin1Char('/') + QLatin1String(socketName);
}

bool prepareServerFolder(QString* error)
{
    const QString folder = runtimeFolder();
    if (::mkdir(QFile::encodeName(folder).constData(), 0700) != 0 && errno != EEXIST) {
        setError(error, QStringLiteral("Cannot create %1: %2").arg(folder, systemError()));
        return false;
    }
    return checkServerFolder(folder, error);
}

bool checkServerFolder(const QString& folder, QString* error)
{
    QString reason;
    if (isPrivateFolder(folder, &reason))
        return true;
    setError(error, reason);
    return false;
}

QByteArray encode(const QJsonObject& message)
{
    return QJsonDocument(message).toJson(QJsonDocument::Compact) + '\n';
}

std::optional<QJsonObject> decode(const QByteArray& line, QString* error)
{
    if (line.size() > MaxLineBytes) {
        setError(error, QStringLiteral("line longer than %1 bytes").arg(MaxLineBytes));
        return std::nullopt;
    }
    QByteArray text = line;
    while (text.endsWith('\n') || text.endsWith('\r'))
        text.chop(1);
    QJsonParseError parseError;
    const QJsonDocument document = QJsonDocument::fromJson(text, &parseError);
    if (parseError.error != QJsonParseError::NoError) {
        setError(error, QStringLiteral("not JSON: %1").arg(parseError.errorString()));
        return std::nullopt;
    }
    if (!document.isObject()) {
        setError(error, QStringLiteral("not a JSON object"));
        return std::nullopt;
    }
    return document.object();
}

QJsonObject call(qint64 id, const QString& op, const QJsonArray& args)
{
    return { { "id", id }, { "op", op }, { "args", args } };
}

QJsonObject reply(qint64 id, const QJsonValue& value)
{
    return { { "id", id }, { "ok", true }, { "value", value } };
}

QJsonObject failure(qint64 id, const QString& error)
{
    return { { "id", id }, { "ok", false }, { "error", error } };
}

QJsonObject event(const QString& name, const QJsonArray& args)
{
    return { { "event", name }, { "args", args } };
}

QJsonObject control(qint64 id, const QString& command)
{
    return { { "id", id }, { "control", command } };
}

QString escapeText(const QString& text)
{
    QString escaped;
    escaped.reserve(text.size());
    for (const QChar c : text) {
        switch (c.unicode()) {
        case '\\':
            escaped += QLatin1String("\\\\");
            break;
        case '\r':
            escaped += QLatin1String("\\r");
            break;
        case '\n':
            escaped += QLatin1String("\\n");
            break;
        case '\t':
            escaped += QLatin1String("\\t");
            break;
        default:
            escaped += c;
        }
    }
    return escaped;
}

QString unescapeText(const QString& text)
{
    QString plain;
    plain.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c != QLatin1Char('\\') || i + 1 == text.size()) {
            plain += c;
            continue;
        }
        switch (text.at(i + 1).unicode()) {
        case '\\':
            plain += QLatin1Char('\\');
            break;
        case 'r':
            plain += QLatin1Char('\r');
            break;
        case 'n':
            plain += QLatin1Char('\n');
            break;
        case 't':
            plain += QLatin1Char('\t');
            break;
        default: // an unknown escape stays as it was typed
            plain += c;
            continue;
        }
        ++i;
    }
    return plain;
}

} // namespace EchoLinkWire
