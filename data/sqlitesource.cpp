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
#include "persontable.h"
#include "sourcereading.h"

#include <QSqlDriver>
#include <QVariant>

#include <sqlite3.h>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace tarel::data {

namespace {

// SQLite calls back every this many virtual-machine steps, so that a
// cancelled run stops inside a long step (a scan that returns few rows).
constexpr int kStepsBetweenChecks = 100000;

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

bool isAscii(const unsigned char *bytes, int size)
{
    unsigned char any = 0;
    for (int i = 0; i < size; ++i)
        any |= bytes[i];
    return any < 0x80;
}

void widen(const unsigned char *bytes, int size, std::u16string &buffer)
{
    buffer.resize(std::size_t(size));
    for (int i = 0; i < size; ++i)
        buffer[std::size_t(i)] = char16_t(bytes[i]);
}

void assign(std::u16string &buffer, const QString &text)
{
    buffer.assign(reinterpret_cast<const char16_t *>(text.utf16()), std::size_t(text.size()));
}

void formatInteger(sqlite3_int64 value, std::u16string &buffer)
{
    char digits[24];
    const auto end = std::to_chars(digits, digits + sizeof digits, value).ptr;
    widen(reinterpret_cast<const unsigned char *>(digits), int(end - digits), buffer);
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

// How a value of a person is kept.
enum ValueTag : quint8 {
    EmptyValue = 0, // NULL or the empty text
    IsoShaped = 1,  // ten ASCII characters "DDDD-DD-DD": the eight digits in 4 bytes
    AsciiText = 2,  // length, then the bytes
    Utf16Text = 3,  // length, then the UTF-16 units
    Integer = 4,    // a zigzag varint
};

bool isDigit(unsigned char c) { return c >= '0' && c <= '9'; }

// Appends the value of a column of the current row, as its text reads.
void putValue(std::string &out, sqlite3_stmt *stmt, int column, std::u16string &scratch)
{
    const int type = sqlite3_column_type(stmt, column);
    if (type == SQLITE_INTEGER) {
        const qint64 value = sqlite3_column_int64(stmt, column);
        out += char(Integer);
        putVarint(out, (quint64(value) << 1) ^ quint64(value >> 63));
        return;
    }
    if (type == SQLITE_TEXT) {
        const auto *bytes = sqlite3_column_text(stmt, column);
        const int size = sqlite3_column_bytes(stmt, column);
        if (size == 10 && bytes[4] == '-' && bytes[7] == '-' && isDigit(bytes[0]) && isDigit(bytes[1])
            && isDigit(bytes[2]) && isDigit(bytes[3]) && isDigit(bytes[5]) && isDigit(bytes[6]) && isDigit(bytes[8])
            && isDigit(bytes[9])) {
            const auto digit = [&](int i) { return quint32(bytes[i] - '0'); };
            const quint32 packed = ((digit(0) * 10 + digit(1)) * 10 + digit(2)) * 10 + digit(3);
            const quint32 rest = ((digit(5) * 10 + digit(6)) * 10 + digit(8)) * 10 + digit(9);
            const quint32 value = packed * 10000 + rest;
            out += char(IsoShaped);
            out.append(reinterpret_cast<const char *>(&value), sizeof value);
            return;
        }
        if (isAscii(bytes, size)) {
            if (size == 0) {
                out += char(EmptyValue);
                return;
            }
            out += char(AsciiText);
            putVarint(out, quint64(size));
            out.append(reinterpret_cast<const char *>(bytes), std::size_t(size));
            return;
        }
    }
    const QStringView text = columnText(stmt, column, scratch);
    if (text.isEmpty()) {
        out += char(EmptyValue);
        return;
    }
    out += char(Utf16Text);
    putVarint(out, quint64(text.size()));
    out.append(reinterpret_cast<const char *>(text.utf16()), std::size_t(text.size()) * 2);
}

// Reads back a value kept by putValue into its text; p moves past it.
QStringView getValue(const char *&p, std::u16string &buffer)
{
    const auto tag = ValueTag(quint8(*p++));
    switch (tag) {
    case EmptyValue:
        return {};
    case IsoShaped: {
        quint32 value;
        std::memcpy(&value, p, sizeof value);
        p += sizeof value;
        buffer.resize(10);
        for (int i : {9, 8, 6, 5, 3, 2, 1, 0}) {
            buffer[std::size_t(i)] = char16_t(u'0' + value % 10);
            value /= 10;
        }
        buffer[4] = buffer[7] = u'-';
        break;
    }
    case AsciiText: {
        const auto size = int(getVarint(p));
        widen(reinterpret_cast<const unsigned char *>(p), size, buffer);
        p += size;
        break;
    }
    case Utf16Text: {
        const auto size = std::size_t(getVarint(p));
        buffer.resize(size);
        std::memcpy(buffer.data(), p, size * 2);
        p += size * 2;
        break;
    }
    case Integer: {
        const quint64 zigzag = getVarint(p);
        formatInteger(qint64(zigzag >> 1) ^ -qint64(zigzag & 1), buffer);
        break;
    }
    }
    return QStringView(buffer.data(), qsizetype(buffer.size()));
}

// The flags of a person's settlement code, MESTO_S of numeric affinity
// compared with the integer codes as SQLite compares them.
quint8 settlementFlags(sqlite3_stmt *stmt, int column)
{
    switch (sqlite3_column_type(stmt, column)) {
    case SQLITE_NULL:
        return 0;
    case SQLITE_INTEGER: {
        const qint64 code = sqlite3_column_int64(stmt, column);
        const bool urban = code >= 0 && code <= 999999 && isUrbanSettlement(int(code));
        return HasSettlement | (urban ? UrbanCode : 0);
    }
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

QString singleText(sqlite3 *db, const QString &text)
{
    Statement statement;
    if (!statement.prepare(db, text) || statement.step() != SQLITE_ROW)
        return {};
    std::u16string buffer;
    return columnText(statement.get(), 0, buffer).toString();
}

// Whether PREGLEDI1 has an index that starts with DATA (on every row).
bool hasDateIndex(sqlite3 *db)
{
    return singleInteger(
               db, QStringLiteral("select count(*) from pragma_index_list('PREGLEDI1') as l, pragma_index_info(l.name) "
                                  "as i where i.seqno = 0 and i.name = 'DATA' collate nocase and l.partial = 0"))
        > 0;
}

// The share of the visits the period covers, from the first and last ISO
// visit date the DATA index gives (both read in a few page reads); nothing
// when there is no such index or the dates are not ISO texts.
std::optional<double> indexedPeriodShare(sqlite3 *db, bool dateIndex, QDate from, QDate to)
{
    if (!dateIndex)
        return std::nullopt;
    // Texts sort after every number and before every blob.
    const QString range = QStringLiteral("select DATA from PREGLEDI1 where DATA > '' and DATA < x'' order by DATA %1 "
                                         "limit 1");
    int first = 0, last = 0;
    if (!parseIsoDay(singleText(db, range.arg(QLatin1String("asc"))), &first)
        || !parseIsoDay(singleText(db, range.arg(QLatin1String("desc"))), &last) || last < first)
        return std::nullopt;
    return periodShare(first, last, from, to);
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
    explicit ProgramJoinSource(Database &database) : m_database(database) {}

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
            : m_db(db), m_connection(connection), m_selection(selection), m_fields(fields),
              m_figures(figures), m_ticker(control, ReadProgress::Stage::Persons, 0)
        {
            if (m_figures)
                *m_figures = {};
            m_morbidity = selection.statement == VisitSelection::Statement::Morbidity;
            // Settlement codes decide the area, or are counted when missing.
            m_areaMatters = !m_morbidity || selection.area != AreaFilter::Both;
            for (const NamedField &entry : kNamedFields) {
                if (!(fields & entry.field))
                    continue;
                if (entry.person)
                    m_personFields.push_back(&entry);
                else if (entry.field != FieldCitizenNumber)
                    m_visitFields.push_back(&entry);
            }
        }

        Result<void> loadPersons()
        {
            m_personTexts.resize(m_personFields.size());
            // The rows, as the span of the row numbers tells (a few page
            // reads; counting would read the table). For the persons' table
            // the span is bounded by what the file can hold (a row takes at
            // least 8 bytes) and by 4 million: a larger table grows as read.
            const auto span = [&](const char *table) {
                const qint64 first = singleInteger(m_db, QStringLiteral("select min(rowid) from %1").arg(QLatin1String(table)));
                const qint64 last = singleInteger(m_db, QStringLiteral("select max(rowid) from %1").arg(QLatin1String(table)));
                return last >= first ? last - first + 1 : 0;
            };
            const qint64 fileRows = singleInteger(m_db, QStringLiteral("PRAGMA page_count"))
                * singleInteger(m_db, QStringLiteral("PRAGMA page_size")) / 8;
            const qint64 persons = std::min({span("osigurenici"), fileRows, qint64(1) << 22});
            m_firstVisit = singleInteger(m_db, QStringLiteral("select min(rowid) from PREGLEDI1"));
            m_visitSpan = span("PREGLEDI1");
            m_dateIndex = hasDateIndex(m_db);
            m_share = indexedPeriodShare(m_db, m_dateIndex, m_selection.from, m_selection.to);
            m_ticker.setEstimate(persons);
            m_persons.reserve(persons);

            // MB, the settlement code where the area or the figures need it
            // (else a constant that reads as a code), then the values.
            QStringList columns{QStringLiteral("MB"), m_areaMatters || m_figures ? QStringLiteral("MESTO_S")
                                                                                 : QStringLiteral("0")};
            for (const NamedField *entry : m_personFields)
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
                for (int i = 0; i < int(m_personFields.size()); ++i)
                    putValue(entry, row, 2 + i, scratch);
                // The key as copied: reading the values may have moved SQLite's bytes.
                if (Result<void> added = m_persons.add(entry.data() + keyOffset, keySize, blob, entry); !added)
                    return added;
            }
            if (status != SQLITE_DONE)
                return m_connection.stepError();
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
            if (!m_figures)
                return {};
            if (!m_dateIndex)
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
            m_figures->nonIsoVisitDates = nonIso;
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
            m_figures->nonIsoVisitDates = nonIso;
            return {};
        }

        Result<void> readVisits(const VisitSink &sink)
        {
            // rowid, MB, then the visit's other fields; the conditions as the
            // statement writes them.
            QStringList columns{QStringLiteral("rowid"), QStringLiteral("MB")};
            for (const NamedField *entry : m_visitFields)
                columns << QString::fromUtf16(entry->name);
            QStringList lines{QStringLiteral("select %1 from PREGLEDI1%2")
                                  .arg(columns.join(QStringLiteral(", ")),
                                       byIndex() ? QString() : QStringLiteral(" not indexed")),
                              periodCondition()};
            if (m_morbidity) {
                lines << kindCondition();
                if (m_selection.doctorCode)
                    lines << morbidityFilterLine(true, AreaFilter::Both);
            }
            Statement statement;
            if (Result<void> prepared = statement.prepare(m_db, lines.join(QLatin1Char('\n'))); !prepared)
                return prepared;
            statement.bindText(":datumod", dateParameter(m_selection.from));
            statement.bindText(":datumdo", dateParameter(m_selection.to));
            if (m_morbidity && m_selection.doctorCode)
                statement.bindText(":lekar_s", *m_selection.doctorCode);

            // The visits go in batches: a batch's rows are copied out of the
            // statement (their texts as the SQL layer reads them), the slots
            // and then the entries of their persons are brought into the
            // cache for all of them, then they are joined. A visit's persons
            // lie anywhere in the table, and waiting for each in turn took
            // most of the time of a read.
            //
            // The period's visits are estimated from the dates' index; without
            // it, as the table is scanned: those found so far, over the share
            // of the table scanned, once a fiftieth of it is.
            if (!m_ticker.startStage(ReadProgress::Stage::Visits, m_share ? qint64(double(m_visitSpan) * *m_share) : 0))
                return cancelledError();
            const std::size_t textCount = m_visitFields.size() + 1; // the fields, then MB
            std::vector<Visit> batch(kBatch);
            for (Visit &visit : batch)
                visit.texts.resize(textCount);
            int status = SQLITE_ROW;
            while (status == SQLITE_ROW) {
                std::size_t size = 0;
                while (size < kBatch && (status = statement.step()) == SQLITE_ROW) {
                    sqlite3_stmt *row = statement.get();
                    Visit &visit = batch[size++];
                    visit.rowid = sqlite3_column_int64(row, 0);
                    visit.keyType = sqlite3_column_type(row, 1);
                    const auto *key = static_cast<const char *>(sqlite3_column_blob(row, 1));
                    visit.key.assign(key ? key : "", std::size_t(sqlite3_column_bytes(row, 1)));
                    visit.hash = PersonTable::hashOf(visit.key.data(), visit.key.size(), visit.keyType == SQLITE_BLOB);
                    m_persons.prefetchSlot(visit.hash);
                    // The key is copied: its text may now be read as UTF-16.
                    for (std::size_t i = 0; i < m_visitFields.size(); ++i)
                        copyText(row, 2 + int(i), visit.texts[i]);
                    if (m_fields & FieldCitizenNumber)
                        copyText(row, 1, visit.texts.back());
                }
                for (std::size_t i = 0; i < size && i < kAhead; ++i)
                    m_persons.prefetchEntry(batch[i].hash);
                for (std::size_t i = 0; i < size; ++i) {
                    if (i + kAhead < size)
                        m_persons.prefetchEntry(batch[i + kAhead].hash);
                    const Visit &visit = batch[i];
                    if (!m_share) {
                        const double scanned = double(visit.rowid - m_firstVisit + 1) / double(m_visitSpan);
                        if (scanned >= 0.02)
                            m_ticker.setEstimate(qint64(double(m_ticker.rows() + 1) / std::min(1.0, scanned)));
                    }
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

    private:
        static constexpr std::size_t kBatch = 64;
        static constexpr std::size_t kAhead = 8; // entries fetched ahead of the join

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
            m_matches.clear();
            if (visit.keyType != SQLITE_NULL)
                m_persons.forEach(visit.key.data(), visit.key.size(), visit.keyType == SQLITE_BLOB, visit.hash,
                                  [&](quint8 flags, const char *values) { m_matches.push_back({flags, values}); });
            if (m_matches.empty()) {
                if (m_figures)
                    ++m_figures->unmatchedVisits;
                return {};
            }
            const auto view = [](const std::u16string &text) {
                return QStringView(text.data(), qsizetype(text.size()));
            };
            qint64 rows = 0;
            for (const Match &match : m_matches) {
                const bool hasCode = match.flags & HasSettlement;
                const bool urban = match.flags & UrbanCode;
                if (m_figures && m_areaMatters && !hasCode)
                    ++m_figures->noSettlementCode;
                if (!selected(hasCode, urban))
                    continue;
                if (rows == 0) {
                    for (std::size_t i = 0; i < m_visitFields.size(); ++i)
                        m_record.*m_visitFields[i]->member = view(visit.texts[i]);
                    if (m_fields & FieldCitizenNumber)
                        m_record.citizenNumber = view(visit.texts.back());
                }
                const char *values = match.values;
                for (std::size_t i = 0; i < m_personFields.size(); ++i)
                    m_record.*m_personFields[i]->member = getValue(values, m_personTexts[i]);
                m_record.urban = !m_morbidity && urban;
                if (Result<void> taken = sink(m_record); !taken)
                    return namedVisit(taken.error(), visit.rowid);
                ++rows;
            }
            if (m_figures && rows > 1)
                m_figures->repeatedPersons += rows - 1;
            return {};
        }

        // Whether a joined row of a person with that settlement code is in the
        // selection's area.
        bool selected(bool hasCode, bool urban) const
        {
            if (!m_morbidity)
                return urban || hasCode;
            switch (m_selection.area) {
            case AreaFilter::Urban:
                return urban;
            case AreaFilter::Rural:
                return hasCode && !urban;
            case AreaFilter::Both:
                break;
            }
            return true;
        }

        // Short periods read the visits through the DATA index; the rest
        // scans the table, which reads each page once.
        bool byIndex() const { return m_share && *m_share < 0.5; }

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
        VisitFields m_fields;
        SourceFigures *m_figures;
        ReadTicker m_ticker;
        bool m_morbidity = false;
        bool m_areaMatters = false;
        std::vector<const NamedField *> m_visitFields;
        std::vector<const NamedField *> m_personFields;
        PersonTable m_persons;
        struct Match {
            quint8 flags;
            const char *values;
        };
        std::vector<Match> m_matches;
        VisitRecord m_record;
        std::vector<std::u16string> m_personTexts;
        qint64 m_firstVisit = 0;
        qint64 m_visitSpan = 0;
        bool m_dateIndex = false;
        std::optional<double> m_share; // of the visits the period holds, where the dates' index tells
    };

    Database &m_database;
};

} // namespace

std::unique_ptr<VisitSource> makeProgramJoinSource(Database &database)
{
    return std::make_unique<ProgramJoinSource>(database);
}

} // namespace tarel::data
