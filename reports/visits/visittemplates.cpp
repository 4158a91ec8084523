// The one-page templates of the three visit reports. Every cell lies in the
// title band ReportTitle1; the tables give positions and sizes in millimetres
// on the band, as the forms were drawn.

#include "visitreports.h"

#include "macc.h"
#include "template.h"

#include <algorithm>

namespace tarel::reports {

namespace {

using report::FrameAll;
using report::FrameBottom;
using report::FrameLeft;
using report::FrameNone;
using report::FrameRight;
using report::HAlign;
using report::VAlign;

enum class FontSpec { Page, Regular13, Bold16, Title27 };

// One cell of a template. Texts use "\n" between lines.
struct CellRow {
    const char *name;
    double left, top, width, height; // mm on the band
    std::uint8_t frame;
    HAlign hAlign;
    VAlign vAlign;
    FontSpec font;
    const char *text;
};

constexpr auto L = HAlign::Left;
constexpr auto C = HAlign::Center;
constexpr auto Top = VAlign::Top;
constexpr auto Mid = VAlign::Center;
constexpr auto Bot = VAlign::Bottom;
constexpr std::uint8_t Box = FrameAll;
constexpr auto Page = FontSpec::Page;

// The header block, the same on the three templates; each adds its own title.
const CellRow headerBlock[] = {
    {"naziv",       0,   0,  129, 5, FrameNone, L, Top, FontSpec::Regular13, "Naziv na zdravstvenata ustanova: "},
    {"adresa",      0,   5,  129, 5, FrameNone, L, Top, FontSpec::Regular13, "Adresa: "},
    {"mesto",       0,   10, 129, 5, FrameNone, L, Top, FontSpec::Regular13, "Mesto:"},
    {"danocenbroj", 0,   15, 129, 5, FrameNone, L, Top, FontSpec::Regular13, "Dano~en broj:"},
    {"zirosmetka",  0,   20, 129, 5, FrameNone, L, Top, FontSpec::Regular13, "@iro smetka:"},
    {"deponent",    0,   25, 129, 5, FrameNone, L, Top, FontSpec::Regular13, "Deponent: "},
    {"Memo15",      252, 0,  25,  5, FrameNone, L, Top, FontSpec::Regular13, "Datum"},
    {"datum",       252, 5,  25,  5, FrameNone, L, Top, FontSpec::Regular13, ""},
    {"Memo2",       0,   35, 24,  5, FrameNone, L, Top, FontSpec::Bold16,    "Datum od :"},
    {"datumod",     24,  35, 28,  5, FrameNone, L, Top, FontSpec::Bold16,    ""},
    {"Memo3",       0,   40, 24,  5, FrameNone, L, Top, FontSpec::Bold16,    "Datum do :"},
    {"datumdo",     24,  40, 28,  5, FrameNone, L, Top, FontSpec::Bold16,    ""},
};

// Title cells: centred on the band, 27 px bold, centred text.
const CellRow posetaOrdinacijaTitle =
    {"title", 36.5, 45, 204, 20, FrameNone, C, Top, FontSpec::Title27, "Izve{taj za poseta na ordinacija za op{ta medicina"};
const CellRow posetaMladinaTitle =
    {"title", 43.5, 45, 190, 20, FrameNone, C, Top, FontSpec::Title27, "Izve{taj za poseta na ordinacija za\nu~ili{ni deca i mladina"};
const CellRow posetaDecaTitle =
    {"title", 43.5, 45, 190, 20, FrameNone, C, Top, FontSpec::Title27, "Izve{taj za poseta na ordinacija za deca "};

// Heading cells of the tables ("[" in "DOMA[NI" and "ZA[TITA" is a letter of
// the MAC C font).
const CellRow posetaOrdinacijaHeadings[] = {
    {"Memo1",  10,    75,    260,  10,   Box, C, Mid, Page, "POSETI "},
    {"Memo6",  10,    85,    20,   45.0, Box, C, Bot, Page, "MESTO"},
    {"Memo31", 30,    85,    65,   10,   Box, C, Mid, Page, "VO ORDINACIJA"},
    {"Memo12", 95,    85,    45,   10,   Box, C, Mid, Page, "DOMA[NI"},
    {"Memo37", 140,   85,    130,  10,   Box, C, Mid, Page, "POSETI OD KOLONA 5 SPREMA KATEG. KORISIK NA ZDRAV. ZA[TITA"},
    {"Memo4",  30,    95,    40,   10,   Box, C, Mid, Page, "KAJ LEKAROT"},
    {"Memo11", 70,    95.1,  25,   35.0, Box, C, Bot, Page, "Kaj ostanati medicinski rabotnici"},
    {"Memo13", 95,    95.1,  20,   35.0, Box, C, Bot, Page, "Od lekarot"},
    {"Memo14", 115,   95.1,  25,   35.0, Box, C, Bot, Page, "Ostanati medicinski rabotnici"},
    {"Memo5",  140,   95.1,  50,   15.3, Box, C, Bot, Page, "Rabotnici vo zdr. trud i ~lenovi na nivnite semejstva"},
    {"Memo8",  190,   95,    25,   35,   Box, C, Bot, Page, "Voeni osiguren."},
    {"Memo24", 215,   95,    25,   35,   Box, C, Bot, Page, "Zemjodelci"},
    {"Memo25", 240,   95,    30,   35,   Box, C, Bot, Page, "Ostanati"},
    {"Memo7",  30,    105.2, 21,   24.7, Box, C, Bot, Page, "Vkupno"},
    {"Memo32", 51,    105.2, 19,   24.7, Box, C, Mid, Page, "Od toa prvi"},
    {"Memo16", 140,   110.4, 25,   19.6, Box, C, Bot, Page, "SE"},
    {"Memo23", 164.9, 110.3, 25.1, 19.7, Box, C, Mid, Page, "Od toa nositeli na pravoto na zdr. za{tita"},
};

const CellRow posetaMladinaHeadings[] = {
    {"Memo1",  30,  75,  165, 10, Box, C, Mid, Page, "POSETI VO ORDINACIJA"},
    {"Memo23", 195, 75,  45,  10, Box, C, Mid, Page, "KU]NI POSETI"},
    {"Memo6",  30,  85,  20,  30, Box, C, Bot, Page, "MESTO"},
    {"Memo4",  50,  85,  124, 10, Box, C, Top, Page, "KAJ LEKAROT"},
    {"Memo8",  174, 85,  21,  30, Box, C, Mid, Page, "Kaj ostanati medicinski rabotnici"},
    {"Memo24", 195, 85,  20,  30, Box, C, Mid, Page, "OD\nLEKAROT"},
    {"Memo25", 215, 85,  25,  30, Box, C, Mid, Page, "OD\nLEKAROT"},
    {"Memo7",  50,  95,  30,  20, Box, C, Top, Page, "Vkupno"},
    {"Memo5",  80,  95,  94,  10, Box, C, Top, Page, "OD TOA PRVI PREMA VOZRAST"},
    {"Memo11", 80,  105, 20,  10, Box, C, Top, Page, "SE"},
    {"Memo12", 100, 105, 15,  10, Box, C, Top, Page, "7 - 9"},
    {"Memo13", 115, 105, 15,  10, Box, C, Top, Page, "10 - 14"},
    {"Memo14", 130, 105, 15,  10, Box, C, Top, Page, "15 - 19"},
    {"Memo16", 145, 105, 15,  10, Box, C, Top, Page, "20 - 24"},
    {"Memo31", 160, 105, 14,  10, Box, C, Top, Page, ">25"},
};

const CellRow posetaDecaHeadings[] = {
    {"Memo1",  10,  75,  155, 10, Box, C, Mid, Page, "POSETI VO ORDINACIJA"},
    {"Memo23", 165, 75,  55,  10, Box, C, Mid, Page, "KU]NI POSETI"},
    {"Memo58", 220, 75,  30,  40, Box, C, Mid, Page, "VAKCINACII"},
    {"Memo6",  10,  85,  20,  30, Box, C, Bot, Page, "MESTO"},
    {"Memo4",  30,  85,  110, 10, Box, C, Mid, Page, "KAJ LEKAROT"},
    {"Memo8",  140, 85,  25,  30, Box, C, Mid, Page, "Kaj ostanati medicinski rabotnici"},
    {"Memo24", 165, 85,  25,  30, Box, C, Mid, Page, "OD\nLEKAROT"},
    {"Memo25", 190, 85,  30,  30, Box, C, Mid, Page, "OD\nLEKAROT"},
    {"Memo5",  60,  95,  80,  10, Box, C, Mid, Page, "OD TOA PRVI PREMA VOZRAST"},
    {"Memo7",  30,  105, 30,  10, FrameLeft | FrameRight | FrameBottom, C, Bot, Page, "VKUPNO"},
    {"Memo11", 60,  105, 20,  10, Box, C, Mid, Page, "SE"},
    {"Memo12", 80,  105, 15,  10, Box, C, Mid, Page, "0 god"},
    {"Memo13", 95,  105, 15,  10, Box, C, Mid, Page, "1 - 2"},
    {"Memo14", 110, 105, 15,  10, Box, C, Mid, Page, "3 - 5"},
    {"Memo16", 125, 105, 15,  10, Box, C, Mid, Page, "6 god"},
};

// The numbered columns under the headings: the column-number cell and the
// cells of the rows "GRAD", "SELO" and "VKUPNO", all framed, centred, 10 mm
// high. lower: how far the column sits below the row tops.
struct Entry {
    const char *name;
    const char *text;
};
struct Cells {
    Entry grad, selo, vkupno;
    int counted = -1; // the counted column (visitColumns) whose cells these are
};
// The cells of a counted column, named by the column; text: what they hold
// before a run.
constexpr Cells counted(int column, const char *text = "") { return {{nullptr, text}, {nullptr, text}, {nullptr, text}, column}; }
struct ColumnRow {
    Entry number;
    double left, width;
    Cells cells;
    double lower = 0;
};

struct GridRows {
    double numberTop, gradTop, seloTop, vkupnoTop;
};

const GridRows posetaOrdinacijaRows = {130, 140, 150, 160};
// Columns 4 to 11 sit 0.03 mm lower than columns 12 to 14.
const ColumnRow posetaOrdinacijaColumns[] = {
    {{"Memo9",  "4"},  10,  20, {{"Memo28", "GRAD"},        {"Memo29", "SELO"},         {"Memo30", "VKUPNO"}},    0.03},
    {{"Memo10", "5"},  30,  21, counted(0),          0.03},
    {{"Memo17", "6"},  51,  19, counted(1),            0.03},
    {{"Memo18", "7"},  70,  25, {{"ff", ""},                {"od7_do9_selo", ""},       {"od7_do9", ""}},         0.03},
    {{"Memo19", "8"},  95,  20, {{"od10_do14_grad", ""},    {"od10_do14_selo", ""},     {"od10_do14", ""}},       0.03},
    {{"Memo20", "9"},  115, 25, {{"od15_do19_grad", ""},    {"od15_do19_selo", ""},     {"Memo45", ""}},          0.03},
    {{"Memo21", "10"}, 140, 25, counted(2),              0.03},
    {{"Memo22", "11"}, 165, 25, counted(3),        0.03},
    {{"Memo26", "12"}, 190, 25, {{"Memo52", "0"},           {"Memo34", "0"},            {"Memo35", "0"}}},
    {{"Memo27", "13"}, 215, 25, counted(4)},
    {{"Memo33", "14"}, 240, 30, counted(5, "0")},
};

const GridRows posetaMladinaRows = {115, 125, 135, 145};
// The column numbers are printed as stored: "7" twice and no "8".
const ColumnRow posetaMladinaColumns[] = {
    {{"Memo9",  "1"},  30,  20, {{"Memo28", "GRAD"},        {"Memo29", "SELO"},         {"Memo30", "VKUPNO"}}},
    {{"Memo10", "2"},  50,  30, counted(0)},
    {{"Memo17", "3"},  80,  20, counted(1)},
    {{"Memo18", "4"},  100, 15, counted(2)},
    {{"Memo19", "5"},  115, 15, counted(3)},
    {{"Memo20", "6"},  130, 15, counted(4)},
    {{"Memo21", "7"},  145, 15, counted(5)},
    {{"Memo32", "7"},  160, 14, counted(6)},
    {{"Memo22", "9"},  174, 21, counted(7)},
    {{"Memo26", "10"}, 195, 20, {{"Memo52", ""},            {"Memo53", ""},             {"Memo54", ""}}},
    {{"Memo27", "11"}, 215, 25, {{"Memo55", ""},            {"Memo56", ""},             {"Memo57", ""}}},
};

const GridRows posetaDecaRows = {115, 125, 135, 145};
const ColumnRow posetaDecaColumns[] = {
    {{"Memo9",  "1"},  10,  20, {{"Memo28", "GRAD"},        {"Memo29", "SELO"},         {"Memo30", "VKUPNO"}}},
    {{"Memo10", "2"},  30,  30, counted(0)},
    {{"Memo17", "3"},  60,  20, counted(1)},
    {{"Memo18", "4"},  80,  15, counted(2)},
    {{"Memo19", "5"},  95,  15, counted(3)},
    {{"Memo20", "6"},  110, 15, counted(4)},
    {{"Memo21", "7"},  125, 15, counted(5)},
    {{"Memo22", "8"},  140, 25, {{"Memo49", ""},            {"Memo50", ""},             {"Memo51", ""}}},
    {{"Memo26", "9"},  165, 25, {{"Memo52", ""},            {"Memo53", ""},             {"Memo54", ""}}},
    {{"Memo27", "10"}, 190, 30, {{"Memo55", ""},            {"Memo56", ""},             {"Memo57", ""}}},
    {{"Memo59", "11"}, 220, 30, {{"Memo60", ""},            {"Memo61", ""},             {"Memo62", ""}}},
};

report::Font pageFont()
{
    return report::Font{QString::fromLatin1(report::kMaccSwiss), 13, false};
}

std::optional<report::Font> fontOf(FontSpec stated)
{
    switch (stated) {
    case FontSpec::Page:
        break;
    case FontSpec::Regular13:
        return pageFont();
    case FontSpec::Bold16:
        return report::Font{QString::fromLatin1(report::kMaccSwiss), 16, true};
    case FontSpec::Title27:
        return report::Font{QString::fromLatin1(report::kMaccSwiss), 27, true};
    }
    return std::nullopt;
}

report::TfrxMemoView cellOf(const CellRow &row)
{
    report::TfrxMemoView cell;
    cell.name = QString::fromLatin1(row.name);
    cell.left = report::mm(row.left);
    cell.top = report::mm(row.top);
    cell.width = report::mm(row.width);
    cell.height = report::mm(row.height);
    cell.frame = row.frame;
    cell.hAlign = row.hAlign;
    cell.vAlign = row.vAlign;
    cell.font = fontOf(row.font);
    cell.setText(QString::fromLatin1(row.text));
    return cell;
}

// The headings over each counted column (visitColumns), outermost first, by
// the names of their cells.
using HeadingPath = std::initializer_list<const char *>;
const HeadingPath posetaOrdinacijaPaths[] = {
    {"Memo1", "Memo31", "Memo4", "Memo7"},  {"Memo1", "Memo31", "Memo4", "Memo32"},
    {"Memo1", "Memo37", "Memo5", "Memo16"}, {"Memo1", "Memo37", "Memo5", "Memo23"},
    {"Memo1", "Memo37", "Memo24"},          {"Memo1", "Memo37", "Memo25"},
};
const HeadingPath posetaMladinaPaths[] = {
    {"Memo1", "Memo4", "Memo7"},           {"Memo1", "Memo4", "Memo5", "Memo11"}, {"Memo1", "Memo4", "Memo5", "Memo12"},
    {"Memo1", "Memo4", "Memo5", "Memo13"}, {"Memo1", "Memo4", "Memo5", "Memo14"}, {"Memo1", "Memo4", "Memo5", "Memo16"},
    {"Memo1", "Memo4", "Memo5", "Memo31"}, {"Memo1", "Memo8"},
};
const HeadingPath posetaDecaPaths[] = {
    {"Memo1", "Memo4", "Memo7"},           {"Memo1", "Memo4", "Memo5", "Memo11"}, {"Memo1", "Memo4", "Memo5", "Memo12"},
    {"Memo1", "Memo4", "Memo5", "Memo13"}, {"Memo1", "Memo4", "Memo5", "Memo14"}, {"Memo1", "Memo4", "Memo5", "Memo16"},
};

// The header the three forms print: the institution's particulars (each
// cell printing its caption before the text), the date printed and the period.
const HeaderField kHeader[] = {
    {"naziv", "Naziv na zdravstvena ustanova :", HeaderField::Naziv, true},
    {"adresa", "Adresa :", HeaderField::Adresa, true},
    {"mesto", "Mesto :", HeaderField::Mesto, true},
    {"danocenbroj", "Dano~en broj :", HeaderField::DanBroj, true},
    {"zirosmetka", "@iro smetka :", HeaderField::Ziro, true},
    {"deponent", "Deponent :", HeaderField::Deponent, true},
    {"datum", "Datum", HeaderField::PrintedOn},
    {"datumod", "Datum od :", HeaderField::From},
    {"datumdo", "Datum do :", HeaderField::To},
};

struct Layout {
    VisitReport report;
    const char *name;
    double bandHeight; // pixels
    const CellRow &title;
    std::span<const CellRow> headings;
    const GridRows &rows;
    std::span<const ColumnRow> columns;
    std::span<const HeadingPath> paths;
};

report::TfrxReport buildTemplate(const Layout &layout)
{
    report::TfrxReport templ(QString::fromLatin1(layout.name));
    // The title cell's lines on one line, its trailing blank dropped.
    templ.title = QString::fromLatin1(layout.title.text).simplified();
    report::TfrxReportPage page;
    page.name = QStringLiteral("Page1");
    page.paperSize = 9;
    page.paperWidth = 297;
    page.paperHeight = 210;
    page.landscape = true;
    page.leftMargin = page.rightMargin = page.topMargin = page.bottomMargin = 10;
    page.font = pageFont();

    report::TfrxReportTitle band;
    band.name = QStringLiteral("ReportTitle1");
    band.width = report::mm(277);
    band.height = layout.bandHeight;

    std::vector<report::TfrxMemoView> &cells = band.cells;
    for (const CellRow &row : headerBlock)
        cells.push_back(cellOf(row));
    report::TfrxMemoView title = cellOf(layout.title);
    title.align = report::Placement::Center;
    cells.push_back(std::move(title));
    for (const CellRow &heading : layout.headings)
        cells.push_back(cellOf(heading));

    const std::span<const VisitColumn> countedColumns = visitColumns(layout.report);
    for (const ColumnRow &column : layout.columns) {
        Cells named = column.cells;
        if (named.counted >= 0) {
            const VisitColumn &counted = countedColumns[std::size_t(named.counted)];
            named.grad.name = counted.urban;
            named.selo.name = counted.rural;
            named.vkupno.name = counted.total;
        }
        const std::pair<const Entry &, double> rows[] = {{column.number, layout.rows.numberTop},
                                                         {named.grad, layout.rows.gradTop},
                                                         {named.selo, layout.rows.seloTop},
                                                         {named.vkupno, layout.rows.vkupnoTop}};
        for (const auto &[entry, top] : rows)
            cells.push_back(cellOf({entry.name, column.left, top + column.lower, column.width, 10, Box, C,
                                    Mid, Page, entry.text}));
    }
    page.title = std::move(band);
    templ.pages.push_back(std::move(page));
    return templ;
}

// A text of the form as a reader sees it: every cell prints in the MAC C font.
QString words(const char *text) { return report::maccToUnicode(QString::fromLatin1(text)).simplified(); }

const char *headingText(const Layout &layout, const char *name)
{
    for (const CellRow &heading : layout.headings)
        if (qstrcmp(heading.name, name) == 0)
            return heading.text;
    return "";
}

// The form, and the identity of its result's rows (the areas, as its first
// column names them) and columns (the counted ones, under their headings).
Result<Form> buildForm(const Layout &layout)
{
    Form form;
    form.blank = buildTemplate(layout);
    form.title = words(layout.title.text);
    form.header = kHeader;
    const ColumnRow &areas = layout.columns.front();
    std::vector<result::RowIdentity> rows(3);
    const std::pair<const char *, const Entry &> rowKeys[] = {
        {"urban", areas.cells.grad}, {"rural", areas.cells.selo}, {"both", areas.cells.vkupno}};
    for (std::size_t i = 0; i < rows.size(); ++i) {
        rows[i].key = QString::fromLatin1(rowKeys[i].first);
        rows[i].label = words(rowKeys[i].second.text);
    }
    rows[BothRow].kind = result::RowKind::Total;
    rows[BothRow].sums = {UrbanRow, RuralRow};

    const std::span<const VisitColumn> counted = visitColumns(layout.report);
    std::vector<result::ColumnIdentity> columns(counted.size());
    for (const ColumnRow &column : layout.columns) {
        if (column.cells.counted < 0)
            continue;
        const std::size_t index = std::size_t(column.cells.counted);
        columns[index].key = QString::fromLatin1(counted[index].key);
        columns[index].number = QString::fromLatin1(column.number.text);
        for (const char *name : layout.paths[index])
            columns[index].headings << words(headingText(layout, name));
        const char *const names[] = {counted[index].urban, counted[index].rural, counted[index].total};
        for (int row = UrbanRow; row <= BothRow; ++row)
            form.cells.push_back({QString::fromLatin1(names[row]), row, int(index)});
    }
    std::stable_sort(form.cells.begin(), form.cells.end(),
                     [](const FormCell &a, const FormCell &b) { return a.row < b.row; });
    Result<std::shared_ptr<const result::TableShape>> shape =
        result::TableShape::make(std::move(rows), std::move(columns),
                                 {QString(), words(headingText(layout, "Memo6")), QString()},
                                 {QString(), QString::fromLatin1(areas.number.text), QString()});
    if (!shape)
        return shape.error();
    form.shape = *shape;
    return form;
}

Layout layoutOf(VisitReport report)
{
    switch (report) {
    case VisitReport::SchoolYouth:
        return {report, "frxPosetaMladina", 661.41775, posetaMladinaTitle, posetaMladinaHeadings, posetaMladinaRows,
                posetaMladinaColumns, posetaMladinaPaths};
    case VisitReport::Children:
        return {report, "frxPosetaDeca", 661.41775, posetaDecaTitle, posetaDecaHeadings, posetaDecaRows,
                posetaDecaColumns, posetaDecaPaths};
    case VisitReport::GeneralMedicine:
        break;
    }
    // The band is 183.3 mm high as drawn; its stored height is 692.65399 px.
    return {report, "frxPosetaOrdinacija", 692.65399, posetaOrdinacijaTitle, posetaOrdinacijaHeadings,
            posetaOrdinacijaRows, posetaOrdinacijaColumns, posetaOrdinacijaPaths};
}

} // namespace

Result<const Form *> visitForm(VisitReport report)
{
    static const Result<Form> forms[] = {buildForm(layoutOf(VisitReport::SchoolYouth)),
                                         buildForm(layoutOf(VisitReport::Children)),
                                         buildForm(layoutOf(VisitReport::GeneralMedicine))};
    const Result<Form> &form = forms[int(report)];
    if (!form)
        return form.error();
    return &form.value();
}

} // namespace tarel::reports
