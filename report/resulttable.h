#pragma once

// The result of a run laid out as one table for a file: its heading, the
// lines of its header, the column headings over the counts (a heading that
// several neighbouring columns share spans them), the printed column numbers,
// and one line per row of the result with its number, label and code range
// beside its counts. What the CSV and the workbook write; drawn from the
// result's rows and columns alone, never from the pages.

#include "runresult.h"

#include <QString>
#include <QStringList>

#include <vector>

namespace tarel::report {

struct ResultTable {
    // A heading over columns first to first + span - 1 of the table (count
    // columns counted after the identity columns).
    struct Heading {
        QString text;
        int first = 0;
        int span = 1;
    };
    struct Line {
        result::RowKind kind = result::RowKind::Counted;
        QStringList identity;       // one text per identity column
        std::vector<qint64> counts; // one per count column
    };

    QString title;
    std::vector<result::HeaderLine> header;
    QStringList identityHeadings;           // over the identity columns, spanning every heading level
    int codeColumn = -1;                    // the identity column of the code ranges; -1 where there is none
    std::vector<std::vector<Heading>> levels; // the count columns' headings, outermost first
    QStringList numbers;                    // every column's printed number
    std::vector<Line> lines;
    bool zeroAsDash = false;

    int identityColumns() const { return int(identityHeadings.size()); }
    int width() const { return int(numbers.size()); }
    // A count as the form prints it: its digits, "-" for 0 where the form prints so.
    QString countText(qint64 count) const;
};

// The table of a result that has counts. The identity columns are those of
// the row's number, label and code range that the result fills or heads.
ResultTable resultTable(const result::RunResult &result);

} // namespace tarel::report
