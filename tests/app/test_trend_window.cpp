// The window of each number beside its history: the flagged cells most
// severe first, the selected one charted with its mean and bands, a
// double-click on a period's point asking for that period's visits, the
// doctors beside them, and what it says when nothing can be flagged.

#include "smalltrend.h"
#include "trendtexts.h"
#include "trendwindow.h"

#include "generator.h"
#include "previewwindow.h"
#include "runcompanion.h"
#include "runform.h"
#include "visitlistwindow.h"

#include <QApplication>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

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

template <typename Window>
Window *shownWindow()
{
    for (QWidget *top : QApplication::topLevelWidgets())
        if (auto *window = qobject_cast<Window *>(top); window && window->isVisible())
            return window;
    return nullptr;
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
    // The flag, then this period and the ones before it.
    EXPECT_EQ(textAt(doctors, 0, 2), QStringLiteral("silent"));
    EXPECT_EQ(textAt(doctors, 0, 3), QStringLiteral("0"));
    EXPECT_EQ(textAt(doctors, 0, 6), QStringLiteral("5"));
    EXPECT_EQ(doctors->model()->headerData(3, Qt::Horizontal).toString(), QStringLiteral("04.2024"));
    EXPECT_EQ(doctors->model()->headerData(6, Qt::Horizontal).toString(), QStringLiteral("01.2024"));
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

// From the preview of a report the window ran: the status bar's command
// compares it with its earlier periods, and a double-click on a period's
// point lists the visits behind that number in that period, as many as the
// trend shows there.
TEST(TrendWindow, FromThePreviewToAPeriodsVisits)
{
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("demo.sqlite"));
    demodb::DemoOptions options;
    options.visits = 6000;
    options.months = 14;
    options.lastDay = QDate(2025, 6, 30);
    options.anomalies = true;
    ASSERT_TRUE(demodb::writeDemoDatabase(path, options).ok());
    auto database = data::Database::open(data::sqliteFile(path));
    ASSERT_TRUE(database.ok());
    engine::Request request;
    request.report = engine::findReport("general-medicine");
    request.from = QDate(2025, 6, 1);
    request.to = QDate(2025, 6, 30);
    const Result<report::TfrxReport> filled = tarel::testing::runForm(**database, request);
    ASSERT_TRUE(filled.ok());

    report::PreparedReport prepared;
    app::RunCompanion companion(database->get());
    report::PreviewWindow preview(*filled, prepared);
    preview.setCompanion(&companion);
    preview.startPreparation();
    preview.show();
    QTRY_VERIFY(!preview.model().preparing() && preview.model().pageCount() > 0);
    ASSERT_TRUE(preview.compareButton()->isVisible());
    EXPECT_EQ(preview.compareButton()->text(), QStringLiteral("Compare with earlier periods..."));
    preview.compareButton()->click();

    // It runs beside the window; its window opens when it ends.
    QTRY_VERIFY_WITH_TIMEOUT(shownWindow<app::TrendWindow>() != nullptr, 30000);
    app::TrendWindow *window = shownWindow<app::TrendWindow>();
    ASSERT_EQ(window->trend().periods.size(), 13u);
    ASSERT_GT(window->flaggedTable()->model()->rowCount(), 0);
    ASSERT_EQ(window->shownRow(), 0);
    const trend::CellSeries &first = window->flaggedModel().series(0);
    const int period = 10;
    window->requestVisitsAt(period);
    QTRY_VERIFY_WITH_TIMEOUT(shownWindow<app::VisitListWindow>() != nullptr, 30000);
    app::VisitListWindow *list = shownWindow<app::VisitListWindow>();
    EXPECT_EQ(list->model().rowCount(), first.values[std::size_t(period)]);
    EXPECT_TRUE(list->note().isEmpty());
    EXPECT_TRUE(list->windowTitle().endsWith(QStringLiteral("(") + trend::periodLabel(window->trend().periods[period])
                                             + u')'))
        << list->windowTitle().toStdString();
    list->close();
    window->close();
}
