// The two ways the program's join reaches the persons of a period's visits,
// timed against each other over periods from a day to half a year: every
// insured person read once and joined here, or each visit's persons found
// through the MB index (on PostgreSQL, the server's join). Prints, for each
// period, its visits, both times (best of N, alternating), their ratio and
// the way the estimate takes; the estimate should take the faster way
// wherever the two differ by much.
//
//   bench_person_reading DATABASE|--alias NAME [--report NAME] [--from YYYY-MM-DD] [--runs N]

#include "database.h"
#include "engine.h"
#include "sourcereading.h"

#include <QElapsedTimer>
#include <QGuiApplication>
#include <QSqlQuery>

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
        std::fprintf(stderr, "usage: bench_person_reading DATABASE [--report NAME] [--from D] [--runs N]\n");
        return 2;
    }
    QString reportName = QStringLiteral("general-medicine");
    QDate from(2025, 3, 1);
    int runs = 3;
    for (qsizetype i = arguments[1] == u"--alias" ? 3 : 2; i + 1 < arguments.size(); i += 2) {
        if (arguments[i] == u"--report")
            reportName = arguments[i + 1];
        else if (arguments[i] == u"--from")
            from = QDate::fromString(arguments[i + 1], Qt::ISODate);
        else if (arguments[i] == u"--runs")
            runs = arguments[i + 1].toInt();
    }
    const engine::ReportDefinition *report = engine::findReport(reportName);
    Result<std::unique_ptr<data::Database>> opened = arguments[1] == u"--alias"
        ? data::Database::openAlias(arguments.value(2))
        : data::Database::open(data::sqliteFile(arguments[1]));
    if (!report || !opened) {
        std::fprintf(stderr, "%s\n", report ? qPrintable(opened.message()) : "no such report");
        return 1;
    }
    data::Database &database = **opened;
    std::printf("%-6s %9s %15s %15s %8s  %s\n", "days", "visits", "all persons ms", "per visit ms", "ratio",
                "the estimate takes");
    for (int days : {1, 2, 4, 7, 14, 21, 31, 45, 62, 92, 183}) {
        engine::Request request;
        request.report = report;
        request.from = from;
        request.to = from.addDays(days - 1);
        QSqlQuery count(database.connection());
        count.prepare(QStringLiteral("select count(*) from PREGLEDI1 where DATA between ? and ?"));
        count.addBindValue(request.from);
        count.addBindValue(request.to);
        const qint64 visits = count.exec() && count.next() ? count.value(0).toLongLong() : -1;
        count.finish();
        double best[2] = {std::numeric_limits<double>::max(), std::numeric_limits<double>::max()};
        for (int i = 0; i < runs; ++i)
            for (int perVisit = 0; perVisit < 2; ++perVisit) {
                engine::RunOptions options;
                options.source = perVisit ? data::VisitSourceKind::ProgramJoinPerVisit
                                          : data::VisitSourceKind::ProgramJoinAllPersons;
                QElapsedTimer timer;
                timer.start();
                const Result<result::RunResult> run = engine::run(database, request, options);
                if (!run) {
                    std::fprintf(stderr, "%s\n", qPrintable(run.message()));
                    return 1;
                }
                best[perVisit] = std::min(best[perVisit], double(timer.nsecsElapsed()) / 1e6);
            }
        data::VisitSelection selection;
        selection.from = request.from;
        selection.to = request.to;
        const data::ReadTransaction transaction(database);
        const std::optional<data::ReadPlan> plan = database.engine() == data::Engine::PostgreSQL
            ? data::postgresReadPlan(database, selection, data::FieldBirthDate)
            : data::sqliteReadPlan(database, selection);
        std::printf("%-6d %9lld %15.1f %15.1f %8.2f  %s\n", days, visits, best[0], best[1], best[1] / best[0],
                    !plan ? "-" : plan->personsPerVisit ? "per visit" : "all persons");
    }
    return 0;
}
