#include "pageview.h"

#include <QContextMenuEvent>

#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>

#include <algorithm>
#include <cmath>

namespace tarel::report {

namespace {
const QColor kBackground(128, 128, 128);
const QColor kShadow(64, 64, 64);
const QColor kHighlightFill(255, 190, 0, 90);
const QColor kHighlightLine(230, 120, 0);
constexpr int kShadowOffset = 3;
// Memory for page pictures; a page too large for half of it is drawn
// directly, cell by cell, only where it shows.
constexpr qint64 kPictureBudget = 96LL * 1024 * 1024;
} // namespace

PageView::PageView(const PreparedReport &report, QWidget *parent)
    : QAbstractScrollArea(parent), m_report(report),
      m_renderer(std::make_unique<PageRenderer>(report))
{
    setObjectName(QStringLiteral("pageView"));
    setFrameShape(QFrame::NoFrame);
    // Always shown, so that fitting the page width does not make the
    // scroll bar come and go.
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    viewport()->setAutoFillBackground(false);
    viewport()->setCursor(Qt::OpenHandCursor);
    setFocusPolicy(Qt::StrongFocus);
    relayout();
}

PageView::~PageView() = default;

std::vector<QSizeF> PageView::pageSizes() const
{
    std::vector<QSizeF> sizes;
    sizes.reserve(std::size_t(m_renderer->pageCount()));
    for (int i = 0; i < m_renderer->pageCount(); ++i)
        sizes.push_back(m_renderer->pageSizePixels(i));
    return sizes;
}

void PageView::relayout()
{
    m_layout = layoutPages(pageSizes(), m_zoom, m_twoPerRow);
    updateScrollBars();
    viewport()->update();
}

void PageView::updateScrollBars()
{
    const QSize view = viewport()->size();
    m_scrolling = true;
    horizontalScrollBar()->setRange(0, std::max(0, int(std::ceil(m_layout.content.width())) - view.width()));
    horizontalScrollBar()->setPageStep(view.width());
    horizontalScrollBar()->setSingleStep(20);
    verticalScrollBar()->setRange(0, std::max(0, int(std::ceil(m_layout.content.height())) - view.height()));
    verticalScrollBar()->setPageStep(view.height());
    verticalScrollBar()->setSingleStep(20);
    m_scrolling = false;
}

QPointF PageView::contentOrigin() const
{
    const double spare = viewport()->width() - m_layout.content.width();
    return {spare > 0 ? spare / 2 : -double(horizontalScrollBar()->value()),
            -double(verticalScrollBar()->value())};
}

void PageView::scrollTo(QPointF contentTopLeft)
{
    m_scrolling = true;
    horizontalScrollBar()->setValue(int(std::lround(contentTopLeft.x())));
    verticalScrollBar()->setValue(int(std::lround(contentTopLeft.y())));
    m_scrolling = false;
    viewport()->update();
}

void PageView::setZoom(double zoom, bool twoPerRow, std::optional<QPoint> anchor)
{
    // Remember which spot of which page is under the anchor, in template pixels.
    int page = m_currentPage;
    QPointF onPage;
    QPointF at;
    bool anchored = false;
    if (anchor) {
        const QPointF content = QPointF(*anchor) - contentOrigin();
        for (std::size_t i = 0; i < m_layout.pages.size(); ++i) {
            if (m_layout.pages[i].contains(content)) {
                page = int(i);
                onPage = (content - m_layout.pages[i].topLeft()) / m_zoom;
                at = QPointF(*anchor);
                anchored = true;
                break;
            }
        }
    }
    if (zoom != m_zoom)
        dropPictures();
    m_zoom = zoom;
    m_twoPerRow = twoPerRow;
    relayout();
    if (anchored && page < int(m_layout.pages.size())) {
        const QPointF spot = m_layout.pages[std::size_t(page)].topLeft() + onPage * m_zoom;
        scrollTo(spot - at);
    } else {
        showPage(m_currentPage);
    }
}

void PageView::pagesChanged(bool appended)
{
    if (!appended)
        dropPictures();
    m_layout = layoutPages(pageSizes(), m_zoom, m_twoPerRow);
    m_currentPage = std::clamp(m_currentPage, 0, std::max(0, int(m_layout.pages.size()) - 1));
    if (m_highlight && (m_highlight->page >= int(m_report.pages.size())
                        || m_highlight->cell >= int(m_report.pages[std::size_t(m_highlight->page)].cells.size())))
        m_highlight.reset();
    updateScrollBars();
    viewport()->update();
}

void PageView::showPage(int page)
{
    if (m_layout.pages.empty())
        return;
    page = std::clamp(page, 0, int(m_layout.pages.size()) - 1);
    m_currentPage = page;
    const QRectF rect = m_layout.pages[std::size_t(page)];
    scrollTo({double(horizontalScrollBar()->value()), rect.top() - kPageGap});
}

void PageView::setTool(PointerTool tool)
{
    m_tool = tool;
    m_dragFrom.reset();
    viewport()->setCursor(tool == PointerTool::Drag ? Qt::OpenHandCursor : Qt::CrossCursor);
}

QRectF PageView::cellRect(CellPosition cell) const
{
    if (cell.page < 0 || cell.page >= int(m_report.pages.size())
        || cell.page >= int(m_layout.pages.size()))
        return {};
    const OutputPage &page = m_report.pages[std::size_t(cell.page)];
    if (cell.cell < 0 || cell.cell >= int(page.cells.size()))
        return {};
    const OutputCell &c = page.cells[std::size_t(cell.cell)];
    const QRectF onPage(mm(page.leftMargin) + c.left, mm(page.topMargin) + c.top, c.width, c.height);
    const QPointF origin = m_layout.pages[std::size_t(cell.page)].topLeft();
    return {origin + onPage.topLeft() * m_zoom, onPage.size() * m_zoom};
}

void PageView::setHighlight(std::optional<CellPosition> cell)
{
    m_highlight = cell;
    if (cell) {
        const QRectF rect = cellRect(*cell);
        if (!rect.isNull()) {
            m_currentPage = cell->page;
            const QSizeF view = viewport()->size();
            const QPointF scroll(horizontalScrollBar()->value(), verticalScrollBar()->value());
            const QRectF visible(scroll, view);
            if (!visible.contains(rect)) {
                // Centre the cell, as far as the scroll bars allow.
                scrollTo(rect.center() - QPointF(view.width() / 2, view.height() / 2));
            }
        }
    }
    viewport()->update();
}

void PageView::paintEvent(QPaintEvent *)
{
    QPainter painter(viewport());
    painter.fillRect(viewport()->rect(), kBackground);
    const QPointF origin = contentOrigin();
    const QRectF view(viewport()->rect());
    painter.setRenderHint(QPainter::TextAntialiasing);
    for (std::size_t i = 0; i < m_layout.pages.size(); ++i) {
        const QRectF page = m_layout.pages[i].translated(origin);
        if (!page.adjusted(0, 0, kShadowOffset, kShadowOffset).intersects(view))
            continue;
        painter.fillRect(page.translated(kShadowOffset, kShadowOffset), kShadow);
        paintPage(painter, int(i), page, view);
    }
    if (m_highlight) {
        const QRectF rect = cellRect(*m_highlight).translated(origin);
        if (!rect.isNull()) {
            painter.setPen(QPen(kHighlightLine, 2));
            painter.setBrush(kHighlightFill);
            painter.drawRect(rect);
        }
    }
}

void PageView::dropPictures()
{
    m_pictures.clear();
    m_pictureBytes = 0;
}

const QPixmap *PageView::cachedPicture(int page, const QRectF &target)
{
    for (std::size_t i = 0; i < m_pictures.size(); ++i) {
        if (m_pictures[i].page == page) {
            std::rotate(m_pictures.begin() + i, m_pictures.begin() + i + 1, m_pictures.end());
            return &m_pictures.back().pixmap;
        }
    }
    const double ratio = viewport()->devicePixelRatioF();
    const QSize size(int(std::ceil(target.width() * ratio)), int(std::ceil(target.height() * ratio)));
    const qint64 bytes = qint64(size.width()) * size.height() * 4;
    if (bytes > kPictureBudget / 2 || size.isEmpty())
        return nullptr;
    while (!m_pictures.empty() && m_pictureBytes + bytes > kPictureBudget) {
        const QPixmap &oldest = m_pictures.front().pixmap;
        m_pictureBytes -= qint64(oldest.width()) * oldest.height() * 4;
        m_pictures.erase(m_pictures.begin());
    }
    QPixmap pixmap(size);
    pixmap.setDevicePixelRatio(ratio);
    pixmap.fill(Qt::white);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::TextAntialiasing);
    painter.scale(m_zoom, m_zoom);
    m_renderer->paintPage(page, painter);
    painter.end();
    m_pictureBytes += bytes;
    m_pictures.push_back({page, std::move(pixmap)});
    return &m_pictures.back().pixmap;
}

void PageView::paintPage(QPainter &painter, int page, const QRectF &target, const QRectF &exposed)
{
    if (const QPixmap *picture = cachedPicture(page, target)) {
        painter.drawPixmap(target.topLeft(), *picture);
        return;
    }
    // Too large for a picture: draw the cells that show, straight onto the view.
    painter.fillRect(target, Qt::white);
    painter.save();
    painter.setClipRect(target);
    painter.translate(target.topLeft());
    painter.scale(m_zoom, m_zoom);
    const QRectF shown((exposed.topLeft() - target.topLeft()) / m_zoom, exposed.size() / m_zoom);
    m_renderer->paintPage(page, painter, shown);
    painter.restore();
}

void PageView::resizeEvent(QResizeEvent *event)
{
    QAbstractScrollArea::resizeEvent(event);
    updateScrollBars();
    Q_EMIT viewportResized();
}

void PageView::scrollContentsBy(int, int)
{
    viewport()->update();
    if (!m_scrolling)
        followScroll();
}

void PageView::followScroll()
{
    const QRectF visible(QPointF(horizontalScrollBar()->value(), verticalScrollBar()->value()),
                         QSizeF(viewport()->size()));
    const int page = mostVisiblePage(m_layout, visible);
    if (page >= 0 && page != m_currentPage) {
        m_currentPage = page;
        Q_EMIT currentPageChanged(page);
    }
}

void PageView::mousePressEvent(QMouseEvent *event)
{
    const QPoint at = event->position().toPoint();
    if (m_tool == PointerTool::Zoom) {
        const bool out = event->button() == Qt::RightButton
            || (event->button() == Qt::LeftButton && (event->modifiers() & Qt::ShiftModifier));
        if (out || event->button() == Qt::LeftButton)
            Q_EMIT zoomClicked(!out, at);
        return;
    }
    if (event->button() == Qt::LeftButton) {
        m_dragFrom = at;
        m_dragScroll = QPoint(horizontalScrollBar()->value(), verticalScrollBar()->value());
        viewport()->setCursor(Qt::ClosedHandCursor);
    }
}

void PageView::mouseMoveEvent(QMouseEvent *event)
{
    if (!m_dragFrom)
        return;
    const QPoint moved = event->position().toPoint() - *m_dragFrom;
    horizontalScrollBar()->setValue(m_dragScroll.x() - moved.x());
    verticalScrollBar()->setValue(m_dragScroll.y() - moved.y());
}

std::optional<CellPosition> PageView::cellAt(QPoint viewportPoint) const
{
    const QPointF at = QPointF(viewportPoint) - contentOrigin();
    for (std::size_t page = 0; page < m_layout.pages.size(); ++page) {
        if (!m_layout.pages[page].contains(at))
            continue;
        const auto &cells = m_report.pages[page].cells;
        // Later cells are drawn over earlier ones.
        for (std::size_t i = cells.size(); i-- > 0;) {
            const CellPosition cell{int(page), int(i)};
            if (cellRect(cell).contains(at))
                return cell;
        }
        return std::nullopt;
    }
    return std::nullopt;
}

void PageView::mouseDoubleClickEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton && m_tool == PointerTool::Drag)
        if (const std::optional<CellPosition> cell = cellAt(event->position().toPoint()))
            Q_EMIT cellDoubleClicked(*cell);
}

void PageView::contextMenuEvent(QContextMenuEvent *event)
{
    // With the zoom tool the right button zooms out, and does only that.
    if (m_tool == PointerTool::Zoom && event->reason() == QContextMenuEvent::Mouse)
        return;
    if (const std::optional<CellPosition> cell = cellAt(event->pos()))
        Q_EMIT cellMenuRequested(*cell, event->globalPos());
}

void PageView::mouseReleaseEvent(QMouseEvent *)
{
    if (m_dragFrom) {
        m_dragFrom.reset();
        viewport()->setCursor(Qt::OpenHandCursor);
    }
}

} // namespace tarel::report
