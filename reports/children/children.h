#pragma once

#include "morbidityrun.h"

namespace tarel::reports {

// The morbidity report of this panel: profile, catalogue and template.
tabulation::MorbidityReportDefinition childrenReport();
const tabulation::MorbidityProfile &childrenReportProfile();

} // namespace tarel::reports
