#include "renderer.h"

#include "macc.h"

namespace tarel::report {

std::optional<CellPosition> findText(const PreparedReport &report, const QString &needle,
                                     bool caseSensitive, CellPosition from)
{
    if (needle.isEmpty())
        return std::nullopt;
    const Qt::CaseSensitivity cs = caseSensitive ? Qt::CaseSensitive : Qt::CaseInsensitive;
    const int pageCount = int(report.pages.size());
    for (int page = std::max(0, from.page); page < pageCount; ++page) {
        const auto &cells = report.pages[std::size_t(page)].cells;
        const int first = page == from.page ? std::max(0, from.cell) : 0;
        for (int i = first; i < int(cells.size()); ++i) {
            const OutputCell &cell = cells[std::size_t(i)];
            if (cell.text.contains(needle, cs))
                return CellPosition{page, i};
            // The Cyrillic reading, as the page shows it without the MAC C font.
            if (readableText(cell.font, cell.text).contains(needle, cs))
                return CellPosition{page, i};
        }
    }
    return std::nullopt;
}

} // namespace tarel::report
