#pragma once

// The data check of a report in words (engine/datacheckwords.h): every
// figure that applies to the report with a sentence saying what it means and
// what to do, the uncounted diagnoses with the rows their printed codes
// suggest, and "Save..." as JSON or CSV.

#include "datacheck.h"
#include "prepared.h"
#include "result.h"

#include <QDialog>

class QTableWidget;

namespace tarel::app {

class DataCheckDialog : public QDialog {
    Q_OBJECT
public:
    // printed: the report the check belongs to, whose title and rows it names.
    DataCheckDialog(result::DataCheck check, const report::PreparedReport &printed, QWidget *parent = nullptr);

    QTableWidget *figures() const { return m_figures; }
    QTableWidget *diagnoses() const { return m_diagnoses; }

    // Writes the account to the file, as JSON unless its name ends in ".csv".
    Result<void> save(const QString &path) const;

private:
    void chooseAndSave();

    result::DataCheck m_check;
    QTableWidget *m_figures = nullptr;
    QTableWidget *m_diagnoses = nullptr;
};

} // namespace tarel::app
