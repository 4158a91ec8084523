#include "dates.h"

#include "database.h"


#include <cmath>

namespace tarel::tabulation {

QTime pickerTimeOfDay() { return QTime(19, 17, 34, 843); }

DateTime encodeDateTime(QDate date, QTime time)
{
    const double day = data::dayNumberOf(date);
    const double fraction = time.msecsSinceStartOfDay() / 86400000.0;
    return day >= 0 ? day + fraction : day - fraction;
}

DateTime pickerValue(QDate date) { return encodeDateTime(date, pickerTimeOfDay()); }

QDate dateOf(DateTime value) { return data::dateOfDayNumber(int(std::trunc(value))); }

double timeFractionOf(DateTime value) { return std::fabs(value - std::trunc(value)); }

QDate addMonthsClamped(QDate date, int months)
{
    const int total = date.year() * 12 + (date.month() - 1) + months;
    const int year = total >= 0 ? total / 12 : -((-total + 11) / 12);
    const int month = total - year * 12 + 1;
    const int last = QDate(year, month, 1).daysInMonth();
    return QDate(year, month, qMin(date.day(), last));
}

DateTime incMonth(DateTime value, int months)
{
    const QDate moved = addMonthsClamped(dateOf(value), months);
    const double day = data::dayNumberOf(moved);
    const double fraction = timeFractionOf(value);
    return day >= 0 ? day + fraction : day - fraction;
}

} // namespace tarel::tabulation

