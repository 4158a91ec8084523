#include "children.h"

#include "childrencatalogue.h"
#include "frxdeca1.h"

namespace tarel::reports {

const tabulation::MorbidityProfile &childrenReportProfile()
{
    static const tabulation::MorbidityProfile profile{
        QStringLiteral("btnIzvestaj2Click"), QStringLiteral("btnIzvestaj2"), QStringLiteral("qIzvestajPolDeca"),
        QStringLiteral("frxDeca1"),    244,                     &tabulation::calculate2Bands(),
        14,                    1022,                     330};
    return profile;
}

tabulation::MorbidityReportDefinition childrenReport()
{
    return {&childrenReportProfile(), &childrenCatalogue, &buildFrxDeca1};
}

} // namespace tarel::reports
