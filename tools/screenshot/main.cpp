// tarel-screenshots OUTDIR: the program as a user starts it, taking the
// documentation's pictures of itself into OUTDIR (see screenshotsession.h)
// and then ending. Not installed: tools/screenshots runs it under a virtual
// display.
#include "screenshotsession.h"
#include "startup.h"
#include "translation.h"

#include <QApplication>

#include <cstdio>

int main(int argc, char **argv)
{
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Tarel"));
    QApplication::setDesktopFileName(QStringLiteral("tarel"));
    const QStringList arguments = QApplication::arguments();
    if (arguments.size() != 2) {
        std::fputs("usage: tarel-screenshots OUTDIR\n", stderr);
        return 2;
    }
    const std::unique_ptr<QTranslator> translation = tarel::installTranslation(QLocale::system());

    tarel::app::ScreenshotSession session(arguments[1]);
    tarel::app::StartupOptions options;
    session.install(options);
    tarel::Result<std::unique_ptr<tarel::app::TfrmTarel>> window = tarel::app::startUp(std::move(options));
    if (!window)
        return 1;
    (*window)->show();
    session.start(**window);
    return application.exec();
}
