#pragma once

// The middle of the preview window: the prepared pages on a grey background,
// white paper with a shadow, stacked top to bottom (or two side by side),
// drawn by the page renderer at the chosen zoom. The mouse wheel scrolls; the
// drag tool pans with the mouse, the zoom tool zooms in on a click and out on
// a right click or shift-click.

#include "previewmodel.h"
#include "renderer.h"

#include <QAbstractScrollArea>
#include <QPixmap>
#include <QPoint>

#include <memory>
#include <optional>

namespace tarel::report {

class PageView : public QAbstractScrollArea {
    Q_OBJECT
public:
    // The report is kept by reference and must outlive the view; call
    // pagesChanged() whenever its pages change.
    explicit PageView(const PreparedReport &report, QWidget *parent = nullptr);
    ~PageView() override;

    // Lays the pages out anew at this zoom. With an anchor (a viewport point)
    // the spot of the page under it stays there; otherwise the current page
    // stays in view.
    void setZoom(double zoom, bool twoPerRow, std::optional<QPoint> anchor = std::nullopt);
    double zoom() const { return m_zoom; }
    bool twoPerRow() const { return m_twoPerRow; }

    // The pages were added, deleted, resized or replaced; `appended` says
    // that pages were only added at the end, so the pictures of the others
    // stay valid.
    void pagesChanged(bool appended = false);

    // Scrolls so that the page's top is at the top of the view.
    void showPage(int page);
    int currentPage() const { return m_currentPage; }

    void setTool(PointerTool tool);
    PointerTool tool() const { return m_tool; }

    // Marks a cell (a found text) and scrolls it into view; nothing to clear.
    void setHighlight(std::optional<CellPosition> cell);
    std::optional<CellPosition> highlight() const { return m_highlight; }

    const PageLayout &pageLayout() const { return m_layout; }
    // The cell under a viewport point (the last one drawn there), if any.
    std::optional<CellPosition> cellAt(QPoint viewportPoint) const;
    // Where the content's top-left corner is in the viewport.
    QPointF contentOrigin() const;

Q_SIGNALS:
    // The page covering most of the view changed because the user scrolled.
    void currentPageChanged(int page);
    // The zoom tool was clicked: in (true) or out (false), at a viewport point.
    void zoomClicked(bool in, QPoint at);
    // The viewport changed size, so fitting zoom modes must be worked out again.
    void viewportResized();
    // A cell was double-clicked, or its context menu asked for at a global point.
    void cellDoubleClicked(tarel::report::CellPosition cell);
    void cellMenuRequested(tarel::report::CellPosition cell, QPoint globalPoint);

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void scrollContentsBy(int dx, int dy) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;

private:
    void relayout();
    void updateScrollBars();
    void scrollTo(QPointF contentTopLeft);
    void followScroll();
    QRectF cellRect(CellPosition cell) const; // content pixels
    std::vector<QSizeF> pageSizes() const;
    void paintPage(QPainter &painter, int page, const QRectF &target, const QRectF &exposed);
    const QPixmap *cachedPicture(int page, const QRectF &target);
    void dropPictures();

    const PreparedReport &m_report; // not owned
    std::unique_ptr<PageRenderer> m_renderer;
    PageLayout m_layout;
    double m_zoom = 1;
    bool m_twoPerRow = false;
    int m_currentPage = 0;
    bool m_scrolling = false; // set while the view itself moves the scroll bars
    PointerTool m_tool = PointerTool::Drag;
    std::optional<CellPosition> m_highlight;
    std::optional<QPoint> m_dragFrom;
    QPoint m_dragScroll;

    // Pictures of pages at the current zoom, most recently used last, so that
    // scrolling does not lay out hundreds of cells again.
    struct Picture {
        int page;
        QPixmap pixmap;
    };
    std::vector<Picture> m_pictures;
    qint64 m_pictureBytes = 0;
};

} // namespace tarel::report
