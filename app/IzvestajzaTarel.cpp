#include "IzvestajzaTarel.h"

#include "controls.h"
#include "runcompanion.h"
#include "macc.h"
#include "reportrun.h"
#include "ui.h"


#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDateEdit>
#include <QPointer>
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

// The six report panels: the report each runs (by its command-line name)
// and its controls, found by their names.
struct PanelControls {
    const char *report;
    const char *button, *from, *to;
    // Morbidity panels only.
    const char *doctor = nullptr, *allDoctors = nullptr, *urban = nullptr, *rural = nullptr;
};
constexpr PanelControls kPanels[] = {
    {"general-medicine", "btnIzvestaj", "Datefrom", "Dateto", "cbLekar", "lekari", "grad", "selo"},
    {"school-youth", "btnIzvestaj1", "datefrom1", "dateto1", "cbLekar1", "lekari1", "grad1", "selo1"},
    {"children", "btnIzvestaj2", "datefrom2", "dateto2", "cbLekar2", "lekari2", "grad2", "selo2"},
    {"visits-school-youth", "btnPosetaDecaMladina", "datumod", "datumdo"},
    {"visits-children", "btnPosetaMladina", "datumod1", "datumdo1"},
    {"visits-general-medicine", "dtnPosetaOrdinacija", "datumod2", "datumdo2"},
};

// The order in which the window sets the default dates when first shown.
constexpr const char *kFromPickers[] = {"Datefrom", "datefrom1", "datefrom2"};
constexpr const char *kToPickers[] = {"Dateto", "dateto1", "dateto2"};
constexpr const char *kVisitFromPickers[] = {"datumod", "datumod1", "datumod2"};
constexpr const char *kVisitToPickers[] = {"datumdo", "datumdo1", "datumdo2"};

// A report button disabled while its run lasts. Disabling a focused button
// moves the focus on to the next control of the tab chain ("Site lekari", or
// another panel's date), where Space or typing would silently change the
// next request; enabled again, the button takes the focus back, before a
// preview or a message opens, so it is there when they close (unless the
// user has put the focus elsewhere meanwhile).
class ButtonDisabledWhileRunning {
public:
    explicit ButtonDisabledWhileRunning(QWidget *button) : m_button(button), m_hadFocus(button->hasFocus())
    {
        button->setEnabled(false);
        m_movedTo = button->window()->focusWidget();
    }
    ~ButtonDisabledWhileRunning() { enable(); }
    ButtonDisabledWhileRunning(const ButtonDisabledWhileRunning &) = delete;
    ButtonDisabledWhileRunning &operator=(const ButtonDisabledWhileRunning &) = delete;

    void enable()
    {
        if (!m_button || m_button->isEnabled())
            return;
        m_button->setEnabled(true);
        const QWidget *now = m_button->window()->focusWidget();
        if (m_hadFocus && (!now || now == m_movedTo))
            m_button->setFocus(Qt::OtherFocusReason);
    }

private:
    QPointer<QWidget> m_button;
    QPointer<QWidget> m_movedTo;
    bool m_hadFocus;
};

report::Font windowFont()
{
    report::Font font;
    font.name = QString::fromLatin1(MainWindowFont.family);
    font.height = MainWindowFont.pixels;
    return font;
}

} // namespace

struct TfrmTarel::Panel {
    const PanelControls *names = nullptr;
    const engine::ReportDefinition *report = nullptr;
    QPushButton *button = nullptr;
    QDateEdit *from = nullptr;
    QDateEdit *to = nullptr;
    QComboBox *doctor = nullptr; // morbidity panels only
    QCheckBox *allDoctors = nullptr;
    QRadioButton *urban = nullptr;
    QRadioButton *rural = nullptr;
    // The last report the panel showed, and its prepared pages.
    std::optional<report::TfrxReport> filled;
    report::PreparedReport prepared;
};

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
        m_companion = std::make_unique<RunCompanion>(m_db.get());
        auto ui = std::make_unique<WindowUi>();
        ui->setCompanion(m_companion.get());
        m_ownUi = std::move(ui);
        m_ui = m_ownUi.get();
    }

    setObjectName(QStringLiteral("frmTarel"));
    setWindowTitle(QStringLiteral("Statisticki Izvestai"));
    setFont(report::displayFont(windowFont()));
    move(kWindowPosition);
    resize(kWindowOuterSize);

    m_controls = buildControls(this, mainWindowControls());

    m_doctors = new QStandardItemModel(this);
    for (const PanelControls &controls : kPanels) {
        const PanelControls *names = &controls;
        auto panel = std::make_unique<Panel>();
        panel->names = names;
        panel->report = engine::findReport(QLatin1String(names->report));
        Q_ASSERT(panel->report);
        panel->button = qobject_cast<QPushButton *>(control(names->button));
        panel->from = qobject_cast<QDateEdit *>(control(names->from));
        panel->to = qobject_cast<QDateEdit *>(control(names->to));
        if (names->doctor) {
            panel->doctor = qobject_cast<QComboBox *>(control(names->doctor));
            panel->allDoctors = qobject_cast<QCheckBox *>(control(names->allDoctors));
            panel->urban = qobject_cast<QRadioButton *>(control(names->urban));
            panel->rural = qobject_cast<QRadioButton *>(control(names->rural));
            panel->doctor->setModel(m_doctors);
            panel->doctor->setCurrentIndex(-1);
            connect(panel->doctor, &QComboBox::activated, this, [this](int row) { m_currentDoctor = row; });
        }
        m_panels.push_back(std::move(panel));
    }
    connect(panelOf("btnIzvestaj").button, &QPushButton::clicked, this, &TfrmTarel::btnIzvestajClick);
    connect(panelOf("btnIzvestaj1").button, &QPushButton::clicked, this, &TfrmTarel::btnIzvestaj1Click);
    connect(panelOf("btnIzvestaj2").button, &QPushButton::clicked, this, &TfrmTarel::btnIzvestaj2Click);
    connect(panelOf("btnPosetaDecaMladina").button, &QPushButton::clicked, this,
            &TfrmTarel::btnPosetaDecaMladinaClick);
    connect(panelOf("btnPosetaMladina").button, &QPushButton::clicked, this, &TfrmTarel::btnPosetaMladinaClick);
    connect(panelOf("dtnPosetaOrdinacija").button, &QPushButton::clicked, this,
            &TfrmTarel::dtnPosetaOrdinacijaClick);
}

TfrmTarel::~TfrmTarel() = default;

QWidget *TfrmTarel::control(const char *name) const
{
    QWidget *widget = m_controls.value(QString::fromLatin1(name));
    Q_ASSERT(widget);
    return widget;
}

TfrmTarel::Panel &TfrmTarel::panelOf(const char *button)
{
    for (const auto &panel : m_panels)
        if (qstrcmp(panel->names->button, button) == 0)
            return *panel;
    Q_UNREACHABLE();
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
    font.name = QString::fromLatin1(report::kMaccSwiss);
    font.height = 11;
    m_doctors->clear();
    for (const data::Doctor &doctor : *doctors) {
        auto *item = new QStandardItem(report::displayText(font, doctor.name));
        item->setData(doctor.code, Qt::UserRole);
        item->setData(doctor.name, DoctorNameRole);
        item->setEditable(false);
        m_doctors->appendRow(item);
    }
    for (const auto &panel : m_panels)
        if (panel->doctor)
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
            m_ui->showError(this, withFullStop(tr("Cannot open the database of alias '%1'").arg(m_options.alias)));
            return;
        }
    }
    if (!m_lookupsOpen) {
        if (Result<void> opened = openLookups(); !opened) {
            m_ui->showError(this, withFullStop(opened.message()));
            return;
        }
    }

    const QDate now = today();
    const QDate threeMonthsBack = now.addMonths(-3);
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
    // A report being run stops and shows nothing.
    if (m_run)
        m_run->cancel();
    FormClose();
    QWidget::closeEvent(event);
}

void TfrmTarel::FormClose()
{
    m_db->close();
    m_lookupsOpen = false;
}

std::optional<engine::Request> TfrmTarel::morbidityRequest(MorbidityPanel which) const
{
    return requestOf(*m_panels[std::size_t(which)]);
}

// The panel read into a request; nothing when a morbidity panel has neither
// "Site lekari" checked nor a doctor chosen.
std::optional<engine::Request> TfrmTarel::requestOf(const Panel &panel) const
{
    engine::Request request;
    request.report = panel.report;
    request.from = panel.from->date();
    request.to = panel.to->date();
    request.today = today();
    if (!panel.doctor)
        return request;
    if (!panel.allDoctors->isChecked()) {
        const int row = panel.doctor->currentIndex();
        if (row < 0)
            return std::nullopt;
        request.doctor = data::Doctor{panel.doctor->itemData(row, Qt::UserRole).toString(),
                                      panel.doctor->itemData(row, DoctorNameRole).toString()};
    }
    if (panel.urban->isChecked())
        request.area = data::AreaFilter::Urban;
    else if (panel.rural->isChecked())
        request.area = data::AreaFilter::Rural;
    return request;
}

void TfrmTarel::btnIzvestajClick() { runReport(panelOf("btnIzvestaj")); }
void TfrmTarel::btnIzvestaj1Click() { runReport(panelOf("btnIzvestaj1")); }
void TfrmTarel::btnIzvestaj2Click() { runReport(panelOf("btnIzvestaj2")); }
void TfrmTarel::btnPosetaDecaMladinaClick() { runReport(panelOf("btnPosetaDecaMladina")); }
void TfrmTarel::btnPosetaMladinaClick() { runReport(panelOf("btnPosetaMladina")); }
void TfrmTarel::dtnPosetaOrdinacijaClick() { runReport(panelOf("dtnPosetaOrdinacija")); }

void TfrmTarel::runReport(Panel &panel)
{
    // One run at a time: a click while one goes on is answered, not queued.
    if (m_run) {
        m_ui->showMessage(this, tr("A report is being prepared. Wait until it is shown, or cancel it, "
                                    "before you ask for another."));
        return;
    }
    const std::optional<engine::Request> request = requestOf(panel);
    if (!request) {
        // In Cyrillic, as the window's own texts and the button beside it.
        m_ui->showMessage(this, report::maccToUnicode(u"Izberete lekar"));
        return;
    }
    // Kept by the run's end, which enables the button again.
    auto disabled = std::make_shared<ButtonDisabledWhileRunning>(panel.button);
    setCursor(Qt::BusyCursor);
    auto *run = reportRun(m_db->settings(), *request, m_options.whileReading, this);
    m_run = run;
    m_runProgress = m_ui->showProgress(this, [run] { run->cancel(); });
    run->follow(m_runProgress.get());
    connect(run, &BackgroundRun::finished, this,
            [this, run, &panel, disabled] { reportRunEnded(*run, panel, [disabled] { disabled->enable(); }); });
    run->start();
}

void TfrmTarel::reportRunEnded(RunOf<result::RunResult> &run, Panel &panel, const std::function<void()> &enableButton)
{
    const Result<result::RunResult> counted = run.takeResult();
    m_runProgress.reset();
    m_run = nullptr;
    run.deleteLater();
    unsetCursor();
    // Enabled again also after an error, so the report can be run again.
    enableButton();
    Q_EMIT runEnded();
    Result<report::TfrxReport> filled = counted ? engine::filledForm(*counted) : Result<report::TfrxReport>(counted.error());
    if (!filled) {
        // A cancelled run shows nothing, and the panel keeps its last report.
        if (filled.error().kind != ErrorKind::Cancelled)
            m_ui->showError(this, withFullStop(filled.message()));
        return;
    }
    panel.filled = std::move(*filled);
    m_ui->showReport(this, *panel.filled, panel.prepared);
}

} // namespace tarel::app
