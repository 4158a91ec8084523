#include "startup.h"

#include "Loading.h"
#include "ui.h"

#include <QCoreApplication>
#include <QElapsedTimer>

namespace tarel::app {

namespace {

// A busy wait, processing no window messages: the splash is repainted only by
// the progress bar's own advance.
void busyPause(qint64 counts, std::chrono::nanoseconds perBillionCounts)
{
    const qint64 nanoseconds = qint64(double(counts) / 1e9 * double(perBillionCounts.count()));
    QElapsedTimer timer;
    timer.start();
    while (timer.nsecsElapsed() < nanoseconds) {
    }
}

// Steps 5 to 8 before the main window exists, 10 to 12 after it: the pause
// that precedes a step and the amount the bar advances by.
struct ProgressStep {
    qint64 pauseCounts;
    int advance;
};
constexpr ProgressStep kStepsBefore[] = {{0, 1}, {2'000'000'000, 5}, {2'000'000'000, 7}, {1'000'000'000, 10}};
constexpr ProgressStep kStepsAfter[] = {{1'000'000'000, 30}, {1'000'000'000, 50}, {1'000'000'000, 80}};

} // namespace

Result<std::unique_ptr<TfrmTarel>> startUp(StartupOptions options)
{
    auto notify = [&options](StartupEvent event) {
        if (options.observer)
            options.observer(event);
    };

    // The splash makes itself visible when created; one pass of the event
    // queue draws it.
    auto splash = std::make_unique<TfrmLoading>();
    QCoreApplication::processEvents();
    splash->show();
    splash->raise();
    notify({StartupEvent::SplashShown, splash->position(), splash.get()});

    auto advance = [&](const ProgressStep &step, TfrmTarel *window) {
        busyPause(step.pauseCounts, options.pausePerBillionCounts);
        splash->stepBy(step.advance);
        notify({StartupEvent::Progress, splash->position(), splash.get(), window});
    };
    for (const ProgressStep &step : kStepsBefore)
        advance(step, nullptr);

    Result<std::unique_ptr<TfrmTarel>> window = TfrmTarel::create(options.window);
    if (!window) {
        WindowUi windowUi;
        Ui &ui = options.window.ui ? *options.window.ui : windowUi;
        ui.showError(splash.get(), withFullStop(window.message()));
        return window;
    }
    notify({StartupEvent::MainWindowCreated, splash->position(), splash.get(), window->get()});

    for (const ProgressStep &step : kStepsAfter)
        advance(step, window->get());

    splash->hide();
    splash.reset();
    notify({StartupEvent::SplashHidden, 0, nullptr, window->get()});
    return window;
}

} // namespace tarel::app
