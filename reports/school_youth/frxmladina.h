#pragma once

// The form frxMladina as layout data for the one morbidity form builder
// (morbidityform.h).

#include "morbiditylayout.h"

namespace tarel::reports {

const layout::MorbidityLayout &frxMladinaLayout();

} // namespace tarel::reports
