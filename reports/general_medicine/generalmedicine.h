#pragma once

#include "morbidityform.h"

namespace tarel::reports {

// The general-medicine morbidity report: the visits of qIzvestajDeca, seven
// age bands, the catalogue ":/general_medicine/catalogue.txt" and the form
// frxDeca.
const MorbidityReport &generalMedicineReport();

} // namespace tarel::reports
