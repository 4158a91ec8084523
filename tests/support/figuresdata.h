#pragma once

// A small source database in which every figure a source counts has a known
// value that is not zero, as statements that SQLite and PostgreSQL both
// take (after the tables of data/schema.sql). The period is January 2024.
//
// Persons: P1 urban, P2 rural, R listed three times (twice rural, once
// urban), N without a settlement code. Visits on 2024-01-15 by L01, kind
// "1", unless said otherwise: P1, P2, R, N, N (kind "3"), the unknown X,
// a NULL MB, X on 2023-12-31 (outside), the unknown Y (kind "3") and Z
// (doctor L02).

#include "visitsource.h"

#include <QStringList>

namespace tarel::testing {

inline QStringList figureRows()
{
    return {
        QStringLiteral("insert into osigurenici (MB, DAT_R, MESTO_S) values ('P1', '1980-01-01', 400017)"),
        QStringLiteral("insert into osigurenici (MB, DAT_R, MESTO_S) values ('P2', '1980-01-01', 300100)"),
        QStringLiteral("insert into osigurenici (MB, DAT_R, MESTO_S) values ('R', '1980-01-01', 300100)"),
        QStringLiteral("insert into osigurenici (MB, DAT_R, MESTO_S) values ('R', '1980-01-01', 300200)"),
        QStringLiteral("insert into osigurenici (MB, DAT_R, MESTO_S) values ('R', '1980-01-01', 400017)"),
        QStringLiteral("insert into osigurenici (MB, DAT_R, MESTO_S) values ('N', '1980-01-01', NULL)"),
        QStringLiteral("insert into PREGLEDI1 (RED_BR, MB, LEKAR_S, VidNaUsluga, DATA) values "
                       "(1, 'P1', 'L01', '1', '2024-01-15'), (2, 'P2', 'L01', '1', '2024-01-15'), "
                       "(3, 'R', 'L01', '1', '2024-01-15'), (4, 'N', 'L01', '1', '2024-01-15'), "
                       "(5, 'N', 'L01', '3', '2024-01-15'), (6, 'X', 'L01', '1', '2024-01-15'), "
                       "(7, NULL, 'L01', '1', '2024-01-15'), (8, 'X', 'L01', '1', '2023-12-31'), "
                       "(9, 'Y', 'L01', '3', '2024-01-15'), (10, 'Z', 'L02', '1', '2024-01-15')"),
    };
}

// A selection of January 2024.
inline data::VisitSelection figureSelection(data::VisitSelection::Statement statement, bool doctorL01,
                                            data::AreaFilter area)
{
    data::VisitSelection selection;
    selection.statement = statement;
    selection.queryName = QStringLiteral("qIzvestajDeca");
    selection.from = QDate(2024, 1, 1);
    selection.to = QDate(2024, 1, 31);
    if (doctorL01)
        selection.doctorCode = QStringLiteral("L01");
    selection.area = area;
    return selection;
}

// The figures of the selections above, in the order the tests list them;
// nonIsoVisitDates comes from each engine's own extra rows.
struct FigureCase {
    const char *what;
    data::VisitSelection selection;
    data::SourceFigures figures;
};
inline std::vector<FigureCase> figureCases(qint64 nonIso)
{
    using S = data::VisitSelection::Statement;
    using A = data::AreaFilter;
    return {
        // R's visit gives three rows; X, NULL, Y and Z match nobody; N twice.
        {"visit statements", figureSelection(S::Visits, false, A::Both), {2, 4, 2, nonIso}},
        // Y's kind is not selected; the area is not asked, so no code is missing.
        {"morbidity, all doctors, both areas", figureSelection(S::Morbidity, false, A::Both), {2, 3, 0, nonIso}},
        // R's urban row alone; Z's doctor is not selected; N's first visit.
        {"morbidity, L01, urban", figureSelection(S::Morbidity, true, A::Urban), {0, 2, 1, nonIso}},
        // R's two rural rows.
        {"morbidity, L01, rural", figureSelection(S::Morbidity, true, A::Rural), {1, 2, 1, nonIso}},
    };
}

} // namespace tarel::testing
