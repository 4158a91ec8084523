#include "trendwindow.h"

#include "macc.h"
#include "recordedrequest.h"
#include "reportrun.h"
#include "trendrun.h"
#include "trendtexts.h"
#include "ui.h"
#include "visitlistwindow.h"

#include <QAreaSeries>
#include <QBarCategoryAxis>
#include <QChart>
#include <QChartView>
#include <QDialogButtonBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineSeries>
#include <QMessageBox>
#include <QScatterSeries>
#include <QSplitter>
#include <QTableView>
#include <QValueAxis>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>

namespace tarel::app {

namespace {

enum FlaggedColumn { RowNumber, Label, Column, Value, Mean, Ratio, FlagColumn, FlaggedColumns };

QString flagText(trend::Flag flag)
{
    switch (flag) {
    case trend::Flag::None:
        break;
    case trend::Flag::Gone:
        return TrendWindow::tr("gone");
    case trend::Flag::New:
        return TrendWindow::tr("new");
    case trend::Flag::Extreme:
        return TrendWindow::tr("extreme");
    case trend::Flag::Moderate:
        return TrendWindow::tr("moderate");
    case trend::Flag::Silent:
        return TrendWindow::tr("silent");
    }
    return {};
}

QString decimal(double value) { return QLocale().toString(value, 'f', 2); }

// A period under the chart, short enough for a dozen side by side: a month
// as "03.24".
QString chartLabel(const trend::Period &period)
{
    return trend::wholeMonths(period) == 1 ? period.from.toString(QStringLiteral("MM.yy")) : trend::periodLabel(period);
}

const QColor kSeriesColour(31, 78, 121);
const QColor kRequestedColour(192, 0, 0);
const QColor kTwoSdColour(222, 235, 247);
const QColor kThreeSdColour(253, 236, 206);

void showFailure(QWidget *parent, const QString &message)
{
    QMessageBox::critical(parent, TrendWindow::tr("Compare with earlier periods"),
                          TrendWindow::tr("The report cannot be compared with earlier periods: %1")
                              .arg(withFullStop(message)));
}

} // namespace

FlaggedCellsModel::FlaggedCellsModel(const trend::Trend &trend, std::vector<trend::CellSeries> flagged,
                                     QObject *parent)
    : QAbstractTableModel(parent), m_trend(trend), m_flagged(std::move(flagged))
{
}

int FlaggedCellsModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_flagged.size());
}

int FlaggedCellsModel::columnCount(const QModelIndex &parent) const { return parent.isValid() ? 0 : FlaggedColumns; }

QVariant FlaggedCellsModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid())
        return {};
    const trend::CellSeries &one = m_flagged[std::size_t(index.row())];
    const trend::CountCell &cell = m_trend.cells[std::size_t(one.cell)];
    const result::RowIdentity &row = m_trend.shape().rows()[std::size_t(cell.row)];
    if (role == Qt::TextAlignmentRole && index.column() >= Value && index.column() <= Ratio)
        return int(Qt::AlignRight | Qt::AlignVCenter);
    if (role == Qt::ToolTipRole && index.column() == Label)
        return row.codes.isEmpty() ? row.label : row.label + QStringLiteral(" (") + row.codes + u')';
    if (role != Qt::DisplayRole)
        return {};
    switch (index.column()) {
    case RowNumber:
        return row.number;
    case Label:
        return row.label;
    case Column:
        return trend::columnWords(m_trend.shape().columns()[std::size_t(cell.column)]);
    case Value:
        return QLocale().toString(one.value());
    case Mean:
        return one.statistics.mean ? decimal(*one.statistics.mean) : QString();
    case Ratio:
        return one.ratio() ? decimal(*one.ratio()) : QStringLiteral("-");
    case FlagColumn:
        return flagText(one.statistics.flag);
    default:
        return {};
    }
}

QVariant FlaggedCellsModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return QAbstractTableModel::headerData(section, orientation, role);
    switch (section) {
    case RowNumber:
        return TrendWindow::tr("Row");
    case Label:
        return TrendWindow::tr("Label");
    case Column:
        return TrendWindow::tr("Column");
    case Value:
        return TrendWindow::tr("This period");
    case Mean:
        return TrendWindow::tr("Mean");
    case Ratio:
        return TrendWindow::tr("Ratio to the mean");
    case FlagColumn:
        return TrendWindow::tr("Flag");
    default:
        return {};
    }
}

DoctorsModel::DoctorsModel(const trend::Trend &trend, QObject *parent) : QAbstractTableModel(parent), m_trend(trend)
{
}

int DoctorsModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_trend.doctors.size());
}

// Code, name and flag, then the periods from this one back: what a reader
// looks for first stays in view however many periods there are.
constexpr int kFirstDoctorPeriod = 3;

int DoctorsModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : kFirstDoctorPeriod + int(m_trend.periods.size());
}

QVariant DoctorsModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid())
        return {};
    const trend::DoctorVisits &doctor = m_trend.doctors[std::size_t(index.row())];
    const int back = index.column() - kFirstDoctorPeriod; // periods before this one
    if (role == Qt::TextAlignmentRole && back >= 0)
        return int(Qt::AlignRight | Qt::AlignVCenter);
    if (role == Qt::ForegroundRole && doctor.flag() == trend::Flag::Silent)
        return QColor(kRequestedColour);
    if (role != Qt::DisplayRole)
        return {};
    if (index.column() == 0)
        return doctor.code;
    if (index.column() == 1)
        return report::maccToUnicode(doctor.name);
    if (index.column() == 2)
        return flagText(doctor.flag());
    return QLocale().toString(doctor.values[doctor.values.size() - 1 - std::size_t(back)]);
}

QVariant DoctorsModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return QAbstractTableModel::headerData(section, orientation, role);
    if (section == 0)
        return TrendWindow::tr("Code");
    if (section == 1)
        return TrendWindow::tr("Doctor");
    if (section == 2)
        return TrendWindow::tr("Flag");
    return trend::periodLabel(m_trend.periods[m_trend.periods.size() - 1 - std::size_t(section - kFirstDoctorPeriod)]);
}

TrendWindow::TrendWindow(trend::Trend trend, QWidget *parent) : QDialog(parent), m_trend(std::move(trend))
{
    setWindowTitle(tr("Compare with earlier periods: %1").arg(m_trend.title));
    setSizeGripEnabled(true);
    resize(1200, 720);

    const std::vector<trend::CellSeries> flagged = trend::flaggedCells(trend::cellSeries(m_trend));
    m_summary = new QLabel(this);
    m_summary->setWordWrap(true);
    QString summary = tr("Period %1, %2, %3; earlier periods: %4.")
                          .arg(trend::periodLabel(m_trend.periods.back()), trend::doctorWords(m_trend),
                               trend::areaWords(m_trend.area))
                          .arg(m_trend.historyCount());
    if (m_trend.historyCount() < trend::kMinimumHistory)
        summary += u' ' + tr("Nothing is flagged with fewer than %1 earlier periods.").arg(trend::kMinimumHistory);
    else if (flagged.empty())
        summary += u' ' + tr("No number is flagged.");
    else
        summary += u' ' + tr("Flagged numbers: %1.").arg(flagged.size());
    m_summary->setText(summary);

    m_flaggedModel = new FlaggedCellsModel(m_trend, flagged, this);
    m_flagged = new QTableView(this);
    m_flagged->setModel(m_flaggedModel);
    m_flagged->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_flagged->setSelectionMode(QAbstractItemView::SingleSelection);
    m_flagged->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_flagged->verticalHeader()->hide();
    m_flagged->horizontalHeader()->setSectionResizeMode(Label, QHeaderView::Stretch);
    m_flagged->resizeColumnsToContents();
    connect(m_flagged->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex &current) { showFlagged(current.row()); });

    m_chartView = new QChartView(new QChart, this);
    m_chartView->setRenderHint(QPainter::Antialiasing);
    m_chartView->setMinimumHeight(260);

    m_doctors = new QTableView(this);
    m_doctors->setModel(new DoctorsModel(m_trend, this));
    m_doctors->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_doctors->verticalHeader()->hide();
    m_doctors->resizeColumnsToContents();
    auto *doctorsLabel = new QLabel(m_trend.doctors.empty()
                                        ? tr("The doctors are compared in the morbidity reports over all doctors.")
                                        : tr("Selected visits per doctor and period:"),
                                    this);
    doctorsLabel->setWordWrap(true);

    auto *left = new QSplitter(Qt::Vertical, this);
    left->addWidget(m_flagged);
    left->addWidget(m_chartView);
    auto *right = new QWidget(this);
    auto *rightLayout = new QVBoxLayout(right);
    rightLayout->setContentsMargins(0, 0, 0, 0);
    rightLayout->addWidget(doctorsLabel);
    rightLayout->addWidget(m_doctors);
    auto *split = new QSplitter(Qt::Horizontal, this);
    split->addWidget(left);
    split->addWidget(right);
    split->setStretchFactor(0, 3);
    split->setStretchFactor(1, 2);

    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_summary);
    layout->addWidget(split, 1);
    layout->addWidget(buttons);

    if (!flagged.empty())
        m_flagged->selectRow(0);
    else
        showFlagged(-1);
}

void TrendWindow::showFlagged(int row)
{
    m_shownRow = row;
    auto *chart = new QChart;
    chart->legend()->setAlignment(Qt::AlignBottom);
    QStringList labels;
    for (const trend::Period &period : m_trend.periods)
        labels << chartLabel(period);
    if (row < 0 || row >= m_flaggedModel->rowCount()) {
        chart->setTitle(tr("Select a flagged number to see its periods."));
        m_chartView->setChart(chart);
        return;
    }
    const trend::CellSeries &one = m_flaggedModel->series(row);
    const trend::CountCell &cell = m_trend.cells[std::size_t(one.cell)];
    const result::TableShape &shape = m_trend.shape();
    chart->setTitle(trend::rowWords(shape.rows()[std::size_t(cell.row)]) + QStringLiteral(", ")
                    + trend::columnWords(shape.columns()[std::size_t(cell.column)]));

    // The categories stand half a step apart from the plot's edges; the bands
    // and the mean reach across.
    const double last = double(one.values.size() - 1);
    const double left = -0.5, right = last + 0.5;
    double high = double(*std::max_element(one.values.begin(), one.values.end()));
    const auto band = [&](double distance, const QColor &colour, const QString &name) {
        auto *upper = new QLineSeries;
        auto *lower = new QLineSeries;
        const double from = std::max(0.0, *one.statistics.mean - distance);
        const double to = *one.statistics.mean + distance;
        upper->append({QPointF(left, to), QPointF(right, to)});
        lower->append({QPointF(left, from), QPointF(right, from)});
        auto *area = new QAreaSeries(upper, lower);
        area->setName(name);
        area->setColor(colour);
        area->setBorderColor(colour);
        chart->addSeries(area);
        high = std::max(high, to);
    };
    if (one.statistics.mean && one.statistics.sd) {
        band(3 * *one.statistics.sd, kThreeSdColour, tr("Mean ± 3 sd"));
        band(2 * *one.statistics.sd, kTwoSdColour, tr("Mean ± 2 sd"));
        auto *mean = new QLineSeries;
        mean->setName(tr("Mean"));
        mean->append({QPointF(left, *one.statistics.mean), QPointF(right, *one.statistics.mean)});
        QPen pen(QColor(90, 90, 90));
        pen.setStyle(Qt::DashLine);
        mean->setPen(pen);
        chart->addSeries(mean);
    }
    auto *values = new QLineSeries;
    values->setName(tr("Count"));
    values->setPointsVisible(true);
    values->setColor(kSeriesColour);
    for (std::size_t i = 0; i < one.values.size(); ++i)
        values->append(double(i), double(one.values[i]));
    chart->addSeries(values);
    auto *requested = new QScatterSeries;
    requested->setName(tr("This period"));
    requested->setColor(kRequestedColour);
    requested->setMarkerSize(11);
    requested->append(last, double(one.value()));
    chart->addSeries(requested);
    for (QXYSeries *clickable : {static_cast<QXYSeries *>(values), static_cast<QXYSeries *>(requested)})
        connect(clickable, &QXYSeries::doubleClicked, this, [this](const QPointF &point) { requestVisitsAt(point.x()); });

    auto *axisX = new QBarCategoryAxis;
    axisX->append(labels);
    if (labels.size() > 13 || trend::wholeMonths(m_trend.periods.back()) != 1)
        axisX->setLabelsAngle(-60);
    // Whole counts on the axis: a step of 1, 2 or 5 times a power of ten,
    // about five of them.
    const double rough = std::max(1.0, high / 5);
    const double power = std::pow(10.0, std::floor(std::log10(rough)));
    const double step = rough <= power ? power : rough <= 2 * power ? 2 * power : rough <= 5 * power ? 5 * power
                                                                                                     : 10 * power;
    auto *axisY = new QValueAxis;
    axisY->setRange(0, std::max(step, std::ceil(high * 1.05 / step) * step));
    axisY->setTickType(QValueAxis::TicksDynamic);
    axisY->setTickAnchor(0);
    axisY->setTickInterval(step);
    axisY->setLabelFormat(QStringLiteral("%d"));
    chart->addAxis(axisX, Qt::AlignBottom);
    chart->addAxis(axisY, Qt::AlignLeft);
    for (QAbstractSeries *series : chart->series()) {
        series->attachAxis(axisX);
        series->attachAxis(axisY);
    }
    QChart *old = m_chartView->chart();
    m_chartView->setChart(chart);
    delete old;
}

void TrendWindow::requestVisitsAt(double x)
{
    if (m_shownRow < 0)
        return;
    const int period = int(std::lround(x));
    if (period < 0 || period >= int(m_trend.periods.size()))
        return;
    Q_EMIT visitsRequested(m_flaggedModel->series(m_shownRow).cell, period);
}

namespace {

// The window of a trend; a period's point lists that period's visits.
TrendWindow *showTrendWindow(QWidget *parent, data::Database *own, const engine::RecordedRequest &asked,
                             trend::Trend counted)
{
    auto *window = new TrendWindow(std::move(counted), parent);
    window->setAttribute(Qt::WA_DeleteOnClose);
    QObject::connect(window, &TrendWindow::visitsRequested, window, [window, own, asked](int cell, int period) {
        const trend::Trend &trend = window->trend();
        const trend::Period &days = trend.periods[std::size_t(period)];
        engine::RecordedRequest inPeriod = asked;
        inPeriod.request = engine::periodRequest(asked.request, days);
        const trend::CountCell &named = trend.cells[std::size_t(cell)];
        openVisitList(window, own, inPeriod, named.name, trend.tables[std::size_t(period)].value(named.row, named.column),
                      trend::periodLabel(days));
    });
    window->show();
    return window;
}

} // namespace

void openTrend(QWidget *parent, data::Database *own, const report::PreparedReport &report,
               const std::function<void(TrendWindow *)> &shown)
{
    if (!report.result)
        return showFailure(parent, TrendWindow::tr("the report does not say what it was asked"));
    const Result<engine::RecordedRequest> recorded = engine::recordedRequestOf(*report.result);
    if (!recorded)
        return showFailure(parent, recorded.message());
    std::unique_ptr<data::Database> opened;
    const Result<data::Database *> database = databaseOf(own, *recorded, opened);
    if (!database)
        return showFailure(parent, database.message());

    // The comparison runs as the reports run, with the busy cursor and, when
    // it lasts, the progress window with Cancel; its window opens when it ends.
    auto *run = trendRun((*database)->settings(), recorded->request, trend::kDefaultHistory, parent);
    auto *busy = new BusyCursor(run);
    auto progress = std::shared_ptr<RunProgress>(WindowUi().showProgress(parent, [run] { run->cancel(); }));
    run->follow(progress.get());
    QObject::connect(run, &BackgroundRun::finished, run,
                     [run, busy, progress, parent, own, asked = *recorded, shown]() mutable {
                         Result<trend::Trend> counted = run->takeResult();
                         delete busy;
                         progress.reset();
                         run->deleteLater();
                         if (!counted) {
                             if (counted.error().kind != ErrorKind::Cancelled)
                                 showFailure(parent, counted.message());
                             return;
                         }
                         TrendWindow *window = showTrendWindow(parent, own, asked, std::move(*counted));
                         if (shown)
                             shown(window);
                     });
    run->start();
}

} // namespace tarel::app
