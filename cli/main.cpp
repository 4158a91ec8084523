// tarel-report: the report runs of the program from the command line.
#include "reportcommand.h"

#include <QElapsedTimer>
#include <QGuiApplication>
#include <QTextStream>

#include <atomic>
#include <csignal>
#include <cstdio>

#include <unistd.h>

namespace {

// Scripts read standard error for the run's own messages: drop Qt's notice
// that a headless session has no runtime folder (Qt then uses a private one).
QtMessageHandler previousHandler = nullptr;

void messageFilter(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    if (message.startsWith(QLatin1String("QStandardPaths: XDG_RUNTIME_DIR not set")))
        return;
    if (previousHandler)
        previousHandler(type, context, message);
}

// Set by SIGINT; the run stops at its next look at it. The handler is reset
// by the first signal, so a second Ctrl-C ends the process at once.
std::atomic<bool> interrupted{false};

void onInterrupt(int) { interrupted.store(true, std::memory_order_relaxed); }

void catchInterrupt()
{
    struct sigaction action {};
    action.sa_handler = &onInterrupt;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESETHAND;
    sigaction(SIGINT, &action, nullptr);
}

// One line on a terminal's standard error that shows how far the read has
// got, redrawn at most five times a second and cleared when the read ends.
class ProgressLine {
public:
    void rows(qint64 read, qint64 estimated)
    {
        if (m_shown && m_clock.elapsed() < 200)
            return;
        if (estimated > 0)
            show(QStringLiteral("Reading the visits: %1 %").arg(qMin<qint64>(100, read * 100 / estimated)));
        else
            show(QStringLiteral("Reading the visits: %1 rows").arg(read));
    }
    void waiting()
    {
        if (m_shown && m_clock.elapsed() < 200)
            return;
        show(QStringLiteral("Waiting for the database: another program is writing to it"));
    }
    void clear()
    {
        if (!m_shown)
            return;
        std::fprintf(stderr, "\r%*s\r", m_width, "");
        std::fflush(stderr);
        m_shown = false;
    }

private:
    void show(const QString &text)
    {
        const QByteArray line = text.toLocal8Bit();
        std::fprintf(stderr, "\r%-*s", m_width, line.constData());
        std::fflush(stderr);
        m_width = qMax(m_width, int(line.size()));
        m_shown = true;
        m_clock.start();
    }

    QElapsedTimer m_clock;
    int m_width = 0;
    bool m_shown = false;
};

} // namespace

int main(int argc, char **argv)
{
    // Fonts for the PDF text, without a display.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    previousHandler = qInstallMessageHandler(messageFilter);
    QGuiApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("tarel-report"));
    QCoreApplication::setApplicationVersion(QStringLiteral(TAREL_VERSION));
    catchInterrupt();

    ProgressLine progress;
    tarel::cli::RunControl control;
    control.read.cancel = &interrupted;
    if (::isatty(STDERR_FILENO)) {
        control.read.progress = [&](qint64 read, qint64 estimated) { progress.rows(read, estimated); };
        control.read.waiting = [&] { progress.waiting(); };
        control.readEnded = [&] { progress.clear(); };
    }
    QTextStream out(stdout);
    QTextStream err(stderr);
    return tarel::cli::runTool(app.arguments().mid(1), out, err, QDate::currentDate(), control);
}
