#include "speech/Clocks.h"

namespace Clocks {

namespace {

// A zone keeps daylight-saving rules in a year when daylight time is in effect at some point of it:
// from the start of the year, or from a transition within it.
bool keepsDaylightRules(const QTimeZone& zone, const QDateTime& at)
{
    const QDateTime yearStart(QDate(at.toTimeZone(zone).date().year(), 1, 1), QTime(0, 0), Qt::UTC);
    if (zone.isDaylightTime(yearStart))
        return true;
    const QTimeZone::OffsetDataList transitions = zone.transitions(yearStart, yearStart.addYears(1));
    for (const QTimeZone::OffsetData& transition : transitions) {
        if (transition.daylightTimeOffset != 0)
            return true;
    }
    return false;
}

} // namespace

int GetTimeZoneBias(const QTimeZone& zone, const QDateTime& at)
{
    if (!zone.isValid() || !at.isValid() || !keepsDaylightRules(zone, at))
        return 0;
    // Standard or daylight time alike: the offset in effect at that moment.
    return zone.offsetFromUtc(at) / 60;
}

std::optional<QString> utcOffsetNote(int offsetMinutes)
{
    if (offsetMinutes == 0)
        return std::nullopt;
    return QStringLiteral("Clock on Left is set to UTC Time; Local offset = ") + QString::number(offsetMinutes)
        + QStringLiteral(" Minutes");
}

QString timeFormatWithoutZone(const QString& format)
{
    // Drop the zone-name letters outside quoted literals; a literal may hold a 't' of its own.
    QString kept;
    bool quoted = false;
    for (QChar c : format) {
        if (c == u'\'')
            quoted = !quoted;
        if (quoted || c != u't')
            kept += c;
    }
    kept = kept.trimmed();
    return kept.isEmpty() ? QStringLiteral("HH:mm:ss") : kept;
}

QString longTimeFormat(const QLocale& locale)
{
    return timeFormatWithoutZone(locale.timeFormat(QLocale::LongFormat));
}

QString longTimeText(const QTime& time, const QLocale& locale)
{
    return locale.toString(time, longTimeFormat(locale));
}

QString clockDateText(const QDateTime& moment)
{
    return moment.date().toString(DateFormat);
}

QString clockTimeText(const QDateTime& moment, const QLocale& locale)
{
    return longTimeText(moment.time(), locale);
}

} // namespace Clocks
