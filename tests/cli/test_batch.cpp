// The batch over the demo database for a month: the files it names, each
// holding the same counts as a run of that report on its own; a file that
// cannot be written leaves the others written and the batch failing.
#include "batch.h"
#include "countcells.h"
#include "generator.h"
#include "preparedfile.h"
#include "workbookexpect.h"
#include "xlsxreader.h"

#include <QDir>

#include <atomic>
#include <QProcess>
#include <QSet>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace tarel;
using namespace Qt::StringLiterals;
using tarel::testing::CountLine;

namespace {

struct ToolRun {
    int exit;
    QStringList out;
    QString err;
};

ToolRun runTool(const QStringList &arguments)
{
    QProcess process;
    process.start(QStringLiteral(TAREL_REPORT_EXECUTABLE), arguments);
    EXPECT_TRUE(process.waitForFinished(300000));
    QStringList err = QString::fromUtf8(process.readAllStandardError()).split(u'\n', Qt::SkipEmptyParts);
    err.removeIf([](const QString &line) { return line.startsWith(u"QStandardPaths:"); });
    return {process.exitCode(), QString::fromUtf8(process.readAllStandardOutput()).split(u'\n', Qt::SkipEmptyParts),
            err.join(u'\n')};
}

class Batch : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        folder = new QTemporaryDir;
        demodb::DemoOptions options;
        options.visits = 20000;
        options.lastDay = QDate(2024, 12, 31);
        const auto written = demodb::writeDemoDatabase(database(), options);
        ASSERT_TRUE(written.ok()) << written.message().toStdString();
    }
    static void TearDownTestSuite()
    {
        delete folder;
        folder = nullptr;
    }
    static QString database() { return folder->filePath(u"demo.sqlite"_s); }

    // The counts of a report over November 2024 run on its own.
    std::vector<CountLine> separateRun(const engine::ReportDefinition &definition, const std::optional<data::Doctor> &doctor)
    {
        auto source = data::Database::open(data::sqliteFile(database()));
        EXPECT_TRUE(source.ok());
        engine::Request request;
        request.report = &definition;
        request.from = QDate(2024, 11, 1);
        request.to = QDate(2024, 11, 30);
        request.doctor = doctor;
        const auto filled = engine::run(**source, request);
        EXPECT_TRUE(filled.ok());
        return filled ? tarel::testing::preparedCountLines(report::prepare(*filled),
                                                           tarel::testing::countCellsOf(definition))
                      : std::vector<CountLine>{};
    }

    static QTemporaryDir *folder;
};

QTemporaryDir *Batch::folder = nullptr;

} // namespace

TEST_F(Batch, EveryFileHoldsTheCountsOfItsOwnRun)
{
    auto source = data::Database::open(data::sqliteFile(database()));
    ASSERT_TRUE(source.ok());
    const auto doctors = (*source)->doctors();
    ASSERT_TRUE(doctors.ok());
    ASSERT_GE(doctors->size(), 2u);

    const QString out = folder->filePath(u"each-doctor"_s);
    const ToolRun run = runTool({u"batch"_s, u"--month"_s, u"2024-11"_s, u"--folder"_s, out, u"--format"_s,
                                 u"fp3,xlsx"_s, u"--each-doctor"_s, u"--database"_s, database()});
    ASSERT_EQ(run.exit, 0) << run.err.toStdString();
    EXPECT_TRUE(run.err.isEmpty()) << run.err.toStdString();

    // Six reports and three per active doctor, in two formats: one line per file.
    const auto expectedFiles = (6 + 3 * doctors->size()) * 2;
    EXPECT_EQ(std::size_t(run.out.size()), expectedFiles);
    EXPECT_EQ(QSet<QString>(run.out.begin(), run.out.end()).size(), qsizetype(expectedFiles));
    QStringList inFolder = QDir(out).entryList(QDir::Files);
    QStringList printed;
    for (const QString &path : run.out)
        printed << QFileInfo(path).fileName();
    inFolder.sort();
    printed.sort();
    EXPECT_EQ(inFolder, printed);

    for (const engine::ReportDefinition &definition : engine::reportTable()) {
        std::vector<std::optional<data::Doctor>> whose{std::nullopt};
        if (definition.kind == engine::ReportKind::Morbidity)
            whose.insert(whose.end(), doctors->begin(), doctors->end());
        for (const std::optional<data::Doctor> &doctor : whose) {
            const QString stem = u"2024-11-01_2024-11-30_"_s + definition.commandName()
                + (doctor ? u"_"_s + doctor->code : QString());
            SCOPED_TRACE(stem.toStdString());
            const std::vector<CountLine> expected = separateRun(definition, doctor);
            ASSERT_FALSE(expected.empty());

            const auto saved = report::loadPrepared(QDir(out).filePath(stem + u".fp3"_s));
            ASSERT_TRUE(saved.ok()) << saved.message().toStdString();
            EXPECT_EQ(tarel::testing::preparedCountLines(*saved, tarel::testing::countCellsOf(definition)), expected);

            const auto workbook = tarel::testing::readXlsx(QDir(out).filePath(stem + u".xlsx"_s));
            ASSERT_TRUE(workbook.has_value());
            EXPECT_EQ(tarel::testing::sheetCountLines(workbook->sheets.at(0)), expected);
        }
    }
}

TEST_F(Batch, OneUnwritableFileLeavesTheOthersAndFails)
{
    const QString out = folder->filePath(u"blocked"_s);
    // A folder where the children's workbook should go.
    const QString blocked = QDir(out).filePath(u"2024-11-01_2024-11-30_children.xlsx"_s);
    ASSERT_TRUE(QDir().mkpath(blocked));
    const ToolRun run =
        runTool({u"batch"_s, u"--from"_s, u"2024-11-01"_s, u"--to"_s, u"2024-11-30"_s, u"--folder"_s, out,
                 u"--database"_s, database()});
    EXPECT_EQ(run.exit, 1);
    EXPECT_EQ(run.out.size(), 5);
    for (const QString &path : run.out)
        EXPECT_TRUE(QFileInfo(path).isFile() && QFileInfo(path).size() > 0) << path.toStdString();
    EXPECT_FALSE(run.out.contains(blocked));
    EXPECT_TRUE(run.err.startsWith(u"Cannot write \""_s + blocked + u"\": "_s)) << run.err.toStdString();
    EXPECT_TRUE(run.err.endsWith(u"\n1 of 6 files were not written: "_s + blocked + u'.')) << run.err.toStdString();
    EXPECT_TRUE(QFileInfo(blocked).isDir());
}

// Ctrl-C ends the batch at its next run: what is written stays written, and
// the batch stops with the user's cancel instead of going on.
TEST_F(Batch, ACancelEndsTheBatch)
{
    auto source = data::Database::open(data::sqliteFile(database()));
    ASSERT_TRUE(source.ok());
    std::atomic<bool> cancel{false};
    cli::BatchRequest request;
    request.from = QDate(2024, 11, 1);
    request.to = QDate(2024, 11, 30);
    request.folder = folder->filePath(u"cancelled"_s);
    request.formats = {cli::OutputFormat::Csv};
    request.control.cancel = &cancel;
    int written = 0;
    const auto files = cli::runBatch(**source, request, [&](const cli::BatchFile &file) {
        written += file.error ? 0 : 1;
        cancel.store(true); // after the first file
    });
    ASSERT_FALSE(files.ok());
    EXPECT_EQ(files.error().kind, ErrorKind::Cancelled);
    EXPECT_EQ(written, 1);
    EXPECT_EQ(QDir(request.folder).entryList(QDir::Files).size(), 1);
}

TEST(BatchNames, DoctorCodesBecomeDistinctSafeNames)
{
    struct Case {
        const char *what;
        QStringList codes;
        QStringList parts;
    };
    const Case cases[] = {
        {"plain codes stay", {u"L01"_s, u"L02"_s}, {u"L01"_s, u"L02"_s}},
        {"separators and blanks", {u"A/1"_s, u" B 2 "_s, u"..\\x"_s}, {u"A_1"_s, u"B_2"_s, u".._x"_s}},
        {"codes that meet", {u"A/1"_s, u"A:1"_s, u"a_1"_s, u"A_1_2"_s}, {u"A_1"_s, u"A_1_2"_s, u"a_1_3"_s, u"A_1_2_2"_s}},
        {"empty code", {QString(), u"?"_s}, {u"_"_s, u"__2"_s}},
        {"Cyrillic letters stay", {u"Д1"_s}, {u"Д1"_s}},
    };
    for (const Case &c : cases)
        EXPECT_EQ(cli::doctorFileParts(c.codes), c.parts) << c.what;

    cli::BatchRequest request;
    request.from = QDate(2024, 11, 1);
    request.to = QDate(2024, 11, 30);
    EXPECT_EQ(cli::batchFileName(request, *engine::findReport(u"children"), u"L01"_s, cli::OutputFormat::Pdf),
              u"2024-11-01_2024-11-30_children_L01.pdf"_s);
    EXPECT_EQ(cli::batchFileName(request, *engine::findReport(u"visits-children"), QString(),
                                 cli::OutputFormat::Workbook),
              u"2024-11-01_2024-11-30_visits-children.xlsx"_s);
}
