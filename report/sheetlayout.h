#pragma once

// A prepared report laid out as one worksheet: the form's table on a grid of
// rows and columns taken from its framed cells, with the lines above it (the
// institution, title, period, doctor and area) and below it as rows of their
// own. What a workbook writes; no spreadsheet library is involved here.
//
// The grid: the edges of the cells framed on all four sides give the
// columns and rows of a page's table; a cell covering several of them is one
// block over all of them (merged). Cells that are pieces of one table cell
// (composite labels, split code texts) join the block they fall in, their
// texts in reading order and their frame lines where they lie on its edges.
//
// Pages: one continuous table. The table head of the first page (its rows
// down to the line of column numbers) is written once and repeated on every
// printed page by the spreadsheet; a later page whose own head repeats the
// last rows of that head (the column-number strip of a morbidity form)
// leaves them out, so only its rows follow. A page head that differs from
// the first page's is kept as it stands.
//
// Counts: below the head, a text that is a whole number, or "-" (the zero of
// the morbidity forms), is a count, unless its column also holds words (the
// ordinals next to lettered rows, labels, codes).

#include "prepared.h"

#include "result.h"

#include <QString>

#include <cstdint>
#include <optional>
#include <vector>

namespace tarel::report {

// A piece of a block's text with the font it is printed in.
struct TextRun {
    QString text;
    Font font;
    bool operator==(const TextRun &) const = default;
};

struct SheetBlock {
    int row = 0;      // 0-based sheet row and column of the top-left cell
    int column = 0;
    int rows = 1;     // rows and columns covered; more than one is a merged range
    int columns = 1;
    QString text;     // as the reader sees it (the Cyrillic reading of MAC C texts)
    std::optional<qint64> count; // a count: its value, 0 for "-"
    Font font;        // the font of its largest cell's text
    // The pieces of its text in their fonts, where they differ (a bold label
    // "Data od:" joined with its date); empty when one font prints it all.
    std::vector<TextRun> runs;
    HAlign hAlign = HAlign::Left;
    VAlign vAlign = VAlign::Top;
    std::uint8_t frame = FrameNone; // frame lines on the block's outer edges
    bool table = false;             // part of the table (text wraps within it)
};

struct SheetLayout {
    std::vector<double> columnWidths; // template pixels
    std::vector<double> rowHeights;   // template pixels
    std::vector<SheetBlock> blocks;   // in sheet order; no two overlap
    int headFirst = -1;               // the table head's sheet rows, repeated on
    int headLast = -1;                // printed pages; -1 when there is no head
    bool zeroAsDash = false;          // the report prints a zero count as "-"
};

// Grids larger than a worksheet holds, or than is sensible to hold in memory
// (a hand-made file of scattered cells), are an error.
inline constexpr int kMaxSheetColumns = 16384;
inline constexpr int kMaxSheetRows = 1048576;
inline constexpr qint64 kMaxSheetCells = 4000000; // rows x columns, of a page's grid and of the sheet

Result<SheetLayout> sheetLayout(const PreparedReport &report);

} // namespace tarel::report
