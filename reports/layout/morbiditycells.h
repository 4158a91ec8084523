#pragma once

// The cells of a morbidity template that the run writes: the counts of every
// catalogue row, the chapter subtotals, the grand totals and the header. They
// are named once, here: the template builders create exactly these cells, the
// run writes them, and the list of the visits behind a number reads a cell's
// name back into what it counts.

#include "agebands.h"
#include "result.h"

#include <QString>
#include <QStringView>

#include <optional>

namespace tarel::report {
class TfrxReport;
}
namespace tarel::tabulation {
class CounterGrid;
class RowCatalogue;
struct ChapterBlock;
} // namespace tarel::tabulation

namespace tarel::reports {

// The constants of one morbidity report.
struct MorbidityProfile {
    QString templateName;
    QString query;  // the report's visit query, named in messages
    int rows = 0;   // catalogue rows R
    const tabulation::BandSetDefinition *bands = nullptr;
    int cellStride = 19; // count cell of row r, data column k: "Memo" + (stride*r + base + k)
    int cellBase = 51;
    int zeroRows = 0;    // rows zeroed at the start of a run

    int bandCount() const { return int(bands->bands.size()); }
    int columns() const { return 2 + 2 * bandCount(); } // C = 2 + 2B data columns, numbered 4 .. 3 + C
};

// Everything that makes one morbidity report: its profile, its catalogue and
// its template.
struct MorbidityReportDefinition {
    const MorbidityProfile *profile = nullptr;
    Result<const tabulation::RowCatalogue *> (*catalogue)() = nullptr;
    report::TfrxReport (*buildTemplate)(const tabulation::RowCatalogue &) = nullptr;
};

// The first data column's number as printed: columns 1 to 3 are the ordinal,
// the label and the code text.
inline constexpr int kFirstDataColumn = 4;

// The count cell of row r (1-based), data column k (0-based).
QString countCellName(const MorbidityProfile &profile, int row, int k);
// The subtotal cell of a chapter block: "S", the block's code, the column number.
QString subtotalCellName(const tabulation::ChapterBlock &block, int column);
// The grand-total cell of a column: "v" and the column number.
QString grandTotalCellName(int column);

// The texts of the header cells.
struct MorbidityHeader {
    QString area;        // GradSelo
    QString doctor;      // lekar
    QString institution; // pzu
    QString from;        // dataod
    QString to;          // datado
};

// Writes the grid, its subtotals and grand totals ("-" for zero) and then the
// header into the template. Every cell is looked up first, so a template that
// lacks one is an error and nothing is written.
Result<void> writeMorbidityCells(const MorbidityProfile &profile, const tabulation::RowCatalogue &catalogue,
                                 const tabulation::CounterGrid &grid, const MorbidityHeader &header,
                                 report::TfrxReport &templ);

// Cell text of a count: its decimal digits, "-" for zero.
QString morbidityCountText(qint64 count);

// What a count cell of a morbidity template counts: a row's cell, a chapter
// subtotal (the block's rows) or a grand total (every row), in one data
// column.
struct MorbidityCell {
    int firstRow = 0; // rows summed, inclusive
    int lastRow = 0;
    int k = 0;        // data column, 0-based: 0/1 the totals, 2b/2b+1 band b
    bool total() const { return k < 2; }
    int band() const { return k / 2 - 1; } // 0-based band of a band column
    bool female() const { return k % 2 == 1; }
};
// The count a cell of that name holds (names compared without regard to
// case), or nothing for a cell that holds no count.
std::optional<MorbidityCell> morbidityCellOf(const MorbidityProfile &profile,
                                             const tabulation::RowCatalogue &catalogue, QStringView name);

} // namespace tarel::reports
