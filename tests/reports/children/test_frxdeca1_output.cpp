// frxDeca1 filled by the morbidity run's cell writer, prepared and written as
// PDF: ten pages whatever the counts, the counts in their cells. Set
// TAREL_FRXDECA1_PDF to a file path to keep the PDF for a look at the form.

#include "catalogue.h"
#include "children.h"
#include "children.h"
#include "export.h"
#include "frxdeca1.h"
#include "morbiditycells.h"
#include "morbiditycount.h"
#include "prepared.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace tarel;

namespace {

const report::OutputCell *outputCell(const report::PreparedReport &prepared, const QString &name, int *page = nullptr)
{
    for (std::size_t p = 0; p < prepared.pages.size(); ++p)
        for (const report::OutputCell &cell : prepared.pages[p].cells)
            if (cell.name.compare(name, Qt::CaseInsensitive) == 0) {
                if (page)
                    *page = int(p) + 1;
                return &cell;
            }
    return nullptr;
}

// The header as a run fills it.
const reports::MorbidityHeader kHeader{QStringLiteral("Grad i Selo"), QStringLiteral("Site lekari"),
                                       QStringLiteral("PZU [Zdravje] Skopje"), QStringLiteral("01.01.2024"),
                                       QStringLiteral("31.03.2024")};

} // namespace

TEST(FrxDeca1Output, TheRunFillsTheTemplateAndTenPagesPrint)
{
    const Result<const tabulation::RowCatalogue *> catalogue = reports::childrenCatalogue();
    ASSERT_TRUE(catalogue.ok()) << catalogue.message().toStdString();
    const reports::MorbidityProfile &profile = reports::childrenReportProfile();
    report::TfrxReport filled = reports::buildFrxDeca1(*catalogue.value());

    // A few visits: two boys under 2 months in row 1, an A87 visit (rows 34
    // and 48) of a girl of 4, 1234 boys of 5 in row 244.
    tabulation::CounterGrid grid;
    grid.zero(profile.zeroRows, profile.columns());
    grid.count(1, 0, false);
    grid.count(1, 0, false);
    grid.count(34, 4, true);
    grid.count(48, 4, true);
    for (int i = 0; i < 1234; ++i)
        grid.count(244, 5, false);
    const Result<void> written = reports::writeMorbidityCells(profile, *catalogue.value(), grid, kHeader, filled);
    ASSERT_TRUE(written.ok()) << written.message().toStdString();

    const report::PreparedReport prepared = report::prepare(filled);
    ASSERT_EQ(prepared.pages.size(), 10u);

    struct Case {
        const char *what;
        QString cell;
        int page;
        QString text;
    };
    const Case cases[] = {
        {"row 1 total male", "memo1036", 1, "2"},
        {"row 1 total female", "memo1037", 1, "-"},
        {"row 1 band 1 male", "memo1038", 1, "2"},
        {"row 34 band 5 female", "memo1509", 2, "1"},
        {"row 48 band 5 female", "memo1705", 2, "1"},
        {"chapter I, band 5 female: two rows of one visit", "s115", 3, "2"},
        {"chapter I total female", "s15", 3, "2"},
        {"row 244 band 6 male", "memo4450", 10, "1234"},
        {"chapter XXI band 6 male", "s02116", 10, "1234"},
        {"grand total male", "v4", 1, "1236"},
        {"grand total female", "v5", 1, "2"},
        {"empty chapter", "s0164", 8, "-"},
        {"institution with brackets", "pzu", 1, "PZU [Zdravje] Skopje"},
        {"label as printed", "Memo4858", 6, "Astma"}, // label cell of row 136
    };
    for (const Case &c : cases) {
        int page = 0;
        const report::OutputCell *cell = outputCell(prepared, c.cell, &page);
        ASSERT_NE(cell, nullptr) << c.what;
        EXPECT_EQ(page, c.page) << c.what;
        EXPECT_EQ(cell->text, c.text) << c.what;
    }
    // The title band prints at the top of the printable area.
    EXPECT_NEAR(outputCell(prepared, QStringLiteral("lekar"))->top, report::mm(18.3), 1e-4);
    // Page10 is wider: its margins travel with the page.
    EXPECT_EQ(prepared.pages[9].rightMargin, 5);
    EXPECT_EQ(prepared.pages[8].rightMargin, 12);

    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString kept = qEnvironmentVariable("TAREL_FRXDECA1_PDF");
    const QString path = kept.isEmpty() ? dir.filePath(QStringLiteral("frxDeca1.pdf")) : kept;
    const Result<void> pdf = report::writePdf(prepared, path);
    ASSERT_TRUE(pdf.ok()) << pdf.message().toStdString();
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_TRUE(file.read(5).startsWith("%PDF-"));
}
