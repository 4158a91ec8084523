#pragma once

// Writing a prepared report as a spreadsheet workbook (.xlsx), for the
// offices that work on the reports in spreadsheets.
//
// The first sheet, named after the report, is the form as a worksheet (see
// sheetlayout.h): the lines above the table, the table on the form's grid
// with its merged headings and frame lines, counts as numbers (a "-" is the
// number 0 shown as "-"), Cyrillic texts; printed on the form's paper and
// margins, one page wide, the table head repeated on every page. The second
// sheet, "Podatoci", lists the report's template and the run's annotations
// (what was asked, the data check) as key and value rows.
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
