#pragma once

// The request a filled report records of itself (its "request" annotation,
// kept in prepared-report files), read back so that a report opened later can
// be run again, and the database it was read from opened again.

#include "engine.h"

#include <QJsonObject>
#include <QString>

#include <memory>

namespace tarel::engine {

struct RecordedRequest {
    Request request;
    QString alias;    // the database alias the run read
    QString database; // a SQLite run: its file; empty for a database server
};

// The "request" annotation a run writes of itself: report, period, doctor
// and area, alias and (for a SQLite file) its whole path; never any patient
// data.
QJsonObject requestAnnotation(const Request &request, const data::Database &database);

// The request of a report's annotations; an error when it keeps none (a
// report saved before reports kept one) or one this program cannot run.
Result<RecordedRequest> recordedRequestOf(const QJsonObject &annotations);

// Whether the database is the one the request was read from: the same
// SQLite file, or for a server the same alias.
bool readsFrom(const data::Database &database, const RecordedRequest &recorded);

// Opens the database the request was read from, read-only: its alias where
// that still names the same database (with its settings), else its SQLite
// file.
Result<std::unique_ptr<data::Database>> openRecordedDatabase(const RecordedRequest &recorded);

} // namespace tarel::engine
