#pragma once

#include "morbidityrun.h"

namespace tarel::reports {

// The morbidity report of this panel: profile, catalogue and template.
tabulation::MorbidityReportDefinition generalMedicineReport();
const tabulation::MorbidityProfile &generalMedicineReportProfile();

} // namespace tarel::reports
