#pragma once

// A report run and its form filled from the result, as the window and the
// command-line tool make it: for the tests that read what the form prints.

#include "engine.h"

namespace tarel::testing {

inline Result<report::TfrxReport> runForm(data::Database &database, const engine::Request &request,
                                          const engine::RunOptions &options = {})
{
    const Result<result::RunResult> counted = engine::run(database, request, options);
    if (!counted)
        return counted.error();
    return engine::filledForm(*counted);
}

} // namespace tarel::testing
