#pragma once

// The start-up sequence: the splash window with its progress bar advanced in
// seven fixed steps separated by busy pauses, and the main window created
// between the fourth and the fifth step.

#include "IzvestajzaTarel.h"
#include "result.h"

#include <QString>
#include <QStringList>

#include <chrono>
#include <functional>
#include <memory>
#include <optional>

namespace tarel::app {

class TfrmLoading;

// What the start-up reports to an observer as it goes.
struct StartupEvent {
    enum Kind { SplashShown, Progress, MainWindowCreated, SplashHidden };
    Kind kind;
    int position = 0;              // of the progress bar, after a Progress step
    TfrmLoading *splash = nullptr; // null once destroyed
    TfrmTarel *window = nullptr;   // from MainWindowCreated on
};

struct StartupOptions {
    MainWindowOptions window;
    // Length of a busy pause of 1,000,000,000 counts; the six pauses add up
    // to 8,000,000,000 counts, so the splash stays up for about 0.8 s.
    std::chrono::nanoseconds pausePerBillionCounts = std::chrono::milliseconds(100);
    std::function<void(const StartupEvent &)> observer;
};

// What the start-up needs to know of its surroundings before a window can
// open: the window-system platform asked for (the "-platform" argument, else
// QT_QPA_PLATFORM) and the displays named by DISPLAY and WAYLAND_DISPLAY.
struct DisplayEnvironment {
    QString platform;
    QString display;
    QString waylandDisplay;
    static DisplayEnvironment current(const QStringList &arguments);
};

// The message for a start without a display (in the language of the
// installed translation), or nothing when a window can open. The X11 and Wayland platforms (the default) need a display; the
// platforms that draw without one (offscreen, minimal, a frame buffer ...)
// do not. Without this check the window system's library ends the program
// with an abort of its own.
std::optional<QString> noDisplayMessage(const DisplayEnvironment &environment);

// Runs the start-up up to the removal of the splash window and returns the
// main window, not yet shown. When the main window cannot be created, the
// splash window is hidden, the error box is shown in its place (its parent
// is the hidden splash), and the error is returned.
Result<std::unique_ptr<TfrmTarel>> startUp(StartupOptions options);

} // namespace tarel::app
