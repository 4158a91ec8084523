#pragma once

// The date as the program prints it: the system's short date format, as the
// date pickers show dates and the report headers print them.

#include <QDate>
#include <QLocale>
#include <QString>

namespace tarel {

// A two-digit year is widened to four digits, and without a configured
// locale (the C locale, whose short format spells the month's English name)
// the numeric "dd.MM.yyyy" is used: the header cells draw their texts in the
// MAC C fonts, which would turn a month name into Cyrillic letters.
QString shortDateFormat(const QLocale &locale = QLocale::system());
QString shortDateText(QDate date);

} // namespace tarel
