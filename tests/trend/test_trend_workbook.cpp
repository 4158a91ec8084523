// The trend's workbook read back: the flagged cells most severe first in
// Macedonian, every row's totals per period with a sparkline each, the
// doctors, and the chart of the flagged rows drawn from the rows' sheet.

#include "smalltrend.h"
#include "trendworkbook.h"

#include "xlsxreader.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace tarel;
using namespace tarel::trend;
using namespace tarel::trend::testing;
using tarel::testing::readXlsx;
using tarel::testing::unzip;

namespace {

QString textAt(const tarel::testing::XlsxSheet &sheet, int row, int column)
{
    const tarel::testing::XlsxCell *cell = sheet.at(row, column);
    return cell ? cell->text : QString();
}

} // namespace

TEST(TrendWorkbook, FlaggedCellsRowsWithSparklinesDoctorsAndAChart)
{
    const QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("trend.xlsx"));
    const Result<void> written = writeTrendWorkbook(smallTrend(), path);
    ASSERT_TRUE(written.ok()) << written.message().toStdString();
    QString error;
    const std::optional<tarel::testing::XlsxWorkbook> workbook = readXlsx(path, &error);
    ASSERT_TRUE(workbook) << error.toStdString();

    const tarel::testing::XlsxSheet *flagged = workbook->sheet(QLatin1String(kFlaggedSheet));
    ASSERT_TRUE(flagged);
    EXPECT_EQ(textAt(*flagged, 1, 1), QString::fromUtf8("Извештај за заболувања"));
    EXPECT_EQ(textAt(*flagged, 3, 1), QString::fromUtf8("Село"));
    EXPECT_EQ(textAt(*flagged, 4, 1), QStringLiteral("04.2024"));
    EXPECT_EQ(flagged->at(5, 1)->number, 3); // history periods
    // Headings, then the five flagged cells; the first is row 1's boys, gone.
    EXPECT_EQ(textAt(*flagged, 7, 4), QString::fromUtf8("Овој период"));
    EXPECT_EQ(textAt(*flagged, 7, 9), QStringLiteral("01.2024"));
    EXPECT_EQ(textAt(*flagged, 8, 0), QStringLiteral("1"));
    EXPECT_EQ(textAt(*flagged, 8, 1), QString::fromUtf8("Тифус"));
    EXPECT_EQ(textAt(*flagged, 8, 2), QStringLiteral("0-9, m"));
    EXPECT_EQ(textAt(*flagged, 8, 3), QStringLiteral("Memo1"));
    EXPECT_EQ(flagged->at(8, 4)->number, 0);
    EXPECT_NEAR(flagged->at(8, 5)->number, 10.0 / 3, 1e-9);
    EXPECT_EQ(textAt(*flagged, 8, 8), QString::fromUtf8("исчезна"));
    EXPECT_EQ(flagged->at(8, 11)->number, 4);
    EXPECT_EQ(textAt(*flagged, 12, 3), QStringLiteral("Memo0"));
    EXPECT_EQ(flagged->at(13, 3), nullptr);

    // The rows' totals: the total column is the one that sums the others.
    const tarel::testing::XlsxSheet *rows = workbook->sheet(QLatin1String(kRowsSheet));
    ASSERT_TRUE(rows);
    EXPECT_EQ(textAt(*rows, 3, 1), QStringLiteral("Chapter I"));
    for (int period = 0; period < 4; ++period)
        EXPECT_EQ(rows->at(3, 4 + period)->number, (std::vector<double>{4, 5, 5, 11})[std::size_t(period)]);
    EXPECT_EQ(rows->at(4, 0), nullptr);
    const QMap<QString, QByteArray> entries = *unzip([&] {
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::ReadOnly));
        return file.readAll();
    }());
    const QByteArray sheet = entries.value(QStringLiteral("xl/worksheets/sheet2.xml"));
    EXPECT_TRUE(sheet.contains("<x14:sparkline><xm:f>Redovi!E2:H2</xm:f><xm:sqref>I2</xm:sqref></x14:sparkline>"));
    EXPECT_EQ(sheet.count("<x14:sparkline>"), 3);
    EXPECT_TRUE(sheet.endsWith("</extLst></worksheet>"));

    const tarel::testing::XlsxSheet *doctors = workbook->sheet(QLatin1String(kDoctorsSheet));
    ASSERT_TRUE(doctors);
    EXPECT_EQ(textAt(*doctors, 1, 1), QString::fromUtf8("Петровски Марко"));
    EXPECT_EQ(doctors->at(1, 5)->number, 0);
    EXPECT_EQ(textAt(*doctors, 1, 6), QString::fromUtf8("без посети"));

    // The chart: row 1 (gone) and the chapter (new), each its total line.
    const QByteArray chart = entries.value(QStringLiteral("xl/charts/chart1.xml"));
    EXPECT_EQ(chart.count("<c:ser>"), 2);
    EXPECT_TRUE(chart.contains("Redovi!$E$2:$H$2"));
    EXPECT_TRUE(chart.contains("Redovi!$E$4:$H$4"));
    EXPECT_TRUE(entries.contains(QStringLiteral("xl/chartsheets/sheet1.xml")));
}

TEST(TrendWorkbook, NothingFlaggedNoChart)
{
    Trend trend = smallTrend();
    trend.periods.erase(trend.periods.begin());
    trend.tables.erase(trend.tables.begin()); // two history periods: no flags
    const QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("trend.xlsx"));
    ASSERT_TRUE(writeTrendWorkbook(trend, path).ok());
    const std::optional<tarel::testing::XlsxWorkbook> workbook = readXlsx(path);
    ASSERT_TRUE(workbook);
    EXPECT_EQ(textAt(*workbook->sheet(QLatin1String(kFlaggedSheet)), 8, 1), QString::fromUtf8("Нема означени броеви."));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_FALSE(unzip(file.readAll())->contains(QStringLiteral("xl/charts/chart1.xml")));
}
