#include "morbidityform.h"

#include "agebands.h"
#include "catalogue.h"
#include "macc.h"

#include <QSet>

#include <algorithm>
#include <array>
#include <map>

namespace tarel::reports {

namespace {

using namespace layout;
using report::mm;
using report::TfrxMemoView;
using tabulation::CatalogueRow;
using tabulation::ChapterBlock;
using tabulation::RowCatalogue;

constexpr int kFirstCountColumn = 4;

// The header the three forms print in their title bands.
const HeaderField kHeader[] = {
    {"dataod", "Data od:", HeaderField::From},
    {"datado", "Data do:", HeaderField::To},
    {"pzu", "PZU:", HeaderField::Naziv},
    {"lekar", "Lekar:", HeaderField::Doctor},
    {"GradSelo", "", HeaderField::Area},
};

QString memoName(int number) { return QStringLiteral("Memo") + QString::number(number); }

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

void applyLook(TfrxMemoView &cell, const CellLook &look)
{
    cell.font = toFont(look.font);
    cell.hAlign = look.hAlign;
    cell.vAlign = look.vAlign;
    cell.frame = look.frame;
}

CellLook changed(CellLook look, const LookChange &change)
{
    if (change.font)
        look.font = *change.font;
    if (change.hAlign)
        look.hAlign = *change.hAlign;
    if (change.vAlign)
        look.vAlign = *change.vAlign;
    if (change.frame)
        look.frame = *change.frame;
    return look;
}

// The look of a cell in grid column `column`: the base with every change
// that holds for it, in order (rows ignored where row is 0).
CellLook lookOf(CellLook look, std::initializer_list<StyleChange> changes, int row, int column)
{
    for (const StyleChange &change : changes)
        if (change.columns.holds(column) && (row == 0 || inRanges(change.rows, row)))
            look = changed(look, change.change);
    return look;
}

int rowsOf(const MorbidityLayout &layout)
{
    int last = 0;
    for (const auto &page : layout.contents)
        for (const PageLines &lines : page)
            if (!lines.subtotal)
                last = std::max(last, lines.last);
    return last;
}

const Composite *compositeOf(const MorbidityLayout &layout, int row, RowText text)
{
    for (const Composite &composite : layout.composites)
        if (composite.row == row && composite.text == text)
            return &composite;
    return nullptr;
}

// The cells and lines a composite text prints: per cell of the text, the
// number of lines its pieces take one by one (0 when a piece takes the whole
// cell, whatever its lines).
std::vector<int> expectedShape(const Composite &composite)
{
    std::vector<int> lines;
    for (const Piece &piece : composite.pieces) {
        if (std::size_t(piece.cell) >= lines.size())
            lines.resize(std::size_t(piece.cell) + 1, 0);
        if (piece.line != kWholeCell)
            lines[std::size_t(piece.cell)] = std::max(lines[std::size_t(piece.cell)], piece.line + 1);
    }
    return lines;
}

QStringList joinedLines(const QList<QStringList> &cells)
{
    QStringList lines;
    for (const QStringList &cell : cells)
        lines += cell;
    return lines;
}

// The lines one piece prints. A piece taking the last line its layout expects
// of a cell also takes any further lines of that cell, and the last piece any
// cells beyond those the layout expects.
QStringList pieceLines(const Composite &composite, std::size_t index, const QList<QStringList> &text)
{
    const Piece &piece = *(composite.pieces.begin() + index);
    const std::vector<int> shape = expectedShape(composite);
    QStringList lines;
    if (piece.cell < int(text.size())) {
        const QStringList &cell = text[piece.cell];
        if (piece.line == kWholeCell)
            lines = cell;
        else if (piece.line + 1 == shape[std::size_t(piece.cell)])
            lines = cell.mid(piece.line);
        else if (piece.line < int(cell.size()))
            lines = QStringList{cell[piece.line]};
    }
    if (index + 1 == composite.pieces.size())
        lines += joinedLines(text.mid(qsizetype(shape.size())));
    if (!lines.isEmpty())
        for (int i = 0; i < piece.blankLinesBefore; ++i)
            lines.prepend(QString());
    return lines;
}

QString subtotalName(const ChapterBlock &block, int column)
{
    return QStringLiteral("S") + block.code + QString::number(column);
}

// The words of a row, label or code text as the form prints them: the texts
// of its cells side by side, read in their fonts; a blank between two of them
// unless one ends or the next begins as a word joined to it ("Hodkin-ova",
// "L50(bez)L50.0").
class Phrase {
public:
    void add(QString text)
    {
        text.replace(u'\n', u' ');
        if (text.trimmed().isEmpty())
            return;
        const bool joined = m_text.endsWith(u'-') || m_text.endsWith(u'(') || text.startsWith(u'-')
            || text.startsWith(u')') || text.startsWith(u',');
        if (!m_text.isEmpty() && !joined)
            m_text += u' ';
        m_text += text;
    }
    QString text() const { return m_text.simplified(); }

private:
    QString m_text;
};

class Builder {
public:
    Builder(const MorbidityLayout &layout, const RowCatalogue &catalogue)
        : m_layout(layout), m_catalogue(catalogue), m_names(layout.firstFreeName)
    {
        const int rowCount = rowsOf(layout);
        m_rows.assign(std::size_t(rowCount) + 1, nullptr);
        for (const CatalogueRow &row : catalogue.rows())
            if (row.number >= 1 && row.number <= rowCount)
                m_rows[std::size_t(row.number)] = &row;
        m_heights.assign(std::size_t(rowCount) + 1, layout.defaultRowHeight);
        for (const RowHeights &entry : layout.rowHeights)
            for (const int row : entry.rows)
                if (row >= 1 && row <= rowCount)
                    m_heights[std::size_t(row)] = entry.height;
        m_result.tableRow.assign(std::size_t(rowCount) + 1, 0);
        const int columns = int(layout.grid.size());
        m_bandCaptions.resize(std::size_t(columns) + 1);
        m_sexCaptions.resize(std::size_t(columns) + 1);
    }

    Result<MorbidityForm> build()
    {
        report::TfrxReport &report = m_result.form.blank;
        report.name = QString::fromLatin1(m_layout.name);
        report.title = QString::fromLatin1(m_layout.title);
        report.pages.reserve(m_layout.pages.size());
        // The grand-total line is the table's first row.
        m_table.emplace_back().kind = result::RowKind::Total;
        m_table.back().key = QStringLiteral("V");
        for (std::size_t number = 1; number <= m_layout.pages.size(); ++number) {
            const PageSpec &pageSetup = m_layout.pages[number - 1];
            report::TfrxReportPage &page = report.pages.emplace_back();
            page.name = QStringLiteral("Page") + QString::number(number);
            page.leftMargin = pageSetup.margins.left;
            page.rightMargin = pageSetup.margins.right;
            page.topMargin = pageSetup.margins.top;
            page.bottomMargin = pageSetup.margins.bottom;
            page.font = toFont(pageSetup.font);
            m_page1 = number == 1;
            m_pageFont = page.font.value_or(report::defaultFont());
            double y = m_layout.page1TableTop;
            if (m_page1) {
                page.title = titleBand();
                for (const HeadPart &part : m_layout.page1Head) {
                    for (const CellSpec &stated : part.cells)
                        page.cells.push_back(fixedCell(stated, m_pageFont));
                    if (part.line)
                        addLine(*part.line, page.cells);
                }
            } else {
                addLine(*m_layout.columnNumbers, page.cells);
                y = m_layout.columnNumbers->y + m_layout.columnNumbers->height;
            }
            for (const PageLines &lines : m_layout.contents[number - 1]) {
                if (lines.subtotal) {
                    y += addSubtotal(page.cells, lines.first, y);
                    continue;
                }
                for (int row = lines.first; row <= lines.last; ++row)
                    y += addRow(page.cells, row, y);
            }
        }
        return finish();
    }

private:
    QString freeName() { return memoName(m_names++); }

    Column gridColumn(int number) const
    {
        if (m_page1)
            for (const Page1Column &changed : m_layout.page1Grid)
                if (changed.number == number)
                    return changed.column;
        return m_layout.grid[std::size_t(number - 1)];
    }

    // A cell framed on all sides over grid columns first to last.
    TfrxMemoView gridCell(QString name, int first, int last, double y, double height) const
    {
        const Column a = gridColumn(first);
        const Column b = gridColumn(last);
        TfrxMemoView cell = placedCell(std::move(name), a.x, y, b.x + b.width - a.x, height);
        cell.frame = FrameAll;
        return cell;
    }

    // The text as a reader sees it in the cell's font (or the one it inherits).
    static QString readable(const TfrxMemoView &cell, const report::Font &inherited)
    {
        return report::readableText(cell.font.value_or(inherited), cell.text());
    }

    TfrxMemoView fixedCell(const CellSpec &stated, const report::Font &inherited)
    {
        TfrxMemoView cell = placedCell(stated.name ? QString::fromLatin1(stated.name) : freeName(), stated.left,
                                       stated.top, stated.width, stated.height);
        cell.font = toFont(stated.font);
        cell.hAlign = stated.hAlign;
        cell.vAlign = stated.vAlign;
        cell.frame = stated.frame;
        cell.align = stated.align;
        if (stated.text && *stated.text)
            cell.memo = QStringList{QString::fromLatin1(stated.text)};
        const QString words = readable(cell, inherited).simplified();
        switch (stated.words) {
        case Words::None: break;
        case Words::NumberHeading: m_rowHeadings[0] = words; break;
        case Words::LabelHeading: m_rowHeadings[1] = words; break;
        case Words::CodesHeading: m_rowHeadings[2] = words; break;
        case Words::TotalLabel: m_table[0].label = words; break;
        case Words::TotalCodes: m_table[0].codes = words; break;
        }
        return cell;
    }

    report::TfrxReportTitle titleBand()
    {
        report::TfrxReportTitle band;
        band.width = mm(m_layout.titleBandWidth);
        band.height = mm(m_layout.titleBandHeight);
        band.font = toFont(m_layout.titleBandFont);
        const report::Font inherited = band.font.value_or(m_pageFont);
        for (const CellSpec &stated : m_layout.titleBand)
            band.cells.push_back(fixedCell(stated, inherited));
        return band;
    }

    void addLine(const GridLine &line, std::vector<TfrxMemoView> &cells)
    {
        int index = 0;
        for (int column = line.first; column <= line.last; column += line.span, ++index) {
            const int last = column + line.span - 1;
            QString name;
            if (line.role == GridLine::Role::GrandTotals)
                name = QStringLiteral("v") + QString::number(column);
            else if (line.names == GridLine::Names::Listed)
                name = QString::fromLatin1(*(line.listedNames.begin() + index));
            else if (line.names == GridLine::Names::Numbered)
                name = memoName(line.firstNumber + index);
            else
                name = freeName();
            TfrxMemoView cell = gridCell(std::move(name), column, last, line.y, line.height);
            applyLook(cell, lookOf(line.look, line.changes, 0, column));
            if (line.role == GridLine::Role::ColumnNumbers)
                cell.memo = QStringList{QString::number(column)};
            else if (line.texts.size() > 0)
                if (const char *text = *(line.texts.begin() + qsizetype(index) % qsizetype(line.texts.size())); *text)
                    cell.memo = QStringList{QString::fromLatin1(text)};
            const QString words = readable(cell, m_pageFont).simplified();
            for (int covered = column; covered <= last && covered < int(m_bandCaptions.size()); ++covered) {
                if (line.role == GridLine::Role::BandCaptions)
                    m_bandCaptions[std::size_t(covered)] = words;
                else if (line.role == GridLine::Role::Sexes)
                    m_sexCaptions[std::size_t(covered)] = words;
            }
            if (line.role == GridLine::Role::GrandTotals)
                m_result.form.cells.push_back({cell.name, 0, column - kFirstCountColumn});
            cells.push_back(std::move(cell));
        }
    }

    // Adds the cells of a row at y; returns its height.
    double addRow(std::vector<TfrxMemoView> &cells, int row, double y)
    {
        const double height = m_heights[std::size_t(row)];
        const CatalogueRow &source = *m_rows[std::size_t(row)];
        const int textName = m_layout.names.textStride * row + m_layout.names.textBase;
        const RowStyles &styles = m_layout.rowStyles;
        const int tableRow = int(m_table.size());
        m_result.tableRow[std::size_t(row)] = tableRow;
        result::RowIdentity &identity = m_table.emplace_back();
        identity.key = QString::number(row);
        identity.chapter = chapterOf(row);

        TfrxMemoView ordinal = gridCell(memoName(textName), 1, 1, y, height);
        applyLook(ordinal, lookOf(styles.ordinal, styles.changes, row, 1));
        if (!source.ordinal.isEmpty())
            ordinal.memo = QStringList{source.ordinal};
        identity.number = readable(ordinal, m_pageFont).simplified();
        cells.push_back(std::move(ordinal));
        identity.label = addRowText(cells, row, RowText::Label, memoName(textName + 1), y, height, source.label);
        identity.codes = addRowText(cells, row, RowText::Code, memoName(textName + 2), y, height, source.code);

        const int columns = int(m_layout.grid.size());
        for (int column = kFirstCountColumn; column <= columns; ++column) {
            const int k = column - kFirstCountColumn;
            TfrxMemoView count = gridCell(memoName(m_layout.names.countStride * row + m_layout.names.countBase + k),
                                          column, column, y, height);
            applyLook(count, lookOf(styles.count, styles.changes, row, column));
            m_result.form.cells.push_back({count.name, tableRow, k});
            cells.push_back(std::move(count));
        }
        return height;
    }

    // The label or code text of a row: one cell in its grid column, or the
    // pieces of a composite text. Returns its words.
    QString addRowText(std::vector<TfrxMemoView> &cells, int row, RowText which, QString name, double y,
                       double height, const QList<QStringList> &text)
    {
        Phrase words;
        const int column = which == RowText::Label ? 2 : 3;
        const Composite *composite = compositeOf(m_layout, row, which);
        if (!composite) {
            TfrxMemoView cell = gridCell(std::move(name), column, column, y, height);
            const RowStyles &styles = m_layout.rowStyles;
            applyLook(cell, lookOf(which == RowText::Label ? styles.label : styles.code, styles.changes, row, column));
            cell.memo = joinedLines(text);
            words.add(readable(cell, m_pageFont));
            cells.push_back(std::move(cell));
            return words.text();
        }
        for (std::size_t index = 0; index < composite->pieces.size(); ++index) {
            const Piece &piece = *(composite->pieces.begin() + index);
            const double pieceHeight = piece.height == kToRowBottom ? height - piece.dy : piece.height;
            TfrxMemoView cell =
                placedCell(index == 0 && m_layout.firstPieceNamed ? name : freeName(), piece.x, y + piece.dy,
                           piece.width, pieceHeight);
            applyLook(cell, {piece.font, piece.hAlign, piece.vAlign, piece.frame});
            cell.memo = pieceLines(*composite, index, text);
            words.add(readable(cell, m_pageFont));
            cells.push_back(std::move(cell));
        }
        return words.text();
    }

    int chapterOf(int row) const
    {
        const std::vector<ChapterBlock> &blocks = m_catalogue.blocks();
        for (std::size_t b = 0; b < blocks.size(); ++b)
            if (row >= blocks[b].first && row <= blocks[b].last)
                return int(b);
        return -1;
    }

    // Adds the subtotal line of a block (1-based) at y; returns its height.
    double addSubtotal(std::vector<TfrxMemoView> &cells, int blockNumber, double y)
    {
        SubtotalStyle style = m_layout.subtotal;
        for (const SubtotalVariant &variant : m_layout.subtotalVariants) {
            if (!inRanges(variant.blocks, blockNumber))
                continue;
            style.height = variant.height.value_or(style.height);
            style.numeralX = variant.numeralX.value_or(style.numeralX);
            style.caption = variant.caption ? variant.caption : style.caption;
            if (variant.captionFrame)
                style.captionLook.frame = *variant.captionFrame;
            if (variant.codeRangeFont)
                style.codeRange.font = *variant.codeRangeFont;
            if (variant.countFont)
                style.count.font = *variant.countFont;
        }
        const ChapterBlock &block = m_catalogue.blocks()[std::size_t(blockNumber - 1)];
        const double height = style.height;
        const int tableRow = int(m_table.size());
        result::RowIdentity &identity = m_table.emplace_back();
        identity.kind = result::RowKind::Subtotal;
        identity.key = QStringLiteral("S") + QString::number(blockNumber);
        identity.chapter = blockNumber - 1;
        Phrase label;

        TfrxMemoView blank = gridCell(freeName(), 1, 1, y, height);
        applyLook(blank, style.blank);
        cells.push_back(std::move(blank));

        const double labelX = gridColumn(2).x;
        const double codeX = gridColumn(3).x;
        TfrxMemoView caption = placedCell(freeName(), labelX, y, style.numeralX - labelX, height);
        applyLook(caption, style.captionLook);
        caption.memo = QStringList{QString::fromLatin1(style.caption)};
        label.add(readable(caption, m_pageFont));
        cells.push_back(std::move(caption));

        TfrxMemoView numeral = placedCell(freeName(), style.numeralX, y, codeX - style.numeralX, height);
        applyLook(numeral, style.numeral);
        if (!block.numeral.isEmpty())
            numeral.memo = QStringList{block.numeral};
        label.add(readable(numeral, m_pageFont));
        cells.push_back(std::move(numeral));
        identity.label = label.text();

        TfrxMemoView range = gridCell(freeName(), 3, 3, y, height);
        applyLook(range, style.codeRange);
        if (!block.codeRange.isEmpty())
            range.memo = QStringList{block.codeRange};
        identity.codes = readable(range, m_pageFont).simplified();
        cells.push_back(std::move(range));

        const int columns = int(m_layout.grid.size());
        for (int column = kFirstCountColumn; column <= columns; ++column) {
            TfrxMemoView count = gridCell(subtotalName(block, column), column, column, y, height);
            applyLook(count, style.count);
            m_result.form.cells.push_back({count.name, tableRow, column - kFirstCountColumn});
            cells.push_back(std::move(count));
        }
        return height;
    }

    // The sums of the rows, the columns and their identity, the table's
    // shape; the count cells in the order of the table.
    Result<MorbidityForm> finish()
    {
        std::vector<int> subtotals;
        for (std::size_t i = 1; i < m_table.size(); ++i) {
            result::RowIdentity &row = m_table[i];
            if (row.kind != result::RowKind::Subtotal)
                continue;
            subtotals.push_back(int(i));
            const ChapterBlock &block = m_catalogue.blocks()[std::size_t(row.chapter)];
            for (int member = block.first; member <= block.last; ++member)
                row.sums.push_back(m_result.tableRow[std::size_t(member)]);
        }
        m_table[0].sums = subtotals;

        std::vector<result::ColumnIdentity> columns;
        const int dataColumns = int(m_layout.grid.size()) - kFirstCountColumn + 1;
        for (int k = 0; k < dataColumns; ++k) {
            const std::size_t column = std::size_t(kFirstCountColumn + k);
            result::ColumnIdentity &identity = columns.emplace_back();
            identity.key = identity.number = QString::number(column);
            identity.headings = QStringList{m_bandCaptions[column], m_sexCaptions[column]};
            identity.band = k < 2 ? -1 : k / 2 - 1;
            identity.sex = k % 2 ? result::Sex::Female : result::Sex::Male;
            if (k < 2)
                for (int band = k + 2; band < dataColumns; band += 2)
                    identity.sums.push_back(band);
        }
        Result<std::shared_ptr<const result::TableShape>> shape = result::TableShape::make(
            std::move(m_table), std::move(columns), QStringList(m_rowHeadings.begin(), m_rowHeadings.end()),
            QStringList{QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("3")}, true);
        if (!shape)
            return shape.error();
        m_result.form.shape = *shape;
        std::stable_sort(m_result.form.cells.begin(), m_result.form.cells.end(),
                         [](const FormCell &a, const FormCell &b) { return a.row < b.row; });
        m_result.form.title = report::maccToUnicode(m_result.form.blank.title);
        m_result.form.header = kHeader;
        return std::move(m_result);
    }

    const MorbidityLayout &m_layout;
    const RowCatalogue &m_catalogue;
    int m_names;
    std::vector<const CatalogueRow *> m_rows; // by number
    std::vector<double> m_heights;            // by row number
    bool m_page1 = false;
    report::Font m_pageFont;
    MorbidityForm m_result;
    std::vector<result::RowIdentity> m_table;
    std::vector<QString> m_bandCaptions; // by grid column
    std::vector<QString> m_sexCaptions;
    std::array<QString, 3> m_rowHeadings;
};

QString textName(RowText which) { return which == RowText::Label ? QStringLiteral("label") : QStringLiteral("code text"); }

} // namespace

Result<void> checkCatalogueFit(const MorbidityLayout &layout, const RowCatalogue &catalogue)
{
    const QString form = QString::fromLatin1(layout.name);
    if (layout.contents.size() != layout.pages.size())
        return fail(QStringLiteral("The layout of %1 has %2 pages and the contents of %3")
                        .arg(form)
                        .arg(layout.pages.size())
                        .arg(layout.contents.size()));
    const int rowCount = rowsOf(layout);
    if (catalogue.rowCount() != rowCount)
        return fail(QStringLiteral("The catalogue has %1 rows; the pages of %2 hold %3")
                        .arg(catalogue.rowCount())
                        .arg(form)
                        .arg(rowCount));
    for (int number = 1; number <= rowCount; ++number)
        if (catalogue.rows()[std::size_t(number - 1)].number != number)
            return fail(QStringLiteral("The catalogue's row %1 is not numbered %1").arg(number));
    const std::vector<ChapterBlock> &blocks = catalogue.blocks();
    std::size_t subtotalLines = 0;
    int previousRow = 0;
    for (const auto &page : layout.contents) {
        for (const PageLines &lines : page) {
            if (!lines.subtotal) {
                previousRow = lines.last;
                continue;
            }
            ++subtotalLines;
            if (lines.first < 1 || std::size_t(lines.first) > blocks.size())
                return fail(QStringLiteral("The catalogue has %1 chapter blocks; the pages of %2 have a subtotal line of block %3")
                                .arg(blocks.size())
                                .arg(form)
                                .arg(lines.first));
            const ChapterBlock &block = blocks[std::size_t(lines.first - 1)];
            if (block.last != previousRow)
                return fail(QStringLiteral("Chapter block %1 ends with row %2; its subtotal line in %3 follows row %4")
                                .arg(lines.first)
                                .arg(block.last)
                                .arg(form)
                                .arg(previousRow));
        }
    }
    if (subtotalLines != blocks.size())
        return fail(QStringLiteral("The catalogue has %1 chapter blocks; the pages of %2 hold %3 subtotal lines")
                        .arg(blocks.size())
                        .arg(form)
                        .arg(subtotalLines));

    // The keys name every subtotal cell once.
    std::map<QString, std::size_t> subtotalNames; // lower case -> block
    for (std::size_t index = 0; index < blocks.size(); ++index) {
        for (int column = kFirstCountColumn; column <= int(layout.grid.size()); ++column) {
            const QString name = subtotalName(blocks[index], column).toLower();
            if (const auto found = subtotalNames.find(name); found != subtotalNames.end())
                return fail(QStringLiteral("Chapter blocks %1 and %2 both name a subtotal cell %3")
                                .arg(found->second + 1)
                                .arg(index + 1)
                                .arg(subtotalName(blocks[index], column)));
            subtotalNames.emplace(name, index);
        }
    }

    for (const CatalogueRow &row : catalogue.rows()) {
        for (RowText which : {RowText::Label, RowText::Code}) {
            const QList<QStringList> &text = which == RowText::Label ? row.label : row.code;
            const Composite *composite = compositeOf(layout, row.number, which);
            const std::vector<int> shape = composite ? expectedShape(*composite) : std::vector<int>{0};
            if (text.size() != qsizetype(shape.size()))
                return fail(QStringLiteral("Row %1: the %2 has %3 cells; %4 prints it in %5")
                                .arg(row.number)
                                .arg(textName(which))
                                .arg(text.size())
                                .arg(form)
                                .arg(shape.size()));
            for (std::size_t cell = 0; cell < shape.size(); ++cell) {
                const int lines = int(text[qsizetype(cell)].size());
                if (shape[cell] != 0 && lines != shape[cell])
                    return fail(QStringLiteral("Row %1: cell %2 of the %3 has %4 lines; %5 prints %6")
                                    .arg(row.number)
                                    .arg(cell + 1)
                                    .arg(textName(which))
                                    .arg(lines)
                                    .arg(form)
                                    .arg(shape[cell]));
            }
        }
    }
    return {};
}

Result<MorbidityForm> buildMorbidityForm(const MorbidityLayout &layout, const RowCatalogue &catalogue)
{
    if (Result<void> fits = checkCatalogueFit(layout, catalogue); !fits)
        return fits.error();
    return Builder(layout, catalogue).build();
}

struct MorbidityReport::Loaded {
    std::optional<Result<RowCatalogue>> catalogue;
    std::optional<Result<MorbidityForm>> form;
};

MorbidityReport::MorbidityReport(const char *query, const tabulation::BandSetDefinition &(*bands)(),
                                 const char *catalogueFile, const MorbidityLayout &(*layout)())
    : m_query(query), m_bands(bands), m_catalogueFile(catalogueFile), m_layout(layout)
{
}

MorbidityReport::~MorbidityReport() = default;

void MorbidityReport::load() const
{
    std::call_once(m_once, [this] {
        auto loaded = std::make_unique<Loaded>();
        loaded->catalogue = RowCatalogue::load(QString::fromLatin1(m_catalogueFile));
        if (*loaded->catalogue)
            loaded->form = buildMorbidityForm(m_layout(), loaded->catalogue->value());
        // Every band has a column for each sex beside the two of the totals.
        const std::size_t bands = m_bands().bands.size();
        if (loaded->form && loaded->form->ok() && (*loaded->form)->form.shape->columnCount() != int(2 + 2 * bands))
            loaded->form = fail(QStringLiteral("The form %1 has %2 count columns; the report's %3 age bands need %4")
                                    .arg(QString::fromLatin1(m_layout().name))
                                    .arg((*loaded->form)->form.shape->columnCount())
                                    .arg(bands)
                                    .arg(2 + 2 * bands));
        m_loaded = std::move(loaded);
    });
}

Result<const RowCatalogue *> MorbidityReport::catalogue() const
{
    load();
    if (!*m_loaded->catalogue)
        return m_loaded->catalogue->error();
    return &m_loaded->catalogue->value();
}

Result<const MorbidityForm *> MorbidityReport::form() const
{
    load();
    if (!*m_loaded->catalogue)
        return m_loaded->catalogue->error();
    if (!*m_loaded->form)
        return m_loaded->form->error();
    return &m_loaded->form->value();
}

} // namespace tarel::reports
