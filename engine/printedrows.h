#pragma once

// A catalogue row in the words its form prints: the ordinal printed in its
// first column, and its label and code text read in the fonts the report
// draws them with (the Latin pieces of labels such as "Hodkin-" are in
// Arial, the "(bez K59.3)" of a code text in MAC C, most code texts in
// Times), so that they read as the page does.

#include "prepared.h"

#include <QHash>
#include <QString>

namespace tarel::tabulation {
struct CatalogueRow;
}

namespace tarel::engine {

class PrintedRows {
public:
    // The fonts of the report's cells, by their texts.
    explicit PrintedRows(const report::PreparedReport &report);

    // The ordinal the form prints for the row ("300" for the catalogue's
    // row 308 of general medicine), in Cyrillic.
    static QString ordinal(const tabulation::CatalogueRow &row);
    // The label and the code text as the page shows them, the pieces of a
    // composite one side by side, lines joined by blanks.
    QString label(const tabulation::CatalogueRow &row) const;
    QString codeText(const tabulation::CatalogueRow &row) const;

private:
    QString read(const QList<QStringList> &pieces, const report::Font &unprinted) const;

    QHash<QString, report::Font> m_fonts;
};

} // namespace tarel::engine
