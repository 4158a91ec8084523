#include "visitreports.h"

#include "dates.h"

#include "database.h"
#include "statements.h"
#include "template.h"

#include <QLocale>

#include <vector>

namespace tarel::reports {

namespace {

// Band indexes of the visit band sets (agebands.h).
enum SchoolYouthBand { School1, School2, School3, School4, SchoolWhole, SchoolUpper };
enum ChildrenBand { Infant, Child2, Child3, Child4, ChildWhole };

AreaCounter sum(std::initializer_list<AreaCounter> counters)
{
    AreaCounter total;
    for (const AreaCounter &counter : counters) {
        total.urban += counter.urban;
        total.rural += counter.rural;
    }
    return total;
}

// The three cells of one counter: urban, rural, total.
struct CounterCells {
    const char *urban;
    const char *rural;
    const char *total;
    AreaCounter value;
};

QString shortDate(QDate date) { return tabulation::shortDateText(date); }

// The fields a pass reads, looked up once per pass.
struct PassFields {
    int vid = -1;
    int datR = -1;
    int osnov = -1;
    int clen = -1;
};

Result<PassFields> lookUpFields(const data::Query &query, bool insurance)
{
    PassFields fields{query.field(u"VidNaUsluga"), query.field(u"DAT_R"), -1, -1};
    if (insurance) {
        fields.osnov = query.field(u"OSNOV");
        fields.clen = query.field(u"CLEN");
    }
    const std::pair<int, const char *> required[] = {
        {fields.vid, "VidNaUsluga"}, {fields.datR, "DAT_R"}, {insurance ? fields.osnov : 0, "OSNOV"},
        {insurance ? fields.clen : 0, "CLEN"}};
    for (const auto &[index, name] : required)
        if (index < 0)
            return fail(QStringLiteral("%1: Field '%2' not found").arg(query.name(), QLatin1String(name)));
    return fields;
}

// One pass: opens the query for the two dates and hands every record to
// count(first visit, birth day, OSNOV, CLEN). A record whose birth date cannot be read ends
// the pass with that date's error.
template <typename Count>
Result<void> pass(data::Database &database, const QString &name, const QStringList &statement, QDate from,
                  QDate to, bool insurance, Count &&count)
{
    data::Query query(database, name, statement);
    if (Result<void> opened = query.open(from, to); !opened)
        return opened;
    Result<PassFields> looked = lookUpFields(query, insurance);
    if (!looked)
        return looked.error();
    const PassFields fields = *looked;
    QString vid, osnov, clen;
    while (query.next()) {
        int birthDay = 0;
        if (!query.day(fields.datR, &birthDay))
            return data::invalidDateError(query.text(fields.datR));
        vid = query.text(fields.vid);
        if (insurance) {
            osnov = query.text(fields.osnov);
            clen = query.text(fields.clen);
        }
        count(isFirstVisit(vid), birthDay, QStringView(osnov), QStringView(clen));
    }
    if (query.error())
        return *query.error();
    return {};
}

// The urban pass, then the rural pass; count(urban, first visit, birth day,
// OSNOV, CLEN) for every record.
template <typename Count>
Result<void> walkBothPasses(data::Database &database, QDate from, QDate to, bool insurance, Count &&count)
{
    Result<void> urban = pass(database, QStringLiteral("qPosetaDecaGrad"), data::qPosetaDecaGradStatement(),
                              from, to, insurance,
                              [&count](bool first, int birthDay, QStringView osnov, QStringView clen) {
                                  count(true, first, birthDay, osnov, clen);
                              });
    if (!urban)
        return urban;
    return pass(database, QStringLiteral("qPosetaDecaSelo"), data::qPosetaDecaSeloStatement(), from, to,
                insurance, [&count](bool first, int birthDay, QStringView osnov, QStringView clen) {
                    count(false, first, birthDay, osnov, clen);
                });
}

// The header cells, in the order they are written.
std::vector<std::pair<QString, QString>> headerTexts(QDate from, QDate to, QDate today,
                                                     const data::Institution &institution)
{
    return {{QStringLiteral("datumod"), shortDate(from)},
            {QStringLiteral("datumdo"), shortDate(to)},
            {QStringLiteral("datum"), shortDate(today)},
            {QStringLiteral("naziv"), QStringLiteral("Naziv na zdravstvena ustanova : ") + institution.naziv},
            {QStringLiteral("adresa"), QStringLiteral("Adresa : ") + institution.adresa},
            {QStringLiteral("mesto"), QStringLiteral("Mesto : ") + institution.mesto},
            {QStringLiteral("danocenbroj"), QStringLiteral("Dano~en broj : ") + institution.danBroj},
            {QStringLiteral("zirosmetka"), QStringLiteral("@iro smetka : ") + institution.ziro},
            {QStringLiteral("deponent"), QStringLiteral("Deponent : ") + institution.deponent}};
}

// Counter cells of each report, in the order they are written.
std::vector<CounterCells> schoolYouthCells(const SchoolYouthCounters &c)
{
    const AreaCounter zero;
    return {{"vkupno_grad", "vkupno_selo", "vkupno", c.all},
            {"se_grad", "se_selo", "se", c.firstVisits()},
            {"od7_do9_grad", "od7_do9_selo", "od7_do9", c.bands[0]},
            {"od10_do14_grad", "od10_do14_selo", "od10_do14", c.bands[1]},
            {"od15_do19_grad", "od15_do19_selo", "od15_do19", c.bands[2]},
            {"od20_do24_grad", "od20_do24_selo", "od20_do24", c.bands[3]},
            {"ostanati_grad", "ostanati_selo", "ostanati", zero},
            {"memo33", "memo34", "memo35", c.upper}};
}

std::vector<CounterCells> childrenCells(const ChildrenCounters &c)
{
    return {{"vkupno_grad", "vkupno_selo", "vkupno", c.all},
            {"se_grad", "se_selo", "se", c.firstVisits()},
            {"do1_grad", "do1_selo", "do1", c.bands[0]},
            {"do2_grad", "do2_selo", "do2", c.bands[1]},
            {"do5_grad", "do5_selo", "do5", c.bands[2]},
            {"do6_grad", "do6_selo", "do6", c.bands[3]}};
}

std::vector<CounterCells> generalMedicineCells(const GeneralMedicineCounters &c)
{
    return {{"vkupno_grad", "vkupno_selo", "vkupno", c.all},
            {"prvi_grad", "prvi_selo", "prvi", c.first},
            {"se_grad", "se_selo", "se", c.workers},
            {"nositeli_grad", "nositeli_selo", "nositeli", c.holders},
            {"zemjodelci_grad", "zemjodelci_selo", "zemjodelci", c.farmers},
            {"memo36", "memo38", "memo39", c.others()}};
}

// Fills the header and the counter cells. Every cell is looked up first, so
// a template that lacks one is an error and nothing is written.
Result<void> fillTemplate(report::TfrxReport &templ, const std::vector<std::pair<QString, QString>> &header,
                          const std::vector<CounterCells> &counters)
{
    std::vector<std::pair<report::TfrxMemoView *, QString>> writes;
    writes.reserve(header.size() + 3 * counters.size());
    auto add = [&](const QString &name, QString text) -> bool {
        report::TfrxMemoView *cell = templ.findCell(name);
        if (!cell)
            return false;
        writes.emplace_back(cell, std::move(text));
        return true;
    };
    auto missing = [&templ](const QString &name) {
        return fail(QStringLiteral("The template '%1' has no cell '%2'").arg(templ.name, name));
    };
    for (const auto &[name, text] : header)
        if (!add(name, text))
            return missing(name);
    for (const CounterCells &cells : counters) {
        const std::pair<const char *, qint64> values[] = {
            {cells.urban, cells.value.urban}, {cells.rural, cells.value.rural}, {cells.total, cells.value.total()}};
        for (const auto &[name, value] : values)
            if (!add(QString::fromLatin1(name), QString::number(value)))
                return missing(QString::fromLatin1(name));
    }
    for (auto &[cell, text] : writes)
        cell->setText(text);
    return {};
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

SchoolYouthCounters::SchoolYouthCounters(tabulation::DateTime reference)
    : m_bands(tabulation::calculate4Bands(), reference)
{
}

void SchoolYouthCounters::calculate4(bool urban, bool firstVisit, int birthDay)
{
    if (!m_bands.holds(SchoolWhole, birthDay))
        return;
    all.add(urban);
    if (!firstVisit)
        return;
    // The upper band (">25") stands under "OD TOA PRVI PREMA VOZRAST" beside
    // the four school-age bands and is summed with them into "se": it counts
    // first visits like they do.
    for (int band = School1; band <= School4; ++band) {
        if (m_bands.holds(band, birthDay)) {
            bands[std::size_t(band)].add(urban);
            return;
        }
    }
    if (m_bands.holds(SchoolUpper, birthDay))
        upper.add(urban);
}

AreaCounter SchoolYouthCounters::firstVisits() const
{
    return sum({bands[0], bands[1], bands[2], bands[3], upper});
}

ChildrenCounters::ChildrenCounters(tabulation::DateTime reference)
    : m_bands(tabulation::calculate3Bands(), reference)
{
}

void ChildrenCounters::calculate3(bool urban, bool firstVisit, int birthDay)
{
    if (!m_bands.holds(ChildWhole, birthDay))
        return;
    all.add(urban);
    if (!firstVisit)
        return;
    for (int band = Infant; band <= Child4; ++band) {
        if (m_bands.holds(band, birthDay)) {
            bands[std::size_t(band)].add(urban);
            return;
        }
    }
}

AreaCounter ChildrenCounters::firstVisits() const { return sum({bands[0], bands[1], bands[2], bands[3]}); }

GeneralMedicineCounters::GeneralMedicineCounters(tabulation::DateTime reference)
    : m_bands(tabulation::calculate5Bands(), reference)
{
}

void GeneralMedicineCounters::calculate5(bool urban, bool firstVisit, int birthDay, QStringView osnov,
                                         QStringView clen)
{
    if (!m_bands.holds(0, birthDay))
        return;
    all.add(urban);
    if (firstVisit)
        first.add(urban);
    const QStringView basis = trimmedInsuranceBasis(osnov);
    if (basis == u"1") {
        workers.add(urban);
        if (clen == u"00")
            holders.add(urban);
    } else if (basis == u"5") {
        farmers.add(urban);
    }
}

AreaCounter GeneralMedicineCounters::others() const
{
    // Workers and farmers are disjoint subsets of all visits, so this is
    // never negative.
    return {all.urban - workers.urban - farmers.urban, all.rural - workers.rural - farmers.rural};
}

Result<void> runVisitReport(VisitReport report, data::Database &database, QDate from, QDate to,
                            report::TfrxReport &templ, QDate today)
{
    // Ages are taken at the "to" date as its picker carries it, 19:17:34.843.
    const tabulation::DateTime reference = tabulation::pickerValue(to);

    // Both passes and the institution read inside one read transaction, so
    // that they see one snapshot while the patient-administration program
    // keeps writing.
    if (Result<void> begun = database.beginRead(); !begun)
        return begun;
    struct EndRead {
        data::Database &database;
        ~EndRead() { database.endRead(); }
    } endRead{database};

    std::vector<CounterCells> cells;
    Result<void> walked;
    switch (report) {
    case VisitReport::SchoolYouth: {
        SchoolYouthCounters counters(reference);
        walked = walkBothPasses(database, from, to, false,
                                [&counters](bool urban, bool first, int birthDay, QStringView, QStringView) {
                                    counters.calculate4(urban, first, birthDay);
                                });
        cells = schoolYouthCells(counters);
        break;
    }
    case VisitReport::Children: {
        ChildrenCounters counters(reference);
        walked = walkBothPasses(database, from, to, false,
                                [&counters](bool urban, bool first, int birthDay, QStringView, QStringView) {
                                    counters.calculate3(urban, first, birthDay);
                                });
        cells = childrenCells(counters);
        break;
    }
    case VisitReport::GeneralMedicine: {
        GeneralMedicineCounters counters(reference);
        walked = walkBothPasses(
            database, from, to, true,
            [&counters](bool urban, bool first, int birthDay, QStringView osnov, QStringView clen) {
                counters.calculate5(urban, first, birthDay, osnov, clen);
            });
        cells = generalMedicineCells(counters);
        break;
    }
    }
    if (!walked)
        return walked;

    Result<data::Institution> institution = database.institution();
    if (!institution)
        return institution.error();
    return fillTemplate(templ, headerTexts(from, to, today, *institution), cells);
}

} // namespace tarel::reports
