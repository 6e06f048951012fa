#pragma once

#include <QDate>
#include <QDateTime>
#include <QLocale>
#include <QString>
#include <QTime>
#include <QTimeZone>
#include <optional>

// The two clocks (UTC on the left, local time on the right), the local offset that start-up writes
// to the chat pane, and the time-of-day text used in pane lines and announcements.
namespace Clocks {

// The date form both clocks are set to.
inline const QString DateFormat = QStringLiteral("M/d/yyyy");

// The local offset from UTC in minutes, positive east of Greenwich, at the moment at in zone: the
// standard offset in standard time, the daylight offset while daylight saving is in effect. A zone that
// keeps no daylight-saving rules in that year (UTC among them, and fixed-offset zones) reports no
// offset at all and gives 0, and so does an invalid zone.
int GetTimeZoneBias(const QTimeZone& zone, const QDateTime& at);

// The chat-pane note start-up writes when the offset is not 0; none for 0.
std::optional<QString> utcOffsetNote(int offsetMinutes);

// A time format without its time-zone name ('t' outside quoted text): hours, minutes and seconds as
// the operator's desktop writes them. "HH:mm:ss" when nothing is left.
QString timeFormatWithoutZone(const QString& format);

// The locale's long time format without its time-zone name.
QString longTimeFormat(const QLocale& locale);

// The time of day in that format.
QString longTimeText(const QTime& time, const QLocale& locale);

// What a clock shows for a moment: its date in DateFormat and its time of day, for the UTC clock
// in UTC (the local clock's moment turned to UTC) and for the local clock in local time.
QString clockDateText(const QDateTime& moment);
QString clockTimeText(const QDateTime& moment, const QLocale& locale);

} // namespace Clocks
