#include "resulttable.h"

#include <algorithm>

namespace tarel::report {

QString ResultTable::countText(qint64 count) const
{
    return count == 0 && zeroAsDash ? QStringLiteral("-") : QString::number(count);
}

ResultTable resultTable(const result::RunResult &result)
{
    ResultTable table;
    table.title = result.title;
    table.header = result.header;
    const result::TableShape &shape = result.counts.shape();
    table.zeroAsDash = shape.zeroAsDash();

    // The row's number, label and code range, where any row fills it or it has a heading.
    QString const result::RowIdentity::*const fields[] = {&result::RowIdentity::number, &result::RowIdentity::label,
                                                          &result::RowIdentity::codes};
    std::vector<int> identity;
    for (int field = 0; field < 3; ++field) {
        const bool filled = std::any_of(shape.rows().begin(), shape.rows().end(), [&](const result::RowIdentity &row) {
            return !(row.*fields[field]).isEmpty();
        });
        if (filled || !shape.rowHeadings().value(field).isEmpty()) {
            if (field == 2)
                table.codeColumn = int(identity.size());
            identity.push_back(field);
            table.identityHeadings << shape.rowHeadings().value(field);
            table.numbers << shape.rowHeadingNumbers().value(field);
        }
    }

    // The headings level by level; a heading spans its neighbours that have
    // the same text under the same headings.
    qsizetype levels = 0;
    for (const result::ColumnIdentity &column : shape.columns())
        levels = std::max(levels, column.headings.size());
    table.levels.resize(std::size_t(levels));
    for (qsizetype level = 0; level < levels; ++level) {
        std::vector<ResultTable::Heading> &headings = table.levels[std::size_t(level)];
        for (int c = 0; c < shape.columnCount(); ++c) {
            const QStringList &path = shape.columns()[std::size_t(c)].headings;
            const QString text = path.value(level);
            if (text.isEmpty())
                continue;
            const int column = table.identityColumns() + c;
            if (!headings.empty() && headings.back().text == text && headings.back().first + headings.back().span == column
                && shape.columns()[std::size_t(c - 1)].headings.mid(0, level) == path.mid(0, level)) {
                ++headings.back().span;
                continue;
            }
            headings.push_back({text, column, 1});
        }
    }
    for (const result::ColumnIdentity &column : shape.columns())
        table.numbers << column.number;

    table.lines.reserve(std::size_t(shape.rowCount()));
    for (int row = 0; row < shape.rowCount(); ++row) {
        const result::RowIdentity &source = shape.rows()[std::size_t(row)];
        ResultTable::Line &line = table.lines.emplace_back();
        line.kind = source.kind;
        for (const int field : identity)
            line.identity << source.*fields[field];
        for (int column = 0; column < shape.columnCount(); ++column)
            line.counts.push_back(result.counts.value(row, column));
    }
    return table;
}

} // namespace tarel::report
