#include "statistics.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace tarel::trend {

namespace {

constexpr std::pair<Flag, const char *> kFlagNames[] = {
    {Flag::Gone, "gone"}, {Flag::New, "new"}, {Flag::Extreme, "extreme"}, {Flag::Moderate, "moderate"},
    {Flag::Silent, "silent"},
};

__extension__ typedef __int128 Wide;

} // namespace

QString flagName(Flag flag)
{
    for (const auto &[known, name] : kFlagNames)
        if (known == flag)
            return QLatin1String(name);
    return {};
}

std::optional<Flag> flagNamed(QStringView name)
{
    for (const auto &[known, text] : kFlagNames)
        if (name == QLatin1String(text))
            return known;
    return std::nullopt;
}

double CellStatistics::deviations(qint64 value) const
{
    if (!mean || double(value) == *mean)
        return 0;
    if (*sd == 0)
        return std::numeric_limits<double>::infinity();
    return std::abs(double(value) - *mean) / *sd;
}

CellStatistics cellStatistics(qint64 value, std::span<const qint64> history)
{
    CellStatistics statistics;
    const Wide n = Wide(history.size());
    if (n == 0)
        return statistics;
    // With S the sum and Q the sum of squares of the history: mean = S / n,
    // sd = sqrt(nQ - S^2) / n, and |x - mean| > k sd is (nx - S)^2 > k^2 (nQ - S^2).
    Wide sum = 0;
    Wide squares = 0;
    for (const qint64 h : history) {
        sum += h;
        squares += Wide(h) * h;
    }
    const Wide spread = n * squares - sum * sum; // n^2 times the variance
    statistics.mean = double(sum) / double(n);
    statistics.sd = std::sqrt(double(spread)) / double(n);
    if (history.size() < std::size_t(kMinimumHistory))
        return statistics;

    const auto all = [&](auto test) { return std::all_of(history.begin(), history.end(), test); };
    const Wide difference = n * value - sum; // n times x - mean
    const Wide distance = difference < 0 ? -difference : difference;
    const bool farEnough = distance >= Wide(kMinimumDifference) * n;
    if (value == 0 && all([](qint64 h) { return h >= 1; }))
        statistics.flag = Flag::Gone;
    else if (value >= kMinimumDifference && all([](qint64 h) { return h == 0; }))
        statistics.flag = Flag::New;
    else if (farEnough && distance * distance > 9 * spread)
        statistics.flag = Flag::Extreme;
    else if (farEnough && distance * distance > 4 * spread)
        statistics.flag = Flag::Moderate;
    return statistics;
}

Flag doctorFlag(std::span<const qint64> values)
{
    if (values.size() < std::size_t(kMinimumHistory) + 1 || values.back() != 0)
        return Flag::None;
    const auto before = values.subspan(values.size() - 1 - std::size_t(kMinimumHistory), std::size_t(kMinimumHistory));
    return std::all_of(before.begin(), before.end(), [](qint64 v) { return v >= 1; }) ? Flag::Silent : Flag::None;
}

} // namespace tarel::trend
