#include "datacheckdialog.h"

#include "datacheckwords.h"
#include "engine.h"
#include "outputfile.h"
#include "previewdialogs.h"

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

DataCheckDialog::DataCheckDialog(result::DataCheck check, const report::PreparedReport &printed, QWidget *parent)
    : QDialog(parent), m_check(std::move(check))
{
    setObjectName(QStringLiteral("dataCheckDialog"));
    setWindowTitle(tr("Data check"));
    resize(900, 700);

    const engine::ReportDefinition *report = engine::findReport(m_check.report);
    const bool morbidity = report && report->kind == engine::ReportKind::Morbidity;
    auto *heading = new QLabel(engine::dataCheckHeading(m_check, printed), this);
    heading->setObjectName(QStringLiteral("heading"));
    heading->setWordWrap(true);

    const std::vector<engine::DataCheckFigure> figures = engine::dataCheckFigures(m_check);
    m_figures = new QTableWidget(int(figures.size()), 3, this);
    m_figures->setObjectName(QStringLiteral("figures"));
    m_figures->setHorizontalHeaderLabels({tr("Figure"), tr("Visits"), tr("What it means")});
    m_figures->verticalHeader()->hide();
    m_figures->setWordWrap(true);
    for (int i = 0; i < int(figures.size()); ++i) {
        const engine::DataCheckFigure &figure = figures[std::size_t(i)];
        m_figures->setItem(i, 0, textItem(figure.name));
        m_figures->setItem(i, 1, new CountItem(figure.visits));
        m_figures->setItem(i, 2, textItem(figure.meaning));
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
    const std::vector<QString> suggested = engine::suggestedRowsText(m_check, printed);
    for (int i = 0; i < int(m_check.noRowDiagnoses.size()); ++i) {
        const result::DataCheck::Diagnosis &diagnosis = m_check.noRowDiagnoses[std::size_t(i)];
        m_diagnoses->setItem(i, 0, textItem(diagnosis.category));
        m_diagnoses->setItem(i, 1, textItem(diagnosis.subcategory));
        m_diagnoses->setItem(i, 2, new CountItem(diagnosis.visits));
        m_diagnoses->setItem(i, 3, textItem(suggested[std::size_t(i)]));
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
        report::showMessageBox(this, QMessageBox::Critical, windowTitle(), withFullStop(saved.message()));
}

} // namespace tarel::app
