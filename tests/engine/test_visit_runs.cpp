#include "runform.h"
#include "database.h"
#include "dateformat.h"
#include "engine.h"
#include "sourcedatabase.h"
#include "template.h"
#include "visitreports.h"

#include <QLocale>
#include <QMap>

#include <functional>

#include <gtest/gtest.h>

using namespace tarel;
using namespace tarel::reports;
using tarel::testing::SourceDatabase;

namespace {

const QDate From(2024, 1, 1);
const QDate To(2024, 3, 15); // the reference date of every case
const QDate Today(2024, 4, 2);
const QVariant Urban = 400017;
const QVariant Rural = 123456;

// A visit of its own insured person (distinct MB, so no visit is doubled).
struct V {
    QString datR;
    QString vid = QStringLiteral("1");
    QVariant mesto = Urban;
    QString osnov = QStringLiteral("1");
    QString clen = QStringLiteral("00");
};

const char *commandName(VisitReport report)
{
    switch (report) {
    case VisitReport::SchoolYouth: return "visits-school-youth";
    case VisitReport::Children: return "visits-children";
    case VisitReport::GeneralMedicine: break;
    }
    return "visits-general-medicine";
}

class VisitRun {
public:
    void add(const V &v)
    {
        SourceDatabase::Visit visit;
        visit.mb = QStringLiteral("MB%1").arg(++m_people, 11, 10, QLatin1Char('0'));
        visit.datR = v.datR;
        visit.vid = v.vid;
        visit.mesto = v.mesto;
        visit.osnov = v.osnov;
        visit.clen = v.clen;
        source.addVisit(visit);
    }

    // Runs the report through the engine.
    Result<report::TfrxReport> run(VisitReport report)
    {
        Result<std::unique_ptr<data::Database>> database = data::Database::open(data::sqliteFile(source.path()));
        if (!database)
            return database.error();
        engine::Request request;
        request.report = engine::findReport(QLatin1String(commandName(report)));
        request.from = From;
        request.to = To;
        request.today = Today;
        return tarel::testing::runForm(**database, request);
    }

    // The filled cells by lower-case name.
    QMap<QString, QString> cells(VisitReport report)
    {
        const Result<report::TfrxReport> filled = run(report);
        EXPECT_TRUE(filled.ok()) << (filled ? "" : filled.message().toStdString());
        return filled ? textsOf(*filled) : QMap<QString, QString>();
    }

    static QMap<QString, QString> textsOf(const report::TfrxReport &templ)
    {
        QMap<QString, QString> texts;
        for (const report::TfrxMemoView &cell : templ.pages.at(0).title->cells)
            texts.insert(cell.name.toLower(), cell.text());
        return texts;
    }

    SourceDatabase source;

private:
    int m_people = 0;
};

// The urban cells of a report's counters, as (name, value) for checking that
// exactly the expected ones were counted.
const std::vector<const char *> schoolYouthColumns = {"vkupno", "se", "od7_do9", "od10_do14", "od15_do19", "od20_do24",
                                                "memo33"};
const std::vector<const char *> childrenColumns = {"vkupno", "se", "do1", "do2", "do5", "do6"};

QString urbanCell(const char *column)
{
    const QString name = QString::fromLatin1(column);
    return name == u"memo33" ? name : name + QStringLiteral("_grad");
}

struct BandCase {
    const char *what;
    const char *datR;
    const char *vid;
    std::vector<const char *> counted; // columns that read 1 in the urban row; the rest read 0
};

void checkBandCases(VisitReport report, const std::vector<const char *> &columns, const std::vector<BandCase> &cases)
{
    for (const BandCase &c : cases) {
        VisitRun run;
        run.add({QString::fromLatin1(c.datR), QString::fromLatin1(c.vid)});
        const QMap<QString, QString> cells = run.cells(report);
        for (const char *column : columns) {
            const bool counted = std::find_if(c.counted.begin(), c.counted.end(), [column](const char *n) {
                                     return qstrcmp(n, column) == 0;
                                 }) != c.counted.end();
            EXPECT_EQ(cells.value(urbanCell(column)), counted ? QStringLiteral("1") : QStringLiteral("0"))
                << c.what << ": column " << column;
        }
    }
}

} // namespace

TEST(SchoolYouthVisits, BandLimits)
{
    checkBandCases(VisitReport::SchoolYouth, schoolYouthColumns, {
        {"7th birthday on the reference day", "2017-03-15", "1", {"vkupno", "se", "od7_do9"}},
        {"7th birthday a day later", "2017-03-16", "1", {}},
        {"9th birthday on the reference day", "2015-03-15", "1", {"vkupno", "se", "od10_do14"}},
        {"9th birthday a day later", "2015-03-16", "1", {"vkupno", "se", "od7_do9"}},
        {"14th birthday on the reference day", "2010-03-15", "2", {"vkupno", "se", "od15_do19"}},
        {"14th birthday a day later", "2010-03-16", "2", {"vkupno", "se", "od10_do14"}},
        {"19th birthday on the reference day", "2005-03-15", "1", {"vkupno", "se", "od20_do24"}},
        {"19th birthday a day later", "2005-03-16", "1", {"vkupno", "se", "od15_do19"}},
        {"24th birthday on the reference day", "2000-03-15", "1", {"vkupno", "se", "memo33"}},
        {"24th birthday a day later", "2000-03-16", "1", {"vkupno", "se", "od20_do24"}},
        {"27th birthday on the reference day", "1997-03-15", "1", {}},
        {"27th birthday a day later", "1997-03-16", "1", {"vkupno", "se", "memo33"}},
        {"no birth date", "", "1", {}},
        // The upper band stands under "first visits by age": a repeat visit
        // at 25 counts in all visits only.
        {"repeat visit at 25", "1999-01-01", "3", {"vkupno"}},
        {"repeat visit at 10", "2014-01-01", "3", {"vkupno"}},
    });
}

TEST(ChildrenVisits, BandLimits)
{
    checkBandCases(VisitReport::Children, childrenColumns, {
        {"1st birthday on the reference day", "2023-03-15", "1", {"vkupno", "se", "do2"}},
        {"1st birthday a day later", "2023-03-16", "1", {"vkupno", "se", "do1"}},
        {"2nd birthday on the reference day", "2022-03-15", "1", {"vkupno", "se", "do5"}},
        {"2nd birthday a day later", "2022-03-16", "2", {"vkupno", "se", "do2"}},
        {"5th birthday on the reference day", "2019-03-15", "1", {"vkupno", "se", "do6"}},
        {"5th birthday a day later", "2019-03-16", "1", {"vkupno", "se", "do5"}},
        {"6th birthday on the reference day", "2018-03-15", "1", {}},
        {"6th birthday a day later", "2018-03-16", "1", {"vkupno", "se", "do6"}},
        {"born after the reference day", "2024-04-01", "1", {"vkupno", "se", "do1"}},
        {"no birth date", "", "1", {}},
        {"repeat visit", "2021-06-01", "3", {"vkupno"}},
    });
}

TEST(GeneralMedicineVisits, AgeLimits)
{
    struct Case {
        const char *what;
        const char *datR;
        bool counted;
    };
    const Case cases[] = {
        {"20th birthday on the reference day", "2004-03-15", true},
        {"20th birthday a day later", "2004-03-16", false},
        {"no birth date counts as an adult", "", true},
        {"150th birthday on the reference day", "1874-03-15", true},
        {"150th birthday a day earlier", "1874-03-14", false},
    };
    for (const Case &c : cases) {
        VisitRun run;
        run.add({QString::fromLatin1(c.datR)});
        const QMap<QString, QString> cells = run.cells(VisitReport::GeneralMedicine);
        const QString expected = c.counted ? QStringLiteral("1") : QStringLiteral("0");
        EXPECT_EQ(cells.value(u"vkupno_grad"_qs), expected) << c.what;
        EXPECT_EQ(cells.value(u"prvi_grad"_qs), expected) << c.what;
        EXPECT_EQ(cells.value(u"se_grad"_qs), expected) << c.what;
    }
}

TEST(VisitReports, FirstVisitFlag)
{
    struct Case {
        const char *what;
        QString vid;
        bool first;
    };
    const Case cases[] = {
        {"kind 1", QStringLiteral("1"), true},
        {"kind 2", QStringLiteral("2"), true},
        {"kind 3", QStringLiteral("3"), false},
        {"empty text", QStringLiteral(""), false},
        {"NULL", QString(), false},
        {"blank before the digit", QStringLiteral(" 1"), false},
        {"two characters", QStringLiteral("12"), false},
    };
    for (const Case &c : cases) {
        VisitRun run;
        run.add({QStringLiteral("1980-01-01"), c.vid});
        run.add({QStringLiteral("2021-01-01"), c.vid});
        const QString expected = c.first ? QStringLiteral("1") : QStringLiteral("0");
        EXPECT_EQ(run.cells(VisitReport::GeneralMedicine).value(u"prvi"_qs), expected) << c.what;
        const QMap<QString, QString> children = run.cells(VisitReport::Children);
        EXPECT_EQ(children.value(u"do5"_qs), expected) << c.what;
        EXPECT_EQ(children.value(u"vkupno"_qs), QStringLiteral("1")) << c.what;
    }
}

TEST(GeneralMedicineVisits, InsuranceCategories)
{
    struct Case {
        const char *what;
        QString osnov;
        QString clen;
        const char *se, *nositeli, *zemjodelci, *others;
    };
    const Case cases[] = {
        {"holder", QStringLiteral("1"), QStringLiteral("00"), "1", "1", "0", "0"},
        {"holder, OSNOV with a leading blank", QStringLiteral(" 1"), QStringLiteral("00"), "1", "1", "0", "0"},
        {"holder, OSNOV with control characters", QStringLiteral("\t1\n"), QStringLiteral("00"), "1", "1", "0", "0"},
        {"family member", QStringLiteral("1"), QStringLiteral("01"), "1", "0", "0", "0"},
        {"CLEN '0 ' is not '00'", QStringLiteral("1"), QStringLiteral("0 "), "1", "0", "0", "0"},
        {"CLEN ' 0' is not '00'", QStringLiteral("1"), QStringLiteral(" 0"), "1", "0", "0", "0"},
        {"farmer", QStringLiteral("5"), QStringLiteral("00"), "0", "0", "1", "0"},
        {"farmer, OSNOV in blanks", QStringLiteral(" 5 "), QString(), "0", "0", "1", "0"},
        {"other basis", QStringLiteral("2"), QStringLiteral("00"), "0", "0", "0", "1"},
        {"OSNOV '11'", QStringLiteral("11"), QStringLiteral("00"), "0", "0", "0", "1"},
        {"no OSNOV", QString(), QString(), "0", "0", "0", "1"},
    };
    for (const Case &c : cases) {
        VisitRun run;
        run.add({QStringLiteral("1980-01-01"), QStringLiteral("3"), Urban, c.osnov, c.clen});
        const QMap<QString, QString> cells = run.cells(VisitReport::GeneralMedicine);
        EXPECT_EQ(cells.value(u"vkupno_grad"_qs), QStringLiteral("1")) << c.what;
        EXPECT_EQ(cells.value(u"se_grad"_qs), QLatin1String(c.se)) << c.what;
        EXPECT_EQ(cells.value(u"nositeli_grad"_qs), QLatin1String(c.nositeli)) << c.what;
        EXPECT_EQ(cells.value(u"zemjodelci_grad"_qs), QLatin1String(c.zemjodelci)) << c.what;
        EXPECT_EQ(cells.value(u"memo36"_qs), QLatin1String(c.others)) << c.what;
    }
}

TEST(GeneralMedicineVisits, UrbanRuralTotalsAndOthers)
{
    VisitRun run;
    const QString adult = QStringLiteral("1980-01-01");
    // Urban: two holders, one family member, one farmer, two others.
    run.add({adult, QStringLiteral("1"), Urban, QStringLiteral("1"), QStringLiteral("00")});
    run.add({adult, QStringLiteral("3"), Urban, QStringLiteral("1"), QStringLiteral("00")});
    run.add({adult, QStringLiteral("2"), Urban, QStringLiteral("1"), QStringLiteral("02")});
    run.add({adult, QStringLiteral("3"), Urban, QStringLiteral("5"), QStringLiteral("00")});
    run.add({adult, QStringLiteral("3"), Urban, QStringLiteral("3"), QStringLiteral("00")});
    run.add({adult, QStringLiteral("3"), Urban, QString(), QString()});
    // Rural: one family member, three farmers.
    run.add({adult, QStringLiteral("1"), Rural, QStringLiteral("1"), QStringLiteral("01")});
    run.add({adult, QStringLiteral("1"), Rural, QStringLiteral("5"), QString()});
    run.add({adult, QStringLiteral("3"), Rural, QStringLiteral("5"), QString()});
    run.add({adult, QStringLiteral("3"), Rural, QStringLiteral("5"), QString()});
    // Without a settlement code: in neither query.
    run.add({adult, QStringLiteral("1"), QVariant(), QStringLiteral("1"), QStringLiteral("00")});
    const QMap<QString, QString> cells = run.cells(VisitReport::GeneralMedicine);

    struct Expected {
        const char *urban, *rural, *total;
        const char *u, *r, *t;
    };
    const Expected expected[] = {
        {"vkupno_grad", "vkupno_selo", "vkupno", "6", "4", "10"},
        {"prvi_grad", "prvi_selo", "prvi", "2", "2", "4"},
        {"se_grad", "se_selo", "se", "3", "1", "4"},
        {"nositeli_grad", "nositeli_selo", "nositeli", "2", "0", "2"},
        {"zemjodelci_grad", "zemjodelci_selo", "zemjodelci", "1", "3", "4"},
        // Others: all visits less workers and families less farmers.
        {"memo36", "memo38", "memo39", "2", "0", "2"},
    };
    for (const Expected &e : expected) {
        EXPECT_EQ(cells.value(QLatin1String(e.urban)), QLatin1String(e.u)) << e.urban;
        EXPECT_EQ(cells.value(QLatin1String(e.rural)), QLatin1String(e.r)) << e.rural;
        EXPECT_EQ(cells.value(QLatin1String(e.total)), QLatin1String(e.t)) << e.total;
    }
}

TEST(SchoolYouthVisits, UrbanRuralTotalsAndDerivedColumns)
{
    VisitRun run;
    run.add({QStringLiteral("2016-01-01"), QStringLiteral("1"), Urban}); // 8: band 1
    run.add({QStringLiteral("2012-01-01"), QStringLiteral("2"), Urban}); // 12: band 2
    run.add({QStringLiteral("1999-01-01"), QStringLiteral("1"), Urban}); // 25: upper band
    run.add({QStringLiteral("1999-01-01"), QStringLiteral("3"), Urban}); // 25, repeat visit
    run.add({QStringLiteral("2008-01-01"), QStringLiteral("1"), Rural}); // 16: band 3
    run.add({QStringLiteral("2002-01-01"), QStringLiteral("1"), Rural}); // 22: band 4
    run.add({QStringLiteral("1998-01-01"), QStringLiteral("1"), Rural}); // 26: upper band
    run.add({QStringLiteral("1990-01-01"), QStringLiteral("1"), Rural}); // 34: outside
    const QMap<QString, QString> cells = run.cells(VisitReport::SchoolYouth);

    struct Expected {
        const char *urban, *rural, *total;
        const char *u, *r, *t;
    };
    const Expected expected[] = {
        {"vkupno_grad", "vkupno_selo", "vkupno", "4", "3", "7"},
        {"se_grad", "se_selo", "se", "3", "3", "6"},
        {"od7_do9_grad", "od7_do9_selo", "od7_do9", "1", "0", "1"},
        {"od10_do14_grad", "od10_do14_selo", "od10_do14", "1", "0", "1"},
        {"od15_do19_grad", "od15_do19_selo", "od15_do19", "0", "1", "1"},
        {"od20_do24_grad", "od20_do24_selo", "od20_do24", "0", "1", "1"},
        {"memo33", "memo34", "memo35", "1", "1", "2"},
        {"ostanati_grad", "ostanati_selo", "ostanati", "0", "0", "0"},
    };
    for (const Expected &e : expected) {
        EXPECT_EQ(cells.value(QLatin1String(e.urban)), QLatin1String(e.u)) << e.urban;
        EXPECT_EQ(cells.value(QLatin1String(e.rural)), QLatin1String(e.r)) << e.rural;
        EXPECT_EQ(cells.value(QLatin1String(e.total)), QLatin1String(e.t)) << e.total;
    }
}

// Cells no run writes keep their stored texts, whatever the data.
TEST(VisitReports, UnwrittenCellsKeepTheirTemplateTexts)
{
    VisitRun run;
    for (const char *datR : {"2023-10-01", "2012-01-01", "1999-01-01", "1980-01-01"})
        run.add({QString::fromLatin1(datR)});
    struct Case {
        VisitReport report;
        std::vector<std::pair<const char *, const char *>> cells;
    };
    const Case cases[] = {
        {VisitReport::GeneralMedicine,
         {{"ff", ""}, {"od7_do9_selo", ""}, {"od7_do9", ""}, {"od10_do14_grad", ""}, {"od15_do19_selo", ""},
          {"memo45", ""}, {"memo52", "0"}, {"memo34", "0"}, {"memo35", "0"}, {"memo28", "GRAD"}}},
        {VisitReport::SchoolYouth, {{"memo52", ""}, {"memo54", ""}, {"memo55", ""}, {"memo57", ""}}},
        {VisitReport::Children,
         {{"memo49", ""}, {"memo51", ""}, {"memo53", ""}, {"memo57", ""}, {"memo60", ""}, {"memo62", ""}}},
    };
    for (const Case &c : cases) {
        const QMap<QString, QString> cells = run.cells(c.report);
        for (const auto &[name, text] : c.cells)
            EXPECT_EQ(cells.value(QLatin1String(name)), QLatin1String(text))
                << commandName(c.report) << ": " << name;
    }
}

TEST(VisitReports, HeaderCells)
{
    VisitRun run;
    run.source.insert(QStringLiteral("PZO"), {{"naziv", QStringLiteral("PZU [Zdravje]")},
                                              {"ADRESA", QStringLiteral("Ilindenska 1")},
                                              {"MESTO", QStringLiteral("Skopje")},
                                              {"DAN_BROJ", QStringLiteral("4030")},
                                              {"ZIRO", QStringLiteral("300-0000")}});
    for (VisitReport report : {VisitReport::SchoolYouth, VisitReport::Children, VisitReport::GeneralMedicine}) {
        const QMap<QString, QString> cells = run.cells(report);
        const std::pair<const char *, QString> expected[] = {
            {"datumod", tarel::shortDateText(From)},
            {"datumdo", tarel::shortDateText(To)},
            {"datum", tarel::shortDateText(Today)},
            {"naziv", QStringLiteral("Naziv na zdravstvena ustanova : PZU [Zdravje]")},
            {"adresa", QStringLiteral("Adresa : Ilindenska 1")},
            {"mesto", QStringLiteral("Mesto : Skopje")},
            {"danocenbroj", QStringLiteral("Dano~en broj : 4030")},
            {"zirosmetka", QStringLiteral("@iro smetka : 300-0000")},
            {"deponent", QStringLiteral("Deponent : ")}, // an empty field leaves the label
        };
        for (const auto &[cell, text] : expected)
            EXPECT_EQ(cells.value(QLatin1String(cell)), text) << commandName(report) << ": " << cell;
    }
}

TEST(VisitReports, EmptyPeriodPrintsZeros)
{
    VisitRun run;
    const QMap<QString, QString> cells = run.cells(VisitReport::GeneralMedicine);
    for (const char *cell : {"vkupno_grad", "vkupno", "prvi_selo", "se", "nositeli", "zemjodelci", "memo39"})
        EXPECT_EQ(cells.value(QLatin1String(cell)), QStringLiteral("0")) << cell;
    EXPECT_EQ(cells.value(u"naziv"_qs), QStringLiteral("Naziv na zdravstvena ustanova : "));
}

TEST(VisitReports, TwoRunsOverTheSameDatesPrintTheSame)
{
    VisitRun run;
    for (const char *datR : {"2023-10-01", "2012-01-01", "1999-01-01", "1998-06-01", "1980-01-01"})
        run.add({QString::fromLatin1(datR)});
    for (VisitReport report : {VisitReport::SchoolYouth, VisitReport::Children, VisitReport::GeneralMedicine})
        EXPECT_EQ(run.cells(report), run.cells(report)) << commandName(report);
}

TEST(VisitReports, ErrorsEndTheRunAndWriteNothing)
{
    struct Case {
        const char *what;
        std::function<void(VisitRun &)> setUp;
        QString message; // empty: any message
    };
    const Case cases[] = {
        {"unreadable birth date",
         [](VisitRun &run) { run.add({QStringLiteral("x")}); },
         QStringLiteral("'x' is not a valid date")},
        {"unreadable birth date in the rural pass",
         [](VisitRun &run) {
             run.add({QStringLiteral("1980-01-01")});
             run.add({QStringLiteral("15.03.1980"), QStringLiteral("1"), Rural});
         },
         QStringLiteral("'15.03.1980' is not a valid date")},
        {"missing visit table",
         [](VisitRun &run) { run.source.exec(QStringLiteral("drop table osigurenici")); }, QString()},
        {"missing institution table",
         [](VisitRun &run) { run.source.exec(QStringLiteral("drop table PZO")); }, QString()},
    };
    for (const Case &c : cases) {
        VisitRun run;
        c.setUp(run);
        for (VisitReport report : {VisitReport::SchoolYouth, VisitReport::GeneralMedicine}) {
            const Result<report::TfrxReport> result = run.run(report);
            ASSERT_FALSE(result.ok()) << c.what;
            if (!c.message.isEmpty()) {
                // The first line as before; the second names the visit.
                EXPECT_EQ(result.message().section(QLatin1Char('\n'), 0, 0), c.message) << c.what;
                EXPECT_TRUE(result.message().section(QLatin1Char('\n'), 1).startsWith(u"Visit RED_BR ")) << c.what;
            }
            EXPECT_FALSE(result.message().isEmpty()) << c.what;
        }
    }
}

TEST(VisitReports, CountsOfAnotherReportAreRefused)
{
    VisitRun run;
    run.add({QStringLiteral("2020-01-01")});
    auto database = data::Database::open(data::sqliteFile(run.source.path()));
    ASSERT_TRUE(database.ok());
    engine::Request request;
    request.report = engine::findReport(u"visits-children");
    request.from = From;
    request.to = To;
    Result<result::RunResult> counted = engine::run(**database, request);
    ASSERT_TRUE(counted.ok()) << counted.message().toStdString();
    counted->request.report = QStringLiteral("visits-general-medicine");
    const Result<report::TfrxReport> filled = engine::filledForm(*counted);
    ASSERT_FALSE(filled.ok());
    EXPECT_EQ(filled.message(), QStringLiteral("The counts of the result are not those of the form frxPosetaOrdinacija"));
}

TEST(VisitReports, TrimmedInsuranceBasis)
{
    const std::pair<QString, QString> cases[] = {
        {QStringLiteral(" 1"), QStringLiteral("1")},     {QStringLiteral("\t1\n"), QStringLiteral("1")},
        {QStringLiteral("1 5"), QStringLiteral("1 5")},  {QStringLiteral("   "), QString()},
        {QString(QChar(0x1F)) + u'5' + QChar(0x20), QStringLiteral("5")},
        {QStringLiteral("\u00A01"), QStringLiteral("\u00A01")}, // a no-break space is above code 32
    };
    for (const auto &[input, expected] : cases)
        EXPECT_EQ(trimmedInsuranceBasis(input).toString(), expected) << input.toStdString();
}
