#include "generalmedicine.h"

#include "catalogue.h"
#include "frxdeca.h"

namespace tarel::reports {

Result<const tabulation::RowCatalogue *> generalMedicineCatalogue()
{
    static const Result<tabulation::RowCatalogue> loaded =
        tabulation::RowCatalogue::load(QStringLiteral(":/general_medicine/catalogue.txt"));
    if (!loaded)
        return loaded.error();
    return &loaded.value();
}

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
