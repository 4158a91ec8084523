#pragma once

// The form frxDeca1 as layout data for the one morbidity form builder
// (morbidityform.h).

#include "morbiditylayout.h"

namespace tarel::reports {

const layout::MorbidityLayout &frxDeca1Layout();

} // namespace tarel::reports
