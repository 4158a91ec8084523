#include "reportrun.h"

#include "database.h"
#include "ui.h"

#include <QEventLoop>
#include <QTimer>

#include <memory>
#include <optional>
#include <thread>

namespace tarel::app {

namespace {

// What the run's thread tells the calling thread.
template <typename T>
struct RunState {
    std::atomic<qint64> rowsRead{-1}; // -1: no rows yet, the database has not answered
    std::atomic<qint64> rowsEstimated{0};
    std::atomic<int> lockWaits{0};    // waits for a lock told so far
    std::optional<Result<T>> result;
    std::atomic<bool> done{false};    // result is set
};

// The work of one run on a connection of the settings, in the calling
// (the run's) thread: work(database, control) with the control that reports
// to the state and stops on cancel.
template <typename T, typename Work>
void runThere(const data::AliasSettings &settings, RunState<T> &state, std::atomic<bool> &cancel,
              const std::function<void()> &whileReading, const Work &work)
{
    data::ReadControl control;
    control.cancel = &cancel;
    control.progress = [&](qint64 read, qint64 estimated) {
        state.rowsEstimated.store(estimated);
        state.rowsRead.store(read);
        if (whileReading)
            whileReading();
    };
    control.waiting = [&] { state.lockWaits.fetch_add(1); };
    // Opening may wait for another program's lock too; Cancel ends that wait as well.
    Result<std::unique_ptr<data::Database>> database = data::Database::open(settings, control);
    if (!database) {
        state.result = database.error();
        return;
    }
    state.result = work(**database, control);
    if (!*state.result && cancel.load())
        state.result = data::cancelledError();
}

// Runs the work in another thread while this one handles events and shows
// the progress; returns its result once the thread has ended.
template <typename T, typename Work>
Result<T> inBackground(const data::AliasSettings &settings, RunProgress *progress, std::atomic<bool> &cancel,
                       const std::function<void()> &whileReading, const Work &work)
{
    RunState<T> state;
    QEventLoop loop;
    QTimer poll;
    poll.setInterval(100);
    qint64 shownRows = -1;
    int shownWaits = 0;
    QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
        if (!progress)
            return;
        const qint64 rows = state.rowsRead.load();
        const int waits = state.lockWaits.load();
        if (rows != shownRows) {
            shownRows = rows;
            if (rows >= 0)
                progress->setRows(rows, state.rowsEstimated.load());
        } else if (waits != shownWaits) {
            progress->setLocked();
        }
        shownWaits = waits;
    });
    poll.start();

    // The loop ends when the run's thread says so; the thread is joined on
    // every way out, also when the application quits while it runs.
    std::thread worker([&] {
        runThere(settings, state, cancel, whileReading, work);
        state.done.store(true);
        QMetaObject::invokeMethod(&loop, &QEventLoop::quit, Qt::QueuedConnection);
    });
    loop.exec();
    if (!state.done.load())
        cancel.store(true); // the loop was ended from outside: the application quits
    worker.join();
    return std::move(*state.result);
}

} // namespace

Result<report::TfrxReport> runInBackground(const data::AliasSettings &settings, const engine::Request &request,
                                           RunProgress *progress, std::atomic<bool> &cancel,
                                           const std::function<void()> &whileReading)
{
    return inBackground<report::TfrxReport>(
        settings, progress, cancel, whileReading,
        [&](data::Database &database, const data::ReadControl &control) -> Result<report::TfrxReport> {
            engine::RunOptions options;
            options.control = control;
            const Result<result::RunResult> counted = engine::run(database, request, options);
            if (!counted)
                return counted.error();
            return engine::filledForm(*counted);
        });
}

Result<engine::CellListing> listInBackground(const data::AliasSettings &settings, const engine::Request &request,
                                             const QString &cell, RunProgress *progress, std::atomic<bool> &cancel)
{
    return inBackground<engine::CellListing>(
        settings, progress, cancel, {},
        [&](data::Database &database, const data::ReadControl &control) -> Result<engine::CellListing> {
            return engine::listCellVisits(database, request, cell, control);
        });
}

} // namespace tarel::app
