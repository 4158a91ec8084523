// The session on a Firebird database, through Tarel's own driver over the
// client library (firebirddriver.h).

#include "firebirddriver.h"
#include "serversession.h"

#include <QSqlError>

#include <ibase.h>

namespace tarel::data {

namespace {
bool hasAny(const QSqlError &error, std::initializer_list<long> codes)
{
    for (long code : codes)
        if (hasFirebirdCode(error.nativeErrorCode(), code))
            return true;
    return false;
}
} // namespace

const ServerSession &firebirdSession()
{
    static const ServerSession session{
        // The driver makes every transaction a read-only snapshot that waits
        // lock_timeout for a lock, and bounds the wait for the server.
        [](const AliasSettings &settings) {
            return QStringLiteral("connect_timeout=%1;lock_timeout=%2")
                .arg(qMax(1, settings.connectTimeoutSeconds))
                .arg(settings.lockTimeoutSeconds);
        },
        [](const AliasSettings &) { return QStringList(); },
        QString(),
        QString(),
        // A lock wait that ran out: on a row, or on a table another
        // transaction changes the definition of ("object in use"). A
        // snapshot that only reads meets none of them in practice: Firebird
        // keeps the versions a reader needs.
        [](const QSqlError &error) { return hasAny(error, {isc_lock_timeout, isc_lock_conflict, isc_obj_in_use}); },
        [](const QSqlError &error) { return hasAny(error, {isc_login}); },
        // The driver also closes itself then, so the next run attaches anew.
        [](const QSqlError &error) {
            return hasAny(error, {isc_att_shutdown, isc_shutdown, isc_conn_lost, isc_net_read_err, isc_net_write_err})
                || (error.type() != QSqlError::ConnectionError && hasAny(error, {isc_network_error}));
        },
        // Nothing accepts connections there, or what answers is no Firebird
        // server (or did not answer within connect_timeout).
        [](const QSqlError &error) {
            return error.type() == QSqlError::ConnectionError
                && hasAny(error, {isc_network_error, isc_connect_reject, isc_net_connect_err});
        },
        [](const QSqlError &error) { return error.type() == QSqlError::ConnectionError && hasAny(error, {isc_io_error}); },
        // The record's key, unique among a table's rows for a transaction.
        QStringLiteral("pregledi1.RDB$DB_KEY"),
        QString(),
        QString(),
        QStringLiteral("select 'text', cast(DATA as varchar(10)), count(*) from PREGLEDI1 group by DATA"),
    };
    return session;
}

} // namespace tarel::data
