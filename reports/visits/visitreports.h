#pragma once

// The three visit reports: school children and youth (frxPosetaMladina),
// pre-school children (frxPosetaDeca) and general medicine
// (frxPosetaOrdinacija). Every visit of the urban and of the rural statement
// is classified by the report's own rule into the counts it adds to; each
// counted column of the template shows, for the urban visits, the rural ones
// and both, how many visits have the column's counts. Nothing here reads the
// database: the engine walks the visits and hands them over.

#include "agebands.h"
#include "result.h"

#include <QDate>
#include <QString>
#include <QStringView>

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace tarel::data {
struct Institution;
struct VisitRecord;
} // namespace tarel::data
namespace tarel::report {
class TfrxReport;
}

namespace tarel::reports {

enum class VisitReport { SchoolYouth, Children, GeneralMedicine };

// The report's template name: "frxPosetaMladina", "frxPosetaDeca", "frxPosetaOrdinacija".
QString visitTemplateName(VisitReport report);

// The one-page templates, freshly built with their stored texts.
report::TfrxReport buildFrxPosetaMladina();
report::TfrxReport buildFrxPosetaDeca();
report::TfrxReport buildFrxPosetaOrdinacija();
report::TfrxReport buildVisitTemplate(VisitReport report);

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

// A counted column of a visit template: its urban, rural and total cells,
// and the visits it counts: those with at least one of anyOf and none of
// noneOf.
struct VisitColumn {
    const char *urban;
    const char *rural;
    const char *total;
    std::uint32_t anyOf;
    std::uint32_t noneOf = 0;
    bool holds(std::uint32_t counts) const { return (counts & anyOf) != 0 && (counts & noneOf) == 0; }
};
// The counted columns of a report, in the order the run writes them. The
// template builders create their cells from this table.
std::span<const VisitColumn> visitColumns(VisitReport report);

// How the form prints a counted column: its column number and the heading
// right above it, as stored (the page's MAC C letters).
struct VisitColumnCaption {
    QString number;
    QString heading;
};
VisitColumnCaption visitColumnCaption(VisitReport report, std::size_t column);

// A count kept once per area; the total is the sum of both.
struct AreaCounter {
    qint32 urban = 0;
    qint32 rural = 0;

    void add(bool isUrban) { ++(isUrban ? urban : rural); }
    qint64 total() const { return qint64(urban) + qint64(rural); }
};

// The counts of a visit report's columns.
class VisitTally {
public:
    explicit VisitTally(VisitReport report);
    void add(const VisitOutcome &outcome);
    const AreaCounter &column(std::size_t index) const { return m_columns[index]; }

private:
    std::span<const VisitColumn> m_definitions;
    std::vector<AreaCounter> m_columns;
};

// The header of a visit report.
struct VisitHeader {
    QDate from;
    QDate to;
    QDate today;
    const data::Institution *institution = nullptr;
};

// Writes the header and the urban, rural and total cells of every counted
// column. Every cell is looked up first, so a template that lacks one is an
// error and nothing is written.
Result<void> writeVisitCells(VisitReport report, const VisitTally &tally, const VisitHeader &header,
                             report::TfrxReport &templ);

// What a cell of a visit template counts: a column, in one area or both.
struct VisitCell {
    std::size_t column = 0;
    enum class Area { Urban, Rural, Both } area = Area::Both;
    bool holds(const VisitOutcome &outcome, const VisitColumn &definition) const
    {
        if (area == Area::Urban && !outcome.urban)
            return false;
        if (area == Area::Rural && outcome.urban)
            return false;
        return definition.holds(outcome.counts);
    }
};
// The count a cell of that name holds (compared without regard to case), or
// nothing for a cell that holds no count.
std::optional<VisitCell> visitCellOf(VisitReport report, QStringView name);

} // namespace tarel::reports
