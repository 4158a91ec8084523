#pragma once

// The machinery the morbidity templates share. Each template keeps its page
// layout as constant tables (pages, grid, row heights, page contents, fixed
// cells); the pieces here turn those tables into cells, walk the page contents
// and check that a row catalogue fits them.

#include "layoutfonts.h"
#include "morbiditycells.h"
#include "result.h"
#include "template.h"

#include <QString>
#include <QStringList>

#include <cstdint>
#include <initializer_list>
#include <span>
#include <vector>

namespace tarel::tabulation {
class RowCatalogue;
struct CatalogueRow;
struct ChapterBlock;
} // namespace tarel::tabulation

namespace tarel::reports::layout {

// The names the layout tables and builders are written in: a template's unit
// says `using namespace layout;` (the fonts, FontSpec, toFont and memoName
// come from report::layout).
using namespace report::layout;
using report::FrameAll;
using report::FrameBottom;
using report::FrameLeft;
using report::FrameNone;
using report::FrameRight;
using report::FrameTop;
using report::HAlign;
using report::mm;
using report::Placement;
using report::TfrxMemoView;
using report::VAlign;
using tabulation::CatalogueRow;
using tabulation::ChapterBlock;
using tabulation::RowCatalogue;

// Frames of the pieces that together form one box.
inline constexpr std::uint8_t kLTB = report::FrameLeft | report::FrameTop | report::FrameBottom;
inline constexpr std::uint8_t kRTB = report::FrameRight | report::FrameTop | report::FrameBottom;
inline constexpr std::uint8_t kTB = report::FrameTop | report::FrameBottom;

// Names of cells nothing looks up, counted upward from the first number above
// the layout's named cells.
class FreeNames {
public:
    explicit FreeNames(int first) : m_next(first) {}
    QString next() { return report::layout::memoName(m_next++); }

private:
    int m_next;
};

// A fixed cell (title band, table head), in mm from the band's or the
// printable area's top-left corner.
struct CellSpec {
    const char *name; // nullptr: a free name
    double left;
    double top;
    double width;
    double height;
    FontSpec font;
    report::HAlign hAlign;
    report::VAlign vAlign;
    std::uint8_t frame;
    const char *text;
    report::Placement align = report::Placement::None;
};
report::TfrxMemoView cellFrom(const CellSpec &stated, FreeNames &names);

// The title band of Page1 with its fixed cells.
report::TfrxReportTitle titleBand(double width, double height, const FontSpec &font, std::span<const CellSpec> cells,
                                  FreeNames &names);

// A page of the template: A4 landscape, margins in mm, the font of its
// unfonted cells (inherited: the report default).
struct Margins {
    double left;
    double right;
    double top;
    double bottom;
};
report::TfrxReportPage page(int number, const Margins &margins, const FontSpec &font);

// A grid column (mm).
struct Column {
    double x;
    double width;
};
// A cell framed on all sides from the left of first to the right of last.
report::TfrxMemoView gridCell(QString name, const Column &first, const Column &last, double y, double height);

// A cell at x and y (mm) of the given size (mm), without frame.
report::TfrxMemoView placedCell(QString name, double x, double y, double width, double height);

// A piece of a split text whose height is kToRowBottom reaches the row's bottom.
inline constexpr double kToRowBottom = 0;
inline double pieceHeight(double height, double dy, double rowHeight)
{
    return height == kToRowBottom ? rowHeight - dy : height;
}

// Row heights (mm): the rows listed take the height, all others the default.
struct RowHeights {
    double height;
    std::initializer_list<int> rows;
};

// The lines of a page in order after its head: catalogue rows, or the
// subtotal line of a chapter block (1-based).
struct PageLines {
    bool subtotal;
    int first; // row, or block of a subtotal line
    int last;
};
constexpr PageLines rows(int first, int last) { return {false, first, last}; }
constexpr PageLines subtotal(int block) { return {true, block, block}; }
using PageContents = std::span<const std::initializer_list<PageLines>>;

int layoutRowCount(PageContents pages);
int layoutBlockCount(PageContents pages);

// The catalogue rows by number and their heights, for rows 1 to the last the
// pages hold; rows the catalogue lacks are null.
class RowPlan {
public:
    RowPlan(const tabulation::RowCatalogue &catalogue, PageContents pages, std::span<const RowHeights> heights,
            double defaultHeight);
    const tabulation::CatalogueRow *row(int number) const { return m_rows[std::size_t(number)]; }
    double height(int number) const { return m_heights[std::size_t(number)]; }

private:
    std::vector<const tabulation::CatalogueRow *> m_rows;
    std::vector<double> m_heights;
};

// Adds the lines of one page from y down: addRow(row, y) and
// addSubtotal(block, y) each return the height of the line they added.
template <typename AddRow, typename AddSubtotal>
void walkLines(std::initializer_list<PageLines> lines, double y, AddRow addRow, AddSubtotal addSubtotal)
{
    for (const PageLines &line : lines) {
        if (line.subtotal) {
            y += addSubtotal(line.first, y);
            continue;
        }
        for (int row = line.first; row <= line.last; ++row)
            y += addRow(row, y);
    }
}

// The block of a subtotal line (1-based), or null where the catalogue lacks it.
const tabulation::ChapterBlock *blockOf(const tabulation::RowCatalogue &catalogue, int blockNumber);

// The lines of all cells of a text, in order.
QStringList joinedLines(const QList<QStringList> &cells);

// Checks that the catalogue holds as many rows as the pages and one chapter
// block per subtotal line, each ending with the row above its subtotal line.
// The error names the template and the first misfit.
Result<void> checkPageFit(const tabulation::RowCatalogue &catalogue, PageContents pages, const QString &templateName);

} // namespace tarel::reports::layout
