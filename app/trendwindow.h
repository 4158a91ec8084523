#pragma once

// Each number of a report beside its history, in a window of its own: the
// flagged cells most severe first (row number and label, column, this
// period, mean, ratio to the mean, flag); the selected one's periods as a
// line chart with its mean and the bands of 2 and 3 standard deviations,
// where a double-click on a period's point asks for the visits behind that
// number in that period; and the doctors' selected visits per period beside
// them. What it shows is drawn from a trend (trend/), which the engine made.

#include "prepared.h"
#include "trend.h"

#include <QAbstractTableModel>
#include <QDialog>

#include <functional>
#include <vector>

class QLabel;
class QTableView;
class QChartView;
class QChart;

namespace tarel::data {
class Database;
}

namespace tarel::app {

// The flagged cells as a table, most severe first.
class FlaggedCellsModel : public QAbstractTableModel {
    Q_OBJECT
public:
    FlaggedCellsModel(const trend::Trend &trend, std::vector<trend::CellSeries> flagged, QObject *parent = nullptr);

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

    const trend::CellSeries &series(int row) const { return m_flagged[std::size_t(row)]; }

private:
    const trend::Trend &m_trend;
    std::vector<trend::CellSeries> m_flagged;
};

// The doctors' selected visits per period, silent ones marked.
class DoctorsModel : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit DoctorsModel(const trend::Trend &trend, QObject *parent = nullptr);

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

private:
    const trend::Trend &m_trend;
};

class TrendWindow : public QDialog {
    Q_OBJECT
public:
    explicit TrendWindow(trend::Trend trend, QWidget *parent = nullptr);

    const trend::Trend &trend() const { return m_trend; }
    QTableView *flaggedTable() const { return m_flagged; }
    QTableView *doctorsTable() const { return m_doctors; }
    QChartView *chartView() const { return m_chartView; }
    const FlaggedCellsModel &flaggedModel() const { return *m_flaggedModel; }
    // The flagged cell the chart shows (its row in the table); -1 for none.
    int shownRow() const { return m_shownRow; }

    // Draws the series of a flagged cell (its row in the table).
    void showFlagged(int row);
    // What a double-click on the chart at this x (in periods) does: the
    // visits behind the shown cell's number in the nearest period.
    void requestVisitsAt(double x);

Q_SIGNALS:
    // The visits behind a cell's number (an index into the trend's cells) in
    // one of its periods.
    void visitsRequested(int cell, int period);

private:
    trend::Trend m_trend;
    FlaggedCellsModel *m_flaggedModel = nullptr;
    QTableView *m_flagged = nullptr;
    QTableView *m_doctors = nullptr;
    QChartView *m_chartView = nullptr;
    QLabel *m_summary = nullptr;
    int m_shownRow = -1;
};

// "Compare with earlier periods..." of the preview: the report's recorded
// request beside its kDefaultHistory earlier periods, run as a report runs
// (on a connection of its own, the progress window with Cancel when it
// lasts), in a window beside the preview. A double-click on a period's point
// lists the visits behind that number in that period. own: the program's
// database, used when the report was read from it. shown, when given, is
// called with the window once it is shown (which deletes itself when
// closed); not when the comparison failed (said in a message box) or was
// cancelled.
void openTrend(QWidget *parent, data::Database *own, const report::PreparedReport &report,
               const std::function<void(TrendWindow *)> &shown = {});

} // namespace tarel::app
