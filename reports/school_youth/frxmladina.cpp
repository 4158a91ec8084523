#include "frxmladina.h"

#include "morbiditylayout.h"
#include "schoolyouth.h"

#include "catalogue.h"

#include <QString>
#include <QStringList>

#include <cstdint>
#include <initializer_list>
#include <optional>
#include <vector>

namespace tarel::reports {

namespace {

// ---------------------------------------------------------------------------
// The layout vocabulary: frames, alignments, fonts (a cell with the inherited
// font prints in its band's or page's font), cell specs and the page walk.

using namespace layout;

// ---------------------------------------------------------------------------
// Pages: A4 landscape, left 10 mm, top and bottom 5 mm; the right margin and
// the font of unfonted cells vary (inherited: the report default, Arial 13).

constexpr int kPageCount = 13;
constexpr double kLeftMargin = 10;
constexpr double kTopMargin = 5;
constexpr double kBottomMargin = 5;

struct PageSpec {
    double rightMargin;
    FontSpec font;
};
const PageSpec kPages[kPageCount] = {
    /* Page1  */ {10, kSwiss13},
    /* Page2  */ {12, kInherited},
    /* Page3  */ {12, kSwiss12},
    /* Page4  */ {12, kInherited},
    /* Page5  */ {12, kInherited},
    /* Page6  */ {12, kInherited},
    /* Page7  */ {12, kInherited},
    /* Page8  */ {12, kInherited},
    /* Page9  */ {12, kInherited},
    /* Page10 */ {5, kInherited},
    /* Page11 */ {5, kInherited},
    /* Page12 */ {5, kInherited},
    /* Page13 */ {12, kInherited},
};

// ---------------------------------------------------------------------------
// Column grid (mm): 1 ordinal, 2 label, 3 code text, 4 to 17 the data columns
// (4 and 5 the row totals, then band 1 to 6, male and female).

constexpr int kColumnCount = 17;
constexpr int kFirstDataColumn = 4;
constexpr int kDataColumns = kColumnCount - kFirstDataColumn + 1;

const Column kGrid[kColumnCount] = {
    {0, 10},  {10, 81}, {91, 40},                                                       // 1 to 3
    {131, 10}, {141, 10}, {151, 10}, {161, 10}, {171, 10}, {181, 10}, {191, 10},      // 4 to 10
    {201, 10}, {211, 10}, {221, 10}, {231, 10}, {241, 10}, {251, 10}, {261, 10},      // 11 to 17
};
// Page1 widens the last two columns; its table ends at 274 mm instead of 271.
struct WidenedColumn {
    int number;
    Column column;
};
const WidenedColumn kPage1Widened[] = {{16, {251, 11.5}}, {17, {262.5, 11.5}}};

// Column by its printed number, 1 to 17, on Page1 or on the other pages.
Column gridColumn(int number, bool page1)
{
    if (page1)
        for (const WidenedColumn &widened : kPage1Widened)
            if (widened.number == number)
                return widened.column;
    return kGrid[number - 1];
}

// ---------------------------------------------------------------------------
// Title band of Page1 (mm from the band's top-left corner; no frames).

constexpr double kTitleBandWidth = 277;
constexpr double kTitleBandHeight = 26;

// The report's heading, printed in Memo1 and carried as the report's title.
constexpr const char *kTitle = "UTVRDENI ZABOLUVAWA - SOSTOJBI SPORED VOZRASTA I POLOT NA U^ILI[NI DECA I MLADINA";

const CellSpec kTitleBand[] = {
    // name       left  top   width height font               h               v               frame      text
    {"Memo66",    0,    0,    17.3, 7,     kSwiss15Bold, HAlign::Left,   VAlign::Top,    FrameNone, "Data od:"},
    {"dataod",    17,   0,    33,   7,     kSwiss15,     HAlign::Left,   VAlign::Top,    FrameNone, ""},
    {"Memo256",   0,    7,    17.3, 7,     kSwiss15Bold, HAlign::Left,   VAlign::Top,    FrameNone, "Data do:"},
    {"datado",    17,   7,    33,   7,     kSwiss15,     HAlign::Left,   VAlign::Top,    FrameNone, ""},
    {"Memo274",   150,  0,    10,   5,     kSwiss13Bold, HAlign::Left,   VAlign::Top,    FrameNone, "PZU:"},
    {"pzu",       160,  0,    116,  5,     kInherited,        HAlign::Left,   VAlign::Top,    FrameNone, ""},
    {"Memo1",     54,   9,    169,  10,    kSwiss16Bold,      HAlign::Center, VAlign::Center, FrameNone,
     kTitle, Placement::Center},
    {"Memo65",    1,    18,   17.3, 7,     kSwiss15Bold, HAlign::Left,   VAlign::Top,    FrameNone, "Lekar:"},
    {"lekar",     18.3, 18.3, 205,  7,     kSwiss15,     HAlign::Left,   VAlign::Top,    FrameNone, ""},
    {"GradSelo",  240,  21,   36,   5,     kInherited,        HAlign::Left,   VAlign::Top,    FrameNone, ""},
};

// ---------------------------------------------------------------------------
// Head of Page1 (mm from the top of the printable area), on the column grid
// and framed on all sides: line A (32) with the captions, line B (37) with the
// sexes, line C (42) with the column numbers, then the grand-total line (47).

constexpr double kLineAY = 32;
constexpr double kLineBY = 37;
constexpr double kLineCY = 42;
constexpr double kGrandTotalY = 47;
constexpr double kHeadLineHeight = 5;

struct HeadCell {
    const char *name;
    int firstColumn;
    int lastColumn;
    double top;
    double height;
    FontSpec font;
    HAlign hAlign;
    VAlign vAlign;
    const char *text;
    bool percentDelimiters = false;
};
const HeadCell kPage1LineA[] = {
    // name    columns  top      height font        h               v               text
    {"Memo2",  1, 1,    kLineAY, 10,    kInherited, HAlign::Left,   VAlign::Top,    ""},
    {"Memo3",  2, 2,    kLineAY, 10,    kInherited, HAlign::Center, VAlign::Center, "Zaboluvawa sostojbi (skratena lista)"},
    {"Memo4",  3, 3,    kLineAY, 10,    kInherited, HAlign::Center, VAlign::Center, "{ifra po MKB - 10"},
    {"Memo5",  4, 5,    kLineAY, 5,     kInherited, HAlign::Center, VAlign::Center, "Vkupno"},
    {"Memo6",  6, 7,    kLineAY, 5,     kInherited, HAlign::Center, VAlign::Top,    "do 7 g."},
    {"Memo7",  8, 9,    kLineAY, 5,     kInherited, HAlign::Center, VAlign::Top,    "7-9 g."},
    {"Memo8",  10, 11,  kLineAY, 5,     kInherited, HAlign::Center, VAlign::Top,    "10-14 g."},
    {"Memo9",  12, 13,  kLineAY, 5,     kInherited, HAlign::Center, VAlign::Top,    "15-19 g."},
    {"Memo10", 14, 15,  kLineAY, 5,     kInherited, HAlign::Center, VAlign::Top,    "20-24 g."},
    {"Memo11", 16, 17,  kLineAY, 5,     kInherited, HAlign::Center, VAlign::Top,    "25g. i pove}e"},
};
const HeadCell kGrandTotalCaptions[] = {
    {"Memo48", 1, 1,    kGrandTotalY, 5, kInherited, HAlign::Center, VAlign::Top,    ""},
    {"Memo49", 2, 2,    kGrandTotalY, 5, kSwiss12,   HAlign::Center, VAlign::Center, "Vkupno (1 - 310)"},
    {"Memo50", 3, 3,    kGrandTotalY, 5, kTimes13,   HAlign::Center, VAlign::Center, "A00 - Z99"},
};

// Line B: "m" over the male (even) and "`" over the female (odd) columns,
// cells Memo13 to Memo26.
constexpr int kFirstSexCaptionNumber = 13;
const char *const kSexCaptions[] = {"m", "`"};

// Line C: the names of the column-number cells "1" to "17".
const char *const kColumnNumberNames[kColumnCount] = {
    "Memo29", "Memo30", "Memo31", "wewq", "sdfsdfwe", "sdfwe", "csa", "sadqw", "wfdvrf",
    "kjlui", "nbvc", "thfg", "cxvas", "fsf", "bfmghjn", "nbvnf", "fghf",
};
// Column numbers are centred both ways except these, which keep to the top.
const std::initializer_list<int> kPage1TopAlignedNumbers = {3, 11};

// The strip that opens pages 2 to 13: "1" to "17" in Arial 15 bold.
constexpr FontSpec kStripFont = kArial15Bold;
const std::initializer_list<int> kStripTopAlignedNumbers = {1, 10, 11};

// Where the catalogue starts: under the grand-total line on Page1, under the
// strip elsewhere.
constexpr double kPage1TableTop = kGrandTotalY + kHeadLineHeight;
constexpr double kOtherPagesTableTop = kHeadLineHeight;

// ---------------------------------------------------------------------------
// Row heights (mm): 5 unless listed.

constexpr double kDefaultRowHeight = 5;

const RowHeights kRowHeights[] = {
    {9, {78, 110, 122, 159, 162, 170, 200, 201, 204, 222, 223, 228, 236, 252, 258, 263, 264, 265, 304}},
    {10, {6, 21, 27, 37, 43, 46, 65, 73, 77, 80, 82, 83, 87, 90, 91, 93, 98, 103, 113, 117, 118, 123, 130,
          135, 137, 139, 142, 143, 147, 149, 153, 188, 195, 209, 255, 262, 270, 271, 273, 280, 291, 293, 295,
          296, 303, 305, 306, 307, 309, 310, 311, 312, 317, 318}},
    {12, {134, 158}},
    {13, {49}},
    {14, {276, 282}},
    {15, {99, 111, 136}},
    {17, {72}},
    {20, {150, 286}},
    {50, {287}},
};

// ---------------------------------------------------------------------------
// Page contents: the lines of each page in order after its head or strip. A
// subtotal line is named by its block (1 to 20); there is no chapter XVI, so
// blocks 16 to 20 print XVII to XXI.

const std::initializer_list<PageLines> kPageContents[kPageCount] = {
    /* Page1  */ {rows(1, 23)},
    /* Page2  */ {rows(24, 56)},
    /* Page3  */ {rows(57, 72), subtotal(1), rows(73, 83)},
    /* Page4  */ {rows(84, 111)},
    /* Page5  */ {subtotal(2), rows(112, 118), subtotal(3), rows(119, 134), subtotal(4), rows(135, 135)},
    /* Page6  */ {rows(136, 142), subtotal(5), rows(143, 150), subtotal(6), rows(151, 157)},
    /* Page7  */ {rows(158, 158), subtotal(7), rows(159, 162), subtotal(8), rows(163, 184), subtotal(9),
                  rows(185, 186)},
    /* Page8  */ {rows(187, 198), subtotal(10), rows(199, 216), subtotal(11)},
    /* Page9  */ {rows(217, 222), subtotal(12), rows(223, 236), subtotal(13), rows(237, 247)},
    /* Page10 */ {rows(248, 258), subtotal(14), rows(259, 262), subtotal(15), rows(263, 273)},
    /* Page11 */ {subtotal(16 /* XVII */), rows(274, 276), subtotal(17 /* XVIII */), rows(277, 291)},
    /* Page12 */ {rows(292, 296), subtotal(18 /* XIX */), rows(297, 304), subtotal(19 /* XX */), rows(305, 313)},
    /* Page13 */ {rows(314, 318), subtotal(20 /* XXI */)},
};

// ---------------------------------------------------------------------------
// Catalogue rows. Cells of row r carry the numbers 19r + 48 (ordinal),
// 19r + 49 (label), 19r + 50 (code text) and 19r + 51 + k (data column k);
// 19r + 65 and 19r + 66 stay free (four of them name title-band cells).

constexpr int kRowTextCells = 3;

struct CellStyle {
    FontSpec font;
    HAlign hAlign;
    VAlign vAlign;
    std::uint8_t frame = FrameAll;
};
// By column: 1 ordinal, 2 label, 3 code text, 4 to 17 data.
constexpr CellStyle kOrdinalStyle{kInherited, HAlign::Center, VAlign::Top};
constexpr CellStyle kLabelStyle{kSwiss12, HAlign::Left, VAlign::Top};
constexpr CellStyle kCodeStyle{kTimes13, HAlign::Left, VAlign::Center};
constexpr CellStyle kDataStyle{kInherited, HAlign::Center, VAlign::Center};

// Exceptions to the column's style, for the rows and columns given.
struct Range {
    int first;
    int last;
    bool holds(int value) const { return value >= first && value <= last; }
};
struct StyleChange {
    std::optional<FontSpec> font;
    std::optional<VAlign> vAlign;
    std::optional<std::uint8_t> frame;
};
StyleChange withFont(FontSpec font) { return {font, std::nullopt, std::nullopt}; }
StyleChange withVAlign(VAlign vAlign) { return {std::nullopt, vAlign, std::nullopt}; }
StyleChange withFrame(std::uint8_t frame) { return {std::nullopt, std::nullopt, frame}; }
struct StyleException {
    Range rows;
    Range columns;
    StyleChange change;
};
const StyleException kStyleExceptions[] = {
    // Ordinals in MAC C Swiss 13 (rows 297 to 304 print letters).
    {{272, 279}, {1, 1}, withFont(kSwiss13)},
    {{297, 304}, {1, 1}, withFont(kSwiss13)},
    // Labels centred vertically.
    {{1, 5}, {2, 2}, withVAlign(VAlign::Center)},
    {{7, 17}, {2, 2}, withVAlign(VAlign::Center)},
    {{19, 23}, {2, 2}, withVAlign(VAlign::Center)},
    // Label frames.
    {{27, 27}, {2, 2}, withFrame(FrameNone)},
    {{123, 124}, {2, 2}, withFrame(kRTB)},
    {{192, 192}, {2, 2}, withFrame(kRTB)},
    // Code texts.
    {{196, 196}, {3, 3}, withVAlign(VAlign::Top)},
    {{206, 206}, {3, 3}, withVAlign(VAlign::Top)},
    {{206, 206}, {3, 3}, withFrame(FrameRight | FrameTop)},
    // Data cells.
    {{309, 310}, {4, 17}, withFont(kArial15Bold)},
    {{108, 131}, {10, 10}, withVAlign(VAlign::Top)},
    {{309, 309}, {11, 12}, withVAlign(VAlign::Top)},
};

// Split label and code texts: several cells side by side (or stacked) in one
// column, each printing one line of the catalogue's text (x and width in mm,
// dy from the row's top; height kToRowBottom reaches the row's bottom). The
// first piece carries the column's cell name, the others free names.
struct Piece {
    double x;
    double dy;
    double width;
    double height;
    FontSpec font;
    HAlign hAlign;
    VAlign vAlign;
    std::uint8_t frame;
};
struct SplitCell {
    int row;
    int column;
    std::initializer_list<Piece> pieces;
};
const SplitCell kSplitCells[] = {
    // row col   x     dy width height        font        h               v               frame
    {10, 3, {{91, 0, 17, kToRowBottom, kTimes13, HAlign::Left, VAlign::Center, kLTB},
             {108, 0, 7, kToRowBottom, kInherited, HAlign::Left, VAlign::Bottom, kTB},
             {115, 0, 16, kToRowBottom, kTimes13, HAlign::Left, VAlign::Center, kTB}}},
    {31, 2, {{10, 0, 4, kToRowBottom, kInherited, HAlign::Right, VAlign::Top, kLTB},
             {14, 0, 77, kToRowBottom, kSwiss12, HAlign::Left, VAlign::Top, kRTB}}},
    {100, 2, {{10, 0, 12, kToRowBottom, kArial12, HAlign::Center, VAlign::Top, kLTB},
              {22, 0, 69, kToRowBottom, kSwiss12, HAlign::Left, VAlign::Top, kRTB}}},
    {101, 2, {{10, 0, 17, kToRowBottom, kArial12, HAlign::Center, VAlign::Top, kLTB},
              {27.5, 0, 63.5, kToRowBottom, kSwiss12, HAlign::Left, VAlign::Top, kRTB}}},
    {113, 2, {{10, 0, 81, 5, kSwiss12, HAlign::Left, VAlign::Top, FrameLeft | FrameRight | FrameTop},
              {10, 5, 24, kToRowBottom, kSwiss12, HAlign::Left, VAlign::Top, FrameLeft},
              {34, 5, 57, kToRowBottom, kArial12, HAlign::Left, VAlign::Top, FrameLeft}}},
    {208, 2, {{10, 0, 11, kToRowBottom, kInherited, HAlign::Center, VAlign::Top, kLTB},
              {21, 0, 70, kToRowBottom, kSwiss12, HAlign::Left, VAlign::Top, kRTB}}},
};

const SplitCell *splitCellOf(int row, int column)
{
    for (const SplitCell &split : kSplitCells)
        if (split.row == row && split.column == column)
            return &split;
    return nullptr;
}

// ---------------------------------------------------------------------------
// Subtotal lines: the caption cells first, then the subtotal cells "S" + the
// block's code + column number.

struct SubtotalHeights {
    double height;
    std::initializer_list<int> blocks;
};
const SubtotalHeights kSubtotalHeights[] = {
    {10, {1, 2, 3, 18, 19, 20}},                   // I, II, III, XIX, XX, XXI
    {9, {4, 5, 6, 9, 10, 12, 13, 14, 15, 16, 17}}, // IV, V, VI, IX, X, XII to XV, XVII, XVIII
    {8, {7, 8, 11}},                               // VII, VIII, XI
};

struct SubtotalCaption {
    double x;
    double width;
    FontSpec font;
    HAlign hAlign;
    VAlign vAlign;
    std::uint8_t frame;
    std::uint8_t firstBlockFrame;       // the frame on the chapter I line
    const char *text;                   // fixed text, or
    const QString ChapterBlock::*field; // the block's own text
};
const SubtotalCaption kSubtotalCaptions[] = {
    {0, 10, kArial15Bold, HAlign::Center, VAlign::Top, FrameAll, FrameAll, "", nullptr},
    {10, 60, kSwiss16Bold, HAlign::Right, VAlign::Center, kLTB, kTB, "SUBTOTAL - GLAVA", nullptr},
    {70, 21, kArial16Bold, HAlign::Left, VAlign::Center, kRTB, kRTB, nullptr, &ChapterBlock::numeral},
    {91, 40, kArial16Bold, HAlign::Center, VAlign::Center, FrameAll, FrameAll, nullptr, &ChapterBlock::codeRange},
};
constexpr CellStyle kSubtotalCellStyle{kArial15Bold, HAlign::Center, VAlign::Center};

// Names of cells nothing looks up (strips, captions, further pieces): numbers
// above those of the row cells (the last is 19 * 318 + 64 = 6106).
constexpr int kFirstFreeCellNumber = 6107;

// ---------------------------------------------------------------------------


bool contains(std::initializer_list<int> values, int value)
{
    for (int v : values)
        if (v == value)
            return true;
    return false;
}

class Builder {
public:
    explicit Builder(const RowCatalogue &catalogue)
        : m_catalogue(catalogue), m_plan(catalogue, kPageContents, kRowHeights, kDefaultRowHeight)
    {
    }

    report::TfrxReport build()
    {
        report::TfrxReport report(QStringLiteral("frxMladina"));
        report.title = QString::fromLatin1(kTitle);
        report.pages.reserve(kPageCount);
        for (int number = 1; number <= kPageCount; ++number) {
            const PageSpec &stated = kPages[number - 1];
            report::TfrxReportPage &page = report.pages.emplace_back(
                layout::page(number, {kLeftMargin, stated.rightMargin, kTopMargin, kBottomMargin}, stated.font));
            m_page1 = number == 1;

            double y = 0;
            if (m_page1) {
                page.title = titleBand();
                addPage1Head(page.cells);
                y = kPage1TableTop;
            } else {
                addStrip(page.cells);
                y = kOtherPagesTableTop;
            }
            walkLines(
                kPageContents[number - 1], y, [&](int row, double top) { return addRow(page.cells, row, top); },
                [&](int block, double top) { return addSubtotalLine(page.cells, block, top); });
        }
        return report;
    }

private:
    QString nextFreeName() { return m_names.next(); }

    // A cell spanning grid columns first to last of the current page.
    TfrxMemoView gridCell(QString name, int first, int last, double y, double height, const CellStyle &style) const
    {
        TfrxMemoView cell =
            layout::gridCell(std::move(name), gridColumn(first, m_page1), gridColumn(last, m_page1), y, height);
        cell.font = toFont(style.font);
        cell.hAlign = style.hAlign;
        cell.vAlign = style.vAlign;
        cell.frame = style.frame;
        return cell;
    }

    TfrxMemoView headCell(const HeadCell &stated) const
    {
        TfrxMemoView cell = gridCell(QString::fromLatin1(stated.name), stated.firstColumn, stated.lastColumn, stated.top,
                                     stated.height, {stated.font, stated.hAlign, stated.vAlign});
        if (*stated.text)
            cell.memo = QStringList{QString::fromLatin1(stated.text)};
        return cell;
    }

    report::TfrxReportTitle titleBand()
    {
        return layout::titleBand(kTitleBandWidth, kTitleBandHeight, kInherited, kTitleBand, m_names);
    }

    void addPage1Head(std::vector<TfrxMemoView> &cells) const
    {
        for (const HeadCell &stated : kPage1LineA)
            cells.push_back(headCell(stated));
        for (int k = 0; k < kDataColumns; ++k) {
            const int column = kFirstDataColumn + k;
            TfrxMemoView sex = gridCell(memoName(kFirstSexCaptionNumber + k), column, column, kLineBY,
                                        kHeadLineHeight, {kInherited, HAlign::Center, VAlign::Top});
            sex.memo = QStringList{QString::fromLatin1(kSexCaptions[column % 2])};
            cells.push_back(std::move(sex));
        }
        for (int column = 1; column <= kColumnCount; ++column) {
            const VAlign v = contains(kPage1TopAlignedNumbers, column) ? VAlign::Top : VAlign::Center;
            TfrxMemoView number = gridCell(QString::fromLatin1(kColumnNumberNames[column - 1]), column, column,
                                           kLineCY, kHeadLineHeight, {kInherited, HAlign::Center, v});
            number.memo = QStringList{QString::number(column)};
            cells.push_back(std::move(number));
        }
        for (const HeadCell &stated : kGrandTotalCaptions)
            cells.push_back(headCell(stated));
        for (int column = kFirstDataColumn; column <= kColumnCount; ++column)
            cells.push_back(gridCell(grandTotalCellName(column), column, column, kGrandTotalY,
                                     kHeadLineHeight, kDataStyle));
    }

    void addStrip(std::vector<TfrxMemoView> &cells)
    {
        for (int column = 1; column <= kColumnCount; ++column) {
            const VAlign v = contains(kStripTopAlignedNumbers, column) ? VAlign::Top : VAlign::Center;
            TfrxMemoView number =
                gridCell(nextFreeName(), column, column, 0, kHeadLineHeight, {kStripFont, HAlign::Center, v});
            number.memo = QStringList{QString::number(column)};
            cells.push_back(std::move(number));
        }
    }

    static CellStyle rowCellStyle(int row, int column)
    {
        CellStyle style = column == 1   ? kOrdinalStyle
                          : column == 2 ? kLabelStyle
                          : column == 3 ? kCodeStyle
                                        : kDataStyle;
        for (const StyleException &exception : kStyleExceptions) {
            if (!exception.rows.holds(row) || !exception.columns.holds(column))
                continue;
            if (exception.change.font)
                style.font = *exception.change.font;
            if (exception.change.vAlign)
                style.vAlign = *exception.change.vAlign;
            if (exception.change.frame)
                style.frame = *exception.change.frame;
        }
        return style;
    }

    // Adds the 17 cells of a row (with the pieces of its split texts) at y;
    // returns the row's height.
    double addRow(std::vector<TfrxMemoView> &cells, int row, double y)
    {
        const double height = m_plan.height(row);
        const CatalogueRow *source = m_plan.row(row);
        const int base = schoolYouthReportProfile().cellStride * row + schoolYouthReportProfile().cellBase - kRowTextCells;

        TfrxMemoView ordinal = gridCell(memoName(base), 1, 1, y, height, rowCellStyle(row, 1));
        if (source && !source->ordinal.isEmpty())
            ordinal.memo = QStringList{source->ordinal};
        cells.push_back(std::move(ordinal));

        addRowText(cells, row, 2, memoName(base + 1), y, height, source ? source->label : QList<QStringList>{});
        addRowText(cells, row, 3, memoName(base + 2), y, height, source ? source->code : QList<QStringList>{});

        for (int k = 0; k < kDataColumns; ++k) {
            const int column = kFirstDataColumn + k;
            cells.push_back(gridCell(countCellName(schoolYouthReportProfile(), row, k), column, column, y, height, rowCellStyle(row, column)));
        }
        return height;
    }

    // The label or code text of a row: one cell in its grid column, or the
    // pieces of a split text, each printing one line of the text (the last
    // piece keeps any surplus lines).
    void addRowText(std::vector<TfrxMemoView> &cells, int row, int column, QString name, double y, double height,
                    const QList<QStringList> &text)
    {
        const QStringList lines = joinedLines(text);
        const SplitCell *split = splitCellOf(row, column);
        if (!split) {
            TfrxMemoView cell = gridCell(std::move(name), column, column, y, height, rowCellStyle(row, column));
            cell.memo = lines;
            cells.push_back(std::move(cell));
            return;
        }
        const int pieceCount = int(split->pieces.size());
        int index = 0;
        for (const Piece &piece : split->pieces) {
            TfrxMemoView cell = placedCell(index == 0 ? std::move(name) : nextFreeName(), piece.x, y + piece.dy,
                                           piece.width, pieceHeight(piece.height, piece.dy, height));
            cell.font = toFont(piece.font);
            cell.hAlign = piece.hAlign;
            cell.vAlign = piece.vAlign;
            cell.frame = piece.frame;
            if (index < lines.size())
                cell.memo = index + 1 < pieceCount ? QStringList{lines[index]} : lines.mid(index);
            cells.push_back(std::move(cell));
            ++index;
        }
    }

    // Adds the subtotal line of a block (1-based) at y; returns its height.
    double addSubtotalLine(std::vector<TfrxMemoView> &cells, int blockNumber, double y)
    {
        double height = kDefaultRowHeight;
        for (const SubtotalHeights &entry : kSubtotalHeights)
            if (contains(entry.blocks, blockNumber))
                height = entry.height;
        const ChapterBlock *block = blockOf(m_catalogue, blockNumber);

        for (const SubtotalCaption &caption : kSubtotalCaptions) {
            TfrxMemoView cell = placedCell(nextFreeName(), caption.x, y, caption.width, height);
            cell.font = toFont(caption.font);
            cell.hAlign = caption.hAlign;
            cell.vAlign = caption.vAlign;
            cell.frame = blockNumber == 1 ? caption.firstBlockFrame : caption.frame;
            if (caption.text && *caption.text)
                cell.memo = QStringList{QString::fromLatin1(caption.text)};
            else if (caption.field && block && !(block->*caption.field).isEmpty())
                cell.memo = QStringList{block->*caption.field};
            cells.push_back(std::move(cell));
        }
        for (int column = kFirstDataColumn; column <= kColumnCount; ++column) {
            QString name = block ? subtotalCellName(*block, column) : nextFreeName();
            cells.push_back(gridCell(std::move(name), column, column, y, height, kSubtotalCellStyle));
        }
        return height;
    }

    const RowCatalogue &m_catalogue;
    RowPlan m_plan;
    bool m_page1 = false;
    FreeNames m_names{kFirstFreeCellNumber};
};

} // namespace

Result<void> checkFrxMladinaCatalogue(const RowCatalogue &catalogue)
{
    if (Result<void> fits = checkPageFit(catalogue, kPageContents, QStringLiteral("frxMladina")); !fits)
        return fits;

    for (const CatalogueRow &row : catalogue.rows()) {
        for (int column : {2, 3}) {
            const QList<QStringList> &text = column == 2 ? row.label : row.code;
            const QString what = column == 2 ? QStringLiteral("label") : QStringLiteral("code text");
            if (const SplitCell *split = splitCellOf(row.number, column)) {
                const int lines = int(joinedLines(text).size());
                if (lines != int(split->pieces.size()))
                    return fail(QStringLiteral("Row %1: the %2 has %3 lines; frxMladina prints it in %4 cells")
                                    .arg(row.number)
                                    .arg(what)
                                    .arg(lines)
                                    .arg(split->pieces.size()));
            } else if (text.size() != 1) {
                return fail(QStringLiteral("Row %1: the %2 has %3 cells; frxMladina prints it in one")
                                .arg(row.number)
                                .arg(what)
                                .arg(text.size()));
            }
        }
    }
    return {};
}

report::TfrxReport buildFrxMladina(const RowCatalogue &catalogue)
{
    return Builder(catalogue).build();
}

} // namespace tarel::reports
