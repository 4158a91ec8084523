#include "startup.h"

#include "Loading.h"
#include "ui.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>
#include <QWindow>

namespace tarel::app {

namespace {

// This file's messages, translated in the shared context "Text" (see
// translations/translation.h).
class Text {
    Q_DECLARE_TR_FUNCTIONS(Text)
};

// How long the start-up waits for the window system to show the splash: a
// window manager maps a window a moment after it is asked to.
constexpr int kSplashExposeWaitMs = 2000;

// Handles what the window system has sent, apart from the user's input: the
// splash gets drawn (and redrawn when uncovered) between the steps.
void drawPending() { QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents); }

// A busy pause. It handles the window system's events as it goes, so the
// splash is drawn whatever the window manager does, but not the user's input.
void busyPause(qint64 counts, std::chrono::nanoseconds perBillionCounts)
{
    const qint64 nanoseconds = qint64(double(counts) / 1e9 * double(perBillionCounts.count()));
    QElapsedTimer timer;
    timer.start();
    while (timer.nsecsElapsed() < nanoseconds)
        drawPending();
}

// Waits until the window system shows the splash, so that its first picture
// is not lost to a window that is not on screen yet.
void waitUntilShown(QWidget &splash)
{
    QElapsedTimer waited;
    waited.start();
    while (waited.elapsed() < kSplashExposeWaitMs
           && !(splash.windowHandle() && splash.windowHandle()->isExposed())) {
        drawPending();
        QThread::msleep(5);
    }
    splash.repaint();
    drawPending();
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

DisplayEnvironment DisplayEnvironment::current(const QStringList &arguments)
{
    DisplayEnvironment environment;
    environment.platform = qEnvironmentVariable("QT_QPA_PLATFORM");
    for (qsizetype i = 0; i + 1 < arguments.size(); ++i)
        if (arguments[i] == QLatin1String("-platform") || arguments[i] == QLatin1String("--platform"))
            environment.platform = arguments[i + 1];
    environment.display = qEnvironmentVariable("DISPLAY");
    environment.waylandDisplay = qEnvironmentVariable("WAYLAND_DISPLAY");
    return environment;
}

std::optional<QString> noDisplayMessage(const DisplayEnvironment &environment)
{
    // A list of platforms ("wayland;xcb") is tried in order: one that needs
    // no display makes a start possible.
    bool needsDisplay = true;
    for (const QString &entry : environment.platform.split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
        const QString name = entry.section(QLatin1Char(':'), 0, 0).trimmed();
        if (!name.startsWith(QLatin1String("xcb")) && !name.startsWith(QLatin1String("wayland")))
            needsDisplay = false;
    }
    if (!needsDisplay || !environment.display.isEmpty() || !environment.waylandDisplay.isEmpty())
        return std::nullopt;
    return Text::tr(
        "tarel: no display. The Tarel window needs a desktop session, and neither DISPLAY nor WAYLAND_DISPLAY\n"
        "names one. The reports can be made without a window with tarel-report, for example:\n"
        "  tarel-report visits-general-medicine --from 2024-01-01 --to 2024-01-31 --output visits.pdf\n"
        "  tarel-report general-medicine --all-doctors --from 2024-01-01 --to 2024-01-31 --output morbidity.pdf\n"
        "(tarel-report --help lists the reports and their options.)\n");
}

Result<std::unique_ptr<TfrmTarel>> startUp(StartupOptions options)
{
    auto notify = [&options](StartupEvent event) {
        if (options.observer)
            options.observer(event);
    };

    // The splash makes itself visible when created; it is drawn once the
    // window system shows it, and after every step.
    auto splash = std::make_unique<TfrmLoading>();
    splash->show();
    splash->raise();
    waitUntilShown(*splash);
    notify({StartupEvent::SplashShown, splash->position(), splash.get()});

    auto advance = [&](const ProgressStep &step, TfrmTarel *window) {
        busyPause(step.pauseCounts, options.pausePerBillionCounts);
        splash->stepBy(step.advance);
        drawPending();
        notify({StartupEvent::Progress, splash->position(), splash.get(), window});
    };
    for (const ProgressStep &step : kStepsBefore)
        advance(step, nullptr);

    Result<std::unique_ptr<TfrmTarel>> window = TfrmTarel::create(options.window);
    if (!window) {
        // The splash stays on top of every other window and would hide the
        // error box: it goes first, and the box, centred on it, takes its
        // place on the screen.
        splash->hide();
        drawPending();
        notify({StartupEvent::SplashHidden, 0, splash.get()});
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
