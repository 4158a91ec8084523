#include "dateformat.h"

#include <QRegularExpression>

namespace tarel {

QString shortDateFormat(const QLocale &locale)
{
    if (locale.language() == QLocale::C)
        return QStringLiteral("dd.MM.yyyy");
    QString format = locale.dateFormat(QLocale::ShortFormat);
    static const QRegularExpression twoDigitYear(QStringLiteral("(?<!y)yy(?!y)"));
    format.replace(twoDigitYear, QStringLiteral("yyyy"));
    return format;
}

QString shortDateText(QDate date) { return date.toString(shortDateFormat()); }

} // namespace tarel
