// Tests of the date parsers and formats.

#include "text/DateFormat.h"

#include "support/QtPrinters.h"
#include "support/TestEnvironment.h"

#include <gtest/gtest.h>

namespace {

QDateTime Utc(int y, int mo, int d, int h = 0, int mi = 0, int s = 0) {
    return QDateTime(QDate(y, mo, d), QTime(h, mi, s), Qt::UTC);
}

struct DateCase {
    const char* text;
    QDateTime expected; // invalid: the current time
};

class ParseFeedDateTest : public ::testing::TestWithParam<DateCase> {};

TEST_P(ParseFeedDateTest, GivesUtc) {
    // A zone with daylight saving in force shows that nothing depends on the local zone.
    ScopedTimeZone zone("Europe/Berlin");
    const DateCase& c = GetParam();
    const QDateTime before = NowGmt().addSecs(-1);
    const QDateTime parsed = ParseFeedDate(QString::fromUtf8(c.text));
    EXPECT_EQ(parsed.timeSpec(), Qt::UTC);
    if (c.expected.isValid()) {
        EXPECT_EQ(parsed, c.expected) << c.text;
    } else {
        EXPECT_GE(parsed, before) << c.text;
        EXPECT_LE(parsed, NowGmt().addSecs(1)) << c.text;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Examples, ParseFeedDateTest,
    ::testing::Values(DateCase{"Mon, 03 Jan 2005 10:30:15 GMT", Utc(2005, 1, 3, 10, 30, 15)},
                      DateCase{"  Mon, 03 Jan 2005 10:30:15 GMT  ", Utc(2005, 1, 3, 10, 30, 15)},
                      DateCase{"Mon, 03 Jan 2005 10:30:15 EST", Utc(2005, 1, 3, 15, 30, 15)},
                      DateCase{"Mon, 03 Jan 2005 10:30:15 PDT", Utc(2005, 1, 3, 17, 30, 15)},
                      DateCase{"Mon, 03 Jan 2005 10:30:15 pst", Utc(2005, 1, 3, 18, 30, 15)},
                      DateCase{"Mon, 03 Jan 05 10:30:15 GMT", Utc(2005, 1, 3, 10, 30, 15)},
                      DateCase{"Mon, 03 JAN 2005 10:30:15 UT", Utc(2005, 1, 3, 10, 30, 15)},
                      DateCase{"Mon, 03 Foo 2005 10:30:15 GMT", Utc(2005, 1, 3, 10, 30, 15)},
                      DateCase{"Mon, 03 Jan 2005 10:30 GMT", Utc(2005, 1, 3)},
                      DateCase{"Mon, 03 Jan 2005 10:30:15", Utc(2005, 1, 3)},
                      // The day name is optional, as RFC 822 has it.
                      DateCase{"03 Jan 2005 10:30:15 GMT", Utc(2005, 1, 3, 10, 30, 15)},
                      DateCase{"21 September 2012 17:05:00 GMT", Utc(2012, 9, 21, 17, 5)},
                      DateCase{"3 Jan 2005", {}}, DateCase{"Mon, 03 Jan", {}},
                      // Numeric zones move the time like named ones, minutes included.
                      DateCase{"Mon, 03 Jan 2005 10:30:15 +0100", Utc(2005, 1, 3, 9, 30, 15)},
                      DateCase{"Mon, 03 Jan 2005 10:30:15 -0500", Utc(2005, 1, 3, 15, 30, 15)},
                      DateCase{"Mon, 03 Jan 2005 10:30:15 +0530", Utc(2005, 1, 3, 5, 0, 15)},
                      // A day name with a capital T and a negative zone stays RFC 822.
                      DateCase{"Tue, 04 Jan 2005 10:30:15 -0500", Utc(2005, 1, 4, 15, 30, 15)},
                      DateCase{"Thu, 06 Jan 2005 23:30:00 -0800", Utc(2005, 1, 7, 7, 30, 0)},
                      DateCase{"2005-01-03T10:30:15Z", Utc(2005, 1, 3, 10, 30, 0)},
                      DateCase{"2005-01-03T10:30:15-05:00", Utc(2005, 1, 3, 15, 30, 15)},
                      DateCase{"2005-01-03T10:30:15+01:00", Utc(2005, 1, 3, 9, 30, 15)},
                      DateCase{"2005-01-03T10:30:15+05:30", Utc(2005, 1, 3, 5, 0, 15)},
                      // Every ISO 8601 form a feed writes: offsets without a colon or
                      // minutes, times without seconds, basic form, blank for "T", reduced
                      // dates.
                      DateCase{"2005-01-03T10:30:15+0100", Utc(2005, 1, 3, 9, 30, 15)},
                      DateCase{"2005-01-03T10:30:15+01", Utc(2005, 1, 3, 9, 30, 15)},
                      DateCase{"2005-01-03T10:30Z", Utc(2005, 1, 3, 10, 30)},
                      DateCase{"2002-12-31T19:20+01:00", Utc(2002, 12, 31, 18, 20)},
                      DateCase{"2003-12-31 10:14:55Z", Utc(2003, 12, 31, 10, 14)},
                      DateCase{"2003-12-31T10:14:55.25-02:00", Utc(2003, 12, 31, 12, 14, 55)},
                      DateCase{"20031231T101455Z", Utc(2003, 12, 31, 10, 14)},
                      DateCase{"20031231T101455+0100", Utc(2003, 12, 31, 9, 14, 55)},
                      DateCase{"2003-12-31", Utc(2003, 12, 31)},
                      DateCase{"2003-12", Utc(2003, 12, 1)}, DateCase{"2003", Utc(2003, 1, 1)},
                      DateCase{"2003-1231", {}},
                      DateCase{"05-01-03T10:30:15Z", Utc(2005, 1, 3, 10, 30, 0)},
                      DateCase{"2005T10:30:15-05:00", {}},
                      // Out-of-range components carry over instead of failing.
                      DateCase{"2005-02-30T10:30:15Z", Utc(2005, 3, 2, 10, 30, 0)},
                      DateCase{"", {}}, DateCase{"garbage", {}}, DateCase{"-T", {}},
                      // Runs of blanks count as one.
                      DateCase{"Wed,  1 Feb 2006 10:27:25 -0500", Utc(2006, 2, 1, 15, 27, 25)},
                      DateCase{"Wed, 01 Feb  2006   10:27:25\tGMT", Utc(2006, 2, 1, 10, 27, 25)},
                      // Two-digit years by RFC 2822's window.
                      DateCase{"Fri, 09 Feb 96 10:00:00 GMT", Utc(1996, 2, 9, 10)},
                      DateCase{"Fri, 09 Feb 49 10:00:00 GMT", Utc(2049, 2, 9, 10)},
                      DateCase{"Fri, 09 Feb 50 10:00:00 GMT", Utc(1950, 2, 9, 10)},
                      DateCase{"97-01-03T10:30:15Z", Utc(1997, 1, 3, 10, 30, 0)},
                      // Month names written out.
                      DateCase{"Thu, 09 February 2006 10:00:00 GMT", Utc(2006, 2, 9, 10)},
                      DateCase{"Sun, 03 SEPTEMBER 2006 10:00:00 GMT", Utc(2006, 9, 3, 10)},
                      // Only the years 1900 to 9999 are read, zone applied.
                      DateCase{"Mon, 03 Jan 20005 10:30:15 GMT", {}},
                      DateCase{"Sun, 31 Dec 1899 23:00:00 GMT", {}},
                      DateCase{"Mon, 01 Jan 1900 00:00:00 GMT", Utc(1900, 1, 1)},
                      DateCase{"9999-12-31T23:59:00Z", Utc(9999, 12, 31, 23, 59)},
                      DateCase{"9999-12-31T23:30:00-05:00", {}},
                      DateCase{"12005-01-03T10:30Z", {}}));

TEST(ParsePlainDate, ReadsNumericFormsAsWrittenOnly) {
    EXPECT_EQ(ParsePlainDate("2005-01-03 10:30:15"), Utc(2005, 1, 3, 10, 30, 15));
    EXPECT_EQ(ParsePlainDate(" 01/03/2005 10:30 "), Utc(2005, 1, 3, 10, 30));
    EXPECT_EQ(ParsePlainDate("2005-01-03"), Utc(2005, 1, 3));
    for (const char* zoned : {"Mon, 03 Jan 2005 10:30:15 EST", "2005-01-03T10:30:15-05:00",
                              "03 Jan 2005", "13/45/2005 10:30", "garbage"})
        EXPECT_FALSE(ParsePlainDate(zoned).has_value()) << zoned;
    // Texts with zones keep their zone rules.
    EXPECT_EQ(ParseItemDate("2005-01-03T10:30:15-05:00"), Utc(2005, 1, 3, 15, 30, 15));
    EXPECT_EQ(ParseItemDate("2005-01-03 10:30:15"), Utc(2005, 1, 3, 10, 30, 15));
    // A date written with character references or in CDATA is read as the text it stands for.
    EXPECT_EQ(ParseItemDate("2003&#45;12&#45;31T10:14:55&#x2B;01:00"),
              Utc(2003, 12, 31, 9, 14, 55));
    EXPECT_EQ(ParseItemDate("<![CDATA[ 2003-12-31 ]]>"), Utc(2003, 12, 31));
    // A plain date before 1900 is no feed date either.
    const QDateTime before = NowGmt().addSecs(-1);
    EXPECT_GE(ParseItemDate("1850-01-03 10:30:15"), before);
}

TEST(ParseFeedDate, HugeComponentsStayInRange) {
    const QDateTime parsed = ParseFeedDate("Mon, 99999999999 Jan 99999999999 99:99:99 GMT");
    EXPECT_TRUE(parsed.isValid());
}

TEST(FormatDate, GmtAndShortFormsShowTheValueAsHeld) {
    const QDateTime value = Utc(2005, 1, 3, 9, 5, 59);
    EXPECT_EQ(FormatDateGmt(value), "2005-01-03 09:05 GMT");
    EXPECT_EQ(FormatDateShort(value), "01/03/2005 09:05");
}

struct LocalCase {
    const char* tz;
    QDateTime stored;
    QDateTime now;
    const char* expected;
};

class FormatDateLocalTest : public ::testing::TestWithParam<LocalCase> {};

TEST_P(FormatDateLocalTest, ShowsRealLocalTime) {
    const LocalCase& c = GetParam();
    ScopedTimeZone zone(c.tz);
    EXPECT_EQ(FormatDateLocal(c.stored, c.now), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Zones, FormatDateLocalTest,
    ::testing::Values(
        // One hour east of Greenwich, no daylight saving: yesterday 23:50 GMT is today 00:50.
        LocalCase{"UTC-01:00", Utc(2005, 1, 2, 23, 50), Utc(2005, 1, 2, 23, 55), "Today, 00:50"},
        LocalCase{"UTC-01:00", Utc(2005, 1, 1, 23, 50), Utc(2005, 1, 2, 23, 55),
                  "Yesterday, 00:50"},
        LocalCase{"UTC", Utc(2004, 12, 25, 8, 0), Utc(2005, 1, 2, 12, 0), "2004-12-25 08:00"},
        // Berlin keeps summer time in July (+2) and standard time in January (+1).
        LocalCase{"Europe/Berlin", Utc(2005, 7, 3, 10, 30), Utc(2006, 1, 1), "2005-07-03 12:30"},
        LocalCase{"Europe/Berlin", Utc(2005, 1, 3, 10, 30), Utc(2006, 1, 1), "2005-01-03 11:30"},
        LocalCase{"Europe/Berlin", Utc(2005, 7, 3, 22, 30), Utc(2005, 7, 3, 22, 45),
                  "Today, 00:30"},
        LocalCase{"America/New_York", Utc(2005, 7, 3, 3, 30), Utc(2005, 7, 3, 12, 0),
                  "Yesterday, 23:30"}));

} // namespace
