// The three morbidity forms as the one builder makes them from their
// layouts: every count cell named once and found where the result says, the
// lines of every page following each other inside the printable area, the
// result's rows and columns named as the pages print them, and a catalogue
// that does not fit its layout refused with the first misfit named. (What
// each form prints is held by the golden pages; the counts by the runs.)

#include "catalogue.h"
#include "children.h"
#include "frxdeca.h"
#include "generalmedicine.h"
#include "morbidityform.h"
#include "schoolyouth.h"

#include <QFile>
#include <QSet>

#include <gtest/gtest.h>

#include <map>

using namespace tarel;

namespace {

struct Case {
    const char *what;
    const reports::MorbidityReport &report;
    int pages;
};

std::vector<Case> forms()
{
    return {{"frxDeca", reports::generalMedicineReport(), 13},
            {"frxMladina", reports::schoolYouthReport(), 13},
            {"frxDeca1", reports::childrenReport(), 10}};
}

const reports::MorbidityForm &formOf(const reports::MorbidityReport &report)
{
    const Result<const reports::MorbidityForm *> form = report.form();
    if (!form) {
        ADD_FAILURE() << form.message().toStdString();
        static const reports::MorbidityForm none;
        return none;
    }
    return **form;
}

} // namespace

TEST(MorbidityForms, EveryCountCellIsNamedOnceAndShowsOneCellOfTheResult)
{
    for (const Case &c : forms()) {
        const reports::MorbidityForm &form = formOf(c.report);
        ASSERT_TRUE(form.form.shape) << c.what;
        EXPECT_EQ(form.form.blank.name, QLatin1String(c.what));
        EXPECT_EQ(int(form.form.blank.pages.size()), c.pages) << c.what;

        QSet<QString> names;
        int cells = 0;
        for (const report::TfrxReportPage &page : form.form.blank.pages) {
            std::vector<const report::TfrxMemoView *> all;
            if (page.title)
                for (const report::TfrxMemoView &cell : page.title->cells)
                    all.push_back(&cell);
            for (const report::TfrxMemoView &cell : page.cells)
                all.push_back(&cell);
            for (const report::TfrxMemoView *cell : all) {
                EXPECT_FALSE(names.contains(cell->name.toLower())) << c.what << ": " << cell->name.toStdString();
                names.insert(cell->name.toLower());
                ++cells;
            }
        }
        EXPECT_EQ(cells, form.form.blank.cellCount());

        const result::TableShape &shape = *form.form.shape;
        std::map<std::pair<int, int>, int> shown;
        for (const reports::FormCell &cell : form.form.cells) {
            EXPECT_TRUE(names.contains(cell.name.toLower())) << c.what << ": " << cell.name.toStdString();
            ++shown[{cell.row, cell.column}];
        }
        EXPECT_EQ(shown.size(), std::size_t(shape.rowCount() * shape.columnCount())) << c.what;
        for (const auto &[at, times] : shown)
            EXPECT_EQ(times, 1) << c.what << ": row " << at.first << ", column " << at.second;
    }
}

// Page 11 of frxMladina ends its last line 1 mm into the bottom margin, as
// drawn: the lines are held to the paper, the columns to the printable width.
TEST(MorbidityForms, LinesFollowEachOtherOnThePaper)
{
    constexpr double kTolerance = 1e-3;
    for (const Case &c : forms()) {
        const report::TfrxReport &blank = formOf(c.report).form.blank;
        for (const report::TfrxReportPage &page : blank.pages) {
            // The lines of the table, read off the ordinal column.
            std::map<long, double> lines; // top in 1/1000 px -> height
            for (const report::TfrxMemoView &cell : page.cells) {
                EXPECT_LE(cell.left + cell.width, page.printableWidth() + kTolerance)
                    << c.what << ", " << page.name.toStdString() << ": " << cell.name.toStdString();
                EXPECT_LE(cell.top + cell.height, page.printableHeight() + report::mm(page.bottomMargin))
                    << c.what << ", " << page.name.toStdString() << ": " << cell.name.toStdString();
                if (std::abs(cell.left) < kTolerance)
                    lines[std::lround(cell.top * 1000)] = cell.height;
            }
            ASSERT_GT(lines.size(), 2u) << c.what << ", " << page.name.toStdString();
            double bottom = lines.begin()->first / 1000.0;
            for (const auto &[top, height] : lines) {
                EXPECT_NEAR(top / 1000.0, bottom, 1e-2) << c.what << ", " << page.name.toStdString();
                bottom = top / 1000.0 + height;
            }
        }
    }
}

TEST(MorbidityForms, TheResultNamesRowsAndColumnsAsThePagesPrintThem)
{
    const auto row = [](const reports::MorbidityReport &report, const char *key) {
        const result::TableShape &shape = *formOf(report).form.shape;
        const int index = shape.rowOf(QString::fromLatin1(key));
        EXPECT_GE(index, 0) << key;
        return index >= 0 ? shape.rows()[std::size_t(index)] : result::RowIdentity{};
    };
    const result::RowIdentity total = row(reports::generalMedicineReport(), "V");
    EXPECT_EQ(total.kind, result::RowKind::Total);
    EXPECT_EQ(total.label, QStringLiteral("Вкупно (1 - 300)"));
    EXPECT_EQ(total.codes, QStringLiteral("A00 - Z99"));
    EXPECT_EQ(total.sums.size(), 20u) << "the grand total sums the chapters";
    const result::RowIdentity chapter = row(reports::generalMedicineReport(), "S1");
    EXPECT_EQ(chapter.label, QStringLiteral("СУБТОТАЛ - ГЛАВА I"));
    EXPECT_EQ(chapter.codes, QStringLiteral("A00 - B99"));
    EXPECT_EQ(chapter.sums.size(), 59u);
    // Latin pieces read as Latin, the rest as Cyrillic, joined as they print.
    EXPECT_EQ(row(reports::generalMedicineReport(), "87").label, QStringLiteral("Hodkin-ова болест"));
    EXPECT_EQ(row(reports::generalMedicineReport(), "196").codes, QStringLiteral("K52-K55,K58-K67 (без К59.3)"));
    EXPECT_EQ(row(reports::schoolYouthReport(), "10").codes, QStringLiteral("A17-A19 (без A18.0+)"));
    EXPECT_EQ(row(reports::childrenReport(), "229").number, QStringLiteral("б)"));

    const result::TableShape &shape = *formOf(reports::childrenReport()).form.shape;
    ASSERT_EQ(shape.columnCount(), 14);
    EXPECT_EQ(shape.columns()[0].headings, (QStringList{QStringLiteral("Вкупно"), QStringLiteral("м")}));
    EXPECT_EQ(shape.columns()[0].sums, (std::vector<int>{2, 4, 6, 8, 10, 12}));
    EXPECT_EQ(shape.columns()[13].headings, (QStringList{QStringLiteral("5-6 год."), QStringLiteral("ж")}));
    EXPECT_EQ(shape.columns()[13].band, 5);
    EXPECT_EQ(shape.columns()[13].number, QStringLiteral("17"));
    EXPECT_EQ(shape.rowHeadings()[1], QStringLiteral("Заболувања состојби (скратена листа)"));
}

// The general-medicine catalogue changed line by line: each change is named
// by the first misfit it makes.
TEST(MorbidityForms, MisfittingCataloguesAreNamed)
{
    QFile file(QStringLiteral(":/general_medicine/catalogue.txt"));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QString text = QString::fromUtf8(file.readAll());
    const struct {
        const char *what;
        QString from;
        QString to;
        const char *error;
    } cases[] = {
        {"the catalogue as it is", {}, {}, nullptr},
        {"block 6 ending a row early", "rows 122-131 code \"6\" numeral \" VI\" range \"G00 - G99\"\nblock 7 rows 132",
         "rows 122-130 code \"6\" numeral \" VI\" range \"G00 - G99\"\nblock 7 rows 131",
         "Chapter block 6 ends with row 130; its subtotal line in frxDeca follows row 131"},
        {"row 27 in one cell", "27 \"Q\" + \"-treska\"", "27 \"Q-treska\"",
         "Row 27: the label has 1 cells; frxDeca prints it in 2"},
        {"a plain row in two cells", "5 \"Amibijaza\"", "5 \"Ami\" + \"bijaza\"",
         "Row 5: the label has 2 cells; frxDeca prints it in 1"},
        {"keys that spell a subtotal cell twice", "code \"011\"", "code \"11\"",
         "Chapter blocks 1 and 11 both name a subtotal cell S114"},
    };
    for (const auto &c : cases) {
        QString changed = text;
        if (!c.from.isEmpty()) {
            ASSERT_TRUE(changed.contains(c.from)) << c.what;
            changed.replace(c.from, c.to);
        }
        const Result<tabulation::RowCatalogue> catalogue = tabulation::RowCatalogue::parse(changed, "test");
        ASSERT_TRUE(catalogue.ok()) << c.what << ": " << catalogue.message().toStdString();
        const Result<reports::MorbidityForm> form = reports::buildMorbidityForm(reports::frxDecaLayout(), *catalogue);
        if (!c.error) {
            EXPECT_TRUE(form.ok()) << c.what << ": " << form.message().toStdString();
            continue;
        }
        ASSERT_FALSE(form.ok()) << c.what;
        EXPECT_EQ(form.message(), QString::fromUtf8(c.error)) << c.what;
    }
}
