#pragma once

// Loads a source database into PostgreSQL: the four tables of a SQLite source
// file, created in a PostgreSQL database with the same definitions
// (data/schema.sql: unquoted names, so PREGLEDI1 becomes pregledi1; DATE,
// BOOLEAN, INTEGER and TEXT columns) and filled with the same rows, in one
// transaction, followed by the indexes (data/indexes.sql) and fresh planner
// statistics.
//
// Every value keeps what the program's statements see in it: a text stays
// the same text (the empty text stays empty, NULL stays NULL), an ISO date
// text becomes that date and an empty date text NULL (both read as day 0 and
// fall in no date range), 0 and 1 of a boolean become false and true. A value
// PostgreSQL cannot hold with the same meaning (a date text that is no date,
// a text in an integer column, a boolean other than 0 and 1) stops the load
// with an error naming the table, row and column; nothing is committed then.

#include "generator.h"
#include "result.h"

#include <QString>

namespace tarel::demodb {

// Where to connect: the keywords of a libpq connection string
// ("host=127.0.0.1 port=5433 dbname=pelorida user=tarel").
struct PostgresTarget {
    QString host;      // a name, an address or a socket folder; empty: libpq's default
    int port = -1;
    QString database;  // dbname
    QString user;
    QString password;  // empty: libpq's own (PGPASSWORD, ~/.pgpass)
    QString options;   // every other keyword, "key=value;key=value" for QPSQL
};

// Reads "key=value key='quoted value' ..." (a quoted value may hold \' and
// \\). An unknown keyword is passed on to libpq, which judges it.
Result<PostgresTarget> parseConnectionString(const QString &text);

// "dbname@host:port", for messages.
QString describe(const PostgresTarget &target);

struct CopyStats {
    qint64 rows = 0; // of all four tables
    double seconds = 0;
};

// Copies the tables of the SQLite file into the database. Tables of those
// names already there are an error unless replace, which drops them in the
// same transaction (so the old tables stay when the load fails).
Result<CopyStats> copyToPostgres(const QString &sqlitePath, const PostgresTarget &target, bool replace);

// Writes the demo database of the options to a temporary SQLite file, or to
// sqlitePath when that is not empty, and copies it into the database.
// options.force replaces tables already there.
Result<DemoStats> loadDemoDatabase(const PostgresTarget &target, const DemoOptions &options,
                                   const QString &sqlitePath = {});

// "Loaded <n> visits (...) into <db@host:port>: ... in <s> s".
QString loadSummaryLine(const PostgresTarget &target, const DemoStats &stats);

} // namespace tarel::demodb
