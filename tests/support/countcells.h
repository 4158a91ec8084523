#pragma once

// Which cells of a prepared report hold counts, as the report engine knows
// them: the cells its runs write counts into, and the visit forms' fixed
// zeros (a column printed "0" whatever the data).

#include "engine.h"
#include "prepared.h"

#include <functional>

namespace tarel::testing {

inline std::function<bool(const report::OutputCell &)> countCellsOf(const engine::ReportDefinition &definition)
{
    if (definition.kind == engine::ReportKind::Morbidity) {
        const reports::MorbidityReportDefinition morbidity = definition.morbidity();
        const auto catalogue = morbidity.catalogue();
        if (!catalogue)
            return [](const report::OutputCell &) { return false; };
        return [profile = morbidity.profile, rows = *catalogue](const report::OutputCell &cell) {
            return reports::morbidityCellOf(*profile, *rows, cell.name).has_value();
        };
    }
    return [visit = definition.visit](const report::OutputCell &cell) {
        return reports::visitCellOf(visit, cell.name).has_value() || cell.text == QLatin1String("0");
    };
}

} // namespace tarel::testing
