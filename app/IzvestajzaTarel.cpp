#include "IzvestajzaTarel.h"

#include "controls.h"
#include "dates.h"
#include "macc.h"
#include "ui.h"

#include "children.h"
#include "generalmedicine.h"
#include "schoolyouth.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDateEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QShowEvent>
#include <QSqlDatabase>
#include <QStandardItemModel>
#include <QWindow>

namespace tarel::app {

namespace {

constexpr QPoint kWindowPosition{210, 117};
constexpr QSize kWindowOuterSize{998, 596};

struct MorbidityPanelControls {
    const char *doctor, *from, *to, *button, *allDoctors, *urban, *rural;
};
// The controls of the general-medicine, school children and youth, and
// pre-school children panels.
constexpr MorbidityPanelControls kMorbidityPanels[] = {
    {"cbLekar", "Datefrom", "Dateto", "btnIzvestaj", "lekari", "grad", "selo"},
    {"cbLekar1", "datefrom1", "dateto1", "btnIzvestaj1", "lekari1", "grad1", "selo1"},
    {"cbLekar2", "datefrom2", "dateto2", "btnIzvestaj2", "lekari2", "grad2", "selo2"},
};

struct VisitPanelControls {
    reports::VisitReport report;
    const char *from, *to, *button;
};
constexpr VisitPanelControls kVisitPanels[] = {
    {reports::VisitReport::SchoolYouth, "datumod", "datumdo", "btnPosetaDecaMladina"},
    {reports::VisitReport::Children, "datumod1", "datumdo1", "btnPosetaMladina"},
    {reports::VisitReport::GeneralMedicine, "datumod2", "datumdo2", "dtnPosetaOrdinacija"},
};

// The order in which the window sets the default dates when first shown.
constexpr const char *kFromPickers[] = {"Datefrom", "datefrom1", "datefrom2"};
constexpr const char *kToPickers[] = {"Dateto", "dateto1", "dateto2"};
constexpr const char *kVisitFromPickers[] = {"datumod", "datumod1", "datumod2"};
constexpr const char *kVisitToPickers[] = {"datumdo", "datumdo1", "datumdo2"};

report::Font windowFont()
{
    report::Font font;
    font.name = QString::fromLatin1(MainWindowFont.family);
    font.height = MainWindowFont.pixels;
    return font;
}

} // namespace

struct TfrmTarel::MorbidityReport {
    tabulation::MorbidityReportDefinition definition;
    const tabulation::RowCatalogue *catalogue = nullptr;
    std::optional<Error> catalogueError;
    std::unique_ptr<data::Query> query;
    std::unique_ptr<report::TfrxReport> templ; // null while the report is not built in
    tabulation::CounterGrid grid;
    report::PreparedReport prepared;

    QComboBox *doctor = nullptr;
    QDateEdit *from = nullptr;
    QDateEdit *to = nullptr;
    QPushButton *button = nullptr;
    QCheckBox *allDoctors = nullptr;
    QRadioButton *urban = nullptr;
    QRadioButton *rural = nullptr;
};

struct TfrmTarel::VisitPanel {
    reports::VisitReport report;
    report::TfrxReport templ;
    report::PreparedReport prepared;
    QDateEdit *from = nullptr;
    QDateEdit *to = nullptr;
    QPushButton *button = nullptr;
};

std::array<tabulation::MorbidityReportDefinition, 3> builtInMorbidityReports()
{
    return {reports::generalMedicineReport(), reports::schoolYouthReport(), reports::childrenReport()};
}

Result<std::unique_ptr<TfrmTarel>> TfrmTarel::create(MainWindowOptions options)
{
    Result<std::unique_ptr<data::Database>> database = data::Database::openAlias(options.alias);
    if (!database)
        return database.error();
    std::unique_ptr<TfrmTarel> window(new TfrmTarel(std::move(options), std::move(*database)));
    if (Result<void> opened = window->openLookups(); !opened)
        return opened.error();
    return window;
}

TfrmTarel::TfrmTarel(MainWindowOptions options, std::unique_ptr<data::Database> database)
    : m_options(std::move(options)), m_db(std::move(database))
{
    if (m_options.ui) {
        m_ui = m_options.ui;
    } else {
        m_ownUi = std::make_unique<WindowUi>();
        m_ui = m_ownUi.get();
    }

    setObjectName(QStringLiteral("frmTarel"));
    setWindowTitle(QStringLiteral("Statisticki Izvestai"));
    setFont(report::displayFont(windowFont()));
    move(kWindowPosition);
    resize(kWindowOuterSize);

    m_controls = buildControls(this, mainWindowControls());

    m_doctors = new QStandardItemModel(this);
    for (std::size_t i = 0; i < std::size(kMorbidityPanels); ++i) {
        const MorbidityPanelControls &names = kMorbidityPanels[i];
        auto panel = std::make_unique<MorbidityReport>();
        panel->definition = m_options.morbidityReports[i];
        panel->doctor = qobject_cast<QComboBox *>(control(names.doctor));
        panel->from = qobject_cast<QDateEdit *>(control(names.from));
        panel->to = qobject_cast<QDateEdit *>(control(names.to));
        panel->button = qobject_cast<QPushButton *>(control(names.button));
        panel->allDoctors = qobject_cast<QCheckBox *>(control(names.allDoctors));
        panel->urban = qobject_cast<QRadioButton *>(control(names.urban));
        panel->rural = qobject_cast<QRadioButton *>(control(names.rural));

        panel->doctor->setModel(m_doctors);
        panel->doctor->setCurrentIndex(-1);
        connect(panel->doctor, &QComboBox::activated, this, [this](int row) { m_currentDoctor = row; });

        const tabulation::MorbidityReportDefinition &definition = panel->definition;
        panel->query = std::make_unique<data::Query>(*m_db, definition.profile->query, data::morbidityStatement());
        if (definition.catalogue && definition.buildTemplate) {
            Result<const tabulation::RowCatalogue *> catalogue = definition.catalogue();
            if (catalogue) {
                panel->catalogue = *catalogue;
                panel->templ = std::make_unique<report::TfrxReport>(definition.buildTemplate(**catalogue));
            } else {
                panel->catalogueError = catalogue.error();
            }
        }
        m_morbidity.push_back(std::move(panel));
    }
    connect(m_morbidity[0]->button, &QPushButton::clicked, this, &TfrmTarel::btnIzvestajClick);
    connect(m_morbidity[1]->button, &QPushButton::clicked, this, &TfrmTarel::btnIzvestaj1Click);
    connect(m_morbidity[2]->button, &QPushButton::clicked, this, &TfrmTarel::btnIzvestaj2Click);

    for (const VisitPanelControls &names : kVisitPanels) {
        auto panel = std::make_unique<VisitPanel>();
        panel->report = names.report;
        panel->templ = reports::buildVisitTemplate(names.report);
        panel->from = qobject_cast<QDateEdit *>(control(names.from));
        panel->to = qobject_cast<QDateEdit *>(control(names.to));
        panel->button = qobject_cast<QPushButton *>(control(names.button));
        m_visits.push_back(std::move(panel));
    }
    connect(m_visits[0]->button, &QPushButton::clicked, this, &TfrmTarel::btnPosetaDecaMladinaClick);
    connect(m_visits[1]->button, &QPushButton::clicked, this, &TfrmTarel::btnPosetaMladinaClick);
    connect(m_visits[2]->button, &QPushButton::clicked, this, &TfrmTarel::dtnPosetaOrdinacijaClick);
}

TfrmTarel::~TfrmTarel() = default;

QWidget *TfrmTarel::control(const char *name) const
{
    QWidget *widget = m_controls.value(QString::fromLatin1(name));
    Q_ASSERT(widget);
    return widget;
}

QDate TfrmTarel::today() const { return m_options.today ? m_options.today() : QDate::currentDate(); }

// The doctor list (qLekar), then the institution (qPZU).
Result<void> TfrmTarel::openLookups()
{
    Result<std::vector<data::Doctor>> doctors = m_db->doctors();
    if (!doctors)
        return doctors.error();
    Result<data::Institution> institution = m_db->institution();
    if (!institution)
        return institution.error();

    // The doctor boxes draw in "MAC C Swiss": the names read as Cyrillic.
    report::Font font;
    font.name = QStringLiteral("MAC C Swiss");
    font.height = 11;
    m_doctors->clear();
    for (const data::Doctor &doctor : *doctors) {
        auto *item = new QStandardItem(report::displayText(font, doctor.name));
        item->setData(doctor.code, Qt::UserRole);
        item->setData(doctor.name, DoctorNameRole);
        item->setEditable(false);
        m_doctors->appendRow(item);
    }
    for (const auto &panel : m_morbidity)
        panel->doctor->setCurrentIndex(-1);
    m_currentDoctor = -1;
    m_institution = std::move(*institution);
    m_lookupsOpen = true;
    return {};
}

void TfrmTarel::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    if (m_shown)
        return;
    m_shown = true;
    // The stored size is the outer size, frame included.
    if (const QWindow *window = windowHandle()) {
        const QMargins frame = window->frameMargins();
        if (!frame.isNull())
            resize(kWindowOuterSize.width() - frame.left() - frame.right(),
                   kWindowOuterSize.height() - frame.top() - frame.bottom());
    }
    FormShow();
}

void TfrmTarel::FormShow()
{
    // Open again whatever has been closed; in the normal case all is open.
    if (!m_db->isOpen()) {
        QSqlDatabase connection = m_db->connection();
        if (!connection.open()) {
            m_ui->showError(this, errorText(QStringLiteral("Cannot open the database of alias '%1'").arg(m_options.alias)));
            return;
        }
    }
    if (!m_lookupsOpen) {
        if (Result<void> opened = openLookups(); !opened) {
            m_ui->showError(this, errorText(opened.message()));
            return;
        }
    }

    const QDate now = today();
    const QDate threeMonthsBack = tabulation::addMonthsClamped(now, -3);
    for (const char *name : kFromPickers)
        qobject_cast<QDateEdit *>(control(name))->setDate(threeMonthsBack);
    for (const char *name : kToPickers)
        qobject_cast<QDateEdit *>(control(name))->setDate(now);
    for (const char *name : kVisitFromPickers)
        qobject_cast<QDateEdit *>(control(name))->setDate(threeMonthsBack);
    for (const char *name : kVisitToPickers)
        qobject_cast<QDateEdit *>(control(name))->setDate(now);
}

void TfrmTarel::closeEvent(QCloseEvent *event)
{
    FormClose();
    QWidget::closeEvent(event);
}

void TfrmTarel::FormClose()
{
    for (const auto &panel : m_morbidity)
        panel->query->close();
    m_db->close();
    m_lookupsOpen = false;
}

std::optional<tabulation::ReportRequest> TfrmTarel::morbidityRequest(MorbidityPanel which) const
{
    return requestOf(*m_morbidity[std::size_t(which)]);
}

std::optional<tabulation::ReportRequest> TfrmTarel::requestOf(const MorbidityReport &panel)
{
    tabulation::ReportRequest request;
    request.from = panel.from->date();
    request.to = panel.to->date();
    request.allDoctors = panel.allDoctors->isChecked();
    if (!request.allDoctors) {
        const int row = panel.doctor->currentIndex();
        if (row < 0)
            return std::nullopt;
        request.doctorCode = panel.doctor->itemData(row, Qt::UserRole).toString();
        request.doctorName = panel.doctor->itemData(row, DoctorNameRole).toString();
    }
    if (panel.urban->isChecked())
        request.area = data::AreaFilter::Urban;
    else if (panel.rural->isChecked())
        request.area = data::AreaFilter::Rural;
    else
        request.area = data::AreaFilter::Both;
    return request;
}

void TfrmTarel::btnIzvestajClick() { runMorbidity(*m_morbidity[0]); }
void TfrmTarel::btnIzvestaj1Click() { runMorbidity(*m_morbidity[1]); }
void TfrmTarel::btnIzvestaj2Click() { runMorbidity(*m_morbidity[2]); }
void TfrmTarel::btnPosetaDecaMladinaClick() { runVisits(*m_visits[0]); }
void TfrmTarel::btnPosetaMladinaClick() { runVisits(*m_visits[1]); }
void TfrmTarel::dtnPosetaOrdinacijaClick() { runVisits(*m_visits[2]); }

void TfrmTarel::runMorbidity(MorbidityReport &panel)
{
    panel.query->close();
    const std::optional<tabulation::ReportRequest> request = requestOf(panel);
    if (!request) {
        m_ui->showMessage(this, QStringLiteral("Izberete lekar"));
        return;
    }
    if (panel.catalogueError) {
        m_ui->showError(this, errorText(panel.catalogueError->message));
        return;
    }
    if (!panel.templ) {
        m_ui->showInformation(this, reportNotAvailableText());
        return;
    }

    panel.button->setEnabled(false);
    const Result<void> run =
        tabulation::runMorbidityReport(*panel.definition.profile, *panel.catalogue, *m_db, *panel.query, *request,
                                       m_institution.naziv, panel.grid, *panel.templ);
    // Enabled again also after an error, so the report can be run again.
    panel.button->setEnabled(true);
    if (!run) {
        panel.query->close();
        m_ui->showError(this, errorText(run.message()));
        return;
    }
    m_ui->showReport(this, *panel.templ, panel.prepared);
    panel.query->close();
}

void TfrmTarel::runVisits(VisitPanel &panel)
{
    const Result<void> run =
        reports::runVisitReport(panel.report, *m_db, panel.from->date(), panel.to->date(), panel.templ, today());
    if (!run) {
        m_ui->showError(this, errorText(run.message()));
        return;
    }
    m_ui->showReport(this, panel.templ, panel.prepared);
}

} // namespace tarel::app
