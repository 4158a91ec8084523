// Tarel: the splash window while the main window loads, then the main window
// until the user closes it. The program speaks the system's language where
// it has a translation for it (Macedonian), else English.
#include "IzvestajzaTarel.h"
#include "startup.h"
#include "translation.h"

#include <QApplication>
#include <QStringList>

#include <cstdio>

int main(int argc, char **argv)
{
    // Without a display the window system's library would abort the program.
    // The message is translated by a core application, which needs none.
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    const tarel::app::DisplayEnvironment environment = tarel::app::DisplayEnvironment::current(arguments);
    if (tarel::app::noDisplayMessage(environment)) {
        QCoreApplication core(argc, argv);
        const std::unique_ptr<QTranslator> translation = tarel::installTranslation(QLocale::system());
        // Asked again now that the translation is in place.
        std::fputs(tarel::app::noDisplayMessage(environment)->toLocal8Bit().constData(), stderr);
        return 1;
    }

    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Tarel"));
    QApplication::setDesktopFileName(QStringLiteral("tarel"));
    const std::unique_ptr<QTranslator> translation = tarel::installTranslation(QLocale::system());

    tarel::Result<std::unique_ptr<tarel::app::TfrmTarel>> window = tarel::app::startUp({});
    if (!window)
        return 1;
    (*window)->show();
    return application.exec();
}
