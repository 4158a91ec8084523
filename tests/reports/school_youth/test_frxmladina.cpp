#include "catalogue.h"
#include "export.h"
#include "frxmladina.h"
#include "layoutexpect.h"
#include "morbiditycells.h"
#include "morbiditycount.h"
#include "prepared.h"
#include "schoolyouth.h"
#include "schoolyouth.h"
#include "template.h"

#include <QColor>
#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QImage>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <algorithm>

using namespace tarel;
using namespace tarel::reports;
using report::TfrxMemoView;
using report::TfrxReport;
using report::TfrxReportPage;
using tarel::testing::allCells;
using tarel::testing::PlacedCell;
using tarel::testing::toMm;

namespace {

const tabulation::RowCatalogue &catalogue() { return tarel::testing::loadedCatalogue(schoolYouthCatalogue()); }

const TfrxReport &templ()
{
    static const TfrxReport built = buildFrxMladina(catalogue());
    return built;
}

QString memo(int number) { return QStringLiteral("memo") + QString::number(number); }

int pageOf(const TfrxReport &report, const TfrxMemoView *cell)
{
    for (const PlacedCell &placed : allCells(report))
        if (placed.cell == cell)
            return placed.page + 1;
    return 0;
}

// Every name the morbidity run looks up, written as the run writes it.
QStringList namesTheRunLooksUp()
{
    QStringList names;
    for (int r = 1; r <= 318; ++r)
        for (int k = 0; k < 14; ++k)
            names << memo(19 * r + 51 + k);
    for (const char *key : {"1", "2", "3", "4", "5", "6", "7", "8", "9", "10", "011", "012", "013", "014", "015",
                            "017", "018", "019", "020", "021"})
        for (int column = 4; column <= 17; ++column)
            names << QStringLiteral("s") + QString::fromLatin1(key) + QString::number(column);
    for (int column = 4; column <= 17; ++column)
        names << QStringLiteral("v") + QString::number(column);
    names << QStringLiteral("gradselo") << QStringLiteral("lekar") << QStringLiteral("pzu")
          << QStringLiteral("dataod") << QStringLiteral("datado");
    return names;
}

// The header as a run fills it.
const reports::MorbidityHeader kHeader{QStringLiteral("Grad i Selo"), QStringLiteral("Site lekari"),
                                       QStringLiteral("PZU [Zdravje] Skopje"), QStringLiteral("01.01.2024"),
                                       QStringLiteral("31.03.2024")};

} // namespace

TEST(FrxMladina, CatalogueFitsTheLayout)
{
    const Result<void> fits = checkFrxMladinaCatalogue(catalogue());
    EXPECT_TRUE(fits) << (fits ? "" : qPrintable(fits.error().message));
}

TEST(FrxMladina, PagesMarginsAndFonts)
{
    const TfrxReport &report = templ();
    EXPECT_EQ(report.name, QStringLiteral("frxMladina"));
    ASSERT_EQ(report.pages.size(), 13u);
    const report::Font swiss13{QStringLiteral("MAC C Swiss"), 13, false};
    const report::Font swiss12{QStringLiteral("MAC C Swiss"), 12, false};
    struct Case {
        int page;
        double right;
        std::optional<report::Font> font; // empty: the report default
    };
    const Case cases[] = {
        {1, 10, swiss13}, {2, 12, {}}, {3, 12, swiss12}, {4, 12, {}},  {5, 12, {}},  {6, 12, {}}, {7, 12, {}},
        {8, 12, {}},      {9, 12, {}}, {10, 5, {}},      {11, 5, {}},  {12, 5, {}},  {13, 12, {}},
    };
    for (const Case &c : cases) {
        const TfrxReportPage &page = report.pages[std::size_t(c.page - 1)];
        EXPECT_EQ(page.name, QStringLiteral("Page%1").arg(c.page));
        EXPECT_EQ(page.paperSize, 9) << c.page;
        EXPECT_TRUE(page.landscape) << c.page;
        EXPECT_EQ(page.leftMargin, 10) << c.page;
        EXPECT_EQ(page.rightMargin, c.right) << c.page;
        EXPECT_EQ(page.topMargin, 5) << c.page;
        EXPECT_EQ(page.bottomMargin, 5) << c.page;
        EXPECT_EQ(page.font, c.font) << c.page;
        EXPECT_EQ(page.title.has_value(), c.page == 1) << c.page;
    }
    const report::TfrxReportTitle &band = *report.pages[0].title;
    EXPECT_EQ(band.name, QStringLiteral("ReportTitle1"));
    EXPECT_NEAR(band.height, 98.26778, 1e-4);
    EXPECT_NEAR(band.width, report.pages[0].printableWidth(), 1e-9);
}

// 10 title-band cells, 58 head cells on Page1, 12 strips of 17, 318 rows of
// 17 with 8 more pieces in the split texts, 20 subtotal lines of 18.
TEST(FrxMladina, CellCount)
{
    EXPECT_EQ(templ().cellCount(), 10 + 58 + 12 * 17 + 318 * 17 + 8 + 20 * 18);
    EXPECT_EQ(templ().cellCount(), 6046);
}

TEST(FrxMladina, NamesAreUniqueAndEveryLookedUpNameExistsOnce)
{
    const TfrxReport &report = templ();
    QHash<QString, int> uses;
    for (const PlacedCell &placed : allCells(report))
        ++uses[placed.cell->name.toLower()];
    for (auto it = uses.cbegin(); it != uses.cend(); ++it)
        EXPECT_EQ(it.value(), 1) << qPrintable(it.key());

    const QStringList names = namesTheRunLooksUp();
    EXPECT_EQ(names.size(), 318 * 14 + 20 * 14 + 14 + 5);
    for (const QString &name : names) {
        const TfrxMemoView *cell = report.findCell(name);
        ASSERT_NE(cell, nullptr) << qPrintable(name);
        EXPECT_EQ(cell->name.toLower(), name);
        EXPECT_TRUE(cell->text().isEmpty()) << qPrintable(name);
    }
}

// The cell the run writes for row r, column k lies on row r's line, in
// printed column 4 + k, on the page that holds the row.
TEST(FrxMladina, RowCellsLieOnTheirRowAndColumn)
{
    const TfrxReport &report = templ();
    for (int r = 1; r <= 318; ++r) {
        const TfrxMemoView *ordinal = report.findCell(memo(19 * r + 48));
        ASSERT_NE(ordinal, nullptr) << r;
        EXPECT_EQ(ordinal->text(), catalogue().rows()[std::size_t(r - 1)].ordinal) << r;
        const int page = pageOf(report, ordinal);
        for (int k = 0; k < 14; ++k) {
            const TfrxMemoView *cell = report.findCell(memo(19 * r + 51 + k));
            ASSERT_NE(cell, nullptr);
            EXPECT_EQ(pageOf(report, cell), page) << r << "/" << k;
            EXPECT_NEAR(cell->top, ordinal->top, 1e-9) << r << "/" << k;
            EXPECT_NEAR(cell->height, ordinal->height, 1e-9) << r << "/" << k;
            EXPECT_NEAR(toMm(cell->left), 131 + 10 * k + (page == 1 && k == 13 ? 1.5 : 0), 1e-6) << r << "/" << k;
        }
    }
}

// Where lines start and end, in mm from the top of the printable area.
TEST(FrxMladina, Positions)
{
    const TfrxReport &report = templ();
    struct Case {
        const char *what;
        QString name; // a cell of the line
        int page;
        double top;
        double height;
    };
    const Case cases[] = {
        {"first row of Page1", memo(19 * 1 + 51), 1, 52, 5},
        {"grand-total line", QStringLiteral("v4"), 1, 47, 5},
        {"row 6 (10 mm)", memo(19 * 6 + 51), 1, 52 + 25, 10},
        {"first row of Page2", memo(19 * 24 + 51), 2, 5, 5},
        {"first row of Page3", memo(19 * 57 + 51), 3, 5, 5},
        {"chapter I subtotal after rows 65 (10 mm) and 72 (17 mm)", QStringLiteral("S14"), 3, 5 + 14 * 5 + 10 + 17, 10},
        {"first row of Page4", memo(19 * 84 + 51), 4, 5, 5},
        {"chapter II subtotal opens Page5", QStringLiteral("S24"), 5, 5, 10},
        {"first row of Page6 (15 mm)", memo(19 * 136 + 51), 6, 5, 15},
        {"first row of Page7 (12 mm)", memo(19 * 158 + 51), 7, 5, 12},
        {"chapter VII subtotal (8 mm)", QStringLiteral("S74"), 7, 17, 8},
        {"first row of Page8", memo(19 * 187 + 51), 8, 5, 5},
        {"chapter XI subtotal ends Page8", QStringLiteral("S0114"), 8, 191, 8},
        {"first row of Page9", memo(19 * 217 + 51), 9, 5, 5},
        {"first row of Page10", memo(19 * 248 + 51), 10, 5, 5},
        {"chapter XVII subtotal opens Page11", QStringLiteral("S0174"), 11, 5, 9},
        {"row 287 (50 mm)", memo(19 * 287 + 51), 11, 126, 50},
        {"row 291 ends Page11 1 mm past the printable area", memo(19 * 291 + 51), 11, 191, 10},
        {"first row of Page12", memo(19 * 292 + 51), 12, 5, 5},
        {"first row of Page13", memo(19 * 314 + 51), 13, 5, 5},
        {"chapter XXI subtotal ends Page13", QStringLiteral("S0214"), 13, 40, 10},
    };
    for (const Case &c : cases) {
        const TfrxMemoView *cell = report.findCell(c.name);
        ASSERT_NE(cell, nullptr) << c.what;
        EXPECT_EQ(pageOf(report, cell), c.page) << c.what;
        EXPECT_NEAR(toMm(cell->top), c.top, 1e-6) << c.what;
        EXPECT_NEAR(toMm(cell->height), c.height, 1e-6) << c.what;
    }
}

// Every page ends where its last line ends; only Page11 reaches past the
// printable area (by 1 mm), and no cell sticks out to the right or above.
TEST(FrxMladina, PageEndsAndPrintableArea)
{
    const TfrxReport &report = templ();
    const double ends[] = {177, 198, 196, 199, 195, 193, 194, 199, 194, 198, 201, 194, 50};
    const double tableRight[] = {274, 271, 271, 271, 271, 271, 271, 271, 271, 271, 271, 271, 271};
    for (int p = 0; p < 13; ++p) {
        const TfrxReportPage &page = report.pages[std::size_t(p)];
        double bottom = 0;
        double right = 0;
        for (const TfrxMemoView &cell : page.cells) {
            bottom = std::max(bottom, cell.top + cell.height);
            right = std::max(right, cell.left + cell.width);
            EXPECT_GE(cell.top, 0) << qPrintable(cell.name);
            EXPECT_GE(cell.left, 0) << qPrintable(cell.name);
        }
        EXPECT_NEAR(toMm(bottom), ends[p], 1e-6) << "Page" << p + 1;
        EXPECT_NEAR(toMm(right), tableRight[p], 1e-6) << "Page" << p + 1;
        EXPECT_LE(right, page.printableWidth() + 1e-6) << "Page" << p + 1;
        const double overrun = toMm(bottom - page.printableHeight());
        EXPECT_NEAR(std::max(overrun, 0.0), p == 10 ? 1.0 : 0.0, 1e-6) << "Page" << p + 1;
    }
    for (const TfrxMemoView &cell : report.pages[0].title->cells) {
        EXPECT_LE(cell.left + cell.width, report.pages[0].title->width + 1e-6) << qPrintable(cell.name);
        EXPECT_LE(cell.top + cell.height, report.pages[0].title->height + 1e-6) << qPrintable(cell.name);
    }
}

TEST(FrxMladina, PrintedTexts)
{
    const TfrxReport &report = templ();
    const auto textOf = [&](const QString &name) {
        const TfrxMemoView *cell = report.findCell(name);
        return cell ? cell->text() : QStringLiteral("<missing %1>").arg(name);
    };
    struct Case {
        const char *what;
        QString name;
        QString text;
    };
    const Case cases[] = {
        {"title", QStringLiteral("Memo1"),
         QStringLiteral("UTVRDENI ZABOLUVAWA - SOSTOJBI SPORED VOZRASTA I POLOT NA U^ILI[NI DECA I MLADINA")},
        {"grand-total caption", QStringLiteral("Memo49"), QStringLiteral("Vkupno (1 - 310)")},
        {"last band caption", QStringLiteral("Memo11"), QStringLiteral("25g. i pove}e")},
        {"female column caption", QStringLiteral("Memo14"), QStringLiteral("`")},
        {"column number 17 on Page1", QStringLiteral("fghf"), QStringLiteral("17")},
        {"row 297 ordinal", memo(19 * 297 + 48), QStringLiteral("a)")},
        {"row 318 ordinal", memo(19 * 318 + 48), QStringLiteral("310")},
        {"row 21 code, two lines", memo(19 * 21 + 50), QStringLiteral("A20-A21, A24+A28\nA31-A35, A42-A49")},
    };
    for (const Case &c : cases)
        EXPECT_EQ(textOf(c.name), c.text) << c.what;
}

// Split texts print in adjacent pieces on the row's line; the texts read in order.
TEST(FrxMladina, SplitCells)
{
    const TfrxReport &report = templ();
    struct Case {
        int row;
        int column;
        QStringList texts;
        double top; // mm below the row's top of the last piece
    };
    const Case cases[] = {
        {10, 3, {QStringLiteral("A17-A19 ("), QStringLiteral("bez"), QStringLiteral("A18.0+)")}, 0},
        {31, 2, {QStringLiteral("Q"), QStringLiteral(" - treska")}, 0},
        {100, 2, {QStringLiteral("Hodkin-"), QStringLiteral("ova bolest")}, 0},
        {101, 2, {QStringLiteral("He-Hodkin-"), QStringLiteral("ov limfom")}, 0},
        {113, 2,
         {QStringLiteral("Anemija poradi deficit na glikoza - 6 - fosfat"), QStringLiteral("dehidrogeneza"),
          QStringLiteral("(G6PD)")},
         5},
        {208, 2, {QStringLiteral("Crohn"), QStringLiteral("ova bolest i ulcerativen kolit")}, 0},
    };
    for (const Case &c : cases) {
        const TfrxMemoView *ordinal = report.findCell(memo(19 * c.row + 48));
        ASSERT_NE(ordinal, nullptr);
        const TfrxReportPage &page = report.pages[std::size_t(pageOf(report, ordinal) - 1)];
        const double columnLeft = c.column == 2 ? 10 : 91;
        const double columnRight = c.column == 2 ? 91 : 131;
        std::vector<const TfrxMemoView *> pieces;
        for (const TfrxMemoView &cell : page.cells)
            if (cell.top >= ordinal->top - 1e-9 && cell.top + cell.height <= ordinal->top + ordinal->height + 1e-9
                && toMm(cell.left) >= columnLeft - 1e-9 && toMm(cell.left + cell.width) <= columnRight + 1e-9)
                pieces.push_back(&cell);
        ASSERT_EQ(pieces.size(), std::size_t(c.texts.size())) << c.row;
        for (int i = 0; i < c.texts.size(); ++i)
            EXPECT_EQ(pieces[std::size_t(i)]->text(), c.texts[i]) << c.row << "/" << i;
        EXPECT_NEAR(toMm(pieces.back()->top - ordinal->top), c.top, 1e-6) << c.row;
        EXPECT_NEAR(pieces.back()->top + pieces.back()->height, ordinal->top + ordinal->height, 1e-6) << c.row;
    }
    // Row 10's three pieces adjoin each other and fill the code column.
    const TfrxMemoView *first = report.findCell(memo(19 * 10 + 50));
    ASSERT_NE(first, nullptr);
    const TfrxReportPage &page1 = report.pages[0];
    double x = 91;
    for (const TfrxMemoView &cell : page1.cells) {
        if (cell.top != first->top || toMm(cell.left) < 91 - 1e-9 || toMm(cell.left) >= 131 - 1e-9)
            continue;
        EXPECT_NEAR(toMm(cell.left), x, 1e-6) << qPrintable(cell.text());
        x = toMm(cell.left + cell.width);
    }
    EXPECT_NEAR(x, 131, 1e-6);
}

TEST(FrxMladina, SubtotalCaptions)
{
    const TfrxReport &report = templ();
    struct Case {
        const char *what;
        QString cell; // the line's first subtotal cell
        QString numeral;
        QString range;
    };
    const Case cases[] = {
        {"chapter I", QStringLiteral("S14"), QStringLiteral("I"), QStringLiteral("A00 - B99")},
        {"chapter V prints IV, as stored", QStringLiteral("S54"), QStringLiteral("IV"), QStringLiteral("F00 - F99")},
        {"chapter XVII", QStringLiteral("S0174"), QStringLiteral("XVII"), QStringLiteral("Q00 - Q98")},
        {"chapter XXI", QStringLiteral("S0214"), QStringLiteral("XXI"), QStringLiteral("Z00 - Z99")},
    };
    for (const Case &c : cases) {
        const TfrxMemoView *subtotal = report.findCell(c.cell);
        ASSERT_NE(subtotal, nullptr) << c.what;
        const TfrxReportPage &page = report.pages[std::size_t(pageOf(report, subtotal) - 1)];
        QStringList captions;
        for (const TfrxMemoView &cell : page.cells)
            if (cell.top == subtotal->top && cell.left < subtotal->left)
                captions << cell.text();
        EXPECT_EQ(captions, (QStringList{QString(), QStringLiteral("SUBTOTAL - GLAVA"), c.numeral, c.range}))
            << c.what;
    }
}

// A "[" is a letter: every cell whose text holds one, and the header cells
// that receive names from the database, use "[%" and "%]".
// The run fills the template: every name it writes exists, zero counts print
// "-", and preparing gives thirteen pages.
TEST(FrxMladina, MorbidityRunFillsTheTemplate)
{
    TfrxReport report = templ();
    const reports::MorbidityProfile &profile = schoolYouthReportProfile();
    tabulation::CounterGrid grid;
    grid.zero(profile.zeroRows, profile.columns());
    grid.count(35, 0, false); // one A87 visit: rows 35 and 49, band 1, male
    grid.count(49, 0, false);
    const Result<void> written = reports::writeMorbidityCells(profile, catalogue(), grid, kHeader, report);
    ASSERT_TRUE(written) << qPrintable(written.error().message);
    EXPECT_EQ(report.findCell(memo(19 * 35 + 51))->text(), QStringLiteral("1"));
    EXPECT_EQ(report.findCell(memo(19 * 35 + 52))->text(), QStringLiteral("-"));
    EXPECT_EQ(report.findCell(u"s14")->text(), QStringLiteral("2"));
    EXPECT_EQ(report.findCell(u"s16")->text(), QStringLiteral("2"));
    EXPECT_EQ(report.findCell(u"v4")->text(), QStringLiteral("2"));
    EXPECT_EQ(report.findCell(u"s02117")->text(), QStringLiteral("-"));

    const report::PreparedReport prepared = report::prepare(report);
    EXPECT_EQ(prepared.pages.size(), 13u);
}

// Page11 reaches 1 mm past its bottom margin; that last line still prints its
// bottom frame line. The PDF is written to TAREL_FRXMLADINA_PDF when that is
// set, to look at.
TEST(FrxMladina, DrawsPage11ToItsLastLine)
{
    TfrxReport report = templ();
    const reports::MorbidityProfile &profile = schoolYouthReportProfile();
    tabulation::CounterGrid grid;
    grid.zero(profile.zeroRows, profile.columns());
    for (int row : {1, 10, 113, 291, 309, 318})
        for (int band = 0; band < 6; ++band)
            for (int i = 0; i <= row % 7 + band; ++i)
                grid.count(row, band, (i + band) % 2 == 1);
    ASSERT_TRUE(reports::writeMorbidityCells(profile, catalogue(), grid, kHeader, report));
    const report::PreparedReport prepared = report::prepare(report);
    ASSERT_EQ(prepared.pages.size(), 13u);

    const QImage page11 = report::renderPageImage(prepared, 10, 96);
    ASSERT_FALSE(page11.isNull());
    // The bottom frame line lies 5 + 201 mm below the paper's top edge.
    const int lineY = int(report::mm(206));
    int dark = 0;
    for (int y = lineY - 2; y <= lineY + 2; ++y)
        for (int x = int(report::mm(10)); x < int(report::mm(281)); ++x)
            dark += qGray(page11.pixel(x, y)) < 128 ? 1 : 0;
    EXPECT_GT(dark, int(report::mm(250))) << "the last line's bottom edge is drawn across the table";

    QTemporaryDir dir;
    const QString keep = qEnvironmentVariable("TAREL_FRXMLADINA_PDF");
    const QString path = keep.isEmpty() ? dir.filePath(QStringLiteral("frxMladina.pdf")) : keep;
    const Result<void> written = report::writePdf(prepared, path);
    ASSERT_TRUE(written) << qPrintable(written.error().message);
    EXPECT_GT(QFileInfo(path).size(), 10000);
}

// A catalogue that does not fit is reported; the template is still complete.
TEST(FrxMladina, CatalogueThatDoesNotFit)
{
    struct Case {
        const char *what;
        const char *text;
        const char *error;
    };
    const Case cases[] = {
        {"too few rows",
         "1 \"A\"; \"A01\"; counts A01\n"
         "block 1 rows 1-1 code \"1\" numeral \"I\" range \"A00 - B99\"\n",
         "The catalogue has 1 rows; the pages of frxMladina hold 318"},
    };
    for (const Case &c : cases) {
        const Result<tabulation::RowCatalogue> small =
            tabulation::RowCatalogue::parse(QString::fromLatin1(c.text), QStringLiteral("test"));
        ASSERT_TRUE(small) << c.what << ": " << qPrintable(small.error().message);
        const Result<void> fits = checkFrxMladinaCatalogue(small.value());
        ASSERT_FALSE(fits) << c.what;
        EXPECT_EQ(fits.error().message, QString::fromLatin1(c.error)) << c.what;
        const TfrxReport built = buildFrxMladina(small.value());
        EXPECT_EQ(built.pages.size(), 13u) << c.what;
        EXPECT_EQ(built.cellCount(), 6046) << c.what;
        EXPECT_NE(built.findCell(memo(19 * 318 + 64)), nullptr) << c.what;
        EXPECT_NE(built.findCell(u"s14"), nullptr) << c.what;
        EXPECT_EQ(built.findCell(u"s24"), nullptr) << c.what << ": missing blocks get free names";
    }
}
