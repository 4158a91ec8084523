// The visit reports against their floor: for each report, a plain walk over
// the urban and the rural visit query that only reads the fields the report
// reads, and the whole run (queries, walk, counting, cells, preparation).
// Best of three each, the two measured alternately.
//
//   bench_visits DATABASE [--runs N]
//
// DATABASE: a source database, e.g. from tarel-demo-db FILE --visits 1000000.
// The period is the whole span of its visits.

#include "database.h"
#include "engine.h"
#include "reportparts.h"
#include "prepared.h"
#include "statements.h"
#include "template.h"
#include "visitreports.h"

#include <QElapsedTimer>
#include <QGuiApplication>
#include <QSqlQuery>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <limits>

using namespace tarel;
using reports::VisitReport;

namespace {

struct Floor {
    qint64 rows = 0;
    qint64 checksum = 0; // keeps the reads from being optimised away
};

Result<Floor> plainWalk(data::Database &database, QDate from, QDate to, bool insurance)
{
    Floor floor;
    if (Result<void> begun = database.beginRead(); !begun)
        return begun.error();
    const std::pair<const char *, QStringList> passes[] = {{"qPosetaDecaGrad", data::qPosetaDecaGradStatement()},
                                                           {"qPosetaDecaSelo", data::qPosetaDecaSeloStatement()}};
    for (const auto &[name, statement] : passes) {
        data::Query query(database, QString::fromLatin1(name), statement);
        if (Result<void> opened = query.open(from, to); !opened) {
            database.endRead();
            return opened.error();
        }
        const int vid = query.field(u"VidNaUsluga");
        const int datR = query.field(u"DAT_R");
        const int osnov = query.field(u"OSNOV");
        const int clen = query.field(u"CLEN");
        while (query.next()) {
            int day = 0;
            query.day(datR, &day);
            floor.checksum += day + query.text(vid).size();
            if (insurance)
                floor.checksum += query.text(osnov).size() + query.text(clen).size();
            ++floor.rows;
        }
    }
    database.endRead();
    return floor;
}

Result<int> wholeRun(VisitReport report, data::Database &database, QDate from, QDate to)
{
    engine::Request request;
    for (const engine::ReportDefinition &definition : engine::reportTable())
        if (definition.kind == engine::ReportKind::Visits && engine::visitReportOf(definition) == report)
            request.report = &definition;
    request.from = from;
    request.to = to;
    const Result<result::RunResult> run = engine::run(database, request);
    if (!run)
        return run.error();
    const Result<report::TfrxReport> filled = engine::filledForm(*run);
    if (!filled)
        return filled.error();
    const report::PreparedReport prepared = report::prepare(*filled);
    return int(prepared.pages.size());
}

double cpuMilliseconds()
{
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return double(now.tv_sec) * 1e3 + double(now.tv_nsec) / 1e6;
}

// Best wall-clock and best processor time of the runs, in ms. The machine
// may be shared: the processor time is the steadier of the two.
struct Timing {
    double wall = std::numeric_limits<double>::max();
    double cpu = std::numeric_limits<double>::max();
    bool ok = true;
};

// Runs the floor and the whole run alternately, N times each, so that a
// change of the machine's load (a shared virtual machine's processor time
// varies by half) falls on both alike; keeps the best of each.
template <typename F, typename G>
std::pair<Timing, Timing> alternate(int runs, F &&floorWork, G &&runWork)
{
    Timing floor, whole;
    auto once = [](Timing &best, auto &work) {
        QElapsedTimer timer;
        timer.start();
        const double cpuStart = cpuMilliseconds();
        if (!work()) {
            best.ok = false;
            return;
        }
        best.cpu = std::min(best.cpu, cpuMilliseconds() - cpuStart);
        best.wall = std::min(best.wall, timer.nsecsElapsed() / 1e6);
    };
    for (int i = 0; i < runs && floor.ok && whole.ok; ++i) {
        once(floor, floorWork);
        once(whole, runWork);
    }
    return {floor, whole};
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const QStringList arguments = app.arguments();
    if (arguments.size() < 2) {
        std::fprintf(stderr, "usage: bench_visits DATABASE [--runs N]\n");
        return 2;
    }
    int runs = 3;
    if (arguments.size() >= 4 && arguments[2] == u"--runs")
        runs = std::max(1, arguments[3].toInt());

    Result<std::unique_ptr<data::Database>> opened = data::Database::open(data::sqliteFile(arguments[1]));
    if (!opened) {
        std::fprintf(stderr, "%s.\n", qPrintable(opened.message()));
        return 1;
    }
    data::Database &database = **opened;

    QSqlQuery span(database.connection());
    // The span of the ISO dates: visit dates an old import wrote otherwise
    // ("15.03.2025") sort outside it.
    if (!span.exec(QStringLiteral("select min(DATA), max(DATA) from PREGLEDI1 "
                                  "where DATA glob '[0-9][0-9][0-9][0-9]-[0-9][0-9]-[0-9][0-9]'"))
        || !span.next()) {
        std::fprintf(stderr, "Cannot read the period of the visits.\n");
        return 1;
    }
    const QDate from = QDate::fromString(span.value(0).toString(), Qt::ISODate);
    const QDate to = QDate::fromString(span.value(1).toString(), Qt::ISODate);
    span.finish();
    std::printf("period %s .. %s, best of %d\n", qPrintable(from.toString(Qt::ISODate)),
                qPrintable(to.toString(Qt::ISODate)), runs);

    const std::pair<const char *, VisitReport> reportsToRun[] = {
        {"school children and youth", VisitReport::SchoolYouth},
        {"children", VisitReport::Children},
        {"general medicine", VisitReport::GeneralMedicine}};
    int status = 0;
    for (const auto &[name, report] : reportsToRun) {
        const bool insurance = report == VisitReport::GeneralMedicine;
        qint64 rows = 0;
        QString error;
        auto floorWork = [&] {
            Result<Floor> walked = plainWalk(database, from, to, insurance);
            if (!walked)
                error = walked.message();
            else
                rows = walked->rows;
            return walked.ok();
        };
        auto runWork = [&] {
            Result<int> run = wholeRun(report, database, from, to);
            if (!run)
                error = run.message();
            return run.ok();
        };
        const auto [floor, whole] = alternate(runs, floorWork, runWork);
        if (!floor.ok || !whole.ok) {
            std::fprintf(stderr, "%s: %s.\n", name, qPrintable(error));
            status = 1;
            continue;
        }
        std::printf("%-26s rows %lld  wall: floor %8.1f ms run %8.1f ms ratio %.3f  cpu: floor %8.1f ms run %8.1f "
                    "ms ratio %.3f\n",
                    name, static_cast<long long>(rows), floor.wall, whole.wall, whole.wall / floor.wall, floor.cpu,
                    whole.cpu, whole.cpu / floor.cpu);
        std::fflush(stdout);
    }
    return status;
}
