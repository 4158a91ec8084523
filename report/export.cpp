#include "export.h"

#include "macc.h"
#include "outputfile.h"
#include "renderer.h"

#include <QCoreApplication>
#include <QPainter>
#include <QPdfWriter>

#include <algorithm>
#include <cmath>
#include <limits>
#include <numeric>
#include <optional>

namespace tarel::report {

namespace {

// This file's messages, translated in the shared context "Text" (see
// translations/translation.h).
class Text {
    Q_DECLARE_TR_FUNCTIONS(Text)
};

Error fileError(const QString &path, const QString &problem)
{
    return fail(Text::tr("Cannot write \"%1\": %2").arg(path, problem));
}

// A text a spreadsheet takes for a number: digits with at most one decimal
// point or comma after an optional minus sign ("-12", "-0.5").
bool isPlainNumber(QStringView text)
{
    qsizetype i = text.startsWith(QLatin1Char('-')) ? 1 : 0;
    bool digits = false;
    bool point = false;
    for (; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c.isDigit() && c.unicode() < 128)
            digits = true;
        else if ((c == QLatin1Char('.') || c == QLatin1Char(',')) && !point)
            point = true;
        else
            return false;
    }
    return digits;
}

// A spreadsheet runs a text starting with "=", "+", "-" or "@" as a formula
// (and a tab or carriage return hides such a start). A minus sign is left
// alone where the text is a plain number or the zero mark "-".
bool startsLikeFormula(const QString &text)
{
    if (text.isEmpty())
        return false;
    const QChar first = text.front();
    if (first == QLatin1Char('-'))
        return text.size() > 1 && !isPlainNumber(text);
    return first == QLatin1Char('=') || first == QLatin1Char('+') || first == QLatin1Char('@')
        || first == QLatin1Char('\t') || first == QLatin1Char('\r');
}

} // namespace

void appendCsvField(QString &row, const QString &text)
{
    QString value = text;
    if (startsLikeFormula(value))
        value.prepend(QLatin1Char('\''));
    const bool quote = value.contains(QLatin1Char(',')) || value.contains(QLatin1Char('"'))
        || value.contains(QLatin1Char('\n')) || value.contains(QLatin1Char('\r'))
        || value.startsWith(QLatin1Char(' ')) || value.endsWith(QLatin1Char(' '));
    if (quote) {
        value.replace(QLatin1Char('"'), QLatin1String("\"\""));
        row += QLatin1Char('"') + value + QLatin1Char('"');
    } else {
        row += value;
    }
}

QString documentTitle(const PreparedReport &report)
{
    const QString title = maccToUnicode(report.title).simplified();
    return title.isEmpty() ? report.templateName : title;
}

Result<void> writePdf(const PreparedReport &report, const QString &path)
{
    if (report.pages.empty())
        return fileError(path, Text::tr("the report has no pages"));
    OutputFile file(path);
    if (Result<void> opened = file.open(); !opened)
        return opened;
    PaintFailure failure = PaintFailure::None;
    {
        QPdfWriter writer(&file.device());
        // The document's title is the report's heading in Cyrillic, its creator the program.
        writer.setTitle(documentTitle(report));
        writer.setCreator(QStringLiteral("Tarel"));
        writer.setResolution(1200);
        std::vector<int> pages(report.pages.size());
        std::iota(pages.begin(), pages.end(), 0);
        failure = paintPages(report, pages, writer);
    }
    if (failure != PaintFailure::None) {
        // A failed write shows as a writer that could not finish: its reason
        // ("No space left on device") says more.
        QString problem = file.writeFailure();
        if (problem.isEmpty())
            problem = failure == PaintFailure::Begin ? Text::tr("the PDF writer could not start")
                                                     : Text::tr("the PDF writer could not finish");
        file.cancel();
        return fileError(path, problem);
    }
    return file.commit();
}

QImage renderPageImage(const PreparedReport &report, int page, double dpi)
{
    if (page < 0 || page >= int(report.pages.size()) || !(dpi > 0) || dpi > 2400)
        return {};
    const PageRenderer renderer(report);
    const QSizeF size = renderer.pageSizePixels(page) * (dpi / 96.0);
    const double pixels = size.width() * size.height();
    if (!(pixels >= 1) || pixels > 400e6)
        return {};
    QImage image(std::max(1, int(std::lround(size.width()))), std::max(1, int(std::lround(size.height()))),
                 QImage::Format_RGB32);
    image.fill(Qt::white);
    const int dotsPerMeter = int(std::lround(dpi / 0.0254));
    image.setDotsPerMeterX(dotsPerMeter);
    image.setDotsPerMeterY(dotsPerMeter);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::TextAntialiasing, true);
    painter.scale(dpi / 96.0, dpi / 96.0);
    renderer.paintPage(page, painter);
    painter.end();
    return image;
}

Result<void> writePng(const PreparedReport &report, int page, double dpi, const QString &path)
{
    if (page < 0 || page >= int(report.pages.size()))
        return fileError(path, Text::tr("the report has no page %1").arg(page + 1));
    const QImage image = renderPageImage(report, page, dpi);
    if (image.isNull())
        return fileError(path, Text::tr("a page at %1 dpi is too large to draw").arg(dpi));
    OutputFile file(path);
    if (Result<void> opened = file.open(); !opened)
        return opened;
    if (!image.save(&file.device(), "PNG")) {
        const QString failure = file.writeFailure();
        file.cancel();
        return fileError(path, failure.isEmpty() ? Text::tr("the PNG could not be encoded") : failure);
    }
    return file.commit();
}

namespace {

// The left edges of the table's columns: those of the cells framed on all
// four sides (the table cells; header texts and the pieces of composite
// labels are not), without repeats.
std::vector<double> tableGrid(const OutputPage &page)
{
    std::vector<double> lefts;
    for (const OutputCell &cell : page.cells)
        if ((cell.frame & FrameAll) == FrameAll)
            lefts.push_back(cell.left);
    std::sort(lefts.begin(), lefts.end());
    std::vector<double> grid;
    for (double left : lefts)
        if (grid.empty() || left - grid.back() > 0.5)
            grid.push_back(left);
    return grid;
}

// The column a cell starting at that left edge falls in: the last column
// that starts at or before it (the first column for cells left of the table).
std::size_t columnOf(const std::vector<double> &grid, double left)
{
    const auto after = std::upper_bound(grid.begin(), grid.end(), left + 0.5);
    return after == grid.begin() ? 0 : std::size_t(after - grid.begin() - 1);
}

bool isTableCell(const OutputCell &cell) { return (cell.frame & FrameAll) == FrameAll; }

// A list of diagnosis codes ("A20-A21, A24+A28", "K52-K55 (bez K59.3)"): every
// run of letters is a code's letter followed by a digit, or "bez" (without),
// possibly run together with the code after it ("bezZ01.3").
bool isCodeList(const QString &text)
{
    bool code = false;
    qsizetype i = 0;
    while (i < text.size()) {
        if (!text[i].isLetter()) {
            ++i;
            continue;
        }
        qsizetype end = i;
        while (end < text.size() && text[end].isLetter())
            ++end;
        QStringView run = QStringView(text).mid(i, end - i);
        if (run.size() > 3 && (run.startsWith(u"bez", Qt::CaseInsensitive) || run.startsWith(u"без", Qt::CaseInsensitive)))
            run = run.mid(3);
        const bool followedByDigit = end < text.size() && text[end].isDigit();
        if (run.size() == 1 && followedByDigit)
            code = true;
        else if (run.compare(u"bez", Qt::CaseInsensitive) != 0 && run.compare(u"без", Qt::CaseInsensitive) != 0)
            return false;
        i = end;
    }
    return code;
}

// The text of one field: the lines of the cells that make it up, pieces on the
// same line joined with a blank. A list of codes is one line; any other text
// keeps its line breaks, inside its quoted field.
class Field {
public:
    // A cell that starts below the middle of the previous one of the field
    // (the second line of a label printed as a cell of its own) starts a new
    // line; pieces side by side continue the line.
    void add(const QString &text, const OutputCell &cell)
    {
        const bool below = m_previous && cell.top >= m_previous->top + std::max(0.5, m_previous->height / 2);
        m_previous = &cell;
        const QStringList lines = text.split(QLatin1Char('\n'));
        for (qsizetype i = 0; i < lines.size(); ++i) {
            if (i == 0 && !below && !m_lines.isEmpty())
                m_lines.back() += QLatin1Char(' ') + lines[i];
            else
                m_lines.push_back(lines[i]);
        }
    }
    QString text() const
    {
        QStringList lines;
        for (const QString &line : m_lines)
            if (const QString kept = line.simplified(); !kept.isEmpty())
                lines.push_back(kept);
        const QString joined = lines.join(QLatin1Char('\n'));
        return isCodeList(joined) ? lines.join(QLatin1Char(' ')) : joined;
    }

private:
    QStringList m_lines;
    const OutputCell *m_previous = nullptr;
};

} // namespace

QByteArray csvText(const PreparedReport &report)
{
    QString out;
    out.reserve(64 * 1024);
    bool firstPage = true;
    for (const OutputPage &page : report.pages) {
        if (!firstPage)
            out += QLatin1String("\r\n");
        firstPage = false;
        const std::vector<double> grid = tableGrid(page);
        // Cells in reading order: by top, then left.
        std::vector<const OutputCell *> cells;
        cells.reserve(page.cells.size());
        for (const OutputCell &cell : page.cells)
            cells.push_back(&cell);
        std::stable_sort(cells.begin(), cells.end(), [](const OutputCell *a, const OutputCell *b) {
            return a->top < b->top;
        });
        std::size_t start = 0;
        while (start < cells.size()) {
            // A line: the cells whose tops lie within half a cell height of the
            // first cell's top, so a taller header cell does not swallow the
            // next row.
            const double lineTop = cells[start]->top;
            double reach = std::max(0.5, cells[start]->height / 2);
            std::size_t end = start + 1;
            while (end < cells.size()) {
                const double limit = std::min(reach, std::max(0.5, cells[end]->height / 2));
                if (cells[end]->top - lineTop >= limit)
                    break;
                reach = std::min(reach, std::max(0.5, cells[end]->height / 2));
                ++end;
            }
            std::stable_sort(cells.begin() + std::ptrdiff_t(start), cells.begin() + std::ptrdiff_t(end),
                             [](const OutputCell *a, const OutputCell *b) { return a->left < b->left; });

            // A row of the table also takes the cells printed below its first
            // line inside its height (the second line of a label or a code,
            // as cells of their own, not framed all round): they belong to
            // the row, not to a row of their own.
            double rowBottom = std::numeric_limits<double>::infinity();
            for (std::size_t i = start; i < end; ++i)
                if (isTableCell(*cells[i]))
                    rowBottom = std::min(rowBottom, cells[i]->top + cells[i]->height);
            const bool tableRow = std::isfinite(rowBottom);
            const std::size_t mainEnd = end;
            if (tableRow) {
                std::size_t below = end;
                while (below < cells.size() && cells[below]->top < rowBottom - 0.5)
                    ++below;
                const auto inside = std::stable_partition(
                    cells.begin() + std::ptrdiff_t(end), cells.begin() + std::ptrdiff_t(below),
                    [rowBottom](const OutputCell *cell) {
                        return !isTableCell(*cell) && cell->top + cell->height <= rowBottom + 0.5;
                    });
                end = std::size_t(inside - cells.begin());
                auto byLeft = [](const OutputCell *a, const OutputCell *b) { return a->left < b->left; };
                auto byTop = [](const OutputCell *a, const OutputCell *b) { return a->top < b->top; };
                std::stable_sort(cells.begin() + std::ptrdiff_t(mainEnd), inside, byLeft);
                std::stable_sort(cells.begin() + std::ptrdiff_t(mainEnd), inside, byTop);
            }

            // Each text goes to the column of the table grid it starts in, so
            // a heading that spans columns, or a line that lacks its first
            // cells, stays above the counts it belongs to. In a table row the
            // texts that fall in one column are the pieces of one cell and
            // are joined; above the table (the header lines) every text is a
            // field of its own, moved right when its column is taken.
            std::vector<Field> fields;
            std::optional<std::size_t> lastColumn;
            for (std::size_t i = start; i < end; ++i) {
                const OutputCell &cell = *cells[i];
                std::size_t column = grid.empty() ? fields.size() : columnOf(grid, cell.left);
                const QString text = readableText(cell.font, cell.text);
                if (text.trimmed().isEmpty()) {
                    // An empty cell of the line still keeps its column.
                    if (i < mainEnd)
                        fields.resize(std::max(fields.size(), column + 1));
                    continue;
                }
                if (!tableRow && lastColumn && column <= *lastColumn)
                    column = *lastColumn + 1;
                if (fields.size() <= column)
                    fields.resize(column + 1);
                fields[column].add(text, cell);
                lastColumn = column;
            }
            QString row;
            for (std::size_t i = 0; i < fields.size(); ++i) {
                if (i > 0)
                    row += QLatin1Char(',');
                appendCsvField(row, fields[i].text());
            }
            out += row;
            out += QLatin1String("\r\n");
            start = end;
        }
    }
    return QByteArray("\xEF\xBB\xBF") + out.toUtf8();
}

Result<void> writeCsv(const PreparedReport &report, const QString &path)
{
    // A report without pages is refused as for PDF, not written as an empty table.
    if (report.pages.empty())
        return fileError(path, Text::tr("the report has no pages"));
    return writeOutputFile(path, csvText(report));
}

} // namespace tarel::report
