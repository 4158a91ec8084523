#include "childrencatalogue.h"

#include "catalogue.h"

namespace tarel::reports {

Result<const tabulation::RowCatalogue *> childrenCatalogue()
{
    static const Result<tabulation::RowCatalogue> loaded =
        tabulation::RowCatalogue::load(QStringLiteral(":/children/catalogue.txt"));
    if (!loaded)
        return loaded.error();
    return &loaded.value();
}

} // namespace tarel::reports
