#pragma once

// Each number against its history (docs/consistency-over-time.md): the mean
// and the population standard deviation of a count's history periods, and
// the flag that says how the requested period's count stands against them.

#include <QString>
#include <QStringView>

#include <QtGlobal>

#include <cstdint>
#include <optional>
#include <span>

namespace tarel::trend {

// Most severe first: the order in which lists of flagged numbers are shown.
enum class Flag : std::uint8_t {
    None,
    Gone,     // nothing this period after something in every history period
    New,      // at least 5 this period after nothing in any history period
    Extreme,  // more than 3 standard deviations and at least 5 from the mean
    Moderate, // more than 2 standard deviations and at least 5 from the mean
    Silent,   // a doctor with no selected visits this period after some in each of the three before
};

// "gone", "new", "extreme", "moderate", "silent"; empty for None.
QString flagName(Flag flag);
std::optional<Flag> flagNamed(QStringView name);

// Flags are given only with at least this many history periods.
inline constexpr int kMinimumHistory = 3;
// A count this close to the mean is never flagged, however small the
// deviation.
inline constexpr qint64 kMinimumDifference = 5;

struct CellStatistics {
    std::optional<double> mean; // of the history; none without history
    std::optional<double> sd;   // population standard deviation of the history
    Flag flag = Flag::None;     // gone, new, extreme, moderate or none

    // The count's distance from the mean in standard deviations: 0 without
    // history or at the mean, infinite where the history never varies.
    double deviations(qint64 value) const;
};

// The figures of a count `value` of the requested period with the counts of
// its history periods. The comparisons with the mean and the standard
// deviation are exact: they are made on whole numbers, so a count on a band
// is never flagged by a rounding error.
CellStatistics cellStatistics(qint64 value, std::span<const qint64> history);

// The flag of a doctor's selected visits per period, the requested period
// last: silent or none.
Flag doctorFlag(std::span<const qint64> values);

} // namespace tarel::trend
