// The SQLite source: both tables read once, in one read transaction, through
// the SQLite C interface on the connection's own handle, and joined here.
//
// What SQLite still decides: every condition on the visit table (the period,
// the kind of service, the doctor) is the statement's own text in the visit
// read's WHERE clause, so SQLite compares DATA, VidNaUsluga and LEKAR_S
// exactly as it does in the joined statement. What is done here: the join on
// MB and the area. The join compares MB as SQLite compares two TEXT columns
// with the BINARY collation (the same storage class and the same bytes; a
// NULL matches nothing; a person listed k times gives k rows). The area
// compares MESTO_S, a column of numeric affinity, with integer codes: a
// number equals a code when its value does; a text or blob equals none and
// differs from all; NULL neither equals nor differs (so it is in neither
// area). A database whose tables declare these columns otherwise, is not
// UTF-8, or whose PREGLEDI1 has no plain rowid, is read by the statements
// as written.

#include "database.h"
#include "programjoin.h"
#include "sourcereading.h"

#include <QSqlDriver>
#include <QVariant>

#include <sqlite3.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace tarel::data {

namespace {

// SQLite calls back every this many virtual-machine steps, so that a
// cancelled run stops inside a long step (a scan that returns few rows).
constexpr int kStepsBetweenChecks = 100000;

// A visit's persons found through the MB index cost about as much as this
// many persons read in one pass (docs/performance.md).
constexpr qint64 kPersonsPerLookup = 8;

QString sqliteMessage(sqlite3 *db) { return QString::fromUtf8(sqlite3_errmsg(db)).simplified(); }

// ---- Statements ------------------------------------------------------------

class Statement {
public:
    Statement() = default;
    ~Statement() { sqlite3_finalize(m_stmt); }
    Statement(const Statement &) = delete;
    Statement &operator=(const Statement &) = delete;

    Result<void> prepare(sqlite3 *db, const QString &text)
    {
        sqlite3_finalize(m_stmt);
        m_stmt = nullptr;
        m_db = db;
        const QByteArray utf8 = text.toUtf8();
        if (sqlite3_prepare_v2(db, utf8.constData(), int(utf8.size()), &m_stmt, nullptr) != SQLITE_OK)
            return fail(sqliteMessage(db));
        return {};
    }
    // Binds a text as the SQL layer binds it (UTF-16), or NULL.
    void bindText(const char *name, const std::optional<QString> &text)
    {
        const int index = sqlite3_bind_parameter_index(m_stmt, name);
        if (index == 0)
            return;
        if (!text)
            sqlite3_bind_null(m_stmt, index);
        else
            sqlite3_bind_text16(m_stmt, index, text->utf16(), int(text->size() * sizeof(char16_t)),
                                SQLITE_TRANSIENT);
    }
    // The next row: SQLITE_ROW, SQLITE_DONE or an error code.
    int step() { return sqlite3_step(m_stmt); }
    sqlite3_stmt *get() const { return m_stmt; }
    QString error() const { return sqliteMessage(m_db); }

private:
    sqlite3 *m_db = nullptr;
    sqlite3_stmt *m_stmt = nullptr;
};

// A date parameter as the SQL layer binds a QDate: its ISO text, NULL for
// no date.
std::optional<QString> dateParameter(QDate date)
{
    if (date.isNull())
        return std::nullopt;
    return QVariant(date).toString();
}

// Binds the selection's parameters that the statement names: the period's
// dates and, for the morbidity statement, the doctor's code.
void bindSelection(Statement &statement, const VisitSelection &selection)
{
    statement.bindText(":datumod", dateParameter(selection.from));
    statement.bindText(":datumdo", dateParameter(selection.to));
    if (selection.statement == VisitSelection::Statement::Morbidity && selection.doctorCode)
        statement.bindText(":lekar_s", *selection.doctorCode);
}

void assign(std::u16string &buffer, const QString &text)
{
    buffer.assign(reinterpret_cast<const char16_t *>(text.utf16()), std::size_t(text.size()));
}

// The text of a value of the current row, as the SQL layer reads it: NULL
// the empty text, an integer in decimal, a real as a double converts to
// text, a blob's bytes as UTF-8, a text as SQLite gives it in UTF-16 (an
// ASCII text widened here, the same characters). The view is valid until
// the next row or the next read of the column.
QStringView columnText(sqlite3_stmt *stmt, int column, std::u16string &buffer)
{
    switch (sqlite3_column_type(stmt, column)) {
    case SQLITE_NULL:
        return {};
    case SQLITE_INTEGER:
        formatInteger(sqlite3_column_int64(stmt, column), buffer);
        break;
    case SQLITE_FLOAT:
        assign(buffer, QVariant(sqlite3_column_double(stmt, column)).toString());
        break;
    case SQLITE_BLOB:
        assign(buffer, QVariant(QByteArray(static_cast<const char *>(sqlite3_column_blob(stmt, column)),
                                           sqlite3_column_bytes(stmt, column)))
                           .toString());
        break;
    default: {
        const auto *bytes = sqlite3_column_text(stmt, column);
        const int size = sqlite3_column_bytes(stmt, column);
        if (isAscii(bytes, size)) {
            widen(bytes, size, buffer);
            break;
        }
        const auto *units = static_cast<const char16_t *>(sqlite3_column_text16(stmt, column));
        return QStringView(units, sqlite3_column_bytes16(stmt, column) / 2);
    }
    }
    return QStringView(buffer.data(), qsizetype(buffer.size()));
}

// ---- The insured persons -------------------------------------------------

// Appends the value of a column of the current row, as its text reads.
void putValue(std::string &out, sqlite3_stmt *stmt, int column, std::u16string &scratch)
{
    const int type = sqlite3_column_type(stmt, column);
    if (type == SQLITE_INTEGER) {
        putIntegerValue(out, sqlite3_column_int64(stmt, column));
        return;
    }
    if (type == SQLITE_TEXT
        && putAsciiValue(out, sqlite3_column_text(stmt, column), sqlite3_column_bytes(stmt, column)))
        return;
    putUtf16Value(out, columnText(stmt, column, scratch));
}

// The flags of a person's settlement code, MESTO_S of numeric affinity
// compared with the integer codes as SQLite compares them.
quint8 settlementFlags(sqlite3_stmt *stmt, int column)
{
    switch (sqlite3_column_type(stmt, column)) {
    case SQLITE_NULL:
        return 0;
    case SQLITE_INTEGER:
        return settlementFlagsOf(sqlite3_column_int64(stmt, column));
    case SQLITE_FLOAT: {
        const double code = sqlite3_column_double(stmt, column);
        const bool urban = code >= 0 && code <= 999999 && std::floor(code) == code && isUrbanSettlement(int(code));
        return HasSettlement | (urban ? UrbanCode : 0);
    }
    default:
        return HasSettlement;
    }
}

// ---- The schema ------------------------------------------------------------

enum class Affinity { Integer, Text, Blob, Real, Numeric };

// The affinity of a declared column type, by SQLite's rules.
Affinity affinityOf(const char *declared)
{
    const QByteArray type = QByteArray(declared ? declared : "").toUpper();
    if (type.contains("INT"))
        return Affinity::Integer;
    if (type.contains("CHAR") || type.contains("CLOB") || type.contains("TEXT"))
        return Affinity::Text;
    if (type.contains("BLOB") || type.isEmpty())
        return Affinity::Blob;
    if (type.contains("REAL") || type.contains("FLOA") || type.contains("DOUB"))
        return Affinity::Real;
    return Affinity::Numeric;
}

struct ColumnInfo {
    bool exists = false;
    Affinity affinity = Affinity::Blob;
    bool binary = false;
    bool primaryKey = false;
};

ColumnInfo columnInfo(sqlite3 *db, const char *table, const char *column)
{
    const char *type = nullptr;
    const char *collation = nullptr;
    int notNull = 0, primaryKey = 0, autoIncrement = 0;
    ColumnInfo info;
    if (sqlite3_table_column_metadata(db, nullptr, table, column, &type, &collation, &notNull, &primaryKey,
                                      &autoIncrement)
        != SQLITE_OK)
        return info;
    info.exists = true;
    info.affinity = affinityOf(type);
    info.binary = collation && qstricmp(collation, "BINARY") == 0;
    info.primaryKey = primaryKey != 0;
    return info;
}

// Whether the tables are as this source reads them (see the top of the
// file); if not, the statements as written read them.
bool readableHere(sqlite3 *db, VisitFields fields)
{
    Statement encoding;
    if (!encoding.prepare(db, QStringLiteral("PRAGMA encoding")) || encoding.step() != SQLITE_ROW
        || qstrcmp(reinterpret_cast<const char *>(sqlite3_column_text(encoding.get(), 0)), "UTF-8") != 0)
        return false;
    const ColumnInfo visitMb = columnInfo(db, "PREGLEDI1", "MB");
    const ColumnInfo personMb = columnInfo(db, "osigurenici", "MB");
    const ColumnInfo settlement = columnInfo(db, "osigurenici", "MESTO_S");
    const ColumnInfo date = columnInfo(db, "PREGLEDI1", "DATA");
    const ColumnInfo rowid = columnInfo(db, "PREGLEDI1", "rowid");
    if (!visitMb.exists || visitMb.affinity != Affinity::Text || !visitMb.binary)
        return false;
    if (!personMb.exists || personMb.affinity != Affinity::Text || !personMb.binary)
        return false;
    if (!settlement.exists || settlement.affinity == Affinity::Text || settlement.affinity == Affinity::Blob)
        return false;
    if (!date.exists || !date.binary || !rowid.exists || !rowid.primaryKey || rowid.affinity != Affinity::Integer)
        return false;
    // Every other column the read names.
    for (const NamedField &entry : kNamedFields)
        if ((fields & entry.field) || entry.field == FieldKind || entry.field == FieldDoctor)
            if (!columnInfo(db, entry.person ? "osigurenici" : "PREGLEDI1",
                            QString::fromUtf16(entry.name).toLatin1().constData())
                     .exists)
                return false;
    return columnInfo(db, "PREGLEDI1", "RED_BR").exists && columnInfo(db, "PREGLEDI1", "PRE").exists
        && columnInfo(db, "PREGLEDI1", "IME").exists;
}

qint64 singleInteger(sqlite3 *db, const QString &text)
{
    Statement statement;
    if (!statement.prepare(db, text) || statement.step() != SQLITE_ROW)
        return 0;
    return sqlite3_column_int64(statement.get(), 0);
}

// Whether PREGLEDI1 has an index that starts with DATA (on every row).
bool hasDateIndex(sqlite3 *db)
{
    return singleInteger(
               db, QStringLiteral("select count(*) from pragma_index_list('PREGLEDI1') as l, pragma_index_info(l.name) "
                                  "as i where i.seqno = 0 and i.name = 'DATA' collate nocase and l.partial = 0"))
        > 0;
}

// ---- The period's visits ---------------------------------------------------

// The texts shaped as an ISO date, "DDDD-DD-DD" (any digits), are searched in
// the DATA index past the other texts a visit date can hold ("15.03.2024",
// "2024-3-5"): from a text that is not so shaped, the next (or previous) text
// that could be is computed, so that one seek skips every text between them.
// Texts compare by their UTF-8 bytes, as the BINARY collation does.
constexpr char kIsoShape[] = "9999-99-99";
constexpr int kIsoLength = 10;

bool fitsShape(int i, char c) { return kIsoShape[i] == '-' ? c == '-' : (c >= '0' && c <= '9'); }

// The prefix of `text` of that length with its last digit that can be raised
// (or lowered) moved by one, filled with the smallest (largest) shape after
// it; empty when there is none.
QByteArray steppedPrefix(const QByteArray &text, int length, bool up)
{
    for (int j = length - 1; j >= 0; --j) {
        if (kIsoShape[j] == '-' || text[j] == (up ? '9' : '0'))
            continue;
        QByteArray result = text.left(j) + char(text[j] + (up ? 1 : -1));
        for (int k = j + 1; k < kIsoLength; ++k)
            result += kIsoShape[k] == '-' ? '-' : (up ? '0' : '9');
        return result;
    }
    return {};
}

QByteArray filled(const QByteArray &prefix, bool smallest)
{
    QByteArray result = prefix;
    for (int k = int(prefix.size()); k < kIsoLength; ++k)
        result += kIsoShape[k] == '-' ? '-' : (smallest ? '0' : '9');
    return result;
}

} // namespace

QByteArray isoShapeAtOrAfter(const QByteArray &text)
{
    for (int i = 0; i < kIsoLength; ++i) {
        if (i >= text.size())
            return filled(text, true);
        const char c = text[i];
        if (fitsShape(i, c))
            continue;
        if (quint8(c) < quint8(kIsoShape[i] == '-' ? '-' : '0'))
            return filled(text.left(i), true);
        return steppedPrefix(text, i, true);
    }
    return text.size() == kIsoLength ? text : steppedPrefix(text, kIsoLength, true);
}

QByteArray isoShapeAtOrBefore(const QByteArray &text)
{
    for (int i = 0; i < kIsoLength; ++i) {
        if (i >= text.size())
            return steppedPrefix(text, i, false);
        const char c = text[i];
        if (fitsShape(i, c))
            continue;
        if (quint8(c) > quint8(kIsoShape[i] == '-' ? '-' : '9'))
            return filled(text.left(i), false);
        return steppedPrefix(text, i, false);
    }
    return text.left(kIsoLength);
}

namespace {

// The first (or last) visit date that is an ISO text of a real day, through
// the DATA index: a seek per shaped text that is no real day ("2024-02-30",
// "2024-03-15 10:00"), one seek past each run of other texts. Nothing after
// a few hundred seeks.
std::optional<int> outermostIsoDay(sqlite3 *db, bool first)
{
    Statement seek;
    if (!seek.prepare(db, first ? QStringLiteral("select DATA from PREGLEDI1 where DATA >= ?1 and DATA < x'' "
                                                 "order by DATA limit 1")
                                : QStringLiteral("select DATA from PREGLEDI1 where DATA <= ?1 and DATA > '' "
                                                 "order by DATA desc limit 1")))
        return std::nullopt;
    QByteArray bound = first ? isoShapeAtOrAfter(QByteArray()) : QByteArray("9999-99-99");
    for (int attempt = 0; attempt < 256 && !bound.isEmpty(); ++attempt) {
        sqlite3_reset(seek.get());
        sqlite3_bind_text(seek.get(), 1, bound.constData(), int(bound.size()), SQLITE_TRANSIENT);
        if (seek.step() != SQLITE_ROW || sqlite3_column_type(seek.get(), 0) != SQLITE_TEXT)
            return std::nullopt;
        const QByteArray found(reinterpret_cast<const char *>(sqlite3_column_text(seek.get(), 0)),
                               sqlite3_column_bytes(seek.get(), 0));
        int day = 0;
        if (parseIsoDay(QString::fromLatin1(found), &day))
            return day;
        // Past the text found: the next shape, or, for a shaped text that is
        // no real day, the shape one step beyond it.
        bound = first ? isoShapeAtOrAfter(found) : isoShapeAtOrBefore(found);
        if (bound == found)
            bound = steppedPrefix(found, kIsoLength, first);
    }
    return std::nullopt;
}

// The share of the visits the period covers, from the first and last ISO
// visit date the DATA index gives; nothing when there is no such index or
// no ISO visit date.
std::optional<double> indexedPeriodShare(sqlite3 *db, bool dateIndex, QDate from, QDate to)
{
    if (!dateIndex)
        return std::nullopt;
    const std::optional<int> first = outermostIsoDay(db, true);
    const std::optional<int> last = outermostIsoDay(db, false);
    if (!first || !last || *last < *first)
        return std::nullopt;
    return periodShare(*first, *last, from, to);
}

// Whether osigurenici has an index that starts with MB in its BINARY
// collation (on every row), through which a visit's persons are found.
bool hasPersonIndex(sqlite3 *db)
{
    return singleInteger(db, QStringLiteral("select count(*) from pragma_index_list('osigurenici') as l, "
                                            "pragma_index_xinfo(l.name) as i where i.seqno = 0 and i.name = 'MB' "
                                            "collate nocase and i.coll = 'BINARY' and l.partial = 0"))
        > 0;
}

// The period's condition for a scan of the visits: the statement's own, with
// DATA's affinity taken off ("+DATA"). Compared with a bound text, a column of
// numeric affinity has that affinity applied to the text on every row (a try
// at reading it as a number); the bound dates are ISO texts, which never read
// as numbers and stay texts, so without the affinity every row compares the
// same, in DATA's own collation, and the scan takes a tenth less time.
QString scannedPeriodCondition()
{
    QString condition = periodCondition();
    return condition.replace(QLatin1String("WHERE DATA "), QLatin1String("WHERE +DATA "));
}

// The period's visits (by the period alone), counted through the DATA index
// up to a limit: a read of at most that many entries of the index.
qint64 periodVisitsUpTo(sqlite3 *db, const VisitSelection &selection, qint64 limit)
{
    Statement statement;
    if (!statement.prepare(db, QStringLiteral("select count(*) from (select 1 from PREGLEDI1\n%1\nlimit %2)")
                                   .arg(periodCondition())
                                   .arg(limit)))
        return limit;
    bindSelection(statement, selection);
    return statement.step() == SQLITE_ROW ? sqlite3_column_int64(statement.get(), 0) : limit;
}

// The rows of a table, as the span of its row numbers tells (a few page
// reads; counting would read the table).
qint64 rowSpan(sqlite3 *db, const char *table)
{
    const qint64 first = singleInteger(db, QStringLiteral("select min(rowid) from %1").arg(QLatin1String(table)));
    const qint64 last = singleInteger(db, QStringLiteral("select max(rowid) from %1").arg(QLatin1String(table)));
    return last >= first ? last - first + 1 : 0;
}

ReadPlan planOf(sqlite3 *db, const VisitSelection &selection, PersonReading reading)
{
    ReadPlan plan;
    // The persons' span is bounded by what the file can hold (a row takes at
    // least 8 bytes) and by 4 million: a larger table grows as read.
    const qint64 fileRows = singleInteger(db, QStringLiteral("PRAGMA page_count"))
        * singleInteger(db, QStringLiteral("PRAGMA page_size")) / 8;
    plan.persons = std::min({rowSpan(db, "osigurenici"), fileRows, qint64(1) << 22});
    plan.visitRows = rowSpan(db, "PREGLEDI1");
    plan.dateIndex = hasDateIndex(db);
    // Short periods read the visits through the DATA index; the rest scans
    // the table, which reads each page once (visits stored out of date order
    // would make the index read pages many times).
    plan.share = indexedPeriodShare(db, plan.dateIndex, selection.from, selection.to);
    plan.visitsByIndex = plan.share && *plan.share < 0.5;
    plan.visits = plan.visitsByIndex ? qint64(double(plan.visitRows) * *plan.share) : plan.visitRows;
    switch (reading) {
    case PersonReading::AllPersons:
        break;
    case PersonReading::PerVisit:
        plan.personsPerVisit = true;
        break;
    case PersonReading::Estimated: {
        // A visit's persons found through the index cost about as much as
        // kPersonsPerLookup persons read in one pass: the index is taken for
        // fewer visits than persons / kPersonsPerLookup, as counted through
        // the DATA index (only where the span of the dates leaves it open).
        const qint64 limit = plan.persons / kPersonsPerLookup;
        if (!plan.visitsByIndex || !hasPersonIndex(db) || plan.visits > 4 * limit)
            break;
        const qint64 counted = periodVisitsUpTo(db, selection, limit);
        if (counted < limit) {
            plan.personsPerVisit = true;
            plan.visits = counted;
        }
        break;
    }
    }
    return plan;
}

// A value of a row kept beyond the row (SQLite's own copy of it).
class ValueCopy {
public:
    ValueCopy() = default;
    ~ValueCopy() { sqlite3_value_free(m_value); }
    ValueCopy(const ValueCopy &) = delete;
    ValueCopy &operator=(const ValueCopy &) = delete;

    void take(sqlite3_value *value)
    {
        sqlite3_value_free(m_value);
        m_value = sqlite3_value_dup(value);
    }
    sqlite3_value *get() const { return m_value; }

    // The same storage class and the same bytes (or number).
    bool sameAs(sqlite3_value *other) const
    {
        const int type = sqlite3_value_type(m_value);
        if (type != sqlite3_value_type(other))
            return false;
        switch (type) {
        case SQLITE_NULL:
            return true;
        case SQLITE_INTEGER:
            return sqlite3_value_int64(m_value) == sqlite3_value_int64(other);
        case SQLITE_FLOAT:
            return sqlite3_value_double(m_value) == sqlite3_value_double(other);
        default:
            break;
        }
        const int size = sqlite3_value_bytes(m_value);
        return size == sqlite3_value_bytes(other)
            && std::memcmp(sqlite3_value_blob(m_value), sqlite3_value_blob(other), std::size_t(size)) == 0;
    }

    // As isNonIsoVisitDate tells for the value's text: not NULL, not empty,
    // and not the ISO text of a real day.
    bool isNonIsoDate() const
    {
        const int type = sqlite3_value_type(m_value);
        if (type == SQLITE_NULL)
            return false;
        if (type == SQLITE_INTEGER || type == SQLITE_FLOAT)
            return true;
        const int size = sqlite3_value_bytes(m_value);
        if (size == 0)
            return false;
        const auto *bytes = static_cast<const unsigned char *>(sqlite3_value_blob(m_value));
        if (type != SQLITE_TEXT || size != 10 || !isAscii(bytes, size))
            return true;
        std::u16string text;
        widen(bytes, size, text);
        int day = 0;
        return !parseIsoDay(QStringView(text.data(), qsizetype(text.size())), &day);
    }

private:
    sqlite3_value *m_value = nullptr;
};

// ---- The connection during a read -----------------------------------------

// Sets the connection up for one read and back afterwards: a check of the
// cancel flag inside long steps (a wait for another program's lock is the
// database's own, see Database::open). The file is not mapped into memory:
// for these sequential reads a map saved nothing measurable, and its pages
// would count as resident memory that grows with the file
// (docs/performance.md).
class ConnectionForRead {
public:
    ConnectionForRead(const Database &database, sqlite3 *db, const ReadControl &control)
        : m_database(database), m_db(db), m_control(control)
    {
        if (control.cancel)
            sqlite3_progress_handler(db, kStepsBetweenChecks, &ConnectionForRead::interrupt, this);
    }
    ~ConnectionForRead() { sqlite3_progress_handler(m_db, 0, nullptr, nullptr); }
    ConnectionForRead(const ConnectionForRead &) = delete;
    ConnectionForRead &operator=(const ConnectionForRead &) = delete;

    bool cancelled() const { return m_control.cancelled(); }

    // Starts the read of the open transaction: its first page read, which
    // waits while another program writes.
    Result<void> startReading() const
    {
        Statement first;
        if (!first.prepare(m_db, QStringLiteral("select 1 from sqlite_master limit 1")))
            return stepError();
        const int status = first.step();
        if (status != SQLITE_ROW && status != SQLITE_DONE)
            return stepError();
        return {};
    }

    // The error of a failed step: the user's cancel, or SQLite's message in
    // the words the database gives it (a lock, a damaged file).
    Error stepError() const
    {
        return cancelled() ? cancelledError() : fail(m_database.sqliteErrorText(sqlite3_errcode(m_db), sqliteMessage(m_db)));
    }

private:
    static int interrupt(void *self) { return static_cast<ConnectionForRead *>(self)->cancelled() ? 1 : 0; }

    const Database &m_database;
    sqlite3 *m_db;
    const ReadControl &m_control;
};

sqlite3 *handleOf(Database &database)
{
    const QSqlDatabase connection = database.connection();
    if (!connection.isOpen() || !connection.driver())
        return nullptr;
    const QVariant handle = connection.driver()->handle();
    if (!handle.isValid() || qstrcmp(handle.typeName(), "sqlite3*") != 0)
        return nullptr;
    return *static_cast<sqlite3 *const *>(handle.constData());
}

// ---- The source ------------------------------------------------------------

class ProgramJoinSource final : public VisitSource {
public:
    ProgramJoinSource(Database &database, PersonReading persons) : m_database(database), m_persons(persons) {}

    Result<void> read(const VisitSelection &selection, VisitFields fields, const VisitSink &sink,
                      const ReadControl &control, SourceFigures *figures) override
    {
        const WaitControl waits(m_database, control);
        const ReadTransaction transaction(m_database);
        if (!transaction.begun())
            return transaction.begun().error();
        sqlite3 *db = handleOf(m_database);
        if (!db)
            return makeStatementsSource(m_database)->read(selection, fields, sink, control, figures);
        // From the first page read on, a lock of another program is waited
        // for in a way the user sees and can cancel.
        const ConnectionForRead connection(m_database, db, control);
        if (Result<void> started = connection.startReading(); !started)
            return started;
        if (!readableHere(db, fields))
            return makeStatementsSource(m_database)->read(selection, fields, sink, control, figures);
        Run run(db, connection, selection, fields, control, figures);
        run.plan(m_persons);
        if (run.personsPerVisit()) {
            if (Result<void> counted = run.countVisitDates(); !counted)
                return counted;
            return run.readJoinedVisits(sink);
        }
        if (Result<void> loaded = run.loadPersons(); !loaded)
            return loaded;
        if (Result<void> counted = run.countVisitDates(); !counted)
            return counted;
        return run.readVisits(sink);
    }

private:
    // One read: the persons, then the visits.
    class Run {
    public:
        Run(sqlite3 *db, const ConnectionForRead &connection, const VisitSelection &selection, VisitFields fields,
            const ReadControl &control, SourceFigures *figures)
            : m_db(db), m_connection(connection), m_selection(selection), m_join(selection, fields, figures),
              m_ticker(control, ReadProgress::Stage::Persons, 0)
        {
            m_morbidity = selection.statement == VisitSelection::Statement::Morbidity;
            m_visitTexts.resize(m_join.visitFields().size() + 1);
            m_personTexts.resize(m_join.personFields().size());
        }

        // Decides how the visits and their persons are read: the visits
        // through the DATA index for a short period, else by a scan; the
        // persons all at once, or each visit's through the MB index when the
        // period has few visits against the persons (see planOf).
        void plan(PersonReading reading)
        {
            m_plan = planOf(m_db, m_selection, reading);
            m_firstVisit = singleInteger(m_db, QStringLiteral("select min(rowid) from PREGLEDI1"));
            m_ticker.setEstimate(m_plan.persons);
        }
        bool personsPerVisit() const { return m_plan.personsPerVisit; }

        Result<void> loadPersons()
        {
            m_persons.reserve(m_plan.persons);

            // MB, the settlement code where the area or the figures need it
            // (else a constant that reads as a code), then the values.
            QStringList columns{QStringLiteral("MB"),
                                m_join.needsSettlement() ? QStringLiteral("MESTO_S") : QStringLiteral("0")};
            for (const NamedField *entry : m_join.personFields())
                columns << QString::fromUtf16(entry->name);
            Statement statement;
            if (Result<void> prepared = statement.prepare(
                    m_db, QStringLiteral("select %1 from osigurenici").arg(columns.join(QStringLiteral(", "))));
                !prepared)
                return prepared;
            std::string entry;
            std::u16string scratch;
            int status;
            while ((status = statement.step()) == SQLITE_ROW) {
                if (!m_ticker.row())
                    return cancelledError();
                sqlite3_stmt *row = statement.get();
                const int keyType = sqlite3_column_type(row, 0);
                if (keyType == SQLITE_NULL)
                    continue; // matches no visit
                const auto *key = static_cast<const char *>(sqlite3_column_blob(row, 0));
                const auto keySize = std::size_t(sqlite3_column_bytes(row, 0));
                const bool blob = keyType == SQLITE_BLOB;
                PersonTable::startEntry(entry, key ? key : "", keySize, settlementFlags(row, 1) | (blob ? BlobKey : 0));
                const std::size_t keyOffset = entry.size() - 1 - keySize;
                for (int i = 0; i < int(m_join.personFields().size()); ++i)
                    putValue(entry, row, 2 + i, scratch);
                // The key as copied: reading the values may have moved SQLite's bytes.
                if (Result<void> added = m_persons.add(entry.data() + keyOffset, keySize, blob, entry); !added)
                    return added;
            }
            if (status != SQLITE_DONE)
                return m_connection.stepError();
            m_persons.finish();
            // The persons are read: the database answers.
            if (!m_ticker.report())
                return cancelledError();
            return {};
        }

        // Visit dates that are not ISO texts. With the DATA index, its
        // distinct values are visited one seek each (a few thousand days),
        // and only the rows of a value that is not an ISO date are counted;
        // without it, every value is grouped.
        Result<void> countVisitDates()
        {
            if (!m_join.figures())
                return {};
            if (!m_plan.dateIndex)
                return countVisitDatesGrouped();
            Statement first, next, rows;
            for (auto [statement, text] : {std::pair{&first, "select DATA from PREGLEDI1 where DATA is not null order by "
                                                             "DATA limit 1"},
                                           std::pair{&next, "select DATA from PREGLEDI1 where DATA > ?1 order by DATA "
                                                            "limit 1"},
                                           std::pair{&rows, "select count(*) from PREGLEDI1 where DATA = ?1"}})
                if (Result<void> prepared = statement->prepare(m_db, QLatin1String(text)); !prepared)
                    return prepared;
            qint64 nonIso = 0;
            ValueCopy value;
            int status = first.step();
            sqlite3_stmt *found = first.get();
            while (status == SQLITE_ROW) {
                value.take(sqlite3_column_value(found, 0));
                if (value.isNonIsoDate()) {
                    sqlite3_reset(rows.get());
                    sqlite3_bind_value(rows.get(), 1, value.get());
                    if (rows.step() != SQLITE_ROW)
                        return m_connection.stepError();
                    nonIso += sqlite3_column_int64(rows.get(), 0);
                }
                sqlite3_reset(next.get());
                sqlite3_bind_value(next.get(), 1, value.get());
                status = next.step();
                // The index gives each value once, in its order; should a
                // value come again, the values are grouped instead.
                if (status == SQLITE_ROW && value.sameAs(sqlite3_column_value(next.get(), 0)))
                    return countVisitDatesGrouped();
                found = next.get();
            }
            if (status != SQLITE_DONE)
                return m_connection.stepError();
            m_join.figures()->nonIsoVisitDates = nonIso;
            return {};
        }

        Result<void> countVisitDatesGrouped()
        {
            Statement statement;
            if (Result<void> prepared = statement.prepare(
                    m_db, QStringLiteral("select DATA, count(*) from PREGLEDI1 group by DATA"));
                !prepared)
                return prepared;
            qint64 nonIso = 0;
            std::u16string buffer;
            int status;
            while ((status = statement.step()) == SQLITE_ROW) {
                const int type = sqlite3_column_type(statement.get(), 0);
                const StoredKind kind = type == SQLITE_NULL ? StoredKind::Null
                    : type == SQLITE_TEXT                   ? StoredKind::Text
                                                            : StoredKind::Other;
                if (isNonIsoVisitDate(kind, columnText(statement.get(), 0, buffer)))
                    nonIso += sqlite3_column_int64(statement.get(), 1);
            }
            if (status != SQLITE_DONE)
                return m_connection.stepError();
            m_join.figures()->nonIsoVisitDates = nonIso;
            return {};
        }

        Result<void> readVisits(const VisitSink &sink)
        {
            // rowid, MB, then the visit's other fields.
            QStringList columns{QStringLiteral("rowid"), QStringLiteral("MB")};
            for (const NamedField *entry : m_join.visitFields())
                columns << QString::fromUtf16(entry->name);
            Statement statement;
            if (Result<void> prepared = prepareVisits(
                    statement, QStringLiteral("select %1 from PREGLEDI1%2")
                                   .arg(columns.join(QStringLiteral(", ")),
                                        byIndex() ? QString() : QStringLiteral(" not indexed")));
                !prepared)
                return prepared;

            // The visits go in batches (kJoinBatch): a batch's rows are
            // copied out of the statement (their texts as the SQL layer reads
            // them), their persons are fetched ahead, then they are joined.
            if (!m_ticker.startStage(ReadProgress::Stage::Visits, periodVisits()))
                return cancelledError();
            const std::vector<const NamedField *> &visitFields = m_join.visitFields();
            const std::size_t textCount = visitFields.size() + 1; // the fields, then MB
            std::vector<Visit> batch(kJoinBatch);
            for (Visit &visit : batch)
                visit.texts.resize(textCount);
            int status = SQLITE_ROW;
            while (status == SQLITE_ROW) {
                std::size_t size = 0;
                while (size < kJoinBatch && (status = statement.step()) == SQLITE_ROW) {
                    sqlite3_stmt *row = statement.get();
                    Visit &visit = batch[size++];
                    visit.rowid = sqlite3_column_int64(row, 0);
                    visit.keyType = sqlite3_column_type(row, 1);
                    const auto *key = static_cast<const char *>(sqlite3_column_blob(row, 1));
                    visit.key.assign(key ? key : "", std::size_t(sqlite3_column_bytes(row, 1)));
                    visit.hash = PersonTable::hashOf(visit.key.data(), visit.key.size(), visit.keyType == SQLITE_BLOB);
                    m_persons.prefetchSlot(visit.hash);
                    // The key is copied: its text may now be read as UTF-16.
                    for (std::size_t i = 0; i < visitFields.size(); ++i)
                        copyText(row, 2 + int(i), visit.texts[i]);
                    if (m_join.wantsCitizenNumber())
                        copyText(row, 1, visit.texts.back());
                }
                for (std::size_t i = 0; i < size && i < kJoinAhead; ++i)
                    m_persons.prefetchEntry(batch[i].hash);
                for (std::size_t i = 0; i < size; ++i) {
                    if (i + kJoinAhead < size)
                        m_persons.prefetchEntry(batch[i + kJoinAhead].hash);
                    const Visit &visit = batch[i];
                    estimateAsScanned(visit.rowid);
                    if (!m_ticker.row())
                        return cancelledError();
                    if (Result<void> joined = join(visit, sink); !joined)
                        return joined;
                }
            }
            if (status != SQLITE_DONE)
                return m_connection.stepError();
            if (!m_ticker.finish())
                return cancelledError();
            return {};
        }

        // The visits each joined with its persons by SQLite, through the MB
        // index: a LEFT JOIN on the statements' own join condition, so that a
        // visit without a person comes as one row without one (its person's
        // MB is NULL, which a matched person's never is). A visit's rows come
        // one after the other, as the visits are the join's outer loop.
        Result<void> readJoinedVisits(const VisitSink &sink)
        {
            QStringList columns{QStringLiteral("pregledi1.rowid"), QStringLiteral("osigurenici.MB is not null"),
                                m_join.needsSettlement() ? QStringLiteral("osigurenici.MESTO_S") : QStringLiteral("0"),
                                QStringLiteral("pregledi1.MB")};
            const std::vector<const NamedField *> &visitFields = m_join.visitFields();
            const std::vector<const NamedField *> &personFields = m_join.personFields();
            for (const NamedField *entry : visitFields)
                columns << QStringLiteral("pregledi1.") + QString::fromUtf16(entry->name);
            for (const NamedField *entry : personFields)
                columns << QStringLiteral("osigurenici.") + QString::fromUtf16(entry->name);
            Statement statement;
            if (Result<void> prepared = prepareVisits(
                    statement, QStringLiteral("select %1 from PREGLEDI1%2 left join osigurenici on osigurenici.mb = "
                                              "pregledi1.mb")
                                   .arg(columns.join(QStringLiteral(", ")),
                                        byIndex() ? QString() : QStringLiteral(" not indexed")));
                !prepared)
                return prepared;
            if (!m_ticker.startStage(ReadProgress::Stage::Visits, periodVisits()))
                return cancelledError();
            constexpr int kFirstVisitField = 4;
            const int firstPersonField = kFirstVisitField + int(visitFields.size());
            VisitRecord &record = m_join.record();
            qint64 visit = 0;
            bool started = false;
            qint64 rows = 0; // the visit's rows handed over
            int status;
            while ((status = statement.step()) == SQLITE_ROW) {
                sqlite3_stmt *row = statement.get();
                const qint64 rowid = sqlite3_column_int64(row, 0);
                if (!started || rowid != visit) {
                    m_join.visitGave(rows);
                    started = true;
                    visit = rowid;
                    rows = 0;
                    estimateAsScanned(rowid);
                    if (!m_ticker.row())
                        return cancelledError();
                }
                if (sqlite3_column_int(row, 1) == 0) {
                    m_join.unmatchedVisit();
                    continue;
                }
                if (!m_join.takes(settlementFlags(row, 2)))
                    continue;
                if (m_join.wantsCitizenNumber())
                    record.citizenNumber = columnText(row, 3, m_visitTexts.back());
                for (std::size_t i = 0; i < visitFields.size(); ++i)
                    record.*visitFields[i]->member = columnText(row, kFirstVisitField + int(i), m_visitTexts[i]);
                for (std::size_t i = 0; i < personFields.size(); ++i)
                    record.*personFields[i]->member = columnText(row, firstPersonField + int(i), m_personTexts[i]);
                if (Result<void> taken = sink(record); !taken)
                    return namedVisit(taken.error(), rowid);
                ++rows;
            }
            if (status != SQLITE_DONE)
                return m_connection.stepError();
            m_join.visitGave(rows);
            if (!m_ticker.finish())
                return cancelledError();
            return {};
        }

    private:

        // Prepares the visits' read: the select clause given, then the
        // conditions on the visit table as the statement writes them, with
        // the selection's parameters bound.
        Result<void> prepareVisits(Statement &statement, const QString &select) const
        {
            QStringList lines{select, byIndex() ? periodCondition() : scannedPeriodCondition()};
            if (m_morbidity) {
                lines << kindCondition();
                if (m_selection.doctorCode)
                    lines << morbidityFilterLine(true, AreaFilter::Both);
            }
            if (Result<void> prepared = statement.prepare(m_db, lines.join(QLatin1Char('\n'))); !prepared)
                return prepared;
            bindSelection(statement, m_selection);
            return {};
        }

        // A visit row copied out of the statement.
        struct Visit {
            qint64 rowid = 0;
            int keyType = SQLITE_NULL;
            std::string key;
            quint64 hash = 0;
            std::vector<std::u16string> texts; // the visit fields, then MB
        };

        static void copyText(sqlite3_stmt *row, int column, std::u16string &buffer)
        {
            const QStringView text = columnText(row, column, buffer);
            if (text.utf16() != buffer.data())
                buffer.assign(text.utf16(), std::size_t(text.size()));
            buffer.resize(std::size_t(text.size()));
        }

        // Hands the visit's rows to the sink: one per person of its MB in the
        // selection's area.
        Result<void> join(const Visit &visit, const VisitSink &sink)
        {
            if (visit.keyType == SQLITE_NULL) {
                m_join.unmatchedVisit();
                return {};
            }
            VisitRecord &record = m_join.record();
            const auto view = [](const std::u16string &text) {
                return QStringView(text.data(), qsizetype(text.size()));
            };
            const std::vector<const NamedField *> &visitFields = m_join.visitFields();
            for (std::size_t i = 0; i < visitFields.size(); ++i)
                record.*visitFields[i]->member = view(visit.texts[i]);
            if (m_join.wantsCitizenNumber())
                record.citizenNumber = view(visit.texts.back());
            if (Result<void> joined = m_join.joinHeld(m_persons, visit.key.data(), visit.key.size(),
                                                      visit.keyType == SQLITE_BLOB, visit.hash, sink);
                !joined)
                return namedVisit(joined.error(), visit.rowid);
            return {};
        }

        bool byIndex() const { return m_plan.visitsByIndex; }

        // The period's visits, for the progress: counted for a read of each
        // visit's persons, else as the dates' index tells; 0 when it does not
        // (see estimateAsScanned).
        qint64 periodVisits() const
        {
            if (m_plan.personsPerVisit && m_plan.visitsByIndex)
                return m_plan.visits;
            return m_plan.share ? qint64(double(m_plan.visitRows) * *m_plan.share) : 0;
        }
        // Without the dates' index the period's visits are estimated as the
        // table is scanned: those found so far over the share of the table
        // scanned, once a fiftieth of it is.
        void estimateAsScanned(qint64 rowid)
        {
            if (m_plan.share || m_plan.visitRows <= 0)
                return;
            const double scanned = double(rowid - m_firstVisit + 1) / double(m_plan.visitRows);
            if (scanned >= 0.02)
                m_ticker.setEstimate(qint64(double(m_ticker.rows() + 1) / std::min(1.0, scanned)));
        }

        // The sink's error with the line that names the visit, read again by
        // its rowid.
        Error namedVisit(Error error, qint64 rowid) const
        {
            Statement statement;
            std::u16string texts[4];
            QStringView values[4];
            if (statement.prepare(m_db, QStringLiteral("select RED_BR, DATA, PRE, IME from PREGLEDI1 where rowid = ?"))) {
                sqlite3_bind_int64(statement.get(), 1, rowid);
                if (statement.step() == SQLITE_ROW)
                    for (int i = 0; i < 4; ++i)
                        values[i] = columnText(statement.get(), i, texts[i]);
            }
            return atVisit(std::move(error), values[0], values[1], values[2], values[3]);
        }

        sqlite3 *m_db;
        const ConnectionForRead &m_connection;
        const VisitSelection &m_selection;
        PersonJoin m_join;
        ReadTicker m_ticker;
        bool m_morbidity = false;
        PersonTable m_persons;
        std::vector<std::u16string> m_visitTexts;  // of a joined row: the visit's fields, then MB
        std::vector<std::u16string> m_personTexts; // of a joined row
        qint64 m_firstVisit = 0;
        ReadPlan m_plan;
    };

    Database &m_database;
    PersonReading m_persons;
};

} // namespace

std::unique_ptr<VisitSource> makeProgramJoinSource(Database &database, PersonReading persons)
{
    return std::make_unique<ProgramJoinSource>(database, persons);
}

std::optional<ReadPlan> sqliteReadPlan(Database &database, const VisitSelection &selection, PersonReading reading)
{
    sqlite3 *db = handleOf(database);
    if (!db)
        return std::nullopt;
    return planOf(db, selection, reading);
}

} // namespace tarel::data
