#pragma once

// The template frxMladina of the school children and youth morbidity report:
// thirteen landscape A4 pages with the title band, the table head and grand
// total line, the column-number strips, one line of 17 cells per catalogue row
// and one subtotal line per chapter block. The page layout is fixed in this
// unit as constant tables; the printed ordinals, labels, code texts and
// chapter captions come from the row catalogue.

#include "result.h"
#include "template.h"

namespace tarel::tabulation {
class RowCatalogue;
}

namespace tarel::reports {

// Checks that the catalogue fits the fixed page layout: as many rows as the
// pages hold, one chapter block per subtotal line, each block ending with the
// row the page layout puts above its subtotal line, plain labels and code
// texts of one cell, and split ones of as many lines as the layout prints
// pieces. The error names the first misfit.
Result<void> checkFrxMladinaCatalogue(const tabulation::RowCatalogue &catalogue);

// Builds the template from the page layout and the catalogue. A catalogue that
// does not fit (see checkFrxMladinaCatalogue) still gives a complete template:
// rows and blocks it lacks print empty, and the subtotal cells of a missing
// block carry names that nothing looks up.
report::TfrxReport buildFrxMladina(const tabulation::RowCatalogue &catalogue);

} // namespace tarel::reports
