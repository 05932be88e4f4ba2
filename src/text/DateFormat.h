// Dates as feeds write them and as the screens and statements show them.

#pragma once

#include <QDateTime>
#include <QString>
#include <optional>

// Dates as feeds write them and as the screens and statements show them. Every stored date is
// UTC; QDateTime values returned here carry Qt::UTC.

// Reads an RFC 822 or ISO 8601 date text into UTC. Never fails: text it cannot read, and a
// date outside the years 1900 to 9999, give the current time.
QDateTime ParseFeedDate(const QString& text);

// Plain numeric dates read as written, with no zone: "2005-01-03 10:30:15", "2005-01-03",
// "01/03/2005 10:30". Texts with a day name or an ISO "T" are left to ParseFeedDate.
std::optional<QDateTime> ParsePlainDate(const QString& text);

// A feed's date text as stored: a plain date as written, else ParseFeedDate.
QDateTime ParseItemDate(const QString& text);

// "YYYY-M-DD HH:MM GMT" of a UTC value, without conversion.
QString FormatDateGmt(const QDateTime& utc);

// The value in local time, relative to today: "Today, HH:MM", "Yesterday, HH:MM" or
// "YYYY-MM-DD HH:MM". The second form takes the moment that counts as now.
QString FormatDateLocal(const QDateTime& utc);
QString FormatDateLocal(const QDateTime& utc, const QDateTime& now);

// "MM/DD/YYYY HH:MM" of the value as held (no conversion); the literal form of SQL statements.
QString FormatDateShort(const QDateTime& value);

QDateTime NowGmt();
