#pragma once

// The visit records a report run reads: the rows of its statements, each the
// join of a visit (PREGLEDI1) with its insured person (osigurenici), with the
// fields the run names. Runs read only through a VisitSource, so how the rows
// are read can change without touching the runs.

#include "readcontrol.h"
#include "result.h"
#include "statements.h"

#include <QDate>
#include <QString>
#include <QStringView>

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>

namespace tarel::data {

class Database;

// The fields a run can ask of a visit record.
enum VisitField : std::uint32_t {
    FieldCategory = 1u << 0,       // S_DIJA
    FieldSubCategory = 1u << 1,    // S_DIJA2
    FieldCitizenNumber = 1u << 2,  // MB of the visit
    FieldBirthDate = 1u << 3,      // DAT_R
    FieldKind = 1u << 4,           // VidNaUsluga
    FieldInsuranceBasis = 1u << 5, // OSNOV
    FieldMember = 1u << 6,         // CLEN
    FieldRowNumber = 1u << 7,      // RED_BR
    FieldVisitDate = 1u << 8,      // DATA
    FieldSurname = 1u << 9,        // PRE of the visit
    FieldName = 1u << 10,          // IME of the visit
    FieldDoctor = 1u << 11,        // LEKAR_S of the visit
    FieldSettlement = 1u << 12,    // MESTO_S of the insured person
};
using VisitFields = std::uint32_t;

// What a list of the visits behind a number shows of each visit.
inline constexpr VisitFields IdentityFields = FieldRowNumber | FieldVisitDate | FieldCitizenNumber | FieldSurname
    | FieldName | FieldBirthDate | FieldCategory | FieldSubCategory | FieldDoctor | FieldSettlement | FieldKind;

// One joined row. Texts are as stored, NULL reading as the empty text; dates
// are ISO texts "YYYY-MM-DD" where the engine stores a date type. Fields the
// run did not ask for are empty. The views are valid only during the call
// that hands the record over.
struct VisitRecord {
    QStringView category;
    QStringView subCategory;
    QStringView citizenNumber;
    QStringView birthDate;
    QStringView kind;
    QStringView insuranceBasis;
    QStringView member;
    QStringView rowNumber;
    QStringView visitDate;
    QStringView surname;
    QStringView name;
    QStringView doctor;
    QStringView settlement;
    bool urban = false; // visit statements: the row came from the urban statement
};

// The rows a report selects: the morbidity statement with the request's
// doctor and area, or the rows of both visit statements (each flagged urban
// or not). Rows come in no particular order.
struct VisitSelection {
    enum class Statement { Morbidity, Visits };
    Statement statement = Statement::Morbidity;
    QString queryName;                  // morbidity: the report's query, named in messages
    QDate from;                         // both days included
    QDate to;
    std::optional<QString> doctorCode;  // morbidity: only this doctor's visits
    AreaFilter area = AreaFilter::Both; // morbidity
};

// What a source can tell about the data while it reads, beyond the rows it
// hands over. All are counts; each is taken over the selection the read was
// given.
struct SourceFigures {
    // Selected rows beyond the first of a visit that joins more than one
    // insured person (a person listed k times gives a visit k rows).
    qint64 repeatedPersons = 0;
    // Visits (rows of PREGLEDI1) that meet the statement's own conditions on
    // the visit table (the period; for the morbidity statement also the kind
    // of service and the doctor) and whose MB matches no insured person; a
    // NULL MB matches none.
    qint64 unmatchedVisits = 0;
    // Joined rows that meet every condition of the statement(s) except the
    // area and whose insured person has no settlement code (MESTO_S NULL),
    // so that neither area selects them. Counted for the visit statements
    // and for the morbidity statement with area urban or rural; else 0.
    qint64 noSettlementCode = 0;
    // Rows of PREGLEDI1 whose DATA is neither NULL nor empty nor an ISO date
    // text "YYYY-MM-DD" of a real day, whatever the period and the filters.
    qint64 nonIsoVisitDates = 0;

    friend bool operator==(const SourceFigures &, const SourceFigures &) = default;
};

// Takes one record; an error stops the read and is what the read returns.
using VisitSink = std::function<Result<void>(const VisitRecord &)>;

class VisitSource {
public:
    virtual ~VisitSource() = default;
    // Hands every row of the selection to the sink, inside a read
    // transaction (its own, or the one already open on the database). With
    // figures, also fills them from the same snapshot. An error of the sink
    // stops the read and comes back with a second line naming the visit (see
    // visitLine).
    virtual Result<void> read(const VisitSelection &selection, VisitFields fields, const VisitSink &sink,
                              const ReadControl &control = {}, SourceFigures *figures = nullptr) = 0;
};

// How a source reads the rows. All give the same rows with the same texts.
enum class VisitSourceKind {
    Automatic,   // ProgramJoin
    Statements,  // the statements as written (every column), through the SQL layer
    ServerJoin,  // one statement of the needed columns for all passes, joined by the database engine
    ProgramJoin, // the tables read through the engine's C interface (SQLite's; PostgreSQL's COPY) or its
                 // driver (Firebird, MariaDB/MySQL, ODBC) and joined here, the persons all at once, or (SQLite,
                 // PostgreSQL) each visit's through the MB index (PostgreSQL: the server's join), by the
                 // period's visits; ServerJoin where the server compares MB otherwise than by its bytes
    ProgramJoinAllPersons, // ProgramJoin, every insured person read once
    ProgramJoinPerVisit,   // ProgramJoin, each visit's persons through the MB index
};

// Whether the visit and person tables have every column a read of the
// selection with these fields names (its conditions, the fields, the four
// that name a visit in an error), and the institution's table is there:
// else the error of Database::requireTable. purpose says what reads them
// ("the report general-medicine").
Result<void> requireReadTables(Database &database, const VisitSelection &selection, VisitFields fields,
                               const QString &purpose);

// The source that reads a database's visits.
std::unique_ptr<VisitSource> visitSourceOf(Database &database, VisitSourceKind kind = VisitSourceKind::Automatic);

// The line that names a visit in an error, its values as stored (quoted as
// messages quote data): "Visit RED_BR 1234 of 2024-03-01, PETROVSKI MARKO."
QString visitLine(QStringView rowNumber, QStringView visitDate, QStringView surname, QStringView name);
// The error of a sink with the line naming the visit it stopped at added as
// a second line; the first line stays as it was.
Error atVisit(Error error, QStringView rowNumber, QStringView visitDate, QStringView surname, QStringView name);

} // namespace tarel::data
