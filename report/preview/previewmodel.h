#pragma once

// The state of the preview window and the rules behind its buttons, kept
// apart from the widgets: which page is current, how the pages are zoomed and
// laid out in the page view, and the edits the preview makes to prepared
// pages (page settings, adding and deleting pages).

#include "prepared.h"

#include <QCoreApplication>
#include <QRectF>
#include <QSize>
#include <QSizeF>
#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

namespace tarel::report {

enum class ZoomMode { Factor, WholePage, PageWidth, TwoPages };
enum class PointerTool { Drag, Zoom };

inline constexpr double kMinZoom = 0.1;
inline constexpr double kMaxZoom = 8;
// Space around and between pages in the page view, in screen pixels.
inline constexpr double kPageGap = 10;

// The zoom factor a fitting mode gives for a page of pageSize (template
// pixels) in a viewport of that size; ZoomMode::Factor returns `factor`.
double fitZoom(ZoomMode mode, QSizeF pageSize, QSize viewport, double factor = 1);

// Where the pages lie in the page view at a zoom: one page per row, or two
// side by side; each row centred on the widest row.
struct PageLayout {
    std::vector<QRectF> pages; // screen pixels within the content
    QSizeF content{0, 0};
};
PageLayout layoutPages(const std::vector<QSizeF> &pageSizes, double zoom, bool twoPerRow);

// The page that covers most of the visible part of the content (the earlier
// one on a tie); -1 without pages.
int mostVisiblePage(const PageLayout &layout, const QRectF &visible);

// The zoom box: "25%" ... "200%", "Page width", "Whole page" (the last two
// in the user's language).
QStringList zoomBoxItems();
// The zoom box's text of a fitting mode: "Page width", "Whole page".
QString fitZoomText(ZoomMode mode);
QString zoomText(double factor); // "87%"
struct ZoomChoice {
    ZoomMode mode = ZoomMode::Factor;
    double factor = 1;
};
// What a zoom box text asks for: one of the items (a fitting mode also in
// English), or a typed percentage ("120", "120%", "120 %"), kept within the
// zoom limits. Nothing for other text.
std::optional<ZoomChoice> parseZoomText(const QString &text);

// The state shown by the window: page numbers from 0 here, from 1 on screen.
class PreviewModel {
    Q_DECLARE_TR_FUNCTIONS(PreviewModel)
public:
    int pageCount() const { return m_pageCount; }
    int currentPage() const { return m_currentPage; }
    ZoomMode zoomMode() const { return m_zoomMode; }
    double zoom() const { return m_zoom; }
    PointerTool tool() const { return m_tool; }
    bool outlineVisible() const { return m_outlineVisible; }
    bool preparing() const { return m_preparing; }

    // Keeps the current page within the new count.
    void setPageCount(int count);
    // Clamped to the pages there are; false when nothing changed.
    bool setCurrentPage(int page);
    void setZoom(ZoomMode mode, double factor);
    void setTool(PointerTool tool) { m_tool = tool; }
    void setOutlineVisible(bool visible) { m_outlineVisible = visible; }
    void setPreparing(bool preparing) { m_preparing = preparing; }

    // "Page %d of %d"; "Page 0 of 0" without pages.
    QString statusText() const;

private:
    int m_pageCount = 0;
    int m_currentPage = 0;
    ZoomMode m_zoomMode = ZoomMode::Factor;
    double m_zoom = 1;
    PointerTool m_tool = PointerTool::Drag;
    bool m_outlineVisible = false;
    bool m_preparing = false;
};

// Paper sizes offered by the page settings, portrait width and height in mm.
struct PaperSize {
    int code;        // the paper size code stored with a page
    const char *name;
    double width;
    double height;
};
const std::vector<PaperSize> &paperSizes();
// The named size a page's paper matches (either orientation), if any.
std::optional<PaperSize> paperSizeOf(const OutputPage &page);

// The settings the "Page Settings" dialog edits; margins in mm.
struct PageSettings {
    int paperSize = 9;
    double paperWidth = 210;  // portrait: the shorter side
    double paperHeight = 297;
    bool landscape = true;
    double leftMargin = 0, rightMargin = 0, topMargin = 0, bottomMargin = 0;
    bool operator==(const PageSettings &) const = default;
};
PageSettings pageSettingsOf(const OutputPage &page);
// Sets paper, orientation and margins of the current page or of every page;
// the cells keep their places within the printable area.
void applyPageSettings(PreparedReport &report, int currentPage, const PageSettings &settings,
                       bool allPages);

// Inserts an empty page with the paper and margins of the page at `at` (or
// A4 landscape without pages) before it; returns the new page's index.
int insertEmptyPage(PreparedReport &report, int at);
// Deletes a page; false when there is no such page.
bool deletePage(PreparedReport &report, int page);

// "report.txt" -> "report.fp3"; a name without extension gets one.
QString withPreparedExtension(const QString &path);
// A name without an extension gets `suffix` (no dot); others are kept.
QString withDefaultSuffix(const QString &path, const QString &suffix);
// Words made a file name (without folder or extension): characters that
// file systems or their users trip over ("/", "\\", ":", "*", "?", quotes,
// "<", ">", "|", control characters) become "-", blanks are kept.
QString fileNameOfWords(const QString &words);

// The pages a print run covers (0-based, in printing order, each once):
// all pages, the current page, or the page ranges chosen (1-based, inclusive),
// optionally last page first. Numbers outside 1..pageCount are dropped.
struct PrintChoice {
    enum Range { All, Current, Ranges } range = All;
    std::vector<std::pair<int, int>> ranges; // 1-based, inclusive
    bool reverse = false;
};
std::vector<int> pagesToPrint(const PrintChoice &choice, int currentPage, int pageCount);

// The page ranges (1-based, inclusive, sorted and merged) a user means by a
// text typed into the print dialog's "Pages" field, in a report of pageCount
// pages: numbers and ranges separated by commas, "7-" from page 7 to the
// last, "-3" the first three, "5-3" pages 3 to 5; blanks anywhere. Nothing
// when the text names no page (empty, "abc", "0", "-", or any part that is
// not a page or a range).
std::optional<std::vector<std::pair<int, int>>> pageRangesTyped(QStringView text, int pageCount);
// The ranges as the "Pages" field writes them: "1-3,5,7-13".
QString pageRangesText(const std::vector<std::pair<int, int>> &ranges);

} // namespace tarel::report
