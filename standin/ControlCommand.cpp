#include "ControlCommand.h"

#include "echolink/EchoLinkWire.h"

#include <QHash>

namespace ControlCommand {

namespace {

bool isBlank(QChar c)
{
    return c == QLatin1Char(' ') || c == QLatin1Char('\t');
}

// Reads the command line argument by argument; the remainder can also be taken as free text.
class Scanner
{
public:
    explicit Scanner(const QString& text)
        : text_(text)
    {
    }

    bool atEnd()
    {
        skipBlanks();
        return pos_ == text_.size();
    }

    // One argument; false (with the reason) for an unterminated quote.
    bool next(QString* argument, QString* error)
    {
        skipBlanks();
        if (pos_ < text_.size() && text_.at(pos_) == QLatin1Char('"'))
            return quoted(argument, error);
        const qsizetype start = pos_;
        while (pos_ < text_.size() && !isBlank(text_.at(pos_)))
            ++pos_;
        *argument = EchoLinkWire::unescapeText(text_.mid(start, pos_ - start));
        return true;
    }

    // The rest of the line as free text: one quoted argument taken whole, else the raw text.
    QString rest()
    {
        skipBlanks();
        const qsizetype start = pos_;
        QString argument, error;
        if (pos_ < text_.size() && text_.at(pos_) == QLatin1Char('"') && quoted(&argument, &error) && atEnd())
            return argument;
        pos_ = text_.size();
        return EchoLinkWire::unescapeText(text_.mid(start));
    }

private:
    void skipBlanks()
    {
        while (pos_ < text_.size() && isBlank(text_.at(pos_)))
            ++pos_;
    }

    bool quoted(QString* argument, QString* error)
    {
        QString raw;
        for (qsizetype i = pos_ + 1; i < text_.size(); ++i) {
            const QChar c = text_.at(i);
            if (c == QLatin1Char('"')) {
                pos_ = i + 1;
                *argument = EchoLinkWire::unescapeText(raw);
                return true;
            }
            if (c == QLatin1Char('\\') && i + 1 < text_.size()) {
                const QChar escaped = text_.at(++i);
                raw += escaped == QLatin1Char('"') ? QString(escaped) : QString(c) + escaped;
                continue;
            }
            raw += c;
        }
        if (error)
            *error = QStringLiteral("a quote is not closed");
        return false;
    }

    QString text_;
    qsizetype pos_ = 0;
};

struct VerbInfo
{
    Verb verb;
    // How many leading arguments it takes (minimum, maximum) and whether free text follows them.
    int minArguments;
    int maxArguments;
    bool freeText;
    const char* usage;
};

const QHash<QString, VerbInfo>& verbs()
{
    static const QHash<QString, VerbInfo> table {
        { "connect", { Verb::Connect, 1, 3, false, "connect <call> <name> <address>" } },
        { "disconnect", { Verb::Disconnect, 1, 1, false, "disconnect <call>" } },
        { "chat", { Verb::Chat, 0, 0, true, "chat <text>" } },
        { "stationtext", { Verb::StationText, 0, 0, true, "stationtext <text>" } },
        { "alarm", { Verb::Alarm, 2, 2, false, "alarm <station> <status>" } },
        { "alarmlog", { Verb::AlarmLog, 0, 0, true, "alarmlog <text>" } },
        { "alarmlog-clear", { Verb::AlarmLogClear, 0, 0, false, "alarmlog-clear" } },
        { "stationlist", { Verb::StationList, 0, 0, false, "stationlist" } },
        { "tx", { Verb::Tx, 1, 1, false, "tx on|off" } },
        { "rx", { Verb::Rx, 1, 1, false, "rx on|off" } },
        { "link", { Verb::Link, 1, 1, false, "link on|off" } },
        { "fail", { Verb::Fail, 1, 1, true, "fail <operation> <message>" } },
        { "calls", { Verb::Calls, 0, 0, false, "calls" } },
        { "close", { Verb::Close, 0, 0, false, "close" } },
    };
    return table;
}

bool fail(QString* error, const QString& text)
{
    if (error)
        *error = text;
    return false;
}

bool readArguments(Scanner& scanner, const VerbInfo& info, QStringList* arguments, QString* error)
{
    while (arguments->size() < info.maxArguments && !scanner.atEnd()) {
        QString argument;
        if (!scanner.next(&argument, error))
            return false;
        arguments->append(argument);
    }
    if (arguments->size() < info.minArguments || (!info.freeText && !scanner.atEnd()))
        return fail(error, QStringLiteral("usage: %1").arg(QLatin1String(info.usage)));
    if (info.freeText) {
        if (scanner.atEnd())
            return fail(error, QStringLiteral("usage: %1").arg(QLatin1String(info.usage)));
        arguments->append(scanner.rest());
    }
    return true;
}

bool readSwitch(const QString& word, bool* on, QString* error)
{
    if (word.compare(QLatin1String("on"), Qt::CaseInsensitive) == 0)
        *on = true;
    else if (word.compare(QLatin1String("off"), Qt::CaseInsensitive) == 0)
        *on = false;
    else
        return fail(error, QStringLiteral("expected on or off, not \"%1\"").arg(word));
    return true;
}

// EchoLink's status is a 16-bit value; either reading of it is accepted.
bool readStatus(const QString& word, int* status, QString* error)
{
    bool number = false;
    const int value = word.toInt(&number);
    if (!number || value < -32768 || value > 65535)
        return fail(error, QStringLiteral("the status must be a 16-bit number, not \"%1\"").arg(word));
    *status = value;
    return true;
}

bool readOperation(QString* operation, QString* error)
{
    for (const QString& name : operationNames()) {
        if (name.compare(*operation, Qt::CaseInsensitive) == 0) {
            *operation = name;
            return true;
        }
    }
    return fail(error,
                QStringLiteral("unknown operation \"%1\"; one of: %2").arg(*operation, operationNames().join(' ')));
}

bool interpret(Command* command, QString* error)
{
    switch (command->verb) {
    case Verb::Connect:
        while (command->texts.size() < 3)
            command->texts.append(QString());
        return true;
    case Verb::Tx:
    case Verb::Rx:
    case Verb::Link:
        return readSwitch(command->texts.takeFirst(), &command->on, error);
    case Verb::Alarm:
        return readStatus(command->texts.takeLast(), &command->status, error);
    case Verb::Fail:
        if (command->texts.last().isEmpty())
            return fail(error, QStringLiteral("usage: fail <operation> <message>"));
        return readOperation(&command->texts.first(), error);
    default:
        return true;
    }
}

} // namespace

const QStringList& operationNames()
{
    static const QStringList names = [] {
        QStringList list;
        for (const EchoLinkWire::OperationRow& entry : EchoLinkWire::operations())
            list.append(entry.name);
        return list;
    }();
    return names;
}

std::optional<Command> parse(const QString& line, QString* error)
{
    Scanner scanner(line);
    QString word;
    if (scanner.atEnd()) {
        fail(error, QStringLiteral("no command"));
        return std::nullopt;
    }
    if (!scanner.next(&word, error))
        return std::nullopt;
    const auto info = verbs().constFind(word.toLower());
    if (info == verbs().constEnd()) {
        fail(error, QStringLiteral("unknown command \"%1\"").arg(word));
        return std::nullopt;
    }
    Command command;
    command.verb = info->verb;
    if (!readArguments(scanner, *info, &command.texts, error) || !interpret(&command, error))
        return std::nullopt;
    return command;
}

std::optional<QStringList> splitArguments(const QString& text, QString* error)
{
    Scanner scanner(text);
    QStringList arguments;
    while (!scanner.atEnd()) {
        QString argument;
        if (!scanner.next(&argument, error))
            return std::nullopt;
        arguments.append(argument);
    }
    return arguments;
}

QString quoteArgument(const QString& text)
{
    const QString escaped = EchoLinkWire::escapeText(text);
    const bool standsAlone = !text.isEmpty() && !text.contains(QLatin1Char(' ')) && !text.contains(QLatin1Char('\t'))
        && !text.startsWith(QLatin1Char('"'));
    if (standsAlone)
        return escaped;
    QString quoted = escaped;
    quoted.replace(QLatin1Char('"'), QLatin1String("\\\""));
    return QLatin1Char('"') + quoted + QLatin1Char('"');
}

} // namespace ControlCommand
