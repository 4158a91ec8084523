// The batch over the demo database for a month: the files it names, each
// holding the same counts as a run of that report on its own; a file that
// cannot be written leaves the others written and the batch failing. Its
// folder: links planted there are replaced, a second batch is refused, and
// names say the area and cover every doctor with visits. Stopped by a
// signal or with its output closed, it keeps what it wrote and says so.
#include "runform.h"
#include "batch.h"
#include "countcells.h"
#include "generator.h"
#include "preparedfile.h"
#include "workbookexpect.h"
#include "xlsxreader.h"

#include <QDir>
#include <QProcess>
#include <QSet>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <atomic>
#include <csignal>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

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
        const auto filled = tarel::testing::runForm(**source, request);
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
    // Standard error holds the summary line alone.
    EXPECT_TRUE(
        run.err.startsWith(u"Batch 2024-11-01 to 2024-11-30 into \""_s + QDir(out).absolutePath() + u"\", ended "_s))
        << run.err.toStdString();
    EXPECT_FALSE(run.err.contains(u'\n')) << run.err.toStdString();

    // Six reports and three per active doctor (in the demo data only they
    // have visits), in two formats: one line per file.
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
    EXPECT_TRUE(run.err.contains(u"\n1 of 6 files were not written: "_s + blocked + u".\n"_s)) << run.err.toStdString();
    EXPECT_TRUE(run.err.endsWith(u": 5 of 6 files written, 1 not written."_s)) << run.err.toStdString();
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
    const auto outcome = cli::runBatch(**source, request, [&](const cli::BatchFile &file) {
        written += file.error ? 0 : 1;
        cancel.store(true); // after the first file
    });
    ASSERT_TRUE(outcome.ok()) << outcome.message().toStdString();
    ASSERT_TRUE(outcome->stopped.has_value());
    EXPECT_EQ(outcome->stopped->kind, ErrorKind::Cancelled);
    EXPECT_EQ(outcome->files.size(), 1u);
    EXPECT_EQ(outcome->planned, 6u);
    EXPECT_EQ(written, 1);
    EXPECT_EQ(QDir(request.folder).entryList(QDir::Files).size(), 1);
}

// SIGTERM in the middle of a batch: the files written stay, nothing half-made
// is left, the summary says where it stopped, exit 143. A closed standard
// output (a batch piped into "head") loses the list, not the files.
TEST_F(Batch, ASignalOrAClosedOutputKeepsWhatWasWritten)
{
    const QString out = folder->filePath(u"signalled"_s);
    QProcess process;
    process.start(QStringLiteral(TAREL_REPORT_EXECUTABLE),
                  {u"batch"_s, u"--month"_s, u"2024-11"_s, u"--folder"_s, out, u"--format"_s, u"pdf,xlsx"_s,
                   u"--each-doctor"_s, u"--database"_s, database()});
    ASSERT_TRUE(process.waitForStarted());
    ASSERT_TRUE(process.waitForReadyRead(60000));
    ::kill(pid_t(process.processId()), SIGTERM);
    ASSERT_TRUE(process.waitForFinished(60000));
    EXPECT_EQ(process.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(process.exitCode(), 143);
    const QStringList printed = QString::fromUtf8(process.readAllStandardOutput()).split(u'\n', Qt::SkipEmptyParts);
    const QString err = QString::fromUtf8(process.readAllStandardError());
    EXPECT_TRUE(err.contains(u"Stopped by SIGTERM after "_s + QString::number(printed.size()) + u" of "_s))
        << err.toStdString();
    EXPECT_TRUE(err.trimmed().endsWith(u", stopped by SIGTERM."_s)) << err.toStdString();
    EXPECT_LT(printed.size(), 30);
    EXPECT_EQ(QDir(out).entryList(QDir::Files).size(), printed.size());

    const QString piped = folder->filePath(u"piped"_s);
    QProcess shell;
    shell.start(u"bash"_s, {u"-c"_s, u"\"$0\" batch --month 2024-11 --folder \"$1\" --format csv --each-doctor "
                                     u"--database \"$2\" | head -n 1 >/dev/null; exit ${PIPESTATUS[0]}"_s,
                            QStringLiteral(TAREL_REPORT_EXECUTABLE), piped, database()});
    ASSERT_TRUE(shell.waitForFinished(120000));
    EXPECT_EQ(shell.exitCode(), 1);
    EXPECT_TRUE(
        QString::fromUtf8(shell.readAllStandardError()).contains(u"Cannot write to standard output: Broken pipe."_s));
    auto source = data::Database::open(data::sqliteFile(database()));
    ASSERT_TRUE(source.ok());
    const auto doctors = (*source)->doctorsWithVisits(QDate(2024, 11, 1), QDate(2024, 11, 30), data::AreaFilter::Both);
    ASSERT_TRUE(doctors.ok());
    EXPECT_EQ(std::size_t(QDir(piped).entryList(QDir::Files).size()), 6 + 3 * doctors->size());
}

// Links planted at the names of a batch's files lead nothing outside its
// folder: each is replaced by the file, and what they named stays as it was.
TEST_F(Batch, LinksInTheFolderAreReplacedNotFollowed)
{
    const QString out = folder->filePath(u"shared"_s);
    const QString outside = folder->filePath(u"outside"_s);
    ASSERT_TRUE(QDir().mkpath(out) && QDir().mkpath(outside));
    const QString victim = QDir(outside).filePath(u"victim.conf"_s);
    QFile file(victim);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("keep");
    file.close();
    const QString toVictim = QDir(out).filePath(u"2024-11-01_2024-11-30_visits-children.csv"_s);
    const QString toNew = QDir(out).filePath(u"2024-11-01_2024-11-30_children.csv"_s);
    ASSERT_TRUE(QFile::link(u"../outside/victim.conf"_s, toVictim));
    ASSERT_TRUE(QFile::link(u"../outside/new.txt"_s, toNew));

    const ToolRun run = runTool({u"batch"_s, u"--month"_s, u"2024-11"_s, u"--folder"_s, out, u"--format"_s,
                                 u"csv"_s, u"--database"_s, database()});
    EXPECT_EQ(run.exit, 0) << run.err.toStdString();
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), QByteArray("keep"));
    EXPECT_EQ(QDir(outside).entryList(QDir::Files), QStringList{u"victim.conf"_s});
    for (const QString &path : {toVictim, toNew}) {
        EXPECT_FALSE(QFileInfo(path).isSymLink()) << path.toStdString();
        EXPECT_GT(QFileInfo(path).size(), 0) << path.toStdString();
    }
}

// While one batch writes into a folder, another is refused there, before it
// reads or writes anything.
TEST_F(Batch, ASecondBatchIntoTheFolderIsRefused)
{
    const QString out = folder->filePath(u"locked"_s);
    ASSERT_TRUE(QDir().mkpath(out));
    // The lock as a running batch holds it.
    const int held = ::open(QFile::encodeName(QDir(out).filePath(u".tarel-batch.lock"_s)).constData(),
                            O_RDWR | O_CREAT, 0644);
    ASSERT_GE(held, 0);
    ASSERT_EQ(::flock(held, LOCK_EX | LOCK_NB), 0);
    ASSERT_EQ(::write(held, "4242\n", 5), 5);
    const QStringList batch{u"batch"_s, u"--month"_s, u"2024-11"_s, u"--folder"_s, out, u"--database"_s, database()};
    const ToolRun refused = runTool(batch);
    EXPECT_EQ(refused.exit, 1);
    EXPECT_EQ(refused.err, u"Another batch (process 4242) is writing into the folder \""_s + out
                               + u"\". Wait until it has finished, or give another folder."_s);
    EXPECT_TRUE(QDir(out).entryList(QDir::Files).isEmpty());
    ::close(held);
    EXPECT_EQ(runTool(batch).exit, 0);
}

// With --each-doctor every doctor with visits in the period gets a file,
// also one no longer active, so that the doctors' files add up to the report
// for all doctors; a report of one area says so in its name; a doctor's file
// of an earlier run that this run did not make is named.
TEST_F(Batch, DoctorsFilesAddUpAndNamesSayTheArea)
{
    const QString copy = folder->filePath(u"inactive.sqlite"_s);
    QFile::remove(copy);
    ASSERT_TRUE(QFile::copy(database(), copy));
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(u"QSQLITE"_s, u"deactivate"_s);
        db.setDatabaseName(copy);
        ASSERT_TRUE(db.open());
        ASSERT_TRUE(QSqlQuery(db).exec(u"update Lekari set aktiven = 0 where lekar_s = 'L01'"_s));
        db.close();
    }
    QSqlDatabase::removeDatabase(u"deactivate"_s);
    const QString out = folder->filePath(u"rural"_s);
    ASSERT_TRUE(QDir().mkpath(out));
    const QString earlier = QDir(out).filePath(u"2024-11-01_2024-11-30_children-rural_L99.fp3"_s);
    QFile(earlier).open(QIODevice::WriteOnly);

    const ToolRun run = runTool({u"batch"_s, u"--month"_s, u"2024-11"_s, u"--folder"_s, out, u"--format"_s,
                                 u"fp3"_s, u"--each-doctor"_s, u"--area"_s, u"rural"_s, u"--database"_s, copy});
    ASSERT_EQ(run.exit, 0) << run.err.toStdString();
    EXPECT_TRUE(run.err.startsWith(u"1 file of an earlier run was not written anew, as its doctor has no visits in "
                                   u"the period: "_s + earlier + u".\n"_s))
        << run.err.toStdString();
    EXPECT_TRUE(QFile::exists(QDir(out).filePath(u"2024-11-01_2024-11-30_visits-children.fp3"_s)));

    auto value = [](const QString &text) { return text == u"-" ? 0 : text.toLongLong(); };
    for (const engine::ReportDefinition &definition : engine::reportTable()) {
        if (definition.kind != engine::ReportKind::Morbidity)
            continue;
        const QString stem = u"2024-11-01_2024-11-30_"_s + definition.commandName() + u"-rural"_s;
        SCOPED_TRACE(stem.toStdString());
        const auto all = report::loadPrepared(QDir(out).filePath(stem + u".fp3"_s));
        ASSERT_TRUE(all.ok()) << all.message().toStdString();
        const auto isCount = tarel::testing::countCellsOf(definition);
        const std::vector<CountLine> total = tarel::testing::preparedCountLines(*all, isCount);
        std::vector<std::vector<qint64>> sum(total.size());
        for (std::size_t i = 0; i < total.size(); ++i)
            sum[i].assign(total[i].size(), 0);
        const QStringList doctors = QDir(out).entryList({stem + u"_L??.fp3"_s}, QDir::Files);
        EXPECT_TRUE(doctors.contains(stem + u"_L01.fp3"_s));
        for (const QString &name : doctors) {
            if (name.endsWith(u"_L99.fp3"_s))
                continue;
            const auto one = report::loadPrepared(QDir(out).filePath(name));
            ASSERT_TRUE(one.ok()) << one.message().toStdString();
            const std::vector<CountLine> lines = tarel::testing::preparedCountLines(*one, isCount);
            ASSERT_EQ(lines.size(), total.size());
            for (std::size_t i = 0; i < lines.size(); ++i)
                for (std::size_t j = 0; j < lines[i].size() && j < sum[i].size(); ++j)
                    sum[i][j] += value(lines[i][j].second);
        }
        for (std::size_t i = 0; i < total.size(); ++i)
            for (std::size_t j = 0; j < total[i].size(); ++j)
                EXPECT_EQ(sum[i][j], value(total[i][j].second)) << "line " << i << ", count " << j;
    }
}

// A month without visits (a wrong or stale database) is said on standard
// error and ends the batch with exit 3, unless empty reports are expected.
TEST_F(Batch, AReportWithoutVisitsIsSaidAndExitsThree)
{
    const QString out = folder->filePath(u"empty"_s);
    QStringList batch{u"batch"_s, u"--month"_s, u"2030-01"_s, u"--folder"_s, out, u"--format"_s, u"csv"_s,
                      u"--database"_s, database()};
    const ToolRun empty = runTool(batch);
    EXPECT_EQ(empty.exit, 3);
    EXPECT_TRUE(empty.err.startsWith(u"The reports visits-school-youth, visits-children, visits-general-medicine, "
                                     u"general-medicine, school-youth, children select no visit from 2030-01-01 to "
                                     u"2030-01-31. Check that the database is the right one and up to date.\n"_s))
        << empty.err.toStdString();
    EXPECT_TRUE(empty.err.endsWith(u": 6 of 6 files written, 6 reports select no visit."_s)) << empty.err.toStdString();
    EXPECT_EQ(empty.out.size(), 6);
    batch << u"--allow-empty"_s;
    EXPECT_EQ(runTool(batch).exit, 0);
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
    // One area: in the morbidity reports' names; the visit reports have none.
    request.area = data::AreaFilter::Urban;
    EXPECT_EQ(cli::batchFileName(request, *engine::findReport(u"children"), u"L01"_s, cli::OutputFormat::Pdf),
              u"2024-11-01_2024-11-30_children-urban_L01.pdf"_s);
    EXPECT_EQ(cli::batchFileName(request, *engine::findReport(u"visits-children"), QString(), cli::OutputFormat::Pdf),
              u"2024-11-01_2024-11-30_visits-children.pdf"_s);
}
