#pragma once

// Inside the engine: what each report of the table is made of. A morbidity
// report has its catalogue, bands and form (reports/<report>/), a visit
// report its classification and form (reports/visits/).

#include "engine.h"
#include "form.h"
#include "morbidityform.h"
#include "visitreports.h"

namespace tarel::engine {

// The morbidity report behind a report of the table, or nullptr for a visit report.
const reports::MorbidityReport *morbidityOf(const ReportDefinition &report);
// The visit report behind a report of the table (meaningful for a visit report only).
reports::VisitReport visitReportOf(const ReportDefinition &report);
// The report's form, made on first use.
Result<const reports::Form *> formOf(const ReportDefinition &report);

} // namespace tarel::engine
