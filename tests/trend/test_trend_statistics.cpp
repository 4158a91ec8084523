// Each count against its history: the mean and population standard
// deviation, the flags at their bounds (the first that applies wins; never
// with fewer than three history periods; never within 5 of the mean), exact
// where floating point would tip a count on a band over it, and the silent
// doctor.

#include "statistics.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

using namespace tarel::trend;

namespace {

Flag flagOf(qint64 value, std::vector<qint64> history) { return cellStatistics(value, history).flag; }

} // namespace

TEST(CellStatistics, MeanAndPopulationStandardDeviation)
{
    const CellStatistics figures = cellStatistics(7, std::vector<qint64>{2, 4, 4, 4, 5, 5, 7, 9});
    ASSERT_TRUE(figures.mean && figures.sd);
    EXPECT_DOUBLE_EQ(*figures.mean, 5.0);
    EXPECT_DOUBLE_EQ(*figures.sd, 2.0); // the population's, not the sample's (2.138)
    EXPECT_DOUBLE_EQ(figures.deviations(7), 1.0);

    const CellStatistics none = cellStatistics(12, {});
    EXPECT_FALSE(none.mean);
    EXPECT_FALSE(none.sd);
    EXPECT_EQ(none.flag, Flag::None);
    EXPECT_EQ(none.deviations(12), 0);

    // Counts of millions square beyond 64 bits in the sums; the figures stay right.
    const qint64 big = 4'000'000'000;
    const CellStatistics large = cellStatistics(big, std::vector<qint64>{big - 2, big, big + 2});
    EXPECT_DOUBLE_EQ(*large.mean, double(big));
    EXPECT_NEAR(*large.sd, std::sqrt(8.0 / 3.0), 1e-12);
    EXPECT_TRUE(std::isinf(cellStatistics(6, std::vector<qint64>{5, 5, 5}).deviations(6)));
}

TEST(CellStatistics, FlagsAtTheirBounds)
{
    struct Case {
        const char *what;
        qint64 value;
        std::vector<qint64> history;
        Flag flag;
    };
    const Case cases[] = {
        {"nothing after something in every period", 0, {1, 1, 1}, Flag::Gone},
        {"gone before extreme", 0, {40, 41, 39, 40}, Flag::Gone},
        {"nothing after a period with nothing is not gone", 0, {9, 0, 9, 9}, Flag::None},
        {"nothing after a period with nothing, far from a steady mean", 0,
         {20, 20, 0, 20, 20, 20, 20, 20, 20, 20, 20, 20}, Flag::Extreme},
        {"five after nothing", 5, {0, 0, 0}, Flag::New},
        {"four after nothing: within 5 of the mean", 4, {0, 0, 0}, Flag::None},
        {"six after almost nothing is not new", 6, {0, 1, 0}, Flag::Extreme},
        {"with two history periods nothing is flagged", 0, {7, 7}, Flag::None},
        {"with two history periods nothing is new", 50, {0, 0}, Flag::None},
        // mean 5, sd 5: 3 sd is 15 away, 2 sd 10 away.
        {"exactly 3 sd above is moderate", 20, {0, 10, 0, 10}, Flag::Moderate},
        {"past 3 sd above", 21, {0, 10, 0, 10}, Flag::Extreme},
        {"exactly 2 sd above is nothing", 15, {0, 10, 0, 10}, Flag::None},
        {"past 2 sd above", 16, {0, 10, 0, 10}, Flag::Moderate},
        {"past 2 sd below", 2, {8, 18, 8, 18}, Flag::Moderate},
        // mean 10.33, sd 0.47: far in deviations, but a count must be 5 away.
        {"many sd but 4.67 away", 15, {10, 10, 11}, Flag::None},
        {"many sd and 5.67 away", 16, {10, 10, 11}, Flag::Extreme},
        {"5 below a steady mean", 5, {10, 10, 10}, Flag::Extreme},
        {"4 below a steady mean", 6, {10, 10, 10}, Flag::None},
        // (5 * 54 - 156)^2 = 9 * (5 * 5156 - 156^2) exactly: 3 sd to the last
        // digit, which floating point puts past the band.
        {"on 3 sd where rounding would say beyond", 54, {20, 33, 25, 39, 39}, Flag::Moderate},
        {"on 2 sd where rounding would say beyond", 31, {12, 24, 10, 27, 14}, Flag::None},
        {"an unchanged count", 12, {12, 12, 12}, Flag::None},
    };
    for (const Case &c : cases)
        EXPECT_EQ(flagName(flagOf(c.value, c.history)), flagName(c.flag)) << c.what;
}

TEST(DoctorFlag, SilentAfterVisitsInEachOfTheThreePeriodsBefore)
{
    struct Case {
        const char *what;
        std::vector<qint64> values; // the requested period last
        Flag flag;
    };
    const Case cases[] = {
        {"none now after some in each of three", {1, 3, 2, 0}, Flag::Silent},
        {"older periods do not matter", {0, 0, 5, 1, 1, 0}, Flag::Silent},
        {"a gap among the three before", {4, 4, 0, 4, 0}, Flag::None},
        {"some now", {4, 4, 4, 1}, Flag::None},
        {"only two periods before", {4, 4, 0}, Flag::None},
        {"nothing at all", {0}, Flag::None},
    };
    for (const Case &c : cases)
        EXPECT_EQ(flagName(doctorFlag(c.values)), flagName(c.flag)) << c.what;
}

TEST(Flag, NamesReadBack)
{
    for (const Flag flag : {Flag::Gone, Flag::New, Flag::Extreme, Flag::Moderate, Flag::Silent})
        EXPECT_EQ(flagNamed(flagName(flag)), flag);
    EXPECT_EQ(flagName(Flag::None), QString());
    EXPECT_FALSE(flagNamed(u"Gone"));
}
