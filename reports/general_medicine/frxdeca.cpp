#include "frxdeca.h"

namespace tarel::reports {

namespace {

using namespace layout;

// Thirteen A4 landscape pages with 5 mm margins; the cells that state no
// font print in the page's (the report default, Arial 13, where it has none).
constexpr Margins kMargins{5, 5, 5, 5};
const PageSpec kPages[] = {
    {kMargins, kSwiss13}, {kMargins, kInherited}, {kMargins, kSwiss12},   {kMargins, kInherited},
    {kMargins, kInherited}, {kMargins, kInherited}, {kMargins, kInherited}, {kMargins, kInherited},
    {kMargins, kInherited}, {kMargins, kInherited}, {kMargins, kInherited}, {kMargins, kInherited},
    {kMargins, kInherited},
};

// 1 ordinal, 2 label, 3 code text, 4 to 19 the counts.
const Column kGrid[] = {
    {0, 10},   {10, 81},  {91, 35},  {126, 10}, {136, 10}, {146, 10}, {156, 10}, {166, 10}, {176, 10}, {186, 10},
    {196, 10}, {206, 10}, {216, 10}, {226, 10}, {236, 10}, {246, 10}, {256, 10}, {266, 10}, {276, 10},
};

constexpr const char *kTitle = "UTVRDENI ZABOLUVAWA - SOSTOJBI SPORED VOZRASTA I POLOT VO DEJNOST 3 OP[TA MEDICINA";

const CellSpec kTitleBand[] = {
    // name       left  top   width height font          h               v               frame      text
    {"Memo1",     49.5, 9,    188,  10,    kSwiss16Bold, HAlign::Center, VAlign::Center, FrameNone, kTitle,
     Placement::Center},
    {"Memo6172",  0,    0,    17.3, 7,     kSwiss15Bold, HAlign::Left,   VAlign::Top,    FrameNone, "Data od:"},
    {"dataod",    17,   0,    33,   7,     kSwiss15,     HAlign::Left,   VAlign::Top,    FrameNone, ""},
    {"Memo6173",  0,    7,    17.3, 7,     kSwiss15Bold, HAlign::Left,   VAlign::Top,    FrameNone, "Data do:"},
    {"datado",    17,   7,    33,   7,     kSwiss15,     HAlign::Left,   VAlign::Top,    FrameNone, ""},
    {"Memo6174",  150,  1,    10,   5,     kSwiss13Bold, HAlign::Left,   VAlign::Top,    FrameNone, "PZU:"},
    {"pzu",       160,  1,    127,  5,     kInherited,   HAlign::Left,   VAlign::Top,    FrameNone, ""},
    {"Memo6171",  0.3,  19.3, 17.3, 7,     kSwiss15Bold, HAlign::Left,   VAlign::Top,    FrameNone, "Lekar:"},
    {"lekar",     17.7, 18.7, 145,  7,     kSwiss15,     HAlign::Left,   VAlign::Top,    FrameNone, ""},
    {"GradSelo",  250,  20,   36,   5,     kInherited,   HAlign::Left,   VAlign::Top,    FrameNone, ""},
};

// Head of Page1: the captions (y 32), the sexes (y 37), the column numbers
// (y 42) and the grand-total line (y 47).
const CellSpec kCaptions[] = {
    // name    left top width height font          h               v               frame     text
    {"Memo2",  0,   32, 10,   10,    kInherited,   HAlign::Left,   VAlign::Top,    FrameAll, "", {}, Words::NumberHeading},
    {"Memo3",  10,  32, 81,   10,    kSwiss13Bold, HAlign::Center, VAlign::Center, FrameAll,
     "Zaboluvawa sostojbi (skratena lista)", {}, Words::LabelHeading},
    {"Memo4",  91,  32, 35,   10,    kSwiss13Bold, HAlign::Center, VAlign::Center, FrameAll, "{ifra po MKB - 10", {},
     Words::CodesHeading},
};
const GridLine kBandCaptions{GridLine::Role::BandCaptions, 32, 5, 4, 19, 2, {kSwiss13, HAlign::Center, VAlign::Top},
                             {{{}, 4, withFont(kSwiss13Bold)}, {{}, 18, withHAlign(HAlign::Left)}},
                             GridLine::Names::Free, {}, 0,
                             {"Vkupno", "20-24g.", "25-34 g.", "35-44 g.", "45-54 g.", "55-64 g.", "65-74 g.",
                              "75i pove}e"}};
const CellSpec kTotalCaptions[] = {
    {nullptr,  0,   47, 10,   5,     kInherited,   HAlign::Left,   VAlign::Top,    FrameAll, ""},
    {nullptr,  10,  47, 81,   5,     kSwiss12Bold, HAlign::Center, VAlign::Top,    FrameAll, "Vkupno (1 - 300)", {},
     Words::TotalLabel},
    {nullptr,  91,  47, 35,   5,     kTimes13Bold, HAlign::Center, VAlign::Top,    FrameAll, "A00 - Z99", {},
     Words::TotalCodes},
};
const GridLine kSexes{GridLine::Role::Sexes, 37, 5, 4, 19, 1, {kSwiss13, HAlign::Center, VAlign::Top},
                      {{{}, {4, 5}, withFont(kSwiss13Bold)}}, GridLine::Names::Free, {}, 0, {"m", "`"}};
const GridLine kNumbers{GridLine::Role::ColumnNumbers, 42, 5, 1, 19, 1, {kInherited, HAlign::Center, VAlign::Top},
                        {}, GridLine::Names::Free, {}, 0, {}};
const GridLine kTotals{GridLine::Role::GrandTotals, 47, 5, 4, 19, 1, {kInherited, HAlign::Center, VAlign::Top},
                       {}, GridLine::Names::Free, {}, 0, {}};
const HeadPart kHead[] = {{kCaptions}, {{}, &kBandCaptions}, {kTotalCaptions}, {{}, &kSexes}, {{}, &kNumbers},
                          {{}, &kTotals}};

// The column numbers that open pages 2 to 13.
const GridLine kStrip{GridLine::Role::ColumnNumbers, 0, 5, 1, 19, 1, {kArial15Bold, HAlign::Center, VAlign::Top},
                      {}, GridLine::Names::Free, {}, 0, {}};

// The lines of each page after its head. The printed numerals skip XVI, so
// blocks 16 to 20 print XVII to XXI.
const std::initializer_list<PageLines> kContents[] = {
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

// Row heights (mm): 5 unless listed.
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

// Rows 272 to 279 print Cyrillic letters as ordinals; labels and code texts
// are centred vertically except in the rows listed.
const RowStyles kRowStyles{
    {kInherited, HAlign::Center, VAlign::Top},
    {kSwiss12, HAlign::Left, VAlign::Center},
    {kTimes13, HAlign::Left, VAlign::Center},
    {kInherited, HAlign::Center, VAlign::Center},
    {
        {{{272, 279}}, 1, withFont(kSwiss13)},
        {{{216, 243}, {280, 308}}, 2, withVAlign(VAlign::Top)},
        {{196, 262}, 3, withVAlign(VAlign::Top)},
    }};

// Composite texts: each piece prints one cell of the catalogue's text.
const Composite kComposites[] = {
    // row  text       x     dy width height        font         h               v               frame            cell
    {27, RowText::Label, {{11, 0, 3, kToRowBottom, kArial12, HAlign::Left, VAlign::Center, kTB, 0},
                          {14, 0, 77, kToRowBottom, kSwiss12, HAlign::Left, VAlign::Center, FrameNone, 1}}},
    {87, RowText::Label, {{10, 0, 12, kToRowBottom, kArial12, HAlign::Center, VAlign::Center, kLTB, 0},
                          {22, 0, 69, kToRowBottom, kSwiss12, HAlign::Left, VAlign::Center, kRTB, 1}}},
    {88, RowText::Label, {{10, 0, 17, kToRowBottom, kArial12, HAlign::Center, VAlign::Center, kLTB, 0},
                          {27.5, 0, 63.5, kToRowBottom, kSwiss12, HAlign::Left, VAlign::Center, kRTB, 1}}},
    {91, RowText::Label, {{10, 0, 16, kToRowBottom, kSwiss12, HAlign::Left, VAlign::Center, kLTB, 0},
                          {26, 0, 10, kToRowBottom, kArial12, HAlign::Center, VAlign::Center, kTB, 1},
                          {36, 0, 55, kToRowBottom, kSwiss12, HAlign::Left, VAlign::Center, kTB, 2}}},
    {98, RowText::Label, {{10, 0, 10, 5, kSwiss12, HAlign::Left, VAlign::Center, FrameLeft | FrameTop, 0},
                          {20, 0, 10, 5, kArial12, HAlign::Center, VAlign::Center, FrameTop, 1},
                          {30, 0, 61, 5, kSwiss12, HAlign::Left, VAlign::Center, FrameTop, 2},
                          {10, 5, 81, kToRowBottom, kSwiss12, HAlign::Left, VAlign::Center, kLRB, 3}}},
    {123, RowText::Label, {{10, 0, 18, kToRowBottom, kArial12, HAlign::Left, VAlign::Center, kLTB, 0},
                           {28, 0, 63, kToRowBottom, kSwiss12, HAlign::Left, VAlign::Center, kRTB, 1}}},
    {124, RowText::Label, {{10, 0, 18, kToRowBottom, kArial12, HAlign::Left, VAlign::Center, kLTB, 0},
                           {28, 0, 63, kToRowBottom, kSwiss12, HAlign::Left, VAlign::Center, kRTB, 1}}},
    {192, RowText::Label, {{10, 0, 13, kToRowBottom, kArial12, HAlign::Center, VAlign::Center, kLTB, 0},
                           {23, 0, 68, kToRowBottom, kSwiss12, HAlign::Left, VAlign::Center, kRTB, 1}}},
    {196, RowText::Code, {{91, 0, 35, kToRowBottom, kTimes13, HAlign::Left, VAlign::Top, kLRT, 0},
                          {91, 5, 35, kToRowBottom, kMacTimes13, HAlign::Left, VAlign::Top, FrameLeft | FrameRight, 1}}},
    {206, RowText::Code, {{91, 0, 9, kToRowBottom, kTimes13, HAlign::Left, VAlign::Center, kLTB, 0},
                          {100, 1, 6, kToRowBottom, kMacTimes13, HAlign::Left, VAlign::Center, FrameNone, 1},
                          {106, 0, 20, kToRowBottom, kTimes13, HAlign::Left, VAlign::Center, FrameRight | FrameTop, 2}}},
};

// Subtotal lines: 10 mm high for blocks 1, 2, 3 and 20, 9 mm otherwise.
const SubtotalVariant kSubtotalVariants[] = {{.blocks = {{1, 3}, 20}, .height = 10}};

const MorbidityLayout kLayout{
    "frxDeca", kTitle, kPages, kGrid, {}, 287, 26, kSwiss13, kTitleBand, kHead, &kStrip, 52, kContents, 5,
    kRowHeights, {19, 51, 19, 48}, kRowStyles, kComposites, false,
    {9, 70, "SUBTOTAL - GLAVA",
     {kArial15Bold, HAlign::Left, VAlign::Top, FrameAll},
     {kSwiss16Bold, HAlign::Right, VAlign::Top, kLTB},
     {kArial16Bold, HAlign::Left, VAlign::Top, kRTB},
     {kArial16Bold, HAlign::Center, VAlign::Top, FrameAll},
     {kArial15Bold, HAlign::Center, VAlign::Center, FrameAll}},
    kSubtotalVariants,
    // Above the names of the row cells (the last is 5918) and of the title band (6171 to 6174).
    6175};

} // namespace

const layout::MorbidityLayout &frxDecaLayout() { return kLayout; }

} // namespace tarel::reports
