#include "serverloader.h"

#include "database.h"
#include "firebirddriver.h"
#include "statements.h"

#include <QAtomicInt>
#include <QElapsedTimer>
#include <QRegularExpression>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>

#include <ibase.h>
#include <sqlite3.h>

#include <limits>
#include <vector>

namespace tarel::demodb {

namespace {

QAtomicInt connectionCounter;

// Rows per INSERT statement: large enough that the statements' round trips
// do not count, small enough to keep each statement a few hundred kilobytes.
constexpr int RowsPerInsert = 2000;

// VisitDate: the date of a visit (PREGLEDI1.DATA), which old imports left as
// "DD.MM.YYYY" text. A date column cannot hold it; it is loaded as NULL,
// which no period selects, as on SQLite no period of the years 1753 to 2999
// (those a date picker offers) selects such a text: it sorts before or after
// them. Any other text that is no date is refused as for every date.
enum class ColumnKind { Text, Integer, Date, VisitDate, Boolean };

struct Column {
    QString name;
    ColumnKind kind = ColumnKind::Text;
};

struct Table {
    QString name;
    std::vector<Column> columns;
};

// The tables and their columns, from the same definitions that create them.
Result<std::vector<Table>> sourceTables()
{
    static const QRegularExpression create(QStringLiteral(R"(^\s*CREATE\s+TABLE\s+(\w+)\s*\((.*)\)\s*$)"),
                                           QRegularExpression::CaseInsensitiveOption
                                               | QRegularExpression::DotMatchesEverythingOption);
    std::vector<Table> tables;
    for (const QString &statement : data::sourceSchemaStatements()) {
        const QRegularExpressionMatch match = create.match(statement);
        if (!match.hasMatch())
            continue;
        Table table{match.captured(1), {}};
        for (const QString &definition : match.captured(2).split(QLatin1Char(','))) {
            const QStringList words = definition.simplified().split(QLatin1Char(' '));
            if (words.size() < 2)
                return fail(QStringLiteral("the definition of table %1 cannot be read").arg(table.name));
            const QString type = words[1].toUpper();
            ColumnKind kind = ColumnKind::Text;
            if (type == QLatin1String("INTEGER"))
                kind = ColumnKind::Integer;
            else if (type == QLatin1String("DATE"))
                kind = table.name.compare(QLatin1String("PREGLEDI1"), Qt::CaseInsensitive) == 0
                        && words[0].compare(QLatin1String("DATA"), Qt::CaseInsensitive) == 0
                    ? ColumnKind::VisitDate
                    : ColumnKind::Date;
            else if (type == QLatin1String("BOOLEAN"))
                kind = ColumnKind::Boolean;
            table.columns.push_back({words[0], kind});
        }
        tables.push_back(std::move(table));
    }
    if (tables.empty())
        return fail(QStringLiteral("the table definitions are missing from the program"));
    return tables;
}

void appendQuoted(QString &out, QStringView text)
{
    out += QLatin1Char('\'');
    for (QChar c : text) {
        if (c == QLatin1Char('\''))
            out += QLatin1Char('\'');
        out += c;
    }
    out += QLatin1Char('\'');
}

// Appends the PostgreSQL literal of one SQLite value, or says why it has none
// with the same meaning.
Result<void> appendLiteral(QString &out, sqlite3_stmt *row, int index, ColumnKind kind)
{
    const int type = sqlite3_column_type(row, index);
    if (type == SQLITE_NULL) {
        out += QLatin1String("NULL");
        return {};
    }
    auto text = [&] {
        const char *bytes = reinterpret_cast<const char *>(sqlite3_column_text(row, index));
        return QString::fromUtf8(bytes, sqlite3_column_bytes(row, index));
    };
    switch (kind) {
    case ColumnKind::Text: {
        if (type == SQLITE_BLOB)
            return fail(QStringLiteral("holds binary data"));
        const QString value = text();
        if (value.contains(QChar(0)))
            return fail(QStringLiteral("holds a NUL character"));
        appendQuoted(out, value);
        return {};
    }
    case ColumnKind::Integer: {
        if (type != SQLITE_INTEGER)
            return fail(QStringLiteral("'%1' is not an integer").arg(text()));
        const sqlite3_int64 value = sqlite3_column_int64(row, index);
        if (value < std::numeric_limits<qint32>::min() || value > std::numeric_limits<qint32>::max())
            return fail(QStringLiteral("%1 is out of the range of a 32-bit integer").arg(value));
        out += QString::number(value);
        return {};
    }
    case ColumnKind::Date:
    case ColumnKind::VisitDate: {
        if (type != SQLITE_TEXT)
            return fail(QStringLiteral("'%1' is not a date").arg(text()));
        const QString value = text();
        if (value.isEmpty()) {
            // Read as day 0 and never in a date range, exactly as NULL.
            out += QLatin1String("NULL");
            return {};
        }
        int day = 0;
        if (!data::parseIsoDay(value, &day)) {
            static const QRegularExpression imported(QStringLiteral("^[0-3][0-9]\\.[01][0-9]\\.[0-9]{4}$"));
            if (kind == ColumnKind::VisitDate && imported.match(value).hasMatch()) {
                out += QLatin1String("NULL");
                return {};
            }
            return fail(QStringLiteral("'%1' is not a date").arg(value));
        }
        appendQuoted(out, value);
        return {};
    }
    case ColumnKind::Boolean: {
        // "aktiven=true" holds for 1 only: 0 and 1 are the values with a meaning.
        if (type == SQLITE_INTEGER && sqlite3_column_int64(row, index) == 1) {
            out += QLatin1String("true");
            return {};
        }
        if (type == SQLITE_INTEGER && sqlite3_column_int64(row, index) == 0) {
            out += QLatin1String("false");
            return {};
        }
        return fail(QStringLiteral("'%1' is not a boolean 0 or 1").arg(text()));
    }
    }
    return {};
}

QString sqlErrorText(const QSqlError &error)
{
    QString text = error.databaseText().trimmed();
    if (text.isEmpty())
        text = error.text().trimmed();
    return text.isEmpty() ? QStringLiteral("unknown database error") : text;
}

// The SQLite file, opened read-only.
class SourceFile {
public:
    ~SourceFile() { sqlite3_close(m_db); }
    Result<void> open(const QString &path)
    {
        if (sqlite3_open_v2(path.toUtf8().constData(), &m_db, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK)
            return fail(QStringLiteral("cannot open '%1': %2").arg(path, message()));
        return {};
    }
    QString message() const { return m_db ? QString::fromUtf8(sqlite3_errmsg(m_db)) : QStringLiteral("out of memory"); }
    sqlite3 *db() const { return m_db; }

private:
    sqlite3 *m_db = nullptr;
};

class Statement {
public:
    ~Statement() { sqlite3_finalize(m_statement); }
    bool prepare(sqlite3 *db, const QString &sql)
    {
        return sqlite3_prepare_v2(db, sql.toUtf8().constData(), -1, &m_statement, nullptr) == SQLITE_OK;
    }
    sqlite3_stmt *get() const { return m_statement; }

private:
    sqlite3_stmt *m_statement = nullptr;
};

// A connection of the loader's own to the target, rolled back unless
// committed.
class Target {
public:
    explicit Target(const ServerTarget &target)
        : m_engine(target.engine), m_name(QStringLiteral("tarel-demo-db-%1").arg(connectionCounter.fetchAndAddRelaxed(1)))
    {
        QString driver = QStringLiteral("QPSQL");
        QString options = target.options;
        QString host = target.host;
        if (m_engine == data::Engine::Firebird) {
            data::registerFirebirdDriver();
            driver = QLatin1String(data::FirebirdDriverName);
            options = QStringLiteral("connect_timeout=10;read_write");
        } else if (m_engine == data::Engine::MySQL) {
            driver = QStringLiteral("QMYSQL");
            options = QStringLiteral("MYSQL_OPT_CONNECT_TIMEOUT=10");
            if (host.startsWith(QLatin1Char('/'))) {
                options += QStringLiteral(";UNIX_SOCKET=") + host;
                host.clear();
            }
        } else if (!options.contains(QLatin1String("connect_timeout"))) {
            options += (options.isEmpty() ? QString() : QStringLiteral(";")) + QStringLiteral("connect_timeout=10");
        }
        m_available = QSqlDatabase::isDriverAvailable(driver);
        QSqlDatabase db = QSqlDatabase::addDatabase(driver, m_name);
        if (!host.isEmpty())
            db.setHostName(host);
        if (target.port > 0)
            db.setPort(target.port);
        db.setDatabaseName(target.database);
        db.setUserName(target.user);
        db.setPassword(target.password);
        db.setConnectOptions(options);
    }
    ~Target()
    {
        {
            QSqlDatabase db = connection();
            if (m_inTransaction)
                db.rollback();
            db.close();
        }
        QSqlDatabase::removeDatabase(m_name);
    }
    QSqlDatabase connection() const { return QSqlDatabase::database(m_name, false); }
    bool available() const { return m_available; }

    Result<void> open()
    {
        QSqlDatabase db = connection();
        if (!db.open())
            return fail(sqlErrorText(db.lastError()));
        return {};
    }
    // Whether the last open failed because the database file is not there.
    bool missingDatabase() const
    {
        return m_engine == data::Engine::Firebird
            && data::hasFirebirdCode(connection().lastError().nativeErrorCode(), isc_io_error);
    }
    Result<void> exec(const QString &sql)
    {
        QSqlQuery query(connection());
        if (!query.exec(sql))
            return fail(sqlErrorText(query.lastError()));
        return {};
    }
    Result<void> begin()
    {
        if (m_engine == data::Engine::Firebird) {
            QSqlDatabase db = connection();
            if (!db.transaction())
                return fail(sqlErrorText(db.lastError()));
        } else if (Result<void> begun = exec(QStringLiteral("BEGIN")); !begun) {
            return begun;
        }
        m_inTransaction = true;
        return {};
    }
    Result<void> commit()
    {
        m_inTransaction = false;
        if (m_engine == data::Engine::Firebird) {
            QSqlDatabase db = connection();
            if (!db.commit())
                return fail(sqlErrorText(db.lastError()));
            return {};
        }
        return exec(QStringLiteral("COMMIT"));
    }

private:
    data::Engine m_engine;
    QString m_name;
    bool m_available = false;
    bool m_inTransaction = false;
};

// How rows are inserted: many rows per statement, as the engine allows.
// Firebird has no multi-row VALUES and a statement of at most 64 KB: an
// EXECUTE BLOCK of single-row inserts, cut well below that.
struct InsertForm {
    QString head;      // before the first row
    QString between;   // between two rows
    QString tail;      // after the last row
    int maxRows;
    qsizetype maxChars;
};

InsertForm insertFormOf(data::Engine engine, const Table &table)
{
    QStringList names;
    for (const Column &column : table.columns)
        names << (engine == data::Engine::Firebird ? QStringLiteral("\"%1\"").arg(column.name.toUpper()) : column.name);
    const QString tableName = engine == data::Engine::MySQL ? table.name.toLower() : table.name;
    const QString insert = QStringLiteral("INSERT INTO %1 (%2) VALUES ").arg(tableName, names.join(QStringLiteral(", ")));
    if (engine == data::Engine::Firebird)
        return {QStringLiteral("EXECUTE BLOCK AS BEGIN\n") + insert, QStringLiteral(";\n") + insert,
                QStringLiteral(";\nEND"), RowsPerInsert, 20000};
    return {insert, QStringLiteral(","), QString(), RowsPerInsert, std::numeric_limits<qsizetype>::max()};
}

Result<qint64> copyTable(sqlite3 *source, Target &target, const Table &table, data::Engine engine)
{
    QStringList names;
    for (const Column &column : table.columns)
        names << column.name;
    const QString columnList = names.join(QStringLiteral(", "));
    const InsertForm form = insertFormOf(engine, table);

    // In stored order, so that PostgreSQL returns the rows in the same order
    // (the doctor list is shown in the order the database returns it).
    Statement select;
    if (!select.prepare(source, QStringLiteral("SELECT %1 FROM %2 ORDER BY rowid").arg(columnList, table.name)))
        return fail(QStringLiteral("cannot read table %1: %2")
                        .arg(table.name, QString::fromUtf8(sqlite3_errmsg(source))));

    QString insert;
    int pending = 0;
    qint64 rows = 0;
    int status = SQLITE_ROW;
    while ((status = sqlite3_step(select.get())) == SQLITE_ROW) {
        ++rows;
        insert += pending == 0 ? form.head : form.between;
        insert += QLatin1Char('(');
        for (int i = 0; i < int(table.columns.size()); ++i) {
            if (i > 0)
                insert += QLatin1Char(',');
            if (Result<void> appended = appendLiteral(insert, select.get(), i, table.columns[std::size_t(i)].kind);
                !appended)
                return fail(QStringLiteral("table %1, row %2, column %3: %4")
                                .arg(table.name)
                                .arg(rows)
                                .arg(table.columns[std::size_t(i)].name, appended.message()));
        }
        insert += QLatin1Char(')');
        if (++pending == form.maxRows || insert.size() > form.maxChars) {
            if (Result<void> done = target.exec(insert + form.tail); !done)
                return fail(QStringLiteral("table %1: %2").arg(table.name, done.message()));
            insert.clear();
            pending = 0;
        }
    }
    if (status != SQLITE_DONE)
        return fail(QStringLiteral("cannot read table %1: %2").arg(table.name, QString::fromUtf8(sqlite3_errmsg(source))));
    if (pending > 0)
        if (Result<void> done = target.exec(insert + form.tail); !done)
            return fail(QStringLiteral("table %1: %2").arg(table.name, done.message()));
    return rows;
}

} // namespace

Result<ServerTarget> parseConnectionString(const QString &text, data::Engine engine)
{
    ServerTarget target;
    target.engine = engine;
    QStringList options;
    qsizetype i = 0;
    const qsizetype n = text.size();
    auto skipBlanks = [&] {
        while (i < n && text[i].isSpace())
            ++i;
    };
    for (skipBlanks(); i < n; skipBlanks()) {
        QString key;
        while (i < n && text[i] != QLatin1Char('=') && !text[i].isSpace())
            key += text[i++];
        skipBlanks();
        if (i >= n || text[i] != QLatin1Char('='))
            return fail(QStringLiteral("'%1' in the connection string has no value (write %1=VALUE)").arg(key));
        ++i;
        skipBlanks();
        QString value;
        if (i < n && text[i] == QLatin1Char('\'')) {
            ++i;
            bool closed = false;
            while (i < n) {
                if (text[i] == QLatin1Char('\\') && i + 1 < n) {
                    value += text[i + 1];
                    i += 2;
                } else if (text[i] == QLatin1Char('\'')) {
                    ++i;
                    closed = true;
                    break;
                } else {
                    value += text[i++];
                }
            }
            if (!closed)
                return fail(QStringLiteral("the value of '%1' in the connection string lacks its closing quote").arg(key));
        } else {
            while (i < n && !text[i].isSpace()) {
                if (text[i] == QLatin1Char('\\') && i + 1 < n)
                    ++i;
                value += text[i++];
            }
        }

        if (key.isEmpty())
            return fail(QStringLiteral("the connection string has a value without a keyword"));
        if (key == QLatin1String("host") || (key == QLatin1String("hostaddr") && target.host.isEmpty())) {
            target.host = value;
        } else if (key == QLatin1String("port")) {
            bool ok = false;
            target.port = value.toInt(&ok);
            if (!ok || target.port < 1 || target.port > 65535)
                return fail(QStringLiteral("the port '%1' is not a port number").arg(value));
        } else if (key == QLatin1String("dbname") || key == QLatin1String("database")) {
            target.database = value;
        } else if (key == QLatin1String("user")) {
            target.user = value;
        } else if (key == QLatin1String("password")) {
            target.password = value;
        } else if (engine != data::Engine::PostgreSQL) {
            return fail(QStringLiteral("unknown keyword '%1' in the connection string (known: host, port, dbname, "
                                       "user, password)")
                            .arg(key));
        } else if (key != QLatin1String("hostaddr")) {
            if (value.contains(QLatin1Char(';')) || value.contains(QLatin1Char(' ')))
                return fail(QStringLiteral("the value of '%1' cannot hold a blank or ';'").arg(key));
            options << key + QLatin1Char('=') + value;
        }
    }
    target.options = options.join(QLatin1Char(';'));
    return target;
}

QString describe(const ServerTarget &target)
{
    QString text = target.database.isEmpty() ? QStringLiteral("(default database)") : target.database;
    if (!target.host.isEmpty() || target.port > 0)
        text += QLatin1Char('@') + (target.host.isEmpty() ? QStringLiteral("localhost") : target.host);
    if (target.port > 0)
        text += QLatin1Char(':') + QString::number(target.port);
    return text;
}

namespace {

// The names of the four tables as the engine's catalogue lists them, those
// already there, for an engine.
QString existingTablesStatement(data::Engine engine, const std::vector<Table> &tables)
{
    QStringList names;
    for (const Table &table : tables)
        names << QLatin1Char('\'')
                + (engine == data::Engine::Firebird ? table.name.toUpper() : table.name.toLower()) + QLatin1Char('\'');
    const QString list = names.join(QLatin1Char(','));
    switch (engine) {
    case data::Engine::Firebird:
        return QStringLiteral("SELECT trim(rdb$relation_name) FROM rdb$relations WHERE rdb$relation_name IN (%1)").arg(list);
    case data::Engine::MySQL:
        return QStringLiteral("SELECT table_name FROM information_schema.tables WHERE table_schema = database()"
                              " AND table_name IN (%1) ORDER BY table_name")
            .arg(list);
    default:
        return QStringLiteral("SELECT tablename FROM pg_tables WHERE schemaname = current_schema()"
                              " AND tablename IN (%1) ORDER BY tablename")
            .arg(list);
    }
}

// Sent before the load: texts as written (no backslash escapes), strict
// values.
QStringList loadSessionStatements(data::Engine engine)
{
    switch (engine) {
    case data::Engine::PostgreSQL:
        return {QStringLiteral("SET standard_conforming_strings = on"), QStringLiteral("SET client_min_messages = warning")};
    case data::Engine::MySQL:
        return {QStringLiteral("SET SESSION sql_mode = 'STRICT_ALL_TABLES,NO_BACKSLASH_ESCAPES'")};
    default:
        return {};
    }
}

QString driverPackage(data::Engine engine)
{
    return engine == data::Engine::MySQL ? QStringLiteral("the MariaDB/MySQL driver of Qt (QMYSQL, package libqt6sql6-mysql)")
                                         : QStringLiteral("the PostgreSQL driver of Qt (QPSQL, package libqt6sql6-psql)");
}

} // namespace

Result<CopyStats> copyToServer(const QString &sqlitePath, const ServerTarget &server, bool replace)
{
    QElapsedTimer timer;
    timer.start();
    const data::Engine engine = server.engine;
    Result<std::vector<Table>> tables = sourceTables();
    if (!tables)
        return tables.error();

    SourceFile source;
    if (Result<void> opened = source.open(sqlitePath); !opened)
        return opened.error();

    const QString where = describe(server);
    auto failed = [&](const QString &why) { return fail(QStringLiteral("cannot load into %1: %2").arg(where, why)); };

    Target target(server);
    if (!target.available())
        return fail(QStringLiteral("%1 is not installed").arg(driverPackage(engine)));
    Result<void> opened = target.open();
    // A Firebird database is a file: one that is not there yet is created.
    if (!opened && target.missingDatabase()) {
        if (Result<void> created = data::createFirebirdDatabase(server.host, server.port, server.database, server.user,
                                                                server.password);
            !created)
            return fail(QStringLiteral("cannot create %1: %2").arg(where, created.message()));
        opened = target.open();
    }
    if (!opened)
        return fail(QStringLiteral("cannot connect to %1: %2").arg(where, opened.message()));
    for (const QString &setting : loadSessionStatements(engine))
        if (Result<void> done = target.exec(setting); !done)
            return failed(done.message());
    if (Result<void> begun = target.begin(); !begun)
        return failed(begun.message());

    QSqlQuery existing(target.connection());
    if (!existing.exec(existingTablesStatement(engine, *tables)))
        return failed(sqlErrorText(existing.lastError()));
    QStringList present;
    while (existing.next())
        present << existing.value(0).toString();
    existing.finish();
    existing = QSqlQuery();
    if (!present.isEmpty()) {
        if (!replace)
            return failed(QStringLiteral("the database already holds the table(s) %1 (use --force to replace them)")
                              .arg(present.join(QStringLiteral(", "))));
        for (const QString &table : present)
            if (Result<void> done = target.exec(QStringLiteral("DROP TABLE %1").arg(table)); !done)
                return failed(done.message());
    }

    // Firebird makes new definitions usable at commit; MariaDB commits each
    // definition itself. PostgreSQL loads in one transaction.
    const bool commitDefinitions = engine != data::Engine::PostgreSQL;
    auto commitAndBegin = [&]() -> Result<void> {
        if (!commitDefinitions)
            return {};
        if (Result<void> committed = target.commit(); !committed)
            return committed;
        return target.begin();
    };
    if (Result<void> done = commitAndBegin(); !done)
        return failed(done.message());
    for (const QString &statement : data::sourceSchemaStatements())
        if (Result<void> done = target.exec(data::adaptSchemaStatement(statement, engine)); !done)
            return failed(done.message());
    if (Result<void> done = commitAndBegin(); !done)
        return failed(done.message());

    CopyStats stats;
    for (const Table &table : *tables) {
        Result<qint64> rows = copyTable(source.db(), target, table, engine);
        if (!rows)
            return failed(rows.message());
        stats.rows += *rows;
    }
    if (Result<void> done = commitAndBegin(); !done)
        return failed(done.message());
    for (const QString &statement : data::sourceIndexStatements())
        if (Result<void> done = target.exec(data::adaptSchemaStatement(statement, engine)); !done)
            return failed(done.message());
    if (Result<void> committed = target.commit(); !committed)
        return failed(committed.message());

    // The planner's statistics, so the first run joins by the index (a
    // Firebird index has them from its creation).
    if (engine != data::Engine::Firebird)
        for (const Table &table : *tables) {
            const QString analyze = engine == data::Engine::MySQL ? QStringLiteral("ANALYZE TABLE %1").arg(table.name.toLower())
                                                                  : QStringLiteral("ANALYZE %1").arg(table.name);
            if (Result<void> done = target.exec(analyze); !done)
                return failed(done.message());
        }
    stats.seconds = double(timer.nsecsElapsed()) / 1e9;
    return stats;
}

Result<DemoStats> loadDemoDatabase(const ServerTarget &target, const DemoOptions &options, const QString &sqlitePath)
{
    QElapsedTimer timer;
    timer.start();
    QTemporaryDir temporary;
    QString path = sqlitePath;
    if (path.isEmpty()) {
        if (!temporary.isValid())
            return fail(QStringLiteral("cannot create a temporary folder: %1").arg(temporary.errorString()));
        path = temporary.filePath(QStringLiteral("demo.sqlite"));
    }
    Result<DemoStats> stats = writeDemoDatabase(path, options);
    if (!stats)
        return stats;
    Result<CopyStats> copied = copyToServer(path, target, options.force);
    if (!copied)
        return copied.error();
    stats->seconds = double(timer.nsecsElapsed()) / 1e9;
    return stats;
}

QString loadSummaryLine(const ServerTarget &target, const DemoStats &stats)
{
    return QStringLiteral("Loaded %1 visits (%2 to %3), %4 persons, %5 doctors into %6 in %7 s")
        .arg(stats.visits)
        .arg(stats.firstDay.toString(Qt::ISODate), stats.lastDay.toString(Qt::ISODate))
        .arg(stats.persons)
        .arg(stats.doctors)
        .arg(describe(target))
        .arg(stats.seconds, 0, 'f', 2);
}

} // namespace tarel::demodb
