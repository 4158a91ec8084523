#pragma once

// The layout of a morbidity form as data: its pages, column grid, title band,
// table head, row heights, page contents, cell styles, composite texts and
// subtotal lines. Each of the three forms states its layout in these terms
// (reports/<report>/), and one builder (morbidityform.h) makes every form
// from its layout and its row catalogue. Positions are in mm from the
// printable area's (or the title band's) top-left corner; grid columns go by
// their printed numbers, 1 the ordinal, 2 the label, 3 the code text, 4 and
// up the counts.

#include "layoutfonts.h"
#include "template.h"

#include <cstdint>
#include <initializer_list>
#include <optional>
#include <span>

namespace tarel::reports::layout {

// The names the layout tables are written in (the fonts and FontSpec come
// from report::layout).
using namespace report::layout;
using report::FrameAll;
using report::FrameBottom;
using report::FrameLeft;
using report::FrameNone;
using report::FrameRight;
using report::FrameTop;
using report::HAlign;
using report::Placement;
using report::VAlign;

// Frames of the pieces that together form one box.
inline constexpr std::uint8_t kLTB = FrameLeft | FrameTop | FrameBottom;
inline constexpr std::uint8_t kRTB = FrameRight | FrameTop | FrameBottom;
inline constexpr std::uint8_t kTB = FrameTop | FrameBottom;
inline constexpr std::uint8_t kLRT = FrameLeft | FrameRight | FrameTop;
inline constexpr std::uint8_t kLRB = FrameLeft | FrameRight | FrameBottom;

// Numbers from first to last, inclusive; a single number stands for itself.
struct Range {
    int first;
    int last;
    constexpr Range(int number) : first(number), last(number) {}
    constexpr Range(int from, int to) : first(from), last(to) {}
    constexpr bool holds(int value) const { return value >= first && value <= last; }
};
using Ranges = std::initializer_list<Range>;
constexpr bool inRanges(Ranges ranges, int value)
{
    for (const Range &range : ranges)
        if (range.holds(value))
            return true;
    return false;
}

struct Margins {
    double left;
    double right;
    double top;
    double bottom;
};

// A page: its margins and the font of its cells that state none.
struct PageSpec {
    Margins margins;
    FontSpec font;
};

// A grid column (mm).
struct Column {
    double x;
    double width;
};
// A column of Page1 that differs from the other pages'.
struct Page1Column {
    int number;
    Column column;
};

// What a fixed cell's text is to the result: the heading over the rows'
// numbers, labels or code ranges, the grand-total line's label or code range,
// or nothing.
enum class Words : std::uint8_t { None, NumberHeading, LabelHeading, CodesHeading, TotalLabel, TotalCodes };

// A fixed cell (title band, table head).
struct CellSpec {
    const char *name; // nullptr: a free name
    double left;
    double top;
    double width;
    double height;
    FontSpec font;
    HAlign hAlign;
    VAlign vAlign;
    std::uint8_t frame;
    const char *text;
    Placement align = Placement::None;
    Words words = Words::None;
};

// How a cell looks; a change sets what it states.
struct CellLook {
    FontSpec font;
    HAlign hAlign;
    VAlign vAlign;
    std::uint8_t frame = FrameAll;
};
struct LookChange {
    std::optional<FontSpec> font = std::nullopt;
    std::optional<HAlign> hAlign = std::nullopt;
    std::optional<VAlign> vAlign = std::nullopt;
    std::optional<std::uint8_t> frame = std::nullopt;
};
constexpr LookChange withFont(FontSpec font) { return {.font = font}; }
constexpr LookChange withHAlign(HAlign hAlign) { return {.hAlign = hAlign}; }
constexpr LookChange withVAlign(VAlign vAlign) { return {.vAlign = vAlign}; }
constexpr LookChange withFrame(std::uint8_t frame) { return {.frame = frame}; }

// A change of the cells of the grid columns given, in the rows given (rows
// are ignored where a change applies to a line of the head).
struct StyleChange {
    Ranges rows;
    Range columns;
    LookChange change;
};

// A line of framed cells on the column grid, one per column (or pair of
// columns) from first to last.
struct GridLine {
    enum class Role : std::uint8_t { Plain, BandCaptions, Sexes, ColumnNumbers, GrandTotals };
    enum class Names : std::uint8_t { Free, Listed, Numbered };
    Role role;
    double y;
    double height;
    int first;
    int last;
    int span; // grid columns per cell
    CellLook look;
    std::initializer_list<StyleChange> changes;
    Names names;
    std::initializer_list<const char *> listedNames; // Listed: one per cell
    int firstNumber;                                 // Numbered: "Memo" and this number upward
    std::initializer_list<const char *> texts;       // one per cell, repeated from the first when fewer
};

// A part of Page1's head, in order: fixed cells or a line on the grid.
struct HeadPart {
    std::span<const CellSpec> cells;
    const GridLine *line = nullptr;
};

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

// A height that reaches from a piece's top to its row's bottom.
inline constexpr double kToRowBottom = 0;

// A composite label or code text: cells placed side by side or stacked
// instead of the row's one cell, each printing one cell of the catalogue's
// text or one line of it (x and width in mm, dy from the row's top).
enum class RowText : std::uint8_t { Label, Code };
inline constexpr int kWholeCell = -1;
struct Piece {
    double x;
    double dy;
    double width;
    double height;
    FontSpec font;
    HAlign hAlign;
    VAlign vAlign;
    std::uint8_t frame;
    int cell;                 // cell of the catalogue text
    int line = kWholeCell;    // one line of it, or the whole cell
    int blankLinesBefore = 0; // empty lines stored ahead of the text
};
struct Composite {
    int row;
    RowText text;
    std::initializer_list<Piece> pieces;
};

// The cells of a row, and where they differ from their column's look.
struct RowStyles {
    CellLook ordinal;
    CellLook label;
    CellLook code;
    CellLook count;
    std::initializer_list<StyleChange> changes;
};

// Cell names of row r: its ordinal, label and code cells are
// textStride * r + textBase and the two numbers above; its count in data
// column k (0-based) is countStride * r + countBase + k.
struct RowNames {
    int countStride;
    int countBase;
    int textStride;
    int textBase;
};

// The subtotal line of a chapter block: an empty cell over the ordinal
// column, the caption from the label column's left to numeralX, the chapter's
// numeral from there to the code column, its code range in the code column,
// then the subtotal cells "S", the block's code and the column's number.
// Variants change blocks of their own.
struct SubtotalStyle {
    double height;
    double numeralX;
    const char *caption;
    CellLook blank;
    CellLook captionLook;
    CellLook numeral;
    CellLook codeRange;
    CellLook count;
};
struct SubtotalVariant {
    Ranges blocks;
    std::optional<double> height = std::nullopt;
    std::optional<double> numeralX = std::nullopt;
    const char *caption = nullptr;
    std::optional<std::uint8_t> captionFrame = std::nullopt;
    std::optional<FontSpec> codeRangeFont = std::nullopt;
    std::optional<FontSpec> countFont = std::nullopt;
};

// A morbidity form.
struct MorbidityLayout {
    const char *name;  // the template's name
    const char *title; // its heading, printed in Memo1 and carried as its title
    std::span<const PageSpec> pages;
    std::span<const Column> grid;
    std::span<const Page1Column> page1Grid;
    double titleBandWidth;
    double titleBandHeight;
    FontSpec titleBandFont;
    std::span<const CellSpec> titleBand;
    std::span<const HeadPart> page1Head;
    const GridLine *columnNumbers; // the line that opens the other pages
    double page1TableTop;          // where the rows start on Page1 (on the others under that line)
    std::span<const std::initializer_list<PageLines>> contents; // one entry per page
    double defaultRowHeight;
    std::span<const RowHeights> rowHeights;
    RowNames names;
    RowStyles rowStyles;
    std::span<const Composite> composites;
    bool firstPieceNamed; // a composite's first piece takes the name of the cell it replaces
    SubtotalStyle subtotal;
    std::span<const SubtotalVariant> subtotalVariants;
    int firstFreeName; // names of cells nothing looks up: "Memo" and this number upward
};

} // namespace tarel::reports::layout
