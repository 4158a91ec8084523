#pragma once

// The program's own texts in the user's language. The texts are written in
// English in the code (tr() and QCoreApplication::translate) and translated
// in the .ts files of this folder, which the build turns into .qm files
// inside the program. The desktop program installs the translation of the
// system's language at start-up; the command-line tool installs none, so it
// always speaks English.
//
// The windows' texts are translated in the context of their class (tr() of a
// QObject). The messages of the libraries, which have no such class, share
// one context, "Text": each file declares a class Text with
// Q_DECLARE_TR_FUNCTIONS(Text) and writes Text::tr("..."). A text is so
// translated once wherever it is written, and the context stays right where
// lupdate cannot see the file's class (it then takes the name written
// before ::tr).

#include <QLocale>
#include <QTranslator>

#include <memory>

namespace tarel {

// Installs into the application the program's translation for the first of
// the locale's languages that has one (Macedonian for mk_MK) and returns it;
// nothing for the C locale, English or a language without a translation. The
// translation stays installed until the returned object is destroyed.
// Needs an application object (QCoreApplication or a derived one).
std::unique_ptr<QTranslator> installTranslation(const QLocale &locale);

} // namespace tarel
