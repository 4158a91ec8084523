#include "datacheckdialog.h"

#include "engine.h"
#include "outputfile.h"
#include "suggestions.h"

#include <QDialogButtonBox>
#include <QFileDialog>
#include <QHeaderView>
#include <QLabel>
#include <QLocale>
#include <QMessageBox>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

namespace tarel::app {

namespace {

// A table item that sorts by its number.
class CountItem : public QTableWidgetItem {
public:
    explicit CountItem(qint64 count) : QTableWidgetItem(QLocale().toString(count)), m_count(count)
    {
        setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
    }
    bool operator<(const QTableWidgetItem &other) const override
    {
        if (const auto *count = dynamic_cast<const CountItem *>(&other))
            return m_count < count->m_count;
        return QTableWidgetItem::operator<(other);
    }

private:
    qint64 m_count;
};

QTableWidgetItem *textItem(const QString &text)
{
    auto *item = new QTableWidgetItem(text);
    item->setFlags(item->flags() & ~Qt::ItemIsEditable);
    return item;
}

} // namespace

DataCheckDialog::DataCheckDialog(result::DataCheck check, QWidget *parent)
    : QDialog(parent), m_check(std::move(check))
{
    setObjectName(QStringLiteral("dataCheckDialog"));
    setWindowTitle(tr("Data check"));
    resize(900, 700);

    const engine::ReportDefinition *report = engine::findReport(m_check.report);
    const bool morbidity = report && report->kind == engine::ReportKind::Morbidity;
    auto *heading = new QLabel(this);
    heading->setWordWrap(true);
    heading->setText(tr("Report %1, %2 to %3. Every visit the report selects is either counted or listed here with "
                        "the reason it is not.")
                         .arg(m_check.report, m_check.from, m_check.to));

    struct Figure {
        QString name;
        qint64 value;
        QString meaning;
    };
    const Figure figures[] = {
        {tr("Visits selected"), m_check.selected,
         tr("Rows the report's statements return for the period and the request (the visit reports: urban and "
            "rural together).")},
        {tr("Counted"), m_check.counted,
         morbidity ? tr("Visits that add to at least one number of the form.")
                   : tr("Visits counted in the column of all visits.")},
        {tr("Diagnosis in no row"), m_check.noRow,
         tr("The visit's diagnosis is in no row of the report's list, so it counts nowhere. The table below "
            "names them; correct a wrong diagnosis in the patient-administration program.")},
        {tr("Age in no band"), m_check.outsideBands,
         tr("The patient's age at the last day of the period is in none of the report's age bands (an adult in a "
            "children's report). Nothing to mend unless the birth date is wrong.")},
        {tr("Counted in two rows"), m_check.countedTwice,
         tr("Visits whose diagnosis two rows of the list count, as the list intends: their chapter subtotal and "
            "the total count them twice.")},
        {tr("No birth date"), m_check.emptyBirthDate,
         tr("Counted visits of patients without a birth date: they count as born on 30 December 1899. Enter the "
            "birth date.")},
        {tr("Person listed twice"), m_check.repeatedPersons,
         tr("Extra rows of visits whose citizen number belongs to more than one insured person: such a visit counts "
            "once for each. Remove the duplicate insured person.")},
        {tr("Citizen number unknown"), m_check.unmatchedVisits,
         tr("Visits of the period whose citizen number matches no insured person: no report selects them. Correct "
            "the citizen number or register the person.")},
        {tr("No settlement code"), m_check.noSettlementCode,
         tr("Rows left out only because the insured person has no settlement code, so neither urban nor rural "
            "takes them. Enter the settlement code.")},
        {tr("Visit date not YYYY-MM-DD"), m_check.nonIsoVisitDates,
         tr("Visits in the whole database whose date is not written as a date (YYYY-MM-DD): no period selects "
            "them reliably. Correct the visit date.")},
    };
    m_figures = new QTableWidget(int(std::size(figures)), 3, this);
    m_figures->setObjectName(QStringLiteral("figures"));
    m_figures->setHorizontalHeaderLabels({tr("Figure"), tr("Visits"), tr("What it means")});
    m_figures->verticalHeader()->hide();
    m_figures->setWordWrap(true);
    for (int i = 0; i < int(std::size(figures)); ++i) {
        m_figures->setItem(i, 0, textItem(figures[i].name));
        m_figures->setItem(i, 1, new CountItem(figures[i].value));
        m_figures->setItem(i, 2, textItem(figures[i].meaning));
    }
    m_figures->resizeColumnsToContents();
    m_figures->horizontalHeader()->setSectionResizeMode(2, QHeaderView::Stretch);
    // The sentences wrap in the width their column gets, whatever it becomes.
    m_figures->verticalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);

    m_diagnoses = new QTableWidget(int(m_check.noRowDiagnoses.size()), 4, this);
    m_diagnoses->setObjectName(QStringLiteral("diagnoses"));
    m_diagnoses->setHorizontalHeaderLabels(
        {tr("Category"), tr("Sub-category"), tr("Visits"), tr("Rows its printed code suggests")});
    m_diagnoses->verticalHeader()->hide();
    for (int i = 0; i < int(m_check.noRowDiagnoses.size()); ++i) {
        const result::DataCheck::Diagnosis &diagnosis = m_check.noRowDiagnoses[std::size_t(i)];
        QStringList suggested;
        if (morbidity)
            for (const engine::SuggestedRow &row : engine::suggestedRows(*report, diagnosis.category))
                suggested << tr("row %1 (%2)").arg(row.number, row.codeText);
        m_diagnoses->setItem(i, 0, textItem(diagnosis.category));
        m_diagnoses->setItem(i, 1, textItem(diagnosis.subcategory));
        m_diagnoses->setItem(i, 2, new CountItem(diagnosis.visits));
        m_diagnoses->setItem(i, 3, textItem(suggested.join(QStringLiteral("; "))));
    }
    m_diagnoses->setSortingEnabled(true);
    m_diagnoses->sortItems(2, Qt::DescendingOrder);
    m_diagnoses->horizontalHeader()->setSectionResizeMode(3, QHeaderView::Stretch);
    m_diagnoses->resizeColumnsToContents();
    m_diagnoses->setVisible(morbidity);

    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    QPushButton *saveButton = buttons->addButton(tr("Save..."), QDialogButtonBox::ActionRole);
    saveButton->setObjectName(QStringLiteral("save"));
    connect(saveButton, &QPushButton::clicked, this, &DataCheckDialog::chooseAndSave);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(heading);
    layout->addWidget(m_figures, 3);
    if (morbidity)
        layout->addWidget(new QLabel(tr("Diagnoses in no row:"), this));
    layout->addWidget(m_diagnoses, 2);
    layout->addWidget(buttons);
}

Result<void> DataCheckDialog::save(const QString &path) const
{
    const bool csv = path.endsWith(QStringLiteral(".csv"), Qt::CaseInsensitive);
    return writeOutputFile(path, csv ? result::dataCheckCsv(m_check) : m_check.toJsonText());
}

void DataCheckDialog::chooseAndSave()
{
    QString filter;
    const QString path = QFileDialog::getSaveFileName(this, tr("Save the data check"),
                                                      m_check.report + QStringLiteral("-check.json"),
                                                      tr("JSON (*.json);;CSV (*.csv)"), &filter);
    if (path.isEmpty())
        return;
    if (Result<void> saved = save(path); !saved)
        QMessageBox::critical(this, windowTitle(), withFullStop(saved.message()));
}

} // namespace tarel::app
