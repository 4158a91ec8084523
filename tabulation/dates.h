#pragma once

// Dates and times as day numbers with the time of day as the fraction of a
// day: day 0 is 30 December 1899. Before day 0 the time of day is counted
// back from the start of the day (day -2 at 06:00 is -2.25), as the original
// date type does; the age tests depend on it for the 130- and 150-year caps.

#include <QDate>
#include <QString>
#include <QTime>

namespace tarel::tabulation {

using DateTime = double;

// Time of day that every date picker carries: 19:17:34.843.
QTime pickerTimeOfDay();

// Combines a calendar date and a time of day into a day number.
DateTime encodeDateTime(QDate date, QTime time);
// The value a date picker yields for a chosen date.
DateTime pickerValue(QDate date);

// The calendar date and time of day of a value.
QDate dateOf(DateTime value);
double timeFractionOf(DateTime value);

// Moves a value by whole months (negative: back), keeping the time of day and
// the day of the month, limited to the length of the target month.
DateTime incMonth(DateTime value, int months);
QDate addMonthsClamped(QDate date, int months);

} // namespace tarel::tabulation
