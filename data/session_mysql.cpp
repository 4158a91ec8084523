// The session on a MariaDB or MySQL server (Qt's QMYSQL driver).

#include "serversession.h"

#include <QSqlError>

namespace tarel::data {

const ServerSession &mysqlSession()
{
    static const ServerSession session{
        // A bounded wait for the server; a host that is a path is the
        // server's unix socket.
        [](const AliasSettings &settings) {
            QString options = QStringLiteral("MYSQL_OPT_CONNECT_TIMEOUT=%1").arg(qMax(1, settings.connectTimeoutSeconds));
            if (settings.host.startsWith(QLatin1Char('/')))
                options += QStringLiteral(";UNIX_SOCKET=") + settings.host;
            return options;
        },
        // Every transaction a read-only snapshot; a statement waits for a
        // row lock (InnoDB) or a table's metadata lock (LOCK TABLES, a
        // schema change) at most lock_timeout.
        [](const AliasSettings &settings) {
            return QStringList{QStringLiteral("SET SESSION TRANSACTION ISOLATION LEVEL REPEATABLE READ"),
                               QStringLiteral("SET SESSION TRANSACTION READ ONLY"),
                               QStringLiteral("SET SESSION innodb_lock_wait_timeout = %1").arg(settings.lockTimeoutSeconds),
                               QStringLiteral("SET SESSION lock_wait_timeout = %1").arg(settings.lockTimeoutSeconds)};
        },
        QStringLiteral("START TRANSACTION WITH CONSISTENT SNAPSHOT, READ ONLY"),
        QStringLiteral("ROLLBACK"),
        // ER_LOCK_WAIT_TIMEOUT, for row and metadata locks alike.
        [](const QSqlError &error) { return nativeCodeIs(error, {"1205"}); },
        // ER_ACCESS_DENIED_ERROR, ER_DBACCESS_DENIED_ERROR
        [](const QSqlError &error) { return nativeCodeIs(error, {"1045", "1044"}); },
        // CR_SERVER_GONE_ERROR, CR_SERVER_LOST, ER_CONNECTION_KILLED,
        // ER_CLIENT_INTERACTION_TIMEOUT: the driver keeps calling the
        // connection open.
        [](const QSqlError &error) { return nativeCodeIs(error, {"2006", "2013", "1927", "4031"}); },
        // CR_CONNECTION_ERROR, CR_CONN_HOST_ERROR, CR_UNKNOWN_HOST; and
        // CR_SERVER_LOST while connecting: nothing answered in time.
        [](const QSqlError &error) {
            return nativeCodeIs(error, {"2002", "2003", "2005"})
                || (error.type() == QSqlError::ConnectionError && nativeCodeIs(error, {"2013"}));
        },
        // ER_BAD_DB_ERROR
        [](const QSqlError &error) { return nativeCodeIs(error, {"1049"}); },
        QString(),
        QStringLiteral("select coalesce(max(table_rows), 0) from information_schema.tables "
                       "where table_schema = database() and table_name = 'pregledi1'"),
        QString(),
        // A zero date ('0000-00-00') reads as its text, which is no date.
        QStringLiteral("select 'text', cast(DATA as char), count(*) from PREGLEDI1 group by DATA"),
    };
    return session;
}

} // namespace tarel::data
