#pragma once

// The report engine: the one way a request becomes a filled report. The
// window's six report buttons and the command-line tool build a Request and
// call run(); the engine reads the visits, counts them, and fills a fresh
// template of the report. Observers attached to a run see every visit and
// where it counted, without the counting knowing of them.

#include "database.h"
#include "morbiditycells.h"
#include "result.h"
#include "statements.h"
#include "template.h"
#include "visitreports.h"
#include "visitsource.h"

#include <QDate>
#include <QString>
#include <QAnyStringView>
#include <QStringView>

#include <optional>
#include <span>

namespace tarel::engine {

class RunObserver;

enum class ReportKind { Morbidity, Visits };

// One of the six reports.
struct ReportDefinition {
    const char *name;    // on the command line
    const char *button;  // the report button of its panel in the main window
    ReportKind kind;
    reports::MorbidityReportDefinition (*morbidity)(); // Morbidity: profile, catalogue, template
    reports::VisitReport visit;                        // Visits

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
    RunObserver *observer = nullptr; // not owned
    data::ReadControl control;       // progress and cancel
    // Filled by the read when given (not owned); see data::SourceFigures.
    data::SourceFigures *figures = nullptr;
    // How the visits are read; every kind gives the same rows.
    data::VisitSourceKind source = data::VisitSourceKind::Automatic;
    // Keep the run's data check (the "check" annotation). Off only to measure
    // what the check costs.
    bool dataCheck = true;
};

// Runs the request: reads its visits in one read transaction, counts them
// and fills a fresh template of the report. On an error (database, an
// unreadable birth date or citizen number, a cancelled run) nothing is
// filled and the error is returned.
Result<report::TfrxReport> run(data::Database &database, const Request &request, const RunOptions &options = {});

// The active doctor of that code; an unknown or inactive code is a usage
// error.
Result<data::Doctor> activeDoctor(data::Database &database, const QString &code);

} // namespace tarel::engine
