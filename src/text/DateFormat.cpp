// Reading the dates feeds write and formatting dates for screens and statements.

#include "text/DateFormat.h"

#include "text/MarkupText.h"
#include "text/NumberText.h"

#include <QRegularExpression>
#include <algorithm>
#include <optional>

namespace {

// Component values beyond this are nonsense in a feed; clamping keeps the calendar arithmetic
// below far from overflow whatever the text holds.
constexpr int ComponentLimit = 100000;

int ReadComponent(QStringView text) {
    return ReadLeadingInt(text, ComponentLimit);
}

// Builds a UTC date-time from components that may be out of range; like the C library's
// mktime, surplus months, days and seconds carry over.
std::optional<QDateTime> MakeUtc(int year, int month, int day, int hour = 0, int minute = 0,
                                 int second = 0) {
    const QDate firstOfYear(year, 1, 1);
    if (!firstOfYear.isValid())
        return std::nullopt;
    const QDate date = firstOfYear.addMonths(month - 1).addDays(day - 1);
    if (!date.isValid())
        return std::nullopt;
    const QDateTime midnight(date, QTime(0, 0), Qt::UTC);
    return midnight.addSecs(qint64(hour) * 3600 + qint64(minute) * 60 + second);
}

// Two-digit years by RFC 2822's window (below 50 this century, else the last); other years
// below 1000 in this millennium.
int CenturyAdjusted(int year) {
    if (year < 50)
        return year + 2000;
    if (year < 100)
        return year + 1900;
    return year < 1000 ? year + 2000 : year;
}

// Outside these years no date is read: the stored form holds four-digit years, and a feed's
// date before 1900 is a mistake.
bool IsReadableYear(const QDateTime& value) {
    const int year = value.date().year();
    return year >= 1900 && year <= 9999;
}

// Splits at the first occurrence of a separator; nullopt when it is missing.
std::optional<std::pair<QStringView, QStringView>> SplitAt(QStringView text, QStringView sep) {
    const qsizetype at = text.indexOf(sep);
    if (at < 0)
        return std::nullopt;
    return std::pair{text.left(at), text.mid(at + sep.size())};
}

// Seconds to add to a time written in a zone to reach UTC, for "+HHMM"/"-HHMM" or "+HH:MM".
std::optional<int> NumericZoneOffset(QStringView zone) {
    if (zone.size() < 2 || (zone[0] != u'+' && zone[0] != u'-'))
        return std::nullopt;
    QString digits = zone.mid(1).toString();
    digits.remove(u':');
    if (digits.size() != 4 ||
        !std::all_of(digits.begin(), digits.end(), [](QChar c) { return c.isDigit(); }))
        return std::nullopt;
    const int seconds = digits.left(2).toInt() * 3600 + digits.mid(2).toInt() * 60;
    return zone[0] == u'-' ? seconds : -seconds;
}

// Hours to add to reach UTC for the named zones a feed may give.
int NamedZoneHours(const QString& zone) {
    static const std::pair<const char16_t*, int> zones[] = {
        {u"edt", 4}, {u"est", 5}, {u"cdt", 5}, {u"cst", 6},
        {u"mdt", 6}, {u"mst", 7}, {u"pdt", 7}, {u"pst", 8},
    };
    for (const auto& [name, hours] : zones)
        if (zone == QStringView(name))
            return hours;
    return 0;
}

// Abbreviated or written out; any other word is January.
int MonthNumber(const QString& name) {
    static const char16_t* const months[] = {u"january",   u"february", u"march",    u"april",
                                             u"may",       u"june",     u"july",     u"august",
                                             u"september", u"october",  u"november", u"december"};
    for (int i = 0; i < 12; ++i) {
        const QStringView month(months[i]);
        if (name == month || name == month.left(3))
            return i + 1;
    }
    return 1;
}

// The older, looser reading of "2005-01-03T10:30:15-05:00", for what ParseIso8601 does not
// take (two-digit years, components of other widths). A bare "Z" or no zone keeps the time as
// written, seconds dropped; an offset without a colon is ignored.
std::optional<QDateTime> ParseIsoDate(QStringView text) {
    const auto [datePart, timePart] = *SplitAt(text, u"T");
    const auto yearRest = SplitAt(datePart, u"-");
    if (!yearRest)
        return std::nullopt;
    const auto monthDay = SplitAt(yearRest->second, u"-");
    if (!monthDay)
        return std::nullopt;
    const int year = CenturyAdjusted(ReadComponent(yearRest->first));
    const int month = ReadComponent(monthDay->first);
    const int day = ReadComponent(monthDay->second);

    const auto hourRest = SplitAt(timePart, u":");
    const auto minuteRest = hourRest ? SplitAt(hourRest->second, u":") : std::nullopt;
    if (!minuteRest)
        return MakeUtc(year, month, day);
    const int hour = ReadComponent(hourRest->first);
    const int minute = ReadComponent(minuteRest->first);
    const QStringView rest = minuteRest->second;

    qsizetype sign = rest.indexOf(QChar(u'-'));
    if (sign < 0)
        sign = rest.indexOf(QChar(u'+'));
    if (sign < 0)
        return MakeUtc(year, month, day, hour, minute);

    const int second = ReadComponent(rest.left(sign));
    const QStringView zone = rest.mid(sign);
    const auto local = MakeUtc(year, month, day, hour, minute, second);
    if (!local || !zone.contains(QChar(u':')))
        return local;
    const auto offset = SplitAt(zone.mid(1), u":");
    QStringView offsetHours = offset->first;
    if (offsetHours.startsWith(u'0'))
        offsetHours = offsetHours.mid(1);
    const int seconds = ReadComponent(offsetHours) * 3600 + ReadComponent(offset->second) * 60;
    return local->addSecs(zone[0] == u'-' ? seconds : -seconds);
}

// ISO 8601 as feeds write it: the extended or the basic form, "T" or a blank before the time,
// a date cut to a year-month or a year, a time with or without seconds (fractions ignored) and
// a zone of "Z", "+hh:mm", "+hhmm" or "+hh". As in the older reading below, a time without an
// offset keeps its hour and minute as written and drops its seconds.
std::optional<QDateTime> ParseIso8601(const QString& text) {
    static const QRegularExpression iso(
        QStringLiteral(R"(^(\d{4})(?:(-?)(\d{2})(?:\2(\d{2}))"
                       R"((?:[T ](\d{2}):?(\d{2})(?::?(\d{2})(?:[.,]\d+)?)?)"
                       R"( ?(Z|[+-]\d{2}(?::?\d{2})?)?)?)?)?$)"),
        QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch match = iso.match(text);
    if (!match.hasMatch())
        return std::nullopt;
    auto number = [&match](int group, int absent) {
        return match.hasCaptured(group) ? match.capturedView(group).toInt() : absent;
    };
    const QString zone = match.captured(8);
    const bool offset = !zone.isEmpty() && zone.compare(u"Z", Qt::CaseInsensitive) != 0;
    const auto written = MakeUtc(CenturyAdjusted(number(1, 0)), number(3, 1), number(4, 1),
                                 number(5, 0), number(6, 0), offset ? number(7, 0) : 0);
    if (!written || !offset)
        return written;
    const auto seconds = NumericZoneOffset(zone.size() == 3 ? zone + QStringLiteral("00") : zone);
    return seconds ? std::optional(written->addSecs(*seconds)) : std::nullopt;
}

// "Mon, 03 Jan 2005 10:30:15 GMT", the day name being optional. Without seconds or zone the
// time of day is dropped.
std::optional<QDateTime> ParseRfc822Date(QStringView text) {
    const auto afterDayName = !text.isEmpty() && text.front().isDigit()
                                  ? std::optional(std::pair{QStringView(), text})
                                  : SplitAt(text, u", ");
    if (!afterDayName || !text.contains(QChar(u':')))
        return std::nullopt;
    const auto day = SplitAt(afterDayName->second, u" ");
    const auto month = day ? SplitAt(day->second, u" ") : std::nullopt;
    const auto year = month ? SplitAt(month->second, u" ") : std::nullopt;
    if (!year)
        return std::nullopt;
    const int dayNumber = ReadComponent(day->first);
    const int monthNumber = MonthNumber(month->first.toString().toLower());
    const int yearNumber = CenturyAdjusted(ReadComponent(year->first));

    const auto hour = SplitAt(year->second, u":");
    const auto minute = hour ? SplitAt(hour->second, u":") : std::nullopt;
    const auto second = minute ? SplitAt(minute->second, u" ") : std::nullopt;
    if (!second)
        return MakeUtc(yearNumber, monthNumber, dayNumber);
    const auto local = MakeUtc(yearNumber, monthNumber, dayNumber, ReadComponent(hour->first),
                               ReadComponent(minute->first), ReadComponent(second->first));
    if (!local)
        return local;
    const QStringView zone = second->second;
    if (const auto offset = NumericZoneOffset(zone))
        return local->addSecs(*offset);
    return local->addSecs(qint64(NamedZoneHours(zone.toString().toLower())) * 3600);
}

// A text that opens with a day name and a comma is RFC 822 even when its day name or zone
// brings the hyphen and capital T that otherwise mark ISO dates ("Tue, ... -0500").
bool StartsWithDayName(QStringView text) {
    const qsizetype comma = text.indexOf(u", ");
    return comma > 0 &&
           std::all_of(text.begin(), text.begin() + comma, [](QChar c) { return c.isLetter(); });
}

QString TwoDigits(int n) {
    return QString::number(n).rightJustified(2, u'0');
}

QString HourMinute(const QTime& time) {
    return TwoDigits(time.hour()) + u':' + TwoDigits(time.minute());
}

QString YearMonthDayTime(const QDateTime& value) {
    const QDate date = value.date();
    return QString::number(date.year()) + u'-' + TwoDigits(date.month()) + u'-' +
           TwoDigits(date.day()) + u' ' + HourMinute(value.time());
}

} // namespace

QDateTime ParseFeedDate(const QString& text) {
    // Runs of blanks count as one: "Wed,  1 Feb 2006" pads its day to two places.
    const QString simplified = text.simplified();
    if (const auto strict = ParseIso8601(simplified); strict && IsReadableYear(*strict))
        return *strict;
    const bool iso = simplified.contains(QChar(u'-')) && simplified.contains(QChar(u'T')) &&
                     !StartsWithDayName(simplified);
    const auto parsed = iso ? ParseIsoDate(simplified) : ParseRfc822Date(simplified);
    return parsed && parsed->isValid() && IsReadableYear(*parsed) ? *parsed : NowGmt();
}

std::optional<QDateTime> ParsePlainDate(const QString& text) {
    // Built in UTC from its parts: going through local time would cost a time-zone lookup per
    // date, and the merge reads one per item.
    static const QRegularExpression yearFirst(
        QStringLiteral(R"(^(\d{4})-(\d{2})-(\d{2})(?: (\d{2}):(\d{2})(?::(\d{2}))?)?$)"));
    static const QRegularExpression monthFirst(
        QStringLiteral(R"(^(\d{2})/(\d{2})/(\d{4})(?: (\d{2}):(\d{2})(?::(\d{2}))?)?$)"));
    const QString trimmed = text.trimmed();
    if (trimmed.isEmpty() || !trimmed[0].isDigit())
        return std::nullopt;
    QRegularExpressionMatch match = yearFirst.match(trimmed);
    int year = 1, month = 2, day = 3;
    if (!match.hasMatch()) {
        match = monthFirst.match(trimmed);
        year = 3, month = 1, day = 2;
    }
    if (!match.hasMatch())
        return std::nullopt;
    const QDate date(match.captured(year).toInt(), match.captured(month).toInt(),
                     match.captured(day).toInt());
    const QTime time(match.captured(4).toInt(), match.captured(5).toInt(),
                     match.captured(6).toInt());
    if (!date.isValid() || !time.isValid())
        return std::nullopt;
    return QDateTime(date, time, Qt::UTC);
}

QDateTime ParseItemDate(const QString& written) {
    // A date may be written with character references ("2003&#45;12&#45;31") or in CDATA.
    const QString text = DecodeEntities(UnwrapCData(written));
    if (const auto plain = ParsePlainDate(text); plain && IsReadableYear(*plain))
        return *plain;
    return ParseFeedDate(text);
}

QString FormatDateGmt(const QDateTime& utc) {
    return YearMonthDayTime(utc) + QStringLiteral(" GMT");
}

QString FormatDateLocal(const QDateTime& utc) {
    return FormatDateLocal(utc, QDateTime::currentDateTimeUtc());
}

QString FormatDateLocal(const QDateTime& utc, const QDateTime& now) {
    const QDateTime local = utc.toLocalTime();
    if (local.date() == now.toLocalTime().date())
        return QStringLiteral("Today, ") + HourMinute(local.time());
    if (local.date() == now.addSecs(-86400).toLocalTime().date())
        return QStringLiteral("Yesterday, ") + HourMinute(local.time());
    return YearMonthDayTime(local);
}

QString FormatDateShort(const QDateTime& value) {
    const QDate date = value.date();
    return TwoDigits(date.month()) + u'/' + TwoDigits(date.day()) + u'/' +
           QString::number(date.year()) + u' ' + HourMinute(value.time());
}

QDateTime NowGmt() {
    return QDateTime::currentDateTimeUtc();
}
