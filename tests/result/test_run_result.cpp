// The result of a run as data: the sums derived from the counted cells, the
// weights that say which counted cells a number adds up, the checks of a
// table's shape, and the result read back from the JSON a file keeps.

#include "runresult.h"

#include <QJsonArray>
#include <QJsonDocument>

#include <gtest/gtest.h>

using namespace tarel;
using namespace tarel::result;

namespace {

// A small morbidity-like table: the grand total first, two chapters of rows
// each followed by its subtotal; columns: the totals of both sexes, then two
// bands by sex.
std::shared_ptr<const TableShape> smallShape()
{
    std::vector<RowIdentity> rows = {
        {RowKind::Total, "V", "", "Total", "A00 - Z99", -1, {3, 6}},
        {RowKind::Counted, "1", "1", "First", "A01", 0, {}},
        {RowKind::Counted, "2", "2", "Second", "A02", 0, {}},
        {RowKind::Subtotal, "S1", "", "Chapter I", "A00 - A99", 0, {1, 2}},
        {RowKind::Counted, "3", "3", "Third", "B01", 1, {}},
        {RowKind::Counted, "4", "4", "Fourth", "B02", 1, {}},
        {RowKind::Subtotal, "S2", "", "Chapter II", "B00 - B99", 1, {4, 5}},
    };
    std::vector<ColumnIdentity> columns = {
        {"4", "4", {"Total", "m"}, -1, Sex::Male, {2, 4}},   {"5", "5", {"Total", "f"}, -1, Sex::Female, {3, 5}},
        {"6", "6", {"0-9", "m"}, 0, Sex::Male, {}},          {"7", "7", {"0-9", "f"}, 0, Sex::Female, {}},
        {"8", "8", {"10 and over", "m"}, 1, Sex::Male, {}}, {"9", "9", {"10 and over", "f"}, 1, Sex::Female, {}},
    };
    Result<std::shared_ptr<const TableShape>> shape =
        TableShape::make(std::move(rows), std::move(columns), {"", "Label", "Codes"}, {"1", "2", "3"}, true);
    EXPECT_TRUE(shape.ok()) << shape.message().toStdString();
    return *shape;
}

} // namespace

TEST(CountTable, SumsAreDerivedFromTheCountedCells)
{
    CountTable table(smallShape());
    // Row 1: 2 boys under 10, 1 girl over 10; row 2: 1 girl under 10;
    // row 4: 3 boys over 10; row 5 nothing.
    for (const auto &[row, column] : {std::pair{1, 2}, {1, 2}, {1, 5}, {2, 3}, {4, 4}, {4, 4}, {4, 4}})
        table.add(row, column);
    table.setValue(3, 2, 99); // a derived cell's old number is discarded
    table.derive();
    const TableShape &shape = table.shape();

    EXPECT_EQ(table.value(1, 0), 2); // the row's boys of both bands
    EXPECT_EQ(table.value(1, 1), 1);
    EXPECT_EQ(table.value(3, 2), 2); // chapter I, boys under 10
    EXPECT_EQ(table.value(3, 3), 1);
    EXPECT_EQ(table.value(6, 4), 3);
    EXPECT_EQ(table.value(0, 0), 5); // the grand total of boys
    EXPECT_EQ(table.value(0, 1), 2);
    // Every derived cell is the sum of the counted cells its weights name.
    for (int row = 0; row < shape.rowCount(); ++row)
        for (int column = 0; column < shape.columnCount(); ++column) {
            const std::vector<int> rowWeights = shape.rowWeights(row);
            const std::vector<int> columnWeights = shape.columnWeights(column);
            qint64 sum = 0;
            for (int r = 0; r < shape.rowCount(); ++r)
                for (int c = 0; c < shape.columnCount(); ++c)
                    sum += qint64(rowWeights[std::size_t(r)]) * columnWeights[std::size_t(c)] * table.value(r, c)
                        * (shape.rows()[std::size_t(r)].sums.empty() && shape.columns()[std::size_t(c)].sums.empty());
            EXPECT_EQ(table.value(row, column), sum) << "row " << row << ", column " << column;
        }
    EXPECT_EQ(shape.rowWeights(0), (std::vector<int>{0, 1, 1, 0, 1, 1, 0}));
    EXPECT_EQ(shape.columnWeights(2), (std::vector<int>{0, 0, 1, 0, 0, 0}));
}

TEST(TableShape, RefusesKeysTwiceSumsOutsideAndSumsOfThemselves)
{
    const std::vector<ColumnIdentity> one = {{"4", "4", {}, -1, Sex::Any, {}}};
    const struct {
        const char *what;
        std::vector<RowIdentity> rows;
        const char *message;
    } cases[] = {
        {"key twice", {{RowKind::Counted, "1"}, {RowKind::Counted, "1"}}, "Two rows of a count table have the key '1'"},
        {"outside", {{RowKind::Total, "V", "", "", "", -1, {4}}}, "The row 'V' of a count table sums a row it does not have"},
        {"itself", {{RowKind::Total, "V", "", "", "", -1, {1}}, {RowKind::Subtotal, "S1", "", "", "", 0, {0}}},
         "adds itself up"},
    };
    for (const auto &c : cases) {
        const Result<std::shared_ptr<const TableShape>> shape = TableShape::make(c.rows, one);
        ASSERT_FALSE(shape.ok()) << c.what;
        EXPECT_TRUE(shape.message().contains(QLatin1String(c.message))) << c.what << ": " << shape.message().toStdString();
    }
}

TEST(RunResult, ReadsBackWhatItWrites)
{
    RunResult result;
    result.request = {"general-medicine", QDate(2024, 12, 1), QDate(2026, 11, 30), true,
                      Doctor{"L02", "Stojanovska Marija"}, Area::Urban, "pelorida", "/srv/pelorida.sqlite"};
    result.title = QStringLiteral("Утврдени заболувања");
    result.institution = {"PZU Zdravstven dom", "ul. 1", "Bitola", "400", "200", "Banka"};
    result.header = {{QStringLiteral("Дата од:"), QStringLiteral("01.12.2024")}};
    result.counts = CountTable(smallShape());
    result.counts.add(1, 2);
    result.counts.add(5, 5);
    result.counts.derive();

    const QJsonObject written = countsToJson(result);
    // Through text, as a file keeps it.
    const QJsonObject read = QJsonDocument::fromJson(QJsonDocument(written).toJson()).object();
    RunResult back;
    back.request = *RunRequest::fromJson(result.request.toJson());
    ASSERT_TRUE(readCountsJson(read, back).ok());
    EXPECT_EQ(back, result);

    // The visit reports' request holds neither doctor nor area.
    RunRequest visits{"visits-children", QDate(2025, 1, 1), QDate(2025, 1, 31), false, {}, Area::Both, "golden", {}};
    EXPECT_FALSE(visits.toJson().contains(QStringLiteral("area")));
    EXPECT_EQ(*RunRequest::fromJson(visits.toJson()), visits);

    // A count that is not a whole number, and rows of counts that do not fit.
    QJsonObject damaged = read;
    QJsonArray counts = damaged[QStringLiteral("counts")].toArray();
    QJsonArray first = counts[1].toArray();
    first[0] = 1.5;
    counts[1] = first;
    damaged[QStringLiteral("counts")] = counts;
    RunResult refused;
    EXPECT_EQ(readCountsJson(damaged, refused).message(),
              QStringLiteral("row 2 of the count table holds something other than a count"));
    counts.removeLast();
    damaged[QStringLiteral("counts")] = counts;
    EXPECT_EQ(readCountsJson(damaged, refused).message(),
              QStringLiteral("the count table has 6 rows of counts for 7 rows"));
}

// A data check read back: its figures as written; a figure that is no whole
// number a count can be (too large for one, negative) is refused.
TEST(DataCheck, ReadsBackItsFiguresAndRefusesImpossibleOnes)
{
    DataCheck check;
    check.report = QStringLiteral("general-medicine");
    check.selected = 781;
    check.counted = 770;
    check.noRow = 11;
    check.noRowDiagnoses = {{QStringLiteral("Z99"), QStringLiteral("9"), 11}};
    const Result<DataCheck> back = DataCheck::fromJson(check.toJson());
    ASSERT_TRUE(back.ok()) << back.message().toStdString();
    EXPECT_EQ(back->toJsonText(), check.toJsonText());
    for (const double impossible : {6.66667e+76, -1.0, 2.5}) {
        QJsonObject damaged = check.toJson();
        damaged[QStringLiteral("selected")] = impossible;
        EXPECT_FALSE(DataCheck::fromJson(damaged).ok()) << impossible;
    }
}
