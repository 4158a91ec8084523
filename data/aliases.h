#pragma once

// The alias registry of the database platform: an INI file that maps an alias
// name to a Qt SQL driver and its connection settings.
//
// Location: $TAREL_DB_ALIASES if set, else $XDG_CONFIG_HOME/tarel/aliases.ini
// (~/.config/tarel/aliases.ini). One section per alias:
//
//   [pelorida]
//   driver=QSQLITE            ; or QPSQL
//   database=/srv/pelorida/pelorida.sqlite
//   host=localhost            ; server engines only
//   port=5432
//   user=tarel
//   password=...              ; or password_file=/path (first line is the password)
//   connect_timeout=10        ; seconds, server engines only (1 to 3600)
//   lock_timeout=10           ; seconds a read waits for another program's
//                             ; lock before it fails (SQLite and servers; 1 to 3600)
//
// Without any alias file, the alias "pelorida" resolves to the embedded
// default: the SQLite file $XDG_DATA_HOME/tarel/pelorida.sqlite
// (~/.local/share/tarel/pelorida.sqlite).

#include "result.h"

#include <QString>

namespace tarel::data {

inline constexpr const char *DefaultAlias = "pelorida";
inline constexpr const char *AliasFileVariable = "TAREL_DB_ALIASES";
inline constexpr int DefaultLockTimeoutSeconds = 10;
// The bounds of connect_timeout and lock_timeout, in seconds: 1 to this.
inline constexpr int MaxTimeoutSeconds = 3600;

struct AliasSettings {
    QString alias;
    QString driver = QStringLiteral("QSQLITE");
    QString database;
    QString host;
    int port = -1;
    QString user;
    QString password;
    int connectTimeoutSeconds = 10;
    int lockTimeoutSeconds = DefaultLockTimeoutSeconds;
};

QString aliasFilePath();
QString defaultDatabasePath();

// Resolves an alias through the alias file; "pelorida" without an alias file
// is the embedded default.
Result<AliasSettings> resolveAlias(const QString &alias);

// Settings for one SQLite file, as the command-line tool's --database gives it.
AliasSettings sqliteFile(const QString &path);

} // namespace tarel::data
