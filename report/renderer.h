#pragma once

// Draws prepared pages on any QPainter: the preview widget, a printer, a PDF
// writer or an image. Units are template pixels (96 per inch) from the paper's
// top-left corner; the caller scales the painter so that one template pixel is
// device DPI / 96 device pixels.

#include "prepared.h"

#include "result.h"

#include <QRectF>
#include <QSizeF>
#include <QString>

#include <memory>
#include <optional>
#include <vector>

class QPageLayout;
class QPagedPaintDevice;
class QPainter;

namespace tarel::report {

class PageRenderer {
public:
    explicit PageRenderer(const PreparedReport &report); // kept by reference
    ~PageRenderer();
    PageRenderer(const PageRenderer &) = delete;
    PageRenderer &operator=(const PageRenderer &) = delete;

    int pageCount() const;
    // The paper of a page in template pixels.
    QSizeF pageSizePixels(int page) const;
    // Paints the page's cells (frames and texts) over whatever is there; the
    // background stays untouched. Nothing is clipped at the printable area.
    // With `shown` (template pixels from the paper's top-left), only the cells
    // that reach into it are painted: a large zoomed page on screen.
    void paintPage(int page, QPainter &painter, const std::optional<QRectF> &shown = std::nullopt) const;

private:
    struct Cache;
    const PreparedReport &m_report;
    std::unique_ptr<Cache> m_cache;
};

// The paper of an output page for a PDF writer or a printer: its size (A4,
// or the nearest standard size within half a millimetre, else the exact
// size), its orientation, and no margins, since the cells are placed from
// the paper's edge and nothing may be clipped at a printable area.
QPageLayout pageLayoutOf(const OutputPage &page);

// Sets a PDF writer or a printer to a page's paper (pageLayoutOf). A printer
// that refuses the layout as a whole (its printable area is smaller than the
// paper) would otherwise print on its own default paper and orientation,
// clipping the page.
void applyPageLayout(QPagedPaintDevice &device, const QPageLayout &layout);

// Where painting on a paged device stopped.
enum class PaintFailure { None, Begin, NewPage, End };

// Paints the pages (0-based, in this order) on a PDF writer or a printer,
// one device page each, each at its own paper: the one loop behind PDF
// export and printing. Pages outside the report are skipped.
PaintFailure paintPages(const PreparedReport &report, const std::vector<int> &pages, QPagedPaintDevice &device);

// A cell of a prepared report.
struct CellPosition {
    int page = 0;
    int cell = 0;
    bool operator==(const CellPosition &) const = default;
};

// The first cell at or after `from` (pages in order, cells in page order)
// whose text contains `needle`, as stored or as drawn (the Cyrillic reading of
// a MAC C text). An empty needle finds nothing.
std::optional<CellPosition> findText(const PreparedReport &report, const QString &needle,
                                     bool caseSensitive, CellPosition from = {});

} // namespace tarel::report
