#include "schoolyouth.h"

#include "frxmladina.h"
#include "schoolyouthcatalogue.h"

namespace tarel::reports {

const tabulation::MorbidityProfile &schoolYouthReportProfile()
{
    static const tabulation::MorbidityProfile profile{
        QStringLiteral("btnIzvestaj1Click"), QStringLiteral("btnIzvestaj1"), QStringLiteral("qIzvestajMladina"),
        QStringLiteral("frxMladina"),    318,                     &tabulation::calculate1Bands(),
        19,                    51,                     330};
    return profile;
}

tabulation::MorbidityReportDefinition schoolYouthReport()
{
    return {&schoolYouthReportProfile(), &schoolYouthCatalogue, &buildFrxMladina};
}

} // namespace tarel::reports
