// The session on a PostgreSQL server.

#include "serversession.h"

#include <QSqlError>

namespace tarel::data {

const ServerSession &postgresSession()
{
    static const ServerSession session{
        // A bounded wait for the server, a name for the server's activity
        // list, and TCP keepalives, so a server that vanishes from the
        // network ends a run with an error within about a minute.
        [](const AliasSettings &settings) {
            return QStringLiteral("connect_timeout=%1;application_name=tarel;"
                                  "keepalives=1;keepalives_idle=30;keepalives_interval=10;keepalives_count=3")
                .arg(qMax(1, settings.connectTimeoutSeconds));
        },
        // Every transaction read-only; a statement waits for another
        // session's lock at most lock_timeout, then fails as "locked".
        [](const AliasSettings &settings) {
            return QStringList{QStringLiteral("SET SESSION CHARACTERISTICS AS TRANSACTION READ ONLY"),
                               QStringLiteral("SET lock_timeout = %1").arg(qint64(settings.lockTimeoutSeconds) * 1000)};
        },
        QStringLiteral("BEGIN ISOLATION LEVEL REPEATABLE READ READ ONLY"),
        QStringLiteral("ROLLBACK"),
        // lock_not_available: the lock timeout ran out.
        [](const QSqlError &error) { return nativeCodeIs(error, {"55P03"}); },
        // invalid_password, invalid_authorization_specification
        [](const QSqlError &error) { return nativeCodeIs(error, {"28P01", "28000"}); },
        // QPSQL reports a lost connection as a closed one.
        [](const QSqlError &) { return false; },
        // libpq's own words say these well.
        [](const QSqlError &) { return false; },
        [](const QSqlError &) { return false; },
        QStringLiteral("pregledi1.ctid"),
        QStringLiteral("select cast(coalesce(max(reltuples), 0) as bigint) from pg_class where relname = 'pregledi1'"),
        // The bounds of the dates' histogram, "{2024-12-10,...,2026-12-09}".
        QStringLiteral("select split_part(btrim(cast(histogram_bounds as text), '{}'), ',', 1), "
                       "reverse(split_part(reverse(btrim(cast(histogram_bounds as text), '{}')), ',', 1)) "
                       "from pg_stats where tablename = 'pregledi1' and attname = 'data'"),
        QStringLiteral("select 'text', cast(DATA as text), count(*) from PREGLEDI1 group by DATA"),
    };
    return session;
}

} // namespace tarel::data
