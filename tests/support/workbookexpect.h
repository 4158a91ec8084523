#pragma once

// The counts of a prepared report and of its workbook, line by line, in a
// form both give independently: for each line (a printed line of the form,
// a row of the sheet) its counts left to right, each with the column number
// printed above it. The prepared side takes a cell's label from the nearest
// text above it in the same column on its page; the sheet side from the
// nearest text above it in the same sheet column.

#include "macc.h"
#include "prepared.h"
#include "xlsxreader.h"

#include <QString>

#include <algorithm>
#include <functional>
#include <utility>
#include <vector>

namespace tarel::testing {

// (column label, count as shown) left to right.
using CountLine = std::vector<std::pair<QString, QString>>;

inline std::vector<CountLine> preparedCountLines(const report::PreparedReport &prepared,
                                                 const std::function<bool(const report::OutputCell &)> &isCount)
{
    const double tolerance = report::mm(0.5);
    std::vector<CountLine> lines;
    for (const report::OutputPage &page : prepared.pages) {
        std::vector<const report::OutputCell *> counts;
        for (const report::OutputCell &cell : page.cells)
            if (isCount(cell))
                counts.push_back(&cell);
        std::sort(counts.begin(), counts.end(), [&](const report::OutputCell *a, const report::OutputCell *b) {
            if (std::abs(a->top - b->top) > tolerance)
                return a->top < b->top;
            return a->left < b->left;
        });
        double lineTop = -1e9;
        for (const report::OutputCell *cell : counts) {
            if (lines.empty() || std::abs(cell->top - lineTop) > tolerance) {
                lines.emplace_back();
                lineTop = cell->top;
            }
            const report::OutputCell *label = nullptr;
            for (const report::OutputCell &other : page.cells) {
                if (other.top >= cell->top || std::abs(other.left - cell->left) > tolerance
                    || std::abs(other.width - cell->width) > tolerance || other.text.isEmpty() || isCount(other))
                    continue;
                if (!label || other.top > label->top)
                    label = &other;
            }
            lines.back().emplace_back(label ? report::readableText(label->font, label->text) : QString(),
                                      cell->text);
        }
    }
    return lines;
}

inline std::vector<CountLine> sheetCountLines(const XlsxSheet &sheet)
{
    std::vector<CountLine> lines;
    int lastRow = -1;
    for (const auto &[position, cell] : sheet.cells) {
        if (cell.type != XlsxCell::Type::Number)
            continue;
        if (position.first != lastRow) {
            lines.emplace_back();
            lastRow = position.first;
        }
        QString label;
        for (int row = position.first - 1; row >= 0 && label.isEmpty(); --row)
            if (const XlsxCell *above = sheet.at(row, position.second); above && above->type == XlsxCell::Type::Text)
                label = above->text;
        lines.back().emplace_back(label, cell.shown());
    }
    return lines;
}

} // namespace tarel::testing
