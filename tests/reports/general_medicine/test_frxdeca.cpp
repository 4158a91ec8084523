// The template frxDeca built from the general-medicine catalogue: page order,
// line positions, the names the run looks up, fonts and frames.

#include "catalogue.h"
#include "frxdeca.h"
#include "generalmedicine.h"
#include "layoutexpect.h"

#include <QElapsedTimer>
#include <QSet>

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <map>

using namespace tarel;
using report::FrameAll;
using report::mm;
using report::TfrxMemoView;
using report::TfrxReport;
using report::TfrxReportPage;
using tarel::testing::Placed;
using tarel::testing::placed;
using tarel::testing::toMm;

namespace {

const tabulation::RowCatalogue &catalogue()
{
    return tarel::testing::loadedCatalogue(reports::generalMedicineCatalogue());
}

const TfrxReport &frxDeca()
{
    static const TfrxReport report = [] {
        // Building is part of the main window's start: print how long it takes.
        double first = 0;
        double fastest = 0;
        for (int i = 0; i < 5; ++i) {
            QElapsedTimer timer;
            timer.start();
            const TfrxReport built = reports::buildFrxDeca(catalogue());
            const double ms = double(timer.nsecsElapsed()) / 1e6;
            first = i == 0 ? ms : first;
            fastest = i == 0 || ms < fastest ? ms : fastest;
        }
        std::printf("frxDeca built in %.2f ms (first), %.2f ms (fastest of 5)\n", first, fastest);
        return reports::buildFrxDeca(catalogue());
    }();
    return report;
}

QString rowCell(int row, int column) // column 1 to 19
{
    return QStringLiteral("memo%1").arg(19 * row + 47 + column);
}

constexpr double kTolerance = 1e-6;

} // namespace

TEST(FrxDeca, CatalogueFitsThePages)
{
    const Result<void> fits = reports::checkFrxDecaCatalogue(catalogue());
    EXPECT_TRUE(fits.ok()) << (fits ? std::string() : fits.message().toStdString());
}

TEST(FrxDeca, PagesAndTitleBand)
{
    const TfrxReport &report = frxDeca();
    EXPECT_EQ(report.name, QStringLiteral("frxDeca"));
    ASSERT_EQ(report.pages.size(), 13u);
    for (std::size_t p = 0; p < report.pages.size(); ++p) {
        const TfrxReportPage &page = report.pages[p];
        EXPECT_EQ(page.name, QStringLiteral("Page%1").arg(p + 1));
        EXPECT_EQ(page.paperSize, 9);
        EXPECT_TRUE(page.landscape);
        EXPECT_EQ(page.paperWidth, 297);
        EXPECT_EQ(page.paperHeight, 210);
        EXPECT_EQ(page.leftMargin, 5);
        EXPECT_EQ(page.rightMargin, 5);
        EXPECT_EQ(page.topMargin, 5);
        EXPECT_EQ(page.bottomMargin, 5);
        EXPECT_EQ(page.title.has_value(), p == 0) << page.name.toStdString();
    }
    const report::TfrxReportTitle &band = *report.pages[0].title;
    EXPECT_EQ(band.name, QStringLiteral("ReportTitle1"));
    EXPECT_NEAR(band.width, 1084.72511, 1e-5);
    EXPECT_NEAR(band.height, 98.26778, 1e-5);
    EXPECT_NEAR(band.top, 18.89765, 1e-5);
    EXPECT_EQ(band.cells.size(), 10u);
    for (const TfrxMemoView &cell : band.cells) {
        EXPECT_EQ(cell.frame, report::FrameNone) << cell.name.toStdString();
        EXPECT_LE(cell.left + cell.width, band.width + kTolerance) << cell.name.toStdString();
        // "Lekar:" reaches 0.3 mm below the band as laid out; nothing may reach the table head at 32 mm.
        EXPECT_LE(cell.top + cell.height, mm(32)) << cell.name.toStdString();
    }
}

TEST(FrxDeca, CellCountAndUniqueNames)
{
    const TfrxReport &report = frxDeca();
    // 10 title cells, 65 in the head of Page1, 12 column-number lines of 19,
    // 308 rows of 19 (a composite text replacing its one cell by its pieces:
    // 14 more cells), 20 subtotal lines of 20.
    EXPECT_EQ(report.cellCount(), 6569);

    QSet<QString> names;
    auto add = [&names](const TfrxMemoView &cell) {
        const QString key = cell.name.toLower();
        EXPECT_FALSE(key.isEmpty());
        EXPECT_FALSE(names.contains(key)) << "duplicate " << cell.name.toStdString();
        names.insert(key);
    };
    for (const TfrxReportPage &page : report.pages) {
        if (page.title)
            for (const TfrxMemoView &cell : page.title->cells)
                add(cell);
        for (const TfrxMemoView &cell : page.cells)
            add(cell);
    }
    EXPECT_EQ(names.size(), report.cellCount());
}

TEST(FrxDeca, EveryNameTheRunLooksUpExists)
{
    const TfrxReport &report = frxDeca();
    QStringList looked;
    for (int row = 1; row <= 308; ++row)
        for (int k = 0; k < 16; ++k)
            looked << QStringLiteral("memo%1").arg(19 * row + 51 + k);
    for (const tabulation::ChapterBlock &block : catalogue().blocks())
        for (int column = 4; column <= 19; ++column)
            looked << QStringLiteral("s") + block.code + QString::number(column);
    for (int column = 4; column <= 19; ++column)
        looked << QStringLiteral("v%1").arg(column);
    looked << QStringLiteral("gradselo") << QStringLiteral("lekar") << QStringLiteral("pzu")
           << QStringLiteral("dataod") << QStringLiteral("datado");
    EXPECT_EQ(looked.size(), 308 * 16 + 20 * 16 + 16 + 5);
    for (const QString &name : looked)
        EXPECT_NE(report.findCell(name), nullptr) << name.toStdString();

    // The stored spelling of a few of them.
    EXPECT_EQ(report.findCell(u"memo70")->name, QStringLiteral("Memo70"));
    EXPECT_EQ(report.findCell(u"s0114")->name, QStringLiteral("S0114"));
    EXPECT_EQ(report.findCell(u"s02019")->name, QStringLiteral("S02019"));
    EXPECT_EQ(report.findCell(u"gradselo")->name, QStringLiteral("GradSelo"));
    EXPECT_EQ(report.findCell(u"no-such-cell"), nullptr);
}

TEST(FrxDeca, LinePositions)
{
    struct Case {
        const char *what;
        QString cell;
        int page;
        double y;      // mm
        double height; // mm
    };
    const Case cases[] = {
        {"row 1 under the grand-total line", rowCell(1, 1), 1, 52, 5},
        {"row 18, fifteen mm", rowCell(18, 2), 1, 52 + 17 * 5 + 5, 15},
        {"row 24 opens Page2", rowCell(24, 1), 2, 5, 5},
        {"subtotal I under row 59", QStringLiteral("S14"), 3, 5 + 5 + 5 + 15, 10},
        {"subtotal VI opens Page6", QStringLiteral("S64"), 6, 5, 9},
        {"row 132 under subtotal VI", rowCell(132, 1), 6, 14, 5},
        {"subtotal XVII, block 16", QStringLiteral("S0164"), 10, 5 + 5 + 5 + 10 + 10, 9},
        {"subtotal XX opens Page12", QStringLiteral("S0194"), 12, 5, 9},
        {"row 262 opens Page11, fifty mm", rowCell(262, 3), 11, 5, 50},
        {"row 302 opens Page13", rowCell(302, 19), 13, 5, 10},
        {"row 308 above subtotal XXI", rowCell(308, 1), 13, 40, 15},
        {"subtotal XXI closes Page13", QStringLiteral("S02019"), 13, 55, 10},
        {"grand total", QStringLiteral("v4"), 1, 47, 5},
    };
    for (const Case &c : cases) {
        const Placed at = placed(frxDeca(), c.cell);
        ASSERT_NE(at.cell, nullptr) << c.what;
        EXPECT_EQ(at.page, c.page) << c.what;
        EXPECT_NEAR(at.cell->top, mm(c.y), 1e-4) << c.what;
        EXPECT_NEAR(at.cell->height, mm(c.height), 1e-4) << c.what;
    }
}

TEST(FrxDeca, LinesFollowEachOtherWithoutGaps)
{
    const TfrxReport &report = frxDeca();
    for (std::size_t p = 0; p < report.pages.size(); ++p) {
        const TfrxReportPage &page = report.pages[p];
        // The tops and heights of the lines, read off the ordinal column.
        std::map<long, double> lines; // top in 1/1000 mm -> height in mm
        for (const TfrxMemoView &cell : page.cells)
            if (std::abs(cell.left) < kTolerance)
                lines[std::lround(toMm(cell.top) * 1000)] = toMm(cell.height);
        ASSERT_FALSE(lines.empty());
        double expectedTop = p == 0 ? 32 : 0;
        for (const auto &[top, height] : lines) {
            EXPECT_NEAR(top / 1000.0, expectedTop, 1e-3) << page.name.toStdString();
            expectedTop = top / 1000.0 + height;
        }
        EXPECT_LE(expectedTop, 200 + 1e-3) << page.name.toStdString();
        if (p == 12) {
            EXPECT_NEAR(expectedTop, 65, 1e-3);
        }
        for (const TfrxMemoView &cell : page.cells) {
            EXPECT_LE(cell.top + cell.height, page.printableHeight() + 1e-3) << cell.name.toStdString();
            EXPECT_LE(cell.left + cell.width, mm(286) + 1e-3) << cell.name.toStdString();
        }
        if (p > 0) {
            // The column-number line comes first, at the top of the printable area.
            for (int column = 0; column < 19; ++column) {
                const TfrxMemoView &number = page.cells[std::size_t(column)];
                EXPECT_EQ(number.top, 0) << page.name.toStdString();
                EXPECT_EQ(number.text(), QString::number(column + 1));
            }
        }
    }
}

TEST(FrxDeca, RowCellsFollowTheColumnGrid)
{
    const TfrxReport &report = frxDeca();
    const double xs[] = {0, 10, 91};
    const double widths[] = {10, 81, 35};
    for (int row : {1, 100, 262, 308}) {
        for (int column = 1; column <= 19; ++column) {
            const TfrxMemoView *cell = report.findCell(rowCell(row, column));
            ASSERT_NE(cell, nullptr) << row << "/" << column;
            const double x = column <= 3 ? xs[column - 1] : 126 + 10 * (column - 4);
            const double width = column <= 3 ? widths[column - 1] : 10;
            EXPECT_NEAR(cell->left, mm(x), 1e-4) << row << "/" << column;
            EXPECT_NEAR(cell->width, mm(width), 1e-4) << row << "/" << column;
            EXPECT_EQ(cell->frame, FrameAll) << row << "/" << column;
        }
    }
}

TEST(FrxDeca, RowTexts)
{
    const TfrxReport &report = frxDeca();
    struct Case {
        const char *what;
        QString cell;
        QString text;
        report::VAlign vAlign;
    };
    const Case cases[] = {
        {"ordinal of row 1", rowCell(1, 1), "1", report::VAlign::Top},
        {"label of row 1", rowCell(1, 2), "Tifusni i paratifusni groznici", report::VAlign::Center},
        {"code of row 1", rowCell(1, 3), "A01", report::VAlign::Center},
        {"two-line label", rowCell(40, 2), "Bolest od virusot na humna\n imunodeficiencija (HIV)",
         report::VAlign::Center},
        {"lettered ordinal", rowCell(277, 1), "|", report::VAlign::Top},
        {"printed number of row 308", rowCell(308, 1), "300", report::VAlign::Top},
        {"label at the top, rows 216-243", rowCell(216, 2), "Zaboluvawe na mekite tkiva", report::VAlign::Top},
        {"label centred again from row 244", rowCell(244, 2), "Konhgenitalni deformacii na kolk",
         report::VAlign::Center},
        {"label at the top, rows 280-308", rowCell(280, 2), "Pregled na krve pritisok", report::VAlign::Top},
        {"data cell empty", rowCell(1, 4), "", report::VAlign::Center},
    };
    for (const Case &c : cases) {
        const TfrxMemoView *cell = report.findCell(c.cell);
        ASSERT_NE(cell, nullptr) << c.what;
        EXPECT_EQ(cell->text(), c.text) << c.what;
        EXPECT_EQ(cell->vAlign, c.vAlign) << c.what;
    }

    // Row 262: fifty mm high, its code text of twelve lines at the top.
    const TfrxMemoView *code262 = report.findCell(rowCell(262, 3));
    ASSERT_NE(code262, nullptr);
    EXPECT_EQ(code262->memo.size(), 12);
    EXPECT_EQ(code262->memo.first(), QStringLiteral("S00-S01,S04,S09-S11,"));
    EXPECT_EQ(code262->memo.last(), QStringLiteral("T11,T13-T14"));
    EXPECT_EQ(code262->vAlign, report::VAlign::Top);
    EXPECT_NEAR(code262->height, mm(50), 1e-4);
}

TEST(FrxDeca, Fonts)
{
    const TfrxReport &report = frxDeca();
    struct Case {
        const char *what;
        QString cell;
        report::Font font;
    };
    const auto font = [](const char *name, double height, bool bold = false) {
        report::Font f;
        f.name = QString::fromLatin1(name);
        f.height = height;
        f.bold = bold;
        return f;
    };
    const Case cases[] = {
        {"title", "Memo1", font("MAC C Swiss", 16, true)},
        {"pzu: band font", "pzu", font("MAC C Swiss", 13)},
        {"lekar", "lekar", font("MAC C Swiss", 15)},
        {"data cell on Page1: page font", rowCell(1, 4), font("MAC C Swiss", 13)},
        {"ordinal on Page1: page font", rowCell(1, 1), font("MAC C Swiss", 13)},
        {"data cell on Page2: report default", rowCell(24, 4), font("Arial", 13)},
        {"data cell on Page3: page font", rowCell(60, 4), font("MAC C Swiss", 12)},
        {"label", rowCell(100, 2), font("MAC C Swiss", 12)},
        {"code", rowCell(100, 3), font("Times New Roman", 13)},
        {"lettered ordinal", rowCell(272, 1), font("MAC C Swiss", 13)},
        {"numbered ordinal on Page11", rowCell(271, 1), font("Arial", 13)},
        {"grand total", "v4", font("MAC C Swiss", 13)},
        {"subtotal cell", "S0114", font("Arial", 15, true)},
    };
    for (const Case &c : cases) {
        const Placed at = placed(report, c.cell);
        const TfrxReportPage *page = at.cell ? &report.pages[std::size_t(at.page - 1)] : &report.pages[0];
        const TfrxMemoView *cell = at.cell ? at.cell : report.findCell(c.cell);
        ASSERT_NE(cell, nullptr) << c.what;
        const report::TfrxReportTitle *band = at.cell ? nullptr : &*report.pages[0].title;
        EXPECT_EQ(report.resolvedFont(*page, band, *cell), c.font)
            << c.what << ": " << report.resolvedFont(*page, band, *cell).name.toStdString();
    }
}

TEST(FrxDeca, CompositeTexts)
{
    const TfrxReport &report = frxDeca();
    // The pieces replace the one label or code cell of their row.
    for (auto [row, column] : {std::pair{27, 2}, {87, 2}, {88, 2}, {91, 2}, {98, 2}, {123, 2}, {124, 2}, {192, 2},
                               {196, 3}, {206, 3}})
        EXPECT_EQ(report.findCell(rowCell(row, column)), nullptr) << row;

    // Every piece lies within its row; find them by text on their page.
    struct Case {
        const char *what;
        int row;
        QString text;
        double x, dy, width, height; // mm
        std::uint8_t frame;
        bool percent;
    };
    using namespace report;
    const Case cases[] = {
        {"Q of row 27", 27, "Q", 11, 0, 3, 5, FrameTop | FrameBottom, false},
        {"rest of row 27", 27, "-treska", 14, 0, 77, 5, FrameNone, false},
        {"in situ of row 91", 91, "in situ", 26, 0, 10, 5, FrameTop | FrameBottom, false},
        {"second line of row 98", 98, "neoplazmi so nesigurna ili so nepoznata priroda", 10, 5, 81, 10,
         FrameLeft | FrameRight | FrameBottom, false},
        {"first line of row 98", 98, "Drugi", 10, 0, 10, 5, FrameLeft | FrameTop, false},
        {"code of row 196", 196, "K52-K55,K58-K67\n", 91, 0, 35, 10, FrameLeft | FrameRight | FrameTop, false},
        {"remark of row 196", 196, "(bez K59.3)", 91, 5, 35, 5, FrameLeft | FrameRight, false},
        {"bez of row 206, a mm lower", 206, "bez", 100, 1, 6, 4, FrameNone, false},
        {"end of row 206", 206, ")L50.0", 106, 0, 20, 5, FrameRight | FrameTop, true},
    };
    for (const Case &c : cases) {
        const Placed ordinal = placed(report, rowCell(c.row, 1));
        ASSERT_NE(ordinal.cell, nullptr) << c.what;
        const TfrxMemoView *piece = nullptr;
        for (const TfrxMemoView &cell : report.pages[std::size_t(ordinal.page - 1)].cells)
            if (cell.text() == c.text && std::abs(cell.left - mm(c.x)) < 1e-4)
                piece = &cell;
        ASSERT_NE(piece, nullptr) << c.what;
        EXPECT_NEAR(piece->top, ordinal.cell->top + mm(c.dy), 1e-4) << c.what;
        EXPECT_NEAR(piece->width, mm(c.width), 1e-4) << c.what;
        EXPECT_NEAR(piece->height, mm(c.height), 1e-4) << c.what;
        EXPECT_EQ(piece->frame, c.frame) << c.what;
        EXPECT_TRUE(piece->name.startsWith(QStringLiteral("Memo"))) << c.what;
        EXPECT_GT(piece->name.mid(4).toInt(), 5918) << c.what;
    }
}

TEST(FrxDeca, SubtotalLineOfChapterXI)
{
    const TfrxReport &report = frxDeca();
    const Placed first = placed(report, QStringLiteral("S0114"));
    ASSERT_NE(first.cell, nullptr);
    QStringList captions;
    for (const TfrxMemoView &cell : report.pages[std::size_t(first.page - 1)].cells)
        if (std::abs(cell.top - first.cell->top) < 1e-4 && cell.left < mm(126) - 1e-4)
            captions << cell.text();
    EXPECT_EQ(captions, (QStringList{"", "SUBTOTAL - GLAVA", "XI", "K00 - K93"}));
    EXPECT_NEAR(first.cell->height, mm(9), 1e-4);
    EXPECT_EQ(report.findCell(u"s0114")->text(), QString());
}

// A catalogue of plain rows in the shape of the pages: composite texts get
// as many cells as they have pieces, unless a case replaces their line.
QString shapedCatalogue(int rows, const std::map<int, QString> &replaced, const QString &blocks)
{
    const std::map<int, std::pair<int, int>> composite = {
        {27, {2, 1}}, {87, {2, 1}}, {88, {2, 1}}, {91, {3, 1}}, {98, {4, 1}},
        {123, {2, 1}}, {124, {2, 1}}, {192, {2, 1}}, {196, {1, 2}}, {206, {1, 3}},
    };
    const auto cells = [](const QString &text, int count) {
        QStringList parts;
        for (int i = 0; i < count; ++i)
            parts << QStringLiteral("\"%1\"").arg(text);
        return parts.join(QStringLiteral(" + "));
    };
    QString out;
    for (int row = 1; row <= rows; ++row) {
        if (const auto found = replaced.find(row); found != replaced.end()) {
            out += found->second + QLatin1Char('\n');
            continue;
        }
        const auto shape = composite.count(row) ? composite.at(row) : std::pair{1, 1};
        out += QStringLiteral("%1 %2; %3\n").arg(row).arg(cells(QStringLiteral("Row %1").arg(row), shape.first),
                                                           cells(QStringLiteral("A01"), shape.second));
    }
    return out + blocks;
}

QString blockLines(std::initializer_list<int> lasts)
{
    return tarel::testing::blockLines(lasts, [](int number) { return QStringLiteral("c%1").arg(number); });
}

TEST(FrxDeca, MisfittingCataloguesAreNamed)
{
    const QString blocks =
        blockLines({59, 98, 102, 113, 121, 131, 141, 144, 166, 182, 202, 207, 219, 234, 239, 247, 251, 271, 279, 308});
    struct Case {
        const char *what;
        QString catalogue;
        QString error; // empty: fits
    };
    const Case cases[] = {
        {"the shape of the pages", shapedCatalogue(308, {}, blocks), ""},
        {"a row short", shapedCatalogue(307, {}, blockLines({59, 98, 102, 113, 121, 131, 141, 144, 166, 182, 202, 207,
                                                             219, 234, 239, 247, 251, 271, 279, 307})),
         "has 307 rows; the pages of frxDeca hold 308"},
        {"block 6 ending a row early",
         shapedCatalogue(308, {}, blockLines({59, 98, 102, 113, 121, 130, 141, 144, 166, 182, 202, 207, 219, 234, 239,
                                              247, 251, 271, 279, 308})),
         "Chapter block 6 ends with row 130; its subtotal line in frxDeca follows row 131"},
        {"chapters XX and XXI in one block",
         shapedCatalogue(308, {}, blockLines({59, 98, 102, 113, 121, 131, 141, 144, 166, 182, 202, 207, 219, 234, 239,
                                              247, 251, 271, 308})),
         "has 19 chapter blocks; the pages of frxDeca hold 20 subtotal lines"},
        {"row 27 in one cell", shapedCatalogue(308, {{27, "27 \"Q-treska\"; \"A78\""}}, blocks),
         "Row 27: the label has 1 cells; frxDeca prints it in 2"},
        {"row 206 code in two cells", shapedCatalogue(308, {{206, "206 \"U\"; \"L50(\" + \"bez)L50.0\"; counts L50"}}, blocks),
         "Row 206: the code text has 2 cells; frxDeca prints it in 3"},
        {"a plain row in two cells", shapedCatalogue(308, {{5, "5 \"Ami\" + \"bijaza\"; \"A06\""}}, blocks),
         "Row 5: the label has 2 cells; frxDeca prints it in 1"},
    };
    for (const Case &c : cases) {
        const Result<tabulation::RowCatalogue> parsed = tabulation::RowCatalogue::parse(c.catalogue, "test");
        ASSERT_TRUE(parsed.ok()) << c.what << ": " << parsed.message().toStdString();
        tarel::testing::expectFit(reports::checkFrxDecaCatalogue(parsed.value()), c.error, c.what);
        // The template is complete even so.
        const TfrxReport built = reports::buildFrxDeca(parsed.value());
        EXPECT_EQ(built.cellCount(), 6569) << c.what;
    }

    // A catalogue shorter than the pages: its rows print, the rest stay empty,
    // and the subtotal cells of missing blocks keep unique names.
    const Result<tabulation::RowCatalogue> shortOne = tabulation::RowCatalogue::parse(
        QStringLiteral("1 \"Tifusni\"; \"A01\"\n2 \"Drugi\"; \"A02\"\nblock 1 rows 1-2 code \"1\" numeral \" I\" range \"A\"\n"),
        "short");
    ASSERT_TRUE(shortOne.ok()) << shortOne.message().toStdString();
    EXPECT_FALSE(reports::checkFrxDecaCatalogue(shortOne.value()).ok());
    const TfrxReport partial = reports::buildFrxDeca(shortOne.value());
    EXPECT_EQ(partial.cellCount(), 6569);
    EXPECT_EQ(partial.findCell(rowCell(2, 2))->text(), QStringLiteral("Drugi"));
    EXPECT_EQ(partial.findCell(rowCell(3, 2))->text(), QString());
    EXPECT_NE(partial.findCell(u"s14"), nullptr);
    EXPECT_EQ(partial.findCell(u"s24"), nullptr);
    QSet<QString> names;
    for (const TfrxReportPage &page : partial.pages)
        for (const TfrxMemoView &cell : page.cells)
            names.insert(cell.name.toLower());
    EXPECT_EQ(names.size(), partial.cellCount() - 10);
}
