#include "renderer.h"

#include "macc.h"

#include <QFontMetricsF>
#include <QHash>
#include <QLineF>
#include <QMutex>
#include <QPageLayout>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QPen>

#include <algorithm>
#include <cmath>
#include <memory>
#include <vector>

namespace tarel::report {

namespace {

constexpr double kHorizontalGap = 2; // between frame and text, each side
constexpr double kVerticalGap = 1;
constexpr double kLineSpacing = 2;   // extra space between lines
constexpr double kEpsilon = 0.01;
constexpr double kSmallestScale = 0.05;
// A one-line text too wide for its cell (a six-digit total in a count
// column) keeps its font's height and is drawn condensed, down to this
// width, rather than in a smaller font; and it keeps this much more room
// from each side of the frame than a text that fits, so its digits stay
// clear of the rules.
constexpr double kNarrowestStretch = 0.6;
constexpr double kCondensedGap = 1.5;

// A drawing font and its metrics, made once per resolved font.
struct FontEntry {
    QFont font;
    QFontMetricsF metrics;
    double scale = 1; // font height / pixel size, for fractional heights
};

const FontEntry &fontEntry(const Font &font)
{
    static QMutex mutex;
    static QHash<QString, std::shared_ptr<const FontEntry>> entries;
    const QString key = font.name.toLower() + QLatin1Char('|') + QString::number(font.height, 'g', 17)
        + (font.bold ? QLatin1String("|b") : QLatin1String("|r"));
    QMutexLocker lock(&mutex);
    if (auto it = entries.constFind(key); it != entries.constEnd())
        return **it;
    QFont qfont = displayFont(font);
    const double pixelSize = qfont.pixelSize();
    auto entry = std::make_shared<const FontEntry>(FontEntry{
        qfont, QFontMetricsF(qfont), font.height > 0 ? font.height / pixelSize : 1});
    entries.insert(key, entry);
    return *entry;
}

struct Line {
    QString text;
    double width = 0;
};

// Word wrap at maxWidth (font units). Words are never split: a word wider than
// the cell makes the text shrink instead, so numbers are never broken.
void wrap(const QString &text, const QFontMetricsF &fm, double maxWidth, std::vector<Line> &lines)
{
    lines.clear();
    const QList<QStringView> paragraphs = QStringView(text).split(QLatin1Char('\n'));
    for (QStringView paragraph : paragraphs) {
        if (paragraph.endsWith(QLatin1Char('\r')))
            paragraph.chop(1);
        const double whole = fm.horizontalAdvance(paragraph.toString());
        if (whole <= maxWidth + kEpsilon) {
            lines.push_back({paragraph.toString(), whole});
            continue;
        }
        QString current;
        double currentWidth = 0;
        qsizetype pos = 0;
        const qsizetype length = paragraph.size();
        while (pos < length) {
            // The next word with the blanks before it.
            qsizetype end = pos;
            while (end < length && paragraph[end] == QLatin1Char(' '))
                ++end;
            while (end < length && paragraph[end] != QLatin1Char(' '))
                ++end;
            const QStringView piece = paragraph.mid(pos, end - pos);
            if (current.isEmpty()) {
                current = piece.trimmed().toString();
                currentWidth = fm.horizontalAdvance(current);
            } else {
                // Widths add up (kerning is off), which keeps long texts linear.
                const double candidateWidth = currentWidth + fm.horizontalAdvance(piece.toString());
                if (candidateWidth <= maxWidth + kEpsilon) {
                    current += piece;
                    currentWidth = candidateWidth;
                } else {
                    lines.push_back({current, currentWidth});
                    current = piece.trimmed().toString();
                    currentWidth = fm.horizontalAdvance(current);
                }
            }
            pos = end;
        }
        lines.push_back({current, currentWidth});
    }
}

double widest(const std::vector<Line> &lines)
{
    double w = 0;
    for (const Line &line : lines)
        w = std::max(w, line.width);
    return w;
}

// How a text sits in its cell.
struct TextLayout {
    std::vector<Line> lines;
    double scale = 1;   // shrink factor of the font
    double stretch = 1; // width factor of a condensed line
    double spacing = kLineSpacing;
    double gap = kVerticalGap;
};

// Lays the text out at its font if it fits; else reduces the line spacing,
// then the vertical gap, then the font size, just enough to fit the cell. A
// single line that is only too wide is condensed instead, at its font's
// height, just enough to fit with room to the frame.
void layoutText(const OutputCell &cell, const FontEntry &entry, const QString &text,
                TextLayout &layout)
{
    const QFontMetricsF &fm = entry.metrics;
    const double lineHeight = fm.height();
    const double innerWidth = std::max(0.0, cell.width - 2 * kHorizontalGap) / entry.scale;
    const double cellHeight = std::max(0.0, cell.height) / entry.scale;

    layout.scale = 1;
    layout.stretch = 1;
    wrap(text, fm, innerWidth, layout.lines);
    const double n = double(layout.lines.size());
    if (n == 1 && widest(layout.lines) > innerWidth + kEpsilon && lineHeight <= cellHeight + kEpsilon) {
        const double stretch = (innerWidth - 2 * kCondensedGap / entry.scale) / widest(layout.lines);
        if (stretch >= kNarrowestStretch) {
            layout.stretch = stretch;
            layout.spacing = 0;
            layout.gap = std::min(kVerticalGap, (cellHeight - lineHeight) / 2);
            return;
        }
    }
    if (widest(layout.lines) <= innerWidth + kEpsilon) {
        const double available = cellHeight - 2 * kVerticalGap;
        if (n * lineHeight + (n - 1) * kLineSpacing <= available + kEpsilon) {
            layout.spacing = kLineSpacing;
            layout.gap = kVerticalGap;
            return;
        }
        if (n * lineHeight <= available + kEpsilon) {
            layout.spacing = n > 1 ? (available - n * lineHeight) / (n - 1) : 0;
            layout.gap = kVerticalGap;
            return;
        }
        if (n * lineHeight <= cellHeight + kEpsilon) {
            layout.spacing = 0;
            layout.gap = std::max(0.0, (cellHeight - n * lineHeight) / 2);
            return;
        }
    }
    // Shrink the font: the largest scale at which the rewrapped text fits.
    layout.spacing = 0;
    layout.gap = 0;
    std::vector<Line> trial;
    auto fits = [&](double scale) {
        wrap(text, fm, innerWidth / scale, trial);
        const double lines = double(trial.size());
        return widest(trial) <= innerWidth / scale + kEpsilon
            && lines * lineHeight <= cellHeight / scale + kEpsilon;
    };
    double low = kSmallestScale;
    double high = 1;
    for (int i = 0; i < 16; ++i) {
        const double mid = (low + high) / 2;
        if (fits(mid))
            low = mid;
        else
            high = mid;
    }
    layout.scale = low;
    wrap(text, fm, innerWidth / low, layout.lines);
}

void drawText(const OutputCell &cell, QPainter &painter, TextLayout &layout)
{
    if (cell.text.isEmpty())
        return;
    const FontEntry &entry = fontEntry(cell.font);
    const QString text = displayText(cell.font, cell.text);
    if (text.trimmed().isEmpty())
        return;
    layoutText(cell, entry, text, layout);

    // Work in font units: the cell scaled by the font's own and the shrink
    // scale, its width also by the stretch of a condensed line.
    const double scale = entry.scale * layout.scale;
    const double innerWidth = std::max(0.0, cell.width - 2 * kHorizontalGap) / scale / layout.stretch;
    const double cellHeight = std::max(0.0, cell.height) / scale;
    const QFontMetricsF &fm = entry.metrics;
    const double lineHeight = fm.height();
    const double n = double(layout.lines.size());
    const double textHeight = n * lineHeight + (n - 1) * layout.spacing;
    const double gap = layout.gap / (layout.scale);

    double y = gap;
    switch (cell.vAlign) {
    case VAlign::Top: y = gap; break;
    case VAlign::Center: y = (cellHeight - textHeight) / 2; break;
    case VAlign::Bottom: y = cellHeight - gap - textHeight; break;
    }

    const bool scaled = std::abs(scale - 1) > 1e-9 || layout.stretch != 1;
    painter.save();
    painter.translate(cell.left + kHorizontalGap, cell.top);
    if (scaled)
        painter.scale(scale * layout.stretch, scale);
    painter.setFont(entry.font);
    for (const Line &line : layout.lines) {
        // Only a text too long to fit even at the smallest scale reaches here;
        // it is not drawn over the cells below.
        if (y > cellHeight)
            break;
        double x = 0;
        switch (cell.hAlign) {
        case HAlign::Left: x = 0; break;
        case HAlign::Center: x = (innerWidth - line.width) / 2; break;
        case HAlign::Right: x = innerWidth - line.width; break;
        }
        if (!line.text.isEmpty())
            painter.drawText(QPointF(x, y + fm.ascent()), line.text);
        y += lineHeight + layout.spacing;
    }
    painter.restore();
}

void addFrame(const OutputCell &cell, std::vector<QLineF> &lines)
{
    const double l = cell.left, t = cell.top, r = cell.left + cell.width, b = cell.top + cell.height;
    if (cell.frame & FrameLeft)
        lines.emplace_back(l, t, l, b);
    if (cell.frame & FrameRight)
        lines.emplace_back(r, t, r, b);
    if (cell.frame & FrameTop)
        lines.emplace_back(l, t, r, t);
    if (cell.frame & FrameBottom)
        lines.emplace_back(l, b, r, b);
}

// Joins frame lines that continue one another: neighbouring cells share their
// edges, and a table's rules become one line each instead of one per cell,
// which keeps PDF output small and fast.
void mergeLines(std::vector<QLineF> &lines)
{
    constexpr double tolerance = 1e-3;
    std::vector<QLineF> horizontal, vertical, other;
    for (const QLineF &line : lines) {
        if (std::abs(line.y1() - line.y2()) < 1e-9)
            horizontal.emplace_back(std::min(line.x1(), line.x2()), line.y1(),
                                    std::max(line.x1(), line.x2()), line.y1());
        else if (std::abs(line.x1() - line.x2()) < 1e-9)
            vertical.emplace_back(line.x1(), std::min(line.y1(), line.y2()), line.x1(),
                                  std::max(line.y1(), line.y2()));
        else
            other.push_back(line);
    }
    lines.clear();
    // Horizontal lines along x, vertical ones along y: the same merge with the
    // axes swapped.
    auto merge = [&](std::vector<QLineF> &segments, bool isHorizontal) {
        auto across = [&](const QLineF &l) { return isHorizontal ? l.y1() : l.x1(); };
        auto from = [&](const QLineF &l) { return isHorizontal ? l.x1() : l.y1(); };
        auto to = [&](const QLineF &l) { return isHorizontal ? l.x2() : l.y2(); };
        // Lines on the same rule: positions equal to a thousandth of a pixel.
        auto rule = [&](const QLineF &l) { return std::llround(across(l) * 1000); };
        std::sort(segments.begin(), segments.end(), [&](const QLineF &a, const QLineF &b) {
            const auto ra = rule(a), rb = rule(b);
            return ra != rb ? ra < rb : from(a) < from(b);
        });
        std::size_t i = 0;
        while (i < segments.size()) {
            const auto key = rule(segments[i]);
            const double position = across(segments[i]);
            const double start = from(segments[i]);
            double end = to(segments[i]);
            std::size_t j = i + 1;
            while (j < segments.size() && rule(segments[j]) == key
                   && from(segments[j]) <= end + tolerance) {
                end = std::max(end, to(segments[j]));
                ++j;
            }
            if (isHorizontal)
                lines.emplace_back(start, position, end, position);
            else
                lines.emplace_back(position, start, position, end);
            i = j;
        }
    };
    merge(horizontal, true);
    merge(vertical, false);
    lines.insert(lines.end(), other.begin(), other.end());
}

QPen framePen()
{
    QPen pen(Qt::black, 1, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin);
    return pen;
}

} // namespace

struct PageRenderer::Cache {
    TextLayout layout;
    std::vector<QLineF> frameLines;
};

PageRenderer::PageRenderer(const PreparedReport &report)
    : m_report(report), m_cache(std::make_unique<Cache>())
{
}

PageRenderer::~PageRenderer() = default;

int PageRenderer::pageCount() const { return int(m_report.pages.size()); }

QSizeF PageRenderer::pageSizePixels(int page) const
{
    if (page < 0 || page >= pageCount())
        return {};
    const OutputPage &p = m_report.pages[std::size_t(page)];
    return {mm(p.paperWidth), mm(p.paperHeight)};
}

void PageRenderer::paintPage(int page, QPainter &painter, const std::optional<QRectF> &shown) const
{
    if (page < 0 || page >= pageCount())
        return;
    const OutputPage &p = m_report.pages[std::size_t(page)];
    const QPointF origin(mm(p.leftMargin), mm(p.topMargin));
    // A cell's frame line is drawn a pixel around its edges.
    auto inView = [&](const OutputCell &cell) {
        return !shown
            || QRectF(cell.left, cell.top, cell.width, cell.height).translated(origin).adjusted(-2, -2, 2, 2).intersects(*shown);
    };
    painter.save();
    painter.translate(origin);
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(Qt::black));
    for (const OutputCell &cell : p.cells)
        if (inView(cell))
            drawText(cell, painter, m_cache->layout);
    auto &lines = m_cache->frameLines;
    lines.clear();
    for (const OutputCell &cell : p.cells)
        if (inView(cell))
            addFrame(cell, lines);
    mergeLines(lines);
    painter.setPen(framePen());
    if (!lines.empty())
        painter.drawLines(lines.data(), int(lines.size()));
    painter.restore();
}

QPageLayout pageLayoutOf(const OutputPage &page)
{
    const double width = std::clamp(page.paperWidth, 1.0, 10000.0);
    const double height = std::clamp(page.paperHeight, 1.0, 10000.0);
    const QSizeF upright(std::min(width, height), std::max(width, height));
    QPageSize size(upright, QPageSize::Millimeter, QString(), QPageSize::ExactMatch);
    const QPageSize standard(upright, QPageSize::Millimeter, QString(), QPageSize::FuzzyMatch);
    const QSizeF standardSize = standard.size(QPageSize::Millimeter);
    if (standard.id() != QPageSize::Custom && std::abs(standardSize.width() - upright.width()) < 0.5
        && std::abs(standardSize.height() - upright.height()) < 0.5)
        size = QPageSize(standard.id());
    QPageLayout layout(size, page.landscape ? QPageLayout::Landscape : QPageLayout::Portrait,
                       QMarginsF(0, 0, 0, 0), QPageLayout::Millimeter);
    layout.setMode(QPageLayout::FullPageMode);
    return layout;
}

void applyPageLayout(QPagedPaintDevice &device, const QPageLayout &layout)
{
    // A printer checks a whole layout against its printable area and refuses
    // one without margins when that area is smaller than the paper; the
    // paper, orientation and margins set one by one it takes.
    if (device.setPageLayout(layout))
        return;
    device.setPageSize(layout.pageSize());
    device.setPageOrientation(layout.orientation());
    device.setPageMargins(layout.margins(), layout.units());
}

PaintFailure paintPages(const PreparedReport &report, const std::vector<int> &pages, QPagedPaintDevice &device)
{
    const PageRenderer renderer(report);
    QPainter painter;
    bool begun = false;
    for (int page : pages) {
        if (page < 0 || page >= renderer.pageCount())
            continue;
        applyPageLayout(device, pageLayoutOf(report.pages[std::size_t(page)]));
        if (!begun) {
            if (!painter.begin(&device))
                return PaintFailure::Begin;
            begun = true;
        } else if (!device.newPage()) {
            painter.end();
            return PaintFailure::NewPage;
        }
        painter.save();
        const double scale = device.logicalDpiX() / 96.0;
        painter.scale(scale, scale);
        renderer.paintPage(page, painter);
        painter.restore();
    }
    if (begun && !painter.end())
        return PaintFailure::End;
    return PaintFailure::None;
}

} // namespace tarel::report
