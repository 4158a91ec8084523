#pragma once

#include <QString>

namespace tarel::data {

// The engines whose SQL the statements are adapted to. A database reached
// through ODBC takes the engine behind the ODBC driver.
enum class Engine { SQLite, PostgreSQL, Firebird, MySQL, Other };

// The engine's name in messages and logs: "SQLite", "PostgreSQL", ...
QString engineName(Engine engine);

// Adapts the few constructs of the statements that engines read differently,
// before a statement is prepared. It rewrites exactly:
//  - string concatenation written with "+" between quoted blanks and names
//    ("pre+' '+ime") into the standard "||" operator, and on MySQL/MariaDB
//    (where "||" is a logical or) into concat(pre,' ',ime);
//  - an integer settlement code compared with the empty string: "MESTO_S=''"
//    holds for no row and becomes a false condition, "MESTO_S<>''" holds for
//    every row that has a code and becomes "MESTO_S IS NOT NULL". So a visit
//    without a settlement code is selected by neither visit statement, on
//    every engine, and no row by both;
//  - on MySQL/MariaDB, the four table names into lower case (pregledi1,
//    osigurenici, lekari, pzo): there table names are case-sensitive unless
//    the server folds them, and the statements spell PREGLEDI1 and pregledi1.
// Everything else is sent as written; it means the same on every engine:
//  - other names are unquoted: PostgreSQL folds them to lower case, Firebird
//    to upper case, MySQL compares column names without regard to case, and
//    the source tables are created unquoted, so every spelling matches;
//  - "aktiven=true" compares a BOOLEAN column (SQLite: 1 is true; MySQL's
//    BOOLEAN is TINYINT(1) and TRUE is 1);
//  - "DATA between :datumod and :datumdo" compares a DATE column with two
//    bound dates (SQLite: ISO texts, which sort as the dates do), both days
//    included; a NULL date is in no range;
//  - the named parameters (:datumod, :datumdo, :lekar_s) are bound by the
//    driver (QPSQL turns them into $1, $2, $3 of a prepared statement, the
//    others into "?" of a server-side prepared statement);
//  - "/*...*/" comments, "inner join ... on", "order by", "<>" are standard.
// What the engines return differently is evened out where rows are read
// (database.h: field names without regard to case, NULL as the empty text,
// a boolean as "1" or "0", a DATE value as a date).
QString adaptStatement(const QString &statement, Engine engine);

// Adapts a statement of the source schema (data/schema.sql, indexes.sql) to
// an engine, for loading a source database into it. Texts are compared as
// SQLite compares them, byte for byte and with trailing blanks counting:
//  - Firebird: TEXT becomes VARCHAR(500) CHARACTER SET OCTETS (Firebird's
//    text character sets ignore trailing blanks when they compare), the
//    reserved word TIME is quoted, "IF NOT EXISTS" is dropped;
//  - MySQL/MariaDB: TEXT becomes VARCHAR(500) (an index needs a length), and
//    a table is created with the collation utf8mb4_nopad_bin (the default
//    collations ignore case and trailing blanks); table names in lower case;
//  - SQLite and PostgreSQL: as written.
QString adaptSchemaStatement(const QString &statement, Engine engine);

} // namespace tarel::data
