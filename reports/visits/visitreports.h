#pragma once

// The three visit reports: school children and youth (frxPosetaMladina),
// pre-school children (frxPosetaDeca) and general medicine
// (frxPosetaOrdinacija). A run counts the visits of the urban query
// qPosetaDecaGrad and then of the rural query qPosetaDecaSelo, each by the
// report's own rule, and writes the header with the institution's
// particulars and the urban, rural and total value of every counter into the
// report's template. The caller then prepares and shows the template.

#include "agebands.h"
#include "result.h"

#include <QDate>
#include <QString>
#include <QStringView>

#include <array>

namespace tarel::data {
class Database;
}
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

// A counter kept once per area; the total is the sum of both.
struct AreaCounter {
    qint32 urban = 0;
    qint32 rural = 0;

    void add(bool isUrban) { ++(isUrban ? urban : rural); }
    qint64 total() const { return qint64(urban) + qint64(rural); }
};

// A first visit is one whose VidNaUsluga is exactly "1" or "2".
inline bool isFirstVisit(QStringView vidNaUsluga)
{
    return vidNaUsluga.size() == 1 && (vidNaUsluga[0] == u'1' || vidNaUsluga[0] == u'2');
}

// OSNOV without leading and trailing blanks and control characters (every
// character of code 32 or less).
QStringView trimmedInsuranceBasis(QStringView osnov);

// Counters of the school children and youth report (calculate4), placed at
// one reference date.
class SchoolYouthCounters {
public:
    explicit SchoolYouthCounters(tabulation::DateTime reference);

    // One visit record: area true for the urban pass.
    void calculate4(bool urban, bool firstVisit, int birthDay);

    AreaCounter all;                  // every visit aged 7 to under 27
    std::array<AreaCounter, 4> bands; // first visits 7-9, 9-14, 14-19, 19-24
    AreaCounter upper;                // first visits 24 to under 27 (">25")
    // "se": first visits of the four bands and of the upper band.
    AreaCounter firstVisits() const;

private:
    tabulation::PlacedBands m_bands;
};

// Counters of the pre-school children report (calculate3).
class ChildrenCounters {
public:
    explicit ChildrenCounters(tabulation::DateTime reference);

    void calculate3(bool urban, bool firstVisit, int birthDay);

    AreaCounter all;                  // every visit under 6
    std::array<AreaCounter, 4> bands; // first visits under 1, 1-2, 2-5, 5-6
    // "se": first visits of the four bands.
    AreaCounter firstVisits() const;

private:
    tabulation::PlacedBands m_bands;
};

// Counters of the general-medicine report (calculate5).
class GeneralMedicineCounters {
public:
    explicit GeneralMedicineCounters(tabulation::DateTime reference);

    // osnov as read (trimmed here), clen as read (compared untrimmed).
    void calculate5(bool urban, bool firstVisit, int birthDay, QStringView osnov, QStringView clen);

    AreaCounter all;        // every visit aged 20 to under 150
    AreaCounter first;      // first visits
    AreaCounter workers;    // OSNOV "1": workers and their families ("se")
    AreaCounter holders;    // OSNOV "1" and CLEN "00": holders of the right ("nositeli")
    AreaCounter farmers;    // OSNOV "5" ("zemjodelci")
    // "Ostanati": the visits of column 5 in no other category column, that is
    // all visits less workers and families less farmers (holders are already
    // among the workers and families).
    AreaCounter others() const;

private:
    tabulation::PlacedBands m_bands;
};

// Runs a visit report over the dates from..to (both included) and fills the
// template: zeroed counters, one read transaction, the urban pass, the rural
// pass, the header (dates in the system's short date format, today's date,
// the institution's particulars) and the counter cells. Ages are taken at
// the "to" date as a date picker carries it. On an error (database,
// unreadable birth date, a template that lacks a cell) the run ends at once
// and writes no cell.
Result<void> runVisitReport(VisitReport report, data::Database &database, QDate from, QDate to,
                            report::TfrxReport &templ, QDate today);

} // namespace tarel::reports
