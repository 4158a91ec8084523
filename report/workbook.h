#pragma once

// Writing a prepared report as a spreadsheet workbook (.xlsx), for the
// offices that work on the reports in spreadsheets.
//
// The first sheet, named after the report, is the run's result as a table
// (resulttable.h): its heading and header lines, the column headings merged
// over the columns they span, the column numbers, then one line per row of
// the result with its number, label and code range and its counts as numbers
// (where the form prints zero as "-", the number 0 shown as "-"), sums in
// bold, Cyrillic texts; printed on the form's paper and margins, one page
// wide, the head repeated on every page. The second sheet, "Podatoci", lists
// the report's template and what the run recorded (what was asked, the data
// check) as key and value rows. A report that keeps no counts is refused.
//
// The file is replaced completely or left as it was; an error names the
// file and the problem.

#include "prepared.h"

#include "result.h"

#include <QString>

namespace tarel::report {

// The name of the second sheet.
inline constexpr const char *kDataSheetName = "Podatoci";

Result<void> writeWorkbook(const PreparedReport &report, const QString &path);

// The first sheet's name: the report asked for (the "report" of the run's
// request), else the template's name, made fit for a sheet name.
QString workbookSheetName(const PreparedReport &report);

} // namespace tarel::report
