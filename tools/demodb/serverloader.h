#pragma once

// Loads a source database into a database server (PostgreSQL, Firebird,
// MariaDB/MySQL): the four tables of a SQLite source file, created with the
// same definitions (data/schema.sql, through the dialect step's
// adaptSchemaStatement: unquoted names; DATE, BOOLEAN, INTEGER columns, and
// texts compared byte for byte) and filled with the same rows, followed by
// the indexes (data/indexes.sql) and fresh planner statistics. On PostgreSQL
// all of it is one transaction; Firebird and MariaDB commit the new tables'
// definitions before their rows (a failed load leaves them there, to be
// replaced with --force).
//
// Every value keeps what the program's statements see in it: a text stays
// the same text (the empty text stays empty, NULL stays NULL), an ISO date
// text becomes that date and an empty date text NULL (both read as day 0 and
// fall in no date range), 0 and 1 of a boolean become false and true. A value
// PostgreSQL cannot hold with the same meaning (a date text that is no date,
// a text in an integer column, a boolean other than 0 and 1) stops the load
// with an error naming the table, row and column.

#include "dialect.h"
#include "generator.h"
#include "result.h"

#include <QString>

namespace tarel::demodb {

// Where to connect: the keywords of a libpq connection string
// ("host=127.0.0.1 port=5433 dbname=pelorida user=tarel"), for every engine.
struct ServerTarget {
    data::Engine engine = data::Engine::PostgreSQL;
    QString host;      // a name, an address or a socket (PostgreSQL: its folder; MySQL: its path);
                       // empty: the client's default (Firebird: the file itself, without a server)
    int port = -1;
    QString database;  // dbname (Firebird: the database file's path on the server)
    QString user;
    QString password;  // empty: libpq's own (PGPASSWORD, ~/.pgpass)
    QString options;   // PostgreSQL: every other keyword, "key=value;key=value" for QPSQL
};

// Reads "key=value key='quoted value' ..." (a quoted value may hold \' and
// \\) for the engine. An unknown keyword is passed on to libpq, which judges
// it; the other engines refuse it.
Result<ServerTarget> parseConnectionString(const QString &text, data::Engine engine = data::Engine::PostgreSQL);

// "dbname@host:port", for messages.
QString describe(const ServerTarget &target);

struct CopyStats {
    qint64 rows = 0; // of all four tables
    double seconds = 0;
};

// Copies the tables of the SQLite file into the database. Tables of those
// names already there are an error unless replace, which drops them (on
// PostgreSQL in the same transaction, so the old tables stay when the load
// fails). A Firebird database that does not exist yet is created.
Result<CopyStats> copyToServer(const QString &sqlitePath, const ServerTarget &target, bool replace);

// Writes the demo database of the options to a temporary SQLite file, or to
// sqlitePath when that is not empty, and copies it into the database.
// options.force replaces tables already there.
Result<DemoStats> loadDemoDatabase(const ServerTarget &target, const DemoOptions &options,
                                   const QString &sqlitePath = {});

// "Loaded <n> visits (...) into <db@host:port>: ... in <s> s".
QString loadSummaryLine(const ServerTarget &target, const DemoStats &stats);

} // namespace tarel::demodb
