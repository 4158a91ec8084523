#pragma once

// What the visit sources share (data/ only): the fields of a record by name,
// the progress and cancel ticker of a read, the figures counted by
// statements, and the rule for visit dates that are not ISO texts.

#include "visitsource.h"

#include <array>
#include <memory>

namespace tarel::data {

class Database;

// A field of a record, its column in the joined result (the first occurrence
// of a name is the visit's: MB, PRE, IME, LEKAR_S) and its table.
struct NamedField {
    VisitField field;
    const char16_t *name;
    QStringView VisitRecord::*member;
    bool date;   // read as a date where the engine stores a date type
    bool person; // a column of osigurenici
};
inline constexpr std::array<NamedField, 13> kNamedFields = {{
    {FieldCategory, u"S_DIJA", &VisitRecord::category, false, false},
    {FieldSubCategory, u"S_DIJA2", &VisitRecord::subCategory, false, false},
    {FieldCitizenNumber, u"MB", &VisitRecord::citizenNumber, false, false},
    {FieldBirthDate, u"DAT_R", &VisitRecord::birthDate, true, true},
    {FieldKind, u"VidNaUsluga", &VisitRecord::kind, false, false},
    {FieldInsuranceBasis, u"OSNOV", &VisitRecord::insuranceBasis, false, true},
    {FieldMember, u"CLEN", &VisitRecord::member, false, true},
    {FieldRowNumber, u"RED_BR", &VisitRecord::rowNumber, false, false},
    {FieldVisitDate, u"DATA", &VisitRecord::visitDate, true, false},
    {FieldSurname, u"PRE", &VisitRecord::surname, false, false},
    {FieldName, u"IME", &VisitRecord::name, false, false},
    {FieldDoctor, u"LEKAR_S", &VisitRecord::doctor, false, false},
    {FieldSettlement, u"MESTO_S", &VisitRecord::settlement, false, true},
}};

// Counts the rows of the stage a read goes through, reports progress every
// kProgressEvery rows and tells when the user has cancelled.
class ReadTicker {
public:
    static constexpr qint64 kProgressEvery = 4096;

    ReadTicker(const ReadControl &control, ReadProgress::Stage stage, qint64 estimate)
        : m_control(control), m_stage(stage), m_estimate(estimate)
    {
    }
    // The read goes on with another stage, its rows counted from 0; says so
    // at once. False once the read is cancelled.
    bool startStage(ReadProgress::Stage stage, qint64 estimate)
    {
        m_stage = stage;
        m_estimate = estimate;
        m_rows = 0;
        return report();
    }
    // The stage has given all its rows: reports them as all there are.
    // False once the read is cancelled.
    bool finish()
    {
        m_estimate = m_rows;
        return report();
    }

    // One row more; false once the read is cancelled.
    bool row()
    {
        if (++m_rows < m_nextReport)
            return true;
        return report();
    }
    // Reports the rows read so far; false once the read is cancelled.
    bool report();
    bool cancelled() const { return m_control.cancel && m_control.cancel->load(std::memory_order_relaxed); }

    qint64 rows() const { return m_rows; }
    void setEstimate(qint64 estimate) { m_estimate = estimate; }

private:
    const ReadControl &m_control;
    ReadProgress::Stage m_stage;
    qint64 m_estimate = 0;
    qint64 m_rows = 0;
    qint64 m_nextReport = kProgressEvery;
};

// The share of the visits a period covers when the visit dates run evenly
// from the first day to the last (day numbers, see parseIsoDay): 0 when it
// misses them, 1 when it covers them all.
double periodShare(int firstDay, int lastDay, QDate from, QDate to);

// The kind of a stored DATA value, as far as the ISO rule tells them apart.
enum class StoredKind { Null, Text, Other };
// Whether a stored DATA value counts as a visit date that is not an ISO text:
// not NULL, not empty, and not the text "YYYY-MM-DD" of a real day.
bool isNonIsoVisitDate(StoredKind kind, QStringView text);

// The figures of a selection counted by statements over the join, in the
// read transaction that is open on the database; the SQL sources use them.
// rowIdentity is the expression that tells visits apart (SQLite
// "pregledi1.rowid", PostgreSQL "pregledi1.ctid").
Result<SourceFigures> figuresByStatements(Database &database, const VisitSelection &selection,
                                          const QString &rowIdentity);

// The sources behind visitSourceOf.
std::unique_ptr<VisitSource> makeStatementsSource(Database &database);
std::unique_ptr<VisitSource> makeServerJoinSource(Database &database);
std::unique_ptr<VisitSource> makeProgramJoinSource(Database &database);

} // namespace tarel::data
