#pragma once

// Screenshots for the documentation, taken by tarel-screenshots: the program
// with this session in place of its message boxes and preview (run by
// tools/screenshots). The splash window during start-up and the main window
// once shown, both taken from the screen as the window system shows them
// (with a window manager's frame), the preview of every report that can be run, with "Site
// lekari" checked, the data check, the visits behind a number (and the list
// saved as CSV, visit-list.csv) and the comparison with earlier periods (of
// the last whole month) of the general-medicine report. An error at start-up
// is shown in its real box, taken from the screen and closed; later message
// boxes are written to standard error instead of shown, so nothing waits for
// a user. Then the program closes its main window and ends.

#include "runcompanion.h"
#include "startup.h"
#include "statistics.h"
#include "ui.h"

#include <QString>

#include <memory>

namespace tarel::app {

class ScreenshotSession : public Ui {
public:
    // Pictures go into the folder, made when missing.
    explicit ScreenshotSession(QString folder);

    // Hooks the session into the start-up: grabs the splash window.
    void install(StartupOptions &options);
    // Called once the main window is shown: grabs it, runs every report and
    // grabs its preview (with the data check of the general-medicine report),
    // then closes the window.
    void start(TfrmTarel &window);

    void showMessage(QWidget *parent, const QString &text) override;
    void showError(QWidget *parent, const QString &text) override;
    void showReport(QWidget *parent, const report::TfrxReport &templ, report::PreparedReport &prepared) override;
    std::unique_ptr<RunProgress> showProgress(QWidget *parent, std::function<void()> cancel) override;

private:
    void save(QWidget *widget, const QString &name);
    // The part of the screen a window covers, frame included, as shown.
    void saveFromScreen(QWidget *window, const QString &name, int margin = 0);
    void savePicture(const QPixmap &picture, const QString &name);
    // Clicks the next report's button, or closes the window after the last.
    void runNext();
    // The same once the event that asks for it has been handled.
    void runNextSoon();
    // Opens the visits behind a count cell of a few lines and grabs them.
    void showVisitList(QWidget *preview, const report::PreparedReport &prepared);
    // Compares the report of last month with its earlier months and takes
    // the window from the screen, selecting the catalogue row's cell of the
    // flag given that grew most.
    void showTrend(QWidget *preview, const char *report, trend::Flag flag, const QString &name);
    QString m_folder;
    TfrmTarel *m_window = nullptr;
    data::Database *m_database = nullptr; // the main window's
    std::size_t m_next = 0;               // the next report button to click
    QString m_currentButton;
    RunCompanion m_companion;
    bool m_started = false;
};

} // namespace tarel::app
