// Workbooks read back with a reader of their own: the form's grid, merged
// headings, frames, counts as numbers, the pages joined into one table, the
// page set-up, the data sheet, and files replaced only by a whole workbook.
#include "workbook.h"
#include "reportfixtures.h"
#include "xlsxreader.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonObject>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace tarel::report;
using namespace tarel::report::testing;
using namespace Qt::StringLiterals;
using tarel::testing::cellName;
using tarel::testing::cellPosition;
using tarel::testing::readXlsx;
using tarel::testing::XlsxCell;
using tarel::testing::XlsxSheet;

namespace {

// A cell placed in millimetres.
OutputCell at(double left, double top, double width, double height, const QString &text,
              std::uint8_t frame = FrameAll, const QString &font = u"Arial"_s, bool bold = false,
              HAlign align = HAlign::Left)
{
    OutputCell cell = outputCell(text, mm(left), mm(top), mm(width), mm(height), text, font, 13, frame);
    cell.font.bold = bold;
    cell.hAlign = align;
    return cell;
}

// A two-page form in the manner of the morbidity forms: header lines, a
// head with a heading over two columns, the column numbers, rows with a
// composite label and a lettered ordinal, and on page 2 the column-number
// strip again.
PreparedReport smallForm()
{
    const QString macc = u"MAC C Swiss"_s;
    PreparedReport report;
    report.templateName = u"frxMali"_s;
    auto strip = [](double top) {
        return std::vector<OutputCell>{at(0, top, 10, 5, u"1"_s), at(10, top, 40, 5, u"2"_s),
                                       at(50, top, 10, 5, u"3"_s), at(60, top, 10, 5, u"4"_s)};
    };
    std::vector<OutputCell> first = {
        at(0, 0, 17, 7, u"Data od:"_s, FrameNone, macc, true),
        at(17, 0, 33, 7, u"01.11.2024"_s, FrameNone, macc),
        at(52, 1, 8, 5, u"PZU:"_s, FrameNone, macc, true),
        at(60, 1, 60, 5, u"Dom na zdravjeto"_s, FrameNone),
        at(5, 8, 60, 10, u"IZVE[TAJ"_s, FrameNone, macc, true, HAlign::Center),
        // Head: two rows, "Vkupno" over the two count columns.
        at(0, 20, 10, 10, QString()),
        at(10, 20, 40, 10, u"Zaboluvawe"_s, FrameAll, macc),
        at(50, 20, 20, 5, u"Vkupno"_s, FrameAll, macc, true, HAlign::Center),
        at(50, 25, 10, 5, u"m"_s, FrameAll, macc),
        at(60, 25, 10, 5, u"`"_s, FrameAll, macc),
    };
    for (OutputCell &cell : strip(30))
        first.push_back(cell);
    for (const OutputCell &cell : {
             at(0, 35, 10, 5, u"1"_s), at(10, 35, 40, 5, u"Tifus"_s), at(50, 35, 10, 5, u"-"_s),
             at(60, 35, 10, 5, u"12"_s),
             // A label in two pieces that together make the frame.
             at(0, 40, 10, 10, u"2"_s),
             at(10, 40, 12, 10, u"Hodkin-"_s, FrameLeft | FrameTop | FrameBottom),
             at(22, 40, 28, 10, u"ova bolest"_s, FrameRight | FrameTop | FrameBottom, macc),
             at(50, 40, 10, 10, u"3"_s), at(60, 40, 10, 10, u"-"_s)})
        first.push_back(cell);
    report.pages.push_back(a4Page(first));
    std::vector<OutputCell> second = strip(0);
    for (const OutputCell &cell : {at(0, 5, 10, 5, u"a"_s), at(10, 5, 40, 5, u"Drugi"_s), at(50, 5, 10, 5, u"0"_s),
                                   at(60, 5, 10, 5, u"7"_s)})
        second.push_back(cell);
    report.pages.push_back(a4Page(second));
    return report;
}

// The sheet as text: its set-up, then every cell that holds something or a
// frame, with its merged range, row by row.
QString describe(const XlsxSheet &sheet)
{
    QString text = u"print titles %1; paper %2 %3; fit %4 x %5; margins %6 %7 %8 %9\n"_s.arg(
        sheet.printTitles, sheet.pageSetup.value(u"paperSize"_s), sheet.pageSetup.value(u"orientation"_s),
        sheet.pageSetup.value(u"fitToWidth"_s, u"1"_s), sheet.pageSetup.value(u"fitToHeight"_s, u"1"_s),
        sheet.margins.value(u"left"_s), sheet.margins.value(u"right"_s), sheet.margins.value(u"top"_s),
        sheet.margins.value(u"bottom"_s));
    text += u"row heights"_s;
    for (const auto &[row, height] : sheet.rowHeights)
        text += u" %1"_s.arg(height, 0, 'f', 1);
    text += u'\n';
    for (const auto &[position, cell] : sheet.cells) {
        const QString name = cellName(position.first, position.second);
        QString range = name;
        bool covered = false; // by a merged range that starts elsewhere
        for (const QString &merge : sheet.merges) {
            const QStringList corners = merge.split(u':');
            const auto [top, left] = cellPosition(corners[0]);
            const auto [bottom, right] = cellPosition(corners[1]);
            if (corners[0] == name)
                range = merge;
            else
                covered = covered || (position.first >= top && position.first <= bottom && position.second >= left
                                      && position.second <= right);
        }
        if (covered || (cell.type == XlsxCell::Type::Blank && cell.frame.isEmpty()))
            continue;
        text += range;
        if (cell.type == XlsxCell::Type::Number)
            text += u" = %1 [%2]"_s.arg(cell.text, cell.numberFormat);
        else if (cell.type == XlsxCell::Type::Text)
            text += u" \"%1\""_s.arg(cell.text);
        text += u" %1 %2%3"_s.arg(cell.font).arg(cell.size).arg(cell.bold ? u" bold"_s : QString());
        if (!cell.boldText.isEmpty())
            text += u" bold \"%1\""_s.arg(cell.boldText);
        if (cell.shrink)
            text += u" shrink"_s;
        if (!cell.frame.isEmpty())
            text += u" frame "_s + cell.frame;
        text += u'\n';
    }
    return text;
}

} // namespace

TEST(Workbook, FormSheetGolden)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(u"form.xlsx"_s);
    const auto written = writeWorkbook(smallForm(), path);
    ASSERT_TRUE(written.ok()) << written.message().toStdString();
    QString error;
    const auto workbook = readXlsx(path, &error);
    ASSERT_TRUE(workbook) << error.toStdString();
    ASSERT_EQ(workbook->sheets.size(), 2u);
    EXPECT_EQ(workbook->sheets[0].name, u"frxMali"_s);
    EXPECT_EQ(workbook->sheets[1].name, u"Podatoci"_s);
    // Header lines above the grid, a bold label joined with its value keeping
    // its bold; the head's three rows repeated on printed pages; page 2's
    // strip left out, its row straight after page 1's; the ordinal column
    // stays text because of its letter; "-" is 0 shown as "-"; counts shrink
    // to fit rather than show "###"; the form's sizes (13 pixels: 9.75
    // points), and its font the workbook's default.
    EXPECT_EQ(workbook->defaultFont, u"Arial"_s);
    EXPECT_EQ(workbook->defaultSize, 10);
    EXPECT_EQ(describe(workbook->sheets[0]),
              uR"(print titles $3:$5; paper 9 landscape; fit 1 x 0; margins 0.1968503937007874 0.1968503937007874 0.1968503937007874 0.1968503937007874
row heights 19.8 28.3 14.2 14.2 14.2 14.2 28.3 14.2
A1:B1 "Дата од: 01.11.2024" Arial 9.75 bold "Дата од:"
C1:D1 "ПЗУ: Dom na zdravjeto" Arial 9.75 bold "ПЗУ:"
A2:D2 "ИЗВЕШТАЈ" Arial 9.75 bold
A3:A4 Arial 9.75 frame LRTB
B3:B4 "Заболување" Arial 9.75 frame LRTB
C3:D3 "Вкупно" Arial 9.75 bold frame LRTB
C4 "м" Arial 9.75 frame LRTB
D4 "ж" Arial 9.75 frame LRTB
A5 "1" Arial 9.75 frame LRTB
B5 "2" Arial 9.75 frame LRTB
C5 "3" Arial 9.75 frame LRTB
D5 "4" Arial 9.75 frame LRTB
A6 "1" Arial 9.75 frame LRTB
B6 "Tifus" Arial 9.75 frame LRTB
C6 = 0 [0;-0;"-"] Arial 9.75 shrink frame LRTB
D6 = 12 [0;-0;"-"] Arial 9.75 shrink frame LRTB
A7 "2" Arial 9.75 frame LRTB
B7 "Hodkin- ова болест" Arial 9.75 frame LRTB
C7 = 3 [0;-0;"-"] Arial 9.75 shrink frame LRTB
D7 = 0 [0;-0;"-"] Arial 9.75 shrink frame LRTB
A8 "a" Arial 9.75 frame LRTB
B8 "Drugi" Arial 9.75 frame LRTB
C8 = 0 [0] Arial 9.75 shrink frame LRTB
D8 = 7 [0;-0;"-"] Arial 9.75 shrink frame LRTB
)"_s);
}

// A count column grows to its widest count at the form's font (a six-digit
// total is not shrunk to a small font, nor five digits set against the
// rules); the other columns keep the form's widths.
TEST(Workbook, ACountColumnGrowsToItsWidestCount)
{
    PreparedReport report = smallForm();
    for (OutputCell &cell : report.pages[0].cells)
        if (cell.text == u"12")
            cell.text = u"260003"_s;
    QTemporaryDir dir;
    const QString path = dir.filePath(u"form.xlsx"_s);
    ASSERT_TRUE(writeWorkbook(report, path).ok());
    const auto workbook = readXlsx(path);
    ASSERT_TRUE(workbook);
    const XlsxSheet &sheet = workbook->sheets[0];
    const std::map<int, double> &widths = sheet.columnWidths;
    ASSERT_TRUE(widths.contains(0) && widths.contains(2) && widths.contains(3));
    EXPECT_DOUBLE_EQ(widths.at(2), widths.at(0)) << "columns of 10 mm, small counts";
    // Six digits of the form's 13 pixels and the room beside them, in
    // characters of the default font (7 pixels a character, 5 of padding).
    const double needed = (6 * 13 * 0.556 + 7 - 5) / 7;
    EXPECT_GT(widths.at(3), widths.at(2));
    EXPECT_GE(widths.at(3), needed);
    EXPECT_LE(widths.at(3), needed + 1);
    EXPECT_EQ(sheet.at(5, 3)->size, 9.75) << "the form's size";
}

// The run's annotations as rows under Macedonian labels: objects and lists
// one level deeper, numbers as numbers, the period as dates, the doctor's
// name in Cyrillic as the form prints it, the area as the form names it, and
// no path of the database (the alias stays); without annotations only the
// report and its template.
TEST(Workbook, DataSheetListsTheAnnotations)
{
    QTemporaryDir dir;
    PreparedReport report = smallForm();
    const QString plain = dir.filePath(u"plain.xlsx"_s);
    ASSERT_TRUE(writeWorkbook(report, plain).ok());
    report.annotations.insert(u"request"_s,
                              QJsonObject{{u"report"_s, u"general-medicine"_s},
                                          {u"from"_s, u"2024-11-01"_s},
                                          {u"to"_s, u"2024-11-30"_s},
                                          {u"doctor"_s, QJsonObject{{u"code"_s, u"L07"_s},
                                                                    {u"name"_s, u"\\or|ievska Elena"_s}}},
                                          {u"area"_s, u"both"_s},
                                          {u"alias"_s, u"pelorida"_s},
                                          {u"database"_s, u"/srv/pelorida/pelorida.sqlite"_s}});
    report.annotations.insert(u"check"_s, QJsonObject{{u"selected"_s, 781},
                                                      {u"noRowDiagnoses"_s, QJsonArray{u"Z99.9"_s, u"U07.1"_s}},
                                                      {u"complete"_s, true}});
    const QString annotated = dir.filePath(u"annotated.xlsx"_s);
    ASSERT_TRUE(writeWorkbook(report, annotated).ok());

    auto rows = [](const QString &path) {
        const auto workbook = readXlsx(path);
        QStringList lines;
        if (!workbook || !workbook->sheet(u"Podatoci"_s))
            return lines;
        const XlsxSheet &sheet = *workbook->sheet(u"Podatoci"_s);
        for (int row = 0; sheet.at(row, 0); ++row) {
            const XlsxCell *value = sheet.at(row, 1);
            lines << sheet.at(row, 0)->text + u" | "_s
                    + (!value                          ? QString()
                           : value->numberFormat == u"dd.mm.yyyy" ? u"date "_s + value->text
                                                                  : value->text);
        }
        lines.prepend(workbook->sheets.front().name);
        return lines;
    };
    EXPECT_EQ(rows(plain), (QStringList{u"frxMali"_s, u"Податок | Вредност"_s, u"Извештај | frxMali"_s,
                                        u"Образец | frxMali"_s}));
    // The sheet is named after the report asked for; the request comes first.
    EXPECT_EQ(rows(annotated),
              (QStringList{u"general-medicine"_s, u"Податок | Вредност"_s, u"Извештај | general-medicine"_s,
                           u"Образец | frxMali"_s, u"Барање | "_s, u"Извештај | general-medicine"_s,
                           u"Датум од | date 45597"_s, u"Датум до | date 45626"_s, u"Лекар | "_s,
                           u"Шифра | L07"_s, u"Име и презиме | Ѓорѓиевска Елена"_s, u"Подрачје | Град и Село"_s,
                           u"База на податоци | pelorida"_s, u"Проверка на податоците | "_s,
                           u"Избрани посети | 781"_s, u"Дијагнози во ниеден ред | "_s, u"1 | Z99.9"_s,
                           u"2 | U07.1"_s, u"complete | 1"_s}));
    QFile written(annotated);
    ASSERT_TRUE(written.open(QIODevice::ReadOnly));
    const auto files = tarel::testing::unzip(written.readAll());
    ASSERT_TRUE(files.has_value());
    for (const QByteArray &bytes : *files)
        EXPECT_FALSE(bytes.contains("/srv/pelorida"));
}

// A workbook that cannot be made leaves the old file as it was; one that
// can replaces it whole.
TEST(Workbook, FailureKeepsTheOldFile)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(u"report.xlsx"_s);
    QFile old(path);
    ASSERT_TRUE(old.open(QIODevice::WriteOnly));
    old.write("old");
    old.close();

    // A sheet cell holds at most 32767 characters.
    PreparedReport tooLong = smallForm();
    tooLong.pages[0].cells[6].text = QString(40000, u'x');
    const auto failed = writeWorkbook(tooLong, path);
    ASSERT_FALSE(failed.ok());
    EXPECT_TRUE(failed.message().startsWith(u"Cannot write \""_s + path + u"\": "_s)) << failed.message().toStdString();
    ASSERT_TRUE(old.open(QIODevice::ReadOnly));
    EXPECT_EQ(old.readAll(), QByteArray("old"));
    old.close();

    // Scattered cells whose edges make a grid of 3000 x 3000 are refused, quickly.
    PreparedReport scattered = smallForm();
    for (int i = 0; i < 3000; ++i)
        scattered.pages[1].cells.push_back(at(100 + 2 * i, 100 + 2 * i, 0.5, 0.5, u"x"_s));
    const auto refused = writeWorkbook(scattered, path);
    ASSERT_FALSE(refused.ok());
    EXPECT_TRUE(refused.message().endsWith(u"too large for a worksheet"_s)) << refused.message().toStdString();
    ASSERT_TRUE(old.open(QIODevice::ReadOnly));
    EXPECT_EQ(old.readAll(), QByteArray("old"));
    old.close();

    EXPECT_FALSE(writeWorkbook(PreparedReport{}, path).ok());
    EXPECT_FALSE(writeWorkbook(smallForm(), dir.path()).ok());
    ASSERT_TRUE(writeWorkbook(smallForm(), path).ok());
    EXPECT_TRUE(readXlsx(path).has_value());
}
