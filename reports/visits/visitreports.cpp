#include "visitreports.h"

#include "dates.h"
#include "morbiditycount.h"

#include "database.h"
#include "template.h"
#include "visitsource.h"

#include <optional>

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

// The counted columns, in the order they are written. The school children
// and youth report's "ostanati" column counts nothing and prints 0.
constexpr VisitColumn schoolYouthColumns[] = {
    {"vkupno_grad", "vkupno_selo", "vkupno", CountAll},
    {"se_grad", "se_selo", "se", kFourBands | CountUpper},
    {"od7_do9_grad", "od7_do9_selo", "od7_do9", CountBand1},
    {"od10_do14_grad", "od10_do14_selo", "od10_do14", CountBand2},
    {"od15_do19_grad", "od15_do19_selo", "od15_do19", CountBand3},
    {"od20_do24_grad", "od20_do24_selo", "od20_do24", CountBand4},
    {"ostanati_grad", "ostanati_selo", "ostanati", 0},
    {"Memo33", "Memo34", "Memo35", CountUpper},
};
constexpr VisitColumn childrenColumns[] = {
    {"vkupno_grad", "vkupno_selo", "vkupno", CountAll},
    {"se_grad", "se_selo", "se", kFourBands},
    {"do1_grad", "do1_selo", "do1", CountBand1},
    {"do2_grad", "do2_selo", "do2", CountBand2},
    {"do5_grad", "do5_selo", "do5", CountBand3},
    {"do6_grad", "do6_selo", "do6", CountBand4},
};
// "Ostanati" (column 14): the visits of column 5 in no other category
// column, that is neither workers and families nor farmers (holders are
// among the workers and families).
constexpr VisitColumn generalMedicineColumns[] = {
    {"vkupno_grad", "vkupno_selo", "vkupno", CountAll},
    {"prvi_grad", "prvi_selo", "prvi", CountFirst},
    {"se_grad", "se_selo", "se", CountWorkers},
    {"nositeli_grad", "nositeli_selo", "nositeli", CountHolders},
    {"zemjodelci_grad", "zemjodelci_selo", "zemjodelci", CountFarmers},
    {"Memo36", "Memo38", "Memo39", CountAll, CountWorkers | CountFarmers},
};

QString shortDate(QDate date) { return tabulation::shortDateText(date); }

// The header cells, in the order they are written.
std::vector<std::pair<QString, QString>> headerTexts(const VisitHeader &header)
{
    const data::Institution &institution = *header.institution;
    return {{QStringLiteral("datumod"), shortDate(header.from)},
            {QStringLiteral("datumdo"), shortDate(header.to)},
            {QStringLiteral("datum"), shortDate(header.today)},
            {QStringLiteral("naziv"), QStringLiteral("Naziv na zdravstvena ustanova : ") + institution.naziv},
            {QStringLiteral("adresa"), QStringLiteral("Adresa : ") + institution.adresa},
            {QStringLiteral("mesto"), QStringLiteral("Mesto : ") + institution.mesto},
            {QStringLiteral("danocenbroj"), QStringLiteral("Dano~en broj : ") + institution.danBroj},
            {QStringLiteral("zirosmetka"), QStringLiteral("@iro smetka : ") + institution.ziro},
            {QStringLiteral("deponent"), QStringLiteral("Deponent : ") + institution.deponent}};
}

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

VisitTally::VisitTally(VisitReport report) : m_definitions(visitColumns(report)), m_columns(m_definitions.size())
{
}

void VisitTally::add(const VisitOutcome &outcome)
{
    if (!outcome.counted())
        return;
    for (std::size_t i = 0; i < m_definitions.size(); ++i)
        if (m_definitions[i].holds(outcome.counts))
            m_columns[i].add(outcome.urban);
}

Result<void> writeVisitCells(VisitReport report, const VisitTally &tally, const VisitHeader &header,
                             report::TfrxReport &templ)
{
    std::vector<std::pair<QString, QString>> texts = headerTexts(header);
    auto add = [&](QString name, QString text) { texts.emplace_back(std::move(name), std::move(text)); };
    const std::span<const VisitColumn> columns = visitColumns(report);
    for (std::size_t i = 0; i < columns.size(); ++i) {
        const AreaCounter &value = tally.column(i);
        add(QString::fromLatin1(columns[i].urban), QString::number(value.urban));
        add(QString::fromLatin1(columns[i].rural), QString::number(value.rural));
        add(QString::fromLatin1(columns[i].total), QString::number(value.total()));
    }
    return templ.setCellTexts(texts);
}

std::optional<VisitCell> visitCellOf(VisitReport report, QStringView name)
{
    const std::span<const VisitColumn> columns = visitColumns(report);
    for (std::size_t i = 0; i < columns.size(); ++i) {
        const std::pair<const char *, VisitCell::Area> cells[] = {{columns[i].urban, VisitCell::Area::Urban},
                                                                  {columns[i].rural, VisitCell::Area::Rural},
                                                                  {columns[i].total, VisitCell::Area::Both}};
        for (const auto &[cellName, area] : cells)
            if (name.compare(QLatin1String(cellName), Qt::CaseInsensitive) == 0)
                return VisitCell{i, area};
    }
    return std::nullopt;
}

} // namespace tarel::reports
