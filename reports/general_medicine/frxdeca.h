#pragma once

// The template frxDeca of the general-medicine morbidity report: thirteen
// landscape A4 pages with the title band, the table heads, one line of 19
// cells per catalogue row and one subtotal line per chapter block. The page
// layout is fixed in this unit as constant tables; the printed ordinals,
// labels, code texts and chapter captions come from the row catalogue.

#include "result.h"
#include "template.h"

namespace tarel::tabulation {
class RowCatalogue;
}

namespace tarel::reports {

// Checks that the catalogue fits the fixed page layout: as many rows as the
// pages hold, one chapter block per subtotal line, each block ending with the
// row the page layout puts above its subtotal line, and labels and code texts
// made of as many cells as the layout prints side by side (one for all but the
// composite texts). The error names the first misfit.
Result<void> checkFrxDecaCatalogue(const tabulation::RowCatalogue &catalogue);

// Builds the template from the page layout and the catalogue. A catalogue that
// does not fit (see checkFrxDecaCatalogue) still gives a complete template:
// rows and blocks it lacks print empty, and the subtotal cells of a missing
// block carry names that nothing looks up.
report::TfrxReport buildFrxDeca(const tabulation::RowCatalogue &catalogue);

} // namespace tarel::reports
