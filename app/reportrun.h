#pragma once

// Runs off the user-interface thread, the way Qt runs work in the
// background: the work runs on a thread of Qt's pool (QtConcurrent) on a
// database connection of its own (a connection of the SQL layer may be used
// only by the thread that made it); what it reports on its way reaches the
// window as queued signals, and its end through a QFutureWatcher. The
// window's own event loop goes on all the while: no loop of its own, no
// polling. The run's cancel flag is the run's own, shared with its thread,
// so it outlives whichever ends first.

#include "aliases.h"
#include "cellvisits.h"
#include "database.h"
#include "engine.h"
#include "result.h"
#include "runresult.h"
#include "trend.h"

#include <QFutureWatcher>
#include <QObject>

#include <atomic>
#include <functional>
#include <memory>
#include <optional>

namespace tarel::app {

class RunProgress;

class BackgroundRun : public QObject {
    Q_OBJECT
public:
    // A run still going is cancelled, and its thread awaited (a cancelled
    // read ends within a few rows, a wait for a lock at once).
    ~BackgroundRun() override;

    // Starts the run on a thread of the pool; once only.
    void start();
    // Asks the run to stop: it ends soon after with an error of kind Cancelled.
    void cancel();

    // Shows the run's progress in progress until it ends (from before it
    // starts, so that no report is missed); progress must live as long as
    // the run.
    void follow(RunProgress *progress);

Q_SIGNALS:
    // What the run reads now, and how much of it so far.
    void progressed(const data::ReadProgress &read);
    // The run waits while another program writes to the database.
    void waitingForLock();
    // The run has ended (also when cancelled); its result is there to take.
    void finished();

protected:
    // The run of task(control) on the pool's thread; control stops on
    // cancel() and reports through this object's signals. whileReading
    // (tests) is called in the run's thread at every progress report.
    BackgroundRun(std::function<void(const data::ReadControl &control)> task, std::function<void()> whileReading,
                  QObject *parent);

private:
    const std::shared_ptr<std::atomic<bool>> m_cancel = std::make_shared<std::atomic<bool>>(false);
    std::function<void(const data::ReadControl &control)> m_task;
    std::function<void()> m_whileReading;
    QFutureWatcher<void> m_watcher;
};

// A run whose work gives a result of type T: the work is given a connection
// of the settings, opened in the run's thread.
template <typename T>
class RunOf final : public BackgroundRun {
public:
    using Work = std::function<Result<T>(data::Database &database, const data::ReadControl &control)>;

    RunOf(const data::AliasSettings &settings, Work work, std::function<void()> whileReading, QObject *parent)
        : RunOf(settings, std::move(work), std::move(whileReading), parent,
                std::make_shared<std::optional<Result<T>>>())
    {
    }

    // The run's result, once finished() has been emitted; taken once.
    Result<T> takeResult() { return std::move(**m_result); }

private:
    using Kept = std::shared_ptr<std::optional<Result<T>>>; // shared with the run's thread

    RunOf(const data::AliasSettings &settings, Work work, std::function<void()> whileReading, QObject *parent,
          Kept result)
        : BackgroundRun(
              [settings, work = std::move(work), result](const data::ReadControl &control) {
                  // Opening may wait for another program's lock too; Cancel ends that wait as well.
                  Result<std::unique_ptr<data::Database>> database = data::Database::open(settings, control);
                  result->emplace(database ? work(**database, control) : Result<T>(database.error()));
                  if (!**result && control.cancelled())
                      *result = Result<T>(data::cancelledError());
              },
              std::move(whileReading), parent),
          m_result(std::move(result))
    {
    }

    const Kept m_result;
};

// The busy cursor for as long as it lives: made a child of a run, it goes
// with the run.
class BusyCursor final : public QObject {
public:
    explicit BusyCursor(QObject *run);
    ~BusyCursor() override;
};

// A report's run, not yet started: the result of the request on the
// database of the settings.
RunOf<result::RunResult> *reportRun(const data::AliasSettings &settings, const engine::Request &request,
                                    std::function<void()> whileReading, QObject *parent);

// The visits behind a cell of a report, listed the same way: one run of the
// request, not yet started.
RunOf<engine::CellListing> *listingRun(const data::AliasSettings &settings, const engine::Request &request,
                                       const QString &cell, QObject *parent);

// A report beside its history (engine/trendrun.h), run the same way, not
// yet started.
RunOf<trend::Trend> *trendRun(const data::AliasSettings &settings, const engine::Request &request, int history,
                              QObject *parent);

} // namespace tarel::app
