#pragma once

// The connection to the source database and the queries over it. The source
// belongs to the patient-administration program: it is opened read-only and
// nothing here ever writes to it.

#include "aliases.h"
#include "dialect.h"
#include "readcontrol.h"
#include "result.h"
#include "statements.h"

#include <QDate>
#include <QSqlQuery>
#include <QString>
#include <QStringList>
#include <QVariant>

#include <memory>
#include <optional>
#include <vector>

class QSqlError;

namespace tarel::data {

// Day number of a calendar date: day 0 is 30 December 1899.
inline constexpr qint64 DayZeroJulian = 2415019;
inline int dayNumberOf(QDate date) { return int(date.toJulianDay() - DayZeroJulian); }
inline QDate dateOfDayNumber(int day) { return QDate::fromJulianDay(day + DayZeroJulian); }

// Parses an ISO date "YYYY-MM-DD" into its day number; false if the text is
// not a valid date.
bool parseIsoDay(QStringView text, int *day);

struct Doctor {
    QString code; // lekar_s, the key of the doctor boxes
    QString name; // surname, a blank and the first name
};

// The particulars of the institution: the first row of PZO (empty texts when
// the table is empty).
struct Institution {
    QString naziv;
    QString adresa;
    QString mesto;
    QString danBroj;
    QString ziro;
    QString deponent;
};

class Database {
public:
    // Opens the database an alias names, read-only. A missing file, a file
    // that is not a database, or a server that cannot be reached is an error.
    // A SQLite file (with its journal files) becomes a protected source that
    // no output of this process may replace. The control follows every wait
    // of the database for another program's lock, from opening on, unless a
    // WaitControl gives another for a while; it is kept, so what it refers
    // to must outlive the database.
    static Result<std::unique_ptr<Database>> open(const AliasSettings &settings, const ReadControl &control = {});
    static Result<std::unique_ptr<Database>> openAlias(const QString &alias, const ReadControl &control = {});
    ~Database();

    Database(const Database &) = delete;
    Database &operator=(const Database &) = delete;

    Engine engine() const { return m_engine; }
    // The settings the database was opened with: its alias, driver and place.
    const AliasSettings &settings() const { return m_settings; }
    QString connectionName() const { return m_connectionName; }
    QSqlDatabase connection() const;
    bool isOpen() const;
    void close();

    // A run reads inside one read transaction, so that its passes see one
    // snapshot while the patient-administration program keeps writing. Use
    // ReadTransaction rather than these. On PostgreSQL the transaction first
    // takes its share locks on the tables the program reads, waiting for
    // another session's lock in short steps that the control is told of and
    // that its cancel ends; from then on no statement of the read waits.
    Result<void> beginRead();
    void endRead();
    bool inRead() const { return m_inTransaction; }
    // A part of the read (one report of a batch) inside the open read
    // transaction: a savepoint, rolled back to when the part ends, so that a
    // part that fails leaves the transaction and its snapshot usable by the
    // next one on every engine (a failed statement ends a PostgreSQL
    // transaction otherwise).
    Result<void> beginPart();
    void endPart();

    // The active doctors (qLekar), in the order the database returns them.
    Result<std::vector<Doctor>> doctors();
    // Every doctor whose visits the morbidity statement selects in the
    // period and area (LEKAR_S of the visits, active or not; a visit without
    // a doctor's code names none), named as the doctor table names them (the
    // code where it does not): in the doctor table's order, then the codes it
    // lacks in order.
    Result<std::vector<Doctor>> doctorsWithVisits(QDate from, QDate to, AreaFilter area);
    // The first row of PZO (qPZU).
    Result<Institution> institution();
    // Every doctor of Lekari, active or not, named as the doctor list names
    // them: the names of the doctors a comparison over periods shows.
    Result<std::vector<Doctor>> everyDoctor();
    // The earliest visit date (DATA) that is the ISO text "YYYY-MM-DD" of a
    // real day; an invalid date when no visit has one.
    Result<QDate> earliestVisitDate();

    // A text to bind as a statement's parameter. Through ODBC to MariaDB a
    // text goes as its UTF-8 bytes: Qt's ODBC driver hands MariaDB's driver
    // a text with its terminating NUL, which then equals no stored text.
    QVariant textParameter(const QString &text) const;

    // The message of a failed statement: where the cause is known (another
    // program's lock, a damaged file, a journal left by a crashed writer) a
    // sentence that names the database and says what the user can do, else
    // the database's own text on one line.
    QString errorText(const QSqlError &error) const;
    // The error of a failed statement: the user's cancel when the control
    // has been cancelled (a wait for a lock that it ended), else errorText.
    Error failure(const QSqlError &error) const;

    // Whether a table the program reads is there with the columns a read
    // names: else an error that names the database, the table or column
    // missing and what the program reads it for (purpose: "the report
    // general-medicine", "the list of doctors"). Asked through the driver, so
    // it holds on every engine.
    Result<void> requireTable(const SourceTable &table, const QStringList &columns, const QString &purpose);
    // The same for an error of SQLite's C interface on this database: its
    // result code and message.
    QString sqliteErrorText(int code, const QString &message) const;

private:
    friend class WaitControl;
    Database() = default;
    QString knownCause(const QSqlError &error) const;
    QString knownSqliteCause(int code, const QString &text) const;
    QString odbcCause(const QSqlError &error) const;
    QString serverAddress() const;
    QString lockedText() const;
    void followSqliteWaits();
    static int sqliteBusy(void *self, int attempt);
    Result<void> lockTablesForRead();
    QString m_connectionName;
    AliasSettings m_settings;
    Engine m_engine = Engine::Other;
    bool m_odbc = false;
    QString m_description; // how messages name the database
    bool m_inTransaction = false;
    int m_parts = 0;              // open parts of the read
    bool m_partsSaved = true;     // the engine keeps savepoints
    ReadControl m_openedWith;     // the control given to open()
    const ReadControl *m_control = &m_openedWith;
    qint64 m_waitStarted = 0;     // ms of the monotonic clock when the current wait began
};

// While it lives, the database's waits for another program's lock are
// followed by this control instead of the one it was opened with.
class [[nodiscard]] WaitControl {
public:
    WaitControl(Database &database, const ReadControl &control)
        : m_database(database), m_previous(database.m_control)
    {
        database.m_control = &control;
    }
    ~WaitControl() { m_database.m_control = m_previous; }
    WaitControl(const WaitControl &) = delete;
    WaitControl &operator=(const WaitControl &) = delete;

private:
    Database &m_database;
    const ReadControl *m_previous;
};

// A read transaction for the length of a scope: begun when made, ended on
// every path out of the scope. Inside a read that is already open (a batch
// reading several reports from one snapshot) it is a part of that read
// (Database::beginPart).
class [[nodiscard]] ReadTransaction {
public:
    explicit ReadTransaction(Database &database)
        : m_database(database), m_own(!database.inRead()),
          m_begun(m_own ? database.beginRead() : database.beginPart())
    {
    }
    ~ReadTransaction()
    {
        if (!m_begun)
            return;
        if (m_own)
            m_database.endRead();
        else
            m_database.endPart();
    }
    ReadTransaction(const ReadTransaction &) = delete;
    ReadTransaction &operator=(const ReadTransaction &) = delete;

    // Whether the transaction could be begun, and why not.
    const Result<void> &begun() const { return m_begun; }

private:
    Database &m_database;
    bool m_own;
    Result<void> m_begun;
};

// One statement of the program over the connection: set its lines, bind the
// two dates (day precision) and walk its rows forward.
class Query {
public:
    Query(Database &database, QString name, QStringList lines = {});
    ~Query();

    const QString &name() const { return m_name; }
    const QStringList &lines() const { return m_lines; }
    void setLines(QStringList lines);
    void setLine(int index, const QString &text);

    // Closes, binds "datumod" and "datumdo" as dates and the named text
    // parameters given, and opens the statement; positioned before the first row.
    Result<void> open(QDate from, QDate to, const std::vector<std::pair<QString, QString>> &texts = {});
    void close();
    bool isOpen() const { return m_open; }

    // Moves to the next row; false at the end or on an error (then error() is set).
    bool next();
    const std::optional<Error> &error() const { return m_error; }

    // Index of a field of the result by name, without regard to case; where a
    // name occurs twice in a joined result, the second occurrence is named
    // with the suffix "_1" (mb_1, PRE_1, ...). -1 when there is no such field.
    int field(QStringView name) const;
    QStringList fieldNames() const { return m_fieldNames; }

    // The current row's field as text (NULL reads as the empty text).
    QString text(int field) const { return textOf(m_query.value(field)); }
    // The current row's date field as text: a date value as ISO "YYYY-MM-DD",
    // any other value as text() reads it.
    QString dateText(int field) const { return dateTextOf(m_query.value(field)); }
    // The same for a value the SQL layer has read.
    static QString textOf(const QVariant &value);
    static QString dateTextOf(const QVariant &value);
    QVariant value(int field) const { return m_query.value(field); }
    // The current row's field as a day number: NULL or empty is day 0; false
    // when the text is not a valid date.
    bool day(int field, int *day) const;

private:
    Database &m_database;
    QString m_name;
    QStringList m_lines;
    QSqlQuery m_query;
    QStringList m_fieldNames;
    std::optional<Error> m_error;
    bool m_open = false;
};

// "'<text>' is not a valid date": the error of an unreadable date field.
Error invalidDateError(const QString &text);

} // namespace tarel::data
