#pragma once

// The main window TfrmTarel: a header of informational labels and six report
// panels. It owns the database connection, the doctor list and the
// institution particulars for the program's whole life. Each panel button
// reads its panel into a request, has the report engine run it off the
// window's thread (on a connection of its own, with its progress shown and a
// Cancel button, the window staying responsive), and shows the filled report
// in the modal preview.

#include "database.h"
#include "engine.h"
#include "prepared.h"
#include "reportrun.h"
#include "result.h"
#include "template.h"

#include <QDate>
#include <QHash>
#include <QWidget>

#include <array>
#include <span>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

class QCheckBox;
class QComboBox;
class QDateEdit;
class QPushButton;
class QRadioButton;
class QStandardItemModel;

namespace tarel::app {

class RunCompanion;
class RunProgress;
class Ui;

struct MainWindowOptions {
    QString alias = QString::fromLatin1(data::DefaultAlias);
    Ui *ui = nullptr;                  // not owned; nullptr: message boxes and the preview window
    std::function<QDate()> today;      // empty: the local date
    // Tests: called in a run's own thread at every progress report.
    std::function<void()> whileReading;
};

enum class MorbidityPanel { GeneralMedicine = 0, SchoolYouth = 1, Children = 2 };

class TfrmTarel : public QWidget {
    Q_OBJECT
public:
    // Loads the window: connects the database under the alias, then reads
    // the doctor list (qLekar) and the institution (qPZU). Any error ends
    // the loading; nothing is shown.
    static Result<std::unique_ptr<TfrmTarel>> create(MainWindowOptions options = {});
    ~TfrmTarel() override;

    // A morbidity panel read into a request; nothing when "Site lekari" is
    // unchecked and the panel's doctor box shows no doctor.
    std::optional<engine::Request> morbidityRequest(MorbidityPanel panel) const;

    // The doctor list shared by the three doctor boxes (code in Qt::UserRole,
    // the name as stored in DoctorNameRole) and its current entry: the row
    // chosen last in any box, -1 before any choice.
    static constexpr int DoctorNameRole = Qt::UserRole + 1;
    QStandardItemModel *doctorList() const { return m_doctors; }
    int currentDoctor() const { return m_currentDoctor; }

    data::Database &database() { return *m_db; }
    // Whether a report is being run.
    bool running() const { return m_run != nullptr; }
    const data::Institution &institution() const { return m_institution; }
    bool lookupsOpen() const { return m_lookupsOpen; }

Q_SIGNALS:
    // A report's run has ended (its report, error or nothing after Cancel
    // follows at once).
    void runEnded();

public Q_SLOTS:
    void btnIzvestajClick();
    void btnIzvestaj1Click();
    void btnIzvestaj2Click();
    void btnPosetaDecaMladinaClick();
    void btnPosetaMladinaClick();
    void dtnPosetaOrdinacijaClick();

protected:
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    struct Panel;

    TfrmTarel(MainWindowOptions options, std::unique_ptr<data::Database> database);
    Result<void> openLookups();
    void FormShow();
    void FormClose();
    std::optional<engine::Request> requestOf(const Panel &panel) const;
    void runReport(Panel &panel);
    // enableButton: gives the pressed button back its focus, before the report or its error shows.
    void reportRunEnded(RunOf<result::RunResult> &run, Panel &panel, const std::function<void()> &enableButton);
    Panel &panelOf(const char *button);
    QDate today() const;
    QWidget *control(const char *name) const;

    MainWindowOptions m_options;
    std::unique_ptr<RunCompanion> m_companion;
    BackgroundRun *m_run = nullptr;             // the report being run (a child of the window)
    std::unique_ptr<RunProgress> m_runProgress; // its progress
    std::unique_ptr<Ui> m_ownUi;
    Ui *m_ui = nullptr;
    // The doctor list and the institution are read here; every run opens a
    // connection of its own with the same settings.
    std::unique_ptr<data::Database> m_db;
    data::Institution m_institution;
    QStandardItemModel *m_doctors = nullptr;
    int m_currentDoctor = -1;
    bool m_lookupsOpen = false;
    bool m_shown = false;
    QHash<QString, QWidget *> m_controls;
    std::vector<std::unique_ptr<Panel>> m_panels; // the three morbidity panels first
};

} // namespace tarel::app
