// A morbidity run over hand-made visits, its counts checked by hand in the
// cells of the general-medicine form: a visit in a row and band fills the
// row, its chapter and the totals; a diagnosis of two rows counts in both;
// visits outside every band or row count nowhere; the doctor and the area
// select the visits; an unreadable value ends the run naming the visit.
// Cells: row r, data column k is "Memo" + (19 r + 51 + k); k = 0 and 1 the
// row's men and women, 2b + 2 and 2b + 3 band b; chapters "S" + code +
// column; totals "v" + column (columns 4 to 19).

#include "runform.h"
#include "database.h"
#include "dateformat.h"
#include "engine.h"
#include "sourcedatabase.h"
#include "template.h"

#include <gtest/gtest.h>

using namespace tarel;
using tarel::testing::SourceDatabase;

namespace {

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
        request.report = engine::findReport(u"general-medicine");
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
        return tarel::testing::runForm(**db, request);
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
    add("0101004450012", "2004-01-01", "C81"); // 20 years old, male; row 87, chapter II
    ASSERT_TRUE(run().ok());
    // Row 87 cells are memo + (19*87 + 51 + k) = memo1704 ..
    EXPECT_EQ(cell(*templ, "memo1706"), QStringLiteral("1")); // band 1 male
    EXPECT_EQ(cell(*templ, "memo1704"), QStringLiteral("1")); // row total male
    EXPECT_EQ(cell(*templ, "memo1705"), QStringLiteral("-")); // row total female
    EXPECT_EQ(cell(*templ, "s24"), QStringLiteral("1"));
    EXPECT_EQ(cell(*templ, "s26"), QStringLiteral("1"));
    EXPECT_EQ(cell(*templ, "s14"), QStringLiteral("-"));
    EXPECT_EQ(cell(*templ, "v4"), QStringLiteral("1"));
    EXPECT_EQ(cell(*templ, "v6"), QStringLiteral("1"));
    EXPECT_EQ(cell(*templ, "v5"), QStringLiteral("-"));
}

TEST_F(Fixture, AVisitInTwoRowsCountsTwiceInItsChapterAndTheTotal)
{
    add("0101980455002", "1980-01-01", "A18", "0+"); // female, 44; rows 9 and 10
    ASSERT_TRUE(run().ok());
    EXPECT_EQ(cell(*templ, "memo223"), QStringLiteral("1")); // row 9 total female
    EXPECT_EQ(cell(*templ, "memo242"), QStringLiteral("1")); // row 10 total female
    EXPECT_EQ(cell(*templ, "memo250"), QStringLiteral("1")); // row 10 band 4 female (44: "45-54 g.")
    EXPECT_EQ(cell(*templ, "s15"), QStringLiteral("2"));
    EXPECT_EQ(cell(*templ, "v5"), QStringLiteral("2"));
    EXPECT_EQ(cell(*templ, "v13"), QStringLiteral("2"));
}

TEST_F(Fixture, VisitsOutsideEveryBandOrRowChangeNothing)
{
    add("0101005450012", "2005-01-01", "A01"); // 19 years old
    add("0101980450013", "1980-01-01", "XXX"); // no row
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
        {"unreadable sex digits in no row", "010198045 1A2", "1980-01-01", "XXX", ""},
        {"unreadable birth date in a row", "0101980450012", "1.1.1980", "A02", "'1.1.1980' is not a valid date"},
        {"unreadable birth date in no row", "0101980450012", "1.1.1980", "XXX", ""},
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
