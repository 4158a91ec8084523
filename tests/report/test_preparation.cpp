#include "prepared.h"
#include "reportfixtures.h"

#include <gtest/gtest.h>

using namespace tarel::report;
using namespace tarel::report::testing;
using namespace Qt::StringLiterals;

namespace {

// Three pages like a morbidity template: page 1 with a title band and table
// cells below it, pages 2 and 3 with table cells only.
TfrxReport morbidityLike()
{
    TfrxReport report(u"frxDeca"_s);
    for (int p = 0; p < 3; ++p) {
        TfrxReportPage page;
        page.name = u"Page%1"_s.arg(p + 1);
        page.leftMargin = page.rightMargin = page.topMargin = page.bottomMargin = 5;
        page.cells.push_back(makeCell(u"Memo%1"_s.arg(p * 10 + 1), 10, 120, 37.8, 18.9, u"-"_s));
        page.cells.push_back(makeCell(u"Memo%1"_s.arg(p * 10 + 2), 47.8, 120, 37.8, 18.9));
        report.pages.push_back(std::move(page));
    }
    TfrxReportTitle title;
    title.width = mm(287);
    title.height = 98.26778;
    title.font = Font{u"maC C Swiss"_s, 13, false};
    title.cells.push_back(makeCell(u"Naslov"_s, 100, 10, 600, 20, u"Izve{taj"_s, FrameNone));
    title.cells.push_back(makeCell(u"lekar"_s, 100, 40, 300, 20));
    report.pages[0].title = std::move(title);
    report.pages[0].font = Font{u"maC C Swiss"_s, 13, false};
    report.pages[1].font = Font{u"MAC C Swiss"_s, 12, false};
    return report;
}

const OutputCell *cellNamed(const OutputPage &page, const QString &name)
{
    for (const OutputCell &cell : page.cells)
        if (cell.name == name)
            return &cell;
    return nullptr;
}

} // namespace

TEST(Template, LookupIgnoresCaseAndFindsNothingForAnAbsentName)
{
    TfrxReport report = morbidityLike();
    struct Case {
        const char *what;
        QString name;
        QString found; // empty: nothing found
    };
    const Case cases[] = {
        {"as stored", u"Memo11"_s, u"Memo11"_s},
        {"lower case", u"memo11"_s, u"Memo11"_s},
        {"upper case", u"LEKAR"_s, u"lekar"_s},
        {"title band cell", u"naslov"_s, u"Naslov"_s},
        {"absent", u"memo999"_s, QString()},
        {"empty", QString(), QString()},
    };
    for (const Case &c : cases) {
        const TfrxMemoView *cell = report.findCell(c.name);
        if (c.found.isEmpty())
            EXPECT_EQ(cell, nullptr) << c.what;
        else
            EXPECT_EQ(cell ? cell->name : u"<none>"_s, c.found) << c.what;
    }
    EXPECT_FALSE(report.setCellText(u"no-such-cell"_s, u"1"_s));
}

TEST(Template, FontInheritanceFollowsCellBandPageReport)
{
    TfrxReport report = morbidityLike();
    report.pages[2].cells[0].font = Font{u"Times New Roman"_s, 13, false};
    const OutputPage page1 = preparePage(report, report.pages[0]);
    const OutputPage page2 = preparePage(report, report.pages[1]);
    const OutputPage page3 = preparePage(report, report.pages[2]);

    struct Case {
        const char *what;
        const OutputCell *cell;
        Font expected;
    };
    const Case cases[] = {
        {"band cell takes the band's font", cellNamed(page1, u"lekar"_s), Font{u"MAC C Swiss"_s, 13, false}},
        {"page cell takes the page's font", cellNamed(page2, u"Memo11"_s), Font{u"MAC C Swiss"_s, 12, false}},
        {"own font wins", cellNamed(page3, u"Memo21"_s), Font{u"Times New Roman"_s, 13, false}},
        {"no font anywhere: report default", cellNamed(page3, u"Memo22"_s), defaultFont()},
    };
    for (const Case &c : cases) {
        ASSERT_NE(c.cell, nullptr) << c.what;
        EXPECT_EQ(c.cell->font.name.toLower(), c.expected.name.toLower()) << c.what;
        EXPECT_EQ(c.cell->font.height, c.expected.height) << c.what;
        EXPECT_EQ(c.cell->font.bold, c.expected.bold) << c.what;
    }
    EXPECT_EQ(defaultFont().name, u"Arial"_s);
    EXPECT_EQ(defaultFont().height, 13);
}

TEST(Preparation, PlacesCellsAtTheirStoredPositions)
{
    TfrxReport report = morbidityLike();
    report.setCellText(u"LEKAR"_s, u"[Test]"_s);
    const PreparedReport prepared = prepare(report);
    ASSERT_EQ(prepared.pages.size(), 3u);
    EXPECT_EQ(prepared.templateName, u"frxDeca"_s);

    struct Case {
        const char *what;
        int page;
        QString name;
        double left, top;
        QString text;
    };
    const Case cases[] = {
        // The band's stored top (18.9) is a design value: it prints at 0.
        {"title cell at the top of the printable area", 0, u"Naslov"_s, 100, 10, u"Izve{taj"_s},
        {"header cell text written by the run, printed literally", 0, u"lekar"_s, 100, 40, u"[Test]"_s},
        {"table cell on page 1", 0, u"Memo1"_s, 10, 120, u"-"_s},
        {"page 2 cell from the printable area's top", 1, u"Memo11"_s, 10, 120, u"-"_s},
        {"page 3 empty cell", 2, u"Memo22"_s, 47.8, 120, QString()},
    };
    for (const Case &c : cases) {
        const OutputCell *cell = cellNamed(prepared.pages[std::size_t(c.page)], c.name);
        ASSERT_NE(cell, nullptr) << c.what;
        EXPECT_DOUBLE_EQ(cell->left, c.left) << c.what;
        EXPECT_DOUBLE_EQ(cell->top, c.top) << c.what;
        EXPECT_EQ(cell->text, c.text) << c.what;
        EXPECT_EQ(cell->frame, c.name == u"Naslov"_s ? FrameNone : FrameAll) << c.what;
    }
    EXPECT_EQ(prepared.pages[1].leftMargin, 5);
    EXPECT_EQ(prepared.pages[1].paperSize, 9);
    EXPECT_TRUE(prepared.pages[1].landscape);
}

TEST(Preparation, PreparingAgainGivesTheSamePagesAndLeavesTheTemplate)
{
    TfrxReport report = morbidityLike();
    report.setCellText(u"memo1"_s, u"12"_s);
    const TfrxReport before = report;
    const PreparedReport first = prepare(report);
    const PreparedReport second = prepare(report);
    EXPECT_EQ(first.pages.size(), second.pages.size());
    EXPECT_EQ(first, second);
    EXPECT_EQ(report.findCell(u"Memo1"_s)->text(), u"12"_s);
    EXPECT_EQ(report.pages.size(), before.pages.size());
    EXPECT_EQ(report.pages[0].title->top, before.pages[0].title->top);
}

TEST(Preparation, EveryTemplatePageGivesAnOutputPage)
{
    TfrxReport report(u"frxEmpty"_s);
    report.pages.resize(4);
    EXPECT_EQ(prepare(report).pages.size(), 4u);
}

TEST(Preparation, PreparerGivesOnePagePerCallAndCanBeCancelled)
{
    const TfrxReport report = morbidityLike();
    Preparer preparer(report);
    EXPECT_EQ(preparer.templatePageCount(), 3);
    EXPECT_TRUE(preparer.prepareNext());
    EXPECT_EQ(preparer.preparedPageCount(), 1);
    EXPECT_FALSE(preparer.atEnd());
    preparer.cancel();
    EXPECT_TRUE(preparer.atEnd());
    EXPECT_FALSE(preparer.prepareNext());
    EXPECT_EQ(preparer.takeResult().pages.size(), 1u);
}

