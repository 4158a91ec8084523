#pragma once

// What a run tells an observer inside the engine (the data check, the
// visits behind a number): every visit the report's statements select, how
// it was classified, and the counted cells of the result it added to. An
// observer sees the visits as the counting does; it cannot change a count.

#include "morbiditycount.h"
#include "visitreports.h"
#include "visitsource.h"

#include <span>

namespace tarel::engine {

// A counted cell of the result's table.
struct CellAt {
    int row = 0;
    int column = 0;
};

class RunObserver {
public:
    virtual ~RunObserver() = default;

    // Fields the observer reads of each visit, besides those the counting reads.
    virtual data::VisitFields fields() const { return 0; }

    // A selected visit of a morbidity report and the rows, band and sex it
    // was classified under (nothing when it is in no row or outside every band).
    virtual void morbidityVisit(const data::VisitRecord &, const tabulation::MorbidityOutcome &) {}
    // A selected visit of a visit report and the counts it was classified under.
    virtual void visitReportVisit(const data::VisitRecord &, const reports::VisitOutcome &) {}
    // The counted cells a selected visit added to (none when it counts nowhere).
    virtual void countedIn(const data::VisitRecord &, std::span<const CellAt>) {}
};

} // namespace tarel::engine
