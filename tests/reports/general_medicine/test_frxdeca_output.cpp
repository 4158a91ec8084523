// frxDeca prepared and written as PDF: 13 pages whatever the counts, the
// header values printed as written. Set TAREL_FRXDECA_PDF to a file path to
// keep the PDF for a look at the printed form.

#include "catalogue.h"
#include "export.h"
#include "frxdeca.h"
#include "generalmedicine.h"
#include "prepared.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace tarel;

namespace {

report::TfrxReport filledFrxDeca()
{
    const Result<const tabulation::RowCatalogue *> catalogue = reports::generalMedicineCatalogue();
    if (!catalogue) {
        ADD_FAILURE() << catalogue.message().toStdString();
        return report::TfrxReport(QStringLiteral("frxDeca"));
    }
    report::TfrxReport report = reports::buildFrxDeca(*catalogue.value());
    // Every cell the run writes, as a run over no visits, then a few counts.
    for (int row = 1; row <= 308; ++row)
        for (int k = 0; k < 16; ++k)
            report.setCellText(QStringLiteral("memo%1").arg(19 * row + 51 + k), QStringLiteral("-"));
    for (const tabulation::ChapterBlock &block : catalogue.value()->blocks())
        for (int column = 4; column <= 19; ++column)
            report.setCellText(QStringLiteral("s") + block.code + QString::number(column), QStringLiteral("-"));
    for (int column = 4; column <= 19; ++column)
        report.setCellText(QStringLiteral("v%1").arg(column), QStringLiteral("-"));
    for (const char *name : {"memo70", "memo72", "s14", "s16", "v4", "v6"})
        report.setCellText(QString::fromLatin1(name), QStringLiteral("1"));
    report.setCellText(u"memo5903", QStringLiteral("1234"));
    report.setCellText(u"GradSelo", QStringLiteral("Grad i Selo"));
    report.setCellText(u"lekar", QStringLiteral("Site lekari"));
    report.setCellText(u"pzu", QStringLiteral("PZU [Zdravje] Skopje"));
    report.setCellText(u"dataod", QStringLiteral("01.01.2024"));
    report.setCellText(u"datado", QStringLiteral("31.03.2024"));
    return report;
}

} // namespace

TEST(FrxDecaOutput, PreparesThirteenPagesAndWritesThePdf)
{
    const report::TfrxReport filled = filledFrxDeca();
    const report::PreparedReport prepared = report::prepare(filled);
    ASSERT_EQ(prepared.pages.size(), 13u);

    // The title band prints at the top of the printable area; the institution's
    // name keeps its brackets.
    bool foundPzu = false;
    for (const report::OutputCell &cell : prepared.pages[0].cells) {
        if (cell.name == QStringLiteral("pzu")) {
            foundPzu = true;
            EXPECT_EQ(cell.text, QStringLiteral("PZU [Zdravje] Skopje"));
            EXPECT_NEAR(cell.top, report::mm(1), 1e-4);
        }
    }
    EXPECT_TRUE(foundPzu);

    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString kept = qEnvironmentVariable("TAREL_FRXDECA_PDF");
    const QString path = kept.isEmpty() ? dir.filePath(QStringLiteral("frxDeca.pdf")) : kept;
    const Result<void> written = report::writePdf(prepared, path);
    ASSERT_TRUE(written.ok()) << written.message().toStdString();
    QFile pdf(path);
    ASSERT_TRUE(pdf.open(QIODevice::ReadOnly));
    EXPECT_TRUE(pdf.read(5).startsWith("%PDF-"));
}
