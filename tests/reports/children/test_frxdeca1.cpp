// The template frxDeca1 built from the pre-school children catalogue: pages,
// line positions, the names the run looks up, fonts, alignment, split texts,
// subtotal lines and the handling of catalogues that do not fit the pages.

#include "catalogue.h"
#include "children.h"
#include "children.h"
#include "frxdeca1.h"
#include "layoutexpect.h"

#include <QSet>

#include <gtest/gtest.h>

#include <cmath>
#include <map>

using namespace tarel;
using report::FrameAll;
using report::HAlign;
using report::mm;
using report::TfrxMemoView;
using report::TfrxReport;
using report::TfrxReportPage;
using report::VAlign;
using tarel::testing::allCells;
using tarel::testing::Placed;
using tarel::testing::placed;
using tarel::testing::toMm;

namespace {

const tabulation::RowCatalogue &catalogue() { return tarel::testing::loadedCatalogue(reports::childrenCatalogue()); }

const TfrxReport &frxDeca1()
{
    static const TfrxReport report = reports::buildFrxDeca1(catalogue());
    return report;
}

// The cell of row r in column 4 to 17, as the run names it.
QString countCell(int row, int column) { return QStringLiteral("memo%1").arg(14 * row + 1022 + column - 4); }

// The cell of row r in column 1 to 17: the number, label and code cells found
// beside the row's first count cell.
const TfrxMemoView *rowCell(int row, int column)
{
    if (column >= 4)
        return frxDeca1().findCell(countCell(row, column));
    const Placed first = placed(frxDeca1(), countCell(row, 4));
    if (!first.cell)
        return nullptr;
    const double x[] = {0, 10, 91};
    const TfrxMemoView *found = nullptr;
    for (const TfrxMemoView &cell : frxDeca1().pages[std::size_t(first.page - 1)].cells)
        if (std::abs(cell.top - first.cell->top) < 1e-4 && std::abs(cell.left - mm(x[column - 1])) < 1e-4)
            found = &cell;
    return found;
}

report::Font font(const char *name, double height, bool bold = false)
{
    report::Font f;
    f.name = QString::fromLatin1(name);
    f.height = height;
    f.bold = bold;
    return f;
}

} // namespace

TEST(FrxDeca1, CatalogueFitsThePages)
{
    const Result<void> fits = reports::checkFrxDeca1Catalogue(catalogue());
    EXPECT_TRUE(fits.ok()) << (fits ? std::string() : fits.message().toStdString());
}

TEST(FrxDeca1, PagesMarginsAndFonts)
{
    const TfrxReport &report = frxDeca1();
    EXPECT_EQ(report.name, QStringLiteral("frxDeca1"));
    ASSERT_EQ(report.pages.size(), 10u);
    struct Case {
        int page;
        double right; // left 10, top and bottom 5 everywhere
        std::optional<report::Font> font;
    };
    const Case cases[] = {
        {1, 12, font("maC C Swiss", 13)}, {2, 12, std::nullopt}, {3, 12, font("MAC C Swiss", 12)},
        {4, 12, std::nullopt},            {5, 12, std::nullopt}, {6, 12, std::nullopt},
        {7, 12, std::nullopt},            {8, 12, std::nullopt}, {9, 12, std::nullopt},
        {10, 5, font("Arial", 16)},
    };
    for (const Case &c : cases) {
        const TfrxReportPage &page = report.pages[std::size_t(c.page - 1)];
        EXPECT_EQ(page.name, QStringLiteral("Page%1").arg(c.page));
        EXPECT_EQ(page.paperSize, 9);
        EXPECT_TRUE(page.landscape);
        EXPECT_EQ(page.leftMargin, 10) << c.page;
        EXPECT_EQ(page.rightMargin, c.right) << c.page;
        EXPECT_EQ(page.topMargin, 5) << c.page;
        EXPECT_EQ(page.bottomMargin, 5) << c.page;
        EXPECT_EQ(page.font, c.font) << c.page;
        EXPECT_EQ(page.title.has_value(), c.page == 1) << c.page;
    }

    const report::TfrxReportTitle &band = *report.pages[0].title;
    EXPECT_NEAR(band.width, report.pages[0].printableWidth(), 1e-6);
    EXPECT_NEAR(band.height, 98.26778, 1e-5);
    EXPECT_FALSE(band.font.has_value());
    EXPECT_EQ(band.cells.size(), 10u);
    for (const TfrxMemoView &cell : band.cells) {
        EXPECT_EQ(cell.frame, report::FrameNone) << cell.name.toStdString();
        EXPECT_LE(cell.left + cell.width, band.width + 1e-6) << cell.name.toStdString();
        EXPECT_LE(cell.top + cell.height, band.height + 1e-6) << cell.name.toStdString();
    }
    // The title is centred on the band.
    const TfrxMemoView *title = report.findCell(u"Memo1");
    ASSERT_NE(title, nullptr);
    EXPECT_NEAR(title->left + title->width / 2, band.width / 2, 1e-4);
    EXPECT_EQ(title->text(), QStringLiteral("UTVRDENI ZABOLUVAWA - SOSTOJBI SPORED VOZRASTA I POLOT NA DECATA"));
}

TEST(FrxDeca1, CellCountAndUniqueNames)
{
    const TfrxReport &report = frxDeca1();
    // 10 title cells; 58 in the head of Page1 (3 column captions, 7 band
    // captions, 14 sexes, 17 column numbers, 17 in the grand-total line);
    // 9 column-number lines of 17; 244 rows of 17; 20 subtotal lines of 18;
    // 11 more for the pieces of the split and stacked texts (rows 30, 73, 74,
    // 147, 203, 66, 67 one each, rows 80 and 83 two each).
    EXPECT_EQ(10 + 58 + 9 * 17 + 244 * 17 + 20 * 18 + 11, 4740);
    EXPECT_EQ(report.cellCount(), 4740);

    QSet<QString> names;
    for (const auto &[page, inBand, cell] : allCells(report)) {
        const QString key = cell->name.toLower();
        EXPECT_FALSE(key.isEmpty());
        EXPECT_FALSE(names.contains(key)) << "duplicate " << cell->name.toStdString();
        names.insert(key);
    }
    EXPECT_EQ(names.size(), report.cellCount());
}

TEST(FrxDeca1, EveryNameTheRunLooksUpExistsInItsPlace)
{
    const TfrxReport &report = frxDeca1();
    const reports::MorbidityProfile &profile = reports::childrenReportProfile();
    ASSERT_EQ(profile.columns(), 14);

    // Row cells: in the row's line, in the column of their count.
    for (int row = 1; row <= profile.rows; ++row) {
        const Placed first = placed(report, reports::countCellName(profile, row, 0));
        ASSERT_NE(first.cell, nullptr) << row;
        for (int k = 0; k < profile.columns(); ++k) {
            const QString name = reports::countCellName(profile, row, k);
            const TfrxMemoView *cell = report.findCell(name);
            ASSERT_NE(cell, nullptr) << name.toStdString();
            EXPECT_EQ(cell->name, QStringLiteral("Memo%1").arg(14 * row + 1022 + k));
            EXPECT_NEAR(cell->top, first.cell->top, 1e-6) << name.toStdString();
            const double x = k < 12 ? 131 + 10 * k : 251 + 11.5 * (k - 12);
            EXPECT_NEAR(cell->left, mm(x), 1e-4) << name.toStdString();
            EXPECT_TRUE(cell->text().isEmpty()) << name.toStdString();
        }
    }
    EXPECT_EQ(reports::countCellName(profile, 1, 0), QStringLiteral("Memo1036"));
    EXPECT_EQ(reports::countCellName(profile, 244, 13), QStringLiteral("Memo4451"));

    // Subtotal cells: 20 blocks, keys "1" to "14" and "016" to "021".
    QStringList keys;
    for (const tabulation::ChapterBlock &block : catalogue().blocks()) {
        keys << block.code;
        for (int k = 0; k < 14; ++k) {
            const QString name = reports::subtotalCellName(block, 4 + k);
            const Placed at = placed(report, name);
            ASSERT_NE(at.cell, nullptr) << name.toStdString();
            EXPECT_EQ(at.cell->name, QStringLiteral("S") + block.code + QString::number(4 + k));
            // Directly under the block's last row.
            const Placed last = placed(report, reports::countCellName(profile, block.last, k));
            const double expected = last.page == at.page ? last.cell->top + last.cell->height : mm(5);
            EXPECT_NEAR(at.cell->top, expected, 1e-4) << name.toStdString();
        }
    }
    EXPECT_EQ(keys, (QStringList{"1", "2", "3", "4", "5", "6", "7", "8", "9", "10", "011", "012", "013", "014", "016",
                                 "017", "018", "019", "020", "021"}));
    EXPECT_EQ(report.findCell(u"s0154"), nullptr) << "there is no chapter XV";

    for (int k = 0; k < 14; ++k)
        EXPECT_NE(report.findCell(reports::grandTotalCellName(4 + k)), nullptr) << k;
    for (const char *name : {"gradselo", "LEKAR", "pzu", "dataod", "datado"})
        EXPECT_NE(report.findCell(QString::fromLatin1(name)), nullptr) << name;
    EXPECT_EQ(report.findCell(u"no-such-cell"), nullptr);
}

TEST(FrxDeca1, LinePositions)
{
    struct Case {
        const char *what;
        QString cell;
        int page;
        double y;      // mm
        double height; // mm
    };
    const Case cases[] = {
        {"grand total", "v4", 1, 52, 5},
        {"row 1 under the grand-total line", countCell(1, 4), 1, 57, 5},
        {"row 6, ten mm", countCell(6, 17), 1, 82, 10},
        {"row 27 opens Page2", countCell(27, 4), 2, 5, 5},
        {"row 62 opens Page3", countCell(62, 4), 3, 5, 5},
        {"subtotal I under row 72, seventeen mm", "S14", 3, 87, 10},
        {"row 85 opens Page4", countCell(85, 4), 4, 5, 9},
        {"subtotal V, nine mm", "S54", 4, 158, 9},
        {"subtotal VI opens Page5", "S64", 5, 5, 10},
        {"row 133 opens Page6", countCell(133, 4), 6, 5, 5},
        {"subtotal XII opens Page7", "S0124", 7, 5, 9},
        {"row 183 opens Page8", countCell(183, 4), 8, 5, 5},
        {"subtotal XVIII closes Page8", "S0184", 8, 184, 9},
        {"row 208 opens Page9", countCell(208, 4), 9, 5, 5},
        {"row 218, 37 mm", countCell(218, 4), 9, 77, 37},
        {"row 230 opens Page10", countCell(230, 4), 10, 5, 5},
        {"subtotal XXI closes Page10 at 138 mm", "S02117", 10, 129, 9},
    };
    for (const Case &c : cases) {
        const Placed at = placed(frxDeca1(), c.cell);
        ASSERT_NE(at.cell, nullptr) << c.what;
        EXPECT_EQ(at.page, c.page) << c.what;
        EXPECT_NEAR(toMm(at.cell->top), c.y, 1e-4) << c.what;
        EXPECT_NEAR(toMm(at.cell->height), c.height, 1e-4) << c.what;
    }
}

TEST(FrxDeca1, LinesFollowEachOtherWithoutGaps)
{
    const TfrxReport &report = frxDeca1();
    const double lastLineEnds[] = {197, 195, 195, 199, 186, 194, 199, 193, 198, 138};
    for (std::size_t p = 0; p < report.pages.size(); ++p) {
        const TfrxReportPage &page = report.pages[p];
        // The tops and heights of the lines, read off the number column.
        std::map<long, double> lines; // top in 1/1000 mm -> height in mm
        for (const TfrxMemoView &cell : page.cells)
            if (std::abs(cell.left) < 1e-6)
                lines[std::lround(toMm(cell.top) * 1000)] = toMm(cell.height);
        ASSERT_FALSE(lines.empty());
        double expectedTop = p == 0 ? 37 : 0;
        for (const auto &[top, height] : lines) {
            EXPECT_NEAR(top / 1000.0, expectedTop, 1e-3) << page.name.toStdString();
            expectedTop = top / 1000.0 + height;
        }
        EXPECT_NEAR(expectedTop, lastLineEnds[p], 1e-3) << page.name.toStdString();
        for (const TfrxMemoView &cell : page.cells) {
            EXPECT_LE(cell.top + cell.height, page.printableHeight() + 1e-3) << cell.name.toStdString();
            EXPECT_LE(cell.left + cell.width, mm(274) + 1e-3) << cell.name.toStdString();
        }
        if (p > 0) {
            for (int column = 0; column < 17; ++column) {
                const TfrxMemoView &number = page.cells[std::size_t(column)];
                EXPECT_EQ(number.top, 0) << page.name.toStdString();
                EXPECT_EQ(number.text(), QString::number(column + 1));
                EXPECT_EQ(number.font, font("Arial", 15, true));
            }
        }
    }
}

TEST(FrxDeca1, HeadOfPage1)
{
    const TfrxReport &report = frxDeca1();
    const TfrxReportPage &page = report.pages[0];
    // Texts of each head line, left to right.
    std::map<long, QStringList> lines;
    for (const TfrxMemoView &cell : page.cells)
        if (cell.top < mm(57) - 1e-6)
            lines[std::lround(toMm(cell.top))] << cell.text();
    EXPECT_EQ(lines[37], (QStringList{"", "Zaboluvawa sostojbi (skratena lista)", "{ifra po MKB - 10", "Vkupno",
                                      "do 2 mes.", "3-5 mes.", "6-11 mes.", "1-2 god.", "3-4 god.", "5-6 god."}));
    EXPECT_EQ(lines[42], (QStringList{"m", "`", "m", "`", "m", "`", "m", "`", "m", "`", "m", "`", "m", "`"}));
    QStringList numbers;
    for (int column = 1; column <= 17; ++column)
        numbers << QString::number(column);
    EXPECT_EQ(lines[47], numbers);
    EXPECT_EQ(lines[52].mid(0, 3), (QStringList{"", "Vkupno (1 - 236)", "A00 - Z99"}));

    // "Vkupno" spans columns 4 and 5; the last band's caption 23 mm.
    const auto captionAt = [&page](double x) -> const TfrxMemoView * {
        for (const TfrxMemoView &cell : page.cells)
            if (std::abs(cell.top - mm(37)) < 1e-6 && std::abs(cell.left - mm(x)) < 1e-6)
                return &cell;
        return nullptr;
    };
    ASSERT_NE(captionAt(131), nullptr);
    EXPECT_NEAR(captionAt(131)->width, mm(20), 1e-4);
    ASSERT_NE(captionAt(251), nullptr);
    EXPECT_NEAR(captionAt(251)->width, mm(23), 1e-4);
    EXPECT_EQ(report.findCell(u"Memo26")->text(), QStringLiteral("1"));
    EXPECT_EQ(report.findCell(u"Memo42")->text(), QStringLiteral("17"));
    EXPECT_NEAR(report.findCell(u"Memo3")->height, mm(10), 1e-4);
    EXPECT_EQ(report.findCell(u"Memo3")->vAlign, VAlign::Center);
}

TEST(FrxDeca1, RowTexts)
{
    struct Case {
        const char *what;
        int row;
        int column;
        QString text;
    };
    const Case cases[] = {
        {"number of row 1", 1, 1, "1"},
        {"label of row 1", 1, 2, "Tifusni i paratifusni groznici"},
        {"code of row 1", 1, 3, "A01"},
        {"label of row 136 as printed", 136, 2, "Astma"},
        {"label of row 137 as printed", 137, 2, "Bronhiektazija"},
        {"label of row 138 as stored", 138, 2, "Drugi bolesti na respiratorniot siistem"},
        {"code text as stored, not as counted", 117, 3, "E03-E04, E06-E07"},
        {"two-line code text", 77, 3, "C00-C80,C86,C87\nC97,D06"},
        {"first lettered number", 228, 1, "a)"},
        {"last lettered number", 235, 1, "`)"},
        {"row 236 prints 228", 236, 1, "228"},
        {"row 244 prints 236", 244, 1, "236"},
        {"trailing blanks kept", 242, 3, "Z40-Z48,Z50-Z54   "},
        {"count cell empty", 1, 4, ""},
    };
    for (const Case &c : cases) {
        const TfrxMemoView *cell = rowCell(c.row, c.column);
        ASSERT_NE(cell, nullptr) << c.what;
        EXPECT_EQ(cell->text(), c.text) << c.what;
        EXPECT_EQ(cell->frame, FrameAll) << c.what;
    }
    // Row 218: 37 mm high, its code text of nine lines.
    const TfrxMemoView *code218 = rowCell(218, 3);
    ASSERT_NE(code218, nullptr);
    EXPECT_EQ(code218->memo.size(), 9);
    EXPECT_EQ(code218->memo.last(), QStringLiteral("T13-T14"));
}

TEST(FrxDeca1, FontsAndAlignment)
{
    const TfrxReport &report = frxDeca1();
    struct Case {
        const char *what;
        int row;
        int column;
        report::Font font;
        HAlign h;
        VAlign v;
    };
    const Case cases[] = {
        {"number on Page1: page font", 1, 1, font("MAC C Swiss", 13), HAlign::Center, VAlign::Center},
        {"label", 1, 2, font("MAC C Swiss", 12), HAlign::Left, VAlign::Center},
        {"code", 1, 3, font("Times New Roman", 13), HAlign::Left, VAlign::Center},
        {"count on Page1", 26, 4, font("MAC C Swiss", 13), HAlign::Center, VAlign::Center},
        {"last band on Page1 centred", 26, 17, font("MAC C Swiss", 13), HAlign::Center, VAlign::Center},
        {"last band on Page2 at the top", 27, 16, font("Arial", 13), HAlign::Center, VAlign::Top},
        {"other bands on Page2 centred", 27, 15, font("Arial", 13), HAlign::Center, VAlign::Center},
        {"counts on Page3 on the left", 62, 4, font("MAC C Swiss", 12), HAlign::Left, VAlign::Center},
        {"last band on Page3", 84, 17, font("MAC C Swiss", 12), HAlign::Left, VAlign::Top},
        {"Page4 counts as usual", 85, 17, font("Arial", 13), HAlign::Center, VAlign::Center},
        {"label of row 108", 108, 2, font("MAC C Swiss", 13), HAlign::Left, VAlign::Center},
        {"number of row 108", 108, 1, font("Arial", 13), HAlign::Center, VAlign::Center},
        {"code of row 108", 108, 3, font("Arial", 13), HAlign::Left, VAlign::Center},
        {"code of row 154", 154, 3, font("Arial", 15), HAlign::Left, VAlign::Center},
        {"code of row 217", 217, 3, font("Arial", 12), HAlign::Left, VAlign::Center},
        {"label of row 231", 231, 2, font("MAC C Swiss", 13), HAlign::Left, VAlign::Center},
        {"number of row 231 in letters", 231, 1, font("MAC C Swiss", 13), HAlign::Center, VAlign::Center},
        {"number of row 234: page font", 234, 1, font("Arial", 16), HAlign::Center, VAlign::Center},
        {"number of row 228: page font", 228, 1, font("Arial", 13), HAlign::Center, VAlign::Center},
        {"count on Page10", 244, 4, font("Arial", 16), HAlign::Center, VAlign::Center},
    };
    for (const Case &c : cases) {
        const TfrxMemoView *cell = rowCell(c.row, c.column);
        ASSERT_NE(cell, nullptr) << c.what;
        const Placed at = placed(report, cell->name);
        const report::Font resolved = report.resolvedFont(report.pages[std::size_t(at.page - 1)], nullptr, *cell);
        EXPECT_EQ(resolved, c.font) << c.what << ": " << resolved.name.toStdString() << " " << resolved.height;
        EXPECT_EQ(resolved.bold, c.font.bold) << c.what;
        EXPECT_EQ(cell->hAlign, c.h) << c.what;
        EXPECT_EQ(cell->vAlign, c.v) << c.what;
    }
    const report::TfrxReportTitle *band = &*report.pages[0].title;
    EXPECT_EQ(report.resolvedFont(report.pages[0], band, *report.findCell(u"pzu")), font("maC C Swiss", 13));
    EXPECT_EQ(report.resolvedFont(report.pages[0], band, *report.findCell(u"lekar")), font("MAC C Swiss", 15));
}

TEST(FrxDeca1, SplitAndStackedTexts)
{
    const TfrxReport &report = frxDeca1();
    struct Case {
        const char *what;
        int row;
        QString text;
        double x, dy, width, height; // mm
        report::Font font;
        std::uint8_t frame;
        VAlign v;
    };
    using namespace report;
    constexpr std::uint8_t LTB = FrameLeft | FrameTop | FrameBottom;
    constexpr std::uint8_t RTB = FrameRight | FrameTop | FrameBottom;
    const Case cases[] = {
        {"Q of row 30", 30, "Q -", 10, 0, 8, 5, font("Arial", 13), LTB, VAlign::Center},
        {"rest of row 30", 30, "treska", 18, 0, 73, 5, font("MAC C Swiss", 12), RTB, VAlign::Center},
        {"Hodgkin of row 73", 73, "Hodgkin -", 10, 0, 15, 5, font("Arial", 12), LTB, VAlign::Center},
        {"rest of row 74", 74, "ov limfom", 30, 0, 61, 5, font("MAC C Swiss", 12), RTB, VAlign::Center},
        {"Crohn in the page font", 147, "Crohn -", 10, 0, 13, 5, font("Arial", 13), LTB, VAlign::Center},
        {"Down in the page font", 203, "Down -", 10, 0, 13, 5, font("Arial", 13), LTB, VAlign::Center},
        {"rest of row 203", 203, "ov sindrom ", 23, 0, 68, 5, font("MAC C Swiss", 12), RTB, VAlign::Center},
        {"first line of row 66", 66, "Pedikuloza predizvikana so ", 10, 0, 81, 5, font("MAC C Swiss", 12),
         FrameLeft | FrameRight | FrameTop, VAlign::Center},
        {"Latin line of row 66", 66, "Pediculus humanus capitis", 10, 5, 81, 5, font("Arial", 12),
         FrameLeft | FrameRight | FrameBottom, VAlign::Center},
        {"Latin line of row 67", 67, "Pedikulus humanus corporis", 10, 5, 81, 5, font("Arial", 12),
         FrameLeft | FrameRight | FrameBottom, VAlign::Center},
        {"first line of row 80", 80, "Anemija poradi deficit na glikoza 6-fosfat", 10, 0, 81, 5,
         font("MAC C Swiss", 12), FrameLeft | FrameRight | FrameTop, VAlign::Center},
        {"dehidrogeneza", 80, "dehidrogeneza", 10, 5, 24, 5, font("MAC C Swiss", 12), FrameLeft | FrameBottom,
         VAlign::Center},
        {"(G6PD)", 80, "(G6PD)", 34, 5, 57, 5, font("Arial", 12), FrameRight | FrameBottom, VAlign::Center},
        {"code of row 83", 83, "D51-D55,D58-D64", 91, 0, 40, 5, font("Arial", 13), FrameLeft | FrameRight | FrameTop,
         VAlign::Top},
        {"(bez under it", 83, "\n(bez ", 91, 5, 8, 5, font("MAC C Swiss", 13), FrameLeft | FrameBottom,
         VAlign::Bottom},
        {"D55.0) beside it", 83, "D55.0)", 99, 5, 32, 5, font("Times New Roman", 13), FrameRight | FrameBottom,
         VAlign::Center},
    };
    for (const Case &c : cases) {
        const Placed first = placed(report, countCell(c.row, 4));
        ASSERT_NE(first.cell, nullptr) << c.what;
        const TfrxReportPage &page = report.pages[std::size_t(first.page - 1)];
        const TfrxMemoView *piece = nullptr;
        for (const TfrxMemoView &cell : page.cells)
            if (cell.text() == c.text && std::abs(cell.left - mm(c.x)) < 1e-4 && cell.top >= first.cell->top - 1e-4
                && cell.top < first.cell->top + first.cell->height)
                piece = &cell;
        ASSERT_NE(piece, nullptr) << c.what;
        EXPECT_NEAR(piece->top, first.cell->top + mm(c.dy), 1e-4) << c.what;
        EXPECT_NEAR(piece->width, mm(c.width), 1e-4) << c.what;
        EXPECT_NEAR(piece->height, mm(c.height), 1e-4) << c.what;
        EXPECT_EQ(report.resolvedFont(page, nullptr, *piece), c.font) << c.what;
        EXPECT_EQ(piece->frame, c.frame) << c.what;
        EXPECT_EQ(piece->vAlign, c.v) << c.what;
    }
}

TEST(FrxDeca1, SubtotalLines)
{
    const TfrxReport &report = frxDeca1();
    struct Case {
        const char *chapter;
        QString firstCell;
        QString caption;
        QString numeral;
        double numeralX;
        QString range;
        report::Font rangeFont;
        report::Font cellFont;
        double height;
    };
    const Case cases[] = {
        {"I", "S14", "SUBTOTAL - GLAVA", " I", 67, "A00 - B99", font("Arial", 16, true), font("MAC C Swiss", 15, true),
         10},
        {"II", "S24", "SUBTOTAL - GLAVA", " II", 67, "C00-D48", font("Times New Roman", 13, true),
         font("MAC C Swiss", 15, true), 10},
        {"III", "S34", "SUBTOTAL - GLAVA ", " III", 68, "D50-D89", font("Times New Roman", 13, true),
         font("Arial", 15, true), 10},
        {"VII", "S74", "SUBTOTAL - GLAVA", " VII", 69, "H00-H59", font("Arial", 13, true), font("Arial", 15, true),
         10},
        {"VIII", "S84", "SUBTOTAL - GLAVA", " VIII", 69, "H60-E95", font("Times New Roman", 13, true),
         font("Arial", 15, true), 9},
        {"XI", "S0114", "SUBTOTAL - GLAVA ", " XI", 69, "K00-K93", font("Times New Roman", 13, true),
         font("Arial", 15, true), 10},
        {"XXI on Page10", "S0214", "SUBTOTAL - GLAVA", " XXI", 68, "Z00-Z99", font("Times New Roman", 13, true),
         font("Arial", 15, true), 9},
    };
    for (const Case &c : cases) {
        const Placed first = placed(report, c.firstCell);
        ASSERT_NE(first.cell, nullptr) << c.chapter;
        const TfrxReportPage &page = report.pages[std::size_t(first.page - 1)];
        std::vector<const TfrxMemoView *> line;
        for (const TfrxMemoView &cell : page.cells)
            if (std::abs(cell.top - first.cell->top) < 1e-4 && cell.left < mm(131) - 1e-4)
                line.push_back(&cell);
        ASSERT_EQ(line.size(), 4u) << c.chapter;
        EXPECT_EQ(line[0]->text(), QString()) << c.chapter;
        EXPECT_EQ(line[0]->frame, FrameAll) << c.chapter;
        EXPECT_EQ(line[1]->text(), c.caption) << c.chapter;
        EXPECT_NEAR(line[1]->left + line[1]->width, mm(c.numeralX), 1e-4) << c.chapter;
        EXPECT_EQ(line[1]->hAlign, HAlign::Right) << c.chapter;
        EXPECT_EQ(report.resolvedFont(page, nullptr, *line[1]), font("MAC C Swiss", 16, true)) << c.chapter;
        EXPECT_EQ(line[2]->text(), c.numeral) << c.chapter;
        EXPECT_NEAR(line[2]->left, mm(c.numeralX), 1e-4) << c.chapter;
        EXPECT_NEAR(line[2]->left + line[2]->width, mm(91), 1e-4) << c.chapter;
        EXPECT_EQ(report.resolvedFont(page, nullptr, *line[2]), font("Arial", 16, true)) << c.chapter;
        EXPECT_EQ(line[3]->text(), c.range) << c.chapter;
        EXPECT_EQ(report.resolvedFont(page, nullptr, *line[3]), c.rangeFont) << c.chapter;
        EXPECT_EQ(report.resolvedFont(page, nullptr, *first.cell), c.cellFont) << c.chapter;
        EXPECT_EQ(first.cell->hAlign, HAlign::Center) << c.chapter;
        for (const TfrxMemoView *cell : line)
            EXPECT_NEAR(cell->height, mm(c.height), 1e-4) << c.chapter;
    }
}

// A catalogue of plain rows in the shape of the pages: the split and stacked
// texts get their cells and lines, unless a case replaces their line.
QString shapedCatalogue(int rows, const std::map<int, QString> &replaced, const QString &blocks)
{
    const std::map<int, QString> shaped = {
        {30, "\"Q -\" \"treska\"; \"A78\""},       {73, "\"H -\" \"ova\"; \"C81\""},
        {74, "\"H -\" \"ov\"; \"C82\""},           {147, "\"C -\" \"ova\"; \"K50\""},
        {203, "\"D -\" \"ov\"; \"Q90\""},          {66, "\"P\" / \"capitis\"; \"B85\""},
        {67, "\"P\" / \"corporis\"; \"B85\""},     {80, "\"A\" / \"d\" \"(G6PD)\"; \"D55\""},
        {83, "\"D\"; \"D51\" / \"(bez \" \"D55.0)\"; counts D51"},
    };
    QString out;
    for (int row = 1; row <= rows; ++row) {
        if (const auto found = replaced.find(row); found != replaced.end())
            out += found->second + QLatin1Char('\n');
        else if (const auto shape = shaped.find(row); shape != shaped.end())
            out += QStringLiteral("%1 %2\n").arg(row).arg(shape->second);
        else
            out += QStringLiteral("%1 \"Row %1\"; \"A01\"\n").arg(row);
    }
    return out + blocks;
}

QString blockLines(std::initializer_list<int> lasts, const QStringList &keys = {})
{
    // The keys of the report: "1" to "10", then three digits from "011".
    return tarel::testing::blockLines(lasts, [&keys](int number) {
        if (!keys.isEmpty())
            return keys.value(number - 1);
        return number <= 10 ? QString::number(number) : QStringLiteral("0%1").arg(number);
    });
}

TEST(FrxDeca1, MisfittingCataloguesAreNamed)
{
    const std::initializer_list<int> lasts = {72,  78,  85,  102, 105, 108, 114, 117, 124, 138,
                                              151, 157, 169, 180, 189, 204, 207, 227, 235, 244};
    const QString blocks = blockLines(lasts);
    struct Case {
        const char *what;
        QString catalogue;
        QString error; // empty: fits
    };
    const Case cases[] = {
        {"the shape of the pages", shapedCatalogue(244, {}, blocks), ""},
        {"a row short",
         shapedCatalogue(243, {}, blockLines({72, 78, 85, 102, 105, 108, 114, 117, 124, 138, 151, 157, 169, 180, 189,
                                              204, 207, 227, 235, 243})),
         "has 243 rows; the pages of frxDeca1 hold 244"},
        {"block 6 ending a row early",
         shapedCatalogue(244, {}, blockLines({72, 78, 85, 102, 105, 107, 114, 117, 124, 138, 151, 157, 169, 180, 189,
                                              204, 207, 227, 235, 244})),
         "Chapter block 6 ends with row 107; its subtotal line in frxDeca1 follows row 108"},
        {"chapters XX and XXI in one block",
         shapedCatalogue(244, {}, blockLines({72, 78, 85, 102, 105, 108, 114, 117, 124, 138, 151, 157, 169, 180, 189,
                                              204, 207, 227, 244})),
         "has 19 chapter blocks; the pages of frxDeca1 hold 20 subtotal lines"},
        {"row 30 in one cell", shapedCatalogue(244, {{30, "30 \"Q-treska\"; \"A78\""}}, blocks),
         "Row 30: the label has 1 cells; frxDeca1 prints it in 2"},
        {"row 66 on one line", shapedCatalogue(244, {{66, "66 \"Pedikuloza\"; \"B85\""}}, blocks),
         "Row 66: cell 1 of the label has 1 lines; frxDeca1 prints 2"},
        {"row 83 code in one cell", shapedCatalogue(244, {{83, "83 \"D\"; \"D51\" / \"(bez D55.0)\"; counts D51"}}, blocks),
         "Row 83: the code text has 1 cells; frxDeca1 prints it in 2"},
        {"keys that spell a subtotal name twice",
         shapedCatalogue(244, {}, blockLines(lasts, {"1", "2", "3", "4", "5", "6", "7", "8", "9", "10", "11", "012",
                                                     "013", "014", "016", "017", "018", "019", "020", "021"})),
         "Chapter blocks 1 and 11 both name a subtotal cell S114"},
        {"a plain row in two cells", shapedCatalogue(244, {{5, "5 \"Ami\" + \"bijaza\"; \"A06\""}}, blocks),
         "Row 5: the label has 2 cells; frxDeca1 prints it in 1"},
    };
    for (const Case &c : cases) {
        const Result<tabulation::RowCatalogue> parsed = tabulation::RowCatalogue::parse(c.catalogue, "test");
        ASSERT_TRUE(parsed.ok()) << c.what << ": " << parsed.message().toStdString();
        tarel::testing::expectFit(reports::checkFrxDeca1Catalogue(parsed.value()), c.error, c.what);
        // The template is complete even so, with unique names.
        const TfrxReport built = reports::buildFrxDeca1(parsed.value());
        EXPECT_EQ(built.cellCount(), 4740) << c.what;
        QSet<QString> names;
        for (const auto &[page, inBand, cell] : allCells(built))
            names.insert(cell->name.toLower());
        EXPECT_EQ(names.size(), built.cellCount()) << c.what;
    }

    // A text of more lines than its pieces keeps the surplus in the last piece.
    const Result<tabulation::RowCatalogue> longer = tabulation::RowCatalogue::parse(
        shapedCatalogue(244, {{66, "66 \"P\" / \"capitis\" / \"more\"; \"B85\""}}, blocks), "test");
    ASSERT_TRUE(longer.ok()) << longer.message().toStdString();
    const TfrxReport built = reports::buildFrxDeca1(longer.value());
    bool kept = false;
    for (const auto &[page, inBand, cell] : allCells(built))
        kept = kept || cell->text() == QStringLiteral("capitis\nmore");
    EXPECT_TRUE(kept);

    // A catalogue shorter than the pages: its rows print, the rest stay empty,
    // and the subtotal cells of missing blocks keep unique names.
    const Result<tabulation::RowCatalogue> shortOne = tabulation::RowCatalogue::parse(
        QStringLiteral("1 \"Tifusni\"; \"A01\"\n2 \"Drugi\"; \"A02\"\nblock 1 rows 1-2 code \"1\" numeral \" I\" range \"A\"\n"),
        "short");
    ASSERT_TRUE(shortOne.ok()) << shortOne.message().toStdString();
    EXPECT_FALSE(reports::checkFrxDeca1Catalogue(shortOne.value()).ok());
    const TfrxReport partial = reports::buildFrxDeca1(shortOne.value());
    EXPECT_EQ(partial.cellCount(), 4740);
    EXPECT_NE(partial.findCell(u"s14"), nullptr);
    EXPECT_EQ(partial.findCell(u"s24"), nullptr);
    EXPECT_NE(partial.findCell(countCell(244, 17)), nullptr);
}
