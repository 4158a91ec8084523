#include "schoolyouthcatalogue.h"

#include "catalogue.h"

namespace tarel::reports {

Result<const tabulation::RowCatalogue *> schoolYouthCatalogue()
{
    static const Result<tabulation::RowCatalogue> loaded =
        tabulation::RowCatalogue::load(QStringLiteral(":/school_youth/catalogue.txt"));
    if (!loaded)
        return loaded.error();
    return &loaded.value();
}

} // namespace tarel::reports
