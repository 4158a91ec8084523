#pragma once

// A Qt SQL driver over Firebird's client library (libfbclient). Qt's own
// Firebird driver starts every transaction read-write and waiting for ever
// for another transaction's lock, and attaches without a time limit; this one
// sends what the alias says: a bounded connect, read-only snapshot
// transactions and a bounded lock wait.
//
// Connect options (setConnectOptions, "key=value;key=value"):
//   connect_timeout=N  seconds the client waits for the server
//   lock_timeout=N     seconds a statement waits for another transaction's lock
//   read_write         transactions may write (the loader); else read-only
//
// A database name without a host is opened by the client library itself
// (embedded access, the engine plugin of firebird3.0-server-core); with a
// host it is "host/port:path" on a server.

#include "result.h"

#include <QString>

class QSqlDriver;
class QSqlDatabase;

namespace tarel::data {

// The name under which the driver is known to QSqlDatabase.
inline constexpr const char *FirebirdDriverName = "TAREL_FIREBIRD";

// Registers the driver with Qt's SQL layer (once per process).
void registerFirebirdDriver();

// The error codes of a failed call, as a driver error carries them in its
// native code: the status vector's codes separated by blanks.
bool hasFirebirdCode(const QString &nativeCodes, long code);

// Creates an empty database (UTF8, page size 16384) at path, on the server
// host/port or, without a host, through the client library itself. An
// existing file is an error.
Result<void> createFirebirdDatabase(const QString &host, int port, const QString &path, const QString &user,
                                    const QString &password);

// Whether the client library can open a database file without a server
// here: that needs Firebird's engine plugin (libEngine12), which comes with
// the package firebird3.0-server-core.
bool firebirdEngineInstalled();

// Asks the server to stop the statement running on the connection (from any
// thread); the statement then fails with a cancelled error.
void cancelFirebirdStatement(const QSqlDatabase &database);

} // namespace tarel::data
