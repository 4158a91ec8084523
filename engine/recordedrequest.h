#pragma once

// The request a run records of itself in its result (kept in prepared-report
// files), read back so that a report opened later can be run again, and the
// database it was read from opened again.

#include "engine.h"

#include <QString>

#include <memory>

namespace tarel::engine {

struct RecordedRequest {
    Request request;
    QString alias;    // the database alias the run read
    QString database; // a SQLite run: its file; empty for a database server
};

// What a run records of its request: report, period, doctor and area, alias
// and (for a SQLite file) its whole path; never any patient data.
result::RunRequest recordedRequest(const Request &request, const data::Database &database);

// The request of a result, to run it again; an error for a report this
// program does not know or a request that names no database.
Result<RecordedRequest> recordedRequestOf(const result::RunResult &result);

// Whether the database is the one the request was read from: the same
// SQLite file, or for a server the same alias.
bool readsFrom(const data::Database &database, const RecordedRequest &recorded);

// Opens the database the request was read from, read-only: its alias where
// that still names the same database (with its settings), else its SQLite
// file.
Result<std::unique_ptr<data::Database>> openRecordedDatabase(const RecordedRequest &recorded);

} // namespace tarel::engine
