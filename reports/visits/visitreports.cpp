#include "visitreports.h"

#include "morbiditycount.h"

#include "visitsource.h"

namespace tarel::reports {

namespace {

// Band indexes of the visit band sets (agebands.h).
enum SchoolYouthBand { School1, School2, School3, School4, SchoolWhole, SchoolUpper };
enum ChildrenBand { Infant, Child2, Child3, Child4, ChildWhole };

const tabulation::BandSetDefinition &bandsOf(VisitReport report)
{
    switch (report) {
    case VisitReport::SchoolYouth: return tabulation::calculate4Bands();
    case VisitReport::Children: return tabulation::calculate3Bands();
    case VisitReport::GeneralMedicine: break;
    }
    return tabulation::calculate5Bands();
}

constexpr std::uint32_t kFourBands = CountBand1 | CountBand2 | CountBand3 | CountBand4;

// The counted columns, in the order the forms print them. The school
// children and youth report's "ostanati" column counts nothing and prints 0.
constexpr VisitColumn schoolYouthColumns[] = {
    {"all", "vkupno_grad", "vkupno_selo", "vkupno", CountAll},
    {"first", "se_grad", "se_selo", "se", kFourBands | CountUpper},
    {"first7to9", "od7_do9_grad", "od7_do9_selo", "od7_do9", CountBand1},
    {"first10to14", "od10_do14_grad", "od10_do14_selo", "od10_do14", CountBand2},
    {"first15to19", "od15_do19_grad", "od15_do19_selo", "od15_do19", CountBand3},
    {"first20to24", "od20_do24_grad", "od20_do24_selo", "od20_do24", CountBand4},
    {"first24to27", "Memo33", "Memo34", "Memo35", CountUpper},
    {"others", "ostanati_grad", "ostanati_selo", "ostanati", 0},
};
constexpr VisitColumn childrenColumns[] = {
    {"all", "vkupno_grad", "vkupno_selo", "vkupno", CountAll},
    {"first", "se_grad", "se_selo", "se", kFourBands},
    {"firstUnder1", "do1_grad", "do1_selo", "do1", CountBand1},
    {"first1to2", "do2_grad", "do2_selo", "do2", CountBand2},
    {"first3to5", "do5_grad", "do5_selo", "do5", CountBand3},
    {"first6", "do6_grad", "do6_selo", "do6", CountBand4},
};
// "Ostanati" (column 14): the visits of column 5 in no other category
// column, that is neither workers and families nor farmers (holders are
// among the workers and families).
constexpr VisitColumn generalMedicineColumns[] = {
    {"all", "vkupno_grad", "vkupno_selo", "vkupno", CountAll},
    {"first", "prvi_grad", "prvi_selo", "prvi", CountFirst},
    {"workers", "se_grad", "se_selo", "se", CountWorkers},
    {"holders", "nositeli_grad", "nositeli_selo", "nositeli", CountHolders},
    {"farmers", "zemjodelci_grad", "zemjodelci_selo", "zemjodelci", CountFarmers},
    {"others", "Memo36", "Memo38", "Memo39", CountAll, CountWorkers | CountFarmers},
};

} // namespace

QStringView trimmedInsuranceBasis(QStringView osnov)
{
    qsizetype begin = 0;
    qsizetype end = osnov.size();
    while (begin < end && osnov[begin].unicode() <= 32)
        ++begin;
    while (end > begin && osnov[end - 1].unicode() <= 32)
        --end;
    return osnov.sliced(begin, end - begin);
}

std::span<const VisitColumn> visitColumns(VisitReport report)
{
    switch (report) {
    case VisitReport::SchoolYouth: return schoolYouthColumns;
    case VisitReport::Children: return childrenColumns;
    case VisitReport::GeneralMedicine: break;
    }
    return generalMedicineColumns;
}

VisitClassifier::VisitClassifier(VisitReport report, tabulation::DateTime reference)
    : m_report(report), m_bands(bandsOf(report), reference)
{
}

Result<VisitOutcome> VisitClassifier::classify(const data::VisitRecord &record) const
{
    const Result<int> birthDay = tabulation::birthDayOf(record.birthDate);
    if (!birthDay)
        return birthDay.error();
    VisitOutcome outcome;
    outcome.urban = record.urban;
    const bool first = isFirstVisit(record.kind);
    switch (m_report) {
    case VisitReport::SchoolYouth:
        if (!m_bands.holds(SchoolWhole, *birthDay))
            return outcome;
        outcome.counts = CountAll;
        if (!first)
            return outcome;
        // The upper band (">25") stands under "OD TOA PRVI PREMA VOZRAST"
        // beside the four school-age bands and is summed with them into "se":
        // it counts first visits like they do.
        for (int band = School1; band <= School4; ++band) {
            if (m_bands.holds(band, *birthDay)) {
                outcome.counts |= CountBand1 << band;
                return outcome;
            }
        }
        if (m_bands.holds(SchoolUpper, *birthDay))
            outcome.counts |= CountUpper;
        return outcome;
    case VisitReport::Children:
        if (!m_bands.holds(ChildWhole, *birthDay))
            return outcome;
        outcome.counts = CountAll;
        if (!first)
            return outcome;
        for (int band = Infant; band <= Child4; ++band) {
            if (m_bands.holds(band, *birthDay)) {
                outcome.counts |= CountBand1 << band;
                return outcome;
            }
        }
        return outcome;
    case VisitReport::GeneralMedicine:
        break;
    }
    if (!m_bands.holds(0, *birthDay))
        return outcome;
    outcome.counts = CountAll;
    if (first)
        outcome.counts |= CountFirst;
    const QStringView basis = trimmedInsuranceBasis(record.insuranceBasis);
    if (basis == u"1") {
        outcome.counts |= CountWorkers;
        if (record.member == u"00")
            outcome.counts |= CountHolders;
    } else if (basis == u"5") {
        outcome.counts |= CountFarmers;
    }
    return outcome;
}

} // namespace tarel::reports
