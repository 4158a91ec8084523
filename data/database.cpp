#include "database.h"

#include "firebirddriver.h"
#include "inputfile.h"
#include "messagetext.h"
#include "outputfile.h"
#include "serversession.h"

#include <QAtomicInt>
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlRecord>
#include <QRegularExpression>
#include <QUrl>

#include <sqlite3.h>

#include <sys/statvfs.h>

namespace tarel::data {

namespace {

// This file's messages, translated in the shared context "Text" (see
// translations/translation.h).
class Text {
    Q_DECLARE_TR_FUNCTIONS(Text)
};

QAtomicInt connectionCounter;

QString sqlErrorText(const QSqlError &error)
{
    // Server messages come over several lines ("connection refused" with a
    // hint on the next line, tab-indented); the error box shows one line.
    QString text = error.databaseText().simplified();
    if (text.isEmpty())
        text = error.text().simplified();
    if (text.isEmpty())
        text = Text::tr("Unknown database error");
    // A server's message may quote a value of the data.
    return shownText(text, kShownMessageLength);
}

Engine engineOf(const QString &driver)
{
    auto is = [&](const char *name) { return driver.compare(QLatin1String(name), Qt::CaseInsensitive) == 0; };
    if (is("QSQLITE"))
        return Engine::SQLite;
    if (is("QPSQL"))
        return Engine::PostgreSQL;
    if (is("QIBASE") || is("FIREBIRD"))
        return Engine::Firebird;
    if (is("QMYSQL") || is("QMARIADB"))
        return Engine::MySQL;
    return Engine::Other;
}

bool isOdbc(const QString &driver) { return driver.compare(QLatin1String("QODBC"), Qt::CaseInsensitive) == 0; }

// The engine behind an ODBC data source, as its driver names it, or else as
// the server's version text does (Qt's ODBC driver knows MariaDB as no
// engine).
Engine engineBehind(const QSqlDatabase &db)
{
    switch (db.driver()->dbmsType()) {
    case QSqlDriver::PostgreSQL:
        return Engine::PostgreSQL;
    case QSqlDriver::MySqlServer:
        return Engine::MySQL;
    case QSqlDriver::Interbase:
        return Engine::Firebird;
    default:
        break;
    }
    QSqlQuery version(db);
    if (version.exec(QStringLiteral("select version()")) && version.next()) {
        const QString text = version.value(0).toString();
        if (text.contains(QLatin1String("MariaDB"), Qt::CaseInsensitive)
            || text.contains(QLatin1String("MySQL"), Qt::CaseInsensitive))
            return Engine::MySQL;
        if (text.contains(QLatin1String("PostgreSQL"), Qt::CaseInsensitive))
            return Engine::PostgreSQL;
    }
    return Engine::Other;
}

// The Debian package of a Qt SQL driver.
QString packageOfDriver(const QString &driver)
{
    static const std::pair<const char *, const char *> packages[] = {
        {"QSQLITE", "libqt6sql6-sqlite"}, {"QPSQL", "libqt6sql6-psql"}, {"QMYSQL", "libqt6sql6-mysql"},
        {"QMARIADB", "libqt6sql6-mysql"}, {"QODBC", "libqt6sql6-odbc"}};
    for (const auto &[name, package] : packages)
        if (driver.compare(QLatin1String(name), Qt::CaseInsensitive) == 0)
            return QString::fromLatin1(package);
    return {};
}

// The ODBC connection options: a bounded login, a read-only connection.
QString odbcConnectOptions(const AliasSettings &settings)
{
    return QStringLiteral("SQL_ATTR_LOGIN_TIMEOUT=%1;SQL_ATTR_CONNECTION_TIMEOUT=%1;SQL_ATTR_ACCESS_MODE=SQL_MODE_READ_ONLY")
        .arg(qMax(1, settings.connectTimeoutSeconds));
}

// Sends the session's statements on a new connection.
bool prepareSession(QSqlDatabase &db, const ServerSession &session, const AliasSettings &settings, QString *error)
{
    QSqlQuery query(db);
    for (const QString &statement : session.sessionStatements(settings))
        if (!query.exec(statement)) {
            *error = sqlErrorText(query.lastError());
            return false;
        }
    return true;
}

// ---- SQLite files --------------------------------------------------------

// SQLite's primary result codes that have a message of their own.
enum SqliteCode {
    SqliteBusy = 5,
    SqliteLocked = 6,
    SqliteReadOnly = 8,
    SqliteIoError = 10,
    SqliteCorrupt = 11,
    SqliteCantOpen = 14,
    SqliteNotADatabase = 26,
};

int sqliteCode(const QSqlError &error)
{
    bool ok = false;
    const int code = error.nativeErrorCode().toInt(&ok);
    return ok ? (code & 0xff) : -1;
}

qint64 sizeOf(const QString &path)
{
    const QFileInfo info(path);
    return info.exists() ? info.size() : -1;
}

// A database in write-ahead-log mode: bytes 18 and 19 of the header are 2.
bool isWalDatabase(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const QByteArray header = file.read(20);
    return header.size() == 20 && header[18] == 2 && header[19] == 2;
}

bool onReadOnlyFileSystem(const QString &path)
{
    struct statvfs status {};
    return ::statvfs(QFile::encodeName(QFileInfo(path).absolutePath()).constData(), &status) == 0
        && (status.f_flag & ST_RDONLY);
}

// A WAL database on a read-only file system whose log holds nothing: nothing
// can change the file while it is read, so SQLite may read it as immutable,
// without the "-shm" file it cannot create there.
bool readableAsImmutable(const QString &path)
{
    return isWalDatabase(path) && onReadOnlyFileSystem(path) && sizeOf(path + QStringLiteral("-wal")) <= 0;
}

QString immutableUri(const QString &path)
{
    QUrl url = QUrl::fromLocalFile(QFileInfo(path).absoluteFilePath());
    url.setQuery(QStringLiteral("immutable=1"));
    return url.toString(QUrl::FullyEncoded);
}

// Why a SQLite file cannot be opened read-only, where its state on disk
// tells: a journal left by a writer that crashed, or a WAL database whose
// shared-memory file cannot be created.
QString sqliteFileProblem(const QString &file)
{
    if (sizeOf(file + QStringLiteral("-journal")) > 0 && !isWalDatabase(file))
        return Text::tr("The database file \"%1\" was left half-written by a program that stopped while "
                        "writing to it: its journal \"%1-journal\" is still there. Start the "
                        "patient-administration program once, so that it undoes the unfinished change, "
                        "then try again")
            .arg(file);
    if (!isWalDatabase(file))
        return {};
    const QString folder = QFileInfo(file).absolutePath();
    if (onReadOnlyFileSystem(file)) {
        if (sizeOf(file + QStringLiteral("-wal")) <= 0)
            return {};
        return Text::tr("The database file \"%1\" uses write-ahead logging and lies on a read-only file "
                        "system; its latest changes are in \"%1-wal\", which cannot be read there. Open the "
                        "database once where it can be written, so that those changes move into the file, "
                        "then try again")
            .arg(file);
    }
    return Text::tr("The database file \"%1\" uses write-ahead logging: reading it needs the file "
                    "\"%1-shm\" beside it, which cannot be created because the folder \"%2\" cannot be "
                    "written. Give this user write permission on the folder, or switch the database to a "
                    "rollback journal (PRAGMA journal_mode=DELETE), then try again")
        .arg(file, folder);
}

} // namespace

bool parseIsoDay(QStringView text, int *day)
{
    // The common case, exactly "YYYY-MM-DD", without allocating.
    if (text.size() == 10 && text[4] == QLatin1Char('-') && text[7] == QLatin1Char('-')) {
        int digits[8];
        int n = 0;
        for (int i = 0; i < 10; ++i) {
            if (i == 4 || i == 7)
                continue;
            const char16_t c = text[i].unicode();
            if (c < u'0' || c > u'9')
                return false;
            digits[n++] = c - u'0';
        }
        const int year = digits[0] * 1000 + digits[1] * 100 + digits[2] * 10 + digits[3];
        const int month = digits[4] * 10 + digits[5];
        const int dayOfMonth = digits[6] * 10 + digits[7];
        // The day of the proleptic Gregorian calendar, as QDate counts it,
        // by arithmetic: every visit's birth date goes through here.
        static constexpr int kDaysInMonth[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
        const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
        if (year < 1 || month < 1 || month > 12 || dayOfMonth < 1
            || dayOfMonth > kDaysInMonth[month - 1] + (month == 2 && leap ? 1 : 0))
            return false;
        // Days since 1 March of year 0, in eras of 400 years.
        const int y = year - (month <= 2 ? 1 : 0);
        const int era = y / 400;
        const int yearOfEra = y - era * 400;
        const int dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + dayOfMonth - 1;
        const qint64 days = qint64(era) * 146097 + yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
        constexpr qint64 kJulianOfMarchFirstYearZero = 1721120; // 0000-03-01
        *day = int(days + kJulianOfMarchFirstYearZero - DayZeroJulian);
        return true;
    }
    return false;
}

Error invalidDateError(const QString &text)
{
    return Error{Text::tr("'%1' is not a valid date").arg(shownText(text))};
}

Result<std::unique_ptr<Database>> Database::openAlias(const QString &alias, const ReadControl &control)
{
    Result<AliasSettings> settings = resolveAlias(alias);
    if (!settings)
        return settings.error();
    return open(*settings, control);
}

Result<std::unique_ptr<Database>> Database::open(const AliasSettings &settings, const ReadControl &control)
{
    const Engine engine = engineOf(settings.driver);
    QString driverName = settings.driver;
    if (engine == Engine::Firebird) {
        registerFirebirdDriver();
        driverName = QLatin1String(FirebirdDriverName);
    }
    if (!QSqlDatabase::isDriverAvailable(driverName)) {
        const QString package = packageOfDriver(settings.driver);
        if (!package.isEmpty())
            return fail(Text::tr("The database driver '%1' of alias '%2' is not installed: install the package "
                                 "%3")
                            .arg(settings.driver, settings.alias, package));
        return fail(Text::tr("The database driver '%1' of alias '%2' is not available")
                        .arg(settings.driver, settings.alias));
    }

    std::unique_ptr<Database> database(new Database);
    database->m_openedWith = control;
    database->m_settings = settings;
    database->m_engine = engine;
    database->m_odbc = isOdbc(settings.driver);
    database->m_connectionName = QStringLiteral("KDB-%1").arg(connectionCounter.fetchAndAddRelaxed(1));
    QSqlDatabase db = QSqlDatabase::addDatabase(driverName, database->m_connectionName);
    db.setDatabaseName(settings.database);

    const bool sqlite = engine == Engine::SQLite;
    const bool odbc = isOdbc(settings.driver);
    const QString sqliteOptions = QStringLiteral("QSQLITE_OPEN_READONLY;QSQLITE_BUSY_TIMEOUT=%1")
                                      .arg(qint64(settings.lockTimeoutSeconds) * 1000);
    const ServerSession *session = serverSessionOf(engine);
    if (sqlite) {
        database->m_description = QStringLiteral("\"%1\"").arg(settings.database);
        // A missing file is an error, never a new empty database.
        const QFileInfo file(settings.database);
        if (!file.exists())
            return fail(Text::tr("The database file '%1' does not exist").arg(settings.database));
        // SQLite would wait for ever on a named pipe.
        if (const QString problem = notRegularFile(settings.database); !problem.isEmpty())
            return fail(Text::tr("The database file '%1' cannot be read: %2").arg(settings.database, problem));
        if (!file.isReadable())
            return fail(Text::tr("The database file '%1' cannot be read").arg(settings.database));
        protectDatabaseFile(settings.database);
        // Read-only, and wait for the patient-administration program's writes
        // instead of failing at once.
        db.setConnectOptions(sqliteOptions);
    } else {
        // A MySQL host that is a path names the server's socket (a connect
        // option); a Firebird database without a host is opened by the
        // client library itself.
        const bool socket = engine == Engine::MySQL && settings.host.startsWith(QLatin1Char('/'));
        database->m_description = QStringLiteral("\"%1\"").arg(settings.database);
        if (!settings.host.isEmpty())
            database->m_description += Text::tr(" on %1").arg(settings.host);
        if (!settings.host.isEmpty() && settings.port > 0 && !socket)
            database->m_description += QStringLiteral(":%1").arg(settings.port);
        if (!settings.host.isEmpty() && !socket)
            db.setHostName(settings.host);
        if (settings.port > 0)
            db.setPort(settings.port);
        db.setUserName(settings.user);
        db.setPassword(settings.password);
        db.setConnectOptions(odbc ? odbcConnectOptions(settings) : session->connectOptions(settings));
        if (engine == Engine::Firebird && settings.host.isEmpty() && !firebirdEngineInstalled())
            return fail(Text::tr("The alias '%1' names a Firebird database file without a server, and opening it "
                                 "so needs Firebird's engine, which is not installed: install the package "
                                 "firebird3.0-server-core, or name the server (host) in the alias")
                            .arg(settings.alias));
    }

    // Opening a SQLite file reads nothing; a first read shows a file that is
    // not a database. It counts the tables, so an empty file is told apart
    // from a database that lacks one table.
    const QString probeText = sqlite ? QStringLiteral("select count(*) from sqlite_master where type = 'table'")
        : engine == Engine::Firebird ? QStringLiteral("select 1 from rdb$database")
                                     : QStringLiteral("select 1");
    auto describe = [&](const QSqlError &error) {
        if (const QString known = database->knownCause(error); !known.isEmpty())
            return known;
        const QString text = sqlErrorText(error);
        if (sqlite)
            return Text::tr("Cannot read the database file \"%1\": %2").arg(settings.database, text);
        if (!db.isOpen())
            return Text::tr("Cannot open the database of alias '%1': %2").arg(settings.alias, text);
        return Text::tr("Cannot read the database of alias '%1': %2").arg(settings.alias, text);
    };
    auto openAndProbe = [&]() -> std::optional<QString> {
        if (!db.open())
            return describe(db.lastError());
        if (sqlite)
            database->followSqliteWaits();
        // Through ODBC, the engine behind the data source decides the
        // statements' dialect and the session.
        if (odbc) {
            database->m_engine = engineBehind(db);
            session = serverSessionOf(database->m_engine);
        }
        QSqlQuery probe(db);
        if (!probe.exec(probeText) || !probe.next())
            return describe(probe.lastError());
        if (sqlite && probe.value(0).toInt() == 0)
            return Text::tr("The database file \"%1\" is empty: it holds none of the patient-administration "
                            "program's tables. Check that it is the right file")
                .arg(settings.database);
        return std::nullopt;
    };
    std::optional<QString> failure = openAndProbe();
    if (failure && sqlite && readableAsImmutable(settings.database)) {
        db.close();
        db.setConnectOptions(sqliteOptions + QStringLiteral(";QSQLITE_OPEN_URI"));
        db.setDatabaseName(immutableUri(settings.database));
        failure = openAndProbe();
    }
    if (failure && control.cancelled())
        return cancelledError();
    if (failure)
        return fail(*failure);
    if (session) {
        QString text;
        if (!prepareSession(db, *session, settings, &text))
            return fail(Text::tr("Cannot read the database of alias '%1': %2").arg(settings.alias, text));
    }
    return database;
}

QString Database::knownCause(const QSqlError &error) const
{
    if (isOdbc(m_settings.driver))
        if (const QString odbc = odbcCause(error); !odbc.isEmpty())
            return odbc;
    if (const ServerSession *session = serverSessionOf(m_engine)) {
        if (session->lockTimedOut(error))
            return lockedText();
        if (session->serverUnreachable(error))
            return Text::tr("The database server of alias '%1' cannot be reached (%2): nothing accepts "
                            "connections there, or it did not answer within %3 seconds. Check that the server "
                            "runs and the alias's host and port (%4)")
                .arg(m_settings.alias, serverAddress())
                .arg(m_settings.connectTimeoutSeconds)
                .arg(sqlErrorText(error));
        if (session->connectionLost(error))
            return Text::tr("The connection to the database server of alias '%1' was lost (%2): the run was "
                            "stopped and nothing was written. Run it again once the server can be reached")
                .arg(m_settings.alias, sqlErrorText(error));
        if (session->databaseMissing(error))
            return Text::tr("The database %1 of alias '%2' does not exist on its server. Check the alias's "
                            "database (%3)")
                .arg(m_description, m_settings.alias, sqlErrorText(error));
        // Through ODBC, a refused login comes before the engine is known.
        const bool beforeEngine = m_odbc && m_engine == Engine::Other;
        if (session->loginRefused(error)
            || (beforeEngine && (mysqlSession().loginRefused(error) || postgresSession().loginRefused(error))))
            return Text::tr("The database server refused the login of user '%1' to %2: the password is wrong, "
                            "or the user is not known there or may not read this database (%3). Check the "
                            "alias's user and password")
                .arg(m_settings.user, m_description, sqlErrorText(error));
        return {};
    }
    return knownSqliteCause(sqliteCode(error), sqlErrorText(error));
}

QVariant Database::textParameter(const QString &text) const
{
    if (m_odbc && m_engine == Engine::MySQL)
        return text.toUtf8();
    return text;
}

QString Database::serverAddress() const
{
    if (m_settings.host.isEmpty())
        return QStringLiteral("localhost");
    if (m_settings.port > 0 && !m_settings.host.startsWith(QLatin1Char('/')))
        return QStringLiteral("%1:%2").arg(m_settings.host).arg(m_settings.port);
    return m_settings.host;
}

// The ODBC driver manager's errors before any engine answers: a driver or a
// data source it does not know.
QString Database::odbcCause(const QSqlError &error) const
{
    const QString text = sqlErrorText(error);
    static const QRegularExpression library(QStringLiteral(R"(Can't open lib '([^']*)')"));
    if (const QRegularExpressionMatch match = library.match(text); match.hasMatch())
        return Text::tr("The ODBC driver '%1' that alias '%2' names is not installed: install its package "
                        "(odbc-postgresql for PostgreSQL, odbc-mariadb for MariaDB and MySQL, tdsodbc for SQL "
                        "Server); 'odbcinst -q -d' lists the drivers installed (%3)")
            .arg(match.captured(1), m_settings.alias, text);
    if (text.contains(QLatin1String("Data source name not found")))
        return Text::tr("The ODBC data source '%1' of alias '%2' is not defined: define it in /etc/odbc.ini or "
                        "~/.odbc.ini ('odbcinst -q -s' lists them), or give a connection string "
                        "(DRIVER={...};SERVER=...) as the alias's database (%3)")
            .arg(m_settings.database, m_settings.alias, text);
    return {};
}

QString Database::sqliteErrorText(int code, const QString &message) const
{
    if (const QString known = knownSqliteCause(code & 0xff, message); !known.isEmpty())
        return known;
    return shownText(message, kShownMessageLength);
}

QString Database::knownSqliteCause(int code, const QString &text) const
{
    switch (code) {
    case SqliteBusy:
    case SqliteLocked:
        return lockedText();
    case SqliteCorrupt:
        return Text::tr("The database file \"%1\" is damaged (%2): it cannot be read. Have it repaired or "
                        "restored from a backup by whoever looks after the patient-administration program")
            .arg(m_settings.database, text);
    case SqliteNotADatabase:
        return Text::tr("The file \"%1\" is not a database (%2). Check that it is the right file")
            .arg(m_settings.database, text);
    case SqliteIoError:
        return Text::tr("Cannot read the database file \"%1\": the disk reported an error (%2). Check the "
                        "disk or network share, then try again")
            .arg(m_settings.database, text);
    case SqliteReadOnly:
    case SqliteCantOpen:
        return sqliteFileProblem(m_settings.database);
    default:
        return {};
    }
}

QString Database::lockedText() const
{
    return Text::tr("The database %1 is locked: another program is writing to it, and it stayed locked "
                    "for %2 seconds. Try again when that program has finished")
        .arg(m_description)
        .arg(m_settings.lockTimeoutSeconds);
}

QString Database::errorText(const QSqlError &error) const
{
    if (const QString known = knownCause(error); !known.isEmpty())
        return known;
    return sqlErrorText(error);
}

Error Database::failure(const QSqlError &error) const
{
    if (m_control->cancelled())
        return cancelledError();
    return fail(errorText(error));
}

// Waits for another program's lock on a SQLite file in steps of 20 ms, up to
// the lock timeout; the control is told of the wait every 200 ms and its
// cancel ends it at once (the statement then fails and failure() says
// cancelled).
int Database::sqliteBusy(void *self, int attempt)
{
    auto *database = static_cast<Database *>(self);
    const qint64 now = QDeadlineTimer::current().deadline();
    if (attempt == 0)
        database->m_waitStarted = now;
    const ReadControl &control = *database->m_control;
    if (control.cancelled() || now - database->m_waitStarted >= qint64(database->m_settings.lockTimeoutSeconds) * 1000)
        return 0;
    if (control.waiting && attempt % 10 == 0)
        control.waiting();
    sqlite3_sleep(20);
    return 1;
}

// Every statement on the connection, those of the SQL layer and those of the
// SQLite source alike, waits for locks through sqliteBusy.
void Database::followSqliteWaits()
{
    const QSqlDatabase db = connection();
    const QVariant handle = db.driver() ? db.driver()->handle() : QVariant();
    if (handle.isValid() && qstrcmp(handle.typeName(), "sqlite3*") == 0)
        if (sqlite3 *connection = *static_cast<sqlite3 *const *>(handle.constData()))
            sqlite3_busy_handler(connection, &Database::sqliteBusy, this);
}

Result<void> Database::requireTable(const SourceTable &table, const QStringList &columns, const QString &purpose)
{
    const QString name = QString::fromLatin1(table.name);
    // The statements name tables unquoted, which an engine may fold to lower
    // (PostgreSQL) or upper case; the driver looks the name up as given.
    QSqlRecord record;
    for (const QString &spelling : {name, name.toLower(), name.toUpper()})
        if (record.isEmpty())
            record = connection().record(spelling);
    // Qt's ODBC driver lists no columns through MariaDB's ODBC driver: there
    // the table's own statement, which selects no row, tells them.
    if (record.isEmpty() && m_odbc) {
        QSqlQuery columnsOf(connection());
        if (columnsOf.exec(adaptStatement(QStringLiteral("select * from %1 where 1=0").arg(name), m_engine)))
            record = columnsOf.record();
    }
    if (m_control->cancelled())
        return cancelledError();
    if (record.isEmpty())
        return fail(Text::tr("The database %1 has no table %2 (%3), which the program reads for %4. Check that "
                             "it is the patient-administration program's database")
                        .arg(m_description, name, Text::tr(table.holds), purpose));
    for (const QString &column : columns) {
        bool found = false;
        for (int i = 0; i < record.count() && !found; ++i)
            found = record.fieldName(i).compare(column, Qt::CaseInsensitive) == 0;
        if (!found)
            return fail(Text::tr("The table %1 of the database %2 has no column %3, which the program reads for "
                                 "%4. Check that the database is the patient-administration program's, of a "
                                 "version that keeps this column")
                            .arg(name, m_description, column, purpose));
    }
    return {};
}

Database::~Database()
{
    close();
    QSqlDatabase::removeDatabase(m_connectionName);
}

QSqlDatabase Database::connection() const { return QSqlDatabase::database(m_connectionName, false); }

bool Database::isOpen() const { return connection().isOpen(); }

void Database::close()
{
    QSqlDatabase db = connection();
    if (db.isOpen()) {
        if (m_inTransaction)
            db.rollback();
        m_inTransaction = false;
        db.close();
    }
}

Result<void> Database::beginRead()
{
    QSqlDatabase db = connection();
    const ServerSession *session = serverSessionOf(m_engine);
    if (!db.isOpen() && !session)
        return fail(Text::tr("The database is not open"));
    if (m_inTransaction)
        return {};
    if (!session) {
        if (!db.transaction())
            return failure(db.lastError());
        m_inTransaction = true;
        return {};
    }
    // A server connection lost since the last run (a restarted server, a
    // dropped network, a terminated session) is opened again: nothing of
    // this run has been read yet, so it starts on a fresh connection.
    QString error;
    for (int attempt = 0; attempt < 2; ++attempt) {
        if (!db.isOpen()) {
            if (!db.open())
                return fail(Text::tr("The connection to the database server was lost and cannot be "
                                     "opened again: %1")
                                .arg(sqlErrorText(db.lastError())));
            if (!prepareSession(db, *session, m_settings, &error))
                return fail(error);
        }
        QSqlError begun;
        if (session->beginRead.isEmpty()) {
            if (db.transaction()) {
                error.clear();
                break;
            }
            begun = db.lastError();
        } else {
            QSqlQuery begin(db);
            if (begin.exec(session->beginRead)) {
                error.clear();
                break;
            }
            begun = begin.lastError();
        }
        error = errorText(begun);
        // Not a lost connection: no second attempt. Through ODBC a lost
        // connection has no code of its own: any failed begin opens again.
        if (db.isOpen() && !session->connectionLost(begun) && !m_odbc)
            break;
        db.close();
    }
    if (!error.isEmpty())
        return fail(error);
    m_inTransaction = true;
    // PostgreSQL: the tables' share locks first (lockTablesForRead); the
    // other engines bound each statement's wait themselves.
    if (m_engine == Engine::PostgreSQL)
        if (Result<void> locked = lockTablesForRead(); !locked) {
            endRead();
            return locked;
        }
    return {};
}

// The share locks of the tables a run reads, taken before the read's first
// statement (and so before its snapshot): a session that holds one of them
// locked (a schema change, a bulk load) is waited for here, in steps of a
// fifth of a second, each a savepoint that a step which ran out rolls back
// to. A table the database lacks is left to the statement that reads it,
// which says so.
Result<void> Database::lockTablesForRead()
{
    QSqlDatabase db = connection();
    QSqlQuery query(db);
    const auto run = [&](const QString &text) { return query.exec(text); };
    const QDeadlineTimer deadline(qint64(m_settings.lockTimeoutSeconds) * 1000);
    if (!run(QStringLiteral("SET LOCAL lock_timeout = 200")))
        return failure(query.lastError());
    const auto lockAll = [&](const QStringList &tables) -> Result<bool> {
        for (;;) {
            if (m_control->cancelled())
                return cancelledError();
            if (!run(QStringLiteral("SAVEPOINT tarel_lock")))
                return failure(query.lastError());
            if (run(QStringLiteral("LOCK TABLE %1 IN ACCESS SHARE MODE").arg(tables.join(QStringLiteral(", "))))) {
                if (!run(QStringLiteral("RELEASE SAVEPOINT tarel_lock")))
                    return failure(query.lastError());
                return true;
            }
            const QSqlError error = query.lastError();
            if (!run(QStringLiteral("ROLLBACK TO SAVEPOINT tarel_lock")))
                return failure(query.lastError());
            if (error.nativeErrorCode() == u"42P01") // a table the database lacks
                return false;
            if (error.nativeErrorCode() != u"55P03" || deadline.hasExpired())
                return failure(error);
            if (m_control->waiting)
                m_control->waiting();
        }
    };
    const QStringList tables = runTables();
    Result<bool> locked = lockAll(tables);
    for (qsizetype i = 0; locked && !*locked && i < tables.size(); ++i)
        if (Result<bool> one = lockAll({tables[i]}); !one)
            locked = one;
    if (!locked)
        return locked.error();
    if (!run(QStringLiteral("SET LOCAL lock_timeout = %1").arg(qint64(m_settings.lockTimeoutSeconds) * 1000)))
        return failure(query.lastError());
    return {};
}

Result<void> Database::beginPart()
{
    if (!m_inTransaction)
        return fail(Text::tr("The database is not open"));
    if (m_parts++ > 0 || !m_partsSaved)
        return {};
    QSqlQuery query(connection());
    if (!query.exec(QStringLiteral("SAVEPOINT tarel_part")))
        m_partsSaved = false; // an engine without savepoints: the parts share the transaction
    return {};
}

void Database::endPart()
{
    if (m_parts == 0 || --m_parts > 0 || !m_partsSaved || !m_inTransaction)
        return;
    QSqlQuery query(connection());
    if (query.exec(QStringLiteral("ROLLBACK TO SAVEPOINT tarel_part")))
        query.exec(QStringLiteral("RELEASE SAVEPOINT tarel_part"));
}

void Database::endRead()
{
    if (!m_inTransaction)
        return;
    m_parts = 0;
    QSqlDatabase db = connection();
    const ServerSession *session = serverSessionOf(m_engine);
    if (session && !session->endRead.isEmpty()) {
        QSqlQuery end(db);
        end.exec(session->endRead);
    } else {
        db.rollback();
    }
    m_inTransaction = false;
}

Result<std::vector<Doctor>> Database::doctors()
{
    if (Result<void> table = requireTable(TableOfDoctors, {QStringLiteral("lekar_s"), QStringLiteral("pre"),
                                                        QStringLiteral("ime"), QStringLiteral("aktiven")},
                                          Text::tr("the list of doctors"));
        !table)
        return table.error();
    QSqlQuery query(connection());
    query.setForwardOnly(true);
    if (!query.exec(adaptStatement(qLekarStatement().join(QLatin1Char('\n')), m_engine)))
        return failure(query.lastError());
    std::vector<Doctor> list;
    const QSqlRecord record = query.record();
    const int code = record.indexOf(QStringLiteral("lekar_s"));
    const int name = record.indexOf(QStringLiteral("ime"));
    while (query.next())
        list.push_back({query.value(code).toString(), query.value(name).toString()});
    if (query.lastError().isValid())
        return failure(query.lastError());
    return list;
}

Result<std::vector<Doctor>> Database::doctorsWithVisits(QDate from, QDate to, AreaFilter area)
{
    const QString purpose = Text::tr("the list of doctors with visits");
    QStringList person{QStringLiteral("MB")};
    if (area != AreaFilter::Both)
        person << QStringLiteral("MESTO_S");
    const QStringList visit{QStringLiteral("LEKAR_S"), QStringLiteral("DATA"), QStringLiteral("MB"),
                            QStringLiteral("VidNaUsluga")};
    const QStringList doctor{QStringLiteral("lekar_s"), QStringLiteral("pre"), QStringLiteral("ime")};
    for (const auto &[table, columns] : {std::pair{&TableOfVisits, visit}, std::pair{&TableOfPersons, person},
                                         std::pair{&TableOfDoctors, doctor}})
        if (Result<void> found = requireTable(*table, columns, purpose); !found)
            return found.error();

    QStringList lines = morbidityStatementFor(false, area);
    lines[0] = QStringLiteral("select distinct pregledi1.LEKAR_S from  PREGLEDI1 inner join osigurenici on "
                              "osigurenici.mb = pregledi1.mb");
    Query visits(*this, QStringLiteral("doctors"), lines);
    if (Result<void> opened = visits.open(from, to); !opened)
        return opened.error();
    QStringList codes;
    while (visits.next())
        if (const QString code = visits.text(0); !code.isEmpty())
            codes << code;
    if (visits.error())
        return *visits.error();
    visits.close();

    QSqlQuery names(connection());
    names.setForwardOnly(true);
    if (!names.exec(adaptStatement(qLekarStatement().front(), m_engine)))
        return failure(names.lastError());
    std::vector<Doctor> list;
    while (names.next()) {
        const QString code = names.value(0).toString();
        const QString name = names.value(1).toString();
        if (codes.removeAll(code) > 0)
            list.push_back({code, name.trimmed().isEmpty() ? code : name});
    }
    if (names.lastError().isValid())
        return failure(names.lastError());
    codes.sort();
    for (const QString &code : codes)
        list.push_back({code, code});
    return list;
}

Result<std::vector<Doctor>> Database::everyDoctor()
{
    if (Result<void> table = requireTable(TableOfDoctors, {QStringLiteral("lekar_s"), QStringLiteral("pre"),
                                                        QStringLiteral("ime")},
                                          Text::tr("the names of the doctors compared over periods"));
        !table)
        return table.error();
    // The doctor list's statement without its condition on the active ones.
    QSqlQuery query(connection());
    query.setForwardOnly(true);
    if (!query.exec(adaptStatement(qLekarStatement().front(), m_engine)))
        return failure(query.lastError());
    std::vector<Doctor> list;
    while (query.next())
        list.push_back({query.value(0).toString(), query.value(1).toString()});
    if (query.lastError().isValid())
        return failure(query.lastError());
    return list;
}

Result<QDate> Database::earliestVisitDate()
{
    if (Result<void> table = requireTable(TableOfVisits, {QStringLiteral("DATA")},
                                          Text::tr("the earliest visit date"));
        !table)
        return table.error();
    QSqlQuery query(connection());
    query.setForwardOnly(true);
    int day = 0;
    if (m_engine == Engine::SQLite) {
        // The least text of the date's shape, and again past it while it is
        // no real day ("2023-02-30"): one scan each, with or without the index.
        query.prepare(QStringLiteral("select min(DATA) from PREGLEDI1 where DATA > ? and DATA glob "
                                     "'[0-9][0-9][0-9][0-9]-[0-9][0-9]-[0-9][0-9]'"));
        QString after = QStringLiteral("0000-00-00"); // the least text of that shape, and no day
        for (;;) {
            query.bindValue(0, after);
            if (!query.exec())
                return failure(query.lastError());
            if (!query.next() || query.value(0).isNull())
                return QDate();
            after = query.value(0).toString();
            query.finish();
            if (parseIsoDay(after, &day))
                return dateOfDayNumber(day);
        }
    }
    // A date column: the dates in their order, the first real day (a date
    // the driver hands as a date, or a text of one).
    if (!query.exec(QStringLiteral("select DATA from PREGLEDI1 where DATA is not null order by DATA")))
        return failure(query.lastError());
    while (query.next()) {
        const QVariant value = query.value(0);
        if (value.typeId() == QMetaType::QDate || value.typeId() == QMetaType::QDateTime) {
            if (const QDate date = value.toDate(); date.isValid())
                return date;
        } else if (parseIsoDay(value.toString(), &day)) {
            return dateOfDayNumber(day);
        }
    }
    if (query.lastError().isValid())
        return failure(query.lastError());
    return QDate();
}

Result<Institution> Database::institution()
{
    if (Result<void> table = requireTable(TableOfInstitution, {}, Text::tr("the header of every report")); !table)
        return table.error();
    QSqlQuery query(connection());
    query.setForwardOnly(true);
    if (!query.exec(adaptStatement(qPZUStatement().join(QLatin1Char('\n')), m_engine)))
        return failure(query.lastError());
    Institution result;
    if (query.next()) {
        const QSqlRecord record = query.record();
        auto read = [&](const char *field) {
            const int index = record.indexOf(QLatin1String(field));
            return index < 0 ? QString() : query.value(index).toString();
        };
        result.naziv = read("naziv");
        result.adresa = read("ADRESA");
        result.mesto = read("MESTO");
        result.danBroj = read("DAN_BROJ");
        result.ziro = read("ZIRO");
        result.deponent = read("DEPONENT");
    } else if (query.lastError().isValid()) {
        return failure(query.lastError());
    }
    return result;
}

Query::Query(Database &database, QString name, QStringList lines)
    : m_database(database), m_name(std::move(name)), m_lines(std::move(lines))
{
}

Query::~Query() { close(); }

void Query::setLines(QStringList lines) { m_lines = std::move(lines); }

void Query::setLine(int index, const QString &text)
{
    while (m_lines.size() <= index)
        m_lines << QString();
    m_lines[index] = text;
}

void Query::close()
{
    m_query.finish();
    m_query = QSqlQuery();
    m_fieldNames.clear();
    m_open = false;
}

Result<void> Query::open(QDate from, QDate to, const std::vector<std::pair<QString, QString>> &texts)
{
    close();
    m_error.reset();
    m_query = QSqlQuery(m_database.connection());
    m_query.setForwardOnly(true);
    const QString statement = adaptStatement(m_lines.join(QLatin1Char('\n')), m_database.engine());
    if (!m_query.prepare(statement))
        return m_database.failure(m_query.lastError());
    m_query.bindValue(QStringLiteral(":datumod"), from);
    m_query.bindValue(QStringLiteral(":datumdo"), to);
    for (const auto &[name, value] : texts)
        m_query.bindValue(QLatin1Char(':') + name, m_database.textParameter(value));
    if (!m_query.exec())
        return m_database.failure(m_query.lastError());

    // Field names of the joined result: the second occurrence of a name is
    // named with the suffix "_1".
    const QSqlRecord record = m_query.record();
    QStringList seen;
    for (int i = 0; i < record.count(); ++i) {
        QString fieldName = record.fieldName(i);
        if (seen.contains(fieldName, Qt::CaseInsensitive))
            fieldName += QStringLiteral("_1");
        seen << record.fieldName(i);
        m_fieldNames << fieldName;
    }
    m_open = true;
    return {};
}

bool Query::next()
{
    if (!m_open)
        return false;
    if (m_query.next())
        return true;
    if (m_query.lastError().isValid())
        m_error = m_database.failure(m_query.lastError());
    return false;
}

int Query::field(QStringView fieldName) const
{
    for (int i = 0; i < m_fieldNames.size(); ++i)
        if (fieldName.compare(m_fieldNames[i], Qt::CaseInsensitive) == 0)
            return i;
    return -1;
}

QString Query::textOf(const QVariant &value)
{
    // A server driver reports NULL with the column's type (a NULL integer
    // would read "0", a NULL boolean "false"): NULL is the empty text.
    if (value.isNull())
        return {};
    // A boolean reads as SQLite stores it, "1" or "0", on every engine.
    if (value.typeId() == QMetaType::Bool)
        return value.toBool() ? QStringLiteral("1") : QStringLiteral("0");
    return value.toString();
}

QString Query::dateTextOf(const QVariant &value)
{
    if (value.typeId() == QMetaType::QDate && !value.isNull())
        return value.toDate().isValid() ? value.toDate().toString(Qt::ISODate) : QStringLiteral("0000-00-00");
    if (value.typeId() == QMetaType::QDateTime && !value.isNull())
        return value.toDateTime().date().toString(Qt::ISODate);
    return textOf(value);
}

bool Query::day(int index, int *result) const
{
    const QVariant value = m_query.value(index);
    if (value.isNull()) {
        *result = 0;
        return true;
    }
    if (value.typeId() == QMetaType::QDate) {
        // A zero date of MySQL reads as an invalid date: no day.
        if (!value.toDate().isValid())
            return false;
        *result = dayNumberOf(value.toDate());
        return true;
    }
    if (value.typeId() == QMetaType::QDateTime) {
        *result = dayNumberOf(value.toDateTime().date());
        return true;
    }
    const QString text = value.toString();
    if (text.isEmpty()) {
        *result = 0;
        return true;
    }
    return parseIsoDay(text, result);
}

} // namespace tarel::data
