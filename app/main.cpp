// Tarel: the splash window while the main window loads, then the main window
// until the user closes it.
#include "IzvestajzaTarel.h"
#include "screenshots.h"
#include "startup.h"

#include <QApplication>
#include <QStringList>

#include <cstdio>

int main(int argc, char **argv)
{
    // Without a display the window system's library would abort the program.
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    if (const std::optional<QString> message =
            tarel::app::noDisplayMessage(tarel::app::DisplayEnvironment::current(arguments))) {
        std::fputs(message->toLocal8Bit().constData(), stderr);
        return 1;
    }

    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Tarel"));
    QApplication::setDesktopFileName(QStringLiteral("tarel"));

    tarel::app::StartupOptions options;
    const std::unique_ptr<tarel::app::ScreenshotSession> screenshots = tarel::app::ScreenshotSession::fromEnvironment();
    if (screenshots)
        screenshots->install(options);

    tarel::Result<std::unique_ptr<tarel::app::TfrmTarel>> window = tarel::app::startUp(std::move(options));
    if (!window)
        return 1;
    (*window)->show();
    if (screenshots)
        screenshots->start(**window);
    return application.exec();
}
