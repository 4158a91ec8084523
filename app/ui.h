#pragma once

// What the windows ask of the user: message boxes, the progress of a running
// report and the report preview. The windows reach them only through this
// interface, so that the tests can replace them with recorders that never
// block.

#include "readcontrol.h"

#include <QString>

#include <functional>
#include <memory>

class QWidget;

namespace tarel::report {
class ReportCompanion;
class TfrxReport;
struct PreparedReport;
} // namespace tarel::report

namespace tarel::app {

// The progress of a running report, shown while it lasts (a small window
// that leaves the main window usable, with a Cancel button). Until the
// first rows come, the run waits for the database to answer.
class RunProgress {
public:
    virtual ~RunProgress() = default;
    // What the read reads now, and how much of it so far.
    virtual void setProgress(const data::ReadProgress &progress) = 0;
    // The run waits while another program writes to the database.
    virtual void setLocked() = 0;
};

class Ui {
public:
    virtual ~Ui() = default;

    // A plain message box with an OK button ("Изберете лекар").
    virtual void showMessage(QWidget *parent, const QString &text) = 0;
    // The error box; the text is shown as given (see withFullStop).
    virtual void showError(QWidget *parent, const QString &text) = 0;
    // Prepares the template into `prepared` (discarding its previous pages)
    // and shows it in the modal preview; returns when the preview is closed.
    virtual void showReport(QWidget *parent, const report::TfrxReport &templ,
                            report::PreparedReport &prepared) = 0;
    // Shows the progress of a run that has begun; cancel is called when the
    // user asks to stop it. The progress goes when the object is destroyed.
    virtual std::unique_ptr<RunProgress> showProgress(QWidget *parent, std::function<void()> cancel) = 0;
};

// What the progress window says of a read: "Reading the insured persons:
// 120.000 of 250.500", "Reading the visits of the period: 40.000 of about
// 125.000", figures as the locale groups them.
QString progressText(const data::ReadProgress &progress);

// Message boxes and the preview window.
class WindowUi : public Ui {
public:
    // What the preview shows beyond the pages (the data check); not owned.
    void setCompanion(report::ReportCompanion *companion) { m_companion = companion; }
    void showMessage(QWidget *parent, const QString &text) override;
    void showError(QWidget *parent, const QString &text) override;
    void showReport(QWidget *parent, const report::TfrxReport &templ,
                    report::PreparedReport &prepared) override;
    std::unique_ptr<RunProgress> showProgress(QWidget *parent, std::function<void()> cancel) override;

private:
    report::ReportCompanion *m_companion = nullptr;
};


} // namespace tarel::app
