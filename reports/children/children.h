#pragma once

#include "morbiditycells.h"
#include "result.h"

namespace tarel::tabulation {
class RowCatalogue;
}

namespace tarel::reports {

// The row catalogue of the pre-school children morbidity report, read and checked from the
// compiled-in ":/children/catalogue.txt" on the first call; later calls give
// the same catalogue (or the same error). The catalogue lives to the end of
// the program.
Result<const tabulation::RowCatalogue *> childrenCatalogue();

// The morbidity report of this panel: profile, catalogue and template.
MorbidityReportDefinition childrenReport();
const MorbidityProfile &childrenReportProfile();

} // namespace tarel::reports
