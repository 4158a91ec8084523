#include "periods.h"

#include <QCoreApplication>

#include <algorithm>

namespace tarel::trend {

namespace {

// This file's messages, translated in the shared context "Text" (see
// translations/translation.h).
class Text {
    Q_DECLARE_TR_FUNCTIONS(Text)
};

// The days a period may hold: ISO texts of four-digit years, which sort as
// their days do.
const QDate kFirstDay(1, 1, 1);
const QDate kLastDay(9999, 12, 31);

} // namespace

int wholeMonths(const Period &period)
{
    if (!period.from.isValid() || !period.to.isValid() || period.from > period.to || period.from.day() != 1
        || period.to.day() != period.to.daysInMonth())
        return 0;
    return (period.to.year() - period.from.year()) * 12 + period.to.month() - period.from.month() + 1;
}

Result<std::vector<Period>> trendPeriods(const Period &requested, int history, QDate earliestVisit)
{
    if (history < 1 || history > kMaxHistory)
        return fail(Text::tr("The history must be from 1 to %1 periods, not %2").arg(kMaxHistory).arg(history),
                    ErrorKind::Usage);
    if (!requested.from.isValid() || !requested.to.isValid() || requested.from > requested.to)
        return fail(Text::tr("The period ends before it begins"), ErrorKind::Usage);
    if (requested.from < kFirstDay || requested.to > kLastDay)
        return fail(Text::tr("The period must lie in the years 1 to 9999"), ErrorKind::Usage);

    const int months = wholeMonths(requested);
    const qint64 days = requested.from.daysTo(requested.to) + 1;
    std::vector<Period> periods;
    // From the oldest history period to the newest, then the requested one.
    for (int back = history; back >= 1; --back) {
        Period period;
        if (months > 0) {
            // The 1st of a month is a day of every month: nothing is clamped.
            period.from = requested.from.addMonths(-back * months);
            period.to = period.from.addMonths(months).addDays(-1);
        } else {
            period.from = requested.from.addDays(-back * days);
            period.to = requested.to.addDays(-back * days);
        }
        if (!period.from.isValid() || period.from < kFirstDay || !earliestVisit.isValid()
            || period.to < earliestVisit)
            continue;
        periods.push_back(period);
    }
    periods.push_back(requested);
    return periods;
}

PeriodLookup::PeriodLookup(std::span<const Period> periods)
{
    for (const Period &period : periods) {
        m_from.push_back(period.from.toString(Qt::ISODate));
        m_to.push_back(period.to.toString(Qt::ISODate));
    }
}

int PeriodLookup::periodOf(QStringView visitDate) const
{
    // The last period that begins on or before the text, if it ends on or after it.
    const auto after = std::upper_bound(m_from.begin(), m_from.end(), visitDate,
                                        [](QStringView date, const QString &from) { return date < QStringView(from); });
    if (after == m_from.begin())
        return -1;
    const std::size_t index = std::size_t(after - m_from.begin()) - 1;
    return visitDate <= QStringView(m_to[index]) ? int(index) : -1;
}

} // namespace tarel::trend
