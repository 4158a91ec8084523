// tarel-report: the report runs of the program from the command line.
#include "reportcommand.h"

#include <QGuiApplication>
#include <QTextStream>

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
    QTextStream out(stdout);
    QTextStream err(stderr);
    return tarel::cli::runTool(app.arguments().mid(1), out, err, QDate::currentDate());
}
