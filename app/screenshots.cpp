#include "screenshots.h"

#include "Loading.h"
#include "reportpreview.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QElapsedTimer>
#include <QPixmap>
#include <QPushButton>
#include <QScreen>
#include <QTimer>

#include <cstdio>

namespace tarel::app {

namespace {

constexpr const char *kFolderVariable = "TAREL_SCREENSHOT_DIR";
// Long enough for the preview to prepare and paint its pages.
constexpr int kPreviewSettleMs = 2000;
constexpr int kMainWindowSettleMs = 800;

constexpr const char *kReportButtons[] = {"btnIzvestaj",          "btnIzvestaj1",     "btnIzvestaj2",
                                          "btnPosetaDecaMladina", "btnPosetaMladina", "dtnPosetaOrdinacija"};
constexpr const char *kAllDoctorBoxes[] = {"lekari", "lekari1", "lekari2"};

void report(const QString &text) { std::fprintf(stderr, "tarel: %s\n", qPrintable(text)); }

} // namespace

std::unique_ptr<ScreenshotSession> ScreenshotSession::fromEnvironment()
{
    const QString folder = qEnvironmentVariable(kFolderVariable);
    if (folder.isEmpty())
        return nullptr;
    return std::make_unique<ScreenshotSession>(folder);
}

ScreenshotSession::ScreenshotSession(QString folder) : m_folder(std::move(folder))
{
    QDir().mkpath(m_folder);
}

void ScreenshotSession::save(QWidget *widget, const QString &name)
{
    const QString path = QDir(m_folder).filePath(name + QStringLiteral(".png"));
    if (widget->grab().save(path))
        report(QStringLiteral("saved %1").arg(path));
    else
        report(QStringLiteral("could not save %1").arg(path));
}

void ScreenshotSession::install(StartupOptions &options)
{
    options.window.ui = this;
    options.observer = [this](const StartupEvent &event) {
        // The splash as it stands just before the main window is created.
        if (event.kind == StartupEvent::Progress && !event.window && event.position == 23)
            save(event.splash, QStringLiteral("splash"));
    };
}

void ScreenshotSession::start(TfrmTarel &window)
{
    QTimer::singleShot(kMainWindowSettleMs, &window, [this, &window] {
        save(&window, QStringLiteral("main"));
        for (const char *name : kAllDoctorBoxes)
            if (auto *box = window.findChild<QCheckBox *>(QString::fromLatin1(name)))
                box->setChecked(true);
        for (const char *name : kReportButtons) {
            m_currentButton = QString::fromLatin1(name);
            if (auto *button = window.findChild<QPushButton *>(m_currentButton))
                button->click();
        }
        window.close();
    });
}

void ScreenshotSession::showMessage(QWidget *, const QString &text) { report(m_currentButton + QStringLiteral(": ") + text); }
void ScreenshotSession::showError(QWidget *, const QString &text) { report(m_currentButton + QStringLiteral(": error: ") + text); }

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
    QObject::connect(poll, &QTimer::timeout, poll, [this, poll, sinceOpen, name]() mutable {
        QWidget *preview = QApplication::activeModalWidget();
        if (!preview)
            return;
        if (!sinceOpen.isValid()) {
            // Without a window manager "maximised" changes nothing: fill the screen.
            if (const QScreen *screen = preview->screen())
                preview->setGeometry(screen->availableGeometry());
            sinceOpen.start();
        }
        if (sinceOpen.elapsed() < kPreviewSettleMs)
            return;
        poll->stop();
        save(preview, name);
        preview->close();
    });
    poll->start(100);
    showReportPreview(parent, templ, prepared);
    delete poll;
}

} // namespace tarel::app
