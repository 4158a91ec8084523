// The visits behind a number against the run that printed it: for the
// grand totals of the general-medicine report (men and women of all ages,
// the largest lists a morbidity report has), a band cell of one row (row
// 167, men 45-54) and the total of the general-medicine visit report, the
// listing (a run with the collector, then the sort) against a plain run of
// the same request. Best of three each, the two measured alternately.
// Prints the lines, the bytes the list holds and the bytes per line.
//
//   bench_cell_visits DATABASE --from YYYY-MM-DD --to YYYY-MM-DD [--runs N]

#include "cellvisits.h"
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
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const QStringList arguments = app.arguments();
    if (arguments.size() < 6) {
        std::fprintf(stderr, "usage: bench_cell_visits DATABASE --from YYYY-MM-DD --to YYYY-MM-DD [--runs N]\n");
        return 2;
    }
    const QDate from = QDate::fromString(arguments[3], Qt::ISODate);
    const QDate to = QDate::fromString(arguments[5], Qt::ISODate);
    const int runs = arguments.size() > 7 ? arguments[7].toInt() : 3;
    auto database = data::Database::open(data::sqliteFile(arguments[1]));
    if (!database) {
        std::fprintf(stderr, "%s\n", qPrintable(database.message()));
        return 1;
    }

    const std::pair<const char *, const char *> cells[] = {{"general-medicine", "v4"},
                                                           {"general-medicine", "v5"},
                                                           {"general-medicine", "Memo3232"},
                                                           {"visits-general-medicine", "vkupno"}};
    for (const auto &[report, cell] : cells) {
        engine::Request request;
        request.report = engine::findReport(QLatin1String(report));
        request.from = from;
        request.to = to;
        double plain = std::numeric_limits<double>::max();
        double listed = std::numeric_limits<double>::max();
        qsizetype lines = 0;
        qint64 bytes = 0;
        for (int i = 0; i < runs; ++i) {
            QElapsedTimer timer;
            timer.start();
            if (const Result<result::RunResult> filled = engine::run(**database, request); !filled) {
                std::fprintf(stderr, "%s\n", qPrintable(filled.message()));
                return 1;
            }
            plain = std::min(plain, timer.nsecsElapsed() / 1e9);
            timer.restart();
            const Result<engine::CellListing> listing =
                engine::listCellVisits(**database, request, QString::fromLatin1(cell));
            if (!listing) {
                std::fprintf(stderr, "%s\n", qPrintable(listing.message()));
                return 1;
            }
            listed = std::min(listed, timer.nsecsElapsed() / 1e9);
            lines = listing->lines.size();
            bytes = listing->lines.bytes();
        }
        std::printf("%-24s %-8s %8lld lines  run %6.2f s  list %6.2f s  (%.2fx)  %7.1f MB held, %5.1f bytes/line\n",
                    report, cell, static_cast<long long>(lines), plain, listed, listed / plain, bytes / 1e6,
                    lines ? double(bytes) / double(lines) : 0.0);
    }
    return 0;
}
