#include "agebands.h"
#include "database.h"
#include "dateformat.h"
#include "dates.h"

#include <gtest/gtest.h>

using namespace tarel::tabulation;

namespace {

int day(int y, int m, int d) { return tarel::data::dayNumberOf(QDate(y, m, d)); }

// Index of the band of a set that holds the birth date at the reference day
// (the picker's time of day added), or -1.
int bandAt(const BandSetDefinition &set, QDate reference, QDate birth)
{
    return PlacedBands(set, pickerValue(reference)).bandOf(tarel::data::dayNumberOf(birth));
}

} // namespace

TEST(Dates, DayNumbersAndThePickersTimeOfDay)
{
    EXPECT_EQ(day(1899, 12, 30), 0);
    EXPECT_EQ(day(1899, 12, 31), 1);
    EXPECT_EQ(day(1899, 12, 29), -1);
    EXPECT_NEAR(timeFractionOf(pickerValue(QDate(2024, 5, 31))), 0.803875, 1e-6);
    EXPECT_EQ(dateOf(pickerValue(QDate(2024, 5, 31))), QDate(2024, 5, 31));
    // Before day 0 the time of day counts back from the start of the day.
    EXPECT_NEAR(encodeDateTime(QDate(1899, 12, 28), QTime(6, 0)), -2.25, 1e-12);
    EXPECT_EQ(dateOf(-2.25), QDate(1899, 12, 28));
}

TEST(Dates, MonthShiftClampsToTheEndOfTheMonth)
{
    struct Case {
        const char *what;
        QDate from;
        int months;
        QDate expected;
    };
    const Case cases[] = {
        {"31 March minus 1 month", {2007, 3, 31}, -1, {2007, 2, 28}},
        {"31 March minus 1 month, leap year", {2008, 3, 31}, -1, {2008, 2, 29}},
        {"29 February minus 1 year", {2008, 2, 29}, -12, {2007, 2, 28}},
        {"31 May minus 11 months", {2008, 5, 31}, -11, {2007, 6, 30}},
        {"January minus 2 months rolls over the year", {2008, 1, 15}, -2, {2007, 11, 15}},
        {"31 May minus 3 months", {2024, 5, 31}, -3, {2024, 2, 29}},
        {"130 years back", {2024, 5, 31}, -130 * 12, {1894, 5, 31}},
        {"forward", {2024, 1, 31}, 1, {2024, 2, 29}},
    };
    for (const Case &c : cases)
        EXPECT_EQ(addMonthsClamped(c.from, c.months), c.expected) << c.what;
    // The time of day stays, also for values before day 0.
    const DateTime shifted = incMonth(pickerValue(QDate(2024, 5, 31)), -130 * 12);
    EXPECT_EQ(dateOf(shifted), QDate(1894, 5, 31));
    EXPECT_LT(shifted, day(1894, 5, 31));
    EXPECT_NEAR(timeFractionOf(shifted), 0.803875, 1e-6);
}

TEST(AgeBands, GeneralMedicineLimits)
{
    const QDate r(2024, 6, 15);
    struct Case {
        const char *what;
        QDate birth;
        int band; // 0-based, -1 outside
    };
    const Case cases[] = {
        {"20th birthday on the reference day", {2004, 6, 15}, 0},
        {"20th birthday a day later", {2004, 6, 16}, -1},
        {"24th birthday on the reference day", {2000, 6, 15}, 1},
        {"24th birthday a day later", {2000, 6, 16}, 0},
        {"34th birthday", {1990, 6, 15}, 2},
        {"74th birthday", {1950, 6, 15}, 6},
        {"74th birthday a day later", {1950, 6, 16}, 5},
        {"130th birthday on the reference day is still inside", {1894, 6, 15}, 6},
        {"130 a day earlier", {1894, 6, 14}, -1},
        {"empty birth date (day 0)", {1899, 12, 30}, 6},
        {"19 years old", {2005, 1, 1}, -1},
    };
    for (const Case &c : cases)
        EXPECT_EQ(bandAt(calculateBands(), r, c.birth), c.band) << c.what;
}

TEST(AgeBands, GeneralMedicineCapAfter2029)
{
    // From 30 December 2029 the 130-year limit lies on or after day 0 and
    // excludes its anniversary like every other upper limit.
    const QDate r(2030, 6, 15);
    EXPECT_EQ(bandAt(calculateBands(), r, {1900, 6, 15}), -1);
    EXPECT_EQ(bandAt(calculateBands(), r, {1900, 6, 16}), 6);
    EXPECT_EQ(bandAt(calculateBands(), r, {1899, 12, 30}), -1);
}

TEST(AgeBands, SchoolChildrenAndYouthLimits)
{
    const QDate r(2024, 6, 15);
    const std::pair<QDate, int> cases[] = {
        {{2018, 6, 16}, -1}, // five years old
        {{2018, 6, 15}, 0},  // sixth birthday
        {{2017, 6, 15}, 1},  // seven
        {{2015, 6, 15}, 2},  // nine
        {{2010, 6, 15}, 3},  // fourteen
        {{2005, 6, 15}, 4},  // nineteen
        {{2000, 6, 15}, 5},  // twenty-four
        {{1997, 6, 16}, 5},  // 26, a day short of 27
        {{1997, 6, 15}, -1}, // 27
    };
    for (const auto &[birth, band] : cases)
        EXPECT_EQ(bandAt(calculate1Bands(), r, birth), band) << birth.toString(Qt::ISODate).toStdString();
}

TEST(AgeBands, PreSchoolChildrenMonthsAndYears)
{
    struct Case {
        const char *what;
        QDate reference;
        QDate birth;
        int band;
    };
    const Case cases[] = {
        {"exactly two months old", {2024, 6, 15}, {2024, 4, 15}, 1},
        {"a day short of two months", {2024, 6, 15}, {2024, 4, 16}, 0},
        {"born after the reference date", {2024, 6, 15}, {2024, 7, 1}, 0},
        {"two-month limit clamped to 29 February", {2008, 4, 30}, {2008, 2, 29}, 1},
        {"born 1 March 2008, not yet two months", {2008, 4, 30}, {2008, 3, 1}, 0},
        {"five months", {2024, 6, 15}, {2024, 1, 15}, 2},
        {"eleven months", {2024, 6, 15}, {2023, 7, 15}, 3},
        {"two years", {2024, 6, 15}, {2022, 6, 15}, 4},
        {"four years", {2024, 6, 15}, {2020, 6, 15}, 5},
        {"six years", {2024, 6, 15}, {2018, 6, 15}, -1},
        {"born 29 February, 28 February next year: under one", {2005, 2, 28}, {2004, 2, 29}, 3},
    };
    for (const Case &c : cases)
        EXPECT_EQ(bandAt(calculate2Bands(), c.reference, c.birth), c.band) << c.what;
}

TEST(AgeBands, LeapDayBirthdayCompletesOnFirstMarch)
{
    const PlacedBands before(calculate3Bands(), pickerValue(QDate(2005, 2, 28)));
    const PlacedBands after(calculate3Bands(), pickerValue(QDate(2005, 3, 1)));
    const int birth = day(2004, 2, 29);
    EXPECT_TRUE(before.holds(0, birth));  // under one year
    EXPECT_FALSE(after.holds(0, birth));
    EXPECT_TRUE(after.holds(1, birth));   // one year old
}

TEST(AgeBands, VisitReportIntervalsOverlapAndFeedTheirOwnCounters)
{
    const PlacedBands school(calculate4Bands(), pickerValue(QDate(2024, 6, 15)));
    const int aged24 = day(2000, 6, 15);
    EXPECT_TRUE(school.holds(4, aged24));  // 7 to under 27
    EXPECT_TRUE(school.holds(5, aged24));  // 24 to under 27
    EXPECT_FALSE(school.holds(3, aged24)); // not 19 to under 24

    const PlacedBands children(calculate3Bands(), pickerValue(QDate(2024, 6, 15)));
    const int unborn = day(2024, 8, 1);
    EXPECT_TRUE(children.holds(0, unborn));
    EXPECT_TRUE(children.holds(4, unborn));

    const PlacedBands adults(calculate5Bands(), pickerValue(QDate(2024, 6, 15)));
    EXPECT_TRUE(adults.holds(0, day(2004, 6, 15)));
    EXPECT_FALSE(adults.holds(0, day(2004, 6, 16)));
    EXPECT_TRUE(adults.holds(0, day(1874, 6, 15)));  // 150th birthday still inside
    EXPECT_FALSE(adults.holds(0, day(1874, 6, 14)));
    EXPECT_TRUE(adults.holds(0, 0));                 // empty birth date
}

TEST(Dates, ShortDateFormatIsNumericWithoutALocaleAndKeepsTheCentury)
{
    EXPECT_EQ(tarel::shortDateFormat(QLocale::c()), QStringLiteral("dd.MM.yyyy"));
    const QString macedonian = tarel::shortDateFormat(QLocale(QLocale::Macedonian));
    EXPECT_TRUE(macedonian.contains(QStringLiteral("yyyy"))) << macedonian.toStdString();
    EXPECT_FALSE(macedonian.contains(QStringLiteral("yyyyy"))) << macedonian.toStdString();
    EXPECT_EQ(QDate(2024, 3, 5).toString(tarel::shortDateFormat(QLocale::c())), QStringLiteral("05.03.2024"));
}
