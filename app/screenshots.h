#pragma once

// Screenshots for the documentation, taken by the program itself when the
// environment variable TAREL_SCREENSHOT_DIR names a folder (tools/screenshots
// sets it): the splash window during start-up, the main window once shown,
// and the preview of every report that can be run, with "Site lekari"
// checked. Message boxes are written to standard error instead of shown, so
// nothing waits for a user. Then the program closes its main window and ends.

#include "startup.h"
#include "ui.h"

#include <QString>

#include <memory>

namespace tarel::app {

class ScreenshotSession : public Ui {
public:
    // A session when TAREL_SCREENSHOT_DIR is set, else nothing.
    static std::unique_ptr<ScreenshotSession> fromEnvironment();
    explicit ScreenshotSession(QString folder);

    // Hooks the session into the start-up: grabs the splash window.
    void install(StartupOptions &options);
    // Called once the main window is shown: grabs it, runs every report and
    // grabs its preview, then closes the window.
    void start(TfrmTarel &window);

    void showMessage(QWidget *parent, const QString &text) override;
    void showError(QWidget *parent, const QString &text) override;
    void showReport(QWidget *parent, const report::TfrxReport &templ, report::PreparedReport &prepared) override;
    std::unique_ptr<RunProgress> showProgress(QWidget *parent, std::function<void()> cancel) override;

private:
    void save(QWidget *widget, const QString &name);
    QString m_folder;
    QString m_currentButton;
};

} // namespace tarel::app
