#pragma once

// The trend as a workbook (.xlsx), in Macedonian as the forms are:
// - "Oznaceni": what was asked, then the flagged cells most severe first
//   (row, column, cell, this period, mean, standard deviation, ratio to the
//   mean, flag, and the count of every period);
// - "Redovi": every row's totals per period (its cells in the columns that
//   sum others, or every column where none does: a morbidity row's men and
//   women, a visit report's counters), each line with a sparkline of its
//   periods;
// - "Lekari": each doctor's selected visits per period and the flag;
// - "Grafik": a line chart of the flagged rows' lines of "Redovi", the most
//   severe first (at most kChartedRows of them); left out when nothing is
//   flagged.
// The file is replaced completely or left as it was.

#include "trend.h"

#include "result.h"

#include <QString>

namespace tarel::trend {

inline constexpr const char *kFlaggedSheet = "Oznaceni";
inline constexpr const char *kRowsSheet = "Redovi";
inline constexpr const char *kDoctorsSheet = "Lekari";
inline constexpr const char *kChartSheet = "Grafik";
inline constexpr int kChartedRows = 12;

Result<void> writeTrendWorkbook(const Trend &trend, const QString &path);

// The lines of "Redovi": each a row of the table and one of its total
// columns, in the table's order.
struct TotalLine {
    int row = 0;
    int column = 0;
};
std::vector<TotalLine> totalLines(const result::TableShape &shape);

} // namespace tarel::trend
