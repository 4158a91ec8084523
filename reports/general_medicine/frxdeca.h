#pragma once

// The form frxDeca of the general-medicine morbidity report: thirteen
// landscape A4 pages with the title band, the table heads, one line per
// catalogue row and one subtotal line per chapter block, as layout data for
// the one morbidity form builder (morbidityform.h).

#include "morbiditylayout.h"

namespace tarel::reports {

const layout::MorbidityLayout &frxDecaLayout();

} // namespace tarel::reports
