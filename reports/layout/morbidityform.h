#pragma once

// The one builder of the three morbidity forms: a layout (morbiditylayout.h)
// and a row catalogue make the form's template, the identity of the rows
// and columns of its results (a row's printed number, label and code range;
// a column's band and sex under their printed headings) and the names of its
// count cells. A catalogue that does not fit the layout is refused.

#include "form.h"
#include "morbiditycount.h"
#include "morbiditylayout.h"
#include "result.h"

#include <QString>

#include <memory>
#include <mutex>
#include <optional>
#include <vector>


namespace tarel::reports {

struct MorbidityForm {
    Form form;
    std::vector<int> tableRow; // the table row of each catalogue row, by its number (0: none)
};

// Where a classified visit adds to the table: once in every row it falls in,
// in the column of its band and sex; nowhere when it is in no row or band.
template <typename Add>
void forEachCell(const MorbidityForm &form, const tabulation::MorbidityOutcome &outcome, Add add)
{
    if (!outcome.counted())
        return;
    const int column = 2 + 2 * outcome.band + (outcome.female ? 1 : 0);
    for (const int row : outcome.rows)
        add(form.tableRow[std::size_t(row)], column);
}

// Checks that the catalogue fits the layout: as many rows as the pages hold,
// one chapter block per subtotal line, each block ending with the row above
// its subtotal line, labels and code texts of the cells and lines the layout
// prints, subtotal cells named once. The error names the form and the first
// misfit.
Result<void> checkCatalogueFit(const layout::MorbidityLayout &layout, const tabulation::RowCatalogue &catalogue);

// The form of a catalogue that fits.
Result<MorbidityForm> buildMorbidityForm(const layout::MorbidityLayout &layout,
                                         const tabulation::RowCatalogue &catalogue);

// One morbidity report: the statement that selects its visits (named in
// messages), its age bands, its row catalogue (a data file of the report,
// read and checked on first use) and its form (built on first use from its
// layout and catalogue). Later calls give the same catalogue and form, or
// the same error; both live to the end of the program.
class MorbidityReport {
public:
    MorbidityReport(const char *query, const tabulation::BandSetDefinition &(*bands)(), const char *catalogueFile,
                    const layout::MorbidityLayout &(*layout)());
    ~MorbidityReport();

    QString query() const { return QString::fromLatin1(m_query); }
    const tabulation::BandSetDefinition &bands() const { return m_bands(); }
    Result<const tabulation::RowCatalogue *> catalogue() const;
    Result<const MorbidityForm *> form() const;

private:
    struct Loaded;
    const char *m_query;
    const tabulation::BandSetDefinition &(*m_bands)();
    const char *m_catalogueFile;
    const layout::MorbidityLayout &(*m_layout)();
    mutable std::once_flag m_once;
    mutable std::unique_ptr<Loaded> m_loaded;
    void load() const;
};

} // namespace tarel::reports
