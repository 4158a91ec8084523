#include "previewmodel.h"

#include <QFileInfo>
#include <QRegularExpression>

#include <algorithm>
#include <cmath>
#include <set>

namespace tarel::report {

double fitZoom(ZoomMode mode, QSizeF pageSize, QSize viewport, double factor)
{
    if (mode == ZoomMode::Factor)
        return std::clamp(factor, kMinZoom, kMaxZoom);
    if (pageSize.width() <= 0 || pageSize.height() <= 0)
        return 1;
    const double width = viewport.width();
    const double height = viewport.height();
    double zoom = 1;
    switch (mode) {
    case ZoomMode::Factor: break;
    case ZoomMode::PageWidth: zoom = (width - 2 * kPageGap) / pageSize.width(); break;
    case ZoomMode::WholePage:
        zoom = std::min((width - 2 * kPageGap) / pageSize.width(),
                        (height - 2 * kPageGap) / pageSize.height());
        break;
    case ZoomMode::TwoPages:
        zoom = std::min((width - 3 * kPageGap) / (2 * pageSize.width()),
                        (height - 2 * kPageGap) / pageSize.height());
        break;
    }
    // A tiny window still shows something.
    return std::max(zoom, 0.01);
}

PageLayout layoutPages(const std::vector<QSizeF> &pageSizes, double zoom, bool twoPerRow)
{
    PageLayout layout;
    const std::size_t perRow = twoPerRow ? 2 : 1;
    layout.pages.resize(pageSizes.size());
    double widest = 0;
    for (std::size_t first = 0; first < pageSizes.size(); first += perRow) {
        double rowWidth = 0;
        for (std::size_t i = first; i < std::min(first + perRow, pageSizes.size()); ++i)
            rowWidth += pageSizes[i].width() * zoom + (i > first ? kPageGap : 0);
        widest = std::max(widest, rowWidth);
    }
    double y = kPageGap;
    for (std::size_t first = 0; first < pageSizes.size(); first += perRow) {
        const std::size_t end = std::min(first + perRow, pageSizes.size());
        double rowWidth = 0;
        double rowHeight = 0;
        for (std::size_t i = first; i < end; ++i) {
            rowWidth += pageSizes[i].width() * zoom + (i > first ? kPageGap : 0);
            rowHeight = std::max(rowHeight, pageSizes[i].height() * zoom);
        }
        double x = kPageGap + (widest - rowWidth) / 2;
        for (std::size_t i = first; i < end; ++i) {
            const QSizeF size = pageSizes[i] * zoom;
            layout.pages[i] = QRectF(QPointF(x, y), size);
            x += size.width() + kPageGap;
        }
        y += rowHeight + kPageGap;
    }
    if (!pageSizes.empty())
        layout.content = QSizeF(widest + 2 * kPageGap, y);
    return layout;
}

int mostVisiblePage(const PageLayout &layout, const QRectF &visible)
{
    int best = layout.pages.empty() ? -1 : 0;
    double bestArea = 0;
    for (std::size_t i = 0; i < layout.pages.size(); ++i) {
        const QRectF shown = layout.pages[i].intersected(visible);
        const double area = shown.isEmpty() ? 0 : shown.width() * shown.height();
        if (area > bestArea + 1e-6) {
            bestArea = area;
            best = int(i);
        }
    }
    return best;
}

namespace {
const char *const kPageWidthItem = QT_TRANSLATE_NOOP("PreviewModel", "Page width");
const char *const kWholePageItem = QT_TRANSLATE_NOOP("PreviewModel", "Whole page");
} // namespace

QStringList zoomBoxItems()
{
    return {QStringLiteral("25%"), QStringLiteral("50%"), QStringLiteral("75%"),
            QStringLiteral("100%"), QStringLiteral("150%"), QStringLiteral("200%"),
            fitZoomText(ZoomMode::PageWidth), fitZoomText(ZoomMode::WholePage)};
}

QString fitZoomText(ZoomMode mode)
{
    switch (mode) {
    case ZoomMode::PageWidth: return PreviewModel::tr(kPageWidthItem);
    case ZoomMode::WholePage: return PreviewModel::tr(kWholePageItem);
    case ZoomMode::Factor:
    case ZoomMode::TwoPages: break;
    }
    return {};
}

QString zoomText(double factor)
{
    return QString::number(std::lround(factor * 100)) + QLatin1Char('%');
}

std::optional<ZoomChoice> parseZoomText(const QString &text)
{
    const QString trimmed = text.trimmed();
    for (ZoomMode mode : {ZoomMode::PageWidth, ZoomMode::WholePage}) {
        const char *english = mode == ZoomMode::PageWidth ? kPageWidthItem : kWholePageItem;
        if (trimmed.compare(fitZoomText(mode), Qt::CaseInsensitive) == 0
            || trimmed.compare(QLatin1String(english), Qt::CaseInsensitive) == 0)
            return ZoomChoice{mode, 1};
    }
    static const QRegularExpression percent(QStringLiteral("^(\\d{1,4}(?:[.,]\\d+)?)\\s*%?$"));
    const QRegularExpressionMatch match = percent.match(trimmed);
    if (!match.hasMatch())
        return std::nullopt;
    QString number = match.captured(1);
    number.replace(QLatin1Char(','), QLatin1Char('.'));
    const double value = number.toDouble();
    if (value <= 0)
        return std::nullopt;
    return ZoomChoice{ZoomMode::Factor, std::clamp(value / 100, kMinZoom, kMaxZoom)};
}

void PreviewModel::setPageCount(int count)
{
    m_pageCount = std::max(0, count);
    m_currentPage = std::clamp(m_currentPage, 0, std::max(0, m_pageCount - 1));
}

bool PreviewModel::setCurrentPage(int page)
{
    const int clamped = std::clamp(page, 0, std::max(0, m_pageCount - 1));
    if (clamped == m_currentPage)
        return false;
    m_currentPage = clamped;
    return true;
}

void PreviewModel::setZoom(ZoomMode mode, double factor)
{
    m_zoomMode = mode;
    m_zoom = factor;
}

QString PreviewModel::statusText() const
{
    return tr("Page %1 of %2").arg(m_pageCount ? m_currentPage + 1 : 0).arg(m_pageCount);
}

const std::vector<PaperSize> &paperSizes()
{
    static const std::vector<PaperSize> sizes = {
        {8, "A3", 297, 420},       {9, "A4", 210, 297},        {11, "A5", 148, 210},
        {13, "B5", 182, 257},      {1, "Letter", 215.9, 279.4}, {5, "Legal", 215.9, 355.6},
    };
    return sizes;
}

namespace {
bool near(double a, double b) { return std::abs(a - b) < 0.5; }
} // namespace

std::optional<PaperSize> paperSizeOf(const OutputPage &page)
{
    const double shorter = std::min(page.paperWidth, page.paperHeight);
    const double longer = std::max(page.paperWidth, page.paperHeight);
    for (const PaperSize &size : paperSizes())
        if (near(size.width, shorter) && near(size.height, longer))
            return size;
    return std::nullopt;
}

PageSettings pageSettingsOf(const OutputPage &page)
{
    PageSettings settings;
    settings.paperSize = page.paperSize;
    settings.landscape = page.landscape;
    settings.paperWidth = page.landscape ? page.paperHeight : page.paperWidth;
    settings.paperHeight = page.landscape ? page.paperWidth : page.paperHeight;
    settings.leftMargin = page.leftMargin;
    settings.rightMargin = page.rightMargin;
    settings.topMargin = page.topMargin;
    settings.bottomMargin = page.bottomMargin;
    return settings;
}

namespace {
// Margins never take more than the paper: each pair keeps a printable strip.
void limitMargins(double paper, double &first, double &second)
{
    first = std::max(0.0, first);
    second = std::max(0.0, second);
    const double room = std::max(0.0, paper - 1);
    if (first + second > room) {
        const double scale = room / (first + second);
        first *= scale;
        second *= scale;
    }
}

void apply(OutputPage &page, const PageSettings &settings)
{
    page.paperSize = settings.paperSize;
    page.landscape = settings.landscape;
    const double width = std::max(1.0, settings.paperWidth);
    const double height = std::max(1.0, settings.paperHeight);
    page.paperWidth = settings.landscape ? height : width;
    page.paperHeight = settings.landscape ? width : height;
    page.leftMargin = settings.leftMargin;
    page.rightMargin = settings.rightMargin;
    page.topMargin = settings.topMargin;
    page.bottomMargin = settings.bottomMargin;
    limitMargins(page.paperWidth, page.leftMargin, page.rightMargin);
    limitMargins(page.paperHeight, page.topMargin, page.bottomMargin);
}
} // namespace

void applyPageSettings(PreparedReport &report, int currentPage, const PageSettings &settings,
                       bool allPages)
{
    if (allPages) {
        for (OutputPage &page : report.pages)
            apply(page, settings);
    } else if (currentPage >= 0 && currentPage < int(report.pages.size())) {
        apply(report.pages[std::size_t(currentPage)], settings);
    }
}

int insertEmptyPage(PreparedReport &report, int at)
{
    const int count = int(report.pages.size());
    at = std::clamp(at, 0, count);
    OutputPage page;
    if (count > 0) {
        page = report.pages[std::size_t(std::min(at, count - 1))];
        page.cells.clear();
    }
    report.pages.insert(report.pages.begin() + at, std::move(page));
    return at;
}

bool deletePage(PreparedReport &report, int page)
{
    if (page < 0 || page >= int(report.pages.size()))
        return false;
    report.pages.erase(report.pages.begin() + page);
    return true;
}

QString withPreparedExtension(const QString &path)
{
    const QFileInfo info(path);
    const QString suffix = info.suffix();
    QString base = path;
    if (!suffix.isEmpty() && !info.completeBaseName().isEmpty())
        base.chop(suffix.size() + 1);
    else if (path.endsWith(QLatin1Char('.')))
        base.chop(1);
    return base + QStringLiteral(".fp3");
}

QString withDefaultSuffix(const QString &path, const QString &suffix)
{
    const QFileInfo info(path);
    if (!info.suffix().isEmpty() && !info.completeBaseName().isEmpty())
        return path;
    return path + QLatin1Char('.') + suffix;
}

QString fileNameOfWords(const QString &words)
{
    QString name = words.simplified();
    for (QChar &c : name)
        if (c.category() == QChar::Other_Control || QStringView(u"/\\:*?\"<>|").contains(c))
            c = u'-';
    return name;
}

std::vector<int> pagesToPrint(const PrintChoice &choice, int currentPage, int pageCount)
{
    std::vector<int> pages;
    switch (choice.range) {
    case PrintChoice::All:
        for (int i = 0; i < pageCount; ++i)
            pages.push_back(i);
        break;
    case PrintChoice::Current:
        if (currentPage >= 0 && currentPage < pageCount)
            pages.push_back(currentPage);
        break;
    case PrintChoice::Ranges: {
        std::set<int> seen;
        for (auto [from, to] : choice.ranges) {
            if (from > to)
                std::swap(from, to);
            for (int number = std::max(1, from); number <= std::min(to, pageCount); ++number)
                if (seen.insert(number).second)
                    pages.push_back(number - 1);
        }
        break;
    }
    }
    if (choice.reverse)
        std::reverse(pages.begin(), pages.end());
    return pages;
}

std::optional<std::vector<std::pair<int, int>>> pageRangesTyped(QStringView text, int pageCount)
{
    // A page number: digits only, from 1.
    auto number = [](QStringView digits) -> std::optional<int> {
        bool ok = false;
        const int value = digits.trimmed().toInt(&ok);
        return ok && value >= 1 && !digits.trimmed().startsWith(u'+') ? std::optional<int>(value) : std::nullopt;
    };
    std::vector<std::pair<int, int>> ranges;
    for (QStringView part : text.split(u',')) {
        part = part.trimmed();
        if (part.isEmpty())
            continue;
        const qsizetype dash = part.indexOf(u'-');
        if (dash < 0) {
            const std::optional<int> page = number(part);
            if (!page)
                return std::nullopt;
            ranges.emplace_back(*page, *page);
            continue;
        }
        const QStringView before = part.left(dash).trimmed();
        const QStringView after = part.mid(dash + 1).trimmed();
        if (before.isEmpty() && after.isEmpty())
            return std::nullopt;
        const std::optional<int> first = before.isEmpty() ? std::optional<int>(1) : number(before);
        const std::optional<int> last = after.isEmpty() ? std::optional<int>(std::max(*first, pageCount)) : number(after);
        if (!first || !last)
            return std::nullopt;
        ranges.emplace_back(std::min(*first, *last), std::max(*first, *last));
    }
    if (ranges.empty())
        return std::nullopt;
    std::sort(ranges.begin(), ranges.end());
    std::vector<std::pair<int, int>> merged{ranges.front()};
    for (const auto &[from, to] : ranges) {
        if (from <= merged.back().second + 1)
            merged.back().second = std::max(merged.back().second, to);
        else
            merged.emplace_back(from, to);
    }
    return merged;
}

QString pageRangesText(const std::vector<std::pair<int, int>> &ranges)
{
    QStringList parts;
    for (const auto &[from, to] : ranges)
        parts << (from == to ? QString::number(from) : QStringLiteral("%1-%2").arg(from).arg(to));
    return parts.join(u',');
}

} // namespace tarel::report
