// The window's time from a click on a report button to the report's first
// page shown in the preview, against the command-line run of the same
// report (process start to written PDF), alternating, median of N. The
// window is the program's own main window on the database (alias
// "pelorida", pointed at the file by an alias file of the tool's own); the
// first page counts as shown once the preview's page view has painted with
// a page in it. Run it on a display: bench/window-time starts Xvfb (with
// openbox, unless told not to) and runs it.
//
//   bench_window DATABASE [--report NAME] [--from YYYY-MM-DD] [--to YYYY-MM-DD] [--runs N]

#include "IzvestajzaTarel.h"
#include "pageview.h"
#include "ui.h"

#include <QApplication>
#include <QCheckBox>
#include <QDateEdit>
#include <QDialog>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <vector>

using namespace tarel;

namespace {

// The panel of each report: its button, date pickers and "Site lekari".
struct PanelNames {
    const char *report, *button, *from, *to, *allDoctors;
};
constexpr PanelNames kPanels[] = {
    {"general-medicine", "btnIzvestaj", "Datefrom", "Dateto", "lekari"},
    {"school-youth", "btnIzvestaj1", "datefrom1", "dateto1", "lekari1"},
    {"children", "btnIzvestaj2", "datefrom2", "dateto2", "lekari2"},
    {"visits-school-youth", "btnPosetaDecaMladina", "datumod", "datumdo", nullptr},
    {"visits-children", "btnPosetaMladina", "datumod1", "datumdo1", nullptr},
    {"visits-general-medicine", "dtnPosetaOrdinacija", "datumod2", "datumdo2", nullptr},
};

// The preview as the window shows it, with the moment its first page was
// painted noted and the preview then closed.
class TimedUi : public QObject, public app::WindowUi {
public:
    void showReport(QWidget *parent, const report::TfrxReport &templ, report::PreparedReport &prepared) override
    {
        m_shown = false;
        qApp->installEventFilter(this);
        app::WindowUi::showReport(parent, templ, prepared);
        qApp->removeEventFilter(this);
    }
    void showError(QWidget *, const QString &text) override
    {
        std::fprintf(stderr, "error: %s\n", qPrintable(text));
        m_failed = true;
    }
    void showMessage(QWidget *, const QString &text) override { std::fprintf(stderr, "%s\n", qPrintable(text)); }

    bool failed() const { return m_failed; }
    // When the first page was shown, by the clock given.
    qint64 shownAt() const { return m_shownAt; }
    void startClock()
    {
        m_shownAt = -1;
        m_clock.start();
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() != QEvent::Paint || m_shown)
            return false;
        const auto *view = qobject_cast<report::PageView *>(watched->parent());
        if (!view || view->pageLayout().pages.empty())
            return false;
        m_shown = true;
        // Once this paint has been done, the page is on the screen. The
        // preview is then closed as Escape closes it: the first stops the
        // preparation of the other pages, the second closes.
        QTimer::singleShot(0, this, [this] {
            m_shownAt = m_clock.elapsed();
            auto *closer = new QTimer(this);
            connect(closer, &QTimer::timeout, closer, [closer] {
                if (auto *preview = qobject_cast<QDialog *>(QApplication::activeModalWidget()))
                    preview->reject();
                else
                    closer->deleteLater();
            });
            closer->start(10);
        });
        return false;
    }

private:
    QElapsedTimer m_clock;
    bool m_shown = false;
    bool m_failed = false;
    qint64 m_shownAt = -1;
};

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    const std::size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

} // namespace

int main(int argc, char **argv)
{
    QApplication application(argc, argv);
    const QStringList arguments = application.arguments();
    if (arguments.size() < 2) {
        std::fprintf(stderr, "usage: bench_window DATABASE [--report NAME] [--from D] [--to D] [--runs N]\n");
        return 2;
    }
    QString reportName = QStringLiteral("general-medicine");
    QDate from(2024, 12, 1), to(2026, 11, 30);
    int runs = 5;
    for (qsizetype i = 2; i + 1 < arguments.size(); i += 2) {
        if (arguments[i] == u"--report")
            reportName = arguments[i + 1];
        else if (arguments[i] == u"--from")
            from = QDate::fromString(arguments[i + 1], Qt::ISODate);
        else if (arguments[i] == u"--to")
            to = QDate::fromString(arguments[i + 1], Qt::ISODate);
        else if (arguments[i] == u"--runs")
            runs = arguments[i + 1].toInt();
    }
    const auto panel = std::find_if(std::begin(kPanels), std::end(kPanels),
                                    [&](const PanelNames &names) { return reportName == QLatin1String(names.report); });
    if (panel == std::end(kPanels)) {
        std::fprintf(stderr, "no such report: %s\n", qPrintable(reportName));
        return 2;
    }
    const QString database = QFileInfo(arguments[1]).absoluteFilePath();
    QTemporaryDir folder;
    QFile aliases(folder.filePath(QStringLiteral("aliases.ini")));
    if (!aliases.open(QIODevice::WriteOnly))
        return 1;
    aliases.write(QStringLiteral("[pelorida]\ndriver=QSQLITE\ndatabase=%1\n").arg(database).toUtf8());
    aliases.close();
    qputenv("TAREL_DB_ALIASES", aliases.fileName().toLocal8Bit());

    TimedUi ui;
    app::MainWindowOptions options;
    options.ui = &ui;
    Result<std::unique_ptr<app::TfrmTarel>> window = app::TfrmTarel::create(options);
    if (!window) {
        std::fprintf(stderr, "%s\n", qPrintable(window.message()));
        return 1;
    }
    (*window)->show();
    QElapsedTimer settle;
    settle.start();
    while (settle.elapsed() < 500)
        QApplication::processEvents(QEventLoop::AllEvents, 50);
    auto *button = (*window)->findChild<QPushButton *>(QLatin1String(panel->button));
    auto *fromPicker = (*window)->findChild<QDateEdit *>(QLatin1String(panel->from));
    auto *toPicker = (*window)->findChild<QDateEdit *>(QLatin1String(panel->to));
    if (!button || !fromPicker || !toPicker)
        return 1;
    fromPicker->setDate(from);
    toPicker->setDate(to);
    if (panel->allDoctors)
        if (auto *all = (*window)->findChild<QCheckBox *>(QLatin1String(panel->allDoctors)))
            all->setChecked(true);

    const QString tool = QCoreApplication::applicationDirPath() + QStringLiteral("/tarel-report");
    QStringList command{reportName, QStringLiteral("--from"), from.toString(Qt::ISODate), QStringLiteral("--to"),
                        to.toString(Qt::ISODate), QStringLiteral("--database"), database, QStringLiteral("--output"),
                        folder.filePath(QStringLiteral("report.pdf"))};
    if (panel->allDoctors)
        command << QStringLiteral("--all-doctors");

    std::vector<double> clicks, commands;
    std::printf("%-6s %14s %14s %12s\n", "run", "window s", "command s", "difference");
    for (int i = 0; i < runs; ++i) {
        QProcess process;
        process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        QElapsedTimer timer;
        timer.start();
        process.start(tool, command);
        if (!process.waitForFinished(600000) || process.exitCode() != 0) {
            std::fprintf(stderr, "tarel-report failed\n");
            return 1;
        }
        commands.push_back(double(timer.nsecsElapsed()) / 1e9);

        ui.startClock();
        button->click();
        // The run goes on beside the window; its end shows the preview, which
        // closes itself once its first page is painted.
        QElapsedTimer waited;
        waited.start();
        while (!ui.failed() && ui.shownAt() < 0 && waited.elapsed() < 600000)
            QApplication::processEvents(QEventLoop::WaitForMoreEvents);
        while (QApplication::activeModalWidget() && waited.elapsed() < 600000)
            QApplication::processEvents(QEventLoop::WaitForMoreEvents);
        if (ui.failed() || ui.shownAt() < 0)
            return 1;
        clicks.push_back(double(ui.shownAt()) / 1e3);
        std::printf("%-6d %13.3fs %13.3fs %11.3fs\n", i + 1, clicks.back(), commands.back(),
                    clicks.back() - commands.back());
    }
    const double difference = median(clicks) - median(commands);
    std::printf("median %13.3fs %13.3fs %11.3fs  (%s 0.3 s)\n", median(clicks), median(commands), difference,
                difference <= 0.3 ? "within" : "beyond");
    (*window)->close();
    return 0;
}
