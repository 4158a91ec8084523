#pragma once

// The one place the application opens the preview window of a report.

class QWidget;

namespace tarel::report {
class TfrxReport;
struct PreparedReport;
} // namespace tarel::report

namespace tarel::app {

// Discards the prepared pages, prepares the template anew inside the modal
// preview and returns when the preview has been closed.
void showReportPreview(QWidget *parent, const report::TfrxReport &templ, report::PreparedReport &prepared);

} // namespace tarel::app
