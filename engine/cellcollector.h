#pragma once

// Inside the engine: keeps the lines of one count cell while a run walks its
// visits. A visit adds a line for each time the run added it to a counted
// cell that the cell's number sums (a visit counted in two rows of a chapter
// has two lines in the chapter's subtotal).

#include "cellvisits.h"
#include "observer.h"

namespace tarel::engine {

class CellVisitCollector final : public RunObserver {
public:
    explicit CellVisitCollector(CountCell cell);

    data::VisitFields fields() const override { return data::IdentityFields; }
    void countedIn(const data::VisitRecord &record, std::span<const CellAt> cells) override;

    const CountCell &cell() const { return m_cell; }
    // The lines so far, in the order the run saw them.
    const CellVisitList &lines() const { return m_lines; }
    CellVisitList takeLines() { return std::move(m_lines); }

private:
    CountCell m_cell;
    std::vector<int> m_rowWeights; // how often each counted row and column enters the cell's number
    std::vector<int> m_columnWeights;
    CellVisitList m_lines;
};

} // namespace tarel::engine
