#pragma once

#include "morbiditycells.h"

namespace tarel::reports {

// The morbidity report of this panel: profile, catalogue and template.
MorbidityReportDefinition generalMedicineReport();
const MorbidityProfile &generalMedicineReportProfile();

} // namespace tarel::reports
