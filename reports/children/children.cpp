#include "children.h"

#include "catalogue.h"
#include "frxdeca1.h"

namespace tarel::reports {

Result<const tabulation::RowCatalogue *> childrenCatalogue()
{
    static const Result<tabulation::RowCatalogue> loaded =
        tabulation::RowCatalogue::load(QStringLiteral(":/children/catalogue.txt"));
    if (!loaded)
        return loaded.error();
    return &loaded.value();
}

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
