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
// Everything else is sent as written.
QString adaptStatement(const QString &statement, Engine engine);

} // namespace tarel::data
