// Whole morbidity runs over a source database against the floor: a plain walk
// over the same query reading the same four fields. Also the naive classifier
// that tests every catalogue rule per record, and the sqlite3 shell computing
// the counts with one GROUP BY over the same join.
//
//   bench_morbidity DATABASE [--from YYYY-MM-DD] [--to YYYY-MM-DD] [--repeat N]
//
// Prints one line per report with the best time of N runs and the ratios.

#include "children.h"
#include "database.h"
#include "generalmedicine.h"
#include "catalogue.h"
#include "engine.h"
#include "reportparts.h"
#include "prepared.h"
#include "schoolyouth.h"
#include "statements.h"
#include "template.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QProcess>

#include <cstdio>
#include <ctime>
#include <sys/resource.h>
#include <functional>

using namespace tarel;

namespace {

double cpuSeconds()
{
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return double(now.tv_sec) + double(now.tv_nsec) / 1e9;
}

// Best wall-clock time of N runs.
double bestOf(int repeat, const std::function<void()> &work)
{
    double best = 1e300;
    for (int i = 0; i < repeat; ++i) {
        QElapsedTimer timer;
        timer.start();
        work();
        best = std::min(best, timer.nsecsElapsed() / 1e9);
    }
    return best;
}

// Best wall-clock and processor times of two kinds of work, run alternately
// so that a change of the machine's load falls on both alike.
struct Pair {
    double wallA = 1e300, cpuA = 1e300, wallB = 1e300, cpuB = 1e300;
};
Pair alternate(int repeat, const std::function<void()> &a, const std::function<void()> &b)
{
    Pair best;
    for (int i = 0; i < repeat; ++i) {
        for (int which = 0; which < 2; ++which) {
            QElapsedTimer timer;
            timer.start();
            const double cpu = cpuSeconds();
            (which == 0 ? a : b)();
            const double wall = timer.nsecsElapsed() / 1e9, used = cpuSeconds() - cpu;
            if (which == 0) {
                best.wallA = std::min(best.wallA, wall);
                best.cpuA = std::min(best.cpuA, used);
            } else {
                best.wallB = std::min(best.wallB, wall);
                best.cpuB = std::min(best.cpuB, used);
            }
        }
    }
    return best;
}

bool openMorbidityQuery(data::Database &db, data::Query &query, QDate from, QDate to)
{
    query.setLines(data::morbidityStatementFor(false, data::AreaFilter::Both));
    auto opened = query.open(from, to);
    if (!opened)
        std::fprintf(stderr, "%s\n", qPrintable(opened.message()));
    return opened.ok();
    Q_UNUSED(db);
}

// The floor: the same query, reading the four fields the run reads.
long long walkFloor(data::Database &db, QDate from, QDate to)
{
    data::Query query(db, QStringLiteral("floor"));
    if (!openMorbidityQuery(db, query, from, to))
        return -1;
    const int f[] = {query.field(u"S_DIJA"), query.field(u"S_DIJA2"), query.field(u"MB"), query.field(u"DAT_R")};
    long long checksum = 0;
    while (query.next())
        for (int i : f)
            checksum += query.value(i).toString().size();
    return checksum;
}

// The naive run: every catalogue rule tested for every record.
long long walkNaive(data::Database &db, const tabulation::RowCatalogue &catalogue, QDate from, QDate to)
{
    data::Query query(db, QStringLiteral("naive"));
    if (!openMorbidityQuery(db, query, from, to))
        return -1;
    const int sDija = query.field(u"S_DIJA"), sDija2 = query.field(u"S_DIJA2");
    long long matches = 0;
    while (query.next())
        matches += qsizetype(catalogue.classifyByTestingEveryRule(query.text(sDija), query.text(sDija2)).size());
    return matches;
}

QString sqliteGroupBy(QDate from, QDate to)
{
    return QStringLiteral(
               "select S_DIJA, S_DIJA2, substr(pregledi1.MB,10,3) < '500', "
               "case when DAT_R > date('%2','-20 years') then 0 when DAT_R > date('%2','-24 years') then 1 "
               "when DAT_R > date('%2','-34 years') then 2 when DAT_R > date('%2','-44 years') then 3 "
               "when DAT_R > date('%2','-54 years') then 4 when DAT_R > date('%2','-64 years') then 5 "
               "when DAT_R > date('%2','-74 years') then 6 else 7 end as band, count(*) "
               "from PREGLEDI1 inner join osigurenici on osigurenici.mb = pregledi1.mb "
               "where DATA between '%1' and '%2' and (pregledi1.vidnausluga='1' or pregledi1.vidnausluga='2') "
               "group by 1, 2, 3, 4;")
        .arg(from.toString(Qt::ISODate), to.toString(Qt::ISODate));
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() < 2) {
        std::fprintf(stderr, "usage: bench_morbidity DATABASE [--from D] [--to D] [--repeat N]\n");
        return 2;
    }
    const QString path = args[1];
    QDate from(1900, 1, 1), to = QDate::currentDate();
    int repeat = 3;
    for (int i = 2; i + 1 < args.size(); i += 2) {
        if (args[i] == QLatin1String("--from"))
            from = QDate::fromString(args[i + 1], Qt::ISODate);
        else if (args[i] == QLatin1String("--to"))
            to = QDate::fromString(args[i + 1], Qt::ISODate);
        else if (args[i] == QLatin1String("--repeat"))
            repeat = args[i + 1].toInt();
    }

    auto opened = data::Database::open(data::sqliteFile(path));
    if (!opened) {
        std::fprintf(stderr, "%s\n", qPrintable(opened.message()));
        return 1;
    }
    data::Database &db = **opened;

    const double shell = bestOf(repeat, [&] {
        QProcess sqlite;
        sqlite.start(QStringLiteral("sqlite3"), {QStringLiteral("-readonly"), path, sqliteGroupBy(from, to)});
        sqlite.waitForFinished(-1);
        sqlite.readAllStandardOutput();
    });

    std::printf("%-12s %8s %8s %8s %8s %7s %8s %7s %8s\n", "report", "floor s", "run s", "naive s", "shell s",
                "run/fl", "cpu r/fl", "naive/fl", "shell/fl");
    for (const char *name : {"general-medicine", "school-youth", "children"}) {
        const engine::ReportDefinition *report = engine::findReport(QLatin1String(name));
        const reports::MorbidityReport &definition = *engine::morbidityOf(*report);
        auto catalogue = definition.catalogue();
        if (!catalogue) {
            std::fprintf(stderr, "%s\n", qPrintable(catalogue.message()));
            return 1;
        }
        engine::Request request;
        request.report = report;
        request.from = from;
        request.to = to;

        const double naive = bestOf(1, [&] { walkNaive(db, **catalogue, from, to); }); // slow: one run is enough
        bool ok = true;
        const Pair timed = alternate(
            repeat, [&] { walkFloor(db, from, to); },
            [&] {
                const auto result = engine::run(db, request);
                const auto filled = result ? engine::filledForm(*result) : result.error();
                ok = ok && filled.ok();
                if (filled) {
                    report::PreparedReport prepared = report::prepare(*filled);
                    Q_UNUSED(prepared);
                }
            });
        std::printf("%-12s %8.3f %8.3f %8.3f %8.3f %7.2f %8.2f %7.2f %8.2f%s\n",
                    qPrintable((*definition.form())->form.blank.name), timed.wallA, timed.wallB, naive, shell,
                    timed.wallB / timed.wallA, timed.cpuB / timed.cpuA, naive / timed.wallA, shell / timed.wallA,
                    ok ? "" : "  (run failed)");
    }
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    std::printf("peak memory (resident): %.1f MB\n", usage.ru_maxrss / 1024.0);
    return 0;
}
