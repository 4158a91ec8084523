#pragma once

#include "morbidityform.h"

namespace tarel::reports {

// The pre-school children morbidity report: the visits of qIzvestajPolDeca, six
// age bands, the catalogue ":/children/catalogue.txt" and the form frxDeca1.
const MorbidityReport &childrenReport();

} // namespace tarel::reports
