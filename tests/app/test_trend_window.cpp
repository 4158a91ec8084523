// The window of each number beside its history: the flagged cells most
// severe first, the selected one charted with its mean and bands, a
// double-click on a period's point asking for that period's visits, the
// doctors beside them, and what it says when nothing can be flagged.

#include "smalltrend.h"
#include "trendwindow.h"

#include <QAreaSeries>
#include <QChart>
#include <QChartView>
#include <QLabel>
#include <QLineSeries>
#include <QScatterSeries>
#include <QSignalSpy>
#include <QTableView>

#include <gtest/gtest.h>

using namespace tarel;
using namespace tarel::trend::testing;

namespace {

QString textAt(const QTableView *table, int row, int column)
{
    return table->model()->index(row, column).data().toString();
}

} // namespace

TEST(TrendWindow, FlaggedCellsChartedAndTheirPeriodsOpened)
{
    app::TrendWindow window(smallTrend());
    const QTableView *flagged = window.flaggedTable();
    ASSERT_EQ(flagged->model()->rowCount(), 5);
    EXPECT_EQ(textAt(flagged, 0, 0), QStringLiteral("1"));
    EXPECT_EQ(textAt(flagged, 0, 1), QString::fromUtf8("Тифус"));
    EXPECT_EQ(textAt(flagged, 0, 2), QStringLiteral("0-9, m"));
    EXPECT_EQ(textAt(flagged, 0, 3), QStringLiteral("0"));
    EXPECT_EQ(textAt(flagged, 0, 6), QStringLiteral("gone"));
    EXPECT_EQ(textAt(flagged, 1, 5), QStringLiteral("-")); // new: a mean of 0 has no ratio
    EXPECT_EQ(textAt(flagged, 4, 6), QStringLiteral("extreme"));

    // The most severe is shown first: its four periods, the mean and both bands.
    EXPECT_EQ(window.shownRow(), 0);
    QChart *chart = window.chartView()->chart();
    int areas = 0;
    for (QAbstractSeries *series : chart->series()) {
        if (series->type() == QAbstractSeries::SeriesTypeArea)
            ++areas;
        if (series->name() == QStringLiteral("Count")) {
            EXPECT_EQ(static_cast<QLineSeries *>(series)->points(),
                      (QList<QPointF>{{0, 3}, {1, 3}, {2, 4}, {3, 0}}));
        }
    }
    EXPECT_EQ(areas, 2);

    QSignalSpy asked(&window, &app::TrendWindow::visitsRequested);
    window.requestVisitsAt(2.2);
    ASSERT_EQ(asked.size(), 1);
    EXPECT_EQ(asked[0][0].toInt(), 1); // Memo1, the cell of the table's first row
    EXPECT_EQ(asked[0][1].toInt(), 2);
    window.requestVisitsAt(3.6);
    window.requestVisitsAt(-0.7);
    EXPECT_EQ(asked.size(), 1);

    // Another row selected: its series is drawn, its cell asked for.
    window.flaggedTable()->selectRow(3);
    EXPECT_EQ(window.shownRow(), 3);
    EXPECT_TRUE(window.chartView()->chart()->title().startsWith(QStringLiteral("Chapter I")));
    window.requestVisitsAt(3);
    ASSERT_EQ(asked.size(), 2);
    EXPECT_EQ(asked[1][0].toInt(), 6); // Memo20
    EXPECT_EQ(asked[1][1].toInt(), 3);

    const QTableView *doctors = window.doctorsTable();
    ASSERT_EQ(doctors->model()->rowCount(), 2);
    EXPECT_EQ(textAt(doctors, 0, 1), QString::fromUtf8("Петровски Марко"));
    EXPECT_EQ(textAt(doctors, 0, 5), QStringLiteral("0"));
    EXPECT_EQ(textAt(doctors, 0, 6), QStringLiteral("silent"));
    EXPECT_EQ(doctors->model()->headerData(2, Qt::Horizontal).toString(), QStringLiteral("01.2024"));
}

TEST(TrendWindow, WithTooLittleHistoryNothingIsFlaggedAndNothingAsked)
{
    trend::Trend trend = smallTrend();
    trend.periods.erase(trend.periods.begin());
    trend.tables.erase(trend.tables.begin());
    app::TrendWindow window(std::move(trend));
    EXPECT_EQ(window.flaggedTable()->model()->rowCount(), 0);
    EXPECT_EQ(window.shownRow(), -1);
    QSignalSpy asked(&window, &app::TrendWindow::visitsRequested);
    window.requestVisitsAt(1);
    EXPECT_TRUE(asked.isEmpty());
    EXPECT_TRUE(window.findChild<QLabel *>()->text().contains(QStringLiteral("fewer than 3 earlier periods")));
}
