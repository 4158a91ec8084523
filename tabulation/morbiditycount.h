#pragma once

// Counting the visits of a morbidity report: every visit is classified into
// the catalogue rows its diagnosis falls in and counted by age band and sex
// in the counter grid; the grid adds up into chapter subtotals and grand
// totals. Nothing here knows of templates or cells.

#include "agebands.h"
#include "catalogue.h"
#include "result.h"

#include <span>
#include <vector>

namespace tarel::data {
struct VisitRecord;
}

namespace tarel::tabulation {

// Where one visit counts.
struct MorbidityOutcome {
    std::span<const int> rows; // catalogue rows of the diagnosis, ascending; empty: in no row
    int band = -1;             // 0-based; -1: outside every band, or not looked at (in no row)
    bool female = false;       // looked at only for a visit in a row and a band
    bool counted() const { return !rows.empty() && band >= 0; }
};

// Classifies the visits of one morbidity report at one reference date.
class MorbidityClassifier {
public:
    MorbidityClassifier(const RowCatalogue &catalogue, const BandSetDefinition &bands, DateTime reference);

    // The rows of the visit's diagnosis; for a visit in a row, its band; for
    // a visit in a band, its sex. So an unreadable birth date is an error only
    // for a visit in a row, and unreadable sex digits only for a visit in a
    // band, as the counting reads them.
    Result<MorbidityOutcome> classify(const data::VisitRecord &record) const;

    int bandCount() const { return m_bands.size(); }

private:
    const RowCatalogue &m_catalogue;
    PlacedBands m_bands;
};

// The birth date of a visit as a day number: empty is day 0; an unreadable
// text is the error "'<text>' is not a valid date".
Result<int> birthDayOf(QStringView text);

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
    // A classified visit: once in every row it falls in (rows beyond the grid
    // are not counted); nothing when it is outside every band.
    void add(const MorbidityOutcome &outcome)
    {
        if (!outcome.counted())
            return;
        for (int row : outcome.rows)
            if (row <= m_rows)
                count(row, outcome.band, outcome.female);
    }

private:
    std::size_t index(int row, int k) const { return std::size_t(row - 1) * std::size_t(m_columns) + std::size_t(k); }
    int m_rows = 0;
    int m_columns = 0;
    std::vector<qint32> m_counts;
};

// The chapter subtotals (per block, per data column) and grand totals (per
// data column: the sum of the subtotals) of a grid.
struct GridTotals {
    std::vector<std::vector<qint64>> blocks;
    std::vector<qint64> grand;
};
GridTotals totalsOf(const CounterGrid &grid, const std::vector<ChapterBlock> &blocks);

} // namespace tarel::tabulation
