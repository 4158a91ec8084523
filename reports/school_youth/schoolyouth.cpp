#include "schoolyouth.h"

#include "frxmladina.h"
#include "schoolyouthcatalogue.h"

namespace tarel::reports {

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
