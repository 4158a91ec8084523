#pragma once

// The data check of a report in words: every figure with a sentence saying
// what it means and what to do, the uncounted diagnoses with the rows their
// printed codes suggest, and "Save..." as JSON or CSV.

#include "datacheck.h"
#include "result.h"

#include <QDialog>

class QTableWidget;

namespace tarel::app {

class DataCheckDialog : public QDialog {
    Q_OBJECT
public:
    explicit DataCheckDialog(result::DataCheck check, QWidget *parent = nullptr);

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
