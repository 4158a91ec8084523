#pragma once

// The periods of a trend: the requested period and the history periods
// before it, each counted as a plain run of that period would count it
// (docs/consistency-over-time.md).
//
// A request of whole calendar months (from the 1st of a month to the last
// day of a month, m months) steps back m whole months at a time; any other
// request steps back its own number of days. A history period that ends
// before the database's earliest visit date is left out.

#include "result.h"

#include <QDate>
#include <QString>
#include <QStringView>

#include <span>
#include <vector>

namespace tarel::trend {

struct Period {
    QDate from; // both days included; the run of the period takes its ages at `to`
    QDate to;
    bool operator==(const Period &) const = default;
};

inline constexpr int kDefaultHistory = 12;
inline constexpr int kMaxHistory = 60;

// The number of whole calendar months a period spans; 0 when it does not
// begin on a month's first day or end on a month's last day.
int wholeMonths(const Period &period);

// The history periods, oldest first, and the requested period last.
// `history`: how many history periods are asked for (1 to kMaxHistory; else
// a usage error, as is a period that ends before it begins). `earliestVisit`:
// the database's earliest visit date; the history periods that end before it
// are left out, and all of them when it is invalid (no visit has a date).
// The days of every period lie in the years 1 to 9999; history that would
// reach earlier is left out too.
Result<std::vector<Period>> trendPeriods(const Period &requested, int history, QDate earliestVisit);

// Which of the periods holds a visit dated `visitDate`: the period whose
// first and last days, as ISO texts, enclose it, compared as texts the way
// the visit statements compare DATA with their two days. -1 for none: before
// the first, after the last, or a text that falls between two periods
// (such as "2024-01-31 10:00", after "2024-01-31" and before "2024-02-01").
class PeriodLookup {
public:
    explicit PeriodLookup(std::span<const Period> periods);
    int periodOf(QStringView visitDate) const;

private:
    std::vector<QString> m_from; // ascending
    std::vector<QString> m_to;
};

} // namespace tarel::trend
