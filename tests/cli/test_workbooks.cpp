// The six reports as workbooks over the demo database: every number cell of
// the sheet is a count of the prepared report, in its line and under its
// column number, shown as the form shows it; and a spreadsheet program
// prints the sheet with its head on every page.
#include "runform.h"
#include "countcells.h"
#include "engine.h"
#include "generator.h"
#include "workbook.h"
#include "workbookexpect.h"
#include "xlsxreader.h"

#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace tarel;
using namespace Qt::StringLiterals;

namespace {

struct Made {
    report::PreparedReport prepared;
    QString path;
};

class Workbooks : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        folder = new QTemporaryDir;
        demodb::DemoOptions options;
        options.visits = 20000;
        options.lastDay = QDate(2024, 12, 31);
        const auto written = demodb::writeDemoDatabase(folder->filePath(u"demo.sqlite"_s), options);
        ASSERT_TRUE(written.ok()) << written.message().toStdString();
    }
    static void TearDownTestSuite()
    {
        delete folder;
        folder = nullptr;
    }

    // The report over November 2024 for all doctors, written as a workbook.
    Made make(const engine::ReportDefinition &definition)
    {
        auto database = data::Database::open(data::sqliteFile(folder->filePath(u"demo.sqlite"_s)));
        EXPECT_TRUE(database.ok());
        if (!database)
            return {};
        engine::Request request;
        request.report = &definition;
        request.from = QDate(2024, 11, 1);
        request.to = QDate(2024, 11, 30);
        request.today = QDate(2024, 12, 1);
        const auto filled = tarel::testing::runForm(**database, request);
        EXPECT_TRUE(filled.ok()) << filled.message().toStdString();
        if (!filled)
            return {};
        Made made{report::prepare(*filled), folder->filePath(definition.commandName() + u".xlsx"_s)};
        const auto written = report::writeWorkbook(made.prepared, made.path);
        EXPECT_TRUE(written.ok()) << written.message().toStdString();
        return made;
    }

    static QTemporaryDir *folder;
};

QTemporaryDir *Workbooks::folder = nullptr;

} // namespace

TEST_F(Workbooks, NumberCellsAreTheReportsCounts)
{
    for (const engine::ReportDefinition &definition : engine::reportTable()) {
        SCOPED_TRACE(definition.name);
        const Made made = make(definition);
        QString error;
        const auto workbook = tarel::testing::readXlsx(made.path, &error);
        ASSERT_TRUE(workbook) << error.toStdString();
        const tarel::testing::XlsxSheet &sheet = workbook->sheets.at(0);

        const auto expected = tarel::testing::preparedCountLines(made.prepared, tarel::testing::countCellsOf(definition));
        const auto actual = tarel::testing::sheetCountLines(sheet);
        ASSERT_EQ(actual.size(), expected.size());
        std::size_t counts = 0;
        bool nonZero = false;
        for (std::size_t line = 0; line < expected.size(); ++line) {
            ASSERT_EQ(actual[line], expected[line]) << "line " << line;
            counts += expected[line].size();
            for (const auto &[label, value] : expected[line])
                nonZero = nonZero || (value != u"-" && value != u"0");
        }
        EXPECT_TRUE(nonZero) << "the month has visits";
        EXPECT_GE(counts, 18u) << "a visit report has three rows of six counts or more";

        // Set up for printing: A4 landscape, one page wide, the head repeated.
        EXPECT_EQ(sheet.pageSetup.value(u"paperSize"_s), u"9"_s);
        EXPECT_EQ(sheet.pageSetup.value(u"orientation"_s), u"landscape"_s);
        EXPECT_TRUE(sheet.fitToPage);
        EXPECT_EQ(sheet.pageSetup.value(u"fitToHeight"_s), u"0"_s);
        EXPECT_FALSE(sheet.printTitles.isEmpty());
        EXPECT_EQ(workbook->sheets.at(1).name, u"Podatoci"_s);
    }
}

// LibreOffice prints the sheet as the form: its head on every page, every
// code of a code range whole (no code broken over two lines), and a six-digit
// count as its digits, not "###".
TEST_F(Workbooks, SpreadsheetProgramPrintsTheHeadOnEveryPage)
{
    const QString office = QStandardPaths::findExecutable(u"soffice"_s);
    const QString pdftotext = QStandardPaths::findExecutable(u"pdftotext"_s);
    if (office.isEmpty() || pdftotext.isEmpty())
        GTEST_SKIP() << "LibreOffice (soffice) or pdftotext not installed";
    Made made = make(*engine::findReport(u"general-medicine"));
    ASSERT_TRUE(made.prepared.result);
    auto changed = std::make_shared<result::RunResult>(*made.prepared.result);
    changed->counts.setValue(1, 0, 123456);
    made.prepared.result = changed;
    QStringList codes;
    for (const result::RowIdentity &row : changed->counts.shape().rows())
        codes << row.codes.split(QRegularExpression(u"[ ,]+"_s), Qt::SkipEmptyParts);
    ASSERT_GT(codes.size(), 300);
    ASSERT_TRUE(report::writeWorkbook(made.prepared, made.path).ok());
    QTemporaryDir profile;
    QProcess convert;
    convert.start(office, {u"-env:UserInstallation=file://"_s + profile.path(), u"--headless"_s,
                           u"--convert-to"_s, u"pdf"_s, u"--outdir"_s, folder->path(), made.path});
    ASSERT_TRUE(convert.waitForFinished(180000));
    QProcess text;
    text.start(pdftotext, {u"-layout"_s, folder->filePath(u"general-medicine.pdf"_s), u"-"_s});
    ASSERT_TRUE(text.waitForFinished(60000));
    const QString printed = QString::fromUtf8(text.readAllStandardOutput());
    const QStringList pages = printed.split(u'\f', Qt::SkipEmptyParts);
    // The form's pages, then the data sheet's.
    int formPages = 0;
    for (const QString &page : pages) {
        if (page.contains(u"Податок"_s))
            break;
        ++formPages;
        EXPECT_TRUE(page.contains(u"шифра по МКБ - 10"_s)) << "page " << formPages;
    }
    // 308 rows and 21 subtotals: more than one page, far fewer than the form's 13.
    EXPECT_GE(formPages, 2);
    EXPECT_LT(formPages, 13);
    EXPECT_TRUE(pages.value(0).contains(u"УТВРДЕНИ ЗАБОЛУВАЊА"_s));
    // Each code or range of codes printed whole: a range broken after its
    // hyphen, or a code inside, would leave it in pieces.
    for (const QString &code : codes)
        EXPECT_TRUE(printed.contains(code)) << "broken: " << code.toStdString();
    EXPECT_TRUE(printed.contains(u"123456"_s));
}
