// Each number beside its history, from the one read of the whole span: for
// every report, each period's table equals a plain run of that period (every
// count cell, the sums too), whatever the doctor, area and way of reading;
// the flags recomputed from the JSON's values agree; the doctors' visits are
// the visits their own runs select; history before the first visit is left
// out; and the planted anomalies of the demo database are found.

#include "generator.h"
#include "sourcedatabase.h"

#include "database.h"
#include "engine.h"
#include "trendrun.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cmath>

using namespace tarel;
using tarel::testing::SourceDatabase;

namespace {

// A demo database of 16 months ending 30 June 2025, its last month with
// the planted anomalies; made once for the tests of this file.
class DemoTrend : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        s_folder = new QTemporaryDir;
        const QString path = s_folder->filePath(QStringLiteral("demo.sqlite"));
        demodb::DemoOptions options;
        options.visits = 24000;
        options.seed = 11;
        options.months = 16;
        options.lastDay = QDate(2025, 6, 30);
        options.anomalies = true;
        ASSERT_TRUE(demodb::writeDemoDatabase(path, options).ok());
        auto opened = data::Database::open(data::sqliteFile(path));
        ASSERT_TRUE(opened.ok()) << opened.message().toStdString();
        s_database = std::move(opened).value().release();
    }
    static void TearDownTestSuite()
    {
        delete s_database;
        delete s_folder;
    }

    static engine::Request june(const engine::ReportDefinition &report)
    {
        engine::Request request;
        request.report = &report;
        request.from = QDate(2025, 6, 1);
        request.to = QDate(2025, 6, 30);
        request.today = QDate(2025, 7, 1);
        return request;
    }

    // Every period's table against a plain run of that period.
    static void expectPeriodsAsPlainRuns(const engine::Request &request, const trend::Trend &trend,
                                         const char *what)
    {
        for (std::size_t p = 0; p < trend.periods.size(); ++p) {
            const Result<result::RunResult> plain =
                engine::run(*s_database, engine::periodRequest(request, trend.periods[p]));
            ASSERT_TRUE(plain.ok()) << plain.message().toStdString();
            EXPECT_TRUE(trend.tables[p] == plain->counts)
                << what << ", period " << trend.periods[p].from.toString(Qt::ISODate).toStdString();
        }
    }

    static inline QTemporaryDir *s_folder = nullptr;
    static inline data::Database *s_database = nullptr;
};

// The flag of a count by its definition, from the history's values alone.
trend::Flag flagByDefinition(qint64 x, const std::vector<qint64> &history)
{
    if (history.size() < 3)
        return trend::Flag::None;
    long double mean = 0;
    for (const qint64 h : history)
        mean += h;
    mean /= history.size();
    long double variance = 0;
    for (const qint64 h : history)
        variance += (h - mean) * (h - mean);
    const long double sd = std::sqrt(variance / history.size());
    const long double distance = std::fabs(x - mean);
    const bool allSome = std::all_of(history.begin(), history.end(), [](qint64 h) { return h >= 1; });
    const bool allNone = std::all_of(history.begin(), history.end(), [](qint64 h) { return h == 0; });
    if (x == 0 && allSome)
        return trend::Flag::Gone;
    if (allNone && x >= 5)
        return trend::Flag::New;
    if (distance > 3 * sd && distance >= 5)
        return trend::Flag::Extreme;
    if (distance > 2 * sd && distance >= 5)
        return trend::Flag::Moderate;
    return trend::Flag::None;
}

} // namespace

TEST_F(DemoTrend, EveryPeriodCountsAsItsPlainRunAndTheFlagsFollowFromTheValues)
{
    int flagged = 0;
    for (const engine::ReportDefinition &report : engine::reportTable()) {
        const engine::Request request = june(report);
        const Result<trend::Trend> trend = engine::runTrend(*s_database, request, 12);
        ASSERT_TRUE(trend.ok()) << trend.message().toStdString();
        ASSERT_EQ(trend->periods.size(), 13u) << report.name;
        EXPECT_EQ(trend->periods.front().from, QDate(2024, 6, 1));
        expectPeriodsAsPlainRuns(request, *trend, report.name);

        // The JSON: every count cell with its values, and a flag that follows from them.
        const QJsonObject json = QJsonDocument::fromJson(trend::trendJson(*trend)).object();
        const QJsonArray cells = json.value(u"cells").toArray();
        ASSERT_EQ(std::size_t(cells.size()), trend->cells.size()) << report.name;
        for (qsizetype i = 0; i < cells.size(); ++i) {
            const QJsonObject cell = cells[i].toObject();
            const trend::CountCell &named = trend->cells[std::size_t(i)];
            std::vector<qint64> values;
            for (const QJsonValue &value : cell.value(u"values").toArray())
                values.push_back(qint64(value.toDouble()));
            ASSERT_EQ(values, trend->values(named.row, named.column)) << named.name.toStdString();
            const qint64 x = values.back();
            values.pop_back();
            const trend::Flag expected = flagByDefinition(x, values);
            EXPECT_EQ(cell.value(u"flag").toString(), trend::flagName(expected))
                << report.name << " " << named.name.toStdString();
            flagged += expected != trend::Flag::None;
            long double mean = 0;
            for (const qint64 h : values)
                mean += h;
            EXPECT_NEAR(cell.value(u"mean").toDouble(), double(mean / values.size()), 1e-9);
        }
    }
    EXPECT_GT(flagged, 0); // the planted anomalies at least
}

TEST_F(DemoTrend, TheSameDoctorAndAreaAndHistoryBeforeTheFirstVisitLeftOut)
{
    const engine::ReportDefinition &report = *engine::findReport("general-medicine");
    engine::Request request = june(report);
    request.doctor = data::Doctor{QStringLiteral("L02"), QStringLiteral("Stojanovska Marija")};
    request.area = data::AreaFilter::Urban;
    // 20 months back reach before the first visit (1 March 2024): 15 remain.
    const Result<trend::Trend> trend = engine::runTrend(*s_database, request, 20);
    ASSERT_TRUE(trend.ok()) << trend.message().toStdString();
    ASSERT_EQ(trend->periods.size(), 16u);
    EXPECT_EQ(trend->periods.front().from, QDate(2024, 3, 1));
    EXPECT_EQ(trend->doctor->code, QStringLiteral("L02"));
    EXPECT_EQ(trend->area, result::Area::Urban);
    EXPECT_TRUE(trend->doctors.empty()); // one doctor: no doctors' lines
    expectPeriodsAsPlainRuns(request, *trend, "L02, urban");

    // A period of days, not whole months: 10 days stepping back 10 days.
    request.from = QDate(2025, 6, 11);
    request.to = QDate(2025, 6, 20);
    const Result<trend::Trend> days = engine::runTrend(*s_database, request, 3);
    ASSERT_TRUE(days.ok());
    EXPECT_EQ(days->periods.front(), (trend::Period{QDate(2025, 5, 12), QDate(2025, 5, 21)}));
    expectPeriodsAsPlainRuns(request, *days, "10 days");
}

TEST_F(DemoTrend, EachDoctorsLineHoldsTheVisitsItsOwnRunSelects)
{
    const engine::ReportDefinition &report = *engine::findReport("children");
    const engine::Request request = june(report);
    const Result<trend::Trend> trend = engine::runTrend(*s_database, request, 12);
    ASSERT_TRUE(trend.ok());
    ASSERT_GE(trend->doctors.size(), 8u);
    for (std::size_t p = 0; p < trend->periods.size(); ++p) {
        const Result<result::RunResult> all = engine::run(*s_database, engine::periodRequest(request, trend->periods[p]));
        ASSERT_TRUE(all.ok());
        qint64 sum = 0;
        for (const trend::DoctorVisits &doctor : trend->doctors)
            sum += doctor.values[p];
        EXPECT_EQ(sum, all->check->selected) << "period " << p;
    }
    // The last three periods doctor by doctor, through the doctor filter.
    for (const trend::DoctorVisits &doctor : trend->doctors) {
        EXPECT_FALSE(doctor.name.isEmpty()) << doctor.code.toStdString();
        for (std::size_t p = trend->periods.size() - 3; p < trend->periods.size(); ++p) {
            engine::Request own = engine::periodRequest(request, trend->periods[p]);
            own.doctor = data::Doctor{doctor.code, doctor.name};
            const Result<result::RunResult> run = engine::run(*s_database, own);
            ASSERT_TRUE(run.ok());
            EXPECT_EQ(doctor.values[p], run->check->selected) << doctor.code.toStdString() << ", period " << p;
        }
    }
}

TEST_F(DemoTrend, FindsThePlantedAnomalies)
{
    const auto rowWith = [](const trend::Trend &trend, const char *codes) {
        const std::vector<result::RowIdentity> &rows = trend.shape().rows();
        for (std::size_t i = 0; i < rows.size(); ++i)
            if (rows[i].kind == result::RowKind::Counted && rows[i].codes.startsWith(QLatin1String(codes)))
                return int(i);
        return -1;
    };
    // The flags of a row's cells in the columns that sum others (its totals).
    const auto totalFlags = [](const trend::Trend &trend, int row) {
        std::vector<trend::Flag> flags;
        for (const trend::CellSeries &one : trend::cellSeries(trend)) {
            const trend::CountCell &cell = trend.cells[std::size_t(one.cell)];
            if (cell.row == row && !trend.shape().columns()[std::size_t(cell.column)].sums.empty())
                flags.push_back(one.statistics.flag);
        }
        return flags;
    };

    const Result<trend::Trend> general = engine::runTrend(*s_database, june(*engine::findReport("general-medicine")), 12);
    ASSERT_TRUE(general.ok());
    // The doctor who stopped entering visits.
    const auto l01 = std::find_if(general->doctors.begin(), general->doctors.end(),
                                  [](const trend::DoctorVisits &doctor) { return doctor.code == u"L01"; });
    ASSERT_NE(l01, general->doctors.end());
    EXPECT_EQ(l01->values.back(), 0);
    EXPECT_EQ(l01->flag(), trend::Flag::Silent);
    for (const trend::DoctorVisits &doctor : general->doctors)
        EXPECT_EQ(doctor.flag() == trend::Flag::Silent, doctor.code == u"L01") << doctor.code.toStdString();
    // The row that tripled: acute bronchitis, men and women both flagged.
    const int bronchitis = rowWith(*general, "J20");
    ASSERT_GE(bronchitis, 0);
    const std::vector<trend::Flag> flags = totalFlags(*general, bronchitis);
    ASSERT_EQ(flags.size(), 2u);
    for (const trend::Flag flag : flags)
        EXPECT_TRUE(flag == trend::Flag::Extreme || flag == trend::Flag::Moderate) << trend::flagName(flag).toStdString();
    EXPECT_TRUE(std::find(flags.begin(), flags.end(), trend::Flag::Extreme) != flags.end());

    // The code that appeared: whooping cough in the children's and school reports.
    for (const char *name : {"children", "school-youth"}) {
        const Result<trend::Trend> trend = engine::runTrend(*s_database, june(*engine::findReport(name)), 12);
        ASSERT_TRUE(trend.ok());
        const int pertussis = rowWith(*trend, "A37");
        ASSERT_GE(pertussis, 0) << name;
        const std::vector<trend::Flag> flags = totalFlags(*trend, pertussis);

        EXPECT_TRUE(std::find(flags.begin(), flags.end(), trend::Flag::New) != flags.end()) << name;
    }
}

// Visit dates that are not ISO texts fall in the period a plain run of it
// would select them in, or in none: between two periods as text
// ("2024-01-31 10:00"), in one as text ("2024-02-1", "2024-02-15 10:00" in
// February), after all ("2024-02-30", "2024-2-3" after "2024-02-29"); every
// way of reading agrees.
TEST(TrendRun, VisitDateTextsFallInThePeriodTheirPlainRunSelectsThemIn)
{
    SourceDatabase source;
    source.addDoctor(QStringLiteral("L01"), QStringLiteral("Petrovski"), QStringLiteral("Marko"), true);
    int number = 0;
    for (const char *date : {"2023-11-30", "2023-12-01", "2023-12-31", "2024-01-01", "2024-01-31 10:00", "2024-01-31",
                             "2024-02-01", "2024-02-1", "2024-02-15 10:00", "2024-02-29", "2024-02-30", "2024-02-29x",
                             "2024-2-3", "15.02.2024"}) {
        SourceDatabase::Visit visit;
        visit.mb = QStringLiteral("0101980450%1").arg(++number, 3, 10, QLatin1Char('0'));
        visit.data = QLatin1String(date);
        visit.sDija = QStringLiteral("I10");
        source.addVisit(visit);
    }
    auto opened = data::Database::open(data::sqliteFile(source.path()));
    ASSERT_TRUE(opened.ok());
    data::Database &database = **opened;
    engine::Request request;
    request.report = engine::findReport("general-medicine");
    request.from = QDate(2024, 2, 1);
    request.to = QDate(2024, 2, 29);
    for (const data::VisitSourceKind kind :
         {data::VisitSourceKind::Statements, data::VisitSourceKind::ServerJoin, data::VisitSourceKind::ProgramJoin}) {
        engine::RunOptions options;
        options.source = kind;
        const Result<trend::Trend> trend = engine::runTrend(database, request, 3, options);
        ASSERT_TRUE(trend.ok()) << trend.message().toStdString();
        ASSERT_EQ(trend->periods.size(), 4u); // November ends on the first visit's day: kept
        const int total = trend->shape().rowOf(u"V");
        std::vector<qint64> men;
        for (const result::CountTable &table : trend->tables)
            men.push_back(table.value(total, 0));
        EXPECT_EQ(men, (std::vector<qint64>{1, 2, 2, 4})) << int(kind);
        for (std::size_t p = 0; p < trend->periods.size(); ++p) {
            const Result<result::RunResult> plain =
                engine::run(database, engine::periodRequest(request, trend->periods[p]), options);
            ASSERT_TRUE(plain.ok());
            EXPECT_TRUE(trend->tables[p] == plain->counts) << "period " << p << ", source " << int(kind);
        }
        ASSERT_EQ(trend->doctors.size(), 1u);
        EXPECT_EQ(trend->doctors.front().values, men);
    }
}
