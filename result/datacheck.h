#pragma once

// The data check of a run: how every visit the report's statements select
// was counted, or why it was not, and what the statements leave out; as
// JSON (docs/data-check.md) and CSV.

#include "result.h"

#include <QByteArray>
#include <QJsonObject>
#include <QString>

#include <vector>

namespace tarel::result {

struct DataCheck {
    struct Diagnosis {
        QString category;    // S_DIJA as stored, NULL as ""
        QString subcategory; // S_DIJA2 as stored, NULL as ""
        qint64 visits = 0;
        bool operator==(const Diagnosis &) const = default;
    };

    QString report;         // the command-line name of the report
    QString from;           // the request, as ISO dates
    QString to;
    QString doctor;         // the doctor's code; empty for all doctors
    QString area;           // "both", "urban" or "rural"

    qint64 selected = 0;    // rows the report's statements return (visit reports: both statements)
    qint64 counted = 0;     // selected rows that add to at least one count cell
                            // (visit reports: to the "all visits" column)
    qint64 noRow = 0;       // diagnosis in no catalogue row (morbidity reports)
    qint64 outsideBands = 0; // in a row (visit reports: selected) but the age is in no band
    std::vector<Diagnosis> noRowDiagnoses; // most visits first, then by category and sub-category
    qint64 countedTwice = 0;   // counted rows that count in more than one catalogue row
    qint64 emptyBirthDate = 0; // counted rows whose birth date is empty or NULL
    qint64 repeatedPersons = 0; // selected rows beyond the first of a visit joining several insured persons
    qint64 unmatchedVisits = 0; // visits meeting the conditions on the visit table whose MB matches nobody
    qint64 noSettlementCode = 0; // rows that only the area leaves out: their person has no settlement code
    qint64 nonIsoVisitDates = 0; // visits whose DATA is neither empty nor an ISO date of a real day

    qint64 notCounted() const { return noRow + outsideBands; }
    bool operator==(const DataCheck &) const = default;

    // The account as JSON: "format": "tarel-data-check", "version": 1, and
    // the fields above under their names (docs/data-check.md). toJsonText
    // writes the keys in that documented order, toJson as a JSON object.
    QJsonObject toJson() const;
    QByteArray toJsonText() const;
    // Reads an account back (from a prepared report's "check" annotation or
    // a saved file); an error says which field is missing or wrong.
    static Result<DataCheck> fromJson(const QJsonObject &object);
};

// The account's CSV form: one "field,value" line per figure, then one line
// per uncounted diagnosis.
QByteArray dataCheckCsv(const DataCheck &check);

} // namespace tarel::result
