#include "screenshotsession.h"

#include "Loading.h"
#include "previewwindow.h"
#include "trendwindow.h"
#include "visitlistwindow.h"

#include <QTableView>

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QElapsedTimer>
#include <QPixmap>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QTimer>
#include <QToolButton>
#include <QToolTip>
#include <QWindow>

#include <cstdio>

namespace tarel::app {

namespace {

// Long enough for the preview to prepare and paint its pages.
constexpr int kPreviewSettleMs = 2000;
constexpr int kMainWindowSettleMs = 800;
// The desktop shown around the start-up error box, in pixels.
constexpr int kStartupErrorMargin = 120;
// The preview also taken from the screen, frame and the Print button's tip
// included, as "preview-screen": the preview's own words in one picture.
constexpr const char *kScreenPreview = "preview-frxPosetaOrdinacija";

constexpr const char *kReportButtons[] = {"btnIzvestaj",          "btnIzvestaj1",     "btnIzvestaj2",
                                          "btnPosetaDecaMladina", "btnPosetaMladina", "dtnPosetaOrdinacija"};
constexpr const char *kAllDoctorBoxes[] = {"lekari", "lekari1", "lekari2"};

void report(const QString &text) { std::fprintf(stderr, "tarel: %s\n", qPrintable(text)); }

// Shows the tip of the preview's Print button below it, as a pointer resting
// on it would, and lets the window system draw it; false without the button.
bool showPrintTip(QWidget *preview)
{
    auto *print = preview->findChild<QToolButton *>(QStringLiteral("Print"));
    if (!print || !print->defaultAction())
        return false;
    QToolTip::showText(print->mapToGlobal(QPoint(print->width() / 2, print->height())),
                       print->defaultAction()->toolTip(), print);
    QElapsedTimer settle;
    settle.start();
    while (settle.elapsed() < kMainWindowSettleMs)
        QApplication::processEvents(QEventLoop::AllEvents, 50);
    return true;
}

} // namespace

ScreenshotSession::ScreenshotSession(QString folder) : m_folder(std::move(folder))
{
    QDir().mkpath(m_folder);
}

void ScreenshotSession::savePicture(const QPixmap &picture, const QString &name)
{
    const QString path = QDir(m_folder).filePath(name + QStringLiteral(".png"));
    if (!picture.isNull() && picture.save(path))
        report(QStringLiteral("saved %1").arg(path));
    else
        report(QStringLiteral("could not save %1").arg(path));
}

void ScreenshotSession::save(QWidget *widget, const QString &name) { savePicture(widget->grab(), name); }

void ScreenshotSession::saveFromScreen(QWidget *window, const QString &name, int margin)
{
    QScreen *screen = window->screen();
    if (!screen) {
        save(window, name);
        return;
    }
    const QRect frame = window->frameGeometry();
    const QRect area = frame.adjusted(-margin, -margin, margin, margin).intersected(screen->geometry());
    report(QStringLiteral("%1 on the screen at %2,%3, %4 x %5")
               .arg(name)
               .arg(frame.x())
               .arg(frame.y())
               .arg(frame.width())
               .arg(frame.height()));
    savePicture(screen->grabWindow(0, area.x(), area.y(), area.width(), area.height()), name);
}

void ScreenshotSession::install(StartupOptions &options)
{
    options.window.ui = this;
    options.observer = [this](const StartupEvent &event) {
        // The splash as the screen shows it just before the main window is created.
        if (event.kind == StartupEvent::Progress && !event.window && event.position == 23)
            saveFromScreen(event.splash, QStringLiteral("splash"));
    };
}

void ScreenshotSession::start(TfrmTarel &window)
{
    m_started = true;
    m_window = &window;
    m_database = &window.database();
    QTimer::singleShot(kMainWindowSettleMs, &window, [this, &window] {
        saveFromScreen(&window, QStringLiteral("main"));
        for (const char *name : kAllDoctorBoxes)
            if (auto *box = window.findChild<QCheckBox *>(QString::fromLatin1(name)))
                box->setChecked(true);
        runNext();
    });
}

void ScreenshotSession::runNext()
{
    if (m_next == std::size(kReportButtons)) {
        m_window->close();
        return;
    }
    m_currentButton = QString::fromLatin1(kReportButtons[m_next++]);
    auto *button = m_window->findChild<QPushButton *>(m_currentButton);
    if (!button)
        return runNext();
    // The run goes on in the background; its preview, error or message
    // moves on to the next.
    button->click();
}

void ScreenshotSession::runNextSoon()
{
    QTimer::singleShot(0, m_window, [this] { runNext(); });
}

void ScreenshotSession::showMessage(QWidget *, const QString &text)
{
    report(m_currentButton + QStringLiteral(": ") + text);
    runNextSoon();
}

void ScreenshotSession::showError(QWidget *parent, const QString &text)
{
    if (m_started) {
        report(m_currentButton + QStringLiteral(": error: ") + text);
        runNextSoon();
        return;
    }
    // An error at start-up: the real box, taken from the screen with what
    // lies around it, then closed.
    report(QStringLiteral("error at start-up: ") + text);
    QTimer poll;
    QElapsedTimer sinceShown;
    QObject::connect(&poll, &QTimer::timeout, &poll, [&] {
        QWidget *box = QApplication::activeModalWidget();
        if (!box || !box->isVisible())
            return;
        if (!sinceShown.isValid())
            sinceShown.start();
        if (sinceShown.elapsed() < kMainWindowSettleMs)
            return;
        poll.stop();
        saveFromScreen(box, QStringLiteral("startup-error"), kStartupErrorMargin);
        box->close();
    });
    poll.start(100);
    WindowUi().showError(parent, text);
}

std::unique_ptr<RunProgress> ScreenshotSession::showProgress(QWidget *parent, std::function<void()> cancel)
{
    return WindowUi().showProgress(parent, std::move(cancel));
}

void ScreenshotSession::showReport(QWidget *parent, const report::TfrxReport &templ, report::PreparedReport &prepared)
{
    // The preview is modal: a timer inside its event loop grabs and closes it.
    auto *poll = new QTimer;
    QElapsedTimer sinceOpen;
    const QString name = QStringLiteral("preview-") + templ.name;
    const bool withList = templ.name == u"frxDeca";
    QObject::connect(poll, &QTimer::timeout, poll, [this, poll, sinceOpen, name, withList, &prepared]() mutable {
        QWidget *preview = QApplication::activeModalWidget();
        if (!preview)
            return;
        if (!sinceOpen.isValid()) {
            // Without a window manager "maximised" changes nothing: fill the
            // screen, leaving room for a window manager's frame.
            if (const QScreen *screen = preview->screen()) {
                const QMargins frame =
                    preview->windowHandle() ? preview->windowHandle()->frameMargins() : QMargins();
                preview->setGeometry(screen->availableGeometry().marginsRemoved(frame));
            }
            sinceOpen.start();
        }
        if (sinceOpen.elapsed() < kPreviewSettleMs)
            return;
        poll->stop();
        save(preview, name);
        if (name == QLatin1String(kScreenPreview) && showPrintTip(preview)) {
            saveFromScreen(preview, QStringLiteral("preview-screen"));
            QToolTip::hideText();
        }
        // The data check of the first morbidity report, opened from the
        // preview's status bar: grabbed from inside its own event loop.
        auto *window = qobject_cast<report::PreviewWindow *>(preview);
        if (name == u"preview-frxDeca" && window && window->detailsButton()->isVisible()) {
            QTimer::singleShot(kMainWindowSettleMs, preview, [this] {
                if (QWidget *dialog = QApplication::activeModalWidget()) {
                    save(dialog, QStringLiteral("data-check"));
                    dialog->close();
                }
            });
            window->detailsButton()->click();
        }
        if (withList) {
            showVisitList(preview, prepared);
            // The row that tripled and the doctor who stopped, then the code that appeared.
            showTrend(preview, "general-medicine", trend::Flag::Extreme, QStringLiteral("trend"));
            showTrend(preview, "children", trend::Flag::New, QStringLiteral("trend-children"));
        }
        preview->close();
    });
    poll->start(100);
    report::showReport(templ, prepared, parent, &m_companion);
    delete poll;
    runNextSoon();
}

void ScreenshotSession::showVisitList(QWidget *preview, const report::PreparedReport &prepared)
{
    // A row's band cell of a few visits, so that the whole list fits the picture.
    const report::OutputCell *chosen = nullptr;
    const engine::ReportDefinition *definition =
        prepared.result ? engine::findReport(prepared.result->request.report) : nullptr;
    const Result<std::vector<engine::FormCellOf>> cells =
        definition ? engine::countCells(*definition) : Result<std::vector<engine::FormCellOf>>(fail(QString()));
    QString name;
    if (cells)
        for (const engine::FormCellOf &cell : *cells) {
            const qint64 number = prepared.result->counts.value(cell.row, cell.column);
            const bool counted = prepared.result->counts.shape().rows()[std::size_t(cell.row)].sums.empty();
            if (name.isEmpty() && counted && number >= 8 && number <= 14)
                name = cell.name;
        }
    for (const report::OutputPage &page : prepared.pages)
        for (const report::OutputCell &cell : page.cells)
            if (!chosen && !name.isEmpty() && cell.name == name)
                chosen = &cell;
    if (!chosen) {
        report(QStringLiteral("no cell for the list of visits"));
        return;
    }
    // The list runs in the background and opens its window when it ends.
    openVisitList(preview, m_database, prepared, *chosen);
    VisitListWindow *list = nullptr;
    QElapsedTimer running;
    running.start();
    while (!(list = preview->findChild<VisitListWindow *>()) && running.elapsed() < 60000)
        QApplication::processEvents(QEventLoop::AllEvents, 50);
    if (!list) {
        report(QStringLiteral("the list of visits did not open"));
        return;
    }
    list->resize(1270, 470);
    QElapsedTimer settle;
    settle.start();
    while (settle.elapsed() < kMainWindowSettleMs)
        QApplication::processEvents(QEventLoop::AllEvents, 50);
    save(list, QStringLiteral("visit-list"));
    // Its "Save as CSV", for a picture of the file in a spreadsheet program.
    const QString csv = QDir(m_folder).filePath(QStringLiteral("visit-list.csv"));
    const Result<void> saved = list->save(csv);
    report(saved ? QStringLiteral("saved %1").arg(csv) : saved.message());
    list->close();
}

void ScreenshotSession::showTrend(QWidget *preview, const char *name, trend::Flag flag, const QString &picture)
{
    // Last month, which tools/screenshots ends its demo database with and
    // plants the anomalies in.
    engine::Request request;
    request.report = engine::findReport(name);
    request.to = QDate(QDate::currentDate().year(), QDate::currentDate().month(), 1).addDays(-1);
    request.from = QDate(request.to.year(), request.to.month(), 1);
    const Result<result::RunResult> counted = engine::run(*m_database, request);
    const Result<report::TfrxReport> filled = counted ? engine::filledForm(*counted) : counted.error();
    if (!filled) {
        report(QStringLiteral("no report to compare: ") + filled.message());
        return;
    }
    const report::PreparedReport prepared = report::prepare(*filled);
    // The comparison runs in the background and opens its window when it ends.
    const auto opened = std::make_shared<QPointer<TrendWindow>>();
    openTrend(preview, m_database, prepared, [opened](TrendWindow *shown) { *opened = shown; });
    QElapsedTimer running;
    running.start();
    while (!*opened && running.elapsed() < 60000)
        QApplication::processEvents(QEventLoop::AllEvents, 50);
    TrendWindow *window = *opened;
    if (!window) {
        report(QStringLiteral("the comparison did not open: ") + picture);
        return;
    }
    // The catalogue row's cell of that flag that lies farthest above its mean.
    int shown = -1;
    double farthest = 0;
    const trend::Trend &trend = window->trend();
    for (int row = 0; row < window->flaggedModel().rowCount(); ++row) {
        const trend::CellSeries &one = window->flaggedModel().series(row);
        const trend::CountCell &cell = trend.cells[std::size_t(one.cell)];
        const bool counted = trend.shape().rows()[std::size_t(cell.row)].kind == result::RowKind::Counted;
        if (counted && one.statistics.flag == flag && double(one.value()) - *one.statistics.mean > farthest) {
            farthest = double(one.value()) - *one.statistics.mean;
            shown = row;
        }
    }
    if (shown >= 0)
        window->flaggedTable()->selectRow(shown);
    window->resize(1270, 820);
    QElapsedTimer settle;
    settle.start();
    while (settle.elapsed() < kPreviewSettleMs)
        QApplication::processEvents(QEventLoop::AllEvents, 50);
    saveFromScreen(window, picture);
    window->close();
}

} // namespace tarel::app
