#pragma once

// Small templates and prepared reports shared by the report tests.

#include "prepared.h"
#include "runresult.h"
#include "template.h"

#include <QImage>
#include <QString>

namespace tarel::report::testing {

inline TfrxMemoView makeCell(const QString &name, double left, double top, double width,
                             double height, const QString &text = {},
                             std::uint8_t frame = FrameAll)
{
    TfrxMemoView cell;
    cell.name = name;
    cell.left = left;
    cell.top = top;
    cell.width = width;
    cell.height = height;
    cell.frame = frame;
    cell.setText(text);
    return cell;
}

inline OutputCell outputCell(const QString &name, double left, double top, double width,
                             double height, const QString &text,
                             const QString &fontName = QStringLiteral("Arial"),
                             double fontHeight = 13, std::uint8_t frame = FrameAll)
{
    OutputCell cell;
    cell.name = name;
    cell.left = left;
    cell.top = top;
    cell.width = width;
    cell.height = height;
    cell.text = text;
    cell.font.name = fontName;
    cell.font.height = fontHeight;
    cell.frame = frame;
    return cell;
}

// A4 landscape with 5 mm margins.
inline OutputPage a4Page(std::vector<OutputCell> cells = {})
{
    OutputPage page;
    page.leftMargin = page.rightMargin = page.topMargin = page.bottomMargin = 5;
    page.cells = std::move(cells);
    return page;
}

inline PreparedReport onePageReport(std::vector<OutputCell> cells)
{
    PreparedReport report;
    report.templateName = QStringLiteral("frxTest");
    report.pages.push_back(a4Page(std::move(cells)));
    return report;
}

// A pixel counts as ink when it is clearly darker than the white page.
inline bool isInk(QRgb pixel) { return qGray(pixel) < 160; }

// The result of a small morbidity-like run: the grand total, a chapter of
// two rows and its subtotal; columns: the men of all ages, then two bands by
// sex under one heading each. The label of row 2 holds a comma and quotes,
// row 1 a text a spreadsheet would take for a formula.
inline std::shared_ptr<const result::RunResult> smallResult()
{
    using namespace result;
    auto run = std::make_shared<RunResult>();
    run->request = {QStringLiteral("general-medicine"), QDate(2024, 1, 1), QDate(2024, 3, 31), true, {}, Area::Both,
                    QStringLiteral("pelorida"), {}};
    run->title = QStringLiteral("Утврдени заболувања");
    run->header = {{QStringLiteral("Дата од:"), QStringLiteral("01.01.2024")}, {QString(), QStringLiteral("Град и Село")}};
    const Result<std::shared_ptr<const TableShape>> shape = TableShape::make(
        {{RowKind::Total, QStringLiteral("V"), {}, QStringLiteral("Вкупно"), QStringLiteral("A00 - Z99"), -1, {3}},
         {RowKind::Counted, QStringLiteral("1"), QStringLiteral("1"), QStringLiteral("=Прв"), QStringLiteral("A01"), 0, {}},
         {RowKind::Counted, QStringLiteral("2"), QStringLiteral("2"), QStringLiteral("Втор, \"б\""), QStringLiteral("A02"), 0, {}},
         {RowKind::Subtotal, QStringLiteral("S1"), {}, QStringLiteral("Глава I"), QStringLiteral("A00 - A99"), 0, {1, 2}}},
        {{QStringLiteral("4"), QStringLiteral("4"), {QStringLiteral("Вкупно"), QStringLiteral("м")}, -1, Sex::Male, {1, 3}},
         {QStringLiteral("5"), QStringLiteral("5"), {QStringLiteral("0-9"), QStringLiteral("м")}, 0, Sex::Male, {}},
         {QStringLiteral("6"), QStringLiteral("6"), {QStringLiteral("0-9"), QStringLiteral("ж")}, 0, Sex::Female, {}},
         {QStringLiteral("7"), QStringLiteral("7"), {QStringLiteral("10+"), QStringLiteral("м")}, 1, Sex::Male, {}}},
        {QString(), QStringLiteral("Заболувања"), QStringLiteral("Шифра")},
        {QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("3")}, true);
    run->counts = CountTable(*shape);
    for (const auto &[row, column] : {std::pair{1, 1}, {1, 3}, {1, 3}, {2, 2}})
        run->counts.add(row, column);
    run->counts.derive();
    return run;
}

} // namespace tarel::report::testing
