#pragma once

// What the window adds to the preview of a report it ran (or one opened
// from a file): the data check in the status bar and its dialog, the visits
// behind a count cell (visitlistwindow.h), and each number beside its
// history (trendwindow.h).

#include "reportcompanion.h"

#include <QCoreApplication>

namespace tarel::data {
class Database;
}

namespace tarel::app {

class RunCompanion : public report::ReportCompanion {
    Q_DECLARE_TR_FUNCTIONS(RunCompanion)
public:
    // database: the program's own, which lists run on when the report was
    // read from it (not owned; nullptr: every list opens its report's database).
    explicit RunCompanion(data::Database *database = nullptr) : m_database(database) {}

    // "781.718 visits selected, 760.102 counted, 21.616 not counted", the
    // figures grouped as the locale writes them; empty without a data check.
    QString summary(const report::PreparedReport &report) const override;
    // "General medicine, 2024-12-01 to 2026-11-30": the report in words and
    // its period, from its data check.
    QString fileName(const report::PreparedReport &report) const override;
    QString detailsCaption() const override;
    bool hasDetails(const report::PreparedReport &report) const override;
    void showDetails(QWidget *parent, const report::PreparedReport &report) override;

    QString explainCaption() const override;
    bool explains(const report::PreparedReport &report, const report::OutputCell &cell) const override;
    void explain(QWidget *parent, const report::PreparedReport &report, const report::OutputCell &cell) override;

    QString compareCaption() const override;
    bool comparable(const report::PreparedReport &report) const override;
    void compare(QWidget *parent, const report::PreparedReport &report) override;

private:
    data::Database *m_database = nullptr;
};

} // namespace tarel::app
