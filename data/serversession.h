#pragma once

// How Tarel holds a session on each server engine (data/ only): what it
// asks when it connects, what it sends once connected, how a run's read
// begins and ends, and which of the engine's errors mean "locked by another
// program", "wrong login" or "connection lost". One table row per engine,
// each filled in the engine's own file (session_*.cpp).

#include "aliases.h"
#include "dialect.h"

#include <QSqlDatabase>
#include <QString>
#include <QStringList>

class QSqlError;

namespace tarel::data {

struct ServerSession {
    // The driver's connect options for the alias (timeouts, keepalives).
    QString (*connectOptions)(const AliasSettings &settings);
    // Sent once on every new connection: read-only transactions, the lock
    // wait, the session's character set.
    QStringList (*sessionStatements)(const AliasSettings &settings);
    // Begins and ends a run's read; empty: the driver's own transaction,
    // which the connect options already make read-only.
    QString beginRead;
    QString endRead;
    // The error kinds that have a sentence of their own.
    bool (*lockTimedOut)(const QSqlError &error);
    bool (*loginRefused)(const QSqlError &error);
    bool (*connectionLost)(const QSqlError &error);
    bool (*serverUnreachable)(const QSqlError &error);
    bool (*databaseMissing)(const QSqlError &error);
    // The expression that tells the visits of the join apart (for the
    // figures); empty where the engine has none that every table has.
    QString rowIdentity;
    // The rows of PREGLEDI1 as the engine's statistics tell (0 when unknown),
    // for the progress of a read; empty: none.
    QString visitEstimate;
    // The first and the last visit date (two texts "YYYY-MM-DD") as the
    // engine's statistics tell, without reading the table, which another
    // session may hold locked, and without an error that would end the read
    // transaction; empty: none (the estimate is then the table's rows).
    QString visitDateSpan;
    // One row per distinct visit date: its stored text, as the figures of
    // non-ISO visit dates read it, and its rows.
    QString visitDates;
};

// The session of a server engine; nullptr for SQLite.
const ServerSession *serverSessionOf(Engine engine);

const ServerSession &postgresSession();
const ServerSession &mysqlSession();
const ServerSession &firebirdSession();
const ServerSession &genericSession();

// The first of a native error code's codes (SQLSTATE, MySQL error number,
// Firebird status codes) that is one of these.
bool nativeCodeIs(const QSqlError &error, std::initializer_list<const char *> codes);

} // namespace tarel::data
