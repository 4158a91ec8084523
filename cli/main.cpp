// tarel-report: the report runs of the program from the command line.
#include "reportcommand.h"

#include "messagetext.h"

#include <QDateTime>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QIODevice>
#include <QTextStream>

#include <atomic>
#include <csignal>
#include <cstdio>
#include <optional>

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

// The arguments as texts. A file name is passed on as given or not at all:
// an argument that is not valid UTF-8 would be read with a replacement
// character and name another file, so it is refused.
std::optional<QStringList> argumentTexts(int argc, char **argv, QTextStream &err)
{
    QStringList arguments;
    for (int i = 1; i < argc; ++i) {
        const QByteArray bytes(argv[i]);
        const QString text = QString::fromLocal8Bit(bytes);
        if (text.toLocal8Bit() != bytes) {
            err << QStringLiteral("The argument '%1' is not valid UTF-8 text; give file names in UTF-8")
                       .arg(tarel::shownText(text))
                << Qt::endl
                << QStringLiteral("Try 'tarel-report --help'.") << Qt::endl;
            return std::nullopt;
        }
        arguments << text;
    }
    return arguments;
}

// Set by SIGINT, SIGTERM or SIGHUP (and which of them): the run stops at its
// next look at the flag, also while it waits for a lock, removes what is
// half-made and exits 128 + the signal. Each handler is reset by its first
// signal, so a second one ends the process at once. SIGPIPE is ignored: a
// batch piped into "head" writes every file, and the lost output is reported
// when the tool ends.
std::atomic<bool> interrupted{false};
std::atomic<int> stopSignal{0};

void onStop(int signal)
{
    int none = 0;
    stopSignal.compare_exchange_strong(none, signal, std::memory_order_relaxed);
    interrupted.store(true, std::memory_order_relaxed);
}

void catchStops()
{
    struct sigaction action {};
    action.sa_handler = &onStop;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESETHAND;
    for (int signal : {SIGINT, SIGTERM, SIGHUP})
        sigaction(signal, &action, nullptr);
    std::signal(SIGPIPE, SIG_IGN);
}

// One line on a terminal's standard error that shows how far the read has
// got, redrawn at most five times a second and cleared when the read ends.
class ProgressLine {
public:
    void rows(const tarel::data::ReadProgress &progress)
    {
        // A new stage shows at once.
        if (m_shown && m_clock.elapsed() < 200 && progress.stage == m_stage)
            return;
        m_stage = progress.stage;
        const QString what = progress.stage == tarel::data::ReadProgress::Stage::Persons
            ? QStringLiteral("Reading the insured persons")
            : QStringLiteral("Reading the visits of the period");
        if (progress.estimated > 0)
            show(QStringLiteral("%1: %2 %").arg(what).arg(qMin<qint64>(100, progress.read * 100 / progress.estimated)));
        else
            show(QStringLiteral("%1: %2").arg(what).arg(progress.read));
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
    tarel::data::ReadProgress::Stage m_stage = tarel::data::ReadProgress::Stage::Persons;
};

// The day the tool takes as today (a visit report prints it): the local
// date, or where SOURCE_DATE_EPOCH is set, as reproducible builds set it,
// that moment's day in UTC, so that a report made again is the same file.
QDate today()
{
    bool number = false;
    const qint64 epoch = qEnvironmentVariable("SOURCE_DATE_EPOCH").toLongLong(&number);
    if (number && epoch >= 0)
        return QDateTime::fromSecsSinceEpoch(epoch, Qt::UTC).date();
    return QDate::currentDate();
}

} // namespace

int main(int argc, char **argv)
{
    // Fonts for the PDF text, without a display: the tool never needs one,
    // whatever the environment names (xcb without DISPLAY, wayland, a
    // platform that does not exist would each end it before it starts).
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qunsetenv("QT_QPA_PLATFORMTHEME");
    previousHandler = qInstallMessageHandler(messageFilter);
    QTextStream err(stderr);
    const std::optional<QStringList> arguments = argumentTexts(argc, argv, err);
    if (!arguments)
        return tarel::cli::ExitUsage;
    // The application gets the program name alone, so that no argument is
    // taken as one of Qt's own ("-platform", "-reverse").
    int qtArgc = 1;
    char *qtArgv[] = {argv[0], nullptr};
    QGuiApplication app(qtArgc, qtArgv);
    QCoreApplication::setApplicationName(QStringLiteral("tarel-report"));
    QCoreApplication::setApplicationVersion(QStringLiteral(TAREL_VERSION));
    catchStops();

    ProgressLine progress;
    tarel::cli::RunControl control;
    control.read.cancel = &interrupted;
    control.stopSignal = &stopSignal;
    if (::isatty(STDERR_FILENO)) {
        control.read.progress = [&](const tarel::data::ReadProgress &read) { progress.rows(read); };
        control.read.waiting = [&] { progress.waiting(); };
        control.readEnded = [&] { progress.clear(); };
    }
    QTextStream out(stdout);
    const int status = tarel::cli::runTool(*arguments, out, err, today(), control);

    // What went to standard output (the help text, a batch's files) must have
    // arrived: a full disk or a closed pipe is a failure, not a success.
    out.flush();
    QString problem;
    if (out.status() != QTextStream::Ok)
        problem = out.device() ? out.device()->errorString() : QStringLiteral("the write failed");
    else if (std::fflush(stdout) != 0 || std::ferror(stdout))
        problem = qt_error_string(errno);
    if (problem.isEmpty())
        return status;
    err << QStringLiteral("Cannot write to standard output: %1.").arg(problem) << Qt::endl;
    return status == tarel::cli::ExitSuccess ? tarel::cli::ExitRunError : status;
}
