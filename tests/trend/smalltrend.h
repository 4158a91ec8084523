#pragma once

// A small trend for the tests of the trend's files: a chapter of two rows
// over four months.

#include "trend.h"

#include <gtest/gtest.h>

namespace tarel::trend::testing {

using namespace tarel::result;

// Two catalogue rows and their chapter's subtotal; the columns: the total of
// both sexes, then boys and girls.
inline std::shared_ptr<const TableShape> smallShape()
{
    std::vector<RowIdentity> rows = {
        {RowKind::Counted, "1", "1", QString::fromUtf8("Тифус"), "A01", 0, {}},
        {RowKind::Counted, "2", "2", "Second, \"quoted\"", "A02", 0, {}},
        {RowKind::Subtotal, "S1", "", "Chapter I", "A00 - A99", 0, {0, 1}},
    };
    std::vector<ColumnIdentity> columns = {
        {"4", "4", {"Total"}, -1, Sex::Any, {1, 2}},
        {"5", "5", {"0-9", "m"}, 0, Sex::Male, {}},
        {"6", "6", {"0-9", "f"}, 0, Sex::Female, {}},
    };
    Result<std::shared_ptr<const TableShape>> shape = TableShape::make(std::move(rows), std::move(columns));
    EXPECT_TRUE(shape.ok());
    return *shape;
}

// Row 1's boys: 3, 3, 4, 0 (gone); row 1's girls 0, 0, 0, 9 (new); row 2's
// boys 1, 2, 1, 2.
inline Trend smallTrend()
{
    Trend trend;
    trend.report = QStringLiteral("children");
    trend.title = QString::fromUtf8("Извештај за заболувања");
    trend.area = Area::Rural;
    trend.periods = {{QDate(2024, 1, 1), QDate(2024, 1, 31)},
                     {QDate(2024, 2, 1), QDate(2024, 2, 29)},
                     {QDate(2024, 3, 1), QDate(2024, 3, 31)},
                     {QDate(2024, 4, 1), QDate(2024, 4, 30)}};
    const std::shared_ptr<const TableShape> shape = smallShape();
    const qint64 boys1[] = {3, 3, 4, 0}, girls1[] = {0, 0, 0, 9}, boys2[] = {1, 2, 1, 2};
    for (int p = 0; p < 4; ++p) {
        CountTable &table = trend.tables.emplace_back(shape);
        table.setValue(0, 1, boys1[p]);
        table.setValue(0, 2, girls1[p]);
        table.setValue(1, 1, boys2[p]);
        table.derive();
    }
    for (int row = 0; row < 3; ++row)
        for (int column = 0; column < 3; ++column)
            trend.cells.push_back({QStringLiteral("Memo%1").arg(10 * row + column), row, column});
    trend.doctors = {{QStringLiteral("L01"), QStringLiteral("Petrovski Marko"), {5, 6, 7, 0}},
                     {QStringLiteral("L02"), QStringLiteral("@ivkovska Sne`ana"), {1, 0, 2, 3}}};
    return trend;
}


} // namespace tarel::trend::testing
