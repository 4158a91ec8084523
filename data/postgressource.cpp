// The PostgreSQL source of the program's join: the tables read in the COPY
// protocol through libpq, on the SQL layer's own connection, so that the
// read is inside the run's read transaction (its snapshot, its read-only
// state, the share locks on the tables it took when it began, waiting for
// another session's lock as the database does) and under the session's
// lock timeout; every wait for the server looks at the user's cancel and
// then asks the server to stop.
//
// Both tables are read once and joined here (the insured persons held by MB,
// as on SQLite), or, for a period with few visits against the persons, the
// server's own join is read: a LEFT JOIN on the statements' join condition,
// so that a visit without a person comes as one row without one. What the
// server still decides: every condition on the visit table, as the
// statement writes it, with the selection's values written in as the SQL
// layer sends them (a date as its ISO text, the doctor's code as a quoted
// literal). What is done here: the join on MB (two texts of a deterministic
// collation are equal when their bytes are) and the area (an integer
// settlement code against the codes). Each value becomes the text the SQL
// layer would make of it, by the column's type. A database whose columns
// are of other types, or whose session does not send ISO dates in UTF-8, is
// read by the server's join through the SQL layer.

#include "database.h"
#include "programjoin.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSet>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>

#include <libpq-fe.h>

#include <dlfcn.h>
#include <poll.h>

#include <cerrno>
#include <charconv>
#include <cstring>
#include <optional>
#include <vector>

namespace tarel::data {

namespace {

// The functions of libpq the source calls, taken from the library that Qt's
// PostgreSQL driver has loaded for the connection: linked to the program,
// libpq and the twenty libraries it needs would load with every run of any
// engine (some 4 MB and milliseconds at each start).
struct LibPq {
    decltype(&PQcancel) cancel = nullptr;
    decltype(&PQclear) clear = nullptr;
    decltype(&PQconsumeInput) consumeInput = nullptr;
    decltype(&PQerrorMessage) errorMessage = nullptr;
    decltype(&PQescapeLiteral) escapeLiteral = nullptr;
    decltype(&PQfreeCancel) freeCancel = nullptr;
    decltype(&PQfreemem) freemem = nullptr;
    decltype(&PQgetCancel) getCancel = nullptr;
    decltype(&PQgetCopyData) getCopyData = nullptr;
    decltype(&PQgetResult) getResult = nullptr;
    decltype(&PQgetvalue) getvalue = nullptr;
    decltype(&PQisBusy) isBusy = nullptr;
    decltype(&PQntuples) ntuples = nullptr;
    decltype(&PQresultErrorField) resultErrorField = nullptr;
    decltype(&PQresultErrorMessage) resultErrorMessage = nullptr;
    decltype(&PQresultStatus) resultStatus = nullptr;
    decltype(&PQsendQuery) sendQuery = nullptr;
    decltype(&PQsocket) socket = nullptr;
    decltype(&PQstatus) status = nullptr;
};

template <typename Function>
Function function(void *library, const char *name)
{
    return reinterpret_cast<Function>(::dlsym(library, name));
}

// libpq's functions; nothing when no connection has loaded the library.
const LibPq *loadedLibPq()
{
    static const std::optional<LibPq> loaded = []() -> std::optional<LibPq> {
        void *library = ::dlopen("libpq.so.5", RTLD_NOW | RTLD_NOLOAD);
        LibPq functions;
        if (library
            && (functions.cancel = function<decltype(&PQcancel)>(library, "PQcancel"))
            && (functions.clear = function<decltype(&PQclear)>(library, "PQclear"))
            && (functions.consumeInput = function<decltype(&PQconsumeInput)>(library, "PQconsumeInput"))
            && (functions.errorMessage = function<decltype(&PQerrorMessage)>(library, "PQerrorMessage"))
            && (functions.escapeLiteral = function<decltype(&PQescapeLiteral)>(library, "PQescapeLiteral"))
            && (functions.freeCancel = function<decltype(&PQfreeCancel)>(library, "PQfreeCancel"))
            && (functions.freemem = function<decltype(&PQfreemem)>(library, "PQfreemem"))
            && (functions.getCancel = function<decltype(&PQgetCancel)>(library, "PQgetCancel"))
            && (functions.getCopyData = function<decltype(&PQgetCopyData)>(library, "PQgetCopyData"))
            && (functions.getResult = function<decltype(&PQgetResult)>(library, "PQgetResult"))
            && (functions.getvalue = function<decltype(&PQgetvalue)>(library, "PQgetvalue"))
            && (functions.isBusy = function<decltype(&PQisBusy)>(library, "PQisBusy"))
            && (functions.ntuples = function<decltype(&PQntuples)>(library, "PQntuples"))
            && (functions.resultErrorField = function<decltype(&PQresultErrorField)>(library, "PQresultErrorField"))
            && (functions.resultErrorMessage = function<decltype(&PQresultErrorMessage)>(library, "PQresultErrorMessage"))
            && (functions.resultStatus = function<decltype(&PQresultStatus)>(library, "PQresultStatus"))
            && (functions.sendQuery = function<decltype(&PQsendQuery)>(library, "PQsendQuery"))
            && (functions.socket = function<decltype(&PQsocket)>(library, "PQsocket"))
            && (functions.status = function<decltype(&PQstatus)>(library, "PQstatus")))
            return functions;
        return std::nullopt;
    }();
    return loaded ? &*loaded : nullptr;
}

// libpq's functions, once a read has found them.
const LibPq &pq() { return *loadedLibPq(); }

// A row of a COPY as libpq hands it over.
struct FreeCopyRow {
    void operator()(char *row) const { pq().freemem(row); }
};
using CopyRow = std::unique_ptr<char, FreeCopyRow>;

// How long a wait for the server lasts before the cancel flag is looked at.
constexpr int kWaitMilliseconds = 100;
// A visit joined with its persons by the server costs about as much as this
// many persons read and held here (docs/performance.md).
constexpr qint64 kPersonsPerJoinedVisit = 4;

PGconn *connectionOf(Database &database)
{
    const QSqlDatabase connection = database.connection();
    if (!connection.isOpen() || !connection.driver())
        return nullptr;
    const QVariant handle = connection.driver()->handle();
    // The driver names its handle by libpq's own structure.
    if (!handle.isValid() || qstrcmp(handle.typeName(), "pg_conn*") != 0)
        return nullptr;
    return *static_cast<PGconn *const *>(handle.constData());
}

// How the SQL layer turns a value of a column of that type into text.
enum class Conversion {
    Text,       // the UTF-8 text
    Date,       // read as a date field: an ISO date (Query::dateTextOf)
    DateAsText, // a date column read as any other field (Query::textOf)
    Integer,    // the decimal digits as the server writes them
    Boolean,    // "1" or "0"
};

std::optional<Conversion> conversionOf(const QByteArray &type)
{
    if (type == "text" || type == "varchar" || type == "bpchar")
        return Conversion::Text;
    if (type == "date")
        return Conversion::Date;
    if (type == "int2" || type == "int4" || type == "int8")
        return Conversion::Integer;
    if (type == "bool")
        return Conversion::Boolean;
    return std::nullopt;
}

// A field of a row of the COPY text format, its escapes undone.
struct Field {
    const char *data = nullptr;
    int size = 0;
    bool null = true;
};

// The text of a field as the SQL layer reads it; the view is valid until
// the buffer or the row changes.
QStringView textOf(const Field &field, Conversion conversion, std::u16string &buffer)
{
    const auto *bytes = reinterpret_cast<const unsigned char *>(field.data);
    if (field.null)
        return {};
    switch (conversion) {
    case Conversion::Boolean:
        buffer.assign(field.size > 0 && field.data[0] == 't' ? u"1" : u"0");
        return QStringView(buffer.data(), qsizetype(buffer.size()));
    case Conversion::Date:
    case Conversion::DateAsText:
        // A date of years 1 to 9999 comes as "YYYY-MM-DD", which reads back
        // as itself; any other (BC, a five-digit year, infinity) as the SQL
        // layer reads the date its driver makes of the text.
        if (field.size != 10) {
            const QVariant date(QDate::fromString(QString::fromLatin1(field.data, field.size), Qt::ISODate));
            const QString text = conversion == Conversion::Date ? Query::dateTextOf(date) : Query::textOf(date);
            buffer.assign(reinterpret_cast<const char16_t *>(text.utf16()), std::size_t(text.size()));
            return QStringView(buffer.data(), qsizetype(buffer.size()));
        }
        break;
    case Conversion::Text:
        if (!isAscii(bytes, field.size)) {
            const QString text = QString::fromUtf8(field.data, field.size);
            buffer.assign(reinterpret_cast<const char16_t *>(text.utf16()), std::size_t(text.size()));
            return QStringView(buffer.data(), qsizetype(buffer.size()));
        }
        break;
    case Conversion::Integer:
        break;
    }
    widen(bytes, field.size, buffer);
    return QStringView(buffer.data(), qsizetype(buffer.size()));
}

// A row's place (ctid, "(block,offset)") as a number.
quint64 placeOf(const Field &field)
{
    quint64 block = 0, offset = 0;
    const char *end = field.data + field.size;
    const char *comma = std::find(field.data, end, ',');
    std::from_chars(field.data + 1, comma, block);
    if (comma != end)
        std::from_chars(comma + 1, end, offset);
    return (block << 16) | offset;
}

// An integer settlement code's flags; a NULL code has none.
quint8 settlementFlags(const Field &field)
{
    if (field.null)
        return 0;
    qint64 code = 0;
    std::from_chars(field.data, field.data + field.size, code);
    return settlementFlagsOf(code);
}

// Undoes the escapes of a field of the COPY text format, in place (the text
// only shrinks): a backslash before a letter of a control character, before
// up to three octal digits, or before any other character that stands for
// itself.
int unescape(char *data, int size)
{
    int out = 0;
    for (int i = 0; i < size; ++i) {
        char c = data[i];
        if (c == '\\' && i + 1 < size) {
            c = data[++i];
            switch (c) {
            case 'b': c = '\b'; break;
            case 'f': c = '\f'; break;
            case 'n': c = '\n'; break;
            case 'r': c = '\r'; break;
            case 't': c = '\t'; break;
            case 'v': c = '\v'; break;
            default:
                if (c >= '0' && c <= '7') {
                    int value = c - '0';
                    for (int k = 0; k < 2 && i + 1 < size && data[i + 1] >= '0' && data[i + 1] <= '7'; ++k)
                        value = value * 8 + (data[++i] - '0');
                    c = char(value);
                }
                break;
            }
        }
        data[out++] = c;
    }
    return out;
}

// ---- The server --------------------------------------------------------------

struct ResultDeleter {
    void operator()(PGresult *result) const { pq().clear(result); }
};
using PgResult = std::unique_ptr<PGresult, ResultDeleter>;

// Statements sent on the connection, waited for in steps so that the user's
// cancel asks the server to stop, and COPY results read row by row. Errors
// read as the SQL layer words them (a lock that outlasted the lock timeout
// is "locked").
class Server {
public:
    Server(PGconn *connection, const Database &database, const ReadControl &control)
        : m_connection(connection), m_database(database), m_control(control)
    {
    }
    ~Server()
    {
        if (m_copying)
            stopCopy();
    }
    Server(const Server &) = delete;
    Server &operator=(const Server &) = delete;

    // The rows of a statement.
    Result<PgResult> query(const QByteArray &statement)
    {
        if (Result<void> sent = send(statement); !sent)
            return sent.error();
        Result<PgResult> result = nextResult();
        if (!result)
            return result;
        const ExecStatusType status = pq().resultStatus(result->get());
        Result<void> rest = drain();
        if (status != PGRES_TUPLES_OK)
            return failure(result->get());
        if (!rest)
            return rest.error();
        return result;
    }

    // Starts a COPY ... TO STDOUT; its rows come from nextRow.
    Result<void> startCopy(const QByteArray &statement)
    {
        if (Result<void> sent = send(statement); !sent)
            return sent;
        Result<PgResult> result = nextResult();
        if (!result)
            return result.error();
        if (pq().resultStatus(result->get()) != PGRES_COPY_OUT) {
            const Error error = failure(result->get());
            static_cast<void>(drain()); // the statement's error is the one to tell
            return error;
        }
        m_copying = true;
        return {};
    }

    // The next row of the COPY into row, its fields (views into the row)
    // in fields; false after the last.
    Result<bool> nextRow(CopyRow &row, std::vector<Field> &fields)
    {
        row.reset();
        for (;;) {
            char *data = nullptr;
            const int size = pq().getCopyData(m_connection, &data, 1);
            if (size > 0) {
                row.reset(data);
                split(data, size, fields);
                return true;
            }
            if (size == 0) {
                if (Result<void> waited = wait(); !waited)
                    return waited.error();
                continue;
            }
            m_copying = false;
            if (size == -2)
                return connectionFailure();
            // The COPY has ended: its own result tells how.
            Result<PgResult> result = nextResult();
            if (!result)
                return result.error();
            const ExecStatusType status = pq().resultStatus(result->get());
            Result<void> rest = drain();
            if (status != PGRES_COMMAND_OK)
                return failure(result->get());
            if (!rest)
                return rest.error();
            return false;
        }
    }

    // Reads the rest of a COPY without looking at it, so that the
    // transaction goes on (after a sink's error, its visit is read again).
    void finishCopy()
    {
        CopyRow row;
        std::vector<Field> fields;
        while (m_copying)
            if (!nextRow(row, fields))
                break;
    }

    // Asks the server to stop the COPY and reads what it still sends.
    void stopCopy()
    {
        sendCancel();
        finishCopy();
    }

private:
    bool cancelled() const { return m_control.cancelled(); }

    Result<void> send(const QByteArray &statement)
    {
        m_cancelSent = false;
        if (!pq().sendQuery(m_connection, statement.constData()))
            return connectionFailure();
        return {};
    }

    // Waits until the server sends something, a step at a time; the user's
    // cancel is passed on to the server, whose error then ends the wait.
    Result<void> wait()
    {
        for (;;) {
            if (cancelled())
                sendCancel();
            pollfd socket{pq().socket(m_connection), POLLIN, 0};
            const int ready = ::poll(&socket, 1, kWaitMilliseconds);
            if (ready < 0 && errno != EINTR)
                return connectionFailure();
            if (ready > 0) {
                if (!pq().consumeInput(m_connection))
                    return connectionFailure();
                return {};
            }
        }
    }

    void sendCancel()
    {
        if (m_cancelSent)
            return;
        m_cancelSent = true;
        if (PGcancel *cancel = pq().getCancel(m_connection)) {
            char message[256];
            pq().cancel(cancel, message, int(sizeof message));
            pq().freeCancel(cancel);
        }
    }

    Result<PgResult> nextResult()
    {
        while (pq().isBusy(m_connection))
            if (Result<void> waited = wait(); !waited)
                return waited.error();
        PGresult *result = pq().getResult(m_connection);
        if (!result)
            return connectionFailure();
        return PgResult(result);
    }

    // Reads the results that follow until the connection is free again.
    Result<void> drain()
    {
        for (;;) {
            while (pq().isBusy(m_connection))
                if (Result<void> waited = wait(); !waited)
                    return waited;
            PGresult *result = pq().getResult(m_connection);
            if (!result)
                return {};
            pq().clear(result);
        }
    }

    Error failure(const PGresult *result) const
    {
        if (m_cancelSent)
            return cancelledError();
        const char *state = pq().resultErrorField(result, PG_DIAG_SQLSTATE);
        return fail(m_database.errorText(QSqlError(QString(), QString::fromUtf8(pq().resultErrorMessage(result)),
                                                   QSqlError::StatementError,
                                                   QString::fromLatin1(state ? state : ""))));
    }

    Error connectionFailure() const
    {
        if (m_cancelSent && pq().status(m_connection) == CONNECTION_OK)
            return cancelledError();
        return fail(m_database.errorText(QSqlError(QString(), QString::fromUtf8(pq().errorMessage(m_connection)),
                                                   QSqlError::ConnectionError)));
    }

    // The fields of a row: separated by tabs, ending in a newline, "\N" for
    // NULL.
    static void split(char *row, int size, std::vector<Field> &fields)
    {
        if (size > 0 && row[size - 1] == '\n')
            --size;
        char *const end = row + size;
        char *start = row;
        for (Field &field : fields) {
            if (!start) {
                field = Field{};
                continue;
            }
            char *tab = static_cast<char *>(std::memchr(start, '\t', std::size_t(end - start)));
            const int length = int((tab ? tab : end) - start);
            field.null = length == 2 && start[0] == '\\' && start[1] == 'N';
            field.data = start;
            field.size = field.null ? 0
                : std::memchr(start, '\\', std::size_t(length)) ? unescape(start, length)
                                                                 : length;
            start = tab ? tab + 1 : nullptr;
        }
    }

    PGconn *m_connection;
    const Database &m_database;
    const ReadControl &m_control;
    bool m_copying = false;
    bool m_cancelSent = false;
};

// ---- The tables ----------------------------------------------------------------

// The columns of both tables the source can read, by lower-case name, with
// their conversions; nothing when the tables are not as this source reads
// them (see the top of the file).
struct Columns {
    QHash<QByteArray, Conversion> visit;
    QHash<QByteArray, Conversion> person;
};

Result<std::optional<Columns>> columnsOf(Server &server, VisitFields fields)
{
    Result<PgResult> session = server.query("select current_setting('DateStyle'), pg_client_encoding()");
    if (!session)
        return session.error();
    if (!QByteArray(pq().getvalue(session->get(), 0, 0)).startsWith("ISO")
        || qstrcmp(pq().getvalue(session->get(), 0, 1), "UTF8") != 0)
        return std::optional<Columns>();
    Result<PgResult> rows = server.query(
        "select c.relname, c.relkind, a.attname, t.typname, coalesce(o.collisdeterministic, true) "
        "from pg_class c join pg_attribute a on a.attrelid = c.oid and a.attnum > 0 and not a.attisdropped "
        "join pg_type t on t.oid = a.atttypid left join pg_collation o on o.oid = a.attcollation "
        "where c.oid in (to_regclass('pregledi1'), to_regclass('osigurenici'))");
    if (!rows)
        return rows.error();
    Columns columns;
    bool keysComparable = true;
    for (int i = 0; i < pq().ntuples(rows->get()); ++i) {
        const QByteArray table = pq().getvalue(rows->get(), i, 0);
        const QByteArray column = pq().getvalue(rows->get(), i, 2);
        const QByteArray type = pq().getvalue(rows->get(), i, 3);
        // A partitioned table or a view would not tell its rows apart.
        if (qstrcmp(pq().getvalue(rows->get(), i, 1), "r") != 0)
            return std::optional<Columns>();
        const std::optional<Conversion> conversion = conversionOf(type);
        if (!conversion)
            continue;
        // MB: texts that are equal when their bytes are (a blank-padded
        // character type compares without its trailing blanks).
        if (column == "mb" && (type == "bpchar" || qstrcmp(pq().getvalue(rows->get(), i, 4), "t") != 0))
            keysComparable = false;
        (table == "pregledi1" ? columns.visit : columns.person).insert(column, *conversion);
    }
    const auto has = [](const QHash<QByteArray, Conversion> &table, const char *column, Conversion conversion) {
        const auto found = table.constFind(column);
        return found != table.constEnd() && *found == conversion;
    };
    if (!keysComparable || !has(columns.visit, "mb", Conversion::Text) || !has(columns.person, "mb", Conversion::Text)
        || !has(columns.person, "mesto_s", Conversion::Integer) || !has(columns.visit, "data", Conversion::Date))
        return std::optional<Columns>();
    for (const NamedField &entry : kNamedFields)
        if ((fields & entry.field)
            && !(entry.person ? columns.person : columns.visit).contains(QString::fromUtf16(entry.name).toLower().toLatin1()))
            return std::optional<Columns>();
    return std::optional<Columns>(std::move(columns));
}

// The rows the planner expects of a statement.
Result<qint64> plannedRows(Server &server, const QByteArray &statement)
{
    Result<PgResult> plan = server.query("EXPLAIN (FORMAT JSON) " + statement);
    if (!plan)
        return plan.error();
    const QJsonDocument document = QJsonDocument::fromJson(QByteArray(pq().getvalue(plan->get(), 0, 0)));
    return qint64(document.array().at(0).toObject().value(QLatin1String("Plan")).toObject().value(
                                          QLatin1String("Plan Rows")).toDouble());
}

// The statement's conditions on the visit table, with the selection's
// values written in as the SQL layer sends them: a date as its ISO text, the
// doctor's code as a quoted literal.
QStringList conditionsOf(PGconn *connection, const VisitSelection &selection)
{
    const auto date = [](QDate day) {
        return day.isValid() ? QStringLiteral("'%1'").arg(day.toString(Qt::ISODate)) : QStringLiteral("NULL");
    };
    QString period = periodCondition();
    period.replace(QLatin1String(":datumod"), date(selection.from));
    period.replace(QLatin1String(":datumdo"), date(selection.to));
    QStringList lines{period};
    if (selection.statement == VisitSelection::Statement::Morbidity) {
        lines << kindCondition();
        if (selection.doctorCode) {
            const QByteArray code = selection.doctorCode->toUtf8();
            char *quoted = pq().escapeLiteral(connection, code.constData(), std::size_t(code.size()));
            QString line = morbidityFilterLine(true, AreaFilter::Both);
            line.replace(QLatin1Char(':') + QLatin1String(DoctorParameter), QString::fromUtf8(quoted ? quoted : "NULL"));
            pq().freemem(quoted);
            lines << line;
        }
    }
    return lines;
}

// The persons all read, or each visit's found by the server's join: the
// latter for fewer visits (as the planner expects them) than persons /
// kPersonsPerJoinedVisit.
Result<ReadPlan> planOf(Server &server, PGconn *connection, const VisitSelection &selection, PersonReading reading)
{
    ReadPlan plan;
    const Result<qint64> persons = plannedRows(server, "select 1 from osigurenici");
    if (!persons)
        return persons.error();
    const Result<qint64> visits = plannedRows(
        server, "select 1 from pregledi1\n" + conditionsOf(connection, selection).join(QLatin1Char('\n')).toUtf8());
    if (!visits)
        return visits.error();
    plan.persons = *persons;
    plan.visits = *visits;
    plan.personsPerVisit = reading == PersonReading::PerVisit
        || (reading == PersonReading::Estimated && *visits < *persons / kPersonsPerJoinedVisit);
    return plan;
}

// ---- The source ----------------------------------------------------------------

class CopyJoinSource final : public VisitSource {
public:
    CopyJoinSource(Database &database, PersonReading persons) : m_database(database), m_persons(persons) {}

    Result<void> read(const VisitSelection &selection, VisitFields fields, const VisitSink &sink,
                      const ReadControl &control, SourceFigures *figures) override
    {
        const WaitControl waits(m_database, control);
        const ReadTransaction transaction(m_database);
        if (!transaction.begun())
            return transaction.begun().error();
        PGconn *connection = connectionOf(m_database);
        if (!connection || !loadedLibPq())
            return makeServerJoinSource(m_database)->read(selection, fields, sink, control, figures);
        Server server(connection, m_database, control);
        const Result<std::optional<Columns>> columns = columnsOf(server, fields);
        if (!columns)
            return columns.error();
        if (!*columns)
            return makeServerJoinSource(m_database)->read(selection, fields, sink, control, figures);
        Run run(m_database, connection, server, **columns, selection, fields, control, figures);
        if (Result<void> planned = run.plan(m_persons); !planned)
            return planned;
        if (Result<void> counted = run.countVisitDates(); !counted)
            return counted;
        if (run.personsPerVisit())
            return run.readJoinedVisits(sink);
        if (Result<void> loaded = run.loadPersons(); !loaded)
            return loaded;
        return run.readVisits(sink);
    }

private:
    class Run {
    public:
        Run(Database &database, PGconn *connection, Server &server, const Columns &columns,
            const VisitSelection &selection, VisitFields fields, const ReadControl &control, SourceFigures *figures)
            : m_database(database), m_connection(connection), m_server(server), m_columns(columns),
              m_selection(selection), m_join(selection, fields, figures),
              m_ticker(control, ReadProgress::Stage::Persons, 0)
        {
            for (const NamedField *entry : m_join.visitFields())
                m_visitConversions.push_back(conversionFor(m_columns.visit, entry));
            for (const NamedField *entry : m_join.personFields())
                m_personConversions.push_back(conversionFor(m_columns.person, entry));
            m_visitTexts.resize(m_join.visitFields().size() + 1);
            m_personTexts.resize(m_join.personFields().size());
        }

        Result<void> plan(PersonReading reading)
        {
            const Result<ReadPlan> plan = planOf(m_server, m_connection, m_selection, reading);
            if (!plan)
                return plan.error();
            m_perVisit = plan->personsPerVisit;
            m_visitEstimate = plan->visits;
            m_ticker.setEstimate(plan->persons);
            return {};
        }
        bool personsPerVisit() const { return m_perVisit; }

        // Visit dates that are not ISO texts: DATA is a date, written as an
        // ISO text for the years 1 to 9999 and otherwise not (BC, five
        // digits, infinity), so they are those outside these years (two
        // seeks in the DATA index).
        Result<void> countVisitDates()
        {
            if (!m_join.figures())
                return {};
            Result<PgResult> counted =
                m_server.query("select count(*) from pregledi1 where DATA < '0001-01-01' or DATA > '9999-12-31'");
            if (!counted)
                return counted.error();
            m_join.figures()->nonIsoVisitDates = QByteArray(pq().getvalue(counted->get(), 0, 0)).toLongLong();
            return {};
        }

        Result<void> loadPersons()
        {
            QStringList columns{QStringLiteral("MB"),
                                m_join.needsSettlement() ? QStringLiteral("MESTO_S") : QStringLiteral("0")};
            for (const NamedField *entry : m_join.personFields())
                columns << QString::fromUtf16(entry->name);
            if (Result<void> started = m_server.startCopy(
                    copyOf(QStringLiteral("select %1 from osigurenici").arg(columns.join(QStringLiteral(", ")))));
                !started)
                return started;
            CopyRow row;
            std::vector<Field> fields(std::size_t(columns.size()));
            std::string entry;
            std::u16string text;
            for (;;) {
                const Result<bool> read = m_server.nextRow(row, fields);
                if (!read)
                    return read.error();
                if (!*read)
                    break;
                if (!m_ticker.row()) {
                    m_server.stopCopy();
                    return cancelledError();
                }
                const Field &key = fields[0];
                if (key.null)
                    continue; // matches no visit
                PersonTable::startEntry(entry, key.data, std::size_t(key.size), settlementFlags(fields[1]));
                for (std::size_t i = 0; i < m_personConversions.size(); ++i) {
                    // A text, a number or an ISO date reads as its bytes.
                    const Field &value = fields[2 + i];
                    const Conversion conversion = m_personConversions[i];
                    const bool asSent = !value.null && conversion != Conversion::Boolean
                        && ((conversion != Conversion::Date && conversion != Conversion::DateAsText)
                            || value.size == 10);
                    if (!asSent
                        || !putAsciiValue(entry, reinterpret_cast<const unsigned char *>(value.data), value.size))
                        putUtf16Value(entry, textOf(value, conversion, text));
                }
                if (Result<void> added = m_persons.add(key.data, std::size_t(key.size), false, entry); !added) {
                    m_server.stopCopy();
                    return added;
                }
            }
            m_persons.finish();
            if (!m_ticker.report())
                return cancelledError();
            return {};
        }

        Result<void> readVisits(const VisitSink &sink)
        {
            QStringList columns{QStringLiteral("ctid"), QStringLiteral("MB")};
            for (const NamedField *entry : m_join.visitFields())
                columns << QString::fromUtf16(entry->name);
            return readCopy(QStringLiteral("select %1 from pregledi1").arg(columns.join(QStringLiteral(", "))),
                            int(columns.size()), true, [&](Row &row) -> Result<void> {
                                setVisitFields(row.fields, 2);
                                const Field &key = row.fields[1];
                                if (key.null) {
                                    m_join.unmatchedVisit();
                                    return {};
                                }
                                return m_join.joinHeld(m_persons, key.data, std::size_t(key.size), false, row.hash,
                                                       sink);
                            });
        }

        // The server's join. Its rows need not come a visit at a time (a
        // hash join may go through the persons, workers may interleave), so
        // the visits that gave a row are kept by their place (ctid): a
        // short period's.
        Result<void> readJoinedVisits(const VisitSink &sink)
        {
            QStringList columns{QStringLiteral("pregledi1.ctid"), QStringLiteral("osigurenici.MB is not null"),
                                m_join.needsSettlement() ? QStringLiteral("osigurenici.MESTO_S") : QStringLiteral("0"),
                                QStringLiteral("pregledi1.MB")};
            for (const NamedField *entry : m_join.visitFields())
                columns << QStringLiteral("pregledi1.") + QString::fromUtf16(entry->name);
            for (const NamedField *entry : m_join.personFields())
                columns << QStringLiteral("osigurenici.") + QString::fromUtf16(entry->name);
            const int firstPersonField = 4 + int(m_join.visitFields().size());
            QSet<quint64> visitsGiven;
            qint64 repeated = 0;
            const Result<void> read = readCopy(
                QStringLiteral("select %1 from pregledi1 left join osigurenici on osigurenici.mb = pregledi1.mb")
                    .arg(columns.join(QStringLiteral(", "))),
                int(columns.size()), false, [&](Row &row) -> Result<void> {
                    const std::vector<Field> &fields = row.fields;
                    if (fields[1].size > 0 && fields[1].data[0] == 'f') {
                        m_join.unmatchedVisit();
                        return {};
                    }
                    if (!m_join.takes(settlementFlags(fields[2])))
                        return {};
                    setVisitFields(fields, 4);
                    VisitRecord &record = m_join.record();
                    for (std::size_t i = 0; i < m_personConversions.size(); ++i)
                        record.*m_join.personFields()[i]->member =
                            textOf(fields[std::size_t(firstPersonField) + i], m_personConversions[i], m_personTexts[i]);
                    if (Result<void> taken = sink(record); !taken)
                        return taken;
                    const quint64 place = placeOf(fields[0]);
                    if (visitsGiven.contains(place))
                        ++repeated;
                    else
                        visitsGiven.insert(place);
                    return {};
                });
            if (m_join.figures())
                m_join.figures()->repeatedPersons = repeated;
            return read;
        }

    private:
        static Conversion conversionFor(const QHash<QByteArray, Conversion> &table, const NamedField *entry)
        {
            const Conversion conversion =
                table.value(QString::fromUtf16(entry->name).toLower().toLatin1(), Conversion::Text);
            return conversion == Conversion::Date && !entry->date ? Conversion::DateAsText : conversion;
        }

        // The statement's conditions on the visit table, with the
        // selection's values written in as the SQL layer sends them.
        QStringList conditions() const { return conditionsOf(m_connection, m_selection); }

        static QByteArray copyOf(const QString &select)
        {
            return "COPY (" + select.toUtf8() + ") TO STDOUT";
        }

        // Reads the visits of the selection through a COPY of the select
        // given (its first column the visit's ctid), a row at a time. A
        // sink's error ends the read with the line naming the visit.
        // A row of the visits' COPY: its fields (the first the visit's
        // ctid, the second its MB), and MB's hash where it is looked up here.
        struct Row {
            CopyRow data;
            std::vector<Field> fields;
            quint64 hash = 0;
        };

        // Reads the visits of the selection through a COPY of the select
        // given, handing each row to take. The rows go in batches: with
        // lookup, the slots and entries of the persons the batch's visits
        // name are brought into the cache ahead of the join, as on SQLite.
        // A sink's error ends the read with the line naming the visit.
        template <typename Take>
        Result<void> readCopy(const QString &select, int columns, bool lookup, Take &&take)
        {
            if (!m_ticker.startStage(ReadProgress::Stage::Visits, m_visitEstimate))
                return cancelledError();
            if (Result<void> started = m_server.startCopy(copyOf(select + QLatin1Char('\n') + conditions().join(QLatin1Char('\n'))));
                !started)
                return started;
            std::vector<Row> batch(kJoinBatch);
            for (Row &row : batch)
                row.fields.resize(std::size_t(columns));
            const auto prefetchEntry = [&](const Row &row) {
                if (lookup && !row.fields[1].null)
                    m_persons.prefetchEntry(row.hash);
            };
            for (bool more = true; more;) {
                std::size_t size = 0;
                while (size < kJoinBatch) {
                    Row &row = batch[size];
                    const Result<bool> read = m_server.nextRow(row.data, row.fields);
                    if (!read)
                        return read.error();
                    if (!*read) {
                        more = false;
                        break;
                    }
                    if (lookup && !row.fields[1].null) {
                        row.hash = PersonTable::hashOf(row.fields[1].data, std::size_t(row.fields[1].size), false);
                        m_persons.prefetchSlot(row.hash);
                    }
                    ++size;
                }
                for (std::size_t i = 0; i < size && i < kJoinAhead; ++i)
                    prefetchEntry(batch[i]);
                for (std::size_t i = 0; i < size; ++i) {
                    if (i + kJoinAhead < size)
                        prefetchEntry(batch[i + kJoinAhead]);
                    if (!m_ticker.row()) {
                        m_server.stopCopy();
                        return cancelledError();
                    }
                    if (Result<void> taken = take(batch[i]); !taken) {
                        const QString place = QString::fromLatin1(batch[i].fields[0].data, batch[i].fields[0].size);
                        m_server.finishCopy();
                        return namedVisit(taken.error(), place);
                    }
                }
            }
            if (!m_ticker.finish())
                return cancelledError();
            return {};
        }

        void setVisitFields(const std::vector<Field> &fields, int first)
        {
            VisitRecord &record = m_join.record();
            const std::vector<const NamedField *> &visitFields = m_join.visitFields();
            for (std::size_t i = 0; i < visitFields.size(); ++i)
                record.*visitFields[i]->member = textOf(fields[std::size_t(first) + i], m_visitConversions[i], m_visitTexts[i]);
            if (m_join.wantsCitizenNumber())
                record.citizenNumber = textOf(fields[std::size_t(first) - 1], Conversion::Text, m_visitTexts.back());
        }

        // The sink's error with the line that names the visit, read again by
        // its place in the same snapshot, through the SQL layer.
        Error namedVisit(Error error, const QString &place) const
        {
            QSqlQuery query(m_database.connection());
            if (query.exec(QStringLiteral("select RED_BR, DATA, PRE, IME from pregledi1 where ctid = '%1'").arg(place))
                && query.next())
                return atVisit(std::move(error), Query::textOf(query.value(0)), Query::dateTextOf(query.value(1)),
                               Query::textOf(query.value(2)), Query::textOf(query.value(3)));
            return atVisit(std::move(error), {}, {}, {}, {});
        }

        Database &m_database;
        PGconn *m_connection;
        Server &m_server;
        const Columns &m_columns;
        const VisitSelection &m_selection;
        PersonJoin m_join;
        ReadTicker m_ticker;
        bool m_perVisit = false;
        qint64 m_visitEstimate = 0; // the period's visits, as the planner expects them
        PersonTable m_persons;
        std::vector<Conversion> m_visitConversions;
        std::vector<Conversion> m_personConversions;
        std::vector<std::u16string> m_visitTexts; // the visit's fields, then MB
        std::vector<std::u16string> m_personTexts;
    };

    Database &m_database;
    PersonReading m_persons;
};

} // namespace

std::unique_ptr<VisitSource> makeCopyJoinSource(Database &database, PersonReading persons)
{
    return std::make_unique<CopyJoinSource>(database, persons);
}

std::optional<ReadPlan> postgresReadPlan(Database &database, const VisitSelection &selection, VisitFields fields,
                                         PersonReading reading)
{
    PGconn *connection = connectionOf(database);
    if (!connection || !loadedLibPq())
        return std::nullopt;
    const ReadControl control;
    Server server(connection, database, control);
    const Result<std::optional<Columns>> columns = columnsOf(server, fields);
    if (!columns || !*columns)
        return std::nullopt;
    const Result<ReadPlan> plan = planOf(server, connection, selection, reading);
    return plan ? std::optional<ReadPlan>(*plan) : std::nullopt;
}

} // namespace tarel::data
