#include "runcompanion.h"

#include "datacheckcounter.h"
#include "datacheckdialog.h"
#include "visitlistwindow.h"

#include <QLocale>

namespace tarel::app {

QString RunCompanion::summary(const report::PreparedReport &report) const
{
    const Result<engine::DataCheck> check = engine::dataCheckOf(report.annotations);
    if (!check)
        return {};
    const QLocale locale;
    return tr("%1 visits selected, %2 counted, %3 not counted")
        .arg(locale.toString(check->selected), locale.toString(check->counted),
             locale.toString(check->notCounted()));
}

QString RunCompanion::detailsCaption() const { return tr("Data check..."); }

bool RunCompanion::hasDetails(const report::PreparedReport &report) const
{
    return engine::dataCheckOf(report.annotations).ok();
}

void RunCompanion::showDetails(QWidget *parent, const report::PreparedReport &report)
{
    Result<engine::DataCheck> check = engine::dataCheckOf(report.annotations);
    if (!check)
        return;
    DataCheckDialog dialog(std::move(*check), parent);
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

} // namespace tarel::app
