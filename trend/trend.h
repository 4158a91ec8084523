#pragma once

// A report over the requested period and its history periods, as data: one
// count table per period, all of the report's one shape, every count cell of
// the form named as --cell names it, and for the morbidity reports over all
// doctors each doctor's selected visits per period. From it come the cells'
// series with their mean, standard deviation and flag, and the trend's
// files: JSON and CSV here, the workbook and the PDF beside them
// (docs/consistency-over-time.md).

#include "counttable.h"
#include "periods.h"
#include "runresult.h"
#include "statistics.h"

#include <QByteArray>
#include <QString>

#include <optional>
#include <vector>

namespace tarel::trend {

// A count cell of the report's form: its name as --cell takes it, and the
// row and column of the result it shows.
struct CountCell {
    QString name;
    int row = 0;
    int column = 0;
    bool operator==(const CountCell &) const = default;
};

// A doctor's selected visits (the rows the report's statement returns, by
// the doctor column the doctor filter compares) per period.
struct DoctorVisits {
    QString code;
    QString name; // as the database keeps it (MAC C letters); empty for a code no doctor has
    std::vector<qint64> values; // per period, oldest first
    Flag flag() const { return doctorFlag(values); }
};

struct Trend {
    QString report;                       // the report's command-line name
    QString title;                        // the form's heading, read as Unicode
    std::optional<result::Doctor> doctor; // morbidity reports: none for all doctors
    result::Area area = result::Area::Both;
    std::vector<Period> periods;            // oldest first, the requested last
    std::vector<result::CountTable> tables; // one per period, of one shape, sums derived
    std::vector<CountCell> cells;           // every count cell of the form, in the form's order
    std::vector<DoctorVisits> doctors;      // by code; empty unless a morbidity report over all doctors

    const result::TableShape &shape() const { return tables.front().shape(); }
    // The requested period's index: the last.
    int requested() const { return int(periods.size()) - 1; }
    int historyCount() const { return int(periods.size()) - 1; }
    // One cell of the table in every period, oldest first.
    std::vector<qint64> values(int row, int column) const;
};

// One count cell of the form over the periods.
struct CellSeries {
    int cell = 0;               // index into Trend::cells
    std::vector<qint64> values; // per period, the requested last
    CellStatistics statistics;  // of the requested period's count against the others

    qint64 value() const { return values.back(); }
    // This period's count over the mean; none without history or with a mean of 0.
    std::optional<double> ratio() const;
};

// Every count cell's series, in the order of Trend::cells.
std::vector<CellSeries> cellSeries(const Trend &trend);
// The flagged ones, most severe first: gone, new, extreme, moderate; within a
// flag the farthest from the mean in standard deviations, then in count,
// then in the form's order.
std::vector<CellSeries> flaggedCells(std::vector<CellSeries> series);

// The trend as JSON, keys in this order: {"report", "doctor" (code or
// null), "area", "periods": [{"from", "to"}...] oldest first, "cells":
// [{"cell", "row", "column", "values", "mean", "sd", "flag"}...] for every
// count cell ("row" and "column" the keys of the result's row and column;
// mean and sd null without history; flag a name or null), "doctors":
// [{"code", "name", "values", "flag"}...]}. Names of doctors in Unicode.
QByteArray trendJson(const Trend &trend);

// The trend as CSV (UTF-8 with byte order mark, CRLF line ends, fields as in
// every table the programs write), for a spreadsheet: the header
// kind,name,row,column,number,label,heading,FROM/TO...,mean,sd,flag with one
// column per period (its first and last day, ISO); a line "cell" per count
// cell (its name as --cell takes it, the keys of its row and column, the
// row's printed number and label, the column's headings joined by " / ") and
// a line "doctor" per doctor (its code as name and its name as label, in
// Unicode; no mean or sd).
QByteArray trendCsv(const Trend &trend);

} // namespace tarel::trend
