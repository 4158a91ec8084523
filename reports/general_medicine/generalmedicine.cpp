#include "generalmedicine.h"

#include "frxdeca.h"
#include "generalmedicinecatalogue.h"

namespace tarel::reports {

const MorbidityProfile &generalMedicineReportProfile()
{
    static const MorbidityProfile profile{QStringLiteral("frxDeca"), QStringLiteral("qIzvestajDeca"), 308,
                                          &tabulation::calculateBands(), 19, 51, 310};
    return profile;
}

MorbidityReportDefinition generalMedicineReport()
{
    return {&generalMedicineReportProfile(), &generalMedicineCatalogue, &buildFrxDeca};
}

} // namespace tarel::reports
