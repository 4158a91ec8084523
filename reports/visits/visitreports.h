#pragma once

// The three visit reports: school children and youth (frxPosetaMladina),
// pre-school children (frxPosetaDeca) and general medicine
// (frxPosetaOrdinacija). Every visit of the urban and of the rural statement
// is classified by the report's own rule into the counts it adds to; each
// counted column of the template shows, for the urban visits, the rural ones
// and both, how many visits have the column's counts. Nothing here reads the
// database: the engine walks the visits and hands them over.

#include "agebands.h"
#include "form.h"
#include "result.h"

#include <QDate>
#include <QString>
#include <QStringView>

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace tarel::data {
struct VisitRecord;
}

namespace tarel::reports {

enum class VisitReport { SchoolYouth, Children, GeneralMedicine };

// The counts a visit can add to, as bits.
enum VisitCount : std::uint32_t {
    CountAll = 1u << 0,     // every visit of the report's age range
    CountFirst = 1u << 1,   // general medicine: a first visit
    CountBand1 = 1u << 2,   // school children and youth, children: a first visit in the first age band
    CountBand2 = 1u << 3,
    CountBand3 = 1u << 4,
    CountBand4 = 1u << 5,
    CountUpper = 1u << 6,   // school children and youth: a first visit aged 24 to under 27 (">25")
    CountWorkers = 1u << 7, // general medicine: OSNOV "1", workers and their families
    CountHolders = 1u << 8, // general medicine: OSNOV "1" and CLEN "00", holders of the right
    CountFarmers = 1u << 9, // general medicine: OSNOV "5", farmers
};

// Where one visit counts: nothing (counts 0) when the patient is outside the
// report's age range.
struct VisitOutcome {
    bool urban = false;
    std::uint32_t counts = 0;
    bool counted() const { return counts != 0; }
};

// A first visit is one whose VidNaUsluga is exactly "1" or "2".
inline bool isFirstVisit(QStringView vidNaUsluga)
{
    return vidNaUsluga.size() == 1 && (vidNaUsluga[0] == u'1' || vidNaUsluga[0] == u'2');
}

// OSNOV without leading and trailing blanks and control characters (every
// character of code 32 or less).
QStringView trimmedInsuranceBasis(QStringView osnov);

// Classifies the visits of one visit report at one reference date (the
// "to" date as its picker carries it).
class VisitClassifier {
public:
    VisitClassifier(VisitReport report, tabulation::DateTime reference);

    // The counts of one visit; an unreadable birth date is an error.
    Result<VisitOutcome> classify(const data::VisitRecord &record) const;

private:
    VisitReport m_report;
    tabulation::PlacedBands m_bands;
};

// A counted column of a visit form: its key in the result, its urban, rural
// and total cells, and the visits it counts: those with at least one of
// anyOf and none of noneOf.
struct VisitColumn {
    const char *key;
    const char *urban;
    const char *rural;
    const char *total;
    std::uint32_t anyOf;
    std::uint32_t noneOf = 0;
    bool holds(std::uint32_t counts) const { return (counts & anyOf) != 0 && (counts & noneOf) == 0; }
};
// The counted columns of a report, in the order of the result's columns.
std::span<const VisitColumn> visitColumns(VisitReport report);

// The rows of a visit report's result: the urban visits, the rural ones, both.
enum VisitRow { UrbanRow, RuralRow, BothRow };

// Where a classified visit adds to the result: the row of its area in every
// column that counts it.
template <typename Add>
void forEachCell(VisitReport report, const VisitOutcome &outcome, Add add)
{
    if (!outcome.counted())
        return;
    const std::span<const VisitColumn> columns = visitColumns(report);
    for (std::size_t i = 0; i < columns.size(); ++i)
        if (columns[i].holds(outcome.counts))
            add(outcome.urban ? UrbanRow : RuralRow, int(i));
}

// The one-page form of a report, built on first use from its layout (the
// same every call, or the same error).
Result<const Form *> visitForm(VisitReport report);

} // namespace tarel::reports
