#include "chat/CommandTable.h"

namespace Commands {

namespace {

using enum Action;
using enum Condition;

Row local(const char16_t* code, Condition condition, Action action, QString spoken = {},
          Argument argument = Argument::None)
{
    return Row { QString::fromUtf16(code), Family::Local, condition, action, 0, argument, std::move(spoken) };
}

Row remote(const char16_t* code, Action action, QString spoken = {}, Argument argument = Argument::None)
{
    return Row { QString::fromUtf16(code), Family::Remote, Connected, action, 0, argument, std::move(spoken) };
}

// "/B01" to "/B40" and the like: one row per button, numbered with two digits.
void appendButtonRows(std::vector<Row>& rows, QChar prefix, QChar letter, Family family, Condition condition,
                      Argument argument)
{
    for (int n = 1; n <= MemoryButtons::Count; ++n) {
        const QString code = QString(prefix) + letter + QStringLiteral("%1").arg(n, 2, 10, QLatin1Char('0'));
        rows.push_back(Row { code, family, condition, StoreButton, n, argument, {} });
    }
}

std::vector<Row> buildTable()
{
    std::vector<Row> rows {
        local(u"/A1", Any, AlarmsOn, QStringLiteral("Alarm Messages On")),
        local(u"/A0", Any, AlarmsOff, QStringLiteral("Alarm Messages Off")),
        local(u"/T1", Any, TimerBellOn, QStringLiteral("Timer Bell On")),
        local(u"/T0", Any, TimerBellOff, QStringLiteral("Timer Bell Off")),
        local(u"/AM", NotConnected, SetAwayMessage, QStringLiteral("The Away Message Reads "), Argument::Text),
    };
    appendButtonRows(rows, u'/', u'B', Family::Local, NotConnected, Argument::Callsign);
    appendButtonRows(rows, u'/', u'C', Family::Local, Connected, Argument::ConnectedCall);
    appendButtonRows(rows, u'.', u'B', Family::Remote, Connected, Argument::Callsign);
    rows.push_back(local(u"/RE", NotConnected, ResetEchoLink,
                         QStringLiteral(" Reseting Echo Link Wait for the Station Update Message")));
    const Row remoteRows[] = {
        remote(u".A1", AlarmsOn),
        remote(u".A0", AlarmsOff),
        remote(u".AF", AwayOff),
        remote(u".AT", AwayOn),
        remote(u".AM", SetAwayMessage, QStringLiteral("The Away Message Reads. "), Argument::Text),
        remote(u".SF", SpeakMessagesOff),
        remote(u".ST", SpeakMessagesOn),
        remote(u".BF", ButtonAnnounceOff),
        remote(u".BT", ButtonAnnounceOn),
        remote(u".KF", KeySpeakOff),
        remote(u".KT", KeySpeakOn),
        remote(u".QU", RemoteOff, QStringLiteral("Remote Commands Disabled.")),
        remote(u".LB", SendButtonList),
        remote(u".SS", SaveSettings, QStringLiteral("Options saved to Local File By Remote Operator")),
    };
    rows.insert(rows.end(), std::begin(remoteRows), std::end(remoteRows));
    rows.push_back(local(u"/SS", NotConnected, SaveSettings));
    return rows;
}

bool holds(Condition condition, const Context& context)
{
    switch (condition) {
    case Connected:
        return context.isConnected;
    case NotConnected:
        return !context.isConnected;
    case Any:
        break;
    }
    return true;
}

QString argumentOf(const Row& row, const QString& text, const QString& upper, const Context& context)
{
    switch (row.argument) {
    case Argument::Callsign:
        return MemoryButtons::sanitizedCaption(upper.mid(4));
    case Argument::Text:
        return text.mid(3);
    case Argument::ConnectedCall:
        return MemoryButtons::sanitizedCaption(context.connectedCall);
    case Argument::None:
        break;
    }
    return {};
}

} // namespace

const std::vector<Row>& table()
{
    static const std::vector<Row> rows = buildTable();
    return rows;
}

QString asciiUpper(const QString& text)
{
    QString upper = text;
    for (QChar& c : upper) {
        if (c >= u'a' && c <= u'z')
            c = QChar(c.unicode() - (u'a' - u'A'));
    }
    return upper;
}

Decoded decode(const QString& commandText, Family family, const Context& context)
{
    const QString upper = asciiUpper(commandText);
    for (const Row& row : table()) {
        if (row.family != family || !upper.startsWith(row.code) || !holds(row.condition, context))
            continue;
        return Decoded { row.action, row.button, argumentOf(row, commandText, upper, context), row.spoken, row.code };
    }
    return {};
}

} // namespace Commands

namespace MemoryButtons {

namespace {

bool breaksLine(QChar c)
{
    switch (c.unicode()) {
    case u'\n':
    case u'\v':
    case u'\f':
    case u'\r':
    case 0x0085:
    case 0x2028:
    case 0x2029:
        return true;
    default:
        return false;
    }
}

// "B01 = " to "B40 = ".
QString listLabel(int button)
{
    return QStringLiteral("B%1 = ").arg(button, 2, 10, QLatin1Char('0'));
}

} // namespace

QString sanitizedCaption(const QString& text)
{
    QString caption;
    caption.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (!breaksLine(c)) {
            caption += c;
            continue;
        }
        caption += u' ';
        if (c == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n')
            ++i;
    }
    return caption;
}

QString listText(const QString& myCallsign, const QStringList& captions)
{
    const QChar lineEnd = u'\r';
    QString text = QStringLiteral("Call Button List For Station ") + sanitizedCaption(myCallsign) + lineEnd;
    for (int n = 1; n <= Count; ++n) {
        const QString caption = n <= captions.size() ? sanitizedCaption(captions[n - 1]) : DefaultCaption;
        text += listLabel(n) + caption + lineEnd;
    }
    return text;
}

QString storeConfirmation(int button)
{
    const QString number = button >= 1 && button <= 9 ? QStringLiteral("0 %1").arg(button) : QString::number(button);
    return QStringLiteral(" Added to button ") + number;
}

QString buttonText(const QString& caption)
{
    QString text = caption;
    return text.replace(u'&', QStringLiteral("&&"));
}

QString accessibleName(const QString& caption, int button)
{
    const QString memory = QStringLiteral("memory %1").arg(button);
    const QString name = caption.trimmed();
    return name.isEmpty() ? memory : name + QStringLiteral(", ") + memory;
}

} // namespace MemoryButtons
