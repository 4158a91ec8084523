#include "translation.h"

#include <QCoreApplication>

namespace tarel {

namespace {

// Texts of Qt's that the program's own dialogs and message boxes show (their
// standard buttons), for languages Qt ships no translation of: Debian has no
// Macedonian one. They are translated in the program's .ts files under Qt's
// own contexts, so the installed translation answers for them.
[[maybe_unused]] constexpr const char *kQtTexts[] = {
    QT_TRANSLATE_NOOP("QPlatformTheme", "OK"),      QT_TRANSLATE_NOOP("QPlatformTheme", "Cancel"),
    QT_TRANSLATE_NOOP("QPlatformTheme", "Close"),   QT_TRANSLATE_NOOP("QGnomeTheme", "&OK"),
    QT_TRANSLATE_NOOP("QGnomeTheme", "&Cancel"),    QT_TRANSLATE_NOOP("QGnomeTheme", "&Close"),
};

} // namespace

std::unique_ptr<QTranslator> installTranslation(const QLocale &locale)
{
    auto translator = std::make_unique<QTranslator>();
    // tarel_mk.qm for "mk-MK" or "mk"; the files are built into the program.
    if (!translator->load(locale, QStringLiteral("tarel"), QStringLiteral("_"), QStringLiteral(":/i18n"))
        || !QCoreApplication::installTranslator(translator.get()))
        return nullptr;
    return translator;
}

} // namespace tarel
