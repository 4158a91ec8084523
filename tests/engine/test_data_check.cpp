// The data check of a run: every selected visit is counted or accounted for,
// and the figures agree with what is known of the data.

#include "runform.h"
#include "catalogue.h"
#include "database.h"
#include "datacheckcounter.h"
#include "engine.h"
#include "generalmedicine.h"
#include "generator.h"
#include "sourcedatabase.h"
#include "suggestions.h"

#include <QJsonDocument>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace tarel;
using tarel::testing::SourceDatabase;

namespace {

const QDate From(2024, 1, 1);
const QDate To(2024, 6, 30);

Result<result::DataCheck> checkOf(const QString &path, const char *report)
{
    auto database = data::Database::open(data::sqliteFile(path));
    if (!database)
        return database.error();
    engine::Request request;
    request.report = engine::findReport(QLatin1String(report));
    request.from = From;
    request.to = To;
    const Result<result::RunResult> counted = engine::run(**database, request);
    if (!counted)
        return counted.error();
    return *counted->check;
}

// A category that two rows of the general-medicine catalogue count, whatever
// its sub-category.
QString categoryOfTwoRows()
{
    const tabulation::RowCatalogue &catalogue = **reports::generalMedicineReport().catalogue();
    for (const tabulation::CatalogueRow &row : catalogue.rows())
        for (const tabulation::RuleTerm &term : row.rule)
            if (term.anySubCategory && catalogue.classify(term.category, u"").size() == 2)
                return term.category;
    return {};
}

} // namespace

// A small database where each figure of the check has a known value.
TEST(DataCheck, EachFigureOnAHandMadeDatabase)
{
    const QString twoRows = categoryOfTwoRows();
    ASSERT_FALSE(twoRows.isEmpty());
    SourceDatabase source;
    source.addInstitution(QStringLiteral("PZU"));
    int people = 0;
    auto add = [&](const char *category, const char *sub, const char *birth) {
        SourceDatabase::Visit visit;
        visit.mb = QStringLiteral("01019%1450012").arg(++people, 3, 10, QLatin1Char('0'));
        visit.sDija = QString::fromLatin1(category);
        visit.sDija2 = QString::fromLatin1(sub);
        visit.datR = QString::fromLatin1(birth);
        source.addVisit(visit);
    };
    add("A01", "", "1980-01-01");                     // counted once
    add(twoRows.toLatin1().constData(), "", "1970-05-05"); // counted in two rows
    add("S45", "", "1980-01-01");                     // no row, twice
    add("S45", "", "1960-01-01");
    add("S45", "1", "1980-01-01");                    // no row, another pair
    add("A01", "", "2014-01-01");                     // 10 years old: outside every band
    add("A01", "", "");                               // NULL birth date: day 0, counted
    source.insert(QStringLiteral("PREGLEDI1"), {{"MB", QStringLiteral("0101980450999")}, {"DATA", QStringLiteral("2024-02-02")},
                                                {"S_DIJA", QStringLiteral("A01")}, {"VidNaUsluga", QStringLiteral("2")}});
    source.insert(QStringLiteral("osigurenici"), {{"MB", QStringLiteral("0101980450999")}, {"DAT_R", QString()},
                                                  {"MESTO_S", 400017}}); // an empty birth date, counted

    const Result<result::DataCheck> check = checkOf(source.path(), "general-medicine");
    ASSERT_TRUE(check.ok()) << check.message().toStdString();
    EXPECT_EQ(check->selected, 8);
    EXPECT_EQ(check->counted, 4);
    EXPECT_EQ(check->noRow, 3);
    EXPECT_EQ(check->outsideBands, 1);
    EXPECT_EQ(check->countedTwice, 1);
    EXPECT_EQ(check->emptyBirthDate, 2);
    const std::vector<result::DataCheck::Diagnosis> diagnoses = {{QStringLiteral("S45"), QString(), 2},
                                                                 {QStringLiteral("S45"), QStringLiteral("1"), 1}};
    EXPECT_EQ(check->noRowDiagnoses, diagnoses);
    EXPECT_EQ(check->report, QStringLiteral("general-medicine"));
    EXPECT_EQ(check->area, QStringLiteral("both"));
    EXPECT_TRUE(check->doctor.isEmpty());

    // The same visits in the visit report: nobody is in no row there; the
    // child is outside its age range (20 to 150).
    const Result<result::DataCheck> visits = checkOf(source.path(), "visits-general-medicine");
    ASSERT_TRUE(visits.ok()) << visits.message().toStdString();
    EXPECT_EQ(visits->selected, 8);
    EXPECT_EQ(visits->counted, 7);
    EXPECT_EQ(visits->noRow, 0);
    EXPECT_EQ(visits->outsideBands, 1);
    EXPECT_EQ(visits->countedTwice, 0);
    EXPECT_EQ(visits->emptyBirthDate, 2);
    EXPECT_TRUE(visits->noRowDiagnoses.empty());

    // Written and read back, as a saved report keeps it.
    EXPECT_EQ(result::DataCheck::fromJson(check->toJson()).value(), *check);
    EXPECT_EQ(result::DataCheck::fromJson(QJsonDocument::fromJson(check->toJsonText()).object()).value(), *check);
}

// Over a demo database, for every report: the visits add up, the selection
// is what the statements select, and the totals of the form agree.
TEST(DataCheck, EveryVisitIsAccountedForOnTheDemoDatabase)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("demo.sqlite"));
    demodb::DemoOptions options;
    options.visits = 20000;
    options.lastDay = QDate(2024, 6, 30);
    ASSERT_TRUE(demodb::writeDemoDatabase(path, options).ok());
    auto database = data::Database::open(data::sqliteFile(path));
    ASSERT_TRUE(database.ok());

    // Independent counts of the statements' rows.
    QSqlDatabase raw = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("raw"));
    raw.setDatabaseName(path);
    ASSERT_TRUE(raw.open());
    auto count = [&](const QString &where) {
        QSqlQuery query(raw);
        query.exec(QStringLiteral("select count(*) from PREGLEDI1 join osigurenici on osigurenici.MB = PREGLEDI1.MB "
                                  "where DATA between '2024-01-01' and '2024-06-30' ")
                   + where);
        return query.next() ? query.value(0).toLongLong() : -1;
    };
    const qint64 morbiditySelected = count(QStringLiteral("and VidNaUsluga in ('1', '2')"));
    const qint64 visitSelected = count(QStringLiteral("and MESTO_S is not null"));

    for (const engine::ReportDefinition &report : engine::reportTable()) {
        SCOPED_TRACE(report.name);
        engine::Request request;
        request.report = &report;
        request.from = From;
        request.to = To;
        const Result<report::TfrxReport> filled = tarel::testing::runForm(**database, request);
        ASSERT_TRUE(filled.ok()) << filled.message().toStdString();
        ASSERT_TRUE(filled->result && filled->result->check);
        const result::DataCheck *check = &*filled->result->check;
        EXPECT_EQ(check->selected, check->counted + check->noRow + check->outsideBands);
        EXPECT_GT(check->counted, 0);
        EXPECT_GT(check->outsideBands, 0);
        auto cell = [&](const char *name) { return filled->findCell(QString::fromLatin1(name))->text(); };
        if (report.kind == engine::ReportKind::Morbidity) {
            EXPECT_EQ(check->selected, morbiditySelected);
            EXPECT_GT(check->noRow, 0);
            // The grand totals count a visit once in every row it falls in.
            auto number = [](const QString &text) { return text == u"-" ? 0 : text.toLongLong(); };
            EXPECT_EQ(number(cell("v4")) + number(cell("v5")), check->counted + check->countedTwice);
            qint64 uncounted = 0;
            for (const result::DataCheck::Diagnosis &diagnosis : check->noRowDiagnoses)
                uncounted += diagnosis.visits;
            EXPECT_EQ(uncounted, check->noRow);
        } else {
            EXPECT_EQ(check->selected, visitSelected);
            EXPECT_EQ(check->noRow, 0);
            EXPECT_EQ(cell("vkupno").toLongLong(), check->counted);
        }
    }
}

// Where an uncounted diagnosis might belong: the rows whose printed code text
// covers its category, single codes, ranges and sub-category marks alike.
TEST(DataCheck, RowsSuggestedByThePrintedCodes)
{
    const Result<tabulation::RowCatalogue> catalogue = tabulation::RowCatalogue::parse(
        QStringLiteral("1 \"Prv\"; \"A00,A04,A07-A08\"\n"
                       "2 \"Vtor\"; \"A18.0+\"; counts A18 with S_DIJA2 \"0+\"\n"
                       "3 \"Tret\"; \"A00 - A09\"\n"
                       "block 1 rows 1-3 code \"1\" numeral \"I\" range \"A00 - A99\"\n"),
        QStringLiteral("test"));
    ASSERT_TRUE(catalogue.ok()) << catalogue.message().toStdString();
    auto rows = [&](const char *category) { return engine::suggestedRows(*catalogue, QString::fromLatin1(category)); };
    EXPECT_EQ(rows("A07"), (std::vector<int>{1, 3}));
    EXPECT_EQ(rows("A05"), (std::vector<int>{3}));
    EXPECT_EQ(rows("A18"), (std::vector<int>{2}));
    EXPECT_EQ(rows("B00"), (std::vector<int>{}));
}
