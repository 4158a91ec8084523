#pragma once

// The run shared by the three morbidity reports: walk the visits of the
// report's query once, classify each by the report's row catalogue, count it
// by band and sex in the counter grid, add up chapter subtotals and grand
// totals, and write every count and the header into the report's template.

#include "agebands.h"
#include "catalogue.h"
#include "result.h"
#include "statements.h"

#include <QDate>
#include <QString>

#include <optional>
#include <vector>

namespace tarel::data {
class Database;
class Query;
} // namespace tarel::data
namespace tarel::report {
class TfrxReport;
}

namespace tarel::tabulation {

// The constants of one morbidity report.
struct MorbidityProfile {
    QString handler;      // click handler of the panel
    QString button;
    QString query;        // name of the report's visit query
    QString templateName;
    int rows = 0;         // catalogue rows R
    const BandSetDefinition *bands = nullptr;
    int cellStride = 19;  // cell of row r, data column k: "memo" + (stride*r + base + k)
    int cellBase = 51;
    int zeroRows = 0;     // rows zeroed at the start of a run

    int bandCount() const { return int(bands->bands.size()); }
    int columns() const { return 2 + 2 * bandCount(); } // C = 2 + 2B, numbered 4 .. 3 + C
    QString cellName(int row, int k) const;
    static QString subtotalCellName(const ChapterBlock &block, int k); // "s" + code + (4 + k)
    static QString grandTotalCellName(int k);                          // "v" + (4 + k)
};

// Counts per catalogue row and data column: k = 0 and 1 the row totals (male,
// female), k = 2b and 2b + 1 band b (1-based) male and female.
class CounterGrid {
public:
    void zero(int rows, int columns);
    int rows() const { return m_rows; }
    int columns() const { return m_columns; }
    qint32 value(int row, int k) const { return m_counts[index(row, k)]; }
    // One visit of the given sex in band (0-based) of a row; the row totals
    // stay the sums of the row's band counts.
    void count(int row, int band, bool female)
    {
        ++m_counts[index(row, 2 + 2 * band + (female ? 1 : 0))];
        ++m_counts[index(row, female ? 1 : 0)];
    }

private:
    std::size_t index(int row, int k) const { return std::size_t(row - 1) * std::size_t(m_columns) + std::size_t(k); }
    int m_rows = 0;
    int m_columns = 0;
    std::vector<qint32> m_counts;
};

// A morbidity panel's request: the two dates, one doctor or all, the area.
struct ReportRequest {
    QDate from;
    QDate to; // the reference date for ages, at the pickers' time of day
    bool allDoctors = true;
    QString doctorCode;
    QString doctorName;
    data::AreaFilter area = data::AreaFilter::Both;

    QString doctorText() const; // "Site lekari" or the doctor's name
    QString areaText() const { return data::areaText(area); }
};

// Cell text of a count: its decimal digits, "-" for zero.
QString morbidityCountText(qint32 count);

// Prepares the query's statement with the request's filter line and opens it
// inside a read transaction, walks it, counts, and fills the template. On an
// error (database, unreadable date, unreadable sex digits) the run ends at
// once and writes no cell; the grid keeps the partial counts.
Result<void> runMorbidityReport(const MorbidityProfile &profile, const RowCatalogue &catalogue,
                                data::Database &database, data::Query &query,
                                const ReportRequest &request, const QString &institutionName,
                                CounterGrid &grid, report::TfrxReport &templ);

// Counts the query's records into the grid (the walk of the run, without
// opening the query or writing cells). Exposed for tests and benchmarks.
Result<void> countVisits(const MorbidityProfile &profile, const RowCatalogue &catalogue,
                         data::Query &query, QDate referenceDay, CounterGrid &grid);

// Writes the grid, its subtotals and grand totals into the template. Checks
// first that every cell exists, so a template that lacks one is an error and
// nothing is written.
Result<void> writeMorbidityCells(const MorbidityProfile &profile, const RowCatalogue &catalogue,
                                 const CounterGrid &grid, report::TfrxReport &templ);


} // namespace tarel::tabulation

namespace tarel::tabulation {

// Everything that makes one morbidity report: its profile, its catalogue and
// its template. The main window and the command-line tool run every morbidity
// report through this one description.
struct MorbidityReportDefinition {
    const MorbidityProfile *profile = nullptr;
    Result<const RowCatalogue *> (*catalogue)() = nullptr;
    report::TfrxReport (*buildTemplate)(const RowCatalogue &) = nullptr;
};

} // namespace tarel::tabulation
