#pragma once

// The report engine: the one way a request becomes the result of a run. The
// window and the command-line tool build a Request and call run(); the engine
// reads the visits, classifies each, adds it to the result's counts and
// records what was asked, the institution and the data check. The filled
// form, the files and the lists of the visits behind a number are all drawn
// from that result. Nothing here exposes how visits are counted: the window
// and the tool see the result (result/) and the forms, never the counting.

#include "database.h"
#include "prepared.h"
#include "result.h"
#include "runresult.h"
#include "statements.h"
#include "template.h"
#include "visitsource.h"

#include <QAnyStringView>
#include <QDate>
#include <QString>
#include <QStringList>

#include <optional>
#include <span>
#include <vector>

namespace tarel::engine {

class RunObserver;

enum class ReportKind { Morbidity, Visits };

// One of the six reports.
struct ReportDefinition {
    const char *name; // on the command line
    ReportKind kind;

    QString commandName() const { return QString::fromLatin1(name); }
};

// The six reports, in the order the command line lists them.
std::span<const ReportDefinition> reportTable();
// The report of that command-line name, or nullptr.
const ReportDefinition *findReport(QAnyStringView name);
// The report in a few words of the user's language, for file names a
// window proposes: "General medicine", "Visits, children".
QString reportWords(const ReportDefinition &report);

// What the user asks for: a report over a period, for the morbidity reports
// one doctor or all, and the area.
struct Request {
    const ReportDefinition *report = nullptr;
    QDate from;                         // both days included
    QDate to;                           // also the reference date for ages
    std::optional<data::Doctor> doctor; // morbidity: nothing for all doctors ("Site lekari")
    data::AreaFilter area = data::AreaFilter::Both;
    QDate today;                        // the date a visit report prints; empty: the local date

    QString doctorText() const; // "Site lekari" or the doctor's name
    QString areaText() const;   // "Grad", "Selo" or "Grad i Selo"
};

struct RunOptions {
    RunObserver *observer = nullptr; // not owned; engine-internal (observer.h)
    data::ReadControl control;       // progress and cancel
    // Filled by the read when given (not owned); see data::SourceFigures.
    data::SourceFigures *figures = nullptr;
    // How the visits are read; every kind gives the same rows.
    data::VisitSourceKind source = data::VisitSourceKind::Automatic;
    // Keep the run's data check. Off only to measure what the check costs.
    bool dataCheck = true;
};

// Runs the request: reads its visits in one read transaction and counts
// them into the result, with the institution and the data check of the same
// snapshot. On an error (database, an unreadable birth date or citizen
// number, a cancelled run) there is no result and the error is returned.
Result<result::RunResult> run(data::Database &database, const Request &request, const RunOptions &options = {});

// The form of the result's report filled from the result: every count in
// its cell, the header; the form carries the result along into its prepared
// pages and files.
Result<report::TfrxReport> filledForm(const result::RunResult &result);

// The result a prepared report keeps; where it was saved before results kept
// their counts, completed from its pages: each count cell's printed number
// read back into the table of its report's form, the heading from the form
// and the header as the pages print it. A report saved before reports kept
// their request is taken for the report whose form its pages show. An error
// where the pages are not the form of a report.
Result<std::shared_ptr<const result::RunResult>> resultOf(const report::PreparedReport &prepared);

// A count cell of a report's form: its name as --cell takes it, and the row
// and column of the result it shows.
struct FormCellOf {
    QString name;
    int row = 0;
    int column = 0;
};
// Every count cell of the report's form, by row and then column, with the
// shape of its results; an error where its catalogue or form cannot be made.
Result<std::vector<FormCellOf>> countCells(const ReportDefinition &report);
Result<std::shared_ptr<const result::TableShape>> resultShape(const ReportDefinition &report);

// The active doctor of that code; an unknown or inactive code is a usage
// error.
Result<data::Doctor> activeDoctor(data::Database &database, const QString &code);

} // namespace tarel::engine
