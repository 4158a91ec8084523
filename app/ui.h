#pragma once

// What the windows ask of the user: message boxes and the report preview.
// The windows reach them only through this interface, so that the tests can
// replace them with recorders that never block.

#include <QString>

class QWidget;

namespace tarel::report {
class ReportCompanion;
class TfrxReport;
struct PreparedReport;
} // namespace tarel::report

namespace tarel::app {

class Ui {
public:
    virtual ~Ui() = default;

    // A plain message box with an OK button ("Izberete lekar").
    virtual void showMessage(QWidget *parent, const QString &text) = 0;
    // The error box; the text is shown as given (see withFullStop).
    virtual void showError(QWidget *parent, const QString &text) = 0;
    // Prepares the template into `prepared` (discarding its previous pages)
    // and shows it in the modal preview; returns when the preview is closed.
    virtual void showReport(QWidget *parent, const report::TfrxReport &templ,
                            report::PreparedReport &prepared) = 0;
};

// Message boxes and the preview window.
class WindowUi : public Ui {
public:
    // What the preview shows beyond the pages (the data check); not owned.
    void setCompanion(report::ReportCompanion *companion) { m_companion = companion; }
    void showMessage(QWidget *parent, const QString &text) override;
    void showError(QWidget *parent, const QString &text) override;
    void showReport(QWidget *parent, const report::TfrxReport &templ,
                    report::PreparedReport &prepared) override;

private:
    report::ReportCompanion *m_companion = nullptr;
};


} // namespace tarel::app
