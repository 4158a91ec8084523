#pragma once

// The fixed statements of the source database and the filter lines of the
// morbidity runs. The texts are those the program sends; the dialect step
// (dialect.h) adapts them to the engine before they are prepared.

#include <QDate>
#include <QString>
#include <QStringList>

#include <array>
#include <optional>

namespace tarel::data {

// Settlement codes (MESTO_S of the insured person) that count as urban, in
// the order every statement lists them. Every other code is rural.
inline constexpr std::array<int, 38> UrbanSettlementCodes = {
    400017, 400262, 401668, 402281, 402516, 402729, 403318, 404195, 404560, 404934,
    405469, 406163, 406864, 407321, 407798, 408247, 408948, 409839, 410365, 411469,
    412058, 412554, 413127, 413623, 415588, 416371, 417360, 418382, 419265, 491004,
    491012, 491039, 491047, 491055, 491063, 400092, 404616, 412066};

bool isUrbanSettlement(int code);

enum class AreaFilter { Urban, Rural, Both };

// "Grad", "Selo" or "Grad i Selo": the area text printed in the header.
QString areaText(AreaFilter area);
// "urban", "rural" or "both": the area's name on the command line and in
// what a run records of itself; and back (nothing for another text).
QString areaName(AreaFilter area);
std::optional<AreaFilter> areaNamed(QStringView name);

// The tables of the source database that the program reads, and what each
// holds, as messages name them.
struct SourceTable {
    const char *name;
    const char *holds;
};
inline constexpr SourceTable TableOfVisits{"PREGLEDI1", QT_TRANSLATE_NOOP("Text", "the visits")};
inline constexpr SourceTable TableOfPersons{"osigurenici", QT_TRANSLATE_NOOP("Text", "the insured persons")};
inline constexpr SourceTable TableOfInstitution{"PZO", QT_TRANSLATE_NOOP("Text", "the institution's particulars")};
inline constexpr SourceTable TableOfDoctors{"Lekari", QT_TRANSLATE_NOOP("Text", "the doctors")};
// The tables every run reads: the visits, their persons and the institution.
QStringList runTables();

// Doctor list behind the three doctor boxes (two lines).
QStringList qLekarStatement();
// Institution particulars (one line).
QStringList qPZUStatement();
// The shared statement of the three morbidity queries as stored: line 5 holds
// "order by data" until a run replaces it with its filter line.
QStringList morbidityStatement();
// The urban and rural visit statements of the three visit reports.
QStringList qPosetaDecaGradStatement();
QStringList qPosetaDecaSeloStatement();

// Name of the parameter that carries the doctor code of a morbidity run.
inline constexpr const char *DoctorParameter = "lekar_s";

// The filter line of a morbidity run: the doctor clause followed by the area
// clause. The doctor clause compares the visit's own doctor (PREGLEDI1.LEKAR_S)
// with the bound parameter :lekar_s, so a code is never spliced into the
// statement text and a code holding a quote matches itself exactly.
QString morbidityFilterLine(bool oneDoctor, AreaFilter area);

// The morbidity statement with its fifth line replaced by the filter line.
QStringList morbidityStatementFor(bool oneDoctor, AreaFilter area);

// Pieces of the statements above, for reading the same rows in other ways
// (fewer columns, one statement for both visit passes, counts): each is cut
// from the statement texts, so it means what the statement means.
//
// "WHERE DATA  between  :datumod and :datumdo": the period (line 2).
QString periodCondition();
// "and (pregledi1.vidnausluga='1' or pregledi1.vidnausluga='2')": the kinds
// of service of the morbidity statement (line 3).
QString kindCondition();
// The area condition of the urban and of the rural visit statement (lines 3
// to 7), without the leading "and": a condition on osigurenici alone.
QString urbanVisitCondition();
QString ruralVisitCondition();

} // namespace tarel::data

namespace tarel::data {
// The CREATE TABLE statements of the source tables (schema.sql) and the
// indexes a source normally has (indexes.sql), each a list of statements.
QStringList sourceSchemaStatements();
QStringList sourceIndexStatements();
} // namespace tarel::data
