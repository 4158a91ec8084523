#include "catalogue.h"
#include "database.h"
#include "dates.h"
#include "engine.h"
#include "morbiditycells.h"
#include "morbiditycount.h"
#include "sourcedatabase.h"
#include "template.h"

#include <gtest/gtest.h>

using namespace tarel;
using namespace tarel::tabulation;
using tarel::reports::MorbidityProfile;
using tarel::testing::SourceDatabase;

namespace {

// Three rows in two chapters; row 2 shares A01 with row 1.
const char *const CatalogueText = R"(# test catalogue
1 "Prv"; "A01"
2 "Vtor"; "A01,A02"
3 "Tret"; "B01.1"; counts B01 with S_DIJA2 "1"
block 1 rows 1-2 code "1" numeral " I" range "A00 - A99"
block 2 rows 3-3 code "011" numeral " II" range "B00 - B99"
)";

const MorbidityProfile &testProfile()
{
    static const MorbidityProfile profile{QStringLiteral("frxTest"), QStringLiteral("qIzvestajDeca"), 3,
                                          &calculateBands(), 19, 51, 5};
    return profile;
}

// A one-page template holding every cell the run writes, stored in the
// capitalised spelling of the real templates.
report::TfrxReport testTemplate(const RowCatalogue &catalogue)
{
    report::TfrxReport templ(QStringLiteral("frxTest"));
    report::TfrxReportPage page;
    page.name = QStringLiteral("Page1");
    auto add = [&page](const QString &name) {
        report::TfrxMemoView cell;
        cell.name = name;
        cell.width = cell.height = 10;
        page.cells.push_back(cell);
    };
    const MorbidityProfile &profile = testProfile();
    for (int row = 1; row <= profile.rows; ++row)
        for (int k = 0; k < profile.columns(); ++k)
            add(QStringLiteral("Memo") + QString::number(19 * row + 51 + k));
    for (const ChapterBlock &block : catalogue.blocks())
        for (int k = 0; k < profile.columns(); ++k)
            add(QStringLiteral("S") + block.code + QString::number(4 + k));
    for (int k = 0; k < profile.columns(); ++k)
        add(QStringLiteral("v") + QString::number(4 + k));
    for (const char *name : {"GradSelo", "lekar", "pzu", "dataod", "datado"})
        add(QString::fromLatin1(name));
    templ.pages.push_back(page);
    return templ;
}

const RowCatalogue &testCatalogue()
{
    static const RowCatalogue catalogue =
        RowCatalogue::parse(QString::fromLatin1(CatalogueText), QStringLiteral("test")).value();
    return catalogue;
}

// The test report as the engine sees it; its template can lack a cell.
int droppedCell = -1;
Result<const RowCatalogue *> loadTestCatalogue() { return &testCatalogue(); }
report::TfrxReport buildTestTemplate(const RowCatalogue &catalogue)
{
    report::TfrxReport templ = testTemplate(catalogue);
    if (droppedCell >= 0)
        templ.pages[0].cells.erase(templ.pages[0].cells.begin() + droppedCell);
    return templ;
}
reports::MorbidityReportDefinition testDefinition() { return {&testProfile(), &loadTestCatalogue, &buildTestTemplate}; }
const engine::ReportDefinition testReport{"test", "btnIzvestaj", engine::ReportKind::Morbidity,
                                          &testDefinition, reports::VisitReport::GeneralMedicine};

QString cell(const report::TfrxReport &templ, const char *name)
{
    const report::TfrxMemoView *found = templ.findCell(QString::fromLatin1(name));
    return found ? found->text() : QStringLiteral("<missing>");
}

struct Fixture : ::testing::Test {
    SourceDatabase source;
    std::optional<report::TfrxReport> templ;
    engine::Request request;

    void SetUp() override
    {
        droppedCell = -1;
        request.report = &testReport;
        request.from = QDate(2024, 1, 1);
        request.to = QDate(2024, 6, 15);
        source.addInstitution(QStringLiteral("PZU Test"));
    }

    void add(const char *mb, const char *birth, const char *category, const char *sub = "",
             const char *doctor = "L01")
    {
        SourceDatabase::Visit v;
        v.mb = QString::fromLatin1(mb);
        v.datR = QString::fromLatin1(birth);
        v.sDija = QString::fromLatin1(category);
        v.sDija2 = QString::fromLatin1(sub);
        v.lekar = QString::fromLatin1(doctor);
        source.addVisit(v);
    }

    static Result<report::TfrxReport> runOn(const SourceDatabase &database, const engine::Request &request)
    {
        auto db = data::Database::open(data::sqliteFile(database.path()));
        if (!db)
            return db.error();
        return engine::run(**db, request);
    }

    Result<void> run()
    {
        Result<report::TfrxReport> filled = runOn(source, request);
        if (!filled)
            return filled.error();
        templ = std::move(*filled);
        return {};
    }
};

} // namespace

TEST_F(Fixture, OneMaleVisitInBandOneFillsRowSubtotalAndTotal)
{
    add("0101004450012", "2004-01-01", "B01", "1"); // 20 years old, male
    ASSERT_TRUE(run().ok());
    // Row 3 cells are memo + (19*3 + 51 + k) = memo108 ..
    EXPECT_EQ(cell(*templ, "memo110"), QStringLiteral("1")); // band 1 male
    EXPECT_EQ(cell(*templ, "memo108"), QStringLiteral("1")); // row total male
    EXPECT_EQ(cell(*templ, "memo109"), QStringLiteral("-")); // row total female
    EXPECT_EQ(cell(*templ, "s0114"), QStringLiteral("1"));
    EXPECT_EQ(cell(*templ, "s0116"), QStringLiteral("1"));
    EXPECT_EQ(cell(*templ, "s14"), QStringLiteral("-"));
    EXPECT_EQ(cell(*templ, "v4"), QStringLiteral("1"));
    EXPECT_EQ(cell(*templ, "v6"), QStringLiteral("1"));
    EXPECT_EQ(cell(*templ, "v5"), QStringLiteral("-"));
}

TEST_F(Fixture, AVisitInTwoRowsCountsTwiceInItsChapterAndTheTotal)
{
    add("0101980455002", "1980-01-01", "A01"); // female, 44
    ASSERT_TRUE(run().ok());
    EXPECT_EQ(cell(*templ, "memo71"), QStringLiteral("1"));  // row 1 total female
    EXPECT_EQ(cell(*templ, "memo90"), QStringLiteral("1"));  // row 2 total female
    EXPECT_EQ(cell(*templ, "memo98"), QStringLiteral("1"));  // row 2 band 4 female (44: "45-54 g.")
    EXPECT_EQ(cell(*templ, "s15"), QStringLiteral("2"));
    EXPECT_EQ(cell(*templ, "v5"), QStringLiteral("2"));
    EXPECT_EQ(cell(*templ, "v13"), QStringLiteral("2"));
}

TEST_F(Fixture, VisitsOutsideEveryBandOrRowChangeNothing)
{
    add("0101005450012", "2005-01-01", "A01"); // 19 years old
    add("0101980450013", "1980-01-01", "C01"); // no row
    add("0101980450014", "1980-01-01", "B01"); // B01 without its sub-category
    add("0101980450015", "1980-01-01", "a01"); // lower case matches nothing
    ASSERT_TRUE(run().ok());
    for (int k = 0; k < 16; ++k)
        EXPECT_EQ(cell(*templ, ("v" + std::to_string(4 + k)).c_str()), QStringLiteral("-")) << k;
    EXPECT_EQ(cell(*templ, "GradSelo"), QStringLiteral("Grad i Selo"));
    EXPECT_EQ(cell(*templ, "lekar"), QStringLiteral("Site lekari"));
    EXPECT_EQ(cell(*templ, "pzu"), QStringLiteral("PZU Test"));
    EXPECT_EQ(cell(*templ, "dataod"), shortDateText(QDate(2024, 1, 1)));
    EXPECT_EQ(cell(*templ, "datado"), shortDateText(QDate(2024, 6, 15)));
}

TEST_F(Fixture, ErrorsEndTheRunAndWriteNoCell)
{
    struct Case {
        const char *what;
        const char *mb;
        const char *birth;
        const char *category;
        const char *message; // empty: no error
    };
    const Case cases[] = {
        {"unreadable sex digits in a band", "010198045 1A2", "1980-01-01", "A01", "' 1A' is not a valid integer value"},
        {"unreadable sex digits outside every band", "010198045 1A2", "2010-01-01", "A01", ""},
        {"unreadable sex digits in no row", "010198045 1A2", "1980-01-01", "C01", ""},
        {"unreadable birth date in a row", "0101980450012", "1.1.1980", "A02", "'1.1.1980' is not a valid date"},
        {"unreadable birth date in no row", "0101980450012", "1.1.1980", "Z99", ""},
    };
    for (const Case &c : cases) {
        SourceDatabase fresh;
        SourceDatabase::Visit v;
        v.mb = QString::fromLatin1(c.mb);
        v.datR = QString::fromLatin1(c.birth);
        v.sDija = QString::fromLatin1(c.category);
        v.redBr = 1234;
        v.pre = QStringLiteral("PETROVSKI");
        v.ime = QStringLiteral("MARKO");
        fresh.addVisit(v);
        const Result<report::TfrxReport> result = runOn(fresh, request);
        if (*c.message) {
            ASSERT_FALSE(result.ok()) << c.what;
            // The message, then the visit it stopped at.
            EXPECT_EQ(result.message(),
                      QString::fromLatin1(c.message) + QStringLiteral("\nVisit RED_BR 1234 of 2024-03-15, PETROVSKI MARKO."))
                << c.what;
        } else {
            EXPECT_TRUE(result.ok()) << c.what;
        }
    }
}

TEST_F(Fixture, RunsAreRepeatableAndFollowTheRequest)
{
    add("0101980450012", "1980-01-01", "A02", "", "L01");
    add("0101980450013", "1980-01-01", "A02", "", "L02");
    request.doctor = data::Doctor{QStringLiteral("L02"), QStringLiteral("Petrovski [Petar]")};
    request.area = data::AreaFilter::Urban;
    ASSERT_TRUE(run().ok());
    EXPECT_EQ(cell(*templ, "memo89"), QStringLiteral("1"));
    EXPECT_EQ(cell(*templ, "lekar"), QStringLiteral("Petrovski [Petar]"));
    EXPECT_EQ(cell(*templ, "gradselo"), QStringLiteral("Grad"));
    ASSERT_TRUE(run().ok());
    EXPECT_EQ(cell(*templ, "memo89"), QStringLiteral("1"));
    request.area = data::AreaFilter::Rural;
    ASSERT_TRUE(run().ok());
    EXPECT_EQ(cell(*templ, "memo89"), QStringLiteral("-"));
    EXPECT_EQ(cell(*templ, "GradSelo"), QStringLiteral("Selo"));
}

TEST_F(Fixture, ATemplateWithoutACellIsReported)
{
    add("0101980450012", "1980-01-01", "A01");
    droppedCell = 20;
    const Result<void> result = run();
    ASSERT_FALSE(result.ok());
    EXPECT_TRUE(result.message().contains(QStringLiteral("no cell"))) << result.message().toStdString();
}

TEST(CounterGrid, RowTotalsStayTheSumsOfTheBands)
{
    CounterGrid grid;
    grid.zero(3, 16);
    grid.count(2, 0, false);
    grid.count(2, 6, true);
    grid.count(2, 6, true);
    EXPECT_EQ(grid.value(2, 0), 1);
    EXPECT_EQ(grid.value(2, 1), 2);
    EXPECT_EQ(grid.value(2, 2), 1);
    EXPECT_EQ(grid.value(2, 15), 2);
    EXPECT_EQ(reports::morbidityCountText(0), QStringLiteral("-"));
    EXPECT_EQ(reports::morbidityCountText(10), QStringLiteral("10"));
}
