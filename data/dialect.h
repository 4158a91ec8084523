#pragma once

#include <QString>

namespace tarel::data {

enum class Engine { SQLite, PostgreSQL, Other };

// Adapts the few constructs of the statements that engines read differently,
// before a statement is prepared. It rewrites exactly:
//  - string concatenation written with "+" between quoted blanks and names
//    ("pre+' '+ime") into the standard "||" operator;
//  - an integer settlement code compared with the empty string: "MESTO_S=''"
//    holds for no row and becomes a false condition, "MESTO_S<>''" holds for
//    every row that has a code and becomes "MESTO_S IS NOT NULL". So a visit
//    without a settlement code is selected by neither visit statement, on
//    every engine, and no row by both.
// Everything else is sent as written, on SQLite and on PostgreSQL alike; the
// rest of the statements means the same on both without a rewrite:
//  - names are unquoted, so PostgreSQL folds them to lower case, and the
//    source tables are created unquoted (PREGLEDI1 is pregledi1, VidNaUsluga
//    vidnausluga), so every spelling of a name in the statements matches;
//  - "aktiven=true" compares a BOOLEAN column (SQLite: 1 is true);
//  - "DATA between :datumod and :datumdo" compares a DATE column with two
//    bound dates (SQLite: ISO texts, which sort as the dates do), both days
//    included; a NULL date is in no range;
//  - the named parameters (:datumod, :datumdo, :lekar_s) are bound by the
//    driver (QPSQL turns them into $1, $2, $3 of a prepared statement);
//  - "/*...*/" comments, "inner join ... on", "order by", "<>" are standard.
// What the engines return differently is evened out where rows are read
// (database.h: field names without regard to case, NULL as the empty text,
// a boolean as "1" or "0", a DATE value as a date).
QString adaptStatement(const QString &statement, Engine engine);

} // namespace tarel::data
