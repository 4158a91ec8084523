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

// The cells as a table for a spreadsheet: UTF-8 with byte order mark, commas,
// RFC 4180 quoting, CRLF line ends. Per page, cells whose tops lie on the same
// line form one row, ordered by their left edge; a blank row separates pages.
// A table row also takes the cells printed below its first line within its
// height (a label's or code's second line as a cell of its own). Texts stand
// in the column of the table they start in: in a table row the pieces of one
// cell share a field; above the table every text is a field of its own. A
// list of diagnosis codes is written on one line; other texts keep their line
// breaks inside the quoted field. Texts of MAC C fonts are written in Unicode
// Cyrillic.
Result<void> writeCsv(const PreparedReport &report, const QString &path);
QByteArray csvText(const PreparedReport &report);

// Appends one CSV field as every table the programs write has it: a text
// that a spreadsheet would run as a formula gets a leading "'"; a field with
// a comma, quote, line break or outer blank is quoted (RFC 4180).
void appendCsvField(QString &row, const QString &text);

} // namespace tarel::report
