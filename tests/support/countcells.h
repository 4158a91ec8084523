#pragma once

// Which cells of a prepared report hold counts, as the report's form names
// them.

#include "engine.h"
#include "prepared.h"

#include <QSet>

#include <functional>

namespace tarel::testing {

inline std::function<bool(const report::OutputCell &)> countCellsOf(const engine::ReportDefinition &definition)
{
    QSet<QString> names;
    if (const Result<std::vector<engine::FormCellOf>> cells = engine::countCells(definition); cells)
        for (const engine::FormCellOf &cell : *cells)
            names.insert(cell.name.toLower());
    return [names](const report::OutputCell &cell) { return names.contains(cell.name.toLower()); };
}

} // namespace tarel::testing
