// The periods of a trend: whole months stepping back whole months (at month
// ends and over leap years), other periods stepping back their days, history
// left out before the database's first visit, and which period a visit's
// date text falls in.

#include "periods.h"

#include <gtest/gtest.h>

using namespace tarel;
using namespace tarel::trend;

namespace {

QDate day(const char *iso) { return QDate::fromString(QLatin1String(iso), Qt::ISODate); }
Period period(const char *from, const char *to) { return {day(from), day(to)}; }

std::string text(const Period &p)
{
    return (p.from.toString(Qt::ISODate) + QStringLiteral("..") + p.to.toString(Qt::ISODate)).toStdString();
}

const QDate kLongAgo(1990, 1, 1);

} // namespace

TEST(TrendPeriods, StepBackWholeMonthsOrTheSameNumberOfDays)
{
    struct Case {
        const char *what;
        Period requested;
        int history;
        std::vector<const char *> expected; // the history periods, oldest first
    };
    const Case cases[] = {
        {"a month steps back by months of their own lengths", period("2024-03-01", "2024-03-31"), 3,
         {"2023-12-01..2023-12-31", "2024-01-01..2024-01-31", "2024-02-01..2024-02-29"}},
        {"February of a leap year is a whole month; the Februaries before have 28 days",
         period("2024-02-01", "2024-02-29"), 2, {"2023-12-01..2023-12-31", "2024-01-01..2024-01-31"}},
        {"a short month after a long one", period("2023-03-01", "2023-03-31"), 1, {"2023-02-01..2023-02-28"}},
        {"a quarter steps back by quarters", period("2024-01-01", "2024-03-31"), 2,
         {"2023-07-01..2023-09-30", "2023-10-01..2023-12-31"}},
        {"two months over the turn of a year", period("2023-12-01", "2024-01-31"), 2,
         {"2023-08-01..2023-09-30", "2023-10-01..2023-11-30"}},
        {"a year of whole months", period("2023-01-01", "2023-12-31"), 1, {"2022-01-01..2022-12-31"}},
        {"February 1 to 28 of a leap year is 28 days, not a month", period("2024-02-01", "2024-02-28"), 2,
         {"2023-12-07..2024-01-03", "2024-01-04..2024-01-31"}},
        {"a month that begins on the 2nd is 30 days", period("2024-04-02", "2024-05-01"), 1,
         {"2024-03-03..2024-04-01"}},
        {"half a month steps back over February 29", period("2024-03-01", "2024-03-15"), 2,
         {"2024-01-31..2024-02-14", "2024-02-15..2024-02-29"}},
        {"one day", period("2024-03-01", "2024-03-01"), 2, {"2024-02-28..2024-02-28", "2024-02-29..2024-02-29"}},
        {"from a month's last day to the next month's last day", period("2024-01-31", "2024-02-29"), 1,
         {"2024-01-01..2024-01-30"}},
    };
    for (const Case &c : cases) {
        const Result<std::vector<Period>> periods = trendPeriods(c.requested, c.history, kLongAgo);
        ASSERT_TRUE(periods.ok()) << c.what << ": " << periods.message().toStdString();
        ASSERT_EQ(periods->size(), c.expected.size() + 1) << c.what;
        for (std::size_t i = 0; i < c.expected.size(); ++i)
            EXPECT_EQ(text((*periods)[i]), c.expected[i]) << c.what << ", history period " << i;
        EXPECT_EQ(periods->back(), c.requested) << c.what;
        // Whichever way they step, the periods follow one another without a gap.
        for (std::size_t i = 1; i < periods->size(); ++i)
            EXPECT_EQ((*periods)[i - 1].to.addDays(1), (*periods)[i].from) << c.what;
    }
}

TEST(TrendPeriods, SixtyMonthsBackKeepEveryLeapFebruary)
{
    const Result<std::vector<Period>> periods = trendPeriods(period("2024-02-01", "2024-02-29"), 60, kLongAgo);
    ASSERT_TRUE(periods.ok());
    ASSERT_EQ(periods->size(), 61u);
    EXPECT_EQ(text(periods->front()), "2019-02-01..2019-02-28");
    EXPECT_EQ(text((*periods)[12]), "2020-02-01..2020-02-29");
    for (const Period &p : *periods)
        EXPECT_EQ(wholeMonths(p), 1) << text(p);
}

TEST(TrendPeriods, HistoryBeforeTheFirstVisitIsLeftOut)
{
    const Period march = period("2024-03-01", "2024-03-31");
    // A period ending on the first visit's day is kept; one ending the day before is not.
    Result<std::vector<Period>> periods = trendPeriods(march, 12, day("2024-01-31"));
    ASSERT_TRUE(periods.ok());
    ASSERT_EQ(periods->size(), 3u);
    EXPECT_EQ(text(periods->front()), "2024-01-01..2024-01-31");
    // A period the first visit falls inside is kept.
    periods = trendPeriods(march, 12, day("2024-01-15"));
    EXPECT_EQ(periods->size(), 3u);
    periods = trendPeriods(march, 12, day("2024-02-01"));
    EXPECT_EQ(periods->size(), 2u);
    // Without any dated visit, no history remains; the requested period always does.
    periods = trendPeriods(march, 12, QDate());
    ASSERT_EQ(periods->size(), 1u);
    EXPECT_EQ(periods->front(), march);
    periods = trendPeriods(march, 12, day("2025-01-01"));
    EXPECT_EQ(periods->size(), 1u);
    // History that would reach before year 1 is left out, not wrapped.
    periods = trendPeriods(period("0001-03-01", "0001-03-31"), 12, QDate(1, 1, 1));
    ASSERT_EQ(periods->size(), 3u);
    EXPECT_EQ(text(periods->front()), "0001-01-01..0001-01-31");
}

TEST(TrendPeriods, RefusesHistoryOutsideOneToSixtyAndABackwardPeriod)
{
    const Period march = period("2024-03-01", "2024-03-31");
    for (const int history : {0, -1, 61}) {
        const Result<std::vector<Period>> periods = trendPeriods(march, history, kLongAgo);
        ASSERT_FALSE(periods.ok()) << history;
        EXPECT_EQ(periods.error().kind, ErrorKind::Usage);
        EXPECT_TRUE(periods.message().contains(u"1 to 60")) << periods.message().toStdString();
    }
    EXPECT_TRUE(trendPeriods(march, 60, kLongAgo).ok());
    const Result<std::vector<Period>> backward = trendPeriods(period("2024-03-31", "2024-03-01"), 12, kLongAgo);
    ASSERT_FALSE(backward.ok());
    EXPECT_EQ(backward.error().kind, ErrorKind::Usage);
    EXPECT_EQ(wholeMonths(period("2024-03-31", "2024-03-01")), 0);
}

TEST(PeriodLookup, ComparesDateTextsAsTheStatementsDo)
{
    const std::vector<Period> periods = {period("2024-01-01", "2024-01-31"), period("2024-02-01", "2024-02-29"),
                                         period("2024-03-01", "2024-03-31")};
    const PeriodLookup lookup(periods);
    const std::pair<const char *, int> cases[] = {
        {"2024-01-01", 0}, {"2024-01-31", 0}, {"2024-02-01", 1}, {"2024-02-29", 1}, {"2024-03-31", 2},
        // After a period's last day as text, before the next one's first.
        {"2024-01-31 10:00", -1}, {"2024-02-29x", -1},
        {"2023-12-31", -1}, {"2024-04-01", -1}, {"2024-03-31 ", -1}, {"", -1},
        // Not ISO: compared as text, as the statement compares it.
        {"2024-1-5", -1}, {"2024-02-1", 1}, {"15.02.2024", -1},
    };
    for (const auto &[date, expected] : cases)
        EXPECT_EQ(lookup.periodOf(QString::fromLatin1(date)), expected) << date;
}
