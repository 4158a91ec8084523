// The report beside its history as a user asks for it: 'trend' through the
// tool writes the engine's trend, in each of its formats, and 'batch
// --trend' adds one per report in the formats a trend has.

#include "reportcommand.h"

#include "generator.h"
#include "trendrun.h"
#include "xlsxreader.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace tarel;

namespace {

struct ToolRun {
    int exit;
    QString err;
};

ToolRun runTool(const QStringList &arguments)
{
    QProcess process;
    process.start(QStringLiteral(TAREL_REPORT_EXECUTABLE), arguments);
    EXPECT_TRUE(process.waitForFinished(300000));
    QStringList err = QString::fromUtf8(process.readAllStandardError()).split(u'\n', Qt::SkipEmptyParts);
    err.removeIf([](const QString &line) { return line.startsWith(u"QStandardPaths:"); });
    return {process.exitCode(), err.join(u'\n')};
}

QByteArray readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

class TrendCommand : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        s_folder = new QTemporaryDir;
        demodb::DemoOptions options;
        options.visits = 12000;
        options.months = 14;
        options.lastDay = QDate(2025, 6, 30);
        options.anomalies = true;
        ASSERT_TRUE(demodb::writeDemoDatabase(database(), options).ok());
    }
    static void TearDownTestSuite() { delete s_folder; }
    static QString database() { return s_folder->filePath(QStringLiteral("demo.sqlite")); }
    static QString path(const QString &name) { return s_folder->filePath(name); }

    static inline QTemporaryDir *s_folder = nullptr;
};

} // namespace

TEST(TrendCommandLine, ReadsTheReportsOptionsAndTheHistory)
{
    const auto parsed = cli::parseCommand(
        QStringLiteral("trend children --doctor L02 --area rural --from 2025-06-01 --to 2025-06-30 --history 24 "
                       "--output t.XLSX")
            .split(u' '));
    ASSERT_TRUE(std::holds_alternative<cli::Command>(parsed));
    const cli::Command &command = std::get<cli::Command>(parsed);
    EXPECT_EQ(command.kind, cli::Command::Kind::Trend);
    EXPECT_EQ(command.report, engine::findReport("children"));
    EXPECT_EQ(command.doctor, QStringLiteral("L02"));
    EXPECT_EQ(command.area, data::AreaFilter::Rural);
    EXPECT_EQ(command.history, 24);
    EXPECT_EQ(command.trendFormat, cli::TrendFormat::Workbook);

    const auto batch = cli::parseCommand(QStringLiteral("batch --month 2025-06 --folder d --trend").split(u' '));
    ASSERT_TRUE(std::holds_alternative<cli::Command>(batch));
    EXPECT_TRUE(std::get<cli::Command>(batch).trends);
    EXPECT_EQ(std::get<cli::Command>(batch).history, 12);
}

TEST_F(TrendCommand, WritesTheEnginesTrendInEveryFormat)
{
    const QStringList request{QStringLiteral("trend"),      QStringLiteral("general-medicine"),
                              QStringLiteral("--all-doctors"), QStringLiteral("--from"),
                              QStringLiteral("2025-06-01"), QStringLiteral("--to"),
                              QStringLiteral("2025-06-30"), QStringLiteral("--history"),
                              QStringLiteral("6"),          QStringLiteral("--database"),
                              database()};
    for (const char *extension : {"json", "csv", "xlsx", "pdf"}) {
        const QString output = path(QStringLiteral("trend.") + QLatin1String(extension));
        const ToolRun run = runTool(request + QStringList{QStringLiteral("--output"), output});
        EXPECT_EQ(run.exit, 0) << extension << ": " << run.err.toStdString();
        EXPECT_TRUE(run.err.isEmpty()) << run.err.toStdString();
    }

    auto opened = data::Database::open(data::sqliteFile(database()));
    ASSERT_TRUE(opened.ok());
    engine::Request asked;
    asked.report = engine::findReport("general-medicine");
    asked.from = QDate(2025, 6, 1);
    asked.to = QDate(2025, 6, 30);
    const Result<trend::Trend> trend = engine::runTrend(**opened, asked, 6);
    ASSERT_TRUE(trend.ok());
    EXPECT_EQ(readAll(path(QStringLiteral("trend.json"))), trend::trendJson(*trend));
    EXPECT_EQ(readAll(path(QStringLiteral("trend.csv"))), trend::trendCsv(*trend));
    const std::optional<tarel::testing::XlsxWorkbook> workbook = tarel::testing::readXlsx(path(QStringLiteral("trend.xlsx")));
    ASSERT_TRUE(workbook);
    EXPECT_TRUE(workbook->sheet(QStringLiteral("Redovi")));
    EXPECT_TRUE(readAll(path(QStringLiteral("trend.pdf"))).startsWith("%PDF"));
}

TEST_F(TrendCommand, BatchAddsATrendPerReportInTheFormatsATrendHas)
{
    const QString out = path(QStringLiteral("batch"));
    ToolRun run = runTool({QStringLiteral("batch"), QStringLiteral("--month"), QStringLiteral("2025-06"),
                           QStringLiteral("--folder"), out, QStringLiteral("--format"), QStringLiteral("fp3,xlsx"),
                           QStringLiteral("--trend"), QStringLiteral("--history"), QStringLiteral("3"),
                           QStringLiteral("--database"), database()});
    ASSERT_EQ(run.exit, 0) << run.err.toStdString();
    QStringList trends = QDir(out).entryList({QStringLiteral("*-trend.*")}, QDir::Files, QDir::Name);
    ASSERT_EQ(trends.size(), 6);
    for (const QString &name : trends)
        EXPECT_TRUE(name.startsWith(u"2025-06-01_2025-06-30_") && name.endsWith(u"-trend.xlsx")) << name.toStdString();
    EXPECT_TRUE(run.err.contains(QStringLiteral(": 18 of 18 files written"))) << run.err.toStdString();

    // Only saved reports asked for: the trends as JSON, three periods back.
    const QString json = path(QStringLiteral("batch-json"));
    run = runTool({QStringLiteral("batch"), QStringLiteral("--month"), QStringLiteral("2025-06"),
                   QStringLiteral("--folder"), json, QStringLiteral("--format"), QStringLiteral("fp3"),
                   QStringLiteral("--trend"), QStringLiteral("--history"), QStringLiteral("3"),
                   QStringLiteral("--database"), database()});
    ASSERT_EQ(run.exit, 0) << run.err.toStdString();
    trends = QDir(json).entryList({QStringLiteral("*-trend.*")}, QDir::Files, QDir::Name);
    ASSERT_EQ(trends.size(), 6);
    const QByteArray children = readAll(QDir(json).filePath(QStringLiteral("2025-06-01_2025-06-30_children-trend.json")));
    EXPECT_TRUE(children.contains("\"periods\": [{\"from\": \"2025-03-01\""));
}
