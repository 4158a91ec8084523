#include "generalmedicine.h"

#include "agebands.h"
#include "frxdeca.h"

namespace tarel::reports {

const MorbidityReport &generalMedicineReport()
{
    static const MorbidityReport report("qIzvestajDeca", &tabulation::calculateBands,
                                        ":/general_medicine/catalogue.txt", &frxDecaLayout);
    return report;
}

} // namespace tarel::reports
