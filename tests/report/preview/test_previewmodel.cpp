// The preview's rules apart from its widgets: zoom fitting, page layout,
// the zoom box, file names, print ranges and the edits of prepared pages.
#include "previewmodel.h"
#include "printing.h"

#include <QFile>
#include <QPageLayout>
#include <QPrinter>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace tarel::report;

namespace {

const QSizeF a4Landscape(mm(297), mm(210)); // 1122.52 x 793.70 template pixels

OutputPage pageWithCells(int cells)
{
    OutputPage page;
    page.leftMargin = page.rightMargin = page.topMargin = page.bottomMargin = 10;
    for (int i = 0; i < cells; ++i) {
        OutputCell cell;
        cell.name = QStringLiteral("Memo%1").arg(i + 1);
        cell.left = 10 * i;
        cell.width = 50;
        cell.height = 20;
        cell.frame = FrameAll;
        cell.text = QString::number(i);
        page.cells.push_back(cell);
    }
    return page;
}

} // namespace

TEST(FitZoom, EachModeForAKnownViewport)
{
    struct Case {
        const char *what;
        ZoomMode mode;
        QSize viewport;
        double expected;
    };
    const Case cases[] = {
        {"100% stays 100%", ZoomMode::Factor, {1000, 700}, 1.0},
        {"page width: the width less two gaps", ZoomMode::PageWidth, {1142, 600}, 1122.0 / mm(297)},
        {"whole page limited by the height", ZoomMode::WholePage, {1600, 420}, 400.0 / mm(210)},
        {"whole page limited by the width", ZoomMode::WholePage, {580, 1000}, 560.0 / mm(297)},
        {"two pages limited by the width", ZoomMode::TwoPages, {1030, 1000}, 1000.0 / (2 * mm(297))},
        {"two pages limited by the height", ZoomMode::TwoPages, {3000, 420}, 400.0 / mm(210)},
        {"a window too small still shows something", ZoomMode::WholePage, {5, 5}, 0.01},
    };
    for (const Case &c : cases)
        EXPECT_NEAR(fitZoom(c.mode, a4Landscape, c.viewport, 1), c.expected, 1e-9) << c.what;
    EXPECT_EQ(fitZoom(ZoomMode::Factor, a4Landscape, {100, 100}, 50), kMaxZoom) << "factor kept within limits";
}

TEST(LayoutPages, StackedOrTwoPerRowWithGaps)
{
    const std::vector<QSizeF> sizes(3, QSizeF(100, 50));
    const PageLayout single = layoutPages(sizes, 2, false);
    ASSERT_EQ(single.pages.size(), 3u);
    EXPECT_EQ(single.pages[0], QRectF(kPageGap, kPageGap, 200, 100));
    EXPECT_EQ(single.pages[2].top(), kPageGap + 2 * (100 + kPageGap));
    EXPECT_EQ(single.content, QSizeF(200 + 2 * kPageGap, 3 * 100 + 4 * kPageGap));

    const PageLayout two = layoutPages(sizes, 1, true);
    EXPECT_EQ(two.pages[0].top(), two.pages[1].top()) << "pages 1 and 2 share a row";
    EXPECT_EQ(two.pages[1].left(), two.pages[0].right() + kPageGap);
    EXPECT_EQ(two.pages[2].top(), two.pages[0].bottom() + kPageGap);
    EXPECT_EQ(two.pages[2].left(), kPageGap + 50 + kPageGap / 2) << "a lone last page is centred";
    EXPECT_EQ(layoutPages({}, 1, false).content, QSizeF(0, 0));
}

TEST(MostVisiblePage, FollowsTheScrollPosition)
{
    const PageLayout layout = layoutPages(std::vector<QSizeF>(3, QSizeF(100, 100)), 1, false);
    struct Case {
        const char *what;
        QRectF visible;
        int page;
    };
    const Case cases[] = {
        {"top of the first page", {0, 0, 120, 80}, 0},
        {"all pages visible: the first", {0, 0, 120, 400}, 0},
        {"mostly the second page", {0, 90, 120, 100}, 1},
        {"bottom of the content", {0, 240, 120, 100}, 2},
        {"in a gap between pages", {0, 111, 120, 8}, 0},
    };
    for (const Case &c : cases)
        EXPECT_EQ(mostVisiblePage(layout, c.visible), c.page) << c.what;
    EXPECT_EQ(mostVisiblePage(PageLayout{}, {0, 0, 10, 10}), -1);
}

TEST(ZoomBoxText, ItemsAndTypedPercentages)
{
    struct Case {
        const char *text;
        std::optional<ZoomMode> mode;
        double factor;
    };
    const Case cases[] = {
        {"25%", ZoomMode::Factor, 0.25},    {"200%", ZoomMode::Factor, 2},
        {"120", ZoomMode::Factor, 1.2},     {" 75 % ", ZoomMode::Factor, 0.75},
        {"12,5%", ZoomMode::Factor, 0.125}, {"Page width", ZoomMode::PageWidth, 1},
        {"whole page", ZoomMode::WholePage, 1}, {"5000%", ZoomMode::Factor, kMaxZoom},
        {"1%", ZoomMode::Factor, kMinZoom}, {"0%", std::nullopt, 0},
        {"abc", std::nullopt, 0},           {"", std::nullopt, 0},
        {"-50%", std::nullopt, 0},
    };
    for (const Case &c : cases) {
        const std::optional<ZoomChoice> choice = parseZoomText(QLatin1String(c.text));
        ASSERT_EQ(choice.has_value(), c.mode.has_value()) << c.text;
        if (choice) {
            EXPECT_EQ(choice->mode, *c.mode) << c.text;
            EXPECT_DOUBLE_EQ(choice->factor, c.factor) << c.text;
        }
    }
    EXPECT_EQ(zoomBoxItems(), QStringList({"25%", "50%", "75%", "100%", "150%", "200%", "Page width",
                                           "Whole page"}));
    EXPECT_EQ(zoomText(0.8734), QStringLiteral("87%"));
}

TEST(PreparedFileName, ExtensionReplacedByFp3)
{
    struct Case {
        const char *chosen;
        const char *saved;
    };
    const Case cases[] = {
        {"/tmp/report.txt", "/tmp/report.fp3"},
        {"/tmp/report", "/tmp/report.fp3"},
        {"/tmp/report.fp3", "/tmp/report.fp3"},
        {"/tmp/my.report.pdf", "/tmp/my.report.fp3"},
        {"/tmp/dir.v2/report", "/tmp/dir.v2/report.fp3"},
        {"/tmp/report.", "/tmp/report.fp3"},
        {"/tmp/.hidden", "/tmp/.hidden.fp3"},
    };
    for (const Case &c : cases)
        EXPECT_EQ(withPreparedExtension(QLatin1String(c.chosen)), QLatin1String(c.saved)) << c.chosen;
    EXPECT_EQ(withDefaultSuffix(QStringLiteral("/tmp/a"), QStringLiteral("pdf")), QStringLiteral("/tmp/a.pdf"));
    EXPECT_EQ(withDefaultSuffix(QStringLiteral("/tmp/a.PDF"), QStringLiteral("pdf")), QStringLiteral("/tmp/a.PDF"));
}

TEST(PagesToPrint, RangesOrderAndLimits)
{
    struct Case {
        const char *what;
        PrintChoice choice;
        std::vector<int> pages;
    };
    const Case cases[] = {
        {"all", {PrintChoice::All, {}, false}, {0, 1, 2, 3, 4}},
        {"all, last page first", {PrintChoice::All, {}, true}, {4, 3, 2, 1, 0}},
        {"current page", {PrintChoice::Current, {}, false}, {2}},
        {"1,3,5-12 within five pages", {PrintChoice::Ranges, {{1, 1}, {3, 3}, {5, 12}}, false}, {0, 2, 4}},
        {"overlapping ranges print once", {PrintChoice::Ranges, {{1, 3}, {2, 4}}, false}, {0, 1, 2, 3}},
        {"a reversed range", {PrintChoice::Ranges, {{4, 2}}, false}, {1, 2, 3}},
        {"pages beyond the report", {PrintChoice::Ranges, {{7, 9}}, false}, {}},
    };
    for (const Case &c : cases)
        EXPECT_EQ(pagesToPrint(c.choice, 2, 5), c.pages) << c.what;
    EXPECT_TRUE(pagesToPrint({PrintChoice::Current, {}, false}, 0, 0).empty()) << "no pages";
}

// The "Pages" field read as a user means it, in a report of 13 pages.
TEST(PrintChoice, PagesTypedAsMeant)
{
    struct Case {
        const char *typed;
        const char *ranges; // as written back into the field; nullptr: names no page
    };
    const Case cases[] = {
        {"7-", "7-13"},        {"-3", "1-3"},         {"5-3", "3-5"},    {" 2 , 5 ", "2,5"},
        {"1-3,2-6,9", "1-6,9"}, {"20-", "20"},         {"3,,4", "3-4"},   {"abc", nullptr},
        {"0", nullptr},        {"-", nullptr},        {"1-2-3", nullptr}, {"", nullptr},
        {"4,x", nullptr},      {"99999999999", nullptr},
    };
    for (const Case &c : cases) {
        const auto ranges = pageRangesTyped(QString::fromLatin1(c.typed), 13);
        EXPECT_EQ(ranges ? pageRangesText(*ranges) : QString(), QString::fromLatin1(c.ranges)) << c.typed;
        EXPECT_EQ(ranges.has_value(), c.ranges != nullptr) << c.typed;
    }
}

TEST(PageSettings, CurrentPageOrAllPages)
{
    PreparedReport report;
    for (int i = 0; i < 3; ++i)
        report.pages.push_back(pageWithCells(2));
    PageSettings portraitA4;
    portraitA4.paperSize = 9;
    portraitA4.landscape = false;
    portraitA4.leftMargin = 20;
    portraitA4.topMargin = 15;

    PreparedReport current = report;
    applyPageSettings(current, 1, portraitA4, false);
    EXPECT_EQ(current.pages[0], report.pages[0]);
    EXPECT_EQ(current.pages[2], report.pages[2]);
    EXPECT_FALSE(current.pages[1].landscape);
    EXPECT_EQ(current.pages[1].paperWidth, 210);
    EXPECT_EQ(current.pages[1].paperHeight, 297);
    EXPECT_EQ(current.pages[1].leftMargin, 20);
    EXPECT_EQ(current.pages[1].cells, report.pages[1].cells) << "cells keep their places";

    PreparedReport all = report;
    applyPageSettings(all, 0, portraitA4, true);
    for (const OutputPage &page : all.pages)
        EXPECT_EQ(pageSettingsOf(page), pageSettingsOf(current.pages[1]));

    PageSettings tooWide = portraitA4;
    tooWide.leftMargin = 150;
    tooWide.rightMargin = 150;
    applyPageSettings(all, 0, tooWide, false);
    EXPECT_LT(all.pages[0].leftMargin + all.pages[0].rightMargin, all.pages[0].paperWidth)
        << "margins always leave paper to print on";

    EXPECT_EQ(pageSettingsOf(report.pages[0]).paperWidth, 210) << "settings hold the upright paper";
    EXPECT_EQ(paperSizeOf(report.pages[0])->code, 9);
}

TEST(PageEdits, InsertAndDeletePages)
{
    PreparedReport report;
    report.pages = {pageWithCells(1), pageWithCells(2), pageWithCells(3)};
    report.pages[1].landscape = false;
    const PreparedReport original = report;

    EXPECT_EQ(insertEmptyPage(report, 1), 1);
    ASSERT_EQ(report.pages.size(), 4u);
    EXPECT_TRUE(report.pages[1].cells.empty());
    EXPECT_FALSE(report.pages[1].landscape) << "the new page takes the paper of the page it displaces";
    EXPECT_EQ(report.pages[2], original.pages[1]);

    EXPECT_TRUE(deletePage(report, 1));
    EXPECT_EQ(report, original);
    EXPECT_FALSE(deletePage(report, 3));
    EXPECT_FALSE(deletePage(report, -1));

    PreparedReport empty;
    EXPECT_EQ(insertEmptyPage(empty, 5), 0);
    EXPECT_EQ(empty.pages.size(), 1u);
    EXPECT_EQ(empty.pages[0], OutputPage{});
}

TEST(PreviewModelState, PagesAndStatusText)
{
    PreviewModel model;
    EXPECT_EQ(model.statusText(), QStringLiteral("Page 0 of 0"));
    model.setPageCount(3);
    EXPECT_FALSE(model.setCurrentPage(-4)) << "clamped to the first page, which is current";
    EXPECT_TRUE(model.setCurrentPage(1));
    EXPECT_EQ(model.statusText(), QStringLiteral("Page 2 of 3"));
    model.setCurrentPage(9);
    EXPECT_EQ(model.currentPage(), 2);
    model.setPageCount(2);
    EXPECT_EQ(model.statusText(), QStringLiteral("Page 2 of 2"));
}

TEST(Printing, EveryChosenPageAtItsOwnOrientation)
{
    PreparedReport report;
    report.pages = {pageWithCells(3), pageWithCells(3), pageWithCells(3)};
    PageSettings portrait = pageSettingsOf(report.pages[1]);
    portrait.landscape = false;
    applyPageSettings(report, 1, portrait, false);

    QTemporaryDir dir;
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(dir.filePath(QStringLiteral("printed.pdf")));
    printer.setCopyCount(2);
    printer.setCollateCopies(true);
    const tarel::Result<void> printed = printPages(report, {0, 1}, printer);
    ASSERT_TRUE(printed.ok()) << printed.message().toStdString();

    QFile file(printer.outputFileName());
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray pdf = file.readAll();
    EXPECT_EQ(pdf.count("/Type /Page\n") + pdf.count("/Type /Page\r") + pdf.count("/Type /Page "), 4)
        << "two pages, two copies";
    EXPECT_EQ(pageLayoutOf(report.pages[1]).orientation(), QPageLayout::Portrait);
    EXPECT_EQ(pageLayoutOf(report.pages[0]).orientation(), QPageLayout::Landscape);
}
