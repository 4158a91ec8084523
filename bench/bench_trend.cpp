// A report beside its history against a plain run over the same whole span:
// the requested month and its history months (12 unless told) read once,
// each visit classified at its own month's reference date, against one run
// of the report from the first history month to the requested month's last
// day, with and without its data check (a trend keeps none). Every report.
//
//   bench_trend DATABASE [--month YYYY-MM] [--history N] [--repeat N]
//
// Prints one line per report: the best wall-clock and processor seconds of
// N alternating runs of each, and the trend's time over the plain run's.

#include "database.h"
#include "engine.h"
#include "trendrun.h"

#include <QElapsedTimer>
#include <QGuiApplication>

#include <cstdio>
#include <ctime>
#include <functional>
#include <vector>

using namespace tarel;

namespace {

double cpuSeconds()
{
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return double(now.tv_sec) + double(now.tv_nsec) / 1e9;
}

struct Best {
    double wall = 1e300;
    double cpu = 1e300;
};

// The best times of each kind of work, run in turn so that a change of the
// machine's load falls on all alike.
std::vector<Best> alternate(int repeat, const std::vector<std::function<void()>> &works)
{
    std::vector<Best> best(works.size());
    for (int i = 0; i < repeat; ++i)
        for (std::size_t w = 0; w < works.size(); ++w) {
            QElapsedTimer timer;
            timer.start();
            const double cpu = cpuSeconds();
            works[w]();
            best[w].wall = std::min(best[w].wall, double(timer.nsecsElapsed()) / 1e9);
            best[w].cpu = std::min(best[w].cpu, cpuSeconds() - cpu);
        }
    return best;
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() < 2) {
        std::fprintf(stderr, "usage: bench_trend DATABASE [--month YYYY-MM] [--history N] [--repeat N]\n");
        return 2;
    }
    QDate month(2026, 11, 1);
    int history = 12;
    int repeat = 3;
    for (int i = 2; i + 1 < args.size(); i += 2) {
        if (args[i] == QLatin1String("--month"))
            month = QDate::fromString(args[i + 1] + QStringLiteral("-01"), Qt::ISODate);
        else if (args[i] == QLatin1String("--history"))
            history = args[i + 1].toInt();
        else if (args[i] == QLatin1String("--repeat"))
            repeat = args[i + 1].toInt();
    }
    auto opened = data::Database::open(data::sqliteFile(args[1]));
    if (!opened) {
        std::fprintf(stderr, "%s\n", qPrintable(opened.message()));
        return 1;
    }
    data::Database &db = **opened;

    std::printf("%d months beside %d earlier, against one run from %s\n", 1, history,
                qPrintable(month.addMonths(-history).toString(Qt::ISODate)));
    std::printf("%-24s %8s %8s %8s %9s %9s %11s\n", "report", "trend s", "run s", "run- s", "trend/run",
                "trend/run-", "cpu t/run-");
    for (const engine::ReportDefinition &report : engine::reportTable()) {
        engine::Request request;
        request.report = &report;
        request.from = month;
        request.to = month.addMonths(1).addDays(-1);
        engine::Request span = request;
        span.from = month.addMonths(-history);
        engine::RunOptions unchecked;
        unchecked.dataCheck = false;
        bool ok = true;
        const std::vector<Best> best = alternate(
            repeat, {[&] { ok = engine::runTrend(db, request, history).ok() && ok; },
                     [&] { ok = engine::run(db, span).ok() && ok; },
                     [&] { ok = engine::run(db, span, unchecked).ok() && ok; }});
        std::printf("%-24s %8.3f %8.3f %8.3f %9.2f %9.2f %11.2f%s\n", report.name, best[0].wall, best[1].wall,
                    best[2].wall, best[0].wall / best[1].wall, best[0].wall / best[2].wall, best[0].cpu / best[2].cpu,
                    ok ? "" : "  (a run failed)");
    }
    std::printf("run: the plain run with its data check; run-: without it\n");
    return 0;
}
