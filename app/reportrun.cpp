#include "reportrun.h"

#include "trendrun.h"
#include "ui.h"

#include <QApplication>
#include <QtConcurrent/QtConcurrentRun>

namespace tarel::app {

BackgroundRun::BackgroundRun(std::function<void(const data::ReadControl &control)> task,
                             std::function<void()> whileReading, QObject *parent)
    : QObject(parent), m_task(std::move(task)), m_whileReading(std::move(whileReading))
{
    connect(&m_watcher, &QFutureWatcher<void>::finished, this, &BackgroundRun::finished);
}

BackgroundRun::~BackgroundRun()
{
    // The run's thread reports through this object: it has ended before the
    // object goes.
    cancel();
    m_watcher.waitForFinished();
}

void BackgroundRun::cancel() { m_cancel->store(true); }

void BackgroundRun::follow(RunProgress *progress)
{
    // The rows take the place of a wait for a lock once they come again.
    connect(this, &BackgroundRun::progressed, this,
            [progress](const data::ReadProgress &read) { progress->setProgress(read); });
    connect(this, &BackgroundRun::waitingForLock, this, [progress] { progress->setLocked(); });
}

void BackgroundRun::start()
{
    Q_ASSERT(m_task);
    // Called in the run's thread: the signals cross to this object's thread
    // queued, as its receivers live there.
    data::ReadControl control;
    control.cancel = m_cancel.get();
    control.progress = [this, whileReading = std::move(m_whileReading)](const data::ReadProgress &read) {
        Q_EMIT progressed(read);
        if (whileReading)
            whileReading();
    };
    control.waiting = [this] { Q_EMIT waitingForLock(); };
    m_watcher.setFuture(QtConcurrent::run(
        [task = std::move(m_task), control = std::move(control), cancel = m_cancel] { task(control); }));
}

BusyCursor::BusyCursor(QObject *run) : QObject(run) { QApplication::setOverrideCursor(Qt::WaitCursor); }
BusyCursor::~BusyCursor() { QApplication::restoreOverrideCursor(); }

RunOf<result::RunResult> *reportRun(const data::AliasSettings &settings, const engine::Request &request,
                                    std::function<void()> whileReading, QObject *parent)
{
    return new RunOf<result::RunResult>(
        settings,
        [request](data::Database &database, const data::ReadControl &control) {
            engine::RunOptions options;
            options.control = control;
            return engine::run(database, request, options);
        },
        std::move(whileReading), parent);
}

RunOf<engine::CellListing> *listingRun(const data::AliasSettings &settings, const engine::Request &request,
                                       const QString &cell, QObject *parent)
{
    return new RunOf<engine::CellListing>(
        settings,
        [request, cell](data::Database &database, const data::ReadControl &control) {
            return engine::listCellVisits(database, request, cell, control);
        },
        {}, parent);
}

RunOf<trend::Trend> *trendRun(const data::AliasSettings &settings, const engine::Request &request, int history,
                              QObject *parent)
{
    return new RunOf<trend::Trend>(
        settings,
        [request, history](data::Database &database, const data::ReadControl &control) {
            engine::RunOptions options;
            options.control = control;
            return engine::runTrend(database, request, history, options);
        },
        {}, parent);
}

} // namespace tarel::app
