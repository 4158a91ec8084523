#pragma once

// Each number of a report beside its history (docs/consistency-over-time.md):
// the report over the requested period and the history periods before it,
// counted from one read of their whole span. Every visit is classified once,
// at the reference date of its period, and added to that period's table;
// each period counts exactly as run() of that period with the same doctor
// and area would. What is kept is a table per period and a line per doctor,
// however many visits are read.

#include "engine.h"
#include "trend.h"

namespace tarel::engine {

// The report of the request over its period and `history` periods before it
// (1 to trend::kMaxHistory), in one read transaction: the earliest visit
// date that leaves out history, the visits, the doctors' names. The
// morbidity reports over all doctors also count each doctor's selected
// visits per period. An error of the read (database, an unreadable birth
// date or citizen number in any period, a cancelled run) is returned and
// there is no trend.
Result<trend::Trend> runTrend(data::Database &database, const Request &request, int history,
                              const RunOptions &options = {});

// The request of one period of a trend: the same report, doctor and area
// over the period's days. Its plain run gives that period's numbers.
Request periodRequest(const Request &request, const trend::Period &period);

} // namespace tarel::engine
