#include "macc.h"
#include "template.h"
#include "visitreports.h"

#include <QSet>

#include <gtest/gtest.h>

using namespace tarel;
using namespace tarel::reports;
using report::TfrxMemoView;
using report::TfrxReport;

namespace {

const report::TfrxReportTitle &bandOf(const TfrxReport &templ) { return *templ.pages.at(0).title; }

const Form &formOf(VisitReport report)
{
    const Result<const Form *> form = visitForm(report);
    if (!form) {
        ADD_FAILURE() << form.message().toStdString();
        static const Form none;
        return none;
    }
    return **form;
}

TfrxReport buildVisitTemplate(VisitReport report) { return formOf(report).blank; }

double inMm(double pixels) { return pixels / report::kPixelsPerMm; }

struct TemplateCase {
    const char *what;
    VisitReport report;
    const char *name;
    int cells;
    double bandHeight;
    const char *title;
};

const TemplateCase templates[] = {
    {"school children and youth", VisitReport::SchoolYouth, "frxPosetaMladina", 72, 661.41775,
     "Izve{taj za poseta na ordinacija za\nu~ili{ni deca i mladina"},
    {"children", VisitReport::Children, "frxPosetaDeca", 72, 661.41775,
     "Izve{taj za poseta na ordinacija za deca "},
    {"general medicine", VisitReport::GeneralMedicine, "frxPosetaOrdinacija", 74, 692.65399,
     "Izve{taj za poseta na ordinacija za op{ta medicina"},
};

} // namespace

TEST(VisitTemplates, PageBandAndCellCount)
{
    for (const TemplateCase &c : templates) {
        const TfrxReport templ = buildVisitTemplate(c.report);
        EXPECT_EQ(templ.name, QString::fromLatin1(c.name)) << c.what;
        EXPECT_EQ(templ.cellCount(), c.cells) << c.what;
        ASSERT_EQ(templ.pages.size(), 1u) << c.what;
        const report::TfrxReportPage &page = templ.pages[0];
        EXPECT_EQ(page.name, QStringLiteral("Page1")) << c.what;
        EXPECT_EQ(page.paperSize, 9) << c.what;
        EXPECT_TRUE(page.landscape) << c.what;
        EXPECT_EQ(page.leftMargin, 10) << c.what;
        EXPECT_EQ(page.bottomMargin, 10) << c.what;
        ASSERT_TRUE(page.font.has_value()) << c.what;
        EXPECT_EQ(*page.font, (report::Font{QStringLiteral("MAC C Swiss"), 13, false})) << c.what;
        EXPECT_TRUE(page.cells.empty()) << c.what << ": every cell lies in the title band";
        const report::TfrxReportTitle &band = bandOf(templ);
        EXPECT_EQ(band.name, QStringLiteral("ReportTitle1")) << c.what;
        EXPECT_NEAR(band.width, page.printableWidth(), 1e-9) << c.what;
        EXPECT_NEAR(band.height, c.bandHeight, 1e-9) << c.what;
        EXPECT_EQ(templ.findCell(u"TITLE")->text(), QString::fromLatin1(c.title)) << c.what;
    }
}

TEST(VisitTemplates, NamesAreUniqueAndCellsLieInsideTheBand)
{
    for (const TemplateCase &c : templates) {
        const TfrxReport templ = buildVisitTemplate(c.report);
        const report::TfrxReportTitle &band = bandOf(templ);
        QSet<QString> names;
        for (const TfrxMemoView &cell : band.cells) {
            EXPECT_FALSE(names.contains(cell.name.toLower())) << c.what << ": " << cell.name.toStdString();
            names.insert(cell.name.toLower());
            EXPECT_LE(cell.left + cell.width, band.width + 1e-6) << c.what << ": " << cell.name.toStdString();
            EXPECT_LE(cell.top + cell.height, band.height + 1e-6) << c.what << ": " << cell.name.toStdString();
        }
    }
}

// Spot checks of cells against the drawn forms: position, size, frame,
// alignment, font and stored text.
TEST(VisitTemplates, CellsAsDrawn)
{
    using report::FrameAll;
    using report::HAlign;
    using report::VAlign;
    struct Case {
        const char *what;
        VisitReport report;
        const char *cell;
        double left, top, width, height;
        std::uint8_t frame;
        VAlign vAlign;
        const char *text;
    };
    const Case cases[] = {
        {"particulars line", VisitReport::GeneralMedicine, "naziv", 0, 0, 129, 5, report::FrameNone, VAlign::Top,
         "Naziv na zdravstvenata ustanova: "},
        {"dates label", VisitReport::Children, "Memo3", 0, 40, 24, 5, report::FrameNone, VAlign::Top, "Datum do :"},
        {"heading, bottom aligned", VisitReport::GeneralMedicine, "Memo5", 140, 95.1, 50, 15.3, FrameAll,
         VAlign::Bottom, "Rabotnici vo zdr. trud i ~lenovi na nivnite semejstva"},
        {"heading off the grid", VisitReport::GeneralMedicine, "Memo23", 164.9, 110.3, 25.1, 19.7, FrameAll,
         VAlign::Center, "Od toa nositeli na pravoto na zdr. za{tita"},
        {"columns 4 to 11 sit 0.03 mm lower", VisitReport::GeneralMedicine, "ff", 70, 140.03, 25, 10, FrameAll,
         VAlign::Center, ""},
        {"column 12 keeps its zero", VisitReport::GeneralMedicine, "Memo34", 190, 150, 25, 10, FrameAll,
         VAlign::Center, "0"},
        {"never-written total of column 9", VisitReport::GeneralMedicine, "Memo45", 115, 160.03, 25, 10, FrameAll,
         VAlign::Center, ""},
        {"heading of two lines", VisitReport::SchoolYouth, "Memo24", 195, 85, 20, 30, FrameAll, VAlign::Center,
         "OD\nLEKAROT"},
        {"heading top aligned", VisitReport::SchoolYouth, "Memo31", 160, 105, 14, 10, FrameAll, VAlign::Top, ">25"},
        {"column number printed as stored", VisitReport::SchoolYouth, "Memo32", 160, 115, 14, 10, FrameAll,
         VAlign::Center, "7"},
        {"row label", VisitReport::SchoolYouth, "Memo30", 30, 145, 20, 10, FrameAll, VAlign::Center, "VKUPNO"},
        {"heading open at the top", VisitReport::Children, "Memo7", 30, 105, 30, 10,
         report::FrameLeft | report::FrameRight | report::FrameBottom, VAlign::Bottom, "VKUPNO"},
        {"vaccination column", VisitReport::Children, "Memo62", 220, 145, 30, 10, FrameAll, VAlign::Center, ""},
    };
    for (const Case &c : cases) {
        const TfrxReport templ = buildVisitTemplate(c.report);
        const TfrxMemoView *cell = templ.findCell(QString::fromLatin1(c.cell));
        ASSERT_NE(cell, nullptr) << c.what;
        EXPECT_NEAR(inMm(cell->left), c.left, 1e-9) << c.what;
        EXPECT_NEAR(inMm(cell->top), c.top, 1e-9) << c.what;
        EXPECT_NEAR(inMm(cell->width), c.width, 1e-9) << c.what;
        EXPECT_NEAR(inMm(cell->height), c.height, 1e-9) << c.what;
        EXPECT_EQ(cell->frame, c.frame) << c.what;
        EXPECT_EQ(cell->vAlign, c.vAlign) << c.what;
        EXPECT_EQ(cell->hAlign, c.frame == report::FrameNone ? HAlign::Left : HAlign::Center) << c.what;
        EXPECT_EQ(cell->text(), QString::fromLatin1(c.text)) << c.what;
    }
}

TEST(VisitTemplates, FontsOfHeaderAndTable)
{
    const TfrxReport templ = buildVisitTemplate(VisitReport::GeneralMedicine);
    const report::TfrxReportPage &page = templ.pages[0];
    const report::TfrxReportTitle &band = bandOf(templ);
    struct Case {
        const char *cell;
        double height;
        bool bold;
    };
    const Case cases[] = {{"adresa", 13, false}, {"datumdo", 16, true}, {"title", 27, true}, {"vkupno", 13, false}};
    for (const Case &c : cases) {
        const report::Font font = templ.resolvedFont(page, &band, *templ.findCell(QString::fromLatin1(c.cell)));
        EXPECT_EQ(font.name, QStringLiteral("MAC C Swiss")) << c.cell;
        EXPECT_EQ(font.height, c.height) << c.cell;
        EXPECT_EQ(font.bold, c.bold) << c.cell;
    }
    const TfrxMemoView *title = templ.findCell(u"title");
    EXPECT_EQ(title->align, report::Placement::Center);
    EXPECT_NEAR(title->left + title->width / 2, band.width / 2, 1e-6);
}

// A counted column of the result is named as the form prints it: the number
// cell straight above its urban cell, and the headings over it, the
// innermost last.
TEST(VisitTemplates, ColumnsAreNamedAsPrinted)
{
    for (const TemplateCase &c : templates) {
        const Form &form = formOf(c.report);
        const TfrxReport &templ = form.blank;
        const std::span<const VisitColumn> columns = visitColumns(c.report);
        ASSERT_EQ(std::size_t(form.shape->columnCount()), columns.size()) << c.what;
        for (std::size_t i = 0; i < columns.size(); ++i) {
            const result::ColumnIdentity &column = form.shape->columns()[i];
            const TfrxMemoView *urban = templ.findCell(QString::fromLatin1(columns[i].urban));
            ASSERT_NE(urban, nullptr);
            const auto number = std::find_if(bandOf(templ).cells.begin(), bandOf(templ).cells.end(),
                                              [&](const TfrxMemoView &cell) {
                                                  return qAbs(cell.left - urban->left) < 0.5
                                                      && qAbs(cell.top + cell.height - urban->top) < 0.5;
                                              });
            ASSERT_NE(number, bandOf(templ).cells.end()) << c.what << " " << i;
            EXPECT_EQ(column.number, number->text()) << c.what << " " << i;
            ASSERT_GE(column.headings.size(), 2) << c.what << " " << i;
            // Every heading stands over the column, each under the one before.
            double above = -1;
            for (const QString &heading : column.headings) {
                const auto cell = std::find_if(bandOf(templ).cells.begin(), bandOf(templ).cells.end(),
                                               [&](const TfrxMemoView &cell) {
                                                   return report::maccToUnicode(cell.text()).simplified() == heading
                                                       && cell.left <= urban->left + 0.5
                                                       && urban->left + urban->width <= cell.left + cell.width + 0.5
                                                       && cell.top > above;
                                               });
                ASSERT_NE(cell, bandOf(templ).cells.end()) << c.what << " " << i << ": " << heading.toStdString();
                above = cell->top;
            }
        }
    }
    EXPECT_EQ(formOf(VisitReport::GeneralMedicine).shape->columns()[5].headings.last(), QStringLiteral("Останати"));
    EXPECT_EQ(formOf(VisitReport::SchoolYouth).shape->columns()[6].number, QStringLiteral("7"));
    EXPECT_EQ(formOf(VisitReport::SchoolYouth).shape->columns()[6].headings.last(), QStringLiteral(">25"));
    EXPECT_EQ(formOf(VisitReport::Children).shape->columns()[0].headings.last(), QStringLiteral("ВКУПНО"));
    EXPECT_EQ(formOf(VisitReport::Children).shape->rows()[BothRow].label, QStringLiteral("ВКУПНО"));
}
