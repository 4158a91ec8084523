#include "frxdeca1.h"

namespace tarel::reports {

namespace {

using namespace layout;

// Ten A4 landscape pages. Pages 1 to 9 leave 12 mm on the right (275 by
// 200 mm printable), page 10 only 5 mm.
constexpr Margins kMargins{10, 12, 5, 5};
const PageSpec kPages[] = {
    {kMargins, kSwiss13},   {kMargins, kInherited}, {kMargins, kSwiss12},   {kMargins, kInherited},
    {kMargins, kInherited}, {kMargins, kInherited}, {kMargins, kInherited}, {kMargins, kInherited},
    {kMargins, kInherited}, {{10, 5, 5, 5}, kArial16},
};

// 1 printed number, 2 label, 3 code text, 4 to 17 the counts (total male and
// female, then male and female of the six bands; the pair of the last band
// is wider). The table ends at 274 mm.
const Column kGrid[] = {
    {0, 10},   {10, 81},  {91, 40},  {131, 10}, {141, 10}, {151, 10}, {161, 10}, {171, 10}, {181, 10},
    {191, 10}, {201, 10}, {211, 10}, {221, 10}, {231, 10}, {241, 10}, {251, 11.5}, {262.5, 11.5},
};

constexpr const char *kTitle = "UTVRDENI ZABOLUVAWA - SOSTOJBI SPORED VOZRASTA I POLOT NA DECATA";

const CellSpec kTitleBand[] = {
    // name      left  top   width height font          h               v               frame      text
    {"Memo989",  1,    0,    17.3, 7,     kSwiss15Bold, HAlign::Left,   VAlign::Top,    FrameNone, "Data od:"},
    {"dataod",   18,   0,    33,   7,     kSwiss15,     HAlign::Left,   VAlign::Top,    FrameNone, ""},
    {"Memo990",  1,    7,    17.3, 7,     kSwiss15Bold, HAlign::Left,   VAlign::Top,    FrameNone, "Data do:"},
    {"datado",   18,   7,    33,   7,     kSwiss15,     HAlign::Left,   VAlign::Top,    FrameNone, ""},
    {"Memo991",  140,  0,    10,   5,     kSwiss13Bold, HAlign::Left,   VAlign::Top,    FrameNone, "PZU:"},
    {"pzu",      150,  0,    124,  5,     kInherited,   HAlign::Left,   VAlign::Top,    FrameNone, ""},
    {"Memo1",    64.5, 9,    146,  10,    kSwiss16Bold, HAlign::Center, VAlign::Center, FrameNone, kTitle,
     Placement::Center},
    {"Memo988",  1,    18,   17.3, 7,     kSwiss15Bold, HAlign::Left,   VAlign::Top,    FrameNone, "Lekar:"},
    {"lekar",    18.3, 18.3, 192,  7,     kSwiss15,     HAlign::Left,   VAlign::Top,    FrameNone, ""},
    {"GradSelo", 250,  21,   25,   5,     kInherited,   HAlign::Left,   VAlign::Top,    FrameNone, ""},
};

// Head of Page1, framed and centred, in the page font unless stated: the
// captions (y 37), the sexes (y 42), the column numbers (y 47) and the
// grand-total line (y 52).
const CellSpec kCaptions[] = {
    // name    left top width height font        h               v               frame     text
    {"Memo2",  0,   37, 10,   10,    kInherited, HAlign::Center, VAlign::Center, FrameAll, "", {}, Words::NumberHeading},
    {"Memo3",  10,  37, 81,   10,    kInherited, HAlign::Center, VAlign::Center, FrameAll,
     "Zaboluvawa sostojbi (skratena lista)", {}, Words::LabelHeading},
    {"Memo4",  91,  37, 40,   10,    kInherited, HAlign::Center, VAlign::Center, FrameAll, "{ifra po MKB - 10", {},
     Words::CodesHeading},
    {"Memo47", 0,   52, 10,   5,     kInherited, HAlign::Center, VAlign::Top,    FrameAll, ""},
    {nullptr,  10,  52, 81,   5,     kSwiss12,   HAlign::Center, VAlign::Top,    FrameAll, "Vkupno (1 - 236)", {},
     Words::TotalLabel},
    {nullptr,  91,  52, 40,   5,     kTimes13,   HAlign::Center, VAlign::Top,    FrameAll, "A00 - Z99", {},
     Words::TotalCodes},
};
constexpr CellLook kHeadLook{kInherited, HAlign::Center, VAlign::Top};
const GridLine kBandCaptions{GridLine::Role::BandCaptions, 37, 5, 4, 17, 2, kHeadLook, {}, GridLine::Names::Free, {}, 0,
                             {"Vkupno", "do 2 mes.", "3-5 mes.", "6-11 mes.", "1-2 god.", "3-4 god.", "5-6 god."}};
const GridLine kSexes{GridLine::Role::Sexes, 42, 5, 4, 17, 1, kHeadLook, {}, GridLine::Names::Free, {}, 0, {"m", "`"}};
const GridLine kNumbers{GridLine::Role::ColumnNumbers, 47, 5, 1, 17, 1, kHeadLook, {}, GridLine::Names::Numbered,
                        {}, 26, {}};
const GridLine kTotals{GridLine::Role::GrandTotals, 52, 5, 4, 17, 1, kHeadLook, {}, GridLine::Names::Free, {}, 0, {}};
const HeadPart kHead[] = {{kCaptions}, {{}, &kBandCaptions}, {{}, &kSexes}, {{}, &kNumbers}, {{}, &kTotals}};

// The column numbers that open pages 2 to 10.
const GridLine kStrip{GridLine::Role::ColumnNumbers, 0, 5, 1, 17, 1, {kArial15Bold, HAlign::Center, VAlign::Top},
                      {}, GridLine::Names::Free, {}, 0, {}};

// The lines of each page after its head. There is no chapter XV, so blocks
// 15 to 20 are chapters XVI to XXI.
const std::initializer_list<PageLines> kContents[] = {
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

// Row heights (mm): 5 unless listed.
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

// Every cell of a row is framed and centred vertically; the number and the
// counts are centred, label and code text left-aligned. The rows listed take
// other fonts; Page3 prints its counts on the left, and Pages 2 and 3 put the
// counts of the last band at the top of their cells.
const RowStyles kRowStyles{
    {kInherited, HAlign::Center, VAlign::Center},
    {kSwiss12, HAlign::Left, VAlign::Center},
    {kTimes13, HAlign::Left, VAlign::Center},
    {kInherited, HAlign::Center, VAlign::Center},
    {
        {{108, 129, 138, 146, 154, 158, 180, 193, 210, 217}, 1, withFont(kArial13)},
        // Cyrillic letters numbering the external causes.
        {{{229, 233}, 235}, 1, withFont(kSwiss13)},
        {{108, 129, 138, 146, 154, 158, 180, 193, 210, 217, 231}, 2, withFont(kSwiss13)},
        {{108, 129, 138, 146, 158, 180, 193, 210, 231}, 3, withFont(kArial13)},
        {{154}, 3, withFont(kArial15)},
        {{217}, 3, withFont(kArial12)},
        {{{62, 84}}, {4, 17}, withHAlign(HAlign::Left)},
        {{{27, 84}}, {16, 17}, withVAlign(VAlign::Top)},
    }};

// Split and stacked labels and code texts: their frames together form the
// box of the cell they replace; the first piece takes its name.
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
                          {10, 5, 24, kToRowBottom, kSwiss12, HAlign::Left, VAlign::Center, FrameLeft | FrameBottom, 0, 1},
                          {34, 5, 57, kToRowBottom, kArial12, HAlign::Left, VAlign::Center, FrameRight | FrameBottom, 1}}},
    // "(bez " is stored as the second of two lines, at the bottom of its cell.
    {83, RowText::Code, {{91, 0, 40, 5, kArial13, HAlign::Left, VAlign::Top, kLRT, 0, 0},
                         {91, 5, 8, kToRowBottom, kSwiss13, HAlign::Left, VAlign::Bottom, FrameLeft | FrameBottom, 0, 1, 1},
                         {99, 5, 32, kToRowBottom, kTimes13, HAlign::Left, VAlign::Center, FrameRight | FrameBottom, 1}}},
};

// Subtotal lines: their heights, where the caption gives way to the numeral,
// the caption (with a trailing blank in III and XI) and two fonts vary by
// chapter.
const SubtotalVariant kSubtotalVariants[] = {
    {.blocks = {{1, 4}, {6, 7}, {10, 11}, 14}, .height = 10},
    {.blocks = {1, 2}, .numeralX = 67},
    {.blocks = {{6, 9}, 11}, .numeralX = 69},
    {.blocks = {3, 11}, .caption = "SUBTOTAL - GLAVA "},
    {.blocks = {1}, .codeRangeFont = kArial16Bold},
    {.blocks = {7}, .codeRangeFont = kArial13Bold},
    {.blocks = {1, 2}, .countFont = kSwiss15Bold},
};

const MorbidityLayout kLayout{
    "frxDeca1", kTitle, kPages, kGrid, {}, 275, 26, kInherited, kTitleBand, kHead, &kStrip, 57, kContents, 5,
    kRowHeights, {14, 1022, 3, 4449}, kRowStyles, kComposites, true,
    {9, 68, "SUBTOTAL - GLAVA",
     {kInherited, HAlign::Left, VAlign::Top, FrameAll},
     {kSwiss16Bold, HAlign::Right, VAlign::Top, kLTB},
     {kArial16Bold, HAlign::Left, VAlign::Top, kRTB},
     {kTimes13Bold, HAlign::Center, VAlign::Top, FrameAll},
     {kArial15Bold, HAlign::Center, VAlign::Top, FrameAll}},
    kSubtotalVariants,
    // Above the row cells (the last is 5183, the code cell of row 244).
    5184};

} // namespace

const layout::MorbidityLayout &frxDeca1Layout() { return kLayout; }

} // namespace tarel::reports
