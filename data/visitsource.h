#pragma once

// The visit records a report run reads: the rows of its statements, each the
// join of a visit (PREGLEDI1) with its insured person (osigurenici), with the
// fields the run names. Runs read only through a VisitSource, so how the rows
// are read can change without touching the runs.

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
// doctor and area, or the two visit statements, the urban one first.
struct VisitSelection {
    enum class Statement { Morbidity, Visits };
    Statement statement = Statement::Morbidity;
    QString queryName;                  // morbidity: the report's query, named in messages
    QDate from;                         // both days included
    QDate to;
    std::optional<QString> doctorCode;  // morbidity: only this doctor's visits
    AreaFilter area = AreaFilter::Both; // morbidity
};

// Progress and cancellation of a read.
struct ReadControl {
    // Called every few thousand rows with the rows read so far and an
    // estimate of all (0 when unknown).
    std::function<void(qint64 rowsRead, qint64 rowsEstimated)> progress;
    // Once set, the read stops with an error of kind Cancelled.
    const std::atomic<bool> *cancel = nullptr;
};

// Takes one record; an error stops the read and is what the read returns.
using VisitSink = std::function<Result<void>(const VisitRecord &)>;

class VisitSource {
public:
    virtual ~VisitSource() = default;
    // Hands every row of the selection to the sink, inside a read
    // transaction (its own, or the one already open on the database).
    virtual Result<void> read(const VisitSelection &selection, VisitFields fields, const VisitSink &sink,
                              const ReadControl &control = {}) = 0;
};

// The source that reads a database's visits.
std::unique_ptr<VisitSource> visitSourceOf(Database &database);

// The error of a read stopped by the user.
Error cancelledError();

} // namespace tarel::data
