// tarel-report: the report runs of the program from the command line.
#include "reportcommand.h"

#include <QGuiApplication>
#include <QTextStream>

int main(int argc, char **argv)
{
    // Fonts for the PDF text, without a display.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    QTextStream out(stdout);
    QTextStream err(stderr);
    return tarel::cli::runTool(app.arguments().mid(1), out, err, QDate::currentDate());
}
