#pragma once

// Writing a prepared report as PDF, PNG and CSV. Every writer replaces the
// file completely or leaves it as it was; an error names the file and the
// problem.

#include "prepared.h"

#include "result.h"

#include <QImage>
#include <QString>

namespace tarel::report {

// What a PDF or a print job calls the report: its title read as Cyrillic,
// or the template's name when it has no title.
QString documentTitle(const PreparedReport &report);

// One PDF page per output page, at its own paper size and orientation, with
// vector text and embedded fonts (the Cyrillic reading of MAC C texts can be
// selected and searched).
Result<void> writePdf(const PreparedReport &report, const QString &path);

// One page drawn on a white background at the given resolution.
QImage renderPageImage(const PreparedReport &report, int page, double dpi);

// One page as a PNG file.
Result<void> writePng(const PreparedReport &report, int page, double dpi, const QString &path);

// The report's result as a table for a spreadsheet (resulttable.h): UTF-8
// with byte order mark, commas, RFC 4180 quoting, CRLF line ends. Its
// heading, its header lines (caption and text), an empty line, the column
// headings (each in the first column it spans), the column numbers, then one
// line per row of the result: its number, label and code range and its
// counts as the form prints them. Texts in Unicode Cyrillic. A report that
// keeps no counts is refused.
Result<void> writeCsv(const PreparedReport &report, const QString &path);
QByteArray csvText(const result::RunResult &result);

// The error of a writer of tables for a report that keeps no counts.
Result<void> checkHasCounts(const PreparedReport &report, const QString &path);

// Appends one CSV field as every table the programs write has it: a text
// that a spreadsheet would run as a formula gets a leading "'"; a field with
// a comma, quote, line break or outer blank is quoted (RFC 4180).
void appendCsvField(QString &row, const QString &text);

} // namespace tarel::report
