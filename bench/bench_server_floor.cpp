// The floor of a run on a database server: one read of the columns a report
// needs, of both tables, through the connection a run uses (Qt's driver for
// MariaDB and ODBC; for Firebird Tarel's driver, a thin layer over the
// client library), every value taken as a text. Prints the seconds of the
// best of N reads.
//
//   bench_server_floor VISIT_COLUMNS PERSON_COLUMNS [--repeat N]
//
// The database is the alias "pelorida" of $TAREL_DB_ALIASES.

#include "database.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>

#include <cstdio>

using namespace tarel;

namespace {

// Reads every value of the statement; the number of rows, or -1.
qint64 readAll(data::Database &database, const QString &statement)
{
    QSqlQuery query(database.connection());
    query.setForwardOnly(true);
    if (!query.exec(data::adaptStatement(statement, database.engine()))) {
        std::fprintf(stderr, "%s: %s\n", qPrintable(statement), qPrintable(query.lastError().text()));
        return -1;
    }
    const int columns = query.record().count();
    qint64 rows = 0;
    qsizetype characters = 0;
    while (query.next()) {
        for (int i = 0; i < columns; ++i)
            characters += query.value(i).toString().size();
        ++rows;
    }
    return characters >= 0 ? rows : -1;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList arguments = app.arguments();
    if (arguments.size() < 3) {
        std::fprintf(stderr, "usage: bench_server_floor VISIT_COLUMNS PERSON_COLUMNS [--repeat N]\n");
        return 2;
    }
    const int repeat = arguments.size() >= 5 && arguments[3] == u"--repeat" ? arguments[4].toInt() : 3;
    Result<std::unique_ptr<data::Database>> database = data::Database::openAlias(QStringLiteral("pelorida"));
    if (!database) {
        std::fprintf(stderr, "%s\n", qPrintable(database.message()));
        return 1;
    }
    double best = 1e300;
    for (int i = 0; i < repeat; ++i) {
        QElapsedTimer timer;
        timer.start();
        if (!(*database)->beginRead())
            return 1;
        const qint64 visits = readAll(**database, QStringLiteral("select %1 from PREGLEDI1").arg(arguments[1]));
        const qint64 persons = readAll(**database, QStringLiteral("select %1 from osigurenici").arg(arguments[2]));
        (*database)->endRead();
        if (visits < 0 || persons < 0)
            return 1;
        best = std::min(best, double(timer.nsecsElapsed()) / 1e9);
    }
    std::printf("%.3f\n", best);
    return 0;
}
