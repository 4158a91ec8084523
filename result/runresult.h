#pragma once

// What one run found, as data: what was asked, the institution, the form's
// heading and the lines above its table, the counts in their rows and
// columns, and the data check. The filled form, the CSV, the workbook and
// the lists of the visits behind a number are all drawn from it; a
// prepared-report file keeps it beside its pages
// (docs/prepared-report-format.md).

#include "counttable.h"
#include "datacheck.h"
#include "result.h"

#include <QDate>
#include <QJsonObject>
#include <QString>
#include <QStringView>

#include <optional>
#include <vector>

namespace tarel::result {

enum class Area { Both, Urban, Rural };
// "both", "urban", "rural"; nothing for another name.
QString areaName(Area area);
std::optional<Area> areaNamed(QStringView name);

struct Doctor {
    QString code;
    QString name; // as the database keeps it (MAC C letters)
    bool operator==(const Doctor &) const = default;
};

// What was asked, as the run recorded it: enough to run it again, never any
// patient data.
struct RunRequest {
    QString report; // the report's command-line name
    QDate from;     // both days included
    QDate to;
    bool byDoctorAndArea = false; // asked for a doctor (or all) and an area: the morbidity reports
    std::optional<Doctor> doctor; // none: all doctors
    Area area = Area::Both;
    QString alias;    // the database alias the run read
    QString database; // a SQLite run: its file, as a whole path; empty for a database server

    bool operator==(const RunRequest &) const = default;

    // The "request" of a prepared-report file: report, from, to, alias,
    // doctor and area when asked for, database when there is one.
    QJsonObject toJson() const;
    // An error names what is missing or wrong.
    static Result<RunRequest> fromJson(const QJsonObject &object);
};

// The institution's particulars, as the database keeps them (MAC C letters).
struct Institution {
    QString naziv;
    QString adresa;
    QString mesto;
    QString danBroj;
    QString ziro;
    QString deponent;
    bool operator==(const Institution &) const = default;
};

// A line the form prints above its table: its caption and text, read as Unicode.
struct HeaderLine {
    QString caption;
    QString text;
    bool operator==(const HeaderLine &) const = default;
};

struct RunResult {
    RunRequest request;
    QDate printedOn;                // the date a visit report prints; empty in the morbidity reports
    Institution institution;
    QString title;                  // the form's heading, read as Unicode
    std::vector<HeaderLine> header; // above the table, in reading order
    CountTable counts;              // empty in a report saved before results kept their counts
    std::optional<DataCheck> check; // empty when the run kept none

    bool operator==(const RunResult &) const = default;
};

// The "result" of a prepared-report file: heading, header, institution, date
// printed, rows, columns and counts (its request and data check are parts of
// their own).
QJsonObject countsToJson(const RunResult &result);
// Reads the "result" part into a result, checking every value; the error
// names the first that is wrong.
Result<void> readCountsJson(const QJsonObject &object, RunResult &into);

} // namespace tarel::result
