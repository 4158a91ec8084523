#pragma once

#include "morbidityrun.h"

namespace tarel::reports {

// The morbidity report of this panel: profile, catalogue and template.
tabulation::MorbidityReportDefinition schoolYouthReport();
const tabulation::MorbidityProfile &schoolYouthReportProfile();

} // namespace tarel::reports
