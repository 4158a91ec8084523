#pragma once

#include "morbidityform.h"

namespace tarel::reports {

// The school children and youth morbidity report: the visits of qIzvestajMladina, six
// age bands, the catalogue ":/school_youth/catalogue.txt" and the form frxMladina.
const MorbidityReport &schoolYouthReport();

} // namespace tarel::reports
