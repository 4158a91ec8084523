#include "generalmedicine.h"

#include "frxdeca.h"
#include "generalmedicinecatalogue.h"

namespace tarel::reports {

const tabulation::MorbidityProfile &generalMedicineReportProfile()
{
    static const tabulation::MorbidityProfile profile{
        QStringLiteral("btnIzvestajClick"), QStringLiteral("btnIzvestaj"), QStringLiteral("qIzvestajDeca"),
        QStringLiteral("frxDeca"),    308,                     &tabulation::calculateBands(),
        19,                    51,                     310};
    return profile;
}

tabulation::MorbidityReportDefinition generalMedicineReport()
{
    return {&generalMedicineReportProfile(), &generalMedicineCatalogue, &buildFrxDeca};
}

} // namespace tarel::reports
