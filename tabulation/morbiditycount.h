#pragma once

// Classifying the visits of a morbidity report: every visit into the
// catalogue rows its diagnosis falls in, its age band and its sex. Where it
// is counted (the result's count table, result/counttable.h) is the form's
// business; nothing here knows of forms or cells.

#include "agebands.h"
#include "catalogue.h"
#include "result.h"

#include <span>
#include <vector>

namespace tarel::data {
struct VisitRecord;
}

namespace tarel::tabulation {

// Where one visit counts.
struct MorbidityOutcome {
    std::span<const int> rows; // catalogue rows of the diagnosis, ascending; empty: in no row
    int band = -1;             // 0-based; -1: outside every band, or not looked at (in no row)
    bool female = false;       // looked at only for a visit in a row and a band
    bool counted() const { return !rows.empty() && band >= 0; }
};

// Classifies the visits of one morbidity report at one reference date.
class MorbidityClassifier {
public:
    MorbidityClassifier(const RowCatalogue &catalogue, const BandSetDefinition &bands, DateTime reference);

    // The rows of the visit's diagnosis; for a visit in a row, its band; for
    // a visit in a band, its sex. So an unreadable birth date is an error only
    // for a visit in a row, and unreadable sex digits only for a visit in a
    // band, as the counting reads them.
    Result<MorbidityOutcome> classify(const data::VisitRecord &record) const;

    int bandCount() const { return m_bands.size(); }

private:
    const RowCatalogue &m_catalogue;
    PlacedBands m_bands;
};

// The birth date of a visit as a day number: empty is day 0; an unreadable
// text is the error "'<text>' is not a valid date".
Result<int> birthDayOf(QStringView text);

} // namespace tarel::tabulation
