#include "runcompanion.h"

#include "datacheckdialog.h"
#include "recordedrequest.h"
#include "trendwindow.h"
#include "visitlistwindow.h"

#include <QLocale>

namespace tarel::app {

QString RunCompanion::summary(const report::PreparedReport &report) const
{
    if (!report.result || !report.result->check)
        return {};
    const result::DataCheck *check = &*report.result->check;
    const QLocale locale;
    return tr("%1 visits selected, %2 counted, %3 not counted")
        .arg(locale.toString(check->selected), locale.toString(check->counted),
             locale.toString(check->notCounted()));
}

QString RunCompanion::detailsCaption() const { return tr("Data check..."); }

bool RunCompanion::hasDetails(const report::PreparedReport &report) const
{
    return report.result && report.result->check;
}

void RunCompanion::showDetails(QWidget *parent, const report::PreparedReport &report)
{
    if (!hasDetails(report))
        return;
    DataCheckDialog dialog(*report.result->check, parent);
    dialog.exec();
}

QString RunCompanion::explainCaption() const { return tr("Visits behind this number..."); }

bool RunCompanion::explains(const report::PreparedReport &report, const report::OutputCell &cell) const
{
    return hasVisitList(report, cell);
}

void RunCompanion::explain(QWidget *parent, const report::PreparedReport &report, const report::OutputCell &cell)
{
    openVisitList(parent, m_database, report, cell);
}

QString RunCompanion::compareCaption() const { return tr("Compare with earlier periods..."); }

bool RunCompanion::comparable(const report::PreparedReport &report) const
{
    return report.result && engine::recordedRequestOf(*report.result).ok();
}

void RunCompanion::compare(QWidget *parent, const report::PreparedReport &report)
{
    openTrend(parent, m_database, report);
}

} // namespace tarel::app
