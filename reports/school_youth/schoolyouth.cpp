#include "schoolyouth.h"

#include "catalogue.h"
#include "frxmladina.h"

namespace tarel::reports {

Result<const tabulation::RowCatalogue *> schoolYouthCatalogue()
{
    static const Result<tabulation::RowCatalogue> loaded =
        tabulation::RowCatalogue::load(QStringLiteral(":/school_youth/catalogue.txt"));
    if (!loaded)
        return loaded.error();
    return &loaded.value();
}

const MorbidityProfile &schoolYouthReportProfile()
{
    static const MorbidityProfile profile{QStringLiteral("frxMladina"), QStringLiteral("qIzvestajMladina"), 318,
                                          &tabulation::calculate1Bands(), 19, 51, 330};
    return profile;
}

MorbidityReportDefinition schoolYouthReport()
{
    return {&schoolYouthReportProfile(), &schoolYouthCatalogue, &buildFrxMladina};
}

} // namespace tarel::reports
