// tarel-report: the report runs of the program from the command line.
#include "reportcommand.h"

#include "messagetext.h"

#include <QGuiApplication>
#include <QIODevice>
#include <QTextStream>

#include <cstdio>
#include <optional>

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
    QTextStream out(stdout);
    const int status = tarel::cli::runTool(*arguments, out, err, QDate::currentDate());

    // What went to standard output (the help text) must have arrived: a full
    // disk or a closed pipe is a failure, not a success.
    out.flush();
    QString problem;
    if (out.status() != QTextStream::Ok)
        problem = out.device() ? out.device()->errorString() : QStringLiteral("the write failed");
    else if (std::fflush(stdout) != 0 || std::ferror(stdout))
        problem = qt_error_string(errno);
    if (!problem.isEmpty() && status == tarel::cli::ExitSuccess) {
        err << QStringLiteral("Cannot write to standard output: %1.").arg(problem) << Qt::endl;
        return tarel::cli::ExitRunError;
    }
    return status;
}
