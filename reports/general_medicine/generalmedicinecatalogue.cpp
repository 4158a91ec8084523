#include "generalmedicinecatalogue.h"

#include "catalogue.h"

namespace tarel::reports {

Result<const tabulation::RowCatalogue *> generalMedicineCatalogue()
{
    static const Result<tabulation::RowCatalogue> loaded =
        tabulation::RowCatalogue::load(QStringLiteral(":/general_medicine/catalogue.txt"));
    if (!loaded)
        return loaded.error();
    return &loaded.value();
}

} // namespace tarel::reports
