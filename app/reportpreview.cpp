#include "reportpreview.h"

#include "previewwindow.h"

namespace tarel::app {

void showReportPreview(QWidget *parent, const report::TfrxReport &templ, report::PreparedReport &prepared)
{
    report::showReport(templ, prepared, parent);
}

} // namespace tarel::app
