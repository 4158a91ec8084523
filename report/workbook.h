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

#include <functional>

namespace tarel::report {

// The name of the second sheet.
inline constexpr const char *kDataSheetName = "Podatoci";

Result<void> writeWorkbook(const PreparedReport &report, const QString &path);

// Writes a file through a writer that writes only to a file name (such as
// libxlsxwriter): the writer writes the new file beside the target, and only
// when it has finished without an error is that file synced and renamed over
// the target, so the target is replaced completely or left as it was. The
// target is checked before anything is made.
Result<void> writeThroughFileName(const QString &path,
                                  const std::function<Result<void>(const QString &fileName)> &write);

// The first sheet's name: the report asked for (the "report" of the run's
// request), else the template's name, made fit for a sheet name.
QString workbookSheetName(const PreparedReport &report);

} // namespace tarel::report
