// Workbooks read back with a reader of their own: the result's table with
// its merged headings, frames, counts as numbers and sums in bold, the page
// set-up, the data sheet, and files replaced only by a whole workbook.
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

// A one-page report with the small run's result.
PreparedReport smallForm()
{
    PreparedReport report = onePageReport({outputCell(u"Memo1"_s, 0, 0, 37.8, 18.9, u"-"_s)});
    report.templateName = u"frxMali"_s;
    report.result = smallResult();
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
    EXPECT_EQ(workbook->sheets[0].name, u"general-medicine"_s);
    EXPECT_EQ(workbook->sheets[1].name, u"Podatoci"_s);
    // The heading and header lines above the table, a caption in bold beside
    // its text; the head's rows repeated on printed pages; "-" is 0 shown as
    // "-"; the sums in bold; counts shrink to fit rather than show "###"; the
    // sheet's font the workbook's default.
    EXPECT_EQ(workbook->defaultFont, u"Arial"_s);
    EXPECT_EQ(workbook->defaultSize, 10);
    EXPECT_EQ(describe(workbook->sheets[0]), uR"(print titles $5:$7; paper 9 landscape; fit 1 x 0; margins 0.1968503937007874 0.1968503937007874 0.1968503937007874 0.1968503937007874
row heights
A1:G1 "Утврдени заболувања" Arial 12 bold
A2:G2 "Дата од: 01.01.2024" Arial 10 bold "Дата од:"
A3:G3 "Град и Село" Arial 10
A5:A6 Arial 10 bold frame LRTB
B5:B6 "Заболувања" Arial 10 bold frame LRTB
C5:C6 "Шифра" Arial 10 bold frame LRTB
D5 "Вкупно" Arial 10 bold frame LRTB
E5:F5 "0-9" Arial 10 bold frame LRTB
G5 "10+" Arial 10 bold frame LRTB
D6 "м" Arial 10 bold frame LRTB
E6 "м" Arial 10 bold frame LRTB
F6 "ж" Arial 10 bold frame LRTB
G6 "м" Arial 10 bold frame LRTB
A7 "1" Arial 8 frame LRTB
B7 "2" Arial 8 frame LRTB
C7 "3" Arial 8 frame LRTB
D7 "4" Arial 8 frame LRTB
E7 "5" Arial 8 frame LRTB
F7 "6" Arial 8 frame LRTB
G7 "7" Arial 8 frame LRTB
A8 Arial 10 bold frame LRTB
B8 "Вкупно" Arial 10 bold frame LRTB
C8 "A00 - Z99" Arial 10 bold frame LRTB
D8 = 3 [0;-0;"-"] Arial 10 bold shrink frame LRTB
E8 = 1 [0;-0;"-"] Arial 10 bold shrink frame LRTB
F8 = 1 [0;-0;"-"] Arial 10 bold shrink frame LRTB
G8 = 2 [0;-0;"-"] Arial 10 bold shrink frame LRTB
A9 "1" Arial 10 frame LRTB
B9 "=Прв" Arial 10 frame LRTB
C9 "A01" Arial 10 frame LRTB
D9 = 3 [0;-0;"-"] Arial 10 shrink frame LRTB
E9 = 1 [0;-0;"-"] Arial 10 shrink frame LRTB
F9 = 0 [0;-0;"-"] Arial 10 shrink frame LRTB
G9 = 2 [0;-0;"-"] Arial 10 shrink frame LRTB
A10 "2" Arial 10 frame LRTB
B10 "Втор, "б"" Arial 10 frame LRTB
C10 "A02" Arial 10 frame LRTB
D10 = 0 [0;-0;"-"] Arial 10 shrink frame LRTB
E10 = 0 [0;-0;"-"] Arial 10 shrink frame LRTB
F10 = 1 [0;-0;"-"] Arial 10 shrink frame LRTB
G10 = 0 [0;-0;"-"] Arial 10 shrink frame LRTB
A11 Arial 10 bold frame LRTB
B11 "Глава I" Arial 10 bold frame LRTB
C11 "A00 - A99" Arial 10 bold frame LRTB
D11 = 3 [0;-0;"-"] Arial 10 bold shrink frame LRTB
E11 = 1 [0;-0;"-"] Arial 10 bold shrink frame LRTB
F11 = 1 [0;-0;"-"] Arial 10 bold shrink frame LRTB
G11 = 2 [0;-0;"-"] Arial 10 bold shrink frame LRTB
)"_s);
}

// A count column is as wide as its widest count, six digits at least: a
// seven-digit total keeps the sheet's font instead of shrinking.
TEST(Workbook, ACountColumnGrowsToItsWidestCount)
{
    auto run = std::make_shared<tarel::result::RunResult>(*smallResult());
    run->counts.setValue(1, 3, 1234566);
    run->counts.derive(); // the total of column 4 and the subtotals: 1234567 and more
    PreparedReport report = smallForm();
    report.result = run;
    QTemporaryDir dir;
    const QString path = dir.filePath(u"form.xlsx"_s);
    ASSERT_TRUE(writeWorkbook(report, path).ok());
    const auto workbook = readXlsx(path);
    ASSERT_TRUE(workbook);
    const std::map<int, double> &widths = workbook->sheets[0].columnWidths;
    ASSERT_TRUE(widths.contains(4) && widths.contains(6));
    EXPECT_GE(widths.at(6), 9.0) << "seven digits and room beside them";
    EXPECT_GE(widths.at(3), 9.0) << "the total of the men";
    EXPECT_LT(widths.at(4), widths.at(6)) << "small counts keep six digits' width";
}

// What the run recorded as rows under Macedonian labels: objects and lists
// one level deeper, numbers as numbers, the period as dates, the doctor's
// name in Cyrillic as the form prints it, the area as the form names it, and
// no path of the database (the alias stays).
TEST(Workbook, DataSheetListsWhatTheRunRecorded)
{
    QTemporaryDir dir;
    PreparedReport report = smallForm();
    auto kept = std::make_shared<tarel::result::RunResult>(*report.result);
    kept->request.to = QDate(2024, 1, 31);
    kept->request.doctor = tarel::result::Doctor{u"L07"_s, u"\\or|ievska Elena"_s};
    kept->request.database = u"/srv/pelorida/pelorida.sqlite"_s;
    kept->check.emplace().selected = 781;
    kept->check->noRowDiagnoses = {{u"Z99"_s, u"9"_s, 3}};
    report.result = std::move(kept);
    const QString path = dir.filePath(u"report.xlsx"_s);
    ASSERT_TRUE(writeWorkbook(report, path).ok());
    const auto workbook = readXlsx(path);
    ASSERT_TRUE(workbook && workbook->sheet(u"Podatoci"_s));
    const XlsxSheet &sheet = *workbook->sheet(u"Podatoci"_s);
    QStringList lines;
    for (int row = 0; sheet.at(row, 0); ++row) {
        const XlsxCell *value = sheet.at(row, 1);
        lines << sheet.at(row, 0)->text + u" | "_s
                + (!value                                  ? QString()
                   : value->numberFormat == u"dd.mm.yyyy" ? u"date "_s + value->text
                                                          : value->text);
    }
    // The sheet is named after the report asked for; the request comes first.
    EXPECT_EQ(lines.mid(0, 12),
              (QStringList{u"Податок | Вредност"_s, u"Извештај | general-medicine"_s, u"Образец | frxMali"_s,
                           u"Барање | "_s, u"Извештај | general-medicine"_s, u"Датум од | date 45292"_s,
                           u"Датум до | date 45322"_s, u"Лекар | "_s, u"Шифра | L07"_s,
                           u"Име и презиме | Ѓорѓиевска Елена"_s, u"Подрачје | Град и Село"_s,
                           u"База на податоци | pelorida"_s}));
    EXPECT_TRUE(lines.contains(u"Избрани посети | 781"_s));
    EXPECT_TRUE(lines.contains(u"Дијагноза | Z99"_s));
    QFile written(path);
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
    auto longTitle = std::make_shared<tarel::result::RunResult>(*tooLong.result);
    longTitle->title = QString(40000, u'x');
    tooLong.result = std::move(longTitle);
    const auto failed = writeWorkbook(tooLong, path);
    ASSERT_FALSE(failed.ok());
    EXPECT_TRUE(failed.message().startsWith(u"Cannot write \""_s + path + u"\": "_s)) << failed.message().toStdString();
    ASSERT_TRUE(old.open(QIODevice::ReadOnly));
    EXPECT_EQ(old.readAll(), QByteArray("old"));
    old.close();

    // Pages without the counts of a run are refused.
    PreparedReport pagesAlone = smallForm();
    pagesAlone.result = {};
    const auto refused = writeWorkbook(pagesAlone, path);
    ASSERT_FALSE(refused.ok());
    EXPECT_TRUE(refused.message().endsWith(u"the report keeps no counts to write as a table"_s))
        << refused.message().toStdString();
    ASSERT_TRUE(old.open(QIODevice::ReadOnly));
    EXPECT_EQ(old.readAll(), QByteArray("old"));
    old.close();

    EXPECT_FALSE(writeWorkbook(PreparedReport{}, path).ok());
    EXPECT_FALSE(writeWorkbook(smallForm(), dir.path()).ok());
    ASSERT_TRUE(writeWorkbook(smallForm(), path).ok());
    EXPECT_TRUE(readXlsx(path).has_value());
}
