#include "runcompanion.h"

#include "datacheckdialog.h"
#include "dateformat.h"
#include "engine.h"
#include "macc.h"
#include "previewmodel.h"
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
    // The run keeps the period as asked; a reversed one selects nothing, and
    // the user is told why (the pickers' labels as the window shows them).
    const QDate from = QDate::fromString(check->from, Qt::ISODate);
    const QDate to = QDate::fromString(check->to, Qt::ISODate);
    if (from.isValid() && to.isValid() && from > to)
        return tr("No visits: the period is empty, because \"%1\" (%2) is later than \"%3\" (%4)")
            .arg(report::maccToUnicode(u"Datum od"), shortDateText(from),
                 report::maccToUnicode(u"Datum do"), shortDateText(to));
    const QLocale locale;
    return tr("%1 visits selected, %2 counted, %3 not counted")
        .arg(locale.toString(check->selected), locale.toString(check->counted),
             locale.toString(check->notCounted()));
}

QString RunCompanion::fileName(const report::PreparedReport &report) const
{
    const result::DataCheck *check = report.result && report.result->check ? &*report.result->check : nullptr;
    const engine::ReportDefinition *definition = check ? engine::findReport(check->report) : nullptr;
    if (!definition)
        return {};
    return report::fileNameOfWords(
        tr("%1, %2 to %3").arg(engine::reportWords(*definition), check->from, check->to));
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
    DataCheckDialog dialog(*report.result->check, report, parent);
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
