#pragma once

// Draws prepared pages on any QPainter: the preview widget, a printer, a PDF
// writer or an image. Units are template pixels (96 per inch) from the paper's
// top-left corner; the caller scales the painter so that one template pixel is
// device DPI / 96 device pixels.

#include "prepared.h"

#include <QSizeF>
#include <QString>

#include <memory>
#include <optional>

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
    void paintPage(int page, QPainter &painter) const;

private:
    struct Cache;
    const PreparedReport &m_report;
    std::unique_ptr<Cache> m_cache;
};

// Paints one cell; positions are template pixels in the painter's coordinates
// (the cell's left and top are used as they are, no margin added).
void paintCell(const OutputCell &cell, QPainter &painter);

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
