#pragma once

// A form as the engine uses it: the empty template, the shape of the results
// it shows (the identity of its rows and columns, as it prints them) and
// which cell shows which count. The three morbidity forms are built by one
// builder from their layouts (morbidityform.h), the three visit forms by one
// builder from theirs (reports/visits); the filled form is made from a run's
// result here.

#include "runresult.h"
#include "result.h"
#include "template.h"

#include <QString>

#include <functional>
#include <memory>
#include <span>
#include <utility>
#include <vector>

namespace tarel::reports {

// A text the form prints above its table: the cell that receives it, its
// caption as the form prints it (MAC C letters), and whether the cell prints
// the caption before the text.
struct HeaderField {
    enum Value { From, To, PrintedOn, Doctor, Area, Naziv, Adresa, Mesto, DanBroj, Ziro, Deponent };
    const char *cell;
    const char *caption;
    Value value;
    bool captionInCell = false;
};

// The texts of a run for its header, as the form prints them (MAC C letters).
struct HeaderValues {
    QString from;
    QString to;
    QString printedOn;
    QString doctor;
    QString area;
    result::Institution institution;
};

// A count cell of a form: its name and the table's row and column it shows.
struct FormCell {
    QString name;
    int row = 0;
    int column = 0;
};

struct Form {
    report::TfrxReport blank;
    std::shared_ptr<const result::TableShape> shape;
    std::vector<FormCell> cells; // every count cell, by table row, then column
    QString title;               // the heading, read as Unicode
    std::span<const HeaderField> header; // in reading order
};

// The cell text of a count: its digits; "-" for 0 where the form prints so.
QString countText(const result::TableShape &shape, qint64 count);

// The form filled: a copy of the blank form with every count of the table
// in its cell and the header's texts; all or nothing (a cell the form lacks
// is an error and nothing is written).
Result<report::TfrxReport> fillForm(const Form &form, const result::CountTable &counts, const HeaderValues &values);

// The header as caption and text, read as Unicode: what a run's result keeps
// of it for the files drawn from the result.
std::vector<result::HeaderLine> headerLines(const Form &form, const HeaderValues &values);

// The header's texts read back from the cells of a form filled before, as
// printed(name) gives them (empty for a cell it does not find).
HeaderValues printedHeaderValues(const Form &form, const std::function<QString(const QString &)> &printed);

// The count cell of that name (compared without regard to case), or null.
const FormCell *countCellNamed(const Form &form, QStringView name);

} // namespace tarel::reports
