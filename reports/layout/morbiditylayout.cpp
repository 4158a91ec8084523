#include "morbiditylayout.h"

#include "catalogue.h"

namespace tarel::reports::layout {

TfrxMemoView cellFrom(const CellSpec &stated, FreeNames &names)
{
    TfrxMemoView cell = placedCell(stated.name ? QString::fromLatin1(stated.name) : names.next(), stated.left, stated.top,
                                   stated.width, stated.height);
    cell.font = toFont(stated.font);
    cell.hAlign = stated.hAlign;
    cell.vAlign = stated.vAlign;
    cell.frame = stated.frame;
    cell.align = stated.align;
    if (stated.text && *stated.text)
        cell.memo = QStringList{QString::fromLatin1(stated.text)};
    return cell;
}

report::TfrxReportTitle titleBand(double width, double height, const FontSpec &font, std::span<const CellSpec> cells,
                                  FreeNames &names)
{
    report::TfrxReportTitle band;
    band.width = mm(width);
    band.height = mm(height);
    band.font = toFont(font);
    band.cells.reserve(cells.size());
    for (const CellSpec &stated : cells)
        band.cells.push_back(cellFrom(stated, names));
    return band;
}

report::TfrxReportPage page(int number, const Margins &margins, const FontSpec &font)
{
    report::TfrxReportPage page;
    page.name = QStringLiteral("Page") + QString::number(number);
    page.leftMargin = margins.left;
    page.rightMargin = margins.right;
    page.topMargin = margins.top;
    page.bottomMargin = margins.bottom;
    page.font = toFont(font);
    return page;
}

TfrxMemoView gridCell(QString name, const Column &first, const Column &last, double y, double height)
{
    TfrxMemoView cell = placedCell(std::move(name), first.x, y, last.x + last.width - first.x, height);
    cell.frame = report::FrameAll;
    return cell;
}

TfrxMemoView placedCell(QString name, double x, double y, double width, double height)
{
    TfrxMemoView cell;
    cell.name = std::move(name);
    cell.left = mm(x);
    cell.top = mm(y);
    cell.width = mm(width);
    cell.height = mm(height);
    return cell;
}

int layoutRowCount(PageContents pages)
{
    int last = 0;
    for (const auto &page : pages)
        for (const PageLines &lines : page)
            if (!lines.subtotal && lines.last > last)
                last = lines.last;
    return last;
}

int layoutBlockCount(PageContents pages)
{
    int count = 0;
    for (const auto &page : pages)
        for (const PageLines &lines : page)
            count += lines.subtotal ? 1 : 0;
    return count;
}

RowPlan::RowPlan(const RowCatalogue &catalogue, PageContents pages, std::span<const RowHeights> heights,
                 double defaultHeight)
{
    const int rowCount = layoutRowCount(pages);
    m_rows.assign(std::size_t(rowCount) + 1, nullptr);
    for (const CatalogueRow &row : catalogue.rows())
        if (row.number >= 1 && row.number <= rowCount)
            m_rows[std::size_t(row.number)] = &row;
    m_heights.assign(std::size_t(rowCount) + 1, defaultHeight);
    for (const RowHeights &entry : heights)
        for (int row : entry.rows)
            if (row >= 1 && row <= rowCount)
                m_heights[std::size_t(row)] = entry.height;
}

const ChapterBlock *blockOf(const RowCatalogue &catalogue, int blockNumber)
{
    const auto &blocks = catalogue.blocks();
    return blockNumber >= 1 && blockNumber <= int(blocks.size()) ? &blocks[std::size_t(blockNumber - 1)] : nullptr;
}

QStringList joinedLines(const QList<QStringList> &cells)
{
    QStringList lines;
    for (const QStringList &cell : cells)
        lines += cell;
    return lines;
}

Result<void> checkPageFit(const RowCatalogue &catalogue, PageContents pages, const QString &templateName)
{
    const int rowCount = layoutRowCount(pages);
    if (catalogue.rowCount() != rowCount)
        return fail(QStringLiteral("The catalogue has %1 rows; the pages of %2 hold %3")
                        .arg(catalogue.rowCount())
                        .arg(templateName)
                        .arg(rowCount));
    const int blockCount = layoutBlockCount(pages);
    const auto &blocks = catalogue.blocks();
    if (int(blocks.size()) != blockCount)
        return fail(QStringLiteral("The catalogue has %1 chapter blocks; the pages of %2 hold %3 subtotal lines")
                        .arg(blocks.size())
                        .arg(templateName)
                        .arg(blockCount));

    // Every subtotal line follows the last row of its block.
    int previousRow = 0;
    for (const auto &page : pages) {
        for (const PageLines &lines : page) {
            if (!lines.subtotal) {
                previousRow = lines.last;
                continue;
            }
            const ChapterBlock &block = blocks[std::size_t(lines.first - 1)];
            if (block.last != previousRow)
                return fail(QStringLiteral("Chapter block %1 ends with row %2; its subtotal line in %3 follows row %4")
                                .arg(lines.first)
                                .arg(block.last)
                                .arg(templateName)
                                .arg(previousRow));
        }
    }
    return {};
}

} // namespace tarel::reports::layout
