#pragma once

// The data check in words, as the window shows it: the report by its form's
// title, each figure that can apply to the report with what it means and
// what to do, and, for a diagnosis in no row, the rows of the form whose
// printed codes cover it, named as the form prints them.

#include "datacheck.h"
#include "prepared.h"

#include <QString>

#include <vector>

namespace tarel::engine {

using result::DataCheck;

struct DataCheckFigure {
    QString name;
    qint64 visits = 0;
    QString meaning;
};

// "<form's title>, 01.12.2024 to 30.11.2026. Every visit ...": the title of
// the printed report (the command-line name when it has none), the period
// as the form prints its dates.
QString dataCheckHeading(const DataCheck &check, const report::PreparedReport &printed);

// The figures in the order the window lists them. A visit report leaves out
// those only a catalogue gives (a diagnosis in no row, a visit counted in
// two rows): they cannot apply to it.
std::vector<DataCheckFigure> dataCheckFigures(const DataCheck &check);

// For each diagnosis of check.noRowDiagnoses, in that order, the rows whose
// printed code text covers its category, as the form prints them:
// "row 300 (Z31-Z39,Z55-Z57, ...); row ..."; empty where none does, and for
// a visit report.
std::vector<QString> suggestedRowsText(const DataCheck &check, const report::PreparedReport &printed);

} // namespace tarel::engine
