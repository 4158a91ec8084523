#include "children.h"

#include "childrencatalogue.h"
#include "frxdeca1.h"

namespace tarel::reports {

const MorbidityProfile &childrenReportProfile()
{
    static const MorbidityProfile profile{QStringLiteral("frxDeca1"), QStringLiteral("qIzvestajPolDeca"), 244,
                                          &tabulation::calculate2Bands(), 14, 1022, 330};
    return profile;
}

MorbidityReportDefinition childrenReport()
{
    return {&childrenReportProfile(), &childrenCatalogue, &buildFrxDeca1};
}

} // namespace tarel::reports
