#pragma once

// Where a diagnosis that no row counts might belong: the rows whose printed
// code text covers its category (a row may print a wider range than its rule
// counts, or the category may be missing from the list altogether).

#include <QString>
#include <QStringView>

#include <vector>

namespace tarel::tabulation {
class RowCatalogue;
}

namespace tarel::engine {

// The rows (catalogue numbers, 1-based) whose printed code text names the
// category or a range holding it ("M87-M89", "A00,A04,A07-A08", "A18.0+"),
// in row order.
std::vector<int> suggestedRows(const tabulation::RowCatalogue &catalogue, QStringView category);

} // namespace tarel::engine
