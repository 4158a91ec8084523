#include "frxdeca1.h"
#include "children.h"

#include "morbiditylayout.h"

#include "catalogue.h"

#include <QHash>
#include <QSet>
#include <QString>
#include <QStringList>

#include <algorithm>
#include <cstdint>
#include <initializer_list>
#include <iterator>
#include <optional>
#include <vector>

namespace tarel::reports {

namespace {

// ---------------------------------------------------------------------------
// The layout vocabulary: frames, alignments, fonts (a cell with the inherited
// font prints in its page's font), cell specs and the page walk.

using namespace layout;

// ---------------------------------------------------------------------------
// Pages: A4 landscape. Pages 1 to 9 leave 12 mm on the right (275 by 200 mm
// printable), page 10 only 5 mm (282 by 200 mm).

constexpr int kPageCount = 10;

struct PageMargins {
    int first; // pages, inclusive
    int last;
    double left;
    double right;
    double top;
    double bottom;
};
const PageMargins kPageMargins[] = {
    {1, 9, 10, 12, 5, 5},
    {10, 10, 10, 5, 5, 5},
};

struct PageFont {
    int page;
    FontSpec font;
};
// Every other page prints its unfonted cells in the report default, Arial 13.
const PageFont kPageFonts[] = {
    {1, kSwiss13},
    {3, kSwiss12},
    {10, kArial16},
};

// ---------------------------------------------------------------------------
// Column grid (mm): 1 printed number, 2 label, 3 code text, 4 to 17 the data
// columns (total male and female, then male and female of the six bands; the
// pair of the last band is wider). The table ends at 274 mm.

constexpr int kDataColumns = 14;
constexpr int kColumns = 3 + kDataColumns;
constexpr int kFirstDataColumnNumber = 4;

const Column kGrid[kColumns] = {
    {0, 10},   {10, 81},  {91, 40},  {131, 10}, {141, 10}, {151, 10}, {161, 10}, {171, 10}, {181, 10},
    {191, 10}, {201, 10}, {211, 10}, {221, 10}, {231, 10}, {241, 10}, {251, 11.5}, {262.5, 11.5},
};

// Column by its printed number, 1 to 17.
const Column &gridColumn(int number) { return kGrid[number - 1]; }

// ---------------------------------------------------------------------------
// Fixed cells: the title band and the head of Page1 (mm from the band's or the
// printable area's top-left corner).

constexpr double kTitleBandWidth = 275;
constexpr double kTitleBandHeight = 26;

// The report's heading, printed in Memo1 and carried as the report's title.
constexpr const char *kTitle = "UTVRDENI ZABOLUVAWA - SOSTOJBI SPORED VOZRASTA I POLOT NA DECATA";

const CellSpec kTitleBand[] = {
    // name      left  top   width height font          h               v               frame      text
    {"Memo989",  1,    0,    17.3, 7,     kSwiss15Bold, HAlign::Left,   VAlign::Top,    FrameNone, "Data od:"},
    {"dataod",   18,   0,    33,   7,     kSwiss15,     HAlign::Left,   VAlign::Top,    FrameNone, ""},
    {"Memo990",  1,    7,    17.3, 7,     kSwiss15Bold, HAlign::Left,   VAlign::Top,    FrameNone, "Data do:"},
    {"datado",   18,   7,    33,   7,     kSwiss15,     HAlign::Left,   VAlign::Top,    FrameNone, ""},
    {"Memo991",  140,  0,    10,   5,     kSwiss13Bold, HAlign::Left,   VAlign::Top,    FrameNone, "PZU:"},
    {"pzu",      150,  0,    124,  5,     kInherited,   HAlign::Left,   VAlign::Top,    FrameNone, ""},
    {"Memo1",    64.5, 9,    146,  10,    kSwiss16Bold, HAlign::Center, VAlign::Center, FrameNone,
     kTitle, Placement::Center},
    {"Memo988",  1,    18,   17.3, 7,     kSwiss15Bold, HAlign::Left,   VAlign::Top,    FrameNone, "Lekar:"},
    {"lekar",    18.3, 18.3, 192,  7,     kSwiss15,     HAlign::Left,   VAlign::Top,    FrameNone, ""},
    {"GradSelo", 250,  21,   25,   5,     kInherited,   HAlign::Left,   VAlign::Top,    FrameNone, ""},
};

// Head of Page1, framed and centred, in the page font unless stated: the
// caption line (y 37) with the three column captions 10 mm high and the band
// captions over the column pairs, the sex line (y 42), the column-number line
// (y 47) and the grand-total line (y 52).
constexpr double kCaptionY = 37;
constexpr double kSexY = 42;
constexpr double kColumnNumberY = 47;
constexpr double kGrandTotalY = 52;
constexpr double kHeadLineHeight = 5;

const CellSpec kPage1Head[] = {
    // name    left top           width height font        h               v               frame     text
    {"Memo2",  0,   kCaptionY,    10,   10,    kInherited, HAlign::Center, VAlign::Center, FrameAll, ""},
    {"Memo3",  10,  kCaptionY,    81,   10,    kInherited, HAlign::Center, VAlign::Center, FrameAll,
     "Zaboluvawa sostojbi (skratena lista)"},
    {"Memo4",  91,  kCaptionY,    40,   10,    kInherited, HAlign::Center, VAlign::Center, FrameAll,
     "{ifra po MKB - 10"},
    {"Memo47", 0,   kGrandTotalY, 10,   5,     kInherited, HAlign::Center, VAlign::Top,    FrameAll, ""},
    {nullptr,  10,  kGrandTotalY, 81,   5,     kSwiss12,   HAlign::Center, VAlign::Top,    FrameAll,
     "Vkupno (1 - 236)"},
    {nullptr,  91,  kGrandTotalY, 40,   5,     kTimes13,   HAlign::Center, VAlign::Top,    FrameAll, "A00 - Z99"},
};

// One caption over each pair of data columns, the totals first, then the bands.
const char *const kPairCaptions[kDataColumns / 2] = {
    "Vkupno", "do 2 mes.", "3-5 mes.", "6-11 mes.", "1-2 god.", "3-4 god.", "5-6 god.",
};
// "m" over the male and "`" over the female column of each pair.
const char *const kSexCaptions[] = {"m", "`"};
// The column numbers of Page1 are Memo26 (column 1) upward.
constexpr int kFirstColumnNumberCell = 26;

// The column-number line that opens pages 2 to 10.
constexpr FontSpec kColumnNumberFont = kArial15Bold;

// The line the catalogue starts under: the grand-total line on Page1, the
// column-number line elsewhere.
constexpr double kPage1TableTop = kGrandTotalY + kHeadLineHeight;
constexpr double kOtherPagesTableTop = kHeadLineHeight;

// ---------------------------------------------------------------------------
// Row heights (mm): 5 unless listed.

constexpr double kDefaultRowHeight = 5;

const RowHeights kRowHeights[] = {
    {8, {158, 185, 187, 189, 191, 201, 202, 204}},
    {9, {77, 78, 85, 90, 106, 137, 170, 193, 196, 211, 213, 219, 222, 224, 226, 227, 234, 235, 236, 237, 239, 240,
         241, 242, 243, 244}},
    {10, {6, 22, 36, 45, 48, 65, 66, 67, 76, 80, 83, 84, 89, 97, 102, 105, 115, 122, 135, 140, 141, 143, 148, 151,
          164, 169}},
    {12, {207}},
    {13, {180, 181, 182}},
    {15, {157}},
    {17, {72}},
    {18, {108, 114}},
    {19, {217}},
    {37, {218}},
};

// ---------------------------------------------------------------------------
// Page contents: the lines of each page in order after its head. A subtotal
// line is named by its block (1 to 20); there is no chapter XV, so blocks 15
// to 20 are chapters XVI to XXI.

const std::initializer_list<PageLines> kPageContents[kPageCount] = {
    /* Page1  */ {rows(1, 26)},
    /* Page2  */ {rows(27, 61)},
    /* Page3  */ {rows(62, 72), subtotal(1), rows(73, 78), subtotal(2), rows(79, 84)},
    /* Page4  */ {rows(85, 85), subtotal(3), rows(86, 102), subtotal(4), rows(103, 105), subtotal(5), rows(106, 108)},
    /* Page5  */ {subtotal(6), rows(109, 114), subtotal(7), rows(115, 117), subtotal(8), rows(118, 124), subtotal(9),
                  rows(125, 132)},
    /* Page6  */ {rows(133, 138), subtotal(10), rows(139, 151), subtotal(11), rows(152, 157)},
    /* Page7  */ {subtotal(12), rows(158, 169), subtotal(13), rows(170, 180), subtotal(14), rows(181, 182)},
    /* Page8  */ {rows(183, 189), subtotal(15 /* XVI */), rows(190, 204), subtotal(16 /* XVII */), rows(205, 207),
                  subtotal(17 /* XVIII */)},
    /* Page9  */ {rows(208, 227), subtotal(18 /* XIX */), rows(228, 229)},
    /* Page10 */ {rows(230, 235), subtotal(19 /* XX */), rows(236, 244), subtotal(20 /* XXI */)},
};

// ---------------------------------------------------------------------------
// Catalogue rows: cell fonts and alignments. Every cell of a row is framed and
// centred vertically; the number and the counts are centred, label and code
// text left-aligned.

struct RowRange {
    int first;
    int last;
};
bool inRange(const RowRange &range, int row) { return row >= range.first && row <= range.last; }

struct RowFont {
    FontSpec font;
    std::initializer_list<int> rows;
};
const FontSpec *fontOf(std::initializer_list<RowFont> fonts, int row)
{
    for (const RowFont &entry : fonts)
        if (std::find(entry.rows.begin(), entry.rows.end(), row) != entry.rows.end())
            return &entry.font;
    return nullptr;
}

constexpr FontSpec kOrdinalFont = kInherited;
constexpr FontSpec kLabelFont = kSwiss12;
constexpr FontSpec kCodeFont = kTimes13;
constexpr FontSpec kCountFont = kInherited;

const std::initializer_list<RowFont> kOrdinalFonts = {
    {kArial13, {108, 129, 138, 146, 154, 158, 180, 193, 210, 217}},
    // Cyrillic letters numbering the external causes.
    {kSwiss13, {229, 230, 231, 232, 233, 235}},
};
const std::initializer_list<RowFont> kLabelFonts = {
    {kSwiss13, {108, 129, 138, 146, 154, 158, 180, 193, 210, 217, 231}},
};
const std::initializer_list<RowFont> kCodeFonts = {
    {kArial13, {108, 129, 138, 146, 158, 180, 193, 210, 231}},
    {kArial15, {154}},
    {kArial12, {217}},
};

// Page3 prints its counts on the left; Pages 2 and 3 put the counts of the
// last band (columns 16 and 17) at the top of their cells.
constexpr RowRange kLeftAlignedCountRows{62, 84};
constexpr RowRange kTopAlignedLastBandRows{27, 84};
constexpr int kFirstLastBandColumn = 16;

// The count cells of row r (countCellName) are 14r + 1022 (column 4) to
// 14r + 1035 (column 17), so a row's number, label and code cells cannot share that
// stride. They carry 3r + 4449 to 3r + 4451, above the last count cell (4451).
constexpr int kRowTextStride = 3;
constexpr int kRowTextBase = 4449;

// ---------------------------------------------------------------------------
// Split and stacked labels and code texts: several cells that together fill
// the row's label or code cell, each printing one cell of the catalogue's text
// or one line of it (x and width in mm, dy from the row's top; height
// kToRowBottom reaches the row's bottom). Their frames together form the
// box of the cell they replace.

enum class RowText { Label, Code };
constexpr int kWholeCell = -1;
constexpr std::uint8_t kLRT = FrameLeft | FrameRight | FrameTop;
constexpr std::uint8_t kLRB = FrameLeft | FrameRight | FrameBottom;
constexpr std::uint8_t kLB = FrameLeft | FrameBottom;
constexpr std::uint8_t kRB = FrameRight | FrameBottom;

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

const Composite kComposites[] = {
    // Latin name part, then the rest of the label in the Macedonian font.
    // row text              x   dy width height        font        h               v               frame cell
    {30, RowText::Label, {{10, 0, 8, kToRowBottom, kArial13, HAlign::Center, VAlign::Center, kLTB, 0},
                          {18, 0, 73, kToRowBottom, kSwiss12, HAlign::Left, VAlign::Center, kRTB, 1}}},
    {73, RowText::Label, {{10, 0, 15, kToRowBottom, kArial12, HAlign::Center, VAlign::Center, kLTB, 0},
                          {25, 0, 66, kToRowBottom, kSwiss12, HAlign::Left, VAlign::Center, kRTB, 1}}},
    {74, RowText::Label, {{10, 0, 20, kToRowBottom, kArial12, HAlign::Center, VAlign::Center, kLTB, 0},
                          {30, 0, 61, kToRowBottom, kSwiss12, HAlign::Left, VAlign::Center, kRTB, 1}}},
    {147, RowText::Label, {{10, 0, 13, kToRowBottom, kInherited, HAlign::Center, VAlign::Center, kLTB, 0},
                           {23, 0, 68, kToRowBottom, kSwiss12, HAlign::Left, VAlign::Center, kRTB, 1}}},
    {203, RowText::Label, {{10, 0, 13, kToRowBottom, kInherited, HAlign::Center, VAlign::Center, kLTB, 0},
                           {23, 0, 68, kToRowBottom, kSwiss12, HAlign::Left, VAlign::Center, kRTB, 1}}},
    // The Latin name of the louse on a line of its own.
    {66, RowText::Label, {{10, 0, 81, 5, kSwiss12, HAlign::Left, VAlign::Center, kLRT, 0, 0},
                          {10, 5, 81, kToRowBottom, kArial12, HAlign::Left, VAlign::Center, kLRB, 0, 1}}},
    {67, RowText::Label, {{10, 0, 81, 5, kSwiss12, HAlign::Left, VAlign::Center, kLRT, 0, 0},
                          {10, 5, 81, kToRowBottom, kArial12, HAlign::Left, VAlign::Center, kLRB, 0, 1}}},
    {80, RowText::Label, {{10, 0, 81, 5, kSwiss12, HAlign::Left, VAlign::Center, kLRT, 0, 0},
                          {10, 5, 24, kToRowBottom, kSwiss12, HAlign::Left, VAlign::Center, kLB, 0, 1},
                          {34, 5, 57, kToRowBottom, kArial12, HAlign::Left, VAlign::Center, kRB, 1}}},
    // "(bez " is stored as the second of two lines, at the bottom of its cell.
    {83, RowText::Code, {{91, 0, 40, 5, kArial13, HAlign::Left, VAlign::Top, kLRT, 0, 0},
                         {91, 5, 8, kToRowBottom, kSwiss13, HAlign::Left, VAlign::Bottom, kLB, 0, 1, 1},
                         {99, 5, 32, kToRowBottom, kTimes13, HAlign::Left, VAlign::Center, kRB, 1}}},
};

const Composite *compositeOf(int row, RowText text)
{
    for (const Composite &composite : kComposites)
        if (composite.row == row && composite.text == text)
            return &composite;
    return nullptr;
}

// The cells and lines a composite text prints: per cell of the text, the
// number of lines its pieces take one by one (0 when a piece takes the whole
// cell, whatever its lines).
std::vector<int> expectedShape(const Composite &composite)
{
    std::vector<int> lines;
    for (const Piece &piece : composite.pieces) {
        if (std::size_t(piece.cell) >= lines.size())
            lines.resize(std::size_t(piece.cell) + 1, 0);
        if (piece.line != kWholeCell)
            lines[std::size_t(piece.cell)] = std::max(lines[std::size_t(piece.cell)], piece.line + 1);
    }
    return lines;
}

// The lines one piece prints. A piece taking the last line its layout expects
// of a cell also takes any further lines of that cell, and the last piece any
// cells beyond those the layout expects, so no text of a misfitting catalogue
// is lost.
QStringList pieceLines(const Composite &composite, std::size_t index, const QList<QStringList> &text)
{
    const Piece &piece = *(composite.pieces.begin() + index);
    const std::vector<int> shape = expectedShape(composite);
    QStringList lines;
    if (piece.cell < int(text.size())) {
        const QStringList &cell = text[piece.cell];
        if (piece.line == kWholeCell)
            lines = cell;
        else if (piece.line + 1 == shape[std::size_t(piece.cell)])
            lines = cell.mid(piece.line);
        else if (piece.line < int(cell.size()))
            lines = QStringList{cell[piece.line]};
    }
    if (index + 1 == composite.pieces.size())
        lines += joinedLines(text.mid(qsizetype(shape.size())));
    if (!lines.isEmpty())
        for (int i = 0; i < piece.blankLinesBefore; ++i)
            lines.prepend(QString());
    return lines;
}

// ---------------------------------------------------------------------------
// Subtotal lines: column 1 an empty framed cell, the caption "SUBTOTAL - GLAVA"
// from 10 mm to the chapter numeral, the numeral up to 91 mm, the chapter's
// code range in column 3 and the subtotal cells "S" + code + column number.

struct SubtotalStyle {
    double height;
    double numeralX;
    const char *caption;
    FontSpec codeFont;
    FontSpec cellFont;
};
const char *const kCaption = "SUBTOTAL - GLAVA";
const char *const kCaptionBlank = "SUBTOTAL - GLAVA ";
// By block, 1 to 20.
const SubtotalStyle kSubtotalStyles[] = {
    /* I     */ {10, 67, kCaption, kArial16Bold, kSwiss15Bold},
    /* II    */ {10, 67, kCaption, kTimes13Bold, kSwiss15Bold},
    /* III   */ {10, 68, kCaptionBlank, kTimes13Bold, kArial15Bold},
    /* IV    */ {10, 68, kCaption, kTimes13Bold, kArial15Bold},
    /* V     */ {9, 68, kCaption, kTimes13Bold, kArial15Bold},
    /* VI    */ {10, 69, kCaption, kTimes13Bold, kArial15Bold},
    /* VII   */ {10, 69, kCaption, kArial13Bold, kArial15Bold},
    /* VIII  */ {9, 69, kCaption, kTimes13Bold, kArial15Bold},
    /* IX    */ {9, 69, kCaption, kTimes13Bold, kArial15Bold},
    /* X     */ {10, 68, kCaption, kTimes13Bold, kArial15Bold},
    /* XI    */ {10, 69, kCaptionBlank, kTimes13Bold, kArial15Bold},
    /* XII   */ {9, 68, kCaption, kTimes13Bold, kArial15Bold},
    /* XIII  */ {9, 68, kCaption, kTimes13Bold, kArial15Bold},
    /* XIV   */ {10, 68, kCaption, kTimes13Bold, kArial15Bold},
    /* XVI   */ {9, 68, kCaption, kTimes13Bold, kArial15Bold},
    /* XVII  */ {9, 68, kCaption, kTimes13Bold, kArial15Bold},
    /* XVIII */ {9, 68, kCaption, kTimes13Bold, kArial15Bold},
    /* XIX   */ {9, 68, kCaption, kTimes13Bold, kArial15Bold},
    /* XX    */ {9, 68, kCaption, kTimes13Bold, kArial15Bold},
    /* XXI   */ {9, 68, kCaption, kTimes13Bold, kArial15Bold},
};
constexpr FontSpec kSubtotalCaptionFont = kSwiss16Bold;
constexpr FontSpec kSubtotalNumeralFont = kArial16Bold;

// Names of cells nothing looks up (head captions, pieces, subtotal captions):
// numbers above the row cells (the last is 5183, the code cell of row 244).
constexpr int kFirstFreeCellNumber = 5184;

// ---------------------------------------------------------------------------


Margins marginsOf(int number)
{
    Margins found{};
    for (const PageMargins &margins : kPageMargins)
        if (number >= margins.first && number <= margins.last)
            found = {margins.left, margins.right, margins.top, margins.bottom};
    return found;
}

FontSpec pageFont(int number)
{
    for (const PageFont &pageFont : kPageFonts)
        if (pageFont.page == number)
            return pageFont.font;
    return kInherited;
}

class Builder {
public:
    explicit Builder(const RowCatalogue &catalogue)
        : m_catalogue(catalogue), m_plan(catalogue, kPageContents, kRowHeights, kDefaultRowHeight)
    {
    }

    report::TfrxReport build()
    {
        report::TfrxReport report(QStringLiteral("frxDeca1"));
        report.title = QString::fromLatin1(kTitle);
        report.pages.reserve(kPageCount);
        for (int number = 1; number <= kPageCount; ++number) {
            report::TfrxReportPage &page =
                report.pages.emplace_back(layout::page(number, marginsOf(number), pageFont(number)));

            double y = 0;
            page.cells.reserve(50 * kColumns);
            if (number == 1) {
                page.title = titleBand();
                addPage1Head(page.cells);
                y = kPage1TableTop;
            } else {
                addColumnNumbers(page.cells);
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

    TfrxMemoView cellFrom(const CellSpec &stated)
    {
        TfrxMemoView cell = layout::cellFrom(stated, m_names);
        return cell;
    }

    // A framed cell over grid columns first to last at y.
    static TfrxMemoView gridCell(QString name, int first, int last, double y, double height)
    {
        return layout::gridCell(std::move(name), gridColumn(first), gridColumn(last), y, height);
    }

    static TfrxMemoView textCell(QString name, int column, double y, double height, QString text)
    {
        TfrxMemoView cell = gridCell(std::move(name), column, column, y, height);
        cell.memo = QStringList{std::move(text)};
        cell.hAlign = HAlign::Center;
        return cell;
    }

    report::TfrxReportTitle titleBand()
    {
        return layout::titleBand(kTitleBandWidth, kTitleBandHeight, kInherited, kTitleBand, m_names);
    }

    void addPage1Head(std::vector<TfrxMemoView> &cells)
    {
        for (const CellSpec &stated : kPage1Head)
            cells.push_back(cellFrom(stated));
        for (int pair = 0; pair < kDataColumns / 2; ++pair) {
            const int column = kFirstDataColumnNumber + 2 * pair;
            TfrxMemoView caption = gridCell(nextFreeName(), column, column + 1, kCaptionY, kHeadLineHeight);
            caption.memo = QStringList{QString::fromLatin1(kPairCaptions[pair])};
            caption.hAlign = HAlign::Center;
            cells.push_back(std::move(caption));
        }
        for (int k = 0; k < kDataColumns; ++k)
            cells.push_back(textCell(nextFreeName(), kFirstDataColumnNumber + k, kSexY, kHeadLineHeight,
                                     QString::fromLatin1(kSexCaptions[k % 2])));
        for (int column = 1; column <= kColumns; ++column)
            cells.push_back(textCell(memoName(kFirstColumnNumberCell + column - 1), column, kColumnNumberY,
                                     kHeadLineHeight, QString::number(column)));
        for (int k = 0; k < kDataColumns; ++k) {
            const int column = kFirstDataColumnNumber + k;
            TfrxMemoView total = gridCell(grandTotalCellName(column), column, column, kGrandTotalY,
                                          kHeadLineHeight);
            total.hAlign = HAlign::Center;
            cells.push_back(std::move(total));
        }
    }

    void addColumnNumbers(std::vector<TfrxMemoView> &cells)
    {
        for (int column = 1; column <= kColumns; ++column) {
            TfrxMemoView number = textCell(nextFreeName(), column, 0, kHeadLineHeight, QString::number(column));
            number.font = toFont(kColumnNumberFont);
            cells.push_back(std::move(number));
        }
    }

    // Adds the 17 cells (or the pieces of a split text) of a row at y;
    // returns the row's height.
    double addRow(std::vector<TfrxMemoView> &cells, int row, double y)
    {
        const double height = m_plan.height(row);
        const CatalogueRow *source = m_plan.row(row);
        const int textBase = kRowTextStride * row + kRowTextBase;

        TfrxMemoView ordinal = gridCell(memoName(textBase), 1, 1, y, height);
        if (source && !source->ordinal.isEmpty())
            ordinal.memo = QStringList{source->ordinal};
        const FontSpec *ordinalFont = fontOf(kOrdinalFonts, row);
        ordinal.font = toFont(ordinalFont ? *ordinalFont : kOrdinalFont);
        ordinal.hAlign = HAlign::Center;
        ordinal.vAlign = VAlign::Center;
        cells.push_back(std::move(ordinal));

        const FontSpec *labelFont = fontOf(kLabelFonts, row);
        addRowText(cells, row, RowText::Label, memoName(textBase + 1), 2, y, height,
                   source ? source->label : QList<QStringList>{}, labelFont ? *labelFont : kLabelFont);
        const FontSpec *codeFont = fontOf(kCodeFonts, row);
        addRowText(cells, row, RowText::Code, memoName(textBase + 2), 3, y, height,
                   source ? source->code : QList<QStringList>{}, codeFont ? *codeFont : kCodeFont);

        for (int k = 0; k < kDataColumns; ++k) {
            const int column = kFirstDataColumnNumber + k;
            TfrxMemoView count = gridCell(countCellName(childrenReportProfile(), row, k), column, column, y, height);
            count.font = toFont(kCountFont);
            count.hAlign = inRange(kLeftAlignedCountRows, row) ? HAlign::Left : HAlign::Center;
            count.vAlign = column >= kFirstLastBandColumn && inRange(kTopAlignedLastBandRows, row) ? VAlign::Top
                                                                                                  : VAlign::Center;
            cells.push_back(std::move(count));
        }
        return height;
    }

    // The label or code text of a row: one framed cell in its grid column, or
    // the pieces of a split or stacked text; the first piece keeps the name.
    void addRowText(std::vector<TfrxMemoView> &cells, int row, RowText which, QString name, int column, double y,
                    double height, const QList<QStringList> &text, const FontSpec &font)
    {
        const Composite *composite = compositeOf(row, which);
        if (!composite) {
            TfrxMemoView cell = gridCell(std::move(name), column, column, y, height);
            cell.memo = joinedLines(text);
            cell.font = toFont(font);
            cell.vAlign = VAlign::Center;
            cells.push_back(std::move(cell));
            return;
        }
        for (std::size_t index = 0; index < composite->pieces.size(); ++index) {
            const Piece &piece = *(composite->pieces.begin() + index);
            TfrxMemoView cell = placedCell(index == 0 ? std::move(name) : nextFreeName(), piece.x, y + piece.dy,
                                           piece.width, pieceHeight(piece.height, piece.dy, height));
            cell.font = toFont(piece.font);
            cell.hAlign = piece.hAlign;
            cell.vAlign = piece.vAlign;
            cell.frame = piece.frame;
            cell.memo = pieceLines(*composite, index, text);
            cells.push_back(std::move(cell));
        }
    }

    // Adds the subtotal line of a block (1-based) at y; returns its height.
    double addSubtotalLine(std::vector<TfrxMemoView> &cells, int blockNumber, double y)
    {
        const SubtotalStyle &style = kSubtotalStyles[blockNumber - 1];
        const ChapterBlock *block = blockOf(m_catalogue, blockNumber);
        const double height = style.height;
        const double labelX = gridColumn(2).x;
        const double numeralEnd = gridColumn(3).x;

        cells.push_back(gridCell(nextFreeName(), 1, 1, y, height));

        TfrxMemoView caption = gridCell(nextFreeName(), 2, 2, y, height);
        caption.width = mm(style.numeralX - labelX);
        caption.memo = QStringList{QString::fromLatin1(style.caption)};
        caption.font = toFont(kSubtotalCaptionFont);
        caption.hAlign = HAlign::Right;
        caption.frame = kLTB;
        cells.push_back(std::move(caption));

        TfrxMemoView numeral = gridCell(nextFreeName(), 2, 2, y, height);
        numeral.left = mm(style.numeralX);
        numeral.width = mm(numeralEnd - style.numeralX);
        if (block && !block->numeral.isEmpty())
            numeral.memo = QStringList{block->numeral};
        numeral.font = toFont(kSubtotalNumeralFont);
        numeral.frame = kRTB;
        cells.push_back(std::move(numeral));

        TfrxMemoView range = gridCell(nextFreeName(), 3, 3, y, height);
        if (block && !block->codeRange.isEmpty())
            range.memo = QStringList{block->codeRange};
        range.font = toFont(style.codeFont);
        range.hAlign = HAlign::Center;
        cells.push_back(std::move(range));

        for (int k = 0; k < kDataColumns; ++k) {
            const int column = kFirstDataColumnNumber + k;
            QString name = block ? subtotalCellName(*block, column) : QString();
            // A missing block, or keys that spell a name twice ("1" and "11"
            // give "S114" for column 14 and column 4): a name nothing looks up.
            if (name.isEmpty() || m_subtotalNames.contains(name.toLower()))
                name = nextFreeName();
            m_subtotalNames.insert(name.toLower());
            TfrxMemoView cell = gridCell(std::move(name), column, column, y, height);
            cell.font = toFont(style.cellFont);
            cell.hAlign = HAlign::Center;
            cells.push_back(std::move(cell));
        }
        return height;
    }

    const RowCatalogue &m_catalogue;
    RowPlan m_plan;
    QSet<QString> m_subtotalNames; // lower case
    FreeNames m_names{kFirstFreeCellNumber};
};

QString textName(RowText which) { return which == RowText::Label ? QStringLiteral("label") : QStringLiteral("code text"); }

} // namespace

Result<void> checkFrxDeca1Catalogue(const RowCatalogue &catalogue)
{
    if (Result<void> fits = checkPageFit(catalogue, kPageContents, QStringLiteral("frxDeca1")); !fits)
        return fits;
    const auto &blocks = catalogue.blocks();

    // The keys spell every subtotal cell name once.
    QHash<QString, int> subtotalNames; // lower case -> block
    for (std::size_t index = 0; index < blocks.size(); ++index) {
        for (int k = 0; k < kDataColumns; ++k) {
            const QString name = subtotalCellName(blocks[index], kFirstDataColumnNumber + k);
            const auto found = subtotalNames.constFind(name.toLower());
            if (found != subtotalNames.constEnd())
                return fail(QStringLiteral("Chapter blocks %1 and %2 both name a subtotal cell %3")
                                .arg(found.value())
                                .arg(index + 1)
                                .arg(name));
            subtotalNames.insert(name.toLower(), int(index) + 1);
        }
    }

    for (const CatalogueRow &row : catalogue.rows()) {
        for (RowText which : {RowText::Label, RowText::Code}) {
            const QList<QStringList> &text = which == RowText::Label ? row.label : row.code;
            const Composite *composite = compositeOf(row.number, which);
            const std::vector<int> shape = composite ? expectedShape(*composite) : std::vector<int>{0};
            if (text.size() != qsizetype(shape.size()))
                return fail(QStringLiteral("Row %1: the %2 has %3 cells; frxDeca1 prints it in %4")
                                .arg(row.number)
                                .arg(textName(which))
                                .arg(text.size())
                                .arg(shape.size()));
            for (std::size_t cell = 0; cell < shape.size(); ++cell) {
                const int lines = int(text[qsizetype(cell)].size());
                if (shape[cell] != 0 && lines != shape[cell])
                    return fail(QStringLiteral("Row %1: cell %2 of the %3 has %4 lines; frxDeca1 prints %5")
                                    .arg(row.number)
                                    .arg(cell + 1)
                                    .arg(textName(which))
                                    .arg(lines)
                                    .arg(shape[cell]));
            }
        }
    }
    return {};
}

report::TfrxReport buildFrxDeca1(const RowCatalogue &catalogue)
{
    return Builder(catalogue).build();
}

} // namespace tarel::reports
