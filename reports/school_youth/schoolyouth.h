#pragma once

#include "morbiditycells.h"
#include "result.h"

namespace tarel::tabulation {
class RowCatalogue;
}

namespace tarel::reports {

// The row catalogue of the school children and youth morbidity report, read and checked from the
// compiled-in ":/school_youth/catalogue.txt" on the first call; later calls give
// the same catalogue (or the same error). The catalogue lives to the end of
// the program.
Result<const tabulation::RowCatalogue *> schoolYouthCatalogue();

// The morbidity report of this panel: profile, catalogue and template.
MorbidityReportDefinition schoolYouthReport();
const MorbidityProfile &schoolYouthReportProfile();

} // namespace tarel::reports
