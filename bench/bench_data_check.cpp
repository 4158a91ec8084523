// What the data check adds to a run: every report run with its check (the
// account of every visit, and the figures the source counts while it reads:
// repeated persons, unmatched visits, missing settlement codes, non-ISO visit
// dates) and without, best of N each, alternating.
//
//   bench_data_check DATABASE [--from YYYY-MM-DD] [--to YYYY-MM-DD] [--runs N]

#include "database.h"
#include "engine.h"

#include <QElapsedTimer>
#include <QGuiApplication>

#include <algorithm>
#include <cstdio>
#include <limits>

using namespace tarel;

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const QStringList arguments = app.arguments();
    if (arguments.size() < 2) {
        std::fprintf(stderr, "usage: bench_data_check DATABASE [--from D] [--to D] [--runs N]\n");
        return 2;
    }
    QDate from(2024, 12, 1), to(2026, 11, 30);
    int runs = 3;
    for (qsizetype i = 2; i + 1 < arguments.size(); i += 2) {
        if (arguments[i] == u"--from")
            from = QDate::fromString(arguments[i + 1], Qt::ISODate);
        else if (arguments[i] == u"--to")
            to = QDate::fromString(arguments[i + 1], Qt::ISODate);
        else if (arguments[i] == u"--runs")
            runs = arguments[i + 1].toInt();
    }
    Result<std::unique_ptr<data::Database>> opened = data::Database::open(data::sqliteFile(arguments[1]));
    if (!opened) {
        std::fprintf(stderr, "%s\n", qPrintable(opened.message()));
        return 1;
    }
    data::Database &database = **opened;
    std::printf("%-26s %14s %12s %7s  %s\n", "report", "no check ms", "check ms", "ratio", "figures");
    for (const engine::ReportDefinition &report : engine::reportTable()) {
        engine::Request request;
        request.report = &report;
        request.from = from;
        request.to = to;
        double best[2] = {std::numeric_limits<double>::max(), std::numeric_limits<double>::max()};
        data::SourceFigures figures;
        for (int i = 0; i < runs; ++i)
            for (int withCheck = 0; withCheck < 2; ++withCheck) {
                engine::RunOptions options;
                options.dataCheck = withCheck;
                if (withCheck)
                    options.figures = &figures;
                QElapsedTimer timer;
                timer.start();
                const Result<result::RunResult> run = engine::run(database, request, options);
                if (!run) {
                    std::fprintf(stderr, "%s\n", qPrintable(run.message()));
                    return 1;
                }
                best[withCheck] = std::min(best[withCheck], double(timer.nsecsElapsed()) / 1e6);
            }
        std::printf("%-26s %14.1f %12.1f %7.3f  repeated %lld, unmatched %lld, no code %lld, non-ISO %lld\n",
                    report.name, best[0], best[1], best[1] / best[0], figures.repeatedPersons,
                    figures.unmatchedVisits, figures.noSettlementCode, figures.nonIsoVisitDates);
    }
    return 0;
}
