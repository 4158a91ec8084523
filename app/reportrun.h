#pragma once

// A report run off the user-interface thread: the request runs on a
// connection of its own in another thread (a connection of the SQL layer may
// be used only by the thread that made it), while the calling thread goes
// on handling events, so the window stays responsive. The progress is shown
// as it comes; the user's cancel stops the run.

#include "aliases.h"
#include "cellvisits.h"
#include "engine.h"
#include "result.h"
#include "template.h"

#include <atomic>
#include <functional>

namespace tarel::app {

class RunProgress;

// Runs the request on the database of the settings and returns when the run
// has ended: the filled report, or its error (of kind Cancelled once cancel
// is set). progress (may be null) is told the rows read and any wait for
// another program's lock. whileReading, when given, is called in the run's
// thread at every progress report (tests hold the run there).
Result<report::TfrxReport> runInBackground(const data::AliasSettings &settings, const engine::Request &request,
                                           RunProgress *progress, std::atomic<bool> &cancel,
                                           const std::function<void()> &whileReading = {});

// The visits behind a cell of a report, listed the same way: one run of the
// request on a connection of its own in another thread.
Result<engine::CellListing> listInBackground(const data::AliasSettings &settings, const engine::Request &request,
                                             const QString &cell, RunProgress *progress, std::atomic<bool> &cancel);

} // namespace tarel::app
