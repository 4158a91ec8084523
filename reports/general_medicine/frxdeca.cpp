#include "frxdeca.h"

#include "generalmedicine.h"
#include "morbiditylayout.h"

#include "catalogue.h"

#include <QString>
#include <QStringList>

#include <cstdint>
#include <initializer_list>
#include <iterator>
#include <optional>
#include <vector>

namespace tarel::reports {

namespace {

// ---------------------------------------------------------------------------
// The layout vocabulary: frames, alignments, fonts (a cell with the inherited
// font prints in its band's or page's font), cell specs and the page walk.

using namespace layout;

// ---------------------------------------------------------------------------
// Pages: A4 landscape, 5 mm margins, 287 by 200 mm printable.

constexpr int kPageCount = 13;
constexpr double kMargin = 5;

struct PageFont {
    int page;
    FontSpec font;
};
// Every other page prints its unfonted cells in the report default, Arial 13.
const PageFont kPageFonts[] = {
    {1, kSwiss13},
    {3, kSwiss12},
};

// ---------------------------------------------------------------------------
// Column grid (mm): 1 ordinal, 2 label, 3 code text, 4 to 19 the data columns.

constexpr int kDataColumns = 16;
constexpr int kColumns = 3 + kDataColumns;
constexpr int kFirstDataColumnNumber = 4;

constexpr Column kOrdinalColumn{0, 10};
constexpr Column kLabelColumn{10, 81};
constexpr Column kCodeColumn{91, 35};
constexpr double kFirstDataX = 126;
constexpr double kDataWidth = 10;

// Column by its printed number, 1 to 19.
constexpr Column gridColumn(int number)
{
    switch (number) {
    case 1: return kOrdinalColumn;
    case 2: return kLabelColumn;
    case 3: return kCodeColumn;
    default: return {kFirstDataX + kDataWidth * (number - kFirstDataColumnNumber), kDataWidth};
    }
}

// ---------------------------------------------------------------------------
// Fixed cells: the title band and the head of Page1 (mm from the band's or the
// printable area's top-left corner).

constexpr double kTitleBandWidth = 287;
constexpr double kTitleBandHeight = 26;
constexpr FontSpec kTitleBandFont = kSwiss13;

// The report's heading, printed in Memo1 and carried as the report's title.
constexpr const char *kTitle = "UTVRDENI ZABOLUVAWA - SOSTOJBI SPORED VOZRASTA I POLOT VO DEJNOST 3 OP[TA MEDICINA";

const CellSpec kTitleBand[] = {
    // name       left  top   width height font               h               v               frame      text
    {"Memo1",     49.5, 9,    188,  10,    kSwiss16Bold,      HAlign::Center, VAlign::Center, FrameNone,
     kTitle, Placement::Center},
    {"Memo6172",  0,    0,    17.3, 7,     kSwiss15Bold, HAlign::Left,   VAlign::Top,    FrameNone, "Data od:"},
    {"dataod",    17,   0,    33,   7,     kSwiss15,     HAlign::Left,   VAlign::Top,    FrameNone, ""},
    {"Memo6173",  0,    7,    17.3, 7,     kSwiss15Bold, HAlign::Left,   VAlign::Top,    FrameNone, "Data do:"},
    {"datado",    17,   7,    33,   7,     kSwiss15,     HAlign::Left,   VAlign::Top,    FrameNone, ""},
    {"Memo6174",  150,  1,    10,   5,     kSwiss13Bold, HAlign::Left,   VAlign::Top,    FrameNone, "PZU:"},
    {"pzu",       160,  1,    127,  5,     kInherited,        HAlign::Left,   VAlign::Top,    FrameNone, ""},
    {"Memo6171",  0.3,  19.3, 17.3, 7,     kSwiss15Bold, HAlign::Left,   VAlign::Top,    FrameNone, "Lekar:"},
    {"lekar",     17.7, 18.7, 145,  7,     kSwiss15,     HAlign::Left,   VAlign::Top,    FrameNone, ""},
    {"GradSelo",  250,  20,   36,   5,     kInherited,        HAlign::Left,   VAlign::Top,    FrameNone, ""},
};

// Head of Page1: line A (y 32) over columns 1 to 3 ten mm high and the eight
// captions over the data column pairs; lines B (y 37, sexes) and C (y 42,
// column numbers) follow the grid; then the grand-total line (y 47).
constexpr double kLineAY = 32;
constexpr double kLineBY = 37;
constexpr double kLineCY = 42;
constexpr double kGrandTotalY = 47;
constexpr double kHeadLineHeight = 5;

const CellSpec kPage1Head[] = {
    // name     left top          width height font               h               v               frame     text
    {"Memo2",   0,   kLineAY,     10,   10,    kInherited,        HAlign::Left,   VAlign::Top,    FrameAll, ""},
    {"Memo3",   10,  kLineAY,     81,   10,    kSwiss13Bold, HAlign::Center, VAlign::Center, FrameAll,
     "Zaboluvawa sostojbi (skratena lista)"},
    {"Memo4",   91,  kLineAY,     35,   10,    kSwiss13Bold, HAlign::Center, VAlign::Center, FrameAll,
     "{ifra po MKB - 10"},
    {nullptr,   126, kLineAY,     20,   5,     kSwiss13Bold,      HAlign::Center, VAlign::Top,    FrameAll, "Vkupno"},
    {nullptr,   146, kLineAY,     20,   5,     kSwiss13,          HAlign::Center, VAlign::Top,    FrameAll, "20-24g."},
    {nullptr,   166, kLineAY,     20,   5,     kSwiss13,          HAlign::Center, VAlign::Top,    FrameAll, "25-34 g."},
    {nullptr,   186, kLineAY,     20,   5,     kSwiss13,          HAlign::Center, VAlign::Top,    FrameAll, "35-44 g."},
    {nullptr,   206, kLineAY,     20,   5,     kSwiss13,          HAlign::Center, VAlign::Top,    FrameAll, "45-54 g."},
    {nullptr,   226, kLineAY,     20,   5,     kSwiss13,          HAlign::Center, VAlign::Top,    FrameAll, "55-64 g."},
    {nullptr,   246, kLineAY,     20,   5,     kSwiss13,          HAlign::Center, VAlign::Top,    FrameAll, "65-74 g."},
    {nullptr,   266, kLineAY,     20,   5,     kSwiss13,          HAlign::Left,   VAlign::Top,    FrameAll, "75i pove}e"},
    {nullptr,   0,   kGrandTotalY, 10,  5,     kInherited,        HAlign::Left,   VAlign::Top,    FrameAll, ""},
    {nullptr,   10,  kGrandTotalY, 81,  5,     kSwiss12Bold,      HAlign::Center, VAlign::Top,    FrameAll,
     "Vkupno (1 - 300)"},
    {nullptr,   91,  kGrandTotalY, 35,  5,     kTimes13Bold,      HAlign::Center, VAlign::Top,    FrameAll, "A00 - Z99"},
};

// Line B: "m" over the male and "`" over the female column of each pair, the
// pair under "Vkupno" in bold.
const char *const kSexCaptions[] = {"m", "`"};
constexpr int kBoldSexColumns = 2;
constexpr FontSpec kSexCaptionFont = kSwiss13;
constexpr FontSpec kSexCaptionBoldFont = kSwiss13Bold;

// The column-number line that opens pages 2 to 13.
constexpr FontSpec kColumnNumberFont = kArial15Bold;

// The line the catalogue starts under: the grand-total line on Page1, the
// column-number line elsewhere.
constexpr double kPage1TableTop = kGrandTotalY + kHeadLineHeight;
constexpr double kOtherPagesTableTop = kHeadLineHeight;

// ---------------------------------------------------------------------------
// Row heights (mm): 5 unless listed.

constexpr double kDefaultRowHeight = 5;

const RowHeights kRowHeights[] = {
    {9, {23, 78, 110, 113, 115, 117, 119, 121, 122, 130, 134, 152, 193}},
    {10, {6, 33, 40, 43, 60, 64, 65, 70, 74, 77, 80, 85, 90, 97, 101, 102, 103, 128, 142, 144, 177, 184,
          185, 188, 195, 196, 207, 208, 213, 219, 239, 246, 247, 255, 263, 266, 268, 270, 271, 278, 279,
          282, 283, 284, 285, 289, 290, 292, 294, 295, 297, 300, 301, 302}},
    {12, {86, 116, 251}},
    {13, {293}},
    {15, {18, 59, 98, 257, 308}},
    {18, {131}},
    {19, {141}},
    {20, {261}},
    {50, {262}},
};

// ---------------------------------------------------------------------------
// Page contents: the lines of each page in order after its head. A subtotal
// line is named by its block (1 to 20); the printed numerals skip XVI, so
// blocks 16 to 20 print XVII to XXI.

const std::initializer_list<PageLines> kPageContents[kPageCount] = {
    /* Page1  */ {rows(1, 23)},
    /* Page2  */ {rows(24, 56)},
    /* Page3  */ {rows(57, 59), subtotal(1), rows(60, 83)},
    /* Page4  */ {rows(84, 98), subtotal(2), rows(99, 102), subtotal(3), rows(103, 107)},
    /* Page5  */ {rows(108, 113), subtotal(4), rows(114, 121), subtotal(5), rows(122, 131)},
    /* Page6  */ {subtotal(6), rows(132, 141), subtotal(7), rows(142, 144), subtotal(8), rows(145, 158)},
    /* Page7  */ {rows(159, 166), subtotal(9), rows(167, 182), subtotal(10), rows(183, 188)},
    /* Page8  */ {rows(189, 202), subtotal(11), rows(203, 207), subtotal(12), rows(208, 215)},
    /* Page9  */ {rows(216, 219), subtotal(13), rows(220, 234), subtotal(14), rows(235, 239), subtotal(15),
                  rows(240, 243)},
    /* Page10 */ {rows(244, 247), subtotal(16 /* XVII */), rows(248, 251), subtotal(17 /* XVIII */), rows(252, 261)},
    /* Page11 */ {rows(262, 271), subtotal(18 /* XIX */), rows(272, 279)},
    /* Page12 */ {subtotal(19 /* XX */), rows(280, 301)},
    /* Page13 */ {rows(302, 308), subtotal(20 /* XXI */)},
};

// ---------------------------------------------------------------------------
// Catalogue rows: cell fonts, alignments and delimiters.

struct RowRange {
    int first;
    int last;
};
bool inRanges(std::initializer_list<RowRange> ranges, int row)
{
    for (const RowRange &range : ranges)
        if (row >= range.first && row <= range.last)
            return true;
    return false;
}

constexpr FontSpec kLabelFont = kSwiss12;
constexpr FontSpec kCodeFont = kTimes13;
// Rows 272 to 279 print Cyrillic letters as ordinals.
const std::initializer_list<RowRange> kLetteredOrdinalRows = {{272, 279}};
constexpr FontSpec kLetteredOrdinalFont = kSwiss13;
// Labels and code texts are centred vertically except in these rows.
const std::initializer_list<RowRange> kTopAlignedLabelRows = {{216, 243}, {280, 308}};
const std::initializer_list<RowRange> kTopAlignedCodeRows = {{196, 196}, {262, 262}};
// Labels that begin with "[", a letter of the Macedonian texts.
const std::initializer_list<RowRange> kPercentDelimitedLabelRows = {{3, 3}, {48, 48}, {117, 117}, {157, 157}};

// The ordinal, label and code cells of row r carry the three numbers below
// its first count cell (countCellName).
constexpr int kRowTextCells = 3;

// ---------------------------------------------------------------------------
// Composite labels and code texts: several cells side by side, each printing
// one cell of the catalogue's text (x and width in mm, dy from the row's top;
// height kToRowBottom reaches the row's bottom). Label pieces are centred
// vertically, code pieces aligned like the row's code text.

enum class RowText { Label, Code };

struct Piece {
    double x;
    double dy;
    double width;
    double height;
    FontSpec font;
    HAlign hAlign;
    std::uint8_t frame;
    bool percentDelimiters = false;
};
struct Composite {
    int row;
    RowText text;
    std::initializer_list<Piece> pieces;
};

const Composite kComposites[] = {
    // row  text      x     dy width height        font         h               frame
    {27, RowText::Label, {{11, 0, 3, kToRowBottom, kArial12, HAlign::Left, kTB},
                          {14, 0, 77, kToRowBottom, kSwiss12, HAlign::Left, FrameNone}}},
    {87, RowText::Label, {{10, 0, 12, kToRowBottom, kArial12, HAlign::Center, kLTB},
                          {22, 0, 69, kToRowBottom, kSwiss12, HAlign::Left, kRTB}}},
    {88, RowText::Label, {{10, 0, 17, kToRowBottom, kArial12, HAlign::Center, kLTB},
                          {27.5, 0, 63.5, kToRowBottom, kSwiss12, HAlign::Left, kRTB}}},
    {91, RowText::Label, {{10, 0, 16, kToRowBottom, kSwiss12, HAlign::Left, kLTB},
                          {26, 0, 10, kToRowBottom, kArial12, HAlign::Center, kTB},
                          {36, 0, 55, kToRowBottom, kSwiss12, HAlign::Left, kTB}}},
    {98, RowText::Label, {{10, 0, 10, 5, kSwiss12, HAlign::Left, FrameLeft | FrameTop},
                          {20, 0, 10, 5, kArial12, HAlign::Center, FrameTop},
                          {30, 0, 61, 5, kSwiss12, HAlign::Left, FrameTop},
                          {10, 5, 81, kToRowBottom, kSwiss12, HAlign::Left, FrameLeft | FrameRight | FrameBottom}}},
    {123, RowText::Label, {{10, 0, 18, kToRowBottom, kArial12, HAlign::Left, kLTB},
                           {28, 0, 63, kToRowBottom, kSwiss12, HAlign::Left, kRTB}}},
    {124, RowText::Label, {{10, 0, 18, kToRowBottom, kArial12, HAlign::Left, kLTB},
                           {28, 0, 63, kToRowBottom, kSwiss12, HAlign::Left, kRTB}}},
    {192, RowText::Label, {{10, 0, 13, kToRowBottom, kArial12, HAlign::Center, kLTB},
                           {23, 0, 68, kToRowBottom, kSwiss12, HAlign::Left, kRTB}}},
    {196, RowText::Code, {{91, 0, 35, kToRowBottom, kTimes13, HAlign::Left, FrameLeft | FrameRight | FrameTop},
                          {91, 5, 35, kToRowBottom, kMacTimes13, HAlign::Left, FrameLeft | FrameRight}}},
    {206, RowText::Code, {{91, 0, 9, kToRowBottom, kTimes13, HAlign::Left, kLTB},
                          {100, 1, 6, kToRowBottom, kMacTimes13, HAlign::Left, FrameNone},
                          {106, 0, 20, kToRowBottom, kTimes13, HAlign::Left, FrameRight | FrameTop}}},
};

const Composite *compositeOf(int row, RowText text)
{
    for (const Composite &composite : kComposites)
        if (composite.row == row && composite.text == text)
            return &composite;
    return nullptr;
}

// ---------------------------------------------------------------------------
// Subtotal lines: 10 mm high for blocks 1, 2, 3 and 20, 9 mm otherwise. The
// caption cells come first, then the subtotal cells "S" + code + column number.

constexpr double kTallSubtotalHeight = 10;
constexpr double kSubtotalHeight = 9;
const std::initializer_list<int> kTallSubtotalBlocks = {1, 2, 3, 20};

struct SubtotalCaption {
    double x;
    double width;
    FontSpec font;
    HAlign hAlign;
    std::uint8_t frame;
    const char *text;                    // fixed text, or
    const QString ChapterBlock::*field; // the block's own text
};
const SubtotalCaption kSubtotalCaptions[] = {
    {0, 10, kArial15Bold, HAlign::Left, FrameAll, "", nullptr},
    {10, 60, kSwiss16Bold, HAlign::Right, kLTB, "SUBTOTAL - GLAVA", nullptr},
    {70, 21, kArial16Bold, HAlign::Left, kRTB, nullptr, &ChapterBlock::numeral},
    {91, 35, kArial16Bold, HAlign::Center, FrameAll, nullptr, &ChapterBlock::codeRange},
};
constexpr FontSpec kSubtotalCellFont = kArial15Bold;

// Names of cells nothing looks up (heads, captions, pieces): numbers above
// those of the row cells (the last is 5918) and of the title band (6171 to 6174).
constexpr int kFirstFreeCellNumber = 6175;

// ---------------------------------------------------------------------------


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
        report::TfrxReport report(QStringLiteral("frxDeca"));
        report.title = QString::fromLatin1(kTitle);
        report.pages.reserve(kPageCount);
        for (int number = 1; number <= kPageCount; ++number) {
            report::TfrxReportPage &page =
                report.pages.emplace_back(layout::page(number, {kMargin, kMargin, kMargin, kMargin}, pageFont(number)));

            double y = 0;
            if (number == 1) {
                page.title = titleBand();
                page.cells.reserve(std::size(kPage1Head) + 2 * kColumns + 32 * kColumns);
                addPage1Head(page.cells);
                y = kPage1TableTop;
            } else {
                page.cells.reserve(48 * kColumns);
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

    TfrxMemoView cellFrom(const CellSpec &stated) { return layout::cellFrom(stated, m_names); }

    static TfrxMemoView gridCell(QString name, int column, double y, double height)
    {
        return layout::gridCell(std::move(name), gridColumn(column), gridColumn(column), y, height);
    }

    report::TfrxReportTitle titleBand()
    {
        return layout::titleBand(kTitleBandWidth, kTitleBandHeight, kTitleBandFont, kTitleBand, m_names);
    }

    void addPage1Head(std::vector<TfrxMemoView> &cells)
    {
        // Line A, and the captions of the grand-total line, as listed.
        for (const CellSpec &stated : kPage1Head)
            cells.push_back(cellFrom(stated));
        for (int k = 0; k < kDataColumns; ++k) {
            TfrxMemoView sex = gridCell(nextFreeName(), kFirstDataColumnNumber + k, kLineBY, kHeadLineHeight);
            sex.memo = QStringList{QString::fromLatin1(kSexCaptions[k % 2])};
            sex.font = toFont(k < kBoldSexColumns ? kSexCaptionBoldFont : kSexCaptionFont);
            sex.hAlign = HAlign::Center;
            cells.push_back(std::move(sex));
        }
        for (int column = 1; column <= kColumns; ++column) {
            TfrxMemoView number = gridCell(nextFreeName(), column, kLineCY, kHeadLineHeight);
            number.memo = QStringList{QString::number(column)};
            number.hAlign = HAlign::Center;
            cells.push_back(std::move(number));
        }
        for (int k = 0; k < kDataColumns; ++k) {
            const int column = kFirstDataColumnNumber + k;
            TfrxMemoView total = gridCell(grandTotalCellName(column), column, kGrandTotalY,
                                          kHeadLineHeight);
            total.hAlign = HAlign::Center;
            cells.push_back(std::move(total));
        }
    }

    void addColumnNumbers(std::vector<TfrxMemoView> &cells)
    {
        for (int column = 1; column <= kColumns; ++column) {
            TfrxMemoView number = gridCell(nextFreeName(), column, 0, kHeadLineHeight);
            number.memo = QStringList{QString::number(column)};
            number.font = toFont(kColumnNumberFont);
            number.hAlign = HAlign::Center;
            cells.push_back(std::move(number));
        }
    }

    // Adds the 19 cells (or the pieces of a composite text) of a row at y;
    // returns the row's height.
    double addRow(std::vector<TfrxMemoView> &cells, int row, double y)
    {
        const double height = m_plan.height(row);
        const CatalogueRow *source = m_plan.row(row);
        const int base = generalMedicineReportProfile().cellStride * row + generalMedicineReportProfile().cellBase - kRowTextCells;

        TfrxMemoView ordinal = gridCell(memoName(base), 1, y, height);
        if (source && !source->ordinal.isEmpty())
            ordinal.memo = QStringList{source->ordinal};
        if (inRanges(kLetteredOrdinalRows, row))
            ordinal.font = toFont(kLetteredOrdinalFont);
        ordinal.hAlign = HAlign::Center;
        cells.push_back(std::move(ordinal));

        const VAlign labelAlign = inRanges(kTopAlignedLabelRows, row) ? VAlign::Top : VAlign::Center;
        addRowText(cells, row, RowText::Label, memoName(base + 1), 2, y, height,
                   source ? source->label : QList<QStringList>{}, kLabelFont, VAlign::Center, labelAlign,
                   inRanges(kPercentDelimitedLabelRows, row));
        const VAlign codeAlign = inRanges(kTopAlignedCodeRows, row) ? VAlign::Top : VAlign::Center;
        addRowText(cells, row, RowText::Code, memoName(base + 2), 3, y, height,
                   source ? source->code : QList<QStringList>{}, kCodeFont, codeAlign, codeAlign, false);

        for (int k = 0; k < kDataColumns; ++k) {
            TfrxMemoView data = gridCell(countCellName(generalMedicineReportProfile(), row, k), kFirstDataColumnNumber + k, y, height);
            data.hAlign = HAlign::Center;
            data.vAlign = VAlign::Center;
            cells.push_back(std::move(data));
        }
        return height;
    }

    // The label or code text of a row: one framed cell in its grid column, or
    // the pieces of a composite text, each printing one cell of the text.
    void addRowText(std::vector<TfrxMemoView> &cells, int row, RowText which, QString name, int column, double y,
                    double height, const QList<QStringList> &text, const FontSpec &font, VAlign pieceAlign,
                    VAlign align, bool percent)
    {
        const Composite *composite = compositeOf(row, which);
        if (!composite) {
            TfrxMemoView cell = gridCell(std::move(name), column, y, height);
            cell.memo = joinedLines(text);
            cell.font = toFont(font);
            cell.vAlign = align;
            cells.push_back(std::move(cell));
            return;
        }
        const int pieceCount = int(composite->pieces.size());
        int index = 0;
        for (const Piece &piece : composite->pieces) {
            TfrxMemoView cell = placedCell(nextFreeName(), piece.x, y + piece.dy, piece.width,
                                           pieceHeight(piece.height, piece.dy, height));
            cell.font = toFont(piece.font);
            cell.hAlign = piece.hAlign;
            cell.vAlign = pieceAlign;
            cell.frame = piece.frame;
            // A text of more cells than pieces keeps its surplus in the last piece.
            if (index < int(text.size()))
                cell.memo = index + 1 < pieceCount ? text[index] : joinedLines(text.mid(index));
            cells.push_back(std::move(cell));
            ++index;
        }
    }

    // Adds the subtotal line of a block (1-based) at y; returns its height.
    double addSubtotalLine(std::vector<TfrxMemoView> &cells, int blockNumber, double y)
    {
        bool tall = false;
        for (int block : kTallSubtotalBlocks)
            tall = tall || block == blockNumber;
        const double height = tall ? kTallSubtotalHeight : kSubtotalHeight;
        const ChapterBlock *block = blockOf(m_catalogue, blockNumber);

        for (const SubtotalCaption &caption : kSubtotalCaptions) {
            TfrxMemoView cell = placedCell(nextFreeName(), caption.x, y, caption.width, height);
            cell.font = toFont(caption.font);
            cell.hAlign = caption.hAlign;
            cell.frame = caption.frame;
            if (caption.text && *caption.text)
                cell.memo = QStringList{QString::fromLatin1(caption.text)};
            else if (caption.field && block && !(block->*caption.field).isEmpty())
                cell.memo = QStringList{block->*caption.field};
            cells.push_back(std::move(cell));
        }
        for (int k = 0; k < kDataColumns; ++k) {
            const int column = kFirstDataColumnNumber + k;
            QString name = block ? subtotalCellName(*block, column) : nextFreeName();
            TfrxMemoView cell = gridCell(std::move(name), column, y, height);
            cell.font = toFont(kSubtotalCellFont);
            cell.hAlign = HAlign::Center;
            cell.vAlign = VAlign::Center;
            cells.push_back(std::move(cell));
        }
        return height;
    }

    const RowCatalogue &m_catalogue;
    RowPlan m_plan;
    FreeNames m_names{kFirstFreeCellNumber};
};

} // namespace

Result<void> checkFrxDecaCatalogue(const RowCatalogue &catalogue)
{
    if (Result<void> fits = checkPageFit(catalogue, kPageContents, QStringLiteral("frxDeca")); !fits)
        return fits;

    for (const CatalogueRow &row : catalogue.rows()) {
        for (RowText which : {RowText::Label, RowText::Code}) {
            const Composite *composite = compositeOf(row.number, which);
            const int expected = composite ? int(composite->pieces.size()) : 1;
            const int actual = int((which == RowText::Label ? row.label : row.code).size());
            if (actual != expected)
                return fail(QStringLiteral("Row %1: the %2 has %3 cells; frxDeca prints it in %4")
                                .arg(row.number)
                                .arg(which == RowText::Label ? QStringLiteral("label") : QStringLiteral("code text"))
                                .arg(actual)
                                .arg(expected));
        }
    }
    return {};
}

report::TfrxReport buildFrxDeca(const RowCatalogue &catalogue)
{
    return Builder(catalogue).build();
}

} // namespace tarel::reports
