#include "sheetlayout.h"

#include "macc.h"

#include <QCoreApplication>

#include <algorithm>
#include <set>

namespace tarel::report {

namespace {

// This file's messages, translated in the shared context "Text" (see
// translations/translation.h).
class Text {
    Q_DECLARE_TR_FUNCTIONS(Text)
};

// Edges this close are one edge: the forms place neighbouring cells a few
// hundredths of a millimetre apart, and their rows are at least 5 mm high.
constexpr double kSnap = mm(1);
// Texts outside the table whose tops lie this close stand on one line.
constexpr double kLineSnap = mm(1.5);

bool framedAllRound(const OutputCell &cell)
{
    return (cell.frame & FrameAll) == FrameAll && cell.width > 0 && cell.height > 0;
}

bool isWholeNumber(const QString &text)
{
    const qsizetype start = text.startsWith(QLatin1Char('-')) ? 1 : 0;
    if (text.size() <= start || text.size() - start > 15)
        return false;
    return std::all_of(text.begin() + start, text.end(), [](QChar c) { return c >= u'0' && c <= u'9'; });
}

bool isCountText(const QString &text) { return text == QLatin1String("-") || isWholeNumber(text); }

// The values in order, a run of values within kSnap of its first taken as one.
std::vector<double> snappedEdges(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    std::vector<double> edges;
    for (double value : values)
        if (edges.empty() || value - edges.back() > kSnap)
            edges.push_back(value);
    return edges;
}

struct Span {
    int first = 0;
    int last = 0;
};

// The intervals between the edges that an extent from `from` to `to` covers;
// an extent beyond the outer edges takes the outer interval.
Span spanOn(const std::vector<double> &edges, double from, double to)
{
    const int intervals = int(edges.size()) - 1;
    Span span;
    for (int i = 0; i < intervals; ++i)
        if (edges[i] <= from + kSnap)
            span.first = i;
    span.last = intervals - 1;
    for (int j = span.first + 1; j <= intervals; ++j)
        if (edges[j] >= to - kSnap) {
            span.last = j - 1;
            break;
        }
    return span;
}

void appendText(QString &text, const QString &more)
{
    if (more.isEmpty())
        return;
    if (!text.isEmpty() && !text.back().isSpace() && !more.front().isSpace())
        text += QLatin1Char(' ');
    text += more;
}

// The cells in reading order: lines by their tops, each line left to right.
std::vector<const OutputCell *> readingOrder(std::vector<const OutputCell *> cells)
{
    std::stable_sort(cells.begin(), cells.end(),
                     [](const OutputCell *a, const OutputCell *b) { return a->top < b->top; });
    for (std::size_t start = 0; start < cells.size();) {
        std::size_t end = start + 1;
        while (end < cells.size() && cells[end]->top - cells[start]->top <= kLineSnap)
            ++end;
        std::stable_sort(cells.begin() + std::ptrdiff_t(start), cells.begin() + std::ptrdiff_t(end),
                         [](const OutputCell *a, const OutputCell *b) { return a->left < b->left; });
        start = end;
    }
    return cells;
}

// A block's texts in reading order, with the font and alignment of the
// largest cell that holds a text (of the first cell when all are empty):
// the main part of a composite label, not its prefix.
void fillFromCells(SheetBlock &block, const std::vector<const OutputCell *> &cells)
{
    const std::vector<const OutputCell *> ordered = readingOrder(cells);
    const OutputCell *styled = ordered.front();
    double largest = -1;
    bool oneFont = true;
    for (const OutputCell *cell : ordered) {
        const QString text = readableText(cell->font, cell->text);
        if (!text.isEmpty() && cell->width * cell->height > largest) {
            styled = cell;
            largest = cell->width * cell->height;
        }
        const qsizetype before = block.text.size();
        appendText(block.text, text);
        if (block.text.size() == before)
            continue;
        oneFont = oneFont && (block.runs.empty() || block.runs.front().font == cell->font);
        block.runs.push_back({block.text.mid(before), cell->font});
    }
    if (oneFont)
        block.runs.clear();
    block.font = styled->font;
    block.hAlign = styled->hAlign;
    block.vAlign = styled->vAlign;
}

// Which block holds each cell of a grid, row by row; -1 where none.
class OwnerGrid {
public:
    explicit OwnerGrid(std::size_t columns) : m_columns(columns) {}

    void addRows(int count) { m_owner.resize(m_owner.size() + std::size_t(count) * m_columns, -1); }
    int at(int row, int column) const { return m_owner[std::size_t(row) * m_columns + std::size_t(column)]; }

    bool isFree(const SheetBlock &block) const
    {
        for (int r = block.row; r < block.row + block.rows; ++r)
            for (int c = block.column; c < block.column + block.columns; ++c)
                if (at(r, c) >= 0)
                    return false;
        return true;
    }

    // The block's cells become the block's; where any of them is taken, it
    // shrinks to its top-left cell first.
    void claim(SheetBlock &block, int index)
    {
        if (!isFree(block))
            block.rows = block.columns = 1;
        for (int r = block.row; r < block.row + block.rows; ++r)
            for (int c = block.column; c < block.column + block.columns; ++c)
                m_owner[std::size_t(r) * m_columns + std::size_t(c)] = index;
    }

private:
    std::size_t m_columns;
    std::vector<int> m_owner;
};

// The table of one page on its own grid.
struct PageTable {
    std::vector<double> columns; // edges; fewer than two: the page has no table
    std::vector<double> rows;
    std::vector<SheetBlock> blocks; // in the page's grid
    std::vector<const OutputCell *> above;
    std::vector<const OutputCell *> below;
    int head = -1; // the last row of the head (the column-number line); -1: none

    bool exists() const { return columns.size() >= 2 && rows.size() >= 2; }
    qint64 gridCells() const { return qint64(rows.size() - 1) * qint64(columns.size() - 1); }
};

// The line of column numbers: the first row whose every column holds a
// block of that row alone with a whole number in it.
int columnNumberRow(const PageTable &table)
{
    const int columns = int(table.columns.size()) - 1;
    for (int row = 0; row + 1 < int(table.rows.size()); ++row) {
        int covered = 0;
        int blocks = 0;
        bool numbers = true;
        for (const SheetBlock &block : table.blocks) {
            if (block.row > row || block.row + block.rows <= row)
                continue;
            if (block.row != row || block.rows != 1 || !isWholeNumber(block.text)) {
                numbers = false;
                break;
            }
            covered += block.columns;
            ++blocks;
        }
        if (numbers && blocks >= 2 && covered == columns)
            return row;
    }
    return -1;
}

PageTable pageTable(const OutputPage &page)
{
    PageTable table;
    std::vector<double> xs, ys;
    std::vector<const OutputCell *> framed, pieces;
    for (const OutputCell &cell : page.cells) {
        if (framedAllRound(cell)) {
            xs.insert(xs.end(), {cell.left, cell.left + cell.width});
            ys.insert(ys.end(), {cell.top, cell.top + cell.height});
            framed.push_back(&cell);
        } else {
            pieces.push_back(&cell);
        }
    }
    table.columns = snappedEdges(std::move(xs));
    table.rows = snappedEdges(std::move(ys));
    if (table.exists() && table.gridCells() > kMaxSheetCells)
        return table; // refused by the caller
    if (!table.exists()) {
        for (const OutputCell &cell : page.cells)
            table.above.push_back(&cell);
        return table;
    }

    // Cells whose middle lies outside the table's height are lines of their own.
    const double tableTop = table.rows.front() - kSnap;
    const double tableBottom = table.rows.back() + kSnap;
    std::vector<const OutputCell *> inside;
    for (const OutputCell *cell : pieces) {
        const double middle = cell->top + cell->height / 2;
        if (middle < tableTop)
            table.above.push_back(cell);
        else if (middle > tableBottom)
            table.below.push_back(cell);
        else
            inside.push_back(cell);
    }

    // Blocks: the cells framed all round first, so that their extents make the
    // blocks; then the pieces, each joining the block its top-left falls in.
    const int rowCount = int(table.rows.size()) - 1;
    const int columnCount = int(table.columns.size()) - 1;
    OwnerGrid owner{std::size_t(columnCount)};
    owner.addRows(rowCount);
    std::vector<std::vector<const OutputCell *>> cellsOf;
    auto byPosition = [](const OutputCell *a, const OutputCell *b) {
        return a->top != b->top ? a->top < b->top : a->left < b->left;
    };
    std::stable_sort(framed.begin(), framed.end(), byPosition);
    std::stable_sort(inside.begin(), inside.end(), byPosition);
    framed.insert(framed.end(), inside.begin(), inside.end());
    for (const OutputCell *cell : framed) {
        const Span columns = spanOn(table.columns, cell->left, cell->left + cell->width);
        const Span rows = spanOn(table.rows, cell->top, cell->top + cell->height);
        int index = owner.at(rows.first, columns.first);
        if (index < 0) {
            SheetBlock block;
            block.row = rows.first;
            block.column = columns.first;
            block.rows = rows.last - rows.first + 1;
            block.columns = columns.last - columns.first + 1;
            block.table = true;
            index = int(table.blocks.size());
            owner.claim(block, index);
            table.blocks.push_back(block);
            cellsOf.emplace_back();
        }
        cellsOf[std::size_t(index)].push_back(cell);
    }

    // Texts, and the frame lines of the cells that lie on a block's edges.
    for (std::size_t i = 0; i < table.blocks.size(); ++i) {
        SheetBlock &block = table.blocks[i];
        fillFromCells(block, cellsOf[i]);
        const double left = table.columns[std::size_t(block.column)];
        const double right = table.columns[std::size_t(block.column + block.columns)];
        const double top = table.rows[std::size_t(block.row)];
        const double bottom = table.rows[std::size_t(block.row + block.rows)];
        auto on = [](double a, double b) { return std::abs(a - b) <= kSnap; };
        for (const OutputCell *cell : cellsOf[i]) {
            if ((cell->frame & FrameLeft) && on(cell->left, left))
                block.frame |= FrameLeft;
            if ((cell->frame & FrameRight) && on(cell->left + cell->width, right))
                block.frame |= FrameRight;
            if ((cell->frame & FrameTop) && on(cell->top, top))
                block.frame |= FrameTop;
            if ((cell->frame & FrameBottom) && on(cell->top + cell->height, bottom))
                block.frame |= FrameBottom;
        }
    }
    table.head = columnNumberRow(table);
    return table;
}

// The texts of a table row's blocks that start in it, by column (in the
// columns `map` gives).
std::vector<std::pair<int, QString>> rowTexts(const PageTable &table, int row, const std::vector<int> &map)
{
    std::vector<std::pair<int, QString>> texts;
    for (const SheetBlock &block : table.blocks)
        if (block.row == row)
            texts.emplace_back(map[std::size_t(block.column)], block.text);
    std::sort(texts.begin(), texts.end());
    return texts;
}

// Whether a later page's head repeats the last rows of the first page's head
// and ends there, so that leaving it out loses nothing.
bool repeatsHead(const PageTable &first, const std::vector<int> &firstMap, const PageTable &page,
                 const std::vector<int> &pageMap)
{
    if (first.head < 0 || page.head < 0 || page.head > first.head)
        return false;
    for (const SheetBlock &block : page.blocks)
        if (block.row <= page.head && block.row + block.rows - 1 > page.head)
            return false;
    for (int row = 0; row <= page.head; ++row)
        if (rowTexts(page, row, pageMap) != rowTexts(first, first.head - page.head + row, firstMap))
            return false;
    return true;
}

// Maps a page's column edges to the sheet's: one to one when the page has
// as many columns, else each to the nearest sheet edge.
std::vector<int> edgeMap(const std::vector<double> &page, const std::vector<double> &sheet)
{
    std::vector<int> map(page.size());
    for (std::size_t i = 0; i < page.size(); ++i) {
        if (page.size() == sheet.size()) {
            map[i] = int(i);
            continue;
        }
        const auto nearest = std::min_element(sheet.begin(), sheet.end(), [&](double a, double b) {
            return std::abs(a - page[i]) < std::abs(b - page[i]);
        });
        map[i] = std::max(i > 0 ? map[i - 1] : 0, int(nearest - sheet.begin()));
    }
    return map;
}

enum class Part { Line, Head, Body };

// The sheet as it grows, row by row; a block placed over cells already taken
// joins the block that holds its top-left cell, so no text is lost.
class SheetBuilder {
public:
    explicit SheetBuilder(std::vector<double> columns)
        : m_columns(std::move(columns)), m_owner(m_columns.size() - 1)
    {
        for (std::size_t i = 0; i + 1 < m_columns.size(); ++i)
            m_sheet.columnWidths.push_back(m_columns[i + 1] - m_columns[i]);
    }

    const std::vector<double> &columns() const { return m_columns; }
    int rowCount() const { return int(m_sheet.rowHeights.size()); }
    int addRow(double height)
    {
        m_sheet.rowHeights.push_back(height);
        m_owner.addRows(1);
        return rowCount() - 1;
    }

    void place(SheetBlock block, Part part)
    {
        const int columns = int(m_sheet.columnWidths.size());
        block.column = std::clamp(block.column, 0, columns - 1);
        block.columns = std::clamp(block.columns, 1, columns - block.column);
        block.rows = std::clamp(block.rows, 1, rowCount() - block.row);
        if (const int owner = m_owner.at(block.row, block.column); owner >= 0) {
            SheetBlock &joined = m_sheet.blocks[std::size_t(owner)];
            const qsizetype before = joined.text.size();
            appendText(joined.text, block.text);
            if (!joined.runs.empty() && joined.text.size() > before)
                joined.runs.push_back({joined.text.mid(before), block.font});
            return;
        }
        m_owner.claim(block, int(m_sheet.blocks.size()));
        m_sheet.blocks.push_back(std::move(block));
        m_parts.push_back(part);
    }

    // Texts outside the table: one sheet row per line; a line's texts that
    // touch or fall in one column are joined ("Data od:" and its date), each
    // run merged over the columns it spans.
    void addLines(const std::vector<const OutputCell *> &cells)
    {
        const std::vector<const OutputCell *> ordered = readingOrder(cells);
        for (std::size_t start = 0; start < ordered.size();) {
            std::size_t end = start + 1;
            while (end < ordered.size() && ordered[end]->top - ordered[start]->top <= kLineSnap)
                ++end;
            double height = 0;
            for (std::size_t i = start; i < end; ++i)
                height = std::max(height, ordered[i]->height);
            const int row = addRow(height);
            SheetBlock group;
            std::vector<const OutputCell *> groupCells;
            double groupRight = 0;
            auto flush = [&] {
                if (groupCells.empty())
                    return;
                fillFromCells(group, groupCells);
                for (const OutputCell *cell : groupCells)
                    group.frame |= cell->frame;
                place(group, Part::Line);
                groupCells.clear();
            };
            for (std::size_t i = start; i < end; ++i) {
                const OutputCell *cell = ordered[i];
                const Span span = spanOn(m_columns, cell->left, cell->left + cell->width);
                const bool touching = !groupCells.empty() && cell->left - groupRight <= kSnap;
                if (groupCells.empty() || (span.first > group.column + group.columns - 1 && !touching)) {
                    flush();
                    group = SheetBlock{};
                    groupRight = 0;
                    group.row = row;
                    group.column = span.first;
                }
                group.columns = std::max(group.columns, span.last - group.column + 1);
                groupRight = std::max(groupRight, cell->left + cell->width);
                groupCells.push_back(cell);
            }
            flush();
            start = end;
        }
    }

    SheetLayout finish()
    {
        // Columns that hold words below the head are not count columns.
        std::set<int> wordColumns;
        for (std::size_t i = 0; i < m_sheet.blocks.size(); ++i) {
            const SheetBlock &block = m_sheet.blocks[i];
            if (m_parts[i] == Part::Body && !block.text.isEmpty() && !isCountText(block.text))
                wordColumns.insert(block.column);
        }
        for (std::size_t i = 0; i < m_sheet.blocks.size(); ++i) {
            SheetBlock &block = m_sheet.blocks[i];
            if (m_parts[i] != Part::Body || !isCountText(block.text) || wordColumns.count(block.column))
                continue;
            block.count = block.text == QLatin1String("-") ? 0 : block.text.toLongLong();
            if (block.text == QLatin1String("-"))
                m_sheet.zeroAsDash = true;
        }
        return std::move(m_sheet);
    }

    SheetLayout &sheet() { return m_sheet; }

private:
    std::vector<double> m_columns;
    SheetLayout m_sheet;
    OwnerGrid m_owner;
    std::vector<Part> m_parts;
};

} // namespace

Result<SheetLayout> sheetLayout(const PreparedReport &report)
{
    auto tooLarge = [] { return fail(Text::tr("the report's table is too large for a worksheet")); };
    std::vector<PageTable> tables;
    tables.reserve(report.pages.size());
    for (const OutputPage &page : report.pages) {
        tables.push_back(pageTable(page));
        if (tables.back().exists() && tables.back().gridCells() > kMaxSheetCells)
            return tooLarge();
    }
    const auto firstTable = std::find_if(tables.begin(), tables.end(), [](const PageTable &t) { return t.exists(); });

    // The columns of the first table; without a table, one column as wide as
    // the widest text.
    std::vector<double> columns;
    if (firstTable != tables.end()) {
        columns = firstTable->columns;
    } else {
        double right = 1;
        for (const OutputPage &page : report.pages)
            for (const OutputCell &cell : page.cells)
                right = std::max(right, cell.left + cell.width);
        columns = {0, right};
    }
    if (columns.size() - 1 > std::size_t(kMaxSheetColumns))
        return tooLarge();
    SheetBuilder builder(columns);
    std::vector<int> firstMap;
    if (firstTable != tables.end())
        firstMap = edgeMap(firstTable->columns, columns);

    for (const PageTable &table : tables) {
        const qint64 rowsAfter = builder.rowCount() + qint64(table.above.size() + table.below.size())
            + (table.exists() ? qint64(table.rows.size()) : 0);
        if (rowsAfter > kMaxSheetRows || rowsAfter * qint64(columns.size() - 1) > kMaxSheetCells)
            return tooLarge();
        builder.addLines(table.above);
        if (table.exists()) {
            const std::vector<int> map = edgeMap(table.columns, columns);
            const bool first = &table == &*firstTable;
            const int skip = !first && repeatsHead(*firstTable, firstMap, table, map) ? table.head + 1 : 0;
            const int offset = builder.rowCount() - skip;
            for (int row = skip; row + 1 < int(table.rows.size()); ++row)
                builder.addRow(table.rows[std::size_t(row) + 1] - table.rows[std::size_t(row)]);
            if (first && table.head >= 0) {
                builder.sheet().headFirst = offset;
                builder.sheet().headLast = offset + table.head;
            }
            for (const SheetBlock &pageBlock : table.blocks) {
                if (pageBlock.row < skip)
                    continue;
                SheetBlock block = pageBlock;
                block.row = offset + pageBlock.row;
                block.column = map[std::size_t(pageBlock.column)];
                block.columns = std::max(1, map[std::size_t(pageBlock.column + pageBlock.columns)] - block.column);
                builder.place(block, pageBlock.row <= table.head ? Part::Head : Part::Body);
            }
        }
        builder.addLines(table.below);
    }
    return builder.finish();
}

} // namespace tarel::report
