#include "frxmladina.h"

namespace tarel::reports {

namespace {

using namespace layout;

// Thirteen A4 landscape pages: left 10 mm, top and bottom 5 mm; the right
// margin and the font of the cells that state none vary.
const PageSpec kPages[] = {
    /* Page1  */ {{10, 10, 5, 5}, kSwiss13},
    /* Page2  */ {{10, 12, 5, 5}, kInherited},
    /* Page3  */ {{10, 12, 5, 5}, kSwiss12},
    /* Page4  */ {{10, 12, 5, 5}, kInherited},
    /* Page5  */ {{10, 12, 5, 5}, kInherited},
    /* Page6  */ {{10, 12, 5, 5}, kInherited},
    /* Page7  */ {{10, 12, 5, 5}, kInherited},
    /* Page8  */ {{10, 12, 5, 5}, kInherited},
    /* Page9  */ {{10, 12, 5, 5}, kInherited},
    /* Page10 */ {{10, 5, 5, 5}, kInherited},
    /* Page11 */ {{10, 5, 5, 5}, kInherited},
    /* Page12 */ {{10, 5, 5, 5}, kInherited},
    /* Page13 */ {{10, 12, 5, 5}, kInherited},
};

// 1 ordinal, 2 label, 3 code text, 4 to 17 the counts (4 and 5 the row
// totals, then band 1 to 6, male and female). Page1 widens the last two
// columns: its table ends at 274 mm instead of 271.
const Column kGrid[] = {
    {0, 10},   {10, 81},  {91, 40},  {131, 10}, {141, 10}, {151, 10}, {161, 10}, {171, 10}, {181, 10},
    {191, 10}, {201, 10}, {211, 10}, {221, 10}, {231, 10}, {241, 10}, {251, 10}, {261, 10},
};
const Page1Column kPage1Grid[] = {{16, {251, 11.5}}, {17, {262.5, 11.5}}};

constexpr const char *kTitle = "UTVRDENI ZABOLUVAWA - SOSTOJBI SPORED VOZRASTA I POLOT NA U^ILI[NI DECA I MLADINA";

const CellSpec kTitleBand[] = {
    // name       left  top   width height font          h               v               frame      text
    {"Memo66",    0,    0,    17.3, 7,     kSwiss15Bold, HAlign::Left,   VAlign::Top,    FrameNone, "Data od:"},
    {"dataod",    17,   0,    33,   7,     kSwiss15,     HAlign::Left,   VAlign::Top,    FrameNone, ""},
    {"Memo256",   0,    7,    17.3, 7,     kSwiss15Bold, HAlign::Left,   VAlign::Top,    FrameNone, "Data do:"},
    {"datado",    17,   7,    33,   7,     kSwiss15,     HAlign::Left,   VAlign::Top,    FrameNone, ""},
    {"Memo274",   150,  0,    10,   5,     kSwiss13Bold, HAlign::Left,   VAlign::Top,    FrameNone, "PZU:"},
    {"pzu",       160,  0,    116,  5,     kInherited,   HAlign::Left,   VAlign::Top,    FrameNone, ""},
    {"Memo1",     54,   9,    169,  10,    kSwiss16Bold, HAlign::Center, VAlign::Center, FrameNone, kTitle,
     Placement::Center},
    {"Memo65",    1,    18,   17.3, 7,     kSwiss15Bold, HAlign::Left,   VAlign::Top,    FrameNone, "Lekar:"},
    {"lekar",     18.3, 18.3, 205,  7,     kSwiss15,     HAlign::Left,   VAlign::Top,    FrameNone, ""},
    {"GradSelo",  240,  21,   36,   5,     kInherited,   HAlign::Left,   VAlign::Top,    FrameNone, ""},
};

// Head of Page1, framed on all sides: the captions (y 32), the sexes (y 37),
// the column numbers (y 42), then the grand-total line (y 47).
const CellSpec kCaptions[] = {
    // name    left top width height font        h               v               frame     text
    {"Memo2",  0,   32, 10,   10,    kInherited, HAlign::Left,   VAlign::Top,    FrameAll, "", {}, Words::NumberHeading},
    {"Memo3",  10,  32, 81,   10,    kInherited, HAlign::Center, VAlign::Center, FrameAll,
     "Zaboluvawa sostojbi (skratena lista)", {}, Words::LabelHeading},
    {"Memo4",  91,  32, 40,   10,    kInherited, HAlign::Center, VAlign::Center, FrameAll, "{ifra po MKB - 10", {},
     Words::CodesHeading},
};
const GridLine kBandCaptions{GridLine::Role::BandCaptions, 32, 5, 4, 17, 2, {kInherited, HAlign::Center, VAlign::Top},
                             {{{}, 4, withVAlign(VAlign::Center)}}, GridLine::Names::Listed,
                             {"Memo5", "Memo6", "Memo7", "Memo8", "Memo9", "Memo10", "Memo11"}, 0,
                             {"Vkupno", "do 7 g.", "7-9 g.", "10-14 g.", "15-19 g.", "20-24 g.", "25g. i pove}e"}};
const GridLine kSexes{GridLine::Role::Sexes, 37, 5, 4, 17, 1, {kInherited, HAlign::Center, VAlign::Top}, {},
                      GridLine::Names::Numbered, {}, 13, {"m", "`"}};
// Column numbers are centred both ways except 3 and 11, which keep to the top.
const GridLine kNumbers{GridLine::Role::ColumnNumbers, 42, 5, 1, 17, 1, {kInherited, HAlign::Center, VAlign::Center},
                        {{{}, 3, withVAlign(VAlign::Top)}, {{}, 11, withVAlign(VAlign::Top)}}, GridLine::Names::Listed,
                        {"Memo29", "Memo30", "Memo31", "wewq", "sdfsdfwe", "sdfwe", "csa", "sadqw", "wfdvrf", "kjlui",
                         "nbvc", "thfg", "cxvas", "fsf", "bfmghjn", "nbvnf", "fghf"},
                        0, {}};
const CellSpec kTotalCaptions[] = {
    {"Memo48", 0,   47, 10,   5,     kInherited, HAlign::Center, VAlign::Top,    FrameAll, ""},
    {"Memo49", 10,  47, 81,   5,     kSwiss12,   HAlign::Center, VAlign::Center, FrameAll, "Vkupno (1 - 310)", {},
     Words::TotalLabel},
    {"Memo50", 91,  47, 40,   5,     kTimes13,   HAlign::Center, VAlign::Center, FrameAll, "A00 - Z99", {},
     Words::TotalCodes},
};
const GridLine kTotals{GridLine::Role::GrandTotals, 47, 5, 4, 17, 1, {kInherited, HAlign::Center, VAlign::Center},
                       {}, GridLine::Names::Free, {}, 0, {}};
const HeadPart kHead[] = {{kCaptions},       {{}, &kBandCaptions}, {{}, &kSexes},
                          {{}, &kNumbers},    {kTotalCaptions},     {{}, &kTotals}};

// The column numbers that open pages 2 to 13, in Arial 15 bold.
const GridLine kStrip{GridLine::Role::ColumnNumbers, 0, 5, 1, 17, 1, {kArial15Bold, HAlign::Center, VAlign::Center},
                      {{{}, 1, withVAlign(VAlign::Top)}, {{}, {10, 11}, withVAlign(VAlign::Top)}},
                      GridLine::Names::Free, {}, 0, {}};

// The lines of each page after its head. There is no chapter XVI, so blocks
// 16 to 20 print XVII to XXI.
const std::initializer_list<PageLines> kContents[] = {
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

// Row heights (mm): 5 unless listed.
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

const RowStyles kRowStyles{
    {kInherited, HAlign::Center, VAlign::Top},
    {kSwiss12, HAlign::Left, VAlign::Top},
    {kTimes13, HAlign::Left, VAlign::Center},
    {kInherited, HAlign::Center, VAlign::Center},
    {
        // Ordinals in MAC C Swiss 13 (rows 297 to 304 print letters).
        {{{272, 279}, {297, 304}}, 1, withFont(kSwiss13)},
        // Labels centred vertically, and label frames.
        {{{1, 5}, {7, 17}, {19, 23}}, 2, withVAlign(VAlign::Center)},
        {{27}, 2, withFrame(FrameNone)},
        {{{123, 124}, 192}, 2, withFrame(kRTB)},
        // Code texts.
        {{196, 206}, 3, withVAlign(VAlign::Top)},
        {{206}, 3, withFrame(FrameRight | FrameTop)},
        // Counts.
        {{{309, 310}}, {4, 17}, withFont(kArial15Bold)},
        {{{108, 131}}, 10, withVAlign(VAlign::Top)},
        {{309}, {11, 12}, withVAlign(VAlign::Top)},
    }};

// Composite texts: each piece prints one line of the catalogue's text; the
// first takes the name of the cell it replaces.
const Composite kComposites[] = {
    // row  text        x     dy width height        font        h               v               frame  cell line
    {10, RowText::Code, {{91, 0, 17, kToRowBottom, kTimes13, HAlign::Left, VAlign::Center, kLTB, 0},
                         {108, 0, 7, kToRowBottom, kInherited, HAlign::Left, VAlign::Bottom, kTB, 1},
                         {115, 0, 16, kToRowBottom, kTimes13, HAlign::Left, VAlign::Center, kTB, 2}}},
    {31, RowText::Label, {{10, 0, 4, kToRowBottom, kInherited, HAlign::Right, VAlign::Top, kLTB, 0},
                          {14, 0, 77, kToRowBottom, kSwiss12, HAlign::Left, VAlign::Top, kRTB, 1}}},
    {100, RowText::Label, {{10, 0, 12, kToRowBottom, kArial12, HAlign::Center, VAlign::Top, kLTB, 0},
                           {22, 0, 69, kToRowBottom, kSwiss12, HAlign::Left, VAlign::Top, kRTB, 1}}},
    {101, RowText::Label, {{10, 0, 17, kToRowBottom, kArial12, HAlign::Center, VAlign::Top, kLTB, 0},
                           {27.5, 0, 63.5, kToRowBottom, kSwiss12, HAlign::Left, VAlign::Top, kRTB, 1}}},
    {113, RowText::Label, {{10, 0, 81, 5, kSwiss12, HAlign::Left, VAlign::Top, kLRT, 0, 0},
                           {10, 5, 24, kToRowBottom, kSwiss12, HAlign::Left, VAlign::Top, FrameLeft, 0, 1},
                           {34, 5, 57, kToRowBottom, kArial12, HAlign::Left, VAlign::Top, FrameLeft, 1}}},
    {208, RowText::Label, {{10, 0, 11, kToRowBottom, kInherited, HAlign::Center, VAlign::Top, kLTB, 0},
                           {21, 0, 70, kToRowBottom, kSwiss12, HAlign::Left, VAlign::Top, kRTB, 1}}},
};

// Subtotal lines: 10 mm high for chapters I, II, III, XIX, XX and XXI, 8 mm
// for VII, VIII and XI, 9 mm otherwise; the chapter I caption has no left frame.
const SubtotalVariant kSubtotalVariants[] = {
    {.blocks = {{1, 3}, {18, 20}}, .height = 10},
    {.blocks = {7, 8, 11}, .height = 8},
    {.blocks = {1}, .captionFrame = kTB},
};

const MorbidityLayout kLayout{
    "frxMladina", kTitle, kPages, kGrid, kPage1Grid, 277, 26, kInherited, kTitleBand, kHead, &kStrip, 52, kContents, 5,
    kRowHeights, {19, 51, 19, 48}, kRowStyles, kComposites, true,
    {9, 70, "SUBTOTAL - GLAVA",
     {kArial15Bold, HAlign::Center, VAlign::Top, FrameAll},
     {kSwiss16Bold, HAlign::Right, VAlign::Center, kLTB},
     {kArial16Bold, HAlign::Left, VAlign::Center, kRTB},
     {kArial16Bold, HAlign::Center, VAlign::Center, FrameAll},
     {kArial15Bold, HAlign::Center, VAlign::Center, FrameAll}},
    kSubtotalVariants,
    // Above the names of the row cells (the last is 19 * 318 + 64 = 6106).
    6107};

} // namespace

const layout::MorbidityLayout &frxMladinaLayout() { return kLayout; }

} // namespace tarel::reports
