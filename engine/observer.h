#pragma once

// What a run tells an observer: every visit the report's statements select,
// and where the counting put it. An observer sees the visits as the counting
// does; it cannot change a count.

#include "morbiditycount.h"
#include "visitreports.h"
#include "visitsource.h"

namespace tarel::engine {

struct Request;

class RunObserver {
public:
    virtual ~RunObserver() = default;

    // Fields the observer reads of each visit, besides those the counting reads.
    virtual data::VisitFields fields() const { return 0; }

    // A selected visit of a morbidity report and the rows, band and sex it
    // counted under (nothing when it is in no row or outside every band).
    virtual void morbidityVisit(const data::VisitRecord &, const tabulation::MorbidityOutcome &) {}
    // A selected visit of a visit report and the counts it added to.
    virtual void visitReportVisit(const data::VisitRecord &, const reports::VisitOutcome &) {}
};

} // namespace tarel::engine
