#pragma once

// Where a diagnosis that no row counts might belong: the rows whose printed
// code text covers its category (a row may print a wider range than its rule
// counts, or the category may be missing from the list altogether).

#include "engine.h"

#include <QString>
#include <QStringView>

#include <vector>

namespace tarel::tabulation {
class RowCatalogue;
}

namespace tarel::engine {

struct SuggestedRow {
    int row = 0;      // the catalogue row's number
    QString number;   // as the form prints it
    QString codeText; // the printed code text, its lines joined by blanks
};

// The rows of the report's form whose printed code text names the category
// or a range holding it ("M87-M89", "A00,A04,A07-A08", "A18.0+"), in row
// order, with their number and code text as the form prints them (read as
// Unicode); none for a visit report.
std::vector<SuggestedRow> suggestedRows(const ReportDefinition &report, QStringView category);
// The same over a catalogue, with its numbers and stored code texts.
std::vector<SuggestedRow> suggestedRows(const tabulation::RowCatalogue &catalogue, QStringView category);

} // namespace tarel::engine
