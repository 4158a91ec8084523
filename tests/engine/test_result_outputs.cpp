// The result of a run is what every output shows, over the six reports on a
// demo database and several requests each (whole period, a month, a doctor,
// an area):
// - every row and column of the result has its count cell on the form, and
//   the form prints there the result's count;
// - every sum (a chapter's subtotal, a total, a column of all ages) is the
//   sum of the parts it names;
// - the CSV's lines and the workbook's rows hold the result's counts.

#include "engine.h"
#include "export.h"
#include "generator.h"
#include "prepared.h"
#include "workbook.h"
#include "xlsxreader.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <map>
#include <set>

using namespace tarel;
using namespace Qt::StringLiterals;

namespace {

QString countText(const result::RunResult &result, int row, int column)
{
    const qint64 count = result.counts.value(row, column);
    return count == 0 && result.counts.shape().zeroAsDash() ? u"-"_s : QString::number(count);
}

// A sum is the sum of its parts, whichever way they are named.
void expectSumsAddUp(const result::RunResult &result)
{
    const result::TableShape &shape = result.counts.shape();
    for (int row = 0; row < shape.rowCount(); ++row)
        for (int column = 0; column < shape.columnCount(); ++column) {
            const std::vector<int> &rows = shape.rows()[std::size_t(row)].sums;
            if (!rows.empty()) {
                qint64 sum = 0;
                for (int part : rows)
                    sum += result.counts.value(part, column);
                EXPECT_EQ(result.counts.value(row, column), sum) << "row " << row << ", column " << column;
            }
            const std::vector<int> &columns = shape.columns()[std::size_t(column)].sums;
            if (!columns.empty() && rows.empty()) {
                qint64 sum = 0;
                for (int part : columns)
                    sum += result.counts.value(row, part);
                EXPECT_EQ(result.counts.value(row, column), sum) << "row " << row << ", column " << column;
            }
        }
}

class ResultOutputs : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        folder = new QTemporaryDir;
        demodb::DemoOptions options;
        options.visits = 30000;
        options.seed = 7;
        options.months = 12;
        options.lastDay = QDate(2025, 6, 30);
        const auto written = demodb::writeDemoDatabase(folder->filePath(u"demo.sqlite"_s), options);
        ASSERT_TRUE(written.ok()) << written.message().toStdString();
    }
    static void TearDownTestSuite()
    {
        delete folder;
        folder = nullptr;
    }
    static QTemporaryDir *folder;
};

QTemporaryDir *ResultOutputs::folder = nullptr;

TEST_F(ResultOutputs, EveryOutputShowsTheResultsCounts)
{
    auto database = data::Database::open(data::sqliteFile(folder->filePath(u"demo.sqlite"_s)));
    ASSERT_TRUE(database.ok()) << database.message().toStdString();
    struct Asked {
        const char *what;
        QDate from, to;
        std::optional<data::Doctor> doctor;
        data::AreaFilter area = data::AreaFilter::Both;
    };
    const Asked asked[] = {
        {"the whole year", QDate(2024, 7, 1), QDate(2025, 6, 30), {}, data::AreaFilter::Both},
        {"a month, urban", QDate(2025, 2, 1), QDate(2025, 2, 28), {}, data::AreaFilter::Urban},
        {"a doctor, rural", QDate(2024, 7, 1), QDate(2025, 6, 30), data::Doctor{u"L03"_s, {}}, data::AreaFilter::Rural},
    };
    for (const engine::ReportDefinition &definition : engine::reportTable()) {
        const Result<std::vector<engine::FormCellOf>> cells = engine::countCells(definition);
        ASSERT_TRUE(cells.ok()) << cells.message().toStdString();
        for (const Asked &a : asked) {
            SCOPED_TRACE(std::string(definition.name) + ", " + a.what);
            engine::Request request;
            request.report = &definition;
            request.from = a.from;
            request.to = a.to;
            request.today = QDate(2025, 7, 1);
            if (definition.kind == engine::ReportKind::Morbidity) {
                request.doctor = a.doctor;
                request.area = a.area;
            }
            const Result<result::RunResult> counted = engine::run(**database, request);
            ASSERT_TRUE(counted.ok()) << counted.message().toStdString();
            const result::RunResult &result = *counted;
            const result::TableShape &shape = result.counts.shape();
            ASSERT_GT(result.check->counted, 0);
            expectSumsAddUp(result);

            // Each row and column once on the form, printed as counted.
            const Result<report::TfrxReport> filled = engine::filledForm(result);
            ASSERT_TRUE(filled.ok()) << filled.message().toStdString();
            const report::PreparedReport prepared = report::prepare(*filled);
            std::map<QString, QString> printed;
            for (const report::OutputPage &page : prepared.pages)
                for (const report::OutputCell &cell : page.cells)
                    printed.emplace(cell.name, cell.text);
            std::set<std::pair<int, int>> onForm;
            for (const engine::FormCellOf &cell : *cells) {
                EXPECT_TRUE(onForm.emplace(cell.row, cell.column).second) << cell.name.toStdString() << " twice";
                EXPECT_EQ(printed[cell.name], countText(result, cell.row, cell.column)) << cell.name.toStdString();
            }
            EXPECT_EQ(onForm.size(), std::size_t(shape.rowCount() * shape.columnCount()));

            // The CSV: after the column numbers, a line per row ending in its counts.
            const QStringList lines = QString::fromUtf8(report::csvText(result)).split(u"\r\n"_s);
            QStringList numbers;
            for (int column = 0; column < shape.columnCount(); ++column)
                numbers << shape.columns()[std::size_t(column)].number;
            qsizetype line = 0;
            while (line < lines.size() && !lines[line].endsWith(numbers.join(u','))) // the column numbers
                ++line;
            ASSERT_LT(line + shape.rowCount(), lines.size());
            for (int row = 0; row < shape.rowCount(); ++row) {
                QStringList counts;
                for (int column = 0; column < shape.columnCount(); ++column)
                    counts << countText(result, row, column);
                EXPECT_TRUE(lines[line + 1 + row].endsWith(u',' + counts.join(u',')))
                    << "CSV line " << (line + 2 + row) << ": " << lines[line + 1 + row].toStdString();
            }

            // The workbook: a row of numbers per row of the result.
            const QString path = folder->filePath(u"report.xlsx"_s);
            ASSERT_TRUE(report::writeWorkbook(prepared, path).ok());
            const auto workbook = tarel::testing::readXlsx(path);
            ASSERT_TRUE(workbook && !workbook->sheets.empty());
            std::map<int, QStringList> sheetRows;
            for (const auto &[position, cell] : workbook->sheets.front().cells)
                if (cell.type == tarel::testing::XlsxCell::Type::Number)
                    sheetRows[position.first] << cell.shown();
            ASSERT_EQ(sheetRows.size(), std::size_t(shape.rowCount()));
            int row = 0;
            for (const auto &[sheetRow, shown] : sheetRows) {
                QStringList counts;
                for (int column = 0; column < shape.columnCount(); ++column)
                    counts << countText(result, row, column);
                EXPECT_EQ(shown, counts) << "sheet row " << sheetRow + 1;
                ++row;
            }
        }
    }
}

} // namespace
