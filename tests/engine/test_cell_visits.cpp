// The visits behind a number: every count cell lists as many lines as it
// prints, subtotals are made of their rows' lines, and hand-made visits come
// out in the known order and form.

#include "runform.h"
#include "catalogue.h"
#include "cellcollector.h"
#include "cellvisits.h"
#include "database.h"
#include "engine.h"
#include "generalmedicine.h"
#include "generator.h"
#include "recordedrequest.h"
#include "sourcedatabase.h"

#include <QBuffer>
#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <memory>

using namespace tarel;
using tarel::testing::SourceDatabase;

namespace {

const QDate From(2024, 1, 1);
const QDate To(2024, 6, 30);

// Collects the lines of many cells in one run.
class EveryCell : public engine::RunObserver {
public:
    std::vector<std::unique_ptr<engine::CellVisitCollector>> collectors;

    data::VisitFields fields() const override { return data::IdentityFields; }
    void countedIn(const data::VisitRecord &record, std::span<const engine::CellAt> cells) override
    {
        for (auto &collector : collectors)
            collector->countedIn(record, cells);
    }
};

// A line as comparable text: the visit's texts and where it counted.
std::vector<QString> lineTexts(const engine::CellVisitList &list)
{
    std::vector<QString> lines;
    for (qsizetype i = 0; i < list.size(); ++i) {
        const engine::CellVisitList::Line &line = list.line(i);
        const auto texts = list.texts(i);
        QStringList parts(texts.begin(), texts.end());
        parts << QString::number(line.row) << QString::number(line.column);
        lines.push_back(parts.join(u'|'));
    }
    std::sort(lines.begin(), lines.end());
    return lines;
}

engine::Request requestFor(const char *report)
{
    engine::Request request;
    request.report = engine::findReport(QLatin1String(report));
    request.from = From;
    request.to = To;
    return request;
}

} // namespace

// Over a demo database, one run per report with a collector on every count
// cell: each cell lists exactly its number, and a cell that sums others (a
// chapter subtotal, a grand total, the total of both sexes or of urban and
// rural) lists exactly their lines. The production path gives the same lists.
TEST(CellVisits, EveryCountCellListsItsNumber)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("demo.sqlite"));
    demodb::DemoOptions options;
    options.visits = 4000;
    options.lastDay = To;
    ASSERT_TRUE(demodb::writeDemoDatabase(path, options).ok());
    auto database = data::Database::open(data::sqliteFile(path));
    ASSERT_TRUE(database.ok());

    for (const engine::ReportDefinition &report : engine::reportTable()) {
        SCOPED_TRACE(report.name);
        const engine::Request request = requestFor(report.name);
        const Result<std::vector<engine::FormCellOf>> cells = engine::countCells(report);
        ASSERT_TRUE(cells.ok()) << cells.message().toStdString();
        EveryCell every;
        for (const engine::FormCellOf &cell : *cells)
            every.collectors.push_back(
                std::make_unique<engine::CellVisitCollector>(*engine::countCellOf(report, cell.name)));
        ASSERT_GE(every.collectors.size(), 18u);
        engine::RunOptions runOptions;
        runOptions.observer = &every;
        const Result<result::RunResult> counted = engine::run(**database, request, runOptions);
        ASSERT_TRUE(counted.ok());

        std::map<std::pair<int, int>, const engine::CellVisitList *> lists;
        int nonZero = 0;
        for (const auto &collector : every.collectors) {
            const engine::CountCell &cell = collector->cell();
            const qint64 number = counted->counts.value(cell.row, cell.column);
            EXPECT_EQ(collector->lines().size(), number) << cell.name.toStdString();
            nonZero += number > 0;
            lists[{cell.row, cell.column}] = &collector->lines();
        }
        EXPECT_GT(nonZero, 10);

        // The lines of every cell that sums others, against the others' lines.
        const result::TableShape &shape = counted->counts.shape();
        auto linesOf = [&](int row, int column) { return lineTexts(*lists.at({row, column})); };
        for (int row = 0; row < shape.rowCount(); ++row)
            for (int column = 0; column < shape.columnCount(); ++column) {
                std::vector<QString> parts;
                auto add = [&](int r, int c) {
                    const std::vector<QString> part = linesOf(r, c);
                    parts.insert(parts.end(), part.begin(), part.end());
                };
                if (!shape.rows()[std::size_t(row)].sums.empty())
                    for (const int summed : shape.rows()[std::size_t(row)].sums)
                        add(summed, column);
                else if (!shape.columns()[std::size_t(column)].sums.empty())
                    for (const int summed : shape.columns()[std::size_t(column)].sums)
                        add(row, summed);
                else
                    continue;
                std::sort(parts.begin(), parts.end());
                EXPECT_EQ(linesOf(row, column), parts) << "row " << row << ", column " << column;
            }

        // The production path: its own run, the same lines, in the list's order.
        QStringList samples{(*cells)[0].name, (*cells)[1].name};
        for (const auto &collector : every.collectors)
            if (shape.rows()[std::size_t(collector->cell().row)].sums.empty() && !collector->lines().empty()) {
                samples << collector->cell().name; // a counted cell
                break;
            }
        for (const QString &name : samples) {
            const Result<engine::CellListing> listing = engine::listCellVisits(**database, request, name);
            ASSERT_TRUE(listing.ok()) << listing.message().toStdString();
            EXPECT_EQ(lineTexts(listing->lines), linesOf(listing->cell.row, listing->cell.column)) << name.toStdString();
            EXPECT_GT(listing->lines.size(), 0) << name.toStdString();
            for (qsizetype i = 1; i < listing->lines.size(); ++i)
                EXPECT_LE(listing->lines.text(i - 1, engine::VisitText::VisitDate),
                          listing->lines.text(i, engine::VisitText::VisitDate));
        }
    }
}

// Visits whose list is known line for line: a diagnosis counted in two rows
// of a chapter, a person listed twice, the first and last day of the period
// (and the days just outside), an empty birth date, RED_BR compared as a
// number, and a surname a spreadsheet would take for a formula.
TEST(CellVisits, HandMadeVisitsGiveTheirKnownList)
{
    const tabulation::RowCatalogue &catalogue = **reports::generalMedicineReport().catalogue();
    const std::vector<int> twoRows = catalogue.classify(u"A18", u"0+");
    ASSERT_EQ(twoRows, (std::vector<int>{9, 10}));
    const std::vector<int> oneRow = catalogue.classify(u"A01", u"");
    ASSERT_EQ(oneRow, (std::vector<int>{1}));

    SourceDatabase source;
    source.addInstitution(QStringLiteral("PZU"));
    auto visit = [&](int redBr, const char *date, const char *mb, const char *surname, const char *category,
                     const char *sub) {
        source.insert(QStringLiteral("PREGLEDI1"),
                      {{"RED_BR", redBr}, {"DATA", QString::fromLatin1(date)}, {"MB", QString::fromLatin1(mb)},
                       {"PRE", QString::fromUtf8(surname)}, {"IME", QStringLiteral("Ana")},
                       {"S_DIJA", QString::fromLatin1(category)}, {"S_DIJA2", QString::fromLatin1(sub)},
                       {"LEKAR_S", QStringLiteral("L01")}, {"VidNaUsluga", QStringLiteral("1")}});
    };
    auto person = [&](const char *mb, const QVariant &birth, const char *osnov, int mesto) {
        source.insert(QStringLiteral("osigurenici"), {{"MB", QString::fromLatin1(mb)}, {"DAT_R", birth},
                                                      {"MESTO_S", mesto}, {"OSNOV", QString::fromLatin1(osnov)},
                                                      {"CLEN", QStringLiteral("00")}});
    };
    // Men (sex serial under 500).
    person("0101980450012", QStringLiteral("1980-01-01"), "1", 400017);
    person("0202970450023", QStringLiteral("1970-02-02"), "1", 400017);
    person("0202970450023", QStringLiteral("1970-02-02"), "1", 400017); // listed twice
    person("0303960450034", QVariant(), "1", 400017);                  // no birth date
    person("0404950450045", QStringLiteral("1950-04-04"), "2", 400017); // neither worker nor farmer
    person("0505940450056", QStringLiteral("1940-05-05"), "", 123456);  // the same, rural
    visit(10, "2024-01-01", "0101980450012", "=Stojanovski, M", "A18", "0+"); // rows 9 and 10
    visit(9, "2024-01-01", "0303960450034", "Petrovski", "A01", "");          // row 1, no birth date
    visit(2, "2024-06-30", "0202970450023", "Nikolovski", "A01", "");         // row 1, twice
    visit(1, "2023-12-31", "0101980450012", "Trajkovski", "A01", "");         // the day before
    visit(3, "2024-07-01", "0101980450012", "Trajkovski", "A01", "");         // the day after
    visit(20, "2024-03-01", "0404950450045", "Jovanovski", "XXX", "");
    visit(21, "2024-02-01", "0505940450056", "Ristovski", "XXX", "");

    auto database = data::Database::open(data::sqliteFile(source.path()));
    ASSERT_TRUE(database.ok());
    auto csvOf = [&](const char *report, const char *cell) -> std::string {
        const Result<engine::CellListing> listing =
            engine::listCellVisits(**database, requestFor(report), QString::fromLatin1(cell));
        EXPECT_TRUE(listing.ok()) << listing.message().toStdString();
        if (!listing)
            return {};
        QByteArray bytes;
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        engine::writeCellVisitsCsv(listing->cell, listing->lines, buffer);
        return bytes.toStdString();
    };
    const std::string header = "RED_BR,DATA,MB,PRE,IME,DAT_R,S_DIJA,S_DIJA2,LEKAR_S,MESTO_S,VidNaUsluga,row,band,sex\r\n";

    // Chapter I, men of all ages: the same date by RED_BR as a number (9
    // before 10), the two rows of one visit by row, the person listed twice
    // twice.
    EXPECT_EQ(csvOf("general-medicine", "S14"),
              header
                  + "9,2024-01-01,0303960450034,Petrovski,Ana,,A01,,L01,400017,1,1,75i pove}e,m\r\n"
                    "10,2024-01-01,0101980450012,\"'=Stojanovski, M\",Ana,1980-01-01,A18,0+,L01,400017,1,9,45-54 g.,m\r\n"
                    "10,2024-01-01,0101980450012,\"'=Stojanovski, M\",Ana,1980-01-01,A18,0+,L01,400017,1,10,45-54 g.,m\r\n"
                    "2,2024-06-30,0202970450023,Nikolovski,Ana,1970-02-02,A01,,L01,400017,1,1,55-64 g.,m\r\n"
                    "2,2024-06-30,0202970450023,Nikolovski,Ana,1970-02-02,A01,,L01,400017,1,1,55-64 g.,m\r\n");
    // A band cell of one row; a cell whose number is zero gives the header alone.
    // Row 10, band 4 (45-54), men: Memo 19 * 10 + 51 + 8.
    EXPECT_EQ(csvOf("general-medicine", "Memo249"),
              header + "10,2024-01-01,0101980450012,\"'=Stojanovski, M\",Ana,1980-01-01,A18,0+,L01,400017,1,10,45-54 g.,m\r\n");
    EXPECT_EQ(csvOf("general-medicine", "v5"), header);

    // The general-medicine visit report's "others": visits neither of workers
    // and their families nor of farmers, urban, rural and both.
    EXPECT_EQ(csvOf("visits-general-medicine", "Memo39"),
              header + "21,2024-02-01,0505940450056,Ristovski,Ana,1940-05-05,XXX,,L01,123456,1,,,\r\n"
                       "20,2024-03-01,0404950450045,Jovanovski,Ana,1950-04-04,XXX,,L01,400017,1,,,\r\n");
    EXPECT_EQ(csvOf("visits-general-medicine", "memo36"),
              header + "20,2024-03-01,0404950450045,Jovanovski,Ana,1950-04-04,XXX,,L01,400017,1,,,\r\n");

    // Cells that hold no count, and names the template does not have.
    for (const char *name : {"Memo1", "pzu", "no-such-cell", "v3", "v20"}) {
        const Result<engine::CellListing> listing =
            engine::listCellVisits(**database, requestFor("general-medicine"), QString::fromLatin1(name));
        ASSERT_FALSE(listing.ok()) << name;
        EXPECT_EQ(listing.error().kind, ErrorKind::Usage);
        EXPECT_EQ(listing.message(), QStringLiteral("cell %1 holds no count").arg(QLatin1String(name)));
    }
    EXPECT_FALSE(engine::countCellOf(*engine::findReport(u"visits-general-medicine"), u"Memo52").ok()); // printed "0"
}

// A filled report records its request; read back, it runs the same report on
// the same database.
TEST(CellVisits, TheRecordedRequestRunsAgain)
{
    SourceDatabase source;
    source.addVisit({});
    auto database = data::Database::open(data::sqliteFile(source.path()));
    ASSERT_TRUE(database.ok());
    engine::Request request = requestFor("school-youth");
    request.doctor = data::Doctor{QStringLiteral("L01"), QStringLiteral("Petrovski Aleksandar")};
    request.area = data::AreaFilter::Rural;
    const Result<report::TfrxReport> filled = tarel::testing::runForm(**database, request);
    ASSERT_TRUE(filled.ok());

    const Result<engine::RecordedRequest> recorded = engine::recordedRequestOf(*filled->result);
    ASSERT_TRUE(recorded.ok()) << recorded.message().toStdString();
    EXPECT_EQ(recorded->request.report, request.report);
    EXPECT_EQ(recorded->request.from, From);
    EXPECT_EQ(recorded->request.to, To);
    ASSERT_TRUE(recorded->request.doctor.has_value());
    EXPECT_EQ(recorded->request.doctor->code, QStringLiteral("L01"));
    EXPECT_EQ(recorded->request.area, data::AreaFilter::Rural);
    EXPECT_TRUE(engine::readsFrom(**database, *recorded));
    const auto reopened = engine::openRecordedDatabase(*recorded);
    ASSERT_TRUE(reopened.ok()) << reopened.message().toStdString();
    EXPECT_TRUE(engine::readsFrom(**reopened, *recorded));

    // A database named by a relative path (tarel-report --database demo.sqlite)
    // is recorded as a whole path, so that the saved report finds it from
    // any folder.
    const QString folder = QDir::currentPath();
    QDir::setCurrent(QFileInfo(source.path()).absolutePath());
    auto relative = data::Database::open(data::sqliteFile(QFileInfo(source.path()).fileName()));
    ASSERT_TRUE(relative.ok());
    const Result<report::TfrxReport> byRelative = tarel::testing::runForm(**relative, request);
    QDir::setCurrent(folder);
    ASSERT_TRUE(byRelative.ok());
    const Result<engine::RecordedRequest> relativeRecord = engine::recordedRequestOf(*byRelative->result);
    ASSERT_TRUE(relativeRecord.ok());
    EXPECT_TRUE(QFileInfo(relativeRecord->database).isAbsolute()) << relativeRecord->database.toStdString();
    EXPECT_TRUE(engine::readsFrom(**database, *relativeRecord));

    SourceDatabase other;
    auto otherDatabase = data::Database::open(data::sqliteFile(other.path()));
    EXPECT_FALSE(engine::readsFrom(**otherDatabase, *recorded));
    EXPECT_FALSE(engine::recordedRequestOf(result::RunResult{}).ok());
}
