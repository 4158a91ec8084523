#pragma once

#include "morbiditycells.h"

namespace tarel::reports {

// The morbidity report of this panel: profile, catalogue and template.
MorbidityReportDefinition childrenReport();
const MorbidityProfile &childrenReportProfile();

} // namespace tarel::reports
