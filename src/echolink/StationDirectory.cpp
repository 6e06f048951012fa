#include "echolink/StationDirectory.h"

#include <QJsonObject>
#include <cmath>

namespace StationDirectory {

namespace {

struct KindName
{
    Kind kind;
    const char* name;
};
constexpr KindName kindNames[] {
    { Kind::Station, "station" },
    { Kind::Link, "link" },
    { Kind::Repeater, "repeater" },
    { Kind::Conference, "conference" },
};

const QLatin1String callsignKey("callsign");
const QLatin1String descriptionKey("description");
const QLatin1String statusKey("status");
const QLatin1String nodeKey("node");
const QLatin1String kindKey("kind");

bool isNodeNumber(const QJsonValue& value)
{
    if (!value.isDouble())
        return false;
    const double number = value.toDouble();
    return number == std::trunc(number) && number >= 0 && number <= MaxNode;
}

// The reason an element is not an entry; empty when it is one.
QString entryProblem(const QJsonValue& value)
{
    if (!value.isObject())
        return QStringLiteral("is not an object");
    const QJsonObject object = value.toObject();
    for (const QLatin1String key : { callsignKey, descriptionKey, statusKey }) {
        if (!object.value(key).isString())
            return QStringLiteral("has no text %1").arg(key);
    }
    if (!isNodeNumber(object.value(nodeKey)))
        return QStringLiteral("has no node number from 0 to %1").arg(MaxNode);
    if (!kindFromName(object.value(kindKey).toString()))
        return QStringLiteral("has no kind (station, link, repeater or conference)");
    return {};
}

// One line of plain text, however it arrived.
QString cleaned(const QString& text, int limit)
{
    QString out = text.left(limit);
    for (QChar& c : out) {
        if (c.category() == QChar::Other_Control || c == QChar::LineSeparator || c == QChar::ParagraphSeparator)
            c = QLatin1Char(' ');
    }
    // A surrogate pair cut in half at the limit would be an invalid character.
    if (!out.isEmpty() && out.back().isHighSurrogate())
        out.chop(1);
    return out.trimmed();
}

} // namespace

QString kindName(Kind kind)
{
    for (const KindName& entry : kindNames) {
        if (entry.kind == kind)
            return QString::fromLatin1(entry.name);
    }
    return {};
}

std::optional<Kind> kindFromName(const QString& name)
{
    for (const KindName& entry : kindNames) {
        if (name == QLatin1String(entry.name))
            return entry.kind;
    }
    return std::nullopt;
}

Kind kindOfCallsign(const QString& callsign)
{
    if (callsign.size() >= 2 && callsign.startsWith(QLatin1Char('*')) && callsign.endsWith(QLatin1Char('*')))
        return Kind::Conference;
    if (callsign.endsWith(QLatin1String("-L"), Qt::CaseInsensitive))
        return Kind::Link;
    if (callsign.endsWith(QLatin1String("-R"), Qt::CaseInsensitive))
        return Kind::Repeater;
    return Kind::Station;
}

QJsonArray toJson(const QList<Entry>& entries)
{
    QJsonArray out;
    for (const Entry& entry : entries) {
        out.append(QJsonObject {
            { callsignKey, entry.callsign },
            { descriptionKey, entry.description },
            { statusKey, entry.status },
            { nodeKey, entry.node },
            { kindKey, kindName(entry.kind) },
        });
    }
    return out;
}

bool isStationList(const QJsonValue& value)
{
    if (!value.isArray())
        return false;
    const QJsonArray array = value.toArray();
    for (const QJsonValue& element : array) {
        if (!entryProblem(element).isEmpty())
            return false;
    }
    return true;
}

std::optional<QList<Entry>> fromJson(const QJsonValue& value, QString* error)
{
    if (!value.isArray()) {
        if (error)
            *error = QStringLiteral("The station list is not a list");
        return std::nullopt;
    }
    const QJsonArray array = value.toArray();
    QList<Entry> entries;
    entries.reserve(array.size());
    for (qsizetype i = 0; i < array.size(); ++i) {
        const QJsonValue element = array.at(i);
        const QString problem = entryProblem(element);
        if (!problem.isEmpty()) {
            if (error)
                *error = QStringLiteral("Entry %1 of the station list %2").arg(i + 1).arg(problem);
            return std::nullopt;
        }
        const QJsonObject object = element.toObject();
        entries.append(Entry {
            cleaned(object.value(callsignKey).toString(), MaxCallsignChars),
            cleaned(object.value(descriptionKey).toString(), MaxTextChars),
            cleaned(object.value(statusKey).toString(), MaxTextChars),
            object.value(nodeKey).toInt(),
            *kindFromName(object.value(kindKey).toString()),
        });
    }
    return entries;
}

} // namespace StationDirectory
